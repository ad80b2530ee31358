#include "editing/find_replace.h"

#include <commdlg.h>
#include <dlgs.h>

#include "editing_notes.h"
#include "ui_seams.h"

namespace {

class FindReplace : public EditingNotes {
protected:
    void TearDown() override
    {
        if (FindReplaceWindow() && IsWindow(FindReplaceWindow()))
            DestroyWindow(FindReplaceWindow());
        EditingNotes::TearDown();
    }
    int NoteWith(const char *text)
    {
        int slot = NewNote(100, 100, 300, 200);
        if (slot >= 0)
            SetWindowTextA(Edit(slot), text);
        return slot;
    }
    // What the dialog's buttons do: its fields are read, then the owner is told.
    static void Press(int button, const char *what, const char *with = nullptr)
    {
        HWND dialog = FindReplaceWindow();
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextA(dialog, edt1, what);
        if (with)
            SetDlgItemTextA(dialog, edt2, with);
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, button));
    }
    static std::string Field(int id)
    {
        char text[128] = "";
        GetDlgItemTextA(FindReplaceWindow(), id, text, sizeof text);
        return text;
    }
};

} // namespace

TEST_F(FindReplace, FindNextGoesOnWrapsOnceThenReportsNotFound)
{
    int slot = NoteWith("one two one two");
    ASSERT_GE(slot, 0);
    Select(slot, 4, 4);
    MessageBoxRecorder boxes;
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 0);
    ASSERT_NE(FindReplaceWindow(), nullptr);

    Press(IDOK, "one");
    EXPECT_EQ(Selection(slot).cpMin, 8);
    Press(IDOK, "one");
    EXPECT_EQ(Selection(slot).cpMin, 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    Press(IDOK, "one");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Text not found!");
    EXPECT_EQ(boxes.Boxes()[0].text, "Text Not Found In Zettly.");
    // A new pass begins at the selection.
    Press(IDOK, "one");
    EXPECT_EQ(Selection(slot).cpMin, 8);

    Press(IDCANCEL, "one");
    EXPECT_EQ(FindReplaceWindow(), nullptr);
}

TEST_F(FindReplace, ReplaceAllReplacesEveryMatchWithoutAWord)
{
    int slot = NoteWith("aa");
    ASSERT_GE(slot, 0);
    MessageBoxRecorder boxes;
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 1);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    Press(psh2, "a", "b");
    EXPECT_EQ(Text(slot), "bb");
    Press(psh2, "zz", "y");
    EXPECT_EQ(Text(slot), "bb");
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(FindReplace, ALongSelectionGivesItsStartAndKeepsTheReplacement)
{
    std::string text;
    for (int i = 0; i < 100; ++i)
        text += (char)('a' + i % 26);
    int slot = NoteWith(text.c_str());
    ASSERT_GE(slot, 0);
    MessageBoxRecorder boxes;
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 1);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    Press(psh1, "nothing", "kept");
    Press(IDCANCEL, "nothing");
    ASSERT_EQ(FindReplaceWindow(), nullptr);

    Select(slot, 0, 100);
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 1);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    EXPECT_EQ(Field(edt1), text.substr(0, 63));
    EXPECT_EQ(Field(edt2), "kept");
}

TEST_F(FindReplace, OneDialogAtATimeAndAGoneOwnerLetsTheNextOneOpen)
{
    int first = NoteWith("first");
    int second = NoteWith("second");
    ASSERT_GE(second, 0);
    MessageBoxRecorder boxes;
    OpenFindReplaceDialog(ZettlyTable[first].window, first, 0);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    HWND open = FindReplaceWindow();
    OpenFindReplaceDialog(ZettlyTable[second].window, second, 1);
    EXPECT_EQ(FindReplaceWindow(), open);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Find/Replace Open Error");

    DestroyWindow(ZettlyTable[first].window);
    OpenFindReplaceDialog(ZettlyTable[second].window, second, 0);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    Press(IDOK, "cond");
    EXPECT_EQ(Selection(second).cpMin, 2);
}

// The not-found box runs a message loop: a dialog closed behind it must leave
// the search sound and let the next opening in.
static int CancelTheDialogBehindTheBox(HWND, const char *, const char *, UINT)
{
    HWND dialog = FindReplaceWindow();
    if (dialog)
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     (LPARAM)GetDlgItem(dialog, IDCANCEL));
    return IDOK;
}

TEST_F(FindReplace, DialogClosedWhileNotFoundShowsLetsTheNextOneOpen)
{
    int slot = NoteWith("abc");
    ASSERT_GE(slot, 0);
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 0);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    MessageBoxHook before = SetMessageBoxHook(CancelTheDialogBehindTheBox);
    Press(IDOK, "zzz");
    SetMessageBoxHook(before);
    EXPECT_EQ(FindReplaceWindow(), nullptr);

    MessageBoxRecorder boxes;
    Select(slot, 0, 0);
    OpenFindReplaceDialog(ZettlyTable[slot].window, slot, 0);
    ASSERT_NE(FindReplaceWindow(), nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    Press(IDOK, "c");
    EXPECT_EQ(Selection(slot).cpMin, 2);
}

TEST_F(FindReplace, ARegisteredMessageFromElsewhereIsNotRead)
{
    int slot = NoteWith("text");
    ASSERT_GE(slot, 0);
    FINDREPLACEA forged = {};
    forged.lStructSize = sizeof forged;
    forged.Flags = FR_REPLACEALL;
    forged.lpstrFindWhat = (LPSTR) "text";
    forged.lpstrReplaceWith = (LPSTR) "gone";
    SendMessageA(ZettlyTable[slot].window, FindReplaceMessage(), 0, (LPARAM)&forged);
    EXPECT_EQ(Text(slot), "text");
}
