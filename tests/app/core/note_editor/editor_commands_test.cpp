#include <gtest/gtest.h>

#include <richedit.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/core_ids.h"
#include "core/editing_features.h"
#include "core/note_editor/editor_ids.h"
#include "core/note_editor/editor_caret.h"
#include "core/note_editor/editor_commands.h"
#include "core/note_editor/editor_menu.h"
#include "core/note_editor/note_edit.h"
#include "core/note_editor/text_walk_edit.h"
#include "core/note_window/group_window.h"
#include "core/note_window/note_commands.h"
#include "core/note_window/note_window.h"
#include "core/notes_table/zettly_settings.h"
#include "core/notes_table/zettly_slots.h"
#include "core/editing_features.h"
#include "core/note_editor/tooltip_window.h"
#include "test_support.h"
#include "core/note_window/window_creation.h"

namespace {

class EditorCommands : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LoadLibraryA(RICH_EDIT_LIBRARY);
        RegisterNoteClass(GetModuleHandleA(nullptr));
        RegisterGroupClass(GetModuleHandleA(nullptr));
        RegisterToolTipClass(GetModuleHandleA(nullptr));
    }
    void SetUp() override
    {
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        SetDefaultInfoSettings(&ZettlyInfo);
        ResetDefaultSettings();
        ZettlyInfo.soundEffects = 0;
        ZettlyInfo.animateRoll = 0;
        ZettlyInfo.lineColumnInfo = 0;
        ZettlyInfo.groupWarning = 0;
        ZettlySchemes.count = 0;
    }
    void TearDown() override
    {
        for (int slot = 0; slot <= ZETTLY_LAST_NOTE_SLOT; ++slot)
            if (ZettlyTable[slot].window)
                DestroyWindow(ZettlyTable[slot].window);
        RemoveSyntaxMenu();
        PumpPostedMessages();
    }
    int NewNote(int x = 100, int y = 100, bool group = false)
    {
        int slot = FindFreeZettlySlot();
        CloneZettly(ZETTLY_DEFAULT_SLOT, slot);
        ZettlyTable[slot].windowRect = {x, y, x + 320, y + 220};
        ZettlyTable[slot].isGroup = group;
        if (CreateZettlyWindow(nullptr, slot, TRUE, TRUE) != 0)
            return -1;
        return slot;
    }
    HWND Edit(int slot) { return ZettlyTable[slot].editWindow; }
    void Command(HWND edit, UINT id, LPARAM lParam = 0)
    {
        SendMessageA(edit, WM_COMMAND, id, lParam);
    }
};

std::string Text(HWND edit)
{
    std::string text;
    ReadEditText(edit, &text);
    return text;
}

void Select(HWND edit, LONG from, LONG to)
{
    CHARRANGE r = {from, to};
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&r);
}

// The format of the characters from..to as the control reports it.
CHARFORMAT2A FormatOf(HWND edit, LONG from, LONG to)
{
    Select(edit, from, to);
    CHARFORMAT2A format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
    return format;
}

// The format of the paragraph holding at.
PARAFORMAT2 ParagraphOf(HWND edit, LONG at)
{
    Select(edit, at, at);
    PARAFORMAT2 format = {};
    format.cbSize = sizeof format;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, (LPARAM)&format);
    return format;
}

bool Bold(HWND edit, LONG from, LONG to)
{
    CHARFORMAT2A f = FormatOf(edit, from, to);
    return (f.dwMask & CFM_BOLD) && (f.dwEffects & CFE_BOLD);
}

} // namespace

TEST_F(EditorCommands, EachSizeOfTheFontTypeMenuGivesTheSelectionThatSize)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "sized");
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_EDITOR_MENU));
    ASSERT_NE(menu, nullptr);
    HMENU editor = GetSubMenu(menu, 0), fontType = nullptr;
    for (int i = 0; i < GetMenuItemCount(editor) && !fontType; ++i) {
        char text[64] = "";
        GetMenuStringA(editor, (UINT)i, text, sizeof text, MF_BYPOSITION);
        if (std::string(text) == "Font Type")
            fontType = GetSubMenu(editor, i);
    }
    ASSERT_NE(fontType, nullptr);
    int sizes = 0;
    for (int i = 0; i < GetMenuItemCount(fontType); ++i) {
        char text[64] = "";
        GetMenuStringA(fontType, (UINT)i, text, sizeof text, MF_BYPOSITION);
        int points = atoi(text);
        if (points <= 0)
            continue;
        ++sizes;
        Select(edit, 0, 5);
        Command(edit, GetMenuItemID(fontType, i));
        EXPECT_EQ(FormatOf(edit, 0, 5).yHeight, points * 20) << text;
    }
    EXPECT_EQ(sizes, 17);
    DestroyMenu(menu);
}

TEST_F(EditorCommands, BoldAndColoursTouchTheSelectionOnly)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "plain bold plain");
    Select(edit, 6, 10);
    Command(edit, 40042);
    EXPECT_TRUE(Bold(edit, 6, 10));
    EXPECT_FALSE(Bold(edit, 0, 5));
    EXPECT_FALSE(Bold(edit, 11, 16));
    Select(edit, 6, 10);
    Command(edit, 40042);
    EXPECT_FALSE(Bold(edit, 6, 10)) << "a second press takes it off";

    Select(edit, 0, 5);
    Command(edit, 8004); // the fifth swatch of the text colours
    EXPECT_EQ(FormatOf(edit, 0, 5).crTextColor, EditorPalette[4]);
    EXPECT_NE(FormatOf(edit, 6, 10).crTextColor, EditorPalette[4]);
    Select(edit, 6, 10);
    Command(edit, 18006);
    EXPECT_EQ(FormatOf(edit, 6, 10).crBackColor, EditorPalette[6]);
    // "Default" puts the note's own colours back.
    Select(edit, 0, 16);
    Command(edit, 40083);
    Command(edit, 40081);
    EXPECT_EQ(FormatOf(edit, 0, 16).crTextColor, ZettlyTable[slot].textColour);
    EXPECT_EQ(FormatOf(edit, 0, 16).crBackColor, ZettlyTable[slot].backColour);
}

TEST_F(EditorCommands, CaseChangeKeepsEachCharactersFormat)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "Mixed Case 42");
    Select(edit, 0, 5);
    Command(edit, 40042);
    Select(edit, 0, 13);
    Command(edit, 40154);
    EXPECT_EQ(Text(edit), "MIXED CASE 42");
    EXPECT_TRUE(Bold(edit, 0, 5));
    EXPECT_FALSE(Bold(edit, 6, 10));

    // Nothing selected: the whole text, after a Yes.
    Select(edit, 3, 3);
    MessageBoxRecorder boxes(IDYES);
    Command(edit, 40153);
    EXPECT_EQ(Text(edit), "mixed case 42");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Do you want to change the case on the whole of the text?");
    EXPECT_EQ(boxes.Boxes()[0].caption, "*** Attention / Achtung ***");
}

TEST_F(EditorCommands, TrimTabsIndentAndDeleteLineOnTheControl)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    // The control's own line ends, however it counts them.
    SetWindowTextA(edit, "one  \r\ntwo\t \r\nthree");
    std::string before = Text(edit);
    {
        MessageBoxRecorder boxes(IDNO);
        Select(edit, 0, 0);
        Command(edit, 40129);
        EXPECT_EQ(Text(edit), before) << "No leaves the text alone";
    }
    {
        MessageBoxRecorder boxes(IDYES);
        Select(edit, 0, 0);
        Command(edit, 40129);
    }
    std::string trimmed = Text(edit);
    EXPECT_EQ(trimmed.find(' '), std::string::npos) << trimmed;
    EXPECT_EQ(trimmed.find('\t'), std::string::npos) << trimmed;
    EXPECT_NE(trimmed.find("three"), std::string::npos);

    // Indent a selection over all three lines: one blank at each line start.
    Select(edit, 0, -1);
    Command(edit, 15444);
    std::string indented = Text(edit);
    int lines = 0;
    for (size_t i = 0; i < indented.size(); ++i)
        if (indented[i] == ' ') {
            ++lines;
            EXPECT_TRUE(i == 0 || indented[i - 1] == '\r' || indented[i - 1] == '\n') << i;
        }
    EXPECT_EQ(lines, 3);
    Select(edit, 0, -1);
    Command(edit, 15443);
    EXPECT_EQ(Text(edit), trimmed);

    // A selection from inside "one" to the start of "three" moves the two
    // lines it touches, at their starts, and nothing inside a line.
    LONG three = (LONG)trimmed.find("three");
    Select(edit, 1, three);
    Command(edit, 15444);
    std::string expected = trimmed;
    expected.insert((size_t)trimmed.find("two"), " ");
    expected.insert(0, " ");
    EXPECT_EQ(Text(edit), expected);
    CHARRANGE after = {};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&after);
    EXPECT_EQ(after.cpMin, 0) << "the selection takes in the whole first line";
    // Un-indent from inside the first line's text takes the blanks from
    // the line starts, not the blank in front of the selection.
    SetWindowTextA(edit, (" a b" + trimmed.substr(3)).c_str());
    std::string spaced = Text(edit);
    Select(edit, 3, (LONG)spaced.find("two") + 1);
    Command(edit, 15443);
    EXPECT_EQ(Text(edit), "a b" + trimmed.substr(3));

    SetWindowTextA(edit, trimmed.c_str());
    // The middle line goes, with its line end.
    LONG two = (LONG)trimmed.find("two");
    Select(edit, two + 1, two + 1);
    Command(edit, 40104);
    std::string left = Text(edit);
    EXPECT_EQ(left.find("two"), std::string::npos);
    EXPECT_NE(left.find("one"), std::string::npos);
    EXPECT_EQ(left.substr(left.size() - 5), "three");

    // Blanks inside a line stay; those in front of a line end go.
    SetWindowTextA(edit, "a \t b  \r\nc");
    std::string inner = Text(edit);
    Select(edit, 0, -1);
    Command(edit, 40129);
    EXPECT_EQ(Text(edit), "a \t b" + inner.substr(inner.find('\r')));

    SetWindowTextA(edit, "a\tb");
    Select(edit, 0, 3);
    Command(edit, 40156);
    EXPECT_EQ(Text(edit), "a    b");
}

// A command's key character is swallowed by that editor alone: typing in
// another note goes on.
TEST_F(EditorCommands, TheSwallowedKeyBelongsToItsOwnEditor)
{
    int first = NewNote(100, 100);
    int second = NewNote(450, 100);
    ASSERT_GE(second, 0);
    SetWindowTextA(Edit(first), "x\r\ny");
    Select(Edit(first), 0, 0);
    Command(Edit(first), 40103); // Ctrl+Y: its character is still to come
    SendMessageA(Edit(second), WM_CHAR, 'q', 0);
    EXPECT_EQ(Text(Edit(second)), "q");
    SendMessageA(Edit(first), WM_CHAR, 0x19, 0);
    EXPECT_EQ(Text(Edit(first)).find('\x19'), std::string::npos);
}

TEST_F(EditorCommands, NewNoteAndDefaultStyleLeaveConsoleAndCheckListBehind)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    HWND list = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, z.window, nullptr, nullptr,
                              nullptr);
    z.checkListWindow = list;
    z.consoleMode = 1;
    z.consoleRunning = 1;
    z.textColour = RGB(0, 0, 128);
    HBRUSH brush = z.backBrush;

    MessageBoxRecorder boxes(IDYES);
    LRESULT fresh = SendMessageA(z.window, WM_COMMAND, CMD_NEW_ZETTLY, 0);
    ASSERT_GE(fresh, 0);
    ASSERT_NE(fresh, slot);
    const ZettlyRecord &copy = ZettlyTable[fresh];
    EXPECT_NE(copy.window, nullptr);
    EXPECT_EQ(copy.consoleMode, 0);
    EXPECT_EQ(copy.checkListWindow, nullptr);
    EXPECT_EQ(copy.textColour, RGB(0, 0, 128));
    EXPECT_EQ(GetObjectType(brush), (DWORD)OBJ_BRUSH) << "the source keeps its brush";
    EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;

    SendMessageA(z.window, WM_COMMAND, CMD_MAKE_DEFAULT, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "*** Attention / Achtung ***");
    const ZettlyRecord &d = ZettlyTable[ZETTLY_DEFAULT_SLOT];
    EXPECT_EQ(d.textColour, RGB(0, 0, 128));
    EXPECT_EQ(d.consoleMode, 0);
    EXPECT_EQ(d.consoleRunning, 0);
    EXPECT_EQ(d.checkListWindow, nullptr);
    EXPECT_EQ(d.backBrush, nullptr);
    EXPECT_EQ(d.window, nullptr);
    EXPECT_EQ(d.isGroup, 0);
    EXPECT_EQ(d.isMember, 0);
    z.consoleMode = 0;
}

TEST_F(EditorCommands, NewZettlyFromAGroupMemberJoinsTheSameGroupBesideIt)
{
    int group = NewNote(100, 100, true);
    int member = NewNote(150, 180);
    ASSERT_GE(member, 0);
    ASSERT_EQ(AttachToGroup(group, member), 0);
    RECT first;
    GetWindowRect(ZettlyTable[member].window, &first);

    LRESULT fresh = SendMessageA(ZettlyTable[member].window, WM_COMMAND, CMD_NEW_ZETTLY, 0);
    ASSERT_GE(fresh, 0);
    const ZettlyRecord &copy = ZettlyTable[fresh];
    EXPECT_TRUE(copy.isMember);
    EXPECT_EQ(copy.groupSlot, group);
    EXPECT_EQ(GetAncestor(copy.window, GA_PARENT), ZettlyTable[group].window);
    EXPECT_TRUE(IsWindowVisible(copy.window));
    RECT second;
    GetWindowRect(copy.window, &second);
    EXPECT_EQ(second.left - first.left, 10) << "on the screen, 10 pixels right of the first";
    EXPECT_EQ(second.top - first.top, 10);
}

TEST_F(EditorCommands, RecreationKeepsTextFormatAndCheckListAndAppliesANewBackground)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    HWND oldNote = z.window;
    SetWindowTextA(z.editWindow, "kept text");
    Select(z.editWindow, 0, 4);
    Command(z.editWindow, 40042);
    HWND list = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, oldNote, nullptr, nullptr,
                              nullptr);
    z.checkListWindow = list;
    COLORREF oldBack = z.backColour, oldText = z.textColour;
    z.backColour = RGB(200, 220, 255);

    ASSERT_EQ(RecreateZettlyWindow(slot, oldBack, oldText), 0);
    EXPECT_FALSE(IsWindow(oldNote));
    ASSERT_TRUE(IsWindow(z.window));
    EXPECT_EQ(Text(z.editWindow), "kept text");
    EXPECT_TRUE(Bold(z.editWindow, 0, 4));
    EXPECT_FALSE(Bold(z.editWindow, 5, 9));
    EXPECT_EQ(FormatOf(z.editWindow, 0, 9).crBackColor, RGB(200, 220, 255));
    ASSERT_TRUE(IsWindow(list));
    EXPECT_EQ(z.checkListWindow, list);
    EXPECT_EQ(GetWindow(list, GW_OWNER), z.window);
}

TEST_F(EditorCommands, AFailedRecreationLeavesTheOldWindowAndItsText)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    HWND oldNote = z.window, oldEdit = z.editWindow;
    SetWindowTextA(oldEdit, "must survive");
    HWND list = CreateWindowA("STATIC", "", WS_POPUP, 0, 0, 10, 10, oldNote, nullptr, nullptr,
                              nullptr);
    z.checkListWindow = list;

    MessageBoxRecorder boxes;
    int result;
    {
        WindowClassRefusal noEditor(RICH_EDIT_CLASS);
        result = RecreateZettlyWindow(slot, z.backColour, z.textColour);
    }

    EXPECT_EQ(result, -1);
    EXPECT_EQ(z.window, oldNote);
    EXPECT_EQ(z.editWindow, oldEdit);
    EXPECT_EQ(FindZettlyByWindow(oldNote), slot);
    EXPECT_EQ(Text(oldEdit), "must survive");
    EXPECT_EQ(z.checkListWindow, list);
    EXPECT_TRUE(IsWindow(list));
    EXPECT_NE(z.backBrush, nullptr);
    EXPECT_NE(z.editFontHandle, nullptr);
}

TEST_F(EditorCommands, NoteMenuMarksFollowTheNoteAndTheGroupListSitsAfterCalculator)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    HMENU menu = (HMENU)SendMessageA(z.window, WM_CONTEXTMENU, 0, 0);
    ASSERT_TRUE(IsMenu(menu));
    char text[64];
    GetMenuStringA(menu, 10, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Group Add/Remove");
    GetMenuStringA(menu, 9, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Calculator");
    EXPECT_EQ(GetMenuItemCount(menu), 17);
    HMENU groups = GetSubMenu(menu, 10);
    EXPECT_EQ(GetMenuState(groups, CMD_REMOVE_FROM_GROUP, MF_BYCOMMAND) & MF_GRAYED,
              (UINT)MF_GRAYED);

    z.rolledUp = 1;
    z.topMost = 1;
    menu = (HMENU)SendMessageA(z.window, WM_CONTEXTMENU, 0, 0);
    GetMenuStringA(menu, CMD_ROLL_ZETTLY, text, sizeof text, MF_BYCOMMAND);
    EXPECT_STREQ(text, "UnRoll Zettly\tAlt+Z");
    EXPECT_TRUE(GetMenuState(menu, CMD_ALWAYS_ON_TOP, MF_BYCOMMAND) & MF_CHECKED);
    EXPECT_FALSE(IsMenu(groups)) << "the old group list is destroyed when replaced";
    z.rolledUp = 0;
}

namespace {

// The languages of a syntax file that names "First" and "Second", as the
// editing features give them to the editor's menus.
int TwoLanguages(void)
{
    return 2;
}
const char *LanguageName(int language)
{
    static const char *const names[] = {"First", "Second"};
    return language >= 0 && language < 2 ? names[language] : nullptr;
}
struct ScopedLanguages {
    EditingFeatures features = Editing();
    ScopedLanguages()
    {
        features.syntaxLanguageCount = TwoLanguages;
        features.syntaxLanguageName = LanguageName;
        UseEditingFeatures(&features);
    }
    ~ScopedLanguages() { UseEditingFeatures(nullptr); }
};

} // namespace

TEST_F(EditorCommands, ContextMenuCarriesLanguagesSchemesAndSwatchesAndSparesTheNoteMenu)
{
    ScopedLanguages languages;
    ZettlySchemes.count = ZETTLY_MAX_SCHEMES;

    int slot = NewNote();
    ASSERT_GE(slot, 0);
    BuildSyntaxMenu();
    HMENU popup = GetSubMenu(CurrentSyntaxMenu(), 0);
    ASSERT_NE(popup, nullptr);
    char text[64];
    GetMenuStringA(popup, EDITOR_MENU_FONT_COLOUR, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Font Colour");
    GetMenuStringA(popup, EDITOR_MENU_BLOCK_FORMAT, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Block Format");

    HMENU paste = GetSubMenu(GetSubMenu(popup, EDITOR_MENU_PASTE_UTILS), PASTE_UTILS_SYNTAX);
    ASSERT_NE(paste, nullptr);
    EXPECT_EQ(GetMenuItemCount(paste), 6);
    EXPECT_EQ(GetMenuItemID(paste, 1), 4000u);
    EXPECT_EQ(GetMenuItemID(paste, 2), 4001u);
    GetMenuStringA(paste, 2, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ(text, "Second");
    EXPECT_EQ(GetMenuItemID(paste, 4), 6000u);
    EXPECT_EQ(GetMenuItemID(paste, 5), 6002u);
    HMENU syntax = GetSubMenu(GetSubMenu(popup, EDITOR_MENU_BLOCK_FORMAT), BLOCK_FORMAT_SYNTAX);
    ASSERT_NE(syntax, nullptr);
    EXPECT_EQ(GetMenuItemID(syntax, 1), 5000u);
    EXPECT_EQ(GetMenuItemID(syntax, 4), 6001u);

    HMENU schemes = GetSubMenu(popup, EDITOR_MENU_SCHEME);
    EXPECT_EQ(GetMenuItemCount(schemes), 52);
    EXPECT_EQ(GetMenuItemID(schemes, 51), 45050u);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(popup, EDITOR_MENU_FONT_COLOUR)), 18);

    // The note menu hangs in the first item while the menu is open; a
    // second build throws the first copy away but not the note menu.
    HMENU noteMenu = (HMENU)SendMessageA(ZettlyTable[slot].window, WM_CONTEXTMENU, 0, 0);
    MENUITEMINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = MIIM_SUBMENU;
    info.hSubMenu = noteMenu;
    SetMenuItemInfoA(popup, 0, TRUE, &info);
    HMENU first = CurrentSyntaxMenu();
    BuildSyntaxMenu();
    EXPECT_FALSE(IsMenu(first));
    EXPECT_TRUE(IsMenu(noteMenu));
    EXPECT_NE(CurrentSyntaxMenu(), nullptr);
}

TEST_F(EditorCommands, SchemeDefaultTakesAllThreeColoursFromTheDefaultRecord)
{
    ZettlySchemes.entries[0] = {RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)};
    ZettlySchemes.count = 1;
    ZettlyRecord &d = ZettlyTable[ZETTLY_DEFAULT_SLOT];
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    ZettlyRecord &z = ZettlyTable[slot];
    SetWindowTextA(z.editWindow, "coloured");
    Command(z.editWindow, 45001);
    EXPECT_EQ(z.backColour, RGB(4, 5, 6));
    EXPECT_EQ(z.blinkColour, RGB(7, 8, 9));
    EXPECT_EQ(FormatOf(z.editWindow, 0, 8).crTextColor, RGB(1, 2, 3));
    HBRUSH schemeBrush = z.backBrush;
    LOGBRUSH look = {};
    GetObjectA(schemeBrush, sizeof look, &look);
    EXPECT_EQ(look.lbColor, RGB(4, 5, 6)) << "the background brush is made anew";

    Command(z.editWindow, 45000);
    EXPECT_EQ(z.textColour, d.textColour);
    EXPECT_EQ(z.backColour, d.backColour);
    EXPECT_EQ(z.blinkColour, d.blinkColour);
    EXPECT_EQ(FormatOf(z.editWindow, 0, 8).crBackColor, d.backColour);
}

TEST_F(EditorCommands, BlockHighlightPadsTheLinesIntoOneColouredRectangle)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "ab\r\nlonger\r\nc");
    Select(edit, 0, -1);
    Command(edit, 12100 + 4); // a swatch of "Block Highlight Colour"
    std::string text = Text(edit);
    // Every line now reaches the longest one's length.
    size_t start = 0;
    int lines = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        EXPECT_EQ(end - start, 6u) << "line " << lines << " of [" << text << "]";
        ++lines;
        if (end == text.size())
            break;
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    EXPECT_EQ(lines, 3);
    EXPECT_EQ(FormatOf(edit, 0, 2).crBackColor, EditorPalette[4]);
    EXPECT_EQ(FormatOf(edit, (LONG)text.size() - 6, (LONG)text.size()).crBackColor,
              EditorPalette[4]);
}

TEST_F(EditorCommands, DefaultFontClearsEffectsButKeepsTheSize)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "styled");
    Select(edit, 0, 6);
    Command(edit, 9012); // a large size
    LONG size = FormatOf(edit, 0, 6).yHeight;
    Select(edit, 0, 6);
    Command(edit, 40042);
    Command(edit, 40043);
    Command(edit, 40091);
    Select(edit, 0, 6);
    Command(edit, 40097);
    CHARFORMAT2A f = FormatOf(edit, 0, 6);
    EXPECT_EQ(f.yHeight, size);
    EXPECT_EQ(f.dwEffects & (CFE_BOLD | CFE_ITALIC | CFE_SUPERSCRIPT), 0u);
    EXPECT_STREQ(f.szFaceName, ZettlyTable[slot].editFont.lfFaceName);
    EXPECT_EQ(f.crTextColor, ZettlyTable[slot].textColour);
}

// Bullets, the next bullet style, alignment and the shift by 40 pixels
// change the paragraph format at once, with no key press going through the
// message queue, and only in the selected paragraphs.
TEST_F(EditorCommands, ParagraphCommandsChangeTheSelectedParagraphsAtOnce)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "first\r\nsecond");
    LONG second = (LONG)Text(edit).find("second");
    Select(edit, 1, 2);
    Command(edit, 40074);
    EXPECT_EQ(ParagraphOf(edit, 1).wNumbering, PFN_BULLET);
    EXPECT_EQ(ParagraphOf(edit, second + 1).wNumbering, 0);
    Select(edit, 1, 2);
    Command(edit, 40074);
    EXPECT_EQ(ParagraphOf(edit, 1).wNumbering, 0) << "a second press takes the bullet off";
    Select(edit, 1, 2);
    Command(edit, 40074);
    Command(edit, 40088);
    MSG queued;
    EXPECT_FALSE(PeekMessageA(&queued, edit, WM_KEYFIRST, WM_KEYLAST, PM_NOREMOVE));
    WORD next = ParagraphOf(edit, 1).wNumbering;
    EXPECT_NE(next, PFN_BULLET) << "the style moved on";
    EXPECT_NE(next, 0);

    Select(edit, second, second + 2);
    Command(edit, 40076);
    EXPECT_EQ(ParagraphOf(edit, second).wAlignment, PFA_CENTER);
    EXPECT_EQ(ParagraphOf(edit, 0).wAlignment, PFA_LEFT);

    HDC dc = GetDC(edit);
    int dpi = GetDeviceCaps(dc, LOGPIXELSX);
    ReleaseDC(edit, dc);
    LONG before = ParagraphOf(edit, second).dxStartIndent;
    Select(edit, second, second + 2);
    Command(edit, 40079);
    // 40 pixels in twips, within the rounding of a whole number of twips per pixel.
    LONG moved = ParagraphOf(edit, second).dxStartIndent - before;
    EXPECT_NEAR(moved, 40 * 1440 / dpi, 40);
    Select(edit, second, second + 2);
    Command(edit, 40078);
    EXPECT_EQ(ParagraphOf(edit, second).dxStartIndent, before);
}

namespace {
DWORD CALLBACK CollectRtf(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *done)
{
    ((std::string *)cookie)->append((const char *)bytes, count);
    *done = count;
    return 0;
}

std::string RichText(HWND edit)
{
    std::string rtf;
    EDITSTREAM stream = {(DWORD_PTR)&rtf, 0, CollectRtf};
    SendMessageA(edit, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    return rtf;
}
} // namespace

// Numbered paragraphs count from 1, from "Number" and from the next bullet
// style alike, and the saved text says so.
TEST_F(EditorCommands, NumberedParagraphsStartAtOne)
{
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    SetWindowTextA(edit, "first\r\nsecond");
    LONG second = (LONG)Text(edit).find("second");
    Select(edit, 0, second + 2);
    Command(edit, 40080);
    for (LONG at : {1L, second + 1}) {
        PARAFORMAT2 p = ParagraphOf(edit, at);
        EXPECT_EQ(p.wNumbering, 2);
        EXPECT_EQ(p.wNumberingStart, 1) << "paragraph at " << at;
    }
    std::string rtf = RichText(edit);
    EXPECT_NE(rtf.find("\\pnstart1"), std::string::npos) << rtf;
    EXPECT_EQ(rtf.find("\\pnstart0"), std::string::npos) << rtf;

    Select(edit, 0, second + 2);
    Command(edit, 40080);
    EXPECT_EQ(ParagraphOf(edit, 1).wNumbering, 0) << "a second press takes the numbers off";
    Select(edit, 1, 2);
    Command(edit, 40074);
    Command(edit, 40088); // bullet, then the next style: numbers
    PARAFORMAT2 next = ParagraphOf(edit, 1);
    EXPECT_EQ(next.wNumbering, 2);
    EXPECT_EQ(next.wNumberingStart, 1);
}

// The line/column indicator under the note is painted in the note's
// background: it follows a scheme and the default colours at once.
TEST_F(EditorCommands, TheLineColumnIndicatorTakesEachNewBackground)
{
    ZettlySchemes.entries[0] = {RGB(0, 0, 0), RGB(200, 40, 40), RGB(0, 0, 0)};
    ZettlySchemes.count = 1;
    ZettlyInfo.lineColumnInfo = 1;
    int slot = NewNote();
    ASSERT_GE(slot, 0);
    HWND edit = Edit(slot);
    auto *state = (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
    ASSERT_NE(state, nullptr);
    SetForegroundWindow(ZettlyTable[slot].window);
    SetFocus(edit);
    SendMessageA(edit, WM_KEYUP, VK_END, 0);
    HWND indicator = state->lineColumn;
    ASSERT_NE(indicator, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return IsWindowVisible(indicator) != 0; }, 3000));
    auto shown = [indicator]() {
        HDC dc = GetDC(indicator);
        COLORREF pixel = GetPixel(dc, 0, 0);
        ReleaseDC(indicator, dc);
        return pixel;
    };
    const ZettlyRecord &z = ZettlyTable[slot];
    Command(edit, 45001);
    EXPECT_TRUE(PumpUntil([&] { return shown() == RGB(200, 40, 40); }, 3000)) << std::hex << shown();
    Command(edit, 45000);
    ASSERT_NE(z.backColour, RGB(200, 40, 40));
    EXPECT_TRUE(PumpUntil([&] { return shown() == z.backColour; }, 3000))
        << std::hex << shown() << " instead of " << z.backColour;
}

// Each note's editor keeps where its line caret stands: the caret is lowered
// to the bottom of the character cell once, not again at every refresh, and
// another note's caret does not take its place.
TEST_F(EditorCommands, ALineCaretIsLoweredOnceInEachNote)
{
    ZettlyInfo.caretStyle = 5;
    int first = NewNote(100, 100);
    int second = NewNote(500, 100);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    auto caretAfterRefreshes = [&](int slot, POINT *top) {
        HWND edit = Edit(slot);
        SetForegroundWindow(ZettlyTable[slot].window);
        SetFocus(edit);
        PumpPostedMessages();
        POINTL start = {};
        SendMessageA(edit, EM_POSFROMCHAR, (WPARAM)&start, 0);
        *top = POINT{start.x, start.y};
        POINT at[3] = {};
        for (POINT &p : at) {
            UpdateZettlyCaret(edit, FALSE);
            GetCaretPos(&p);
        }
        EXPECT_EQ(at[1].y, at[0].y) << "lowered again by a refresh";
        EXPECT_EQ(at[2].y, at[0].y);
        return at[0];
    };
    POINT topFirst, topSecond, unused;
    POINT inFirst = caretAfterRefreshes(first, &topFirst);
    EXPECT_GT(inFirst.y, topFirst.y) << "the line caret stands below the top of the line";
    POINT inSecond = caretAfterRefreshes(second, &topSecond);
    EXPECT_GT(inSecond.y, topSecond.y);
    POINT again = caretAfterRefreshes(first, &unused);
    EXPECT_EQ(again.y, inFirst.y) << "the first note's caret stands where it stood";
}
