// Character walks over a note's text. A paragraph may end in CR, LF or
// CR LF (the rich-edit control of some systems stores CR LF as two
// positions); every walk treats any of them as one line end.
#pragma once
#include <string>
#include <vector>

// Width of the line end that starts at pos: 2 for CR LF, 1 for a lone CR or
// LF, 0 when pos holds no line end. An LF that closes a CR LF is part of the
// line end before it and also counts 1, so a walk never stops inside one.
int LineEndWidth(const char *text, int length, int pos);
bool IsLineEndChar(char c);

// First position of the line holding pos.
int LineStartAt(const char *text, int length, int pos);
// Position of the line end at or after pos, or length.
int LineEndAt(const char *text, int length, int pos);

// One change of the text: remove removeCount characters at position, then
// insert text there. Edits apply in order, each to the text as the ones
// before it left it.
struct TextEdit {
    int position;
    int removeCount;
    std::string insert;
};

struct EditPlan {
    std::vector<TextEdit> edits;
    int selectStart, selectEnd; // the selection afterwards; -1 leaves it as the edits leave it
};

// One blank at the start of every line the selection touches, the first
// one included when the selection begins inside it; a line that only
// begins where the selection ends is left alone. Nothing for an empty
// selection. The selection afterwards covers the whole lines.
EditPlan PlanIndent(const char *text, int length, int start, int end);
// Takes one blank or TAB from the start of the same lines.
EditPlan PlanUnindent(const char *text, int length, int start, int end);
// Deletes the line holding start together with its line end.
EditPlan PlanDeleteLine(const char *text, int length, int start);

// Takes the blanks and TABs from in front of every line end in the range
// and in front of the range end; nothing else moves.
EditPlan PlanTrimRight(const char *text, int length, int start, int end);
// Every TAB in the range becomes four blanks.
EditPlan PlanTabsToSpaces(const char *text, int length, int start, int end);
// Only the letters that change are replaced, one by one, so every other
// character keeps its format.
EditPlan PlanChangeCase(const char *text, int length, int start, int end, bool upper);
// Pads the range's lines with blanks up to its longest line, so that a
// highlight colour forms one block.
EditPlan PlanBlockPad(const char *text, int length, int start, int end);

// Applies a plan to a string (tests and callers without a control).
void ApplyPlanToString(std::string *text, const EditPlan &plan);

// A typed console line: when it starts with a drive prompt (one ':', at least
// one '\' before the first '>'), only the text after the '>' is kept.
void StripConsolePrompt(std::string *line);
// Cuts the text right behind its first CR LF.
void CutAfterFirstCrLf(std::string *line);
