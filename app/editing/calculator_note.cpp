#include "calculator_note.h"

#include <richedit.h>

#include <vector>

#include "calculator.h"
#include "ui_seams.h"
#include "editing_ids.h"

int GatherCalcText(HWND edit, std::string *text)
{
    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    text->clear();
    if (selection.cpMin == selection.cpMax) {
        LRESULT line = SendMessageA(edit, EM_EXLINEFROMCHAR, 0, selection.cpMin);
        std::vector<char> buffer(CALC_LINE_BUFFER + 1, '\0');
        *(WORD *)buffer.data() = (WORD)CALC_LINE_BUFFER;
        LRESULT got = SendMessageA(edit, EM_GETLINE, (WPARAM)line, (LPARAM)buffer.data());
        if (got < 0)
            got = 0;
        if (got > CALC_LINE_BUFFER)
            got = CALC_LINE_BUFFER;
        text->assign(buffer.data(), (size_t)got);
    } else {
        if (selection.cpMax - selection.cpMin > CALC_SELECTION_MAX)
            return -1;
        // Paragraph ends inside the selection stay as they are: the scanner
        // takes CR and LF for blanks, as it does the line breaks of a listing.
        std::vector<char> buffer((size_t)(selection.cpMax - selection.cpMin) + 1, '\0');
        TEXTRANGEA range;
        range.chrg = selection;
        range.lpstrText = buffer.data();
        LRESULT got = SendMessageA(edit, EM_GETTEXTRANGE, 0, (LPARAM)&range);
        if (got < 0)
            got = 0;
        if ((size_t)got >= buffer.size())
            got = (LRESULT)buffer.size() - 1;
        text->assign(buffer.data(), (size_t)got);
    }
    text->push_back(' ');
    return 0;
}

int RunEditTextOp(HWND note)
{
    HWND edit = GetDlgItem(note, NOTE_EDIT_CONTROL_ID);
    if (!edit)
        return -1;
    std::string text;
    if (GatherCalcText(edit, &text) != 0) {
        ZtMessageBox(note, CALC_MEMORY_ERROR_TEXT, CALC_MEMORY_ERROR_CAPTION, MB_ICONHAND);
        return -1;
    }
    std::string output;
    if (CalcEvaluate(text.data(), text.size(), &output) == 0) {
        while (!output.empty() && output.back() == ' ')
            output.pop_back();
    }

    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    selection.cpMin = selection.cpMax;
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&selection);
    // The line break is not worth an undo step of its own; the result is.
    SendMessageA(edit, EM_REPLACESEL, FALSE, (LPARAM) "\r");
    SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)output.c_str());
    return 0;
}
