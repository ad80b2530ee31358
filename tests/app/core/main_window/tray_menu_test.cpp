#include <string>
#include <vector>

#include "core/note_editor/note_colours.h"
#include "main_window_fixture.h"

namespace {

std::string ItemText(HMENU menu, int position)
{
    char text[64] = {};
    GetMenuStringA(menu, (UINT)position, text, sizeof text, MF_BYPOSITION);
    return text;
}

std::vector<int> ItemIds(HMENU menu)
{
    std::vector<int> ids;
    for (int i = 0; i < GetMenuItemCount(menu); ++i)
        ids.push_back((int)GetMenuItemID(menu, i));
    return ids;
}

} // namespace

TEST_F(MainWindowTest, TrayMenuHoldsItsEntriesInOrder)
{
    CreateMain();
    ASSERT_NE(TrayMenu, nullptr);
    const struct {
        const char *text;
        int id; // -1: a submenu, 0: a separator
    } expected[] = {
        {"New Zettly", CMD_NEW_ZETTLY},
        {"New Zettly Group", CMD_NEW_GROUP},
        {"Zettly Default Prefs", CMD_DEFAULT_PREFS},
        {"Hidden Zettlies", -1},
        {"Quick Jump To Zettly", -1},
        {"Zettlies Utils", -1},
        {"Show Media Player", CMD_PLAYER},
        {"Show Clock", CMD_CLOCK},
        {"Show Desktop BG Changer", CMD_CHANGER},
        {"Show Mem/Disk IO Stats", CMD_METER},
        {"Show Process Tree", CMD_SHOW_PROCESS_TREE},
        {"About Zettlies", CMD_ABOUT},
        {"", 0},
        {"Quit Zettlies", CMD_QUIT},
    };
    ASSERT_EQ(GetMenuItemCount(TrayMenu), 14);
    for (int i = 0; i < 14; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ItemText(TrayMenu, i), expected[i].text);
        EXPECT_EQ((int)GetMenuItemID(TrayMenu, i), expected[i].id);
    }
    HMENU utils = GetSubMenu(TrayMenu, TRAY_POS_UTILS);
    EXPECT_EQ(ItemIds(utils),
              (std::vector<int>{CMD_INFO, CMD_SAVE_NOW, CMD_REALIGN, CMD_NUKE, CMD_HIDE_ALL,
                                CMD_SHOW_ALL, CMD_FIX_UNLINKED, 0, CMD_RESET_PLAYER,
                                CMD_RESET_CLOCK, CMD_RESET_METER, 0, CMD_IMPORT, CMD_EXPORT_ALL,
                                CMD_IMPORT_ALL, 0, CMD_HELP}));
    EXPECT_EQ(ItemText(utils, 0), "Zettly Info");
    EXPECT_EQ(ItemText(utils, 10), "Reset Mem Stats Window View/Pos");
    EXPECT_EQ(ItemText(utils, 16), "Help Me...");
}

TEST_F(MainWindowTest, NoteSubmenusListHiddenAndShownNotesInSlotOrder)
{
    CreateMain();
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(NewNote(), i);
    int group = (int)SendMessageA(main, WM_COMMAND, CMD_NEW_GROUP, 0);
    ASSERT_EQ(group, 6);
    // 4 and 1 hidden; 0 and 5 are members of the group, 5 hidden too
    for (int slot : {4, 1, 5})
        ZettlyTable[slot].showCommand = 0;
    for (int slot : {0, 5}) {
        ZettlyTable[slot].isMember = 1;
        ZettlyTable[slot].groupSlot = group;
    }
    RebuildNoteMenus();
    HMENU hidden = GetSubMenu(TrayMenu, TRAY_POS_HIDDEN);
    HMENU quickJump = GetSubMenu(TrayMenu, TRAY_POS_QUICK_JUMP);
    EXPECT_EQ(ItemText(TrayMenu, TRAY_POS_HIDDEN), "Hidden Zettlies");
    EXPECT_EQ(ItemText(TrayMenu, TRAY_POS_QUICK_JUMP), "Quick Jump To Zettly");
    EXPECT_EQ(ItemIds(hidden), (std::vector<int>{4001, 4004, 4005}));
    EXPECT_EQ(ItemIds(quickJump), (std::vector<int>{4002, 4003, 4006, 4000}))
        << "shown members follow their group";
    EXPECT_TRUE(GetMenuState(hidden, 0, MF_BYPOSITION) & MF_OWNERDRAW);
    EXPECT_EQ(GetMenuItemCount(TrayMenu), 14);

    for (int slot = 0; slot < 7; ++slot)
        DestroyWindow(ZettlyTable[slot].window);
    RebuildNoteMenus();
    EXPECT_FALSE(IsMenu(hidden)) << "the replaced submenus are destroyed";
    EXPECT_FALSE(IsMenu(quickJump));
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(TrayMenu, TRAY_POS_HIDDEN)), 0)
        << "no hidden notes: an empty submenu";
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(TrayMenu, TRAY_POS_QUICK_JUMP)), 0);
}

namespace {
HWND OpenMenuSeen;
DWORD MenuDeadline;

// Ticks inside the menu's own loop: the menu is closed as soon as one of this
// process shows, or when the deadline passes without one.
void CALLBACK CloseMenuOnceShown(HWND, UINT, UINT_PTR timer, DWORD)
{
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr)) != nullptr;) {
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process == GetCurrentProcessId() && IsWindowVisible(w))
            OpenMenuSeen = w;
    }
    if (OpenMenuSeen || (LONG)(GetTickCount() - MenuDeadline) >= 0) {
        KillTimer(nullptr, timer);
        EndMenu();
    }
}
} // namespace

TEST_F(MainWindowTest, RightClickRebuildsAndShowsTheTrayMenu)
{
    CreateMain();
    int slot = NewNote();
    ZettlyTable[slot].showCommand = 0;
    SendMessageA(main, WM_COMMAND, CMD_CLOCK, 0);
    ShowWindow(Companions[COMPANION_CLOCK].window, SW_HIDE);
    OpenMenuSeen = nullptr;
    MenuDeadline = GetTickCount() + ScaledWait(5000);
    UINT_PTR closer = SetTimer(nullptr, 0, 10, CloseMenuOnceShown);
    SendMessageA(main, WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
    KillTimer(nullptr, closer);
    EXPECT_NE(OpenMenuSeen, nullptr) << "the popup menu was on screen";
    EXPECT_EQ(ItemIds(GetSubMenu(TrayMenu, TRAY_POS_HIDDEN)),
              (std::vector<int>{CMD_JUMP_FIRST + slot}));
    EXPECT_EQ(Companions[COMPANION_CLOCK].window, nullptr);
    EXPECT_FALSE(IsChecked(CMD_CLOCK));
}

namespace {
// Draws the slot's entry into a bitmap and reads the colour at a point of it.
COLORREF DrawnColour(HWND main, int slot, bool selected, int x, int y)
{
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 200, 40);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemID = CMD_JUMP_FIRST + slot;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = selected ? ODS_SELECTED : 0;
    item.hDC = dc;
    item.rcItem = {0, 0, 200, 40};
    SendMessageA(main, WM_DRAWITEM, 0, (LPARAM)&item);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}
} // namespace

TEST_F(MainWindowTest, NoteEntriesAreDrawnInTheNoteColours)
{
    CreateMain();
    int slot = NewNote();
    ZettlyTable[slot].backColour = RGB(200, 100, 20);
    ZettlyTable[slot].textColour = RGB(0, 0, 128);
    ZettlyTable[slot].blinkColour = RGB(0, 255, 0);
    EXPECT_EQ(DrawnColour(main, slot, false, 1, 1), RGB(170, 70, 0)) << "the darkened background";
    EXPECT_EQ(DrawnColour(main, slot, true, 1, 1), RGB(0, 0, 128)) << "selected: text colour";

    ZettlyInfo.titleGradient = 1;
    EXPECT_EQ(DrawnColour(main, slot, false, 0, 20), RGB(170, 70, 0));
    COLORREF right = DrawnColour(main, slot, false, 199, 20);
    EXPECT_LT(GetRValue(right), 10);
    EXPECT_GT(GetGValue(right), 245) << "the gradient ends at the blink colour";

    ZettlyInfo.titleGradient = 0;
    ZettlyTable[slot].isMember = 1;
    EXPECT_NE(DrawnColour(main, slot, false, 5, 1), RGB(170, 70, 0))
        << "members stand indented under their group";
    EXPECT_EQ(DrawnColour(main, slot, false, 15, 1), RGB(170, 70, 0));
}

TEST_F(MainWindowTest, EntryWithoutTitleIsMeasuredAsABlank)
{
    CreateMain();
    int slot = NewNote();
    MEASUREITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    item.itemID = CMD_JUMP_FIRST + slot;
    SendMessageA(main, WM_MEASUREITEM, 0, (LPARAM)&item);
    UINT emptyWidth = item.itemWidth, emptyHeight = item.itemHeight;
    EXPECT_GT(emptyWidth, 4u);
    EXPECT_GT(emptyHeight, 4u);
    lstrcpyA(ZettlyTable[slot].title, " ");
    SendMessageA(main, WM_MEASUREITEM, 0, (LPARAM)&item);
    EXPECT_EQ(item.itemWidth, emptyWidth);
    EXPECT_EQ(item.itemHeight, emptyHeight);
    lstrcpyA(ZettlyTable[slot].title, "Shopping list for the weekend");
    SendMessageA(main, WM_MEASUREITEM, 0, (LPARAM)&item);
    EXPECT_GT(item.itemWidth, emptyWidth + 50);

    item.itemID = CMD_THIN_SEPARATOR;
    SendMessageA(main, WM_MEASUREITEM, 0, (LPARAM)&item);
    EXPECT_EQ(item.itemHeight, 2u);
}
