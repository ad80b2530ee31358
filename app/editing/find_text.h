// Find and replace over any text that can select, search and replace: the
// note's rich-edit control in the program, a plain string in the tests. No
// windows.h.
#pragma once

// The search flags the find dialog hands over (FR_ values): the search always
// runs forward.
enum {
    FIND_FLAG_DOWN = 0x1,
    FIND_FLAG_WHOLE_WORD = 0x2,
    FIND_FLAG_MATCH_CASE = 0x4,
};

struct TextSpan {
    long start, end;
};

class SearchableText {
public:
    virtual ~SearchableText() = default;
    virtual TextSpan Selection() = 0;
    virtual void Select(TextSpan span) = 0;
    // The first match of what lying within from..to (to -1: the end of the
    // text); start -1 when there is none.
    virtual TextSpan Find(long from, long to, const char *what, unsigned flags) = 0;
    // Replaces the selection, as the user could undo it.
    virtual void ReplaceSelection(const char *text) = 0;
    virtual void ScrollToCaret() {}
};

struct FindRequest {
    unsigned flags;
    const char *what;
    const char *with;
};

// One forward search up to bound (-1: the end), from the selection start when
// fromSelectionStart is set or nothing is selected, else from the selection
// end, so a match that begins where the selected one ends is found. Selects
// the match; its position, or -1.
long FindNextIn(SearchableText *text, const FindRequest &request, long bound,
                int fromSelectionStart);

// Replaces the selection (if any) and searches on from the end of the new
// text. The bound moves by exactly the change of length when the replaced
// text lay before it. Selects the match; its position, or -1.
long ReplaceNextIn(SearchableText *text, const FindRequest &request, long *bound);

// Every match from the start of the text to its end; returns how many.
int ReplaceAllIn(SearchableText *text, const FindRequest &request);

// One pass of searching: from where it began to the end, then once from the
// start of the text up to where it began.
struct FindPass {
    long bound;       // end of the next search, -1 the end of the text
    long searchStart; // where the pass began
    int wrapped;      // the pass has gone round to the start
};

void BeginFindPass(FindPass *pass, long searchStart);

// A Find Next (replace false) or Replace request of the dialog, wrapping once
// when the end is reached. The match's position, or -1 when the pass has
// nothing more: the caller reports it and begins the next pass.
long RunFindRequest(FindPass *pass, SearchableText *text, const FindRequest &request,
                    bool replace);
