#include "check_list_view.h"

#include <commctrl.h>

#include <vector>

#include "core/notes_table/notes_file_format.h"

enum { STATE_UNCHECKED = 1, STATE_CHECKED = 2 };

int CheckListAddItem(HWND view, const char *text, size_t length, bool checked)
{
    if (length > CHECK_LIST_TEXT_CHARS)
        length = CHECK_LIST_TEXT_CHARS;
    std::string copy(text, length);
    LVITEMA item = {};
    item.mask = LVIF_TEXT;
    item.iItem = (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0);
    item.pszText = &copy[0];
    int index = (int)SendMessageA(view, LVM_INSERTITEMA, 0, (LPARAM)&item);
    if (index >= 0)
        CheckListSetChecked(view, index, checked);
    return index;
}

bool CheckListItemChecked(HWND view, int index)
{
    UINT state = (UINT)SendMessageA(view, LVM_GETITEMSTATE, index, LVIS_STATEIMAGEMASK);
    return (state & LVIS_STATEIMAGEMASK) >> 12 == STATE_CHECKED;
}

void CheckListSetChecked(HWND view, int index, bool checked)
{
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? STATE_CHECKED : STATE_UNCHECKED);
    SendMessageA(view, LVM_SETITEMSTATE, index, (LPARAM)&item);
}

std::string CheckListItemText(HWND view, int index)
{
    char buffer[CHECK_LIST_TEXT_CHARS + 1];
    buffer[0] = 0;
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = buffer;
    item.cchTextMax = sizeof buffer;
    LRESULT got = SendMessageA(view, LVM_GETITEMTEXTA, index, (LPARAM)&item);
    buffer[CHECK_LIST_TEXT_CHARS] = 0;
    if (got < 0 || got > CHECK_LIST_TEXT_CHARS)
        got = 0;
    return std::string(buffer, (size_t)got);
}

static void SetItemText(HWND view, int index, const std::string &text)
{
    std::string copy = text;
    LVITEMA item = {};
    item.iSubItem = 0;
    item.pszText = &copy[0];
    SendMessageA(view, LVM_SETITEMTEXTA, index, (LPARAM)&item);
}

void CheckListExchangeItems(HWND view, int a, int b)
{
    std::string textA = CheckListItemText(view, a), textB = CheckListItemText(view, b);
    bool checkedA = CheckListItemChecked(view, a), checkedB = CheckListItemChecked(view, b);
    SetItemText(view, a, textB);
    SetItemText(view, b, textA);
    CheckListSetChecked(view, a, checkedB);
    CheckListSetChecked(view, b, checkedA);
}

void CheckListSelectItem(HWND view, int index)
{
    LVITEMA item = {};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(view, LVM_SETITEMSTATE, (WPARAM)-1, (LPARAM)&item);
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageA(view, LVM_SETITEMSTATE, index, (LPARAM)&item);
    SendMessageA(view, LVM_SETSELECTIONMARK, 0, index);
    SendMessageA(view, LVM_ENSUREVISIBLE, index, FALSE);
}

int CheckListActiveItem(HWND view)
{
    int count = (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0);
    int mark = (int)SendMessageA(view, LVM_GETSELECTIONMARK, 0, 0);
    if (mark >= 0 && mark < count)
        return mark;
    return (int)SendMessageA(view, LVM_GETNEXTITEM, (WPARAM)-1, LVNI_SELECTED);
}

ByteBuffer CheckListStream(HWND view)
{
    ByteBuffer out;
    int count = (int)SendMessageA(view, LVM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        std::string text = CheckListItemText(view, i);
        AppendCheckListItem(&out, CheckListItemChecked(view, i), text.data(), text.size());
    }
    return out;
}

int CheckListAddStream(HWND view, const uint8_t *bytes, size_t size)
{
    ByteReader reader = {bytes, size, 0};
    std::vector<CheckListItem> items;
    int result = TakeCheckList(&reader, &items);
    for (const CheckListItem &item : items)
        CheckListAddItem(view, (const char *)item.text, item.length, item.checked);
    return result;
}
