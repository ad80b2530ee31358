// A save takes a note's text afresh after every kind of change to it, and
// only then: each way of changing a note is saved, reloaded and compared.
#include <gtest/gtest.h>

#include <functional>

#include "core/note_editor/note_edit.h"
#include "core/notes_table/notes_file_format.h"
#include "notes_file_case.h"
#include "test_support.h"

using namespace notes_test;

namespace {

enum { NOTES = 3 };

// Counts the stream-outs that reach a control, below the program's subclass.
WNDPROC RealEditProc;
int StreamOuts;

LRESULT CALLBACK CountingEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == EM_STREAMOUT)
        ++StreamOuts;
    return CallWindowProcA(RealEditProc, edit, message, wParam, lParam);
}

ZettlyEditState *StateOf(HWND edit)
{
    return (ZettlyEditState *)GetWindowLongPtrA(edit, GWLP_USERDATA);
}

// What the control holds now, taken without the program's subclass.
std::string StreamedOut(HWND edit)
{
    MemoryWriter out = {};
    EDITSTREAM stream = {(DWORD_PTR)&out, 0, StreamOutToMemory};
    CallWindowProcA(RealEditProc, edit, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    std::string bytes(out.block ? out.block : "", out.used);
    std::free(out.block);
    // The control ends its output with the 0 byte that the file keeps apart.
    while (!bytes.empty() && bytes.back() == 0)
        bytes.pop_back();
    return bytes;
}

class NoteTextCacheTest : public NotesFileCase {
protected:
    void SetUp() override
    {
        NotesFileCase::SetUp();
        if (HasFatalFailure())
            return;
        for (int i = 0; i < NOTES; ++i) {
            ASSERT_EQ(MakeNote(i, i), 0);
            WriteRichText(Edit(i), "note " + std::to_string(i));
            ZettlyEditState *s = StateOf(Edit(i));
            ASSERT_NE(s, nullptr);
            RealEditProc = s->previous;
            s->previous = CountingEditProc;
        }
        // The first save takes every text; the tests change notes after it.
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        StreamOuts = 0;
    }
    void TearDown() override
    {
        for (int i = 0; i < NOTES; ++i)
            if (ZettlyTable[i].editWindow && StateOf(Edit(i)))
                StateOf(Edit(i))->previous = RealEditProc;
        NotesFileCase::TearDown();
    }

    HWND Edit(int slot) { return ZettlyTable[slot].editWindow; }

    std::vector<std::string> SavedTexts()
    {
        std::string bytes = Bytes("zettly.str");
        std::vector<NoteText> texts;
        SplitRichNoteTexts((const uint8_t *)bytes.data(), bytes.size(), &texts);
        std::vector<std::string> out;
        for (const NoteText &t : texts)
            out.emplace_back((const char *)t.rtf.data(), t.rtf.size());
        return out;
    }
};

CHARFORMATA Effects(DWORD mask, DWORD effects)
{
    CHARFORMATA f = {};
    f.cbSize = sizeof f;
    f.dwMask = mask;
    f.dwEffects = effects;
    return f;
}

struct Route {
    const char *name;
    std::function<void(HWND edit)> change;
    std::function<bool(HWND edit)> carried; // checked on the reloaded note
};

void Select(HWND edit, int from, int to)
{
    SendMessageA(edit, EM_SETSEL, from, to);
}

std::string Plain(HWND edit)
{
    return PlainText(edit);
}

bool StartsWith(const std::string &text, const char *start)
{
    return text.compare(0, std::strlen(start), start) == 0;
}

// Changes no message to the control announces: only its modify flag tells.
void ChangeBehindTheSubclass(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    CallWindowProcA(RealEditProc, edit, message, wParam, lParam);
}

const Route Routes[] = {
    {"typing",
     [](HWND e) {
         Select(e, 0, 0);
         SendMessageA(e, WM_CHAR, 'Q', 0);
     },
     [](HWND e) { return StartsWith(Plain(e), "QBold"); }},
    {"character format",
     [](HWND e) {
         Select(e, 9, 14);
         CHARFORMATA f = Effects(CFM_ITALIC, CFE_ITALIC);
         SendMessageA(e, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
     },
     [](HWND e) { return (FormatAt(e, 10).dwEffects & CFE_ITALIC) != 0; }},
    {"paragraph format",
     [](HWND e) {
         PARAFORMAT p = {};
         p.cbSize = sizeof p;
         p.dwMask = PFM_ALIGNMENT;
         p.wAlignment = PFA_CENTER;
         Select(e, 0, -1);
         SendMessageA(e, EM_SETPARAFORMAT, 0, (LPARAM)&p);
     },
     [](HWND e) {
         PARAFORMAT p = {};
         p.cbSize = sizeof p;
         Select(e, 0, 0);
         SendMessageA(e, EM_GETPARAFORMAT, 0, (LPARAM)&p);
         return p.wAlignment == PFA_CENTER;
     }},
    {"rich text streamed in",
     [](HWND e) {
         Select(e, 0, 0);
         const char rtf[] = "{\\rtf1\\ansi Streamed }";
         MemoryReader reader = {rtf, (DWORD)sizeof rtf - 1, 0};
         EDITSTREAM stream = {(DWORD_PTR)&reader, 0, StreamInFromMemory};
         SendMessageA(e, EM_STREAMIN, SF_RTF | SFF_SELECTION, (LPARAM)&stream);
     },
     [](HWND e) { return StartsWith(Plain(e), "Streamed Bold"); }},
    {"text set",
     [](HWND e) { SetWindowTextA(e, "Replaced whole"); },
     [](HWND e) { return Plain(e) == "Replaced whole"; }},
    {"selection replaced",
     [](HWND e) {
         Select(e, 0, 4);
         SendMessageA(e, EM_REPLACESEL, TRUE, (LPARAM) "Thin");
     },
     [](HWND e) { return StartsWith(Plain(e), "Thin Red"); }},
    {"editor command",
     [](HWND e) { SendMessageA(e, WM_COMMAND, CMD_EDIT_DEFAULT_COLOURS, 0); },
     [](HWND e) { return FormatAt(e, 6).crTextColor != RGB(255, 0, 0); }},
    {"change the modify flag tells of",
     [](HWND e) {
         Select(e, 0, 0);
         ChangeBehindTheSubclass(e, WM_CHAR, 'D', 0);
     },
     [](HWND e) { return StartsWith(Plain(e), "DBold"); }},
    {"change reported from outside (a drop, an embedded object)",
     [](HWND e) {
         Select(e, 0, 4);
         CHARFORMATA f = Effects(CFM_UNDERLINE, CFE_UNDERLINE);
         ChangeBehindTheSubclass(e, EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&f);
         ChangeBehindTheSubclass(e, EM_SETMODIFY, FALSE, 0);
         MarkNoteTextChanged(e);
     },
     [](HWND e) { return (FormatAt(e, 1).dwEffects & CFE_UNDERLINE) != 0; }},
};

} // namespace

TEST_F(NoteTextCacheTest, UnchangedNotesAreNotStreamedOutAgainAndSaveTheSameBytes)
{
    std::vector<std::string> first = SavedTexts();
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(StreamOuts, 0);
    EXPECT_EQ(SavedTexts(), first);

    // Moving the caret, painting and reading change nothing.
    Select(Edit(1), 3, 7);
    SendMessageA(Edit(1), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    UpdateWindow(Edit(1));
    Plain(Edit(1));
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(StreamOuts, 0);
}

TEST_F(NoteTextCacheTest, EveryWayOfChangingANoteReachesTheNextSave)
{
    for (const Route &route : Routes) {
        SCOPED_TRACE(route.name);
        // Each route starts from notes whose texts the last save kept.
        TearDown();
        SetUp();
        HWND edit = Edit(1);
        route.change(edit);
        std::string now = StreamedOut(edit);
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        EXPECT_EQ(StreamOuts, 1) << "only the changed note is taken";
        std::vector<std::string> saved = SavedTexts();
        ASSERT_EQ(saved.size(), (size_t)NOTES);
        EXPECT_EQ(saved[1], now);

        DestroyAllNotes();
        ASSERT_EQ(LoadZettlies(), NOTES);
        EXPECT_TRUE(route.carried(Edit(1))) << Plain(Edit(1));
    }
}

// A loaded note's text is saved from the bytes the load read, until the note
// changes; a text the control could not take whole is taken from the control.
TEST_F(NoteTextCacheTest, LoadedNotesSaveTheBytesReadUntilTheyChange)
{
    std::vector<std::string> first = SavedTexts();
    DestroyAllNotes();
    ASSERT_EQ(LoadZettlies(), NOTES);
    for (int i = 0; i < NOTES; ++i)
        StateOf(Edit(i))->previous = CountingEditProc;
    StreamOuts = 0;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(StreamOuts, 0);
    EXPECT_EQ(SavedTexts(), first);

    Select(Edit(2), 0, 0);
    SendMessageA(Edit(2), WM_CHAR, 'Q', 0);
    std::string typed = StreamedOut(Edit(2));
    StreamOuts = 0;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(StreamOuts, 1);
    std::vector<std::string> saved = SavedTexts();
    ASSERT_EQ(saved.size(), (size_t)NOTES);
    EXPECT_EQ(saved[0], first[0]);
    EXPECT_EQ(saved[2], typed);

    // A text that is no RTF the control reads becomes the note's plain text:
    // what is saved is that text as the control now writes it.
    for (int i = 0; i < NOTES; ++i)
        StateOf(Edit(i))->previous = RealEditProc;
    DestroyAllNotes();
    std::string bytes;
    for (const char *text : {"{\\rtf1 one}", "{\\rtf1 {{{{ broken", "{\\rtf1 three}"})
        bytes += std::string(text) + std::string(2, '\0');
    Put("zettly.str", bytes);
    MessageBoxRecorder boxes(IDNO);
    ASSERT_EQ(LoadZettlies(), NOTES);
    std::string shown = StreamedOut(Edit(1));
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    saved = SavedTexts();
    ASSERT_EQ(saved.size(), (size_t)NOTES);
    EXPECT_EQ(saved[0], "{\\rtf1 one}");
    EXPECT_EQ(saved[1], shown);
}
