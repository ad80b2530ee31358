// A note's check list on real windows: the list view driven by keys and
// messages, drops, closing, and the list saved and loaded with its note.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <cstdio>
#include <string>
#include <vector>

#include "editing/check_list.h"
#include "core/note_window/note_commands.h"
#include "editing/check_list_ids.h"
#include "editing/check_list_view.h"
#include "editing_notes_fixture.h"
#include "owner_drawn.h"
#include "scratch_file.h"

using namespace notes_test;

namespace {

class CheckList : public EditingNotes {
protected:
    // A note in the slot with a check list holding the items ("1abc" is a
    // checked item abc).
    HWND NoteWithList(int slot, std::initializer_list<const char *> items)
    {
        EXPECT_EQ(MakeNote(slot, slot), 0);
        ZettlyRecord *z = &ZettlyTable[slot];
        z->checkListWidth = CHECK_LIST_NEW_WIDTH;
        z->checkListHeight = CHECK_LIST_NEW_HEIGHT;
        HWND list = CreateCheckList(z->window, slot);
        EXPECT_NE(list, nullptr);
        EXPECT_EQ(z->checkListWindow, list);
        for (const char *item : items) {
            int index = (int)SendMessageA(list, WM_USER, CHECK_LIST_ADD_TEXT, (LPARAM)(item + 1));
            CheckListSetChecked(View(list), index, item[0] == '1');
        }
        return list;
    }
    static HWND View(HWND list) { return GetDlgItem(list, IDC_CHECK_LIST_VIEW); }
    // The items as the list writes them into an open file.
    static std::string Written(HWND list)
    {
        FILE *file = OpenScratchFile();
        if (!file) {
            ADD_FAILURE() << "no scratch file";
            return "";
        }
        SendMessageA(list, WM_USER, CHECK_LIST_WRITE, (LPARAM)file);
        std::string bytes((size_t)std::ftell(file), '\0');
        std::rewind(file);
        size_t got = std::fread(&bytes[0], 1, bytes.size(), file);
        std::fclose(file);
        return bytes.substr(0, got);
    }
    static void Key(HWND view, UINT key, bool control)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = control ? 0x80 : 0;
        SetKeyboardState(keys);
        SendMessageA(view, WM_KEYDOWN, key, 1);
        SendMessageA(view, WM_KEYUP, key, 0xC0000001);
        keys[VK_CONTROL] = 0;
        SetKeyboardState(keys);
    }
};

// A data object offering text in global memory, counting the releases of
// the medium it hands out.
struct ReleaseCounter : public IUnknown {
    int releases = 0;
    STDMETHODIMP QueryInterface(REFIID, void **object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override
    {
        ++releases;
        return 1;
    }
};

class TextData : public IDataObject {
public:
    explicit TextData(const std::string &text) : text(text) {}
    ReleaseCounter medium;

    STDMETHODIMP QueryInterface(REFIID, void **object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }
    STDMETHODIMP GetData(FORMATETC *format, STGMEDIUM *medium) override
    {
        if (QueryGetData(format) != S_OK)
            return DV_E_FORMATETC;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size()); // no NUL: the size bounds it
        std::memcpy(GlobalLock(block), text.data(), text.size());
        GlobalUnlock(block);
        medium->tymed = TYMED_HGLOBAL;
        medium->hGlobal = block;
        medium->pUnkForRelease = &this->medium;
        return S_OK;
    }
    STDMETHODIMP GetDataHere(FORMATETC *, STGMEDIUM *) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC *format) override
    {
        return format->cfFormat == CF_TEXT && (format->tymed & TYMED_HGLOBAL) ? S_OK
                                                                                : DV_E_FORMATETC;
    }
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC *, FORMATETC *) override { return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC *, STGMEDIUM *, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC **) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC *, DWORD, IAdviseSink *, DWORD *) override { return E_NOTIMPL; }
    STDMETHODIMP DUnadvise(DWORD) override { return E_NOTIMPL; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA **) override { return E_NOTIMPL; }

private:
    std::string text;
};

} // namespace

TEST_F(CheckList, KeysDeleteAndReorderItemsOfTheListView)
{
    HWND list = NoteWithList(0, {"1one", "0two", "1three"});
    HWND view = View(list);
    CheckListSelectItem(view, 0);
    Key(view, VK_DOWN, true);
    EXPECT_EQ(Written(list), std::string("0,two\0" "1,one\0" "1,three\0", 20));
    Key(view, VK_DOWN, true);
    Key(view, VK_DOWN, true); // already last: stays
    EXPECT_EQ(Written(list), std::string("0,two\0" "1,three\0" "1,one\0", 20));
    Key(view, VK_UP, true);
    Key(view, VK_DELETE, false); // the row moved, "one"
    EXPECT_EQ(Written(list), std::string("0,two\0" "1,three\0", 14));
    Key(view, VK_DELETE, false);
    Key(view, VK_DELETE, false);
    EXPECT_EQ(Written(list), "");
}

TEST_F(CheckList, DraggedRowTravelsWithThePointer)
{
    HWND list = NoteWithList(0, {"1one", "0two", "0three"});
    HWND view = View(list);
    NMLISTVIEW begin = {};
    begin.hdr.hwndFrom = view;
    begin.hdr.idFrom = IDC_CHECK_LIST_VIEW;
    begin.hdr.code = LVN_BEGINDRAG;
    begin.iItem = 0;
    SendMessageA(list, WM_NOTIFY, IDC_CHECK_LIST_VIEW, (LPARAM)&begin);
    auto over = [&](int row) {
        RECT r = {};
        r.left = LVIR_BOUNDS;
        SendMessageA(view, LVM_GETITEMRECT, row, (LPARAM)&r);
        POINT at = {r.left + 5, (r.top + r.bottom) / 2};
        MapWindowPoints(view, list, &at, 1);
        return MAKELPARAM(at.x, at.y);
    };
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, over(1));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, over(2));
    SendMessageA(list, WM_LBUTTONUP, 0, over(2));
    SendMessageA(list, WM_MOUSEMOVE, 0, over(0)); // the drag is over
    EXPECT_EQ(Written(list), std::string("0,two\0" "0,three\0" "1,one\0", 20));
}

// A row without a check-box state was written as "-1,": a flag that is no
// digit, which the next load took for damage and lost the rest of the list.
TEST_F(CheckList, StateIsWrittenAsOneDigit)
{
    HWND list = NoteWithList(0, {"1kept", "0plain"});
    LVITEMA none = {};
    none.stateMask = LVIS_STATEIMAGEMASK;
    none.state = 0;
    SendMessageA(View(list), LVM_SETITEMSTATE, 1, (LPARAM)&none);
    EXPECT_EQ(Written(list), std::string("1,kept\0" "0,plain\0", 15));
}

// Ending a modeless dialog only hid it: the window and its drop target lived on.
TEST_F(CheckList, ClosingDestroysTheListAndAsksOnlyWhenItHasItems)
{
    HWND list = NoteWithList(0, {"0keep me"});
    {
        MessageBoxRecorder boxes(IDNO);
        SendMessageA(list, WM_COMMAND, IDC_CHECK_LIST_CLOSE, 0);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, CHECK_LIST_CLOSE_CAPTION);
        EXPECT_TRUE(IsWindow(list));
    }
    {
        MessageBoxRecorder boxes(IDYES);
        SendMessageA(list, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
        EXPECT_FALSE(IsWindow(list));
        EXPECT_EQ(ZettlyTable[0].checkListWindow, nullptr);
    }
    HWND empty = NoteWithList(1, {});
    MessageBoxRecorder boxes;
    SendMessageA(empty, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(IsWindow(empty));
}

// A drop used to ask for a move (deleting the text where it was dragged
// from), to report failure, and to keep the medium.
TEST_F(CheckList, DroppedTextIsCopiedInAndTheMediumReleased)
{
    HWND list = NoteWithList(0, {});
    IDropTarget *target = (IDropTarget *)GetPropA(list, CHECK_LIST_DROP_PROPERTY);
    ASSERT_NE(target, nullptr);
    TextData text("dropped words");
    POINTL at = {0, 0};
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragEnter(&text, 0, at, &effect), S_OK);
    EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->DragOver(0, at, &effect), S_OK);
    EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    EXPECT_EQ(target->Drop(&text, 0, at, &effect), S_OK);
    EXPECT_EQ(effect, (DWORD)DROPEFFECT_COPY);
    EXPECT_EQ(text.medium.releases, 1);
    EXPECT_EQ(Written(list), std::string("0,dropped words\0", 16));
}

TEST_F(CheckList, CollapsingAndExpandingKeepsTheListSize)
{
    HWND list = NoteWithList(0, {"0x"});
    ZettlyTable[0].checkListWidth = 200;
    ZettlyTable[0].checkListHeight = 120;
    SendMessageA(list, WM_USER, CHECK_LIST_APPLY_DOCK, 1);
    RECT client;
    for (int round = 0; round < 2; ++round) {
        SendMessageA(list, WM_COMMAND, IDC_CHECK_LIST_STRIP, 0);
        EXPECT_EQ(ZettlyTable[0].checkListDocked, CHECK_LIST_COLLAPSED);
        GetClientRect(list, &client);
        EXPECT_EQ(client.right, CHECK_LIST_STRIP_WIDTH);
        EXPECT_EQ(client.bottom, CHECK_LIST_COLLAPSED_HEIGHT);
        EXPECT_FALSE(IsWindowVisible(View(list)));
        SendMessageA(list, WM_COMMAND, IDC_CHECK_LIST_STRIP, 0);
        EXPECT_EQ(ZettlyTable[0].checkListDocked, CHECK_LIST_EXPANDED);
        GetClientRect(list, &client);
        EXPECT_EQ(client.right, 200);
        EXPECT_EQ(client.bottom, 120);
    }
}

TEST_F(CheckList, ListSurvivesSaveLoadAndTheNoteBeingMadeAgain)
{
    NoteWithList(0, {"1abc", "0xyz"});
    MakeNote(1, 1); // no list: adds nothing to the file
    HWND last = NoteWithList(2, {"0last"});
    SendMessageA(last, WM_COMMAND, IDC_CHECK_LIST_STRIP, 0); // collapsed
    ASSERT_EQ(SaveZettlies(GetDesktopWindow()), 0);
    EXPECT_EQ(Bytes("zettly_chklist.str"), std::string("1,abc\0" "0,xyz\0" "\0" "0,last\0" "\0", 21));

    DestroyAllNotes();
    MessageBoxRecorder boxes;
    ASSERT_EQ(LoadZettlies(), 3);
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_NE(ZettlyTable[0].checkListWindow, nullptr);
    EXPECT_EQ(Written(ZettlyTable[0].checkListWindow), std::string("1,abc\0" "0,xyz\0", 12));
    EXPECT_EQ(ZettlyTable[1].checkListWindow, nullptr);
    EXPECT_EQ(ZettlyTable[2].checkListDocked, CHECK_LIST_COLLAPSED);

    // The preferences make the note again from its record: the list moves
    // to the new window with its items and its fold, and the next save,
    // which writes only a list its note owns, still finds it.
    HWND before = ZettlyTable[2].checkListWindow;
    HWND oldNote = ZettlyTable[2].window;
    ASSERT_EQ(RecreateZettlyWindow(2, ZettlyTable[2].backColour, ZettlyTable[2].textColour), 0);
    ASSERT_NE(ZettlyTable[2].window, oldNote);
    HWND again = ZettlyTable[2].checkListWindow;
    ASSERT_TRUE(IsWindow(again));
    EXPECT_EQ(again, before);
    EXPECT_EQ(GetWindow(again, GW_OWNER), ZettlyTable[2].window);
    EXPECT_EQ(Written(again), std::string("0,last\0", 7));
    RECT client;
    GetClientRect(again, &client);
    EXPECT_EQ(client.right, CHECK_LIST_STRIP_WIDTH);
    ASSERT_EQ(SaveZettlies(GetDesktopWindow()), 0);
    EXPECT_EQ(Bytes("zettly_chklist.str"), std::string("1,abc\0" "0,xyz\0" "\0" "0,last\0" "\0", 21));

    // A list closed for good is gone from the next save.
    boxes.QueueAnswer(IDYES);
    SendMessageA(again, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
    EXPECT_FALSE(IsWindow(again));
    ASSERT_EQ(SaveZettlies(GetDesktopWindow()), 0);
    EXPECT_EQ(Bytes("zettly_chklist.str"), std::string("1,abc\0" "0,xyz\0" "\0", 13));
}

// Each list reads its own bytes of the file image: a damaged list loses
// what follows its damage and nothing of the next note's list.
TEST_F(CheckList, DamagedListDoesNotShiftTheNextOne)
{
    NoteWithList(0, {"0a"});
    NoteWithList(1, {"0b"});
    ASSERT_EQ(SaveZettlies(GetDesktopWindow()), 0);
    Put("zettly_chklist.str", std::string("1,ok\0" "2,bad\0" "1,lost\0" "\0" "0,second\0" "\0", 29));
    DestroyAllNotes();
    MessageBoxRecorder boxes;
    ASSERT_EQ(LoadZettlies(), 2);
    EXPECT_EQ(Written(ZettlyTable[0].checkListWindow), std::string("1,ok\0", 5));
    EXPECT_EQ(Written(ZettlyTable[1].checkListWindow), std::string("0,second\0", 9));
    ASSERT_EQ(boxes.Boxes().size(), 1u); // the damage is told
}

static std::vector<COLORREF> StripPixels(HWND list)
{
    return OwnerDrawnPixels(list, IDC_CHECK_LIST_STRIP, CHECK_LIST_STRIP_WIDTH,
                            CHECK_LIST_COLLAPSED_HEIGHT);
}

// Every open list draws from one strip bitmap: closing one list must leave
// the others drawing it, and a list opened after all were closed loads it again.
TEST_F(CheckList, EveryOpenListKeepsDrawingTheStripWhileOthersClose)
{
    HWND first = NoteWithList(0, {});
    HWND second = NoteWithList(1, {});
    std::vector<COLORREF> drawn = StripPixels(second);
    ASSERT_TRUE(DrawnBeyondTheFace(drawn)) << "the strip is drawn from its bitmap, not filled plain";

    MessageBoxRecorder boxes(IDYES);
    SendMessageA(first, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
    ASSERT_FALSE(IsWindow(first));
    EXPECT_EQ(StripPixels(second), drawn);

    SendMessageA(second, WM_USER, CHECK_LIST_CLOSE_ASK, 0);
    ASSERT_FALSE(IsWindow(second));
    HWND third = NoteWithList(2, {});
    EXPECT_EQ(StripPixels(third), drawn);
}

// The list's menu is loaded for each showing; the item picked in it must
// still reach the list after the menu is gone. The keys wait in the queue
// for the menu's own loop, as a person's would.
TEST_F(CheckList, AnItemPickedInTheContextMenuReachesTheList)
{
    HWND list = NoteWithList(0, {"0one", "0two"});
    HWND view = View(list);
    CheckListSelectItem(view, 1);
    SetForegroundWindow(list);
    for (UINT key : {VK_DOWN, VK_DOWN, VK_RETURN}) { // "Delete Item", the second
        PostMessageA(list, WM_KEYDOWN, key, 1);
        PostMessageA(list, WM_KEYUP, key, 0xC0000001);
    }
    SendMessageA(list, WM_CONTEXTMENU, (WPARAM)list, MAKELPARAM(10, 10));
    EXPECT_TRUE(PumpUntil([&] { return Written(list) == std::string("0,one\0", 6); }))
        << "the list holds " << Written(list).size() << " bytes";
}
