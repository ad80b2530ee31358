// How much text a note from outside (a poke, a file, the installer) may
// bring, and in which form it goes into the note. Wine's rich-edit control
// spends far more on laying text out than on reading it, and a note's text
// goes into the control while the sender waits: a note must be made within a
// second and a couple of hundred megabytes. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/notes_table/rich_text_check.h"

enum {
    // More than any note needs, below the 2 MB from which Wine's DDE cannot
    // deliver a poke at all, and read by the control in tens of milliseconds
    // (pictures, tables and formatting cost little).
    OUTSIDE_TEXT_BYTES = 1024 * 1024,
    // What the layout of a note's text may cost, as EstimateLayoutMicroseconds
    // and EstimateLayoutBytes reckon it: the estimate follows what the control
    // was measured to take on a machine busy with other work, so a note at
    // the bound stays within a second and 200 MB with room to spare.
    OUTSIDE_LAYOUT_BUDGET = 500000,
    OUTSIDE_LAYOUT_BYTES = 100 * 1024 * 1024,
    // The font a text is laid out in when nothing says otherwise.
    OUTSIDE_DEFAULT_FONT_PIXELS = 13,
};

// Wine's layout time for a note at least 200 pixels wide, in microseconds of
// processor time: per character (more at larger fonts, which put fewer on a
// line), per paragraph, and, with word wrap, per square of a paragraph's
// length; digits, tabs and digits next to letters besides. fontPixels is the
// note's font height.
uint64_t EstimateLayoutMicroseconds(const TextLayout &layout, bool wordWrap, int fontPixels);
// The memory the control takes to hold the laid-out text, in bytes.
uint64_t EstimateLayoutBytes(const TextLayout &layout, bool wordWrap, int fontPixels);

struct OutsideTextPlan {
    int richVerdict; // RICH_TEXT_OK: rich goes in as RTF; otherwise why not
    std::string rich; // the text as our own writer wrote it again: all the control is given
    int refusal;     // RICH_TEXT_OK, or why the text cannot become a note's at all
    bool wrapOff;    // plain text that goes in only with word wrap off
};

// mayBeRich: the text goes in as RTF when it is RTF (file contents, the
// binary form of a poke); false for text that is plain by its form. Rich text
// is read and written again at the door first; the check and the layout are
// those of what the writer wrote. A rich text whose layout is too costly is refused; a plain one
// is taken with word wrap off when that makes it cheap enough.
void PlanOutsideText(const char *text, size_t bytes, bool mayBeRich, bool wordWrap, int fontPixels,
                     OutsideTextPlan *plan);
