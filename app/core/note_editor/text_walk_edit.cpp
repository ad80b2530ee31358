#include "text_walk_edit.h"

#include <richedit.h>

int ReadEditText(HWND edit, std::string *out)
{
    out->clear();
    // WM_GETTEXT may widen each paragraph end to CR LF where the control
    // counts it as one position; a text range comes back position for
    // position. The text length is never smaller than the position count.
    LRESULT length = SendMessageA(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length < 0)
        return -1;
    std::string buffer((size_t)length + 1, '\0');
    TEXTRANGEA range;
    range.chrg.cpMin = 0;
    range.chrg.cpMax = (LONG)length;
    range.lpstrText = &buffer[0];
    LRESULT got = SendMessageA(edit, EM_GETTEXTRANGE, 0, (LPARAM)&range);
    if (got < 0 || got > length)
        return -1;
    buffer.resize((size_t)got);
    out->swap(buffer);
    return (int)got;
}

void ApplyEditPlan(HWND edit, const EditPlan &plan)
{
    for (const TextEdit &e : plan.edits) {
        CHARRANGE span = {e.position, e.position + e.removeCount};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&span);
        SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)e.insert.c_str());
    }
    if (plan.selectStart >= 0) {
        CHARRANGE sel = {plan.selectStart, plan.selectEnd};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&sel);
    }
}
