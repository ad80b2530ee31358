// Two real notes for a screenshot: one with its check list open beside it,
// one with the list collapsed to its strip. check_list_showcase <seconds>
// [rolled]: the first note is then rolled up with animation, as Alt+Z does.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "editing/check_list.h"
#include "editing/check_list_ids.h"
#include "editing/check_list_view.h"
#include "notes_file_fixture.h"
#include "core/notes_table/zettly_settings.h"
#include "core/note_window/window_creation.h"

using namespace notes_test;

static void NoteWithList(int slot, const char *text, bool collapsed,
                         std::initializer_list<const char *> items)
{
    CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
    ZettlyRecord *z = &ZettlyTable[slot];
    z->windowRect = ZettlyRect{60 + 460 * slot, 80, 300 + 460 * slot, 300};
    z->backColour = slot ? RGB(200, 230, 255) : RGB(255, 255, 170);
    z->textColour = RGB(0, 0, 0);
    std::snprintf(z->title, sizeof z->title, "%s", slot ? "Travel" : "Errands");
    CreateZettlyWindow(nullptr, slot, TRUE, TRUE);
    SetWindowTextA(z->editWindow, text);
    z->checkListWidth = 170;
    z->checkListHeight = 150;
    z->checkListDocked = collapsed ? CHECK_LIST_COLLAPSED : CHECK_LIST_EXPANDED;
    HWND list = CreateCheckList(z->window, slot);
    for (const char *item : items) {
        int index = (int)SendMessageA(list, WM_USER, CHECK_LIST_ADD_TEXT, (LPARAM)(item + 1));
        CheckListSetChecked(GetDlgItem(list, IDC_CHECK_LIST_VIEW), index, item[0] == '1');
    }
    SendMessageA(z->editWindow, WM_USER, 0, 0);
}

int main(int argc, char **argv)
{
    int seconds = argc > 1 ? std::atoi(argv[1]) : 10;
    OleInitialize(nullptr);
    PrepareNoteWindows();
    ResetDefaultSettings();
    // The folded one first: a list hides when another note takes the focus.
    NoteWithList(1, "Packing list (its check list is folded to the strip)", true,
                 {"0passport", "0tickets"});
    NoteWithList(0, "Shopping for Saturday", false, {"1bread", "0milk", "1apples", "0coffee beans"});
    SendMessageA(ZettlyTable[0].editWindow, WM_USER, 6, 0);
    if (argc > 2 && std::strcmp(argv[2], "rolled") == 0) {
        ZettlyInfo.animateRoll = 1;
        ZettlyInfo.animationStep = 3;
        PostMessageA(ZettlyTable[0].window, WM_COMMAND, CMD_ROLL_ZETTLY, 0);
    }
    DWORD end = GetTickCount() + (DWORD)seconds * 1000;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    return 0;
}
