// The OLE container in a real note, as far as Wine's rich-edit control goes:
// it calls QueryInsertObject and GetContextMenu of the callback, turns a
// pasted enhanced metafile into an object, and never asks for storage.
#include <gtest/gtest.h>

#include <ole2.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/note_editor/note_edit.h"
#include "core/note_window/note_window.h"
#include "editing/richole/rich_ole.h"
#include "editing_notes_fixture.h"

using namespace notes_test;

namespace {

class RichOle : public EditingNotes {
protected:
    static RichOleDocument *DocumentOf(int slot)
    {
        ZettlyEditState *state =
            (ZettlyEditState *)GetWindowLongPtrA(ZettlyTable[slot].editWindow, GWLP_USERDATA);
        return state ? state->oleDocument : nullptr;
    }
    static LONG Objects(int slot)
    {
        RichOleDocument *d = DocumentOf(slot);
        return d && d->richEditOle ? d->richEditOle->GetObjectCount() : -1;
    }
    static void PasteMetafile(HWND edit)
    {
        HDC dc = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(dc, nullptr);
        Rectangle(dc, 0, 0, 40, 30);
        HENHMETAFILE picture = CloseEnhMetaFile(dc);
        ASSERT_TRUE(OpenClipboard(edit));
        EmptyClipboard();
        SetClipboardData(CF_ENHMETAFILE, picture);
        CloseClipboard();
        SendMessageA(edit, WM_PASTE, 0, 0);
    }
};

} // namespace

TEST_F(RichOle, PastedMetafileIsAnObjectThatSurvivesSaveAndLoad)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    RichOleDocument *d = DocumentOf(0);
    ASSERT_NE(d, nullptr);
    ASSERT_NE(d->richEditOle, nullptr);
    EXPECT_EQ(d->owner, ZettlyTable[0].window);
    SetWindowTextA(ZettlyTable[0].editWindow, "picture: ");
    SendMessageA(ZettlyTable[0].editWindow, EM_SETSEL, 9, 9);
    PasteMetafile(ZettlyTable[0].editWindow);
    ASSERT_EQ(Objects(0), 1);

    ASSERT_EQ(SaveZettlies(GetDesktopWindow()), 0);
    DestroyAllNotes();
    MessageBoxRecorder boxes;
    ASSERT_EQ(LoadZettlies(), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(Objects(0), 1);
}

// The end of the process closes no object's server: at quit such a note is
// ended by itself, not left to the process's end.
TEST_F(RichOle, AnEmbeddedObjectMakesTheNotesEndReachOutsideTheProcess)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    EXPECT_FALSE(NoteEndReachesOutside(0));
    PasteMetafile(ZettlyTable[0].editWindow);
    ASSERT_EQ(Objects(0), 1);
    EXPECT_TRUE(NoteEndReachesOutside(0));
}

// A drop and an object inserted through the control's OLE interface change
// the note without a message to it: the callback tells the note, so the next
// save takes the text afresh instead of the bytes it kept.
TEST_F(RichOle, TheCallbackReportsChangesThatNoMessageAnnounces)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    HWND edit = ZettlyTable[0].editWindow;
    ZettlyEditState *state = (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
    ASSERT_NE(state, nullptr);
    RichOleDocument *d = DocumentOf(0);
    ASSERT_NE(d, nullptr);
    uint32_t before = state->text.changes;
    d->callback->QueryAcceptData(nullptr, nullptr, 0, TRUE, nullptr);
    EXPECT_NE(state->text.changes, before) << "a drop";
    before = state->text.changes;
    d->callback->QueryInsertObject(nullptr, nullptr, 0);
    EXPECT_NE(state->text.changes, before) << "an object inserted";
}

TEST_F(RichOle, ContextMenuComesFromTheCallback)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    HWND edit = ZettlyTable[0].editWindow;
    MSG stale;
    while (PeekMessageA(&stale, edit, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE)) {
    }
    // No object: the control asks the callback, which has the editor show
    // its own menu as after a right click.
    SendMessageA(edit, WM_CONTEXTMENU, (WPARAM)edit, MAKELPARAM(50, 50));
    MSG posted;
    EXPECT_TRUE(PeekMessageA(&posted, edit, WM_RBUTTONUP, WM_RBUTTONUP, PM_REMOVE));

    // With an object: a menu of its verbs, none after a drag.
    PasteMetafile(edit);
    RichOleDocument *d = DocumentOf(0);
    ASSERT_EQ(Objects(0), 1);
    REOBJECT object = {};
    object.cbStruct = sizeof object;
    ASSERT_EQ(d->richEditOle->GetObject(0, &object, REO_GETOBJ_POLEOBJ), S_OK);
    CHARRANGE range = {0, 1};
    HMENU menu = nullptr;
    EXPECT_EQ(d->callback->GetContextMenu(SEL_OBJECT, object.poleobj, &range, &menu), S_OK);
    EXPECT_TRUE(IsMenu(menu));
    DestroyMenu(menu);
    d->callback->GetDragDropEffect(TRUE, 0, nullptr);
    menu = nullptr;
    EXPECT_EQ(d->callback->GetContextMenu(SEL_OBJECT, object.poleobj, &range, &menu), E_NOTIMPL);
    EXPECT_EQ(menu, nullptr);
    object.poleobj->Release();
}

TEST_F(RichOle, InPlaceContextIsTheNoteAndStorageLivesInMemory)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    RichOleDocument *d = DocumentOf(0);
    IOleInPlaceFrame *frame = nullptr;
    IOleInPlaceUIWindow *window = nullptr;
    OLEINPLACEFRAMEINFO info = {};
    info.cb = sizeof info;
    ASSERT_EQ(d->callback->GetInPlaceContext(&frame, &window, &info), S_OK);
    HWND frameWindow = nullptr;
    frame->GetWindow(&frameWindow);
    EXPECT_EQ(frameWindow, ZettlyTable[0].window);
    EXPECT_EQ(info.hwndFrame, ZettlyTable[0].window);
    EXPECT_EQ(info.cb, sizeof info);
    frame->Release();
    window->Release();
    EXPECT_EQ(d->callback->GetInPlaceContext(nullptr, &window, &info), E_INVALIDARG);

    IStorage *storage = nullptr;
    ASSERT_EQ(d->callback->GetNewStorage(&storage), S_OK);
    IStream *stream = nullptr;
    EXPECT_EQ(storage->CreateStream(L"x", STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                    &stream),
              S_OK);
    if (stream)
        stream->Release();
    storage->Release();
    EXPECT_EQ(CreateObjectStorage(nullptr), E_INVALIDARG);
}

TEST_F(RichOle, EachFrameLaysOutItsOwnNoteWhateverNoteWasTouchedLast)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    ASSERT_EQ(MakeNote(1, 0), 0);
    RichOleDocument *first = DocumentOf(0);
    RichOleDocument *second = DocumentOf(1);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    RECT secondBefore;
    GetWindowRect(second->edit, &secondBefore);
    // The second note's editor handles a message last.
    SendMessageA(second->edit, EM_GETSEL, 0, 0);

    BORDERWIDTHS tools = {0, 12, 0, 0};
    first->frame->AddRef();
    EXPECT_EQ(first->frame->SetBorderSpace(&tools), S_OK);
    RECT firstEdit;
    GetWindowRect(first->edit, &firstEdit);
    MapWindowPoints(nullptr, first->owner, (POINT *)&firstEdit, 2);
    EXPECT_EQ(firstEdit.top, 12) << "the tools sit above the first note's text";
    RECT secondAfter;
    GetWindowRect(second->edit, &secondAfter);
    EXPECT_TRUE(EqualRect(&secondBefore, &secondAfter)) << "the other note is left alone";

    // A frame the object still holds after its note closed touches nothing.
    RichOleFrame *kept = first->frame;
    DestroyWindow(ZettlyTable[0].window);
    EXPECT_EQ(kept->document, nullptr);
    EXPECT_EQ(kept->SetBorderSpace(&tools), S_OK);
    kept->Release();
}

// One entry per clipboard format with a name: the three text formats are
// three "Plain Text" entries, a format of a program's own is offered under
// the name it was registered with, and a format without a name is not offered.
TEST_F(RichOle, PasteSpecialOffersEachNamedFormatOnce)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    HWND edit = ZettlyTable[0].editWindow;
    const char ownName[] = "Zettly Test Picture Format";
    UINT own = RegisterClipboardFormatA(ownName);
    ASSERT_NE(own, 0u);
    auto block = [](const char *text) {
        size_t size = std::strlen(text) + 1;
        HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, size);
        std::memcpy(GlobalLock(global), text, size);
        GlobalUnlock(global);
        return global;
    };
    ASSERT_TRUE(OpenClipboard(edit));
    EmptyClipboard();
    SetClipboardData(CF_TEXT, block("words"));
    SetClipboardData(CF_OEMTEXT, block("words"));
    SetClipboardData(CF_DSPTEXT, block("words"));
    SetClipboardData(own, block("own"));
    SetClipboardData(CF_RIFF, block("RIFF"));
    CloseClipboard();

    PasteChoices choices;
    CollectPasteChoices(edit, &choices);
    std::vector<UINT> plain;
    int ownEntries = 0;
    for (const OLEUIPASTEENTRYA &entry : choices.entries) {
        ASSERT_NE(entry.lpstrFormatName, nullptr);
        EXPECT_STREQ(entry.lpstrFormatName, entry.lpstrResultText);
        EXPECT_NE(entry.fmtetc.cfFormat, CF_RIFF);
        EXPECT_EQ(entry.fmtetc.lindex, -1);
        if (std::string(entry.lpstrFormatName) == "Plain Text")
            plain.push_back(entry.fmtetc.cfFormat);
        if (entry.fmtetc.cfFormat == own) {
            ++ownEntries;
            EXPECT_STREQ(entry.lpstrFormatName, ownName);
        }
    }
    std::sort(plain.begin(), plain.end());
    EXPECT_EQ(plain, (std::vector<UINT>{CF_TEXT, CF_OEMTEXT, CF_DSPTEXT}));
    EXPECT_EQ(ownEntries, 1);
}
