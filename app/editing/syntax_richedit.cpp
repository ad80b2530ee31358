#include "syntax_richedit.h"

#include <richedit.h>

#include "syntax_config.h"

void RichEditSyntaxText::Select(long start, long end)
{
    CHARRANGE range = {start, end};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
}

long RichEditSyntaxText::TextEnd()
{
    Select(0, -1);
    CHARRANGE range = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&range);
    return range.cpMax;
}

long RichEditSyntaxText::ReadText(long start, long count, char *out)
{
    if (count > SYNTAX_TEXT_CACHE)
        count = SYNTAX_TEXT_CACHE;
    if (count <= 0)
        return 0;
    // The range request writes a terminator behind the text.
    TEXTRANGEA range;
    range.chrg.cpMin = start;
    range.chrg.cpMax = start + count;
    range.lpstrText = readBuffer;
    readBuffer[0] = '\0';
    LRESULT got = SendMessageA(edit, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    if (got < 0)
        got = 0;
    if (got > count)
        got = count;
    memcpy(out, readBuffer, (size_t)got);
    return (long)got;
}

static void SetSelectionFormat(HWND edit, DWORD mask, DWORD effects, COLORREF text, COLORREF back)
{
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    format.dwMask = mask;
    format.dwEffects = effects;
    format.crTextColor = text;
    format.crBackColor = back;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
}

void RichEditSyntaxText::ApplyBaseFormat(long start, long end, uint32_t baseColour)
{
    Select(start, end);
    SetSelectionFormat(edit, CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_BACKCOLOR, 0,
                       RGB(0, 0, 0), (COLORREF)baseColour);
}

void RichEditSyntaxText::ApplyFormat(long start, long end, const SyntaxFormat &format)
{
    DWORD effects = 0;
    if (format.effects & SYNTAX_BOLD)
        effects |= CFE_BOLD;
    if (format.effects & SYNTAX_ITALIC)
        effects |= CFE_ITALIC;
    if (format.effects & SYNTAX_UNDERLINE)
        effects |= CFE_UNDERLINE;
    Select(start, end);
    SetSelectionFormat(edit, CFM_COLOR | CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE, effects,
                       (COLORREF)format.colour, 0);
}

void RichEditSyntaxText::ReplaceText(long start, long end, const char *text)
{
    Select(start, end);
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
}

void RichEditSyntaxText::ShowSelection(bool show)
{
    SendMessageA(edit, EM_HIDESELECTION, show ? FALSE : TRUE, 0);
}

int SyntaxFormatRange(HWND edit, int language, LONG start, LONG end, COLORREF baseColour)
{
    if (!FindSyntaxLanguage(CurrentSyntaxTable(), language))
        return -1;
    RichEditSyntaxText text(edit);
    return FormatSyntaxRange(CurrentSyntaxTable(), &text, language, start, end, baseColour);
}
