// The syntax formatter on a note's rich-edit control.
#pragma once
#include <windows.h>

#include "syntax_formatter.h"

// Formats the control through its selection; the caller restores the
// selection afterwards. Reads return at most SYNTAX_TEXT_CACHE characters.
class RichEditSyntaxText : public SyntaxText {
public:
    explicit RichEditSyntaxText(HWND edit) : edit(edit) {}
    long TextEnd() override;
    long ReadText(long start, long count, char *out) override;
    void ApplyBaseFormat(long start, long end, uint32_t baseColour) override;
    void ApplyFormat(long start, long end, const SyntaxFormat &format) override;
    void ReplaceText(long start, long end, const char *text) override;
    void ShowSelection(bool show) override;

private:
    void Select(long start, long end);
    HWND edit;
    char readBuffer[SYNTAX_TEXT_CACHE + 1];
};

// Colours start..end (end -1: to the end of the text) of the control as the
// given language of "syntax.cfg", on the base colour. Returns 0, or -1 when
// there is no such language.
int SyntaxFormatRange(HWND edit, int language, LONG start, LONG end, COLORREF baseColour);
