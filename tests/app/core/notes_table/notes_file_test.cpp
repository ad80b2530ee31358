// Saving and loading every note through the real note windows, in a data
// folder of the test's own.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <functional>
#include <iterator>

#include "core/notes_table/notes_file_ids.h"
#include "core/main_window/save_progress.h"
#include "core/notes_table/rich_text_stream.h"
#include "ui_seams.h"
#include "notes_file_case.h"
#include "test_support.h"

using namespace notes_test;

namespace {

using NotesFile = NotesFileCase;

std::string Marker()
{
    return "Last save completed with out problems at ";
}

} // namespace

TEST_F(NotesFile, SaveThenLoadRestoresRecordsAndRichText)
{
    ZettlySchemes.count = 2;
    ZettlySchemes.entries[1] = ZettlyColourScheme{1, 2, 3};
    ZettlyTable[ZETTLY_DEFAULT_SLOT].backColour = 0x00ABCDEF;
    MakeNotes(2, "first ");
    ZettlyTable[1].topMost = 1;
    ZettlyTable[1].checkListWidth = 321;
    ZettlyRecord before[2] = {ZettlyTable[0], ZettlyTable[1]};
    ASSERT_EQ(SaveZettlies(nullptr), 0);

    ZettlySchemes.count = 0;
    ZettlyTable[ZETTLY_DEFAULT_SLOT].backColour = 0;
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ZettlySchemes.count, 2);
    EXPECT_EQ(ZettlySchemes.entries[1].blink, 3u);
    EXPECT_EQ(ZettlyTable[ZETTLY_DEFAULT_SLOT].backColour, 0x00ABCDEFu);
    EXPECT_EQ(ZettlyTable[ZETTLY_DEFAULT_SLOT].window, nullptr);
    for (int i = 0; i < 2; ++i) {
        const ZettlyRecord &z = ZettlyTable[i];
        RECT r;
        GetWindowRect(z.window, &r);
        EXPECT_EQ(r.left, before[i].windowRect.left);
        EXPECT_EQ(r.bottom - r.top, before[i].windowRect.bottom - before[i].windowRect.top);
        EXPECT_EQ(z.backColour, before[i].backColour);
        EXPECT_EQ(z.textColour, before[i].textColour);
        EXPECT_STREQ(z.title, before[i].title);
        EXPECT_EQ(z.wordWrap, before[i].wordWrap);
        EXPECT_EQ(z.alarmYear, before[i].alarmYear);
        EXPECT_EQ(z.checkListWidth, before[i].checkListWidth);
        EXPECT_EQ(z.topMost, before[i].topMost);
    }
    ExpectNotes(2, "first ");
}

TEST_F(NotesFile, NulCharacterInANoteNeitherCutsItsSavedTextNorDamagesIt)
{
    MakeNotes(2, "beside ");
    // What an out-of-range \u once put into a note: the control holds a NUL.
    HWND edit = ZettlyTable[0].editWindow;
    std::string rtf = "{\\rtf1 before\\u0?after\\par}";
    ASSERT_EQ(StreamInFromBlock(edit, rtf.data(), rtf.size(), SF_RTF), 0);
    GETTEXTLENGTHEX length = {GTL_DEFAULT, 1200};
    std::wstring held((size_t)SendMessageW(edit, EM_GETTEXTLENGTHEX, (WPARAM)&length, 0) + 1, L'x');
    GETTEXTEX get = {(DWORD)(held.size() * sizeof(wchar_t)), GT_DEFAULT, 1200, nullptr, nullptr};
    SendMessageW(edit, EM_GETTEXTEX, (WPARAM)&get, (LPARAM)&held[0]);
    ASSERT_EQ(held.substr(0, 12), std::wstring(L"before\0after", 12)) << "the control holds a NUL";

    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string texts = Bytes("zettly.str");
    size_t firstEnd = texts.find('\0');
    ASSERT_NE(firstEnd, std::string::npos);
    EXPECT_EQ(texts.substr(firstEnd, 2), std::string(2, '\0'));
    EXPECT_NE(texts.substr(0, firstEnd).find("after"), std::string::npos)
        << "the text goes on past the NUL";

    MessageBoxRecorder boxes;
    Restart();
    ASSERT_EQ(LoadZettlies(), 2);
    EXPECT_TRUE(boxes.Boxes().empty()) << "no damaged texts";
    EXPECT_EQ(PlainText(ZettlyTable[0].editWindow).substr(0, 11), "beforeafter");
    std::string why;
    EXPECT_TRUE(HasRichText(ZettlyTable[1].editWindow, "beside 1", &why)) << why;
}

TEST_F(NotesFile, NoteTheControlCannotWriteOutWholeIsSavedWithWhatIsWhole)
{
    MakeNotes(2, "kept ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    // Wine's writer stops at a bitmap picture without an error. Note 1 was
    // saved whole before it got one; note 2 gets one before its first save.
    std::string picture = RichTextWithBitmapPicture("before", "after");
    ASSERT_EQ(StreamInFromBlock(ZettlyTable[1].editWindow, picture.data(), picture.size(), SF_RTF), 0);
    ASSERT_EQ(MakeNote(2, 2), 0);
    ASSERT_EQ(StreamInFromBlock(ZettlyTable[2].editWindow, picture.data(), picture.size(), SF_RTF), 0);
    ASSERT_NE(PlainText(ZettlyTable[2].editWindow).find("after"), std::string::npos);

    MessageBoxRecorder boxes;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u) << "told once, in one message";
    const std::string &told = boxes.Boxes()[0].text;
    EXPECT_NE(told.find(std::string("Note number 1: not saved are ") + NOTE_LOST_CHANGES),
              std::string::npos)
        << told;
    EXPECT_NE(told.find(std::string("Note number 2: not saved are ") + NOTE_LOST_FORMATTING),
              std::string::npos)
        << told;
    EXPECT_EQ(told.find("Note number 0"), std::string::npos) << told;

    Restart();
    ASSERT_EQ(LoadZettlies(), 3);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "no damage at the next start";
    std::string why;
    EXPECT_TRUE(HasRichText(ZettlyTable[0].editWindow, "kept 0", &why)) << why;
    EXPECT_TRUE(HasRichText(ZettlyTable[1].editWindow, "kept 1", &why)) << "its last good text: " << why;
    std::string words = PlainText(ZettlyTable[2].editWindow);
    EXPECT_EQ(words.find("before"), 0u) << words;
    EXPECT_NE(words.find("after"), std::string::npos) << words;
}

TEST_F(NotesFile, FilesFollowTheStoredLayouts)
{
    ZettlySchemes.count = 1;
    MakeNotes(2, "x");
    WriteRichText(ZettlyTable[1].editWindow, "");
    SetWindowTextA(ZettlyTable[1].editWindow, ""); // an empty note still gets its text
    ZettlyTable[1].checkListWindow = (HWND)1;     // a list with no items
    ASSERT_EQ(SaveZettlies(nullptr), 0);

    std::string rec = Bytes("zettly.rec");
    ASSERT_EQ(rec.size(), 4u + 12 + 3 * ZETTLY_RECORD_BYTES);
    EXPECT_EQ(rec.substr(0, 4), std::string("\1\0\0\0", 4));
    EXPECT_STREQ(rec.c_str() + 16 + 2 * ZETTLY_RECORD_BYTES + 252, "Note number 1");

    std::string str = Bytes("zettly.str");
    size_t end0 = str.find('\0');
    ASSERT_NE(end0, std::string::npos);
    EXPECT_EQ(str.compare(0, 5, "{\\rtf"), 0);
    EXPECT_EQ(str[end0 + 1], '\0');
    EXPECT_EQ(str.compare(end0 + 2, 5, "{\\rtf"), 0);
    EXPECT_EQ(str.substr(str.size() - 2), std::string(2, '\0'));
    EXPECT_EQ(str.find('\0', end0 + 2), str.size() - 2); // no 0 byte inside an RTF text

    EXPECT_EQ(Bytes("zettly_chklist.str"), std::string(1, '\0'));
    std::string ok = Bytes("zettly.ok");
    EXPECT_EQ(ok.compare(0, Marker().size(), Marker()), 0);
    EXPECT_EQ(ok.back(), '\n');
    EXPECT_FALSE(Exists("zettly.rec_saving"));
}

TEST_F(NotesFile, GapsCloseAndGroupMembersFollowTheirGroup)
{
    ASSERT_EQ(MakeNote(3, 3, true), 0);
    for (int slot : {0, 7}) {
        ASSERT_EQ(MakeNote(slot, slot), 0);
        WriteRichText(ZettlyTable[slot].editWindow, "member " + std::to_string(slot));
        ASSERT_EQ(AttachToGroup(3, slot), 0);
    }
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 3);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(ZettlyTable[1].isGroup);
    for (int slot : {0, 2}) {
        EXPECT_TRUE(ZettlyTable[slot].isMember) << slot;
        EXPECT_EQ(ZettlyTable[slot].groupSlot, 1) << slot;
        EXPECT_EQ(GetAncestor(ZettlyTable[slot].window, GA_PARENT), ZettlyTable[1].window)
            << slot;
    }
    std::string why;
    EXPECT_TRUE(HasRichText(ZettlyTable[2].editWindow, "member 7", &why)) << why;
}

TEST_F(NotesFile, LoadShowsNotesInSlotOrderWithTheLastOneActive)
{
    MakeNotes(3, "shown ");
    for (int i = 0; i < 3; ++i)
        ZettlyTable[i].showCommand = i == 1 ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(Reload(), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(IsWindowVisible(ZettlyTable[i].window)) << i;
    EXPECT_TRUE(IsIconic(ZettlyTable[1].window));
    EXPECT_FALSE(IsIconic(ZettlyTable[2].window));
    EXPECT_EQ(GetActiveWindow(), ZettlyTable[2].window);
    // Among the notes shown open the last is on top. A minimized note has no
    // place a user sees, and a late activation through the X server can move
    // it among the others.
    std::vector<int> fromTop;
    for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT))
        for (int i = 0; i < 3; ++i)
            if (w == ZettlyTable[i].window && !IsIconic(w))
                fromTop.push_back(i);
    EXPECT_EQ(fromTop, (std::vector<int>{2, 0}));
}

namespace {
// A window manager as the program meets it: a note window shown is put at
// the top left corner, and the window system reports it there.
struct WindowManagerSeam {
    HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROCRET, Placed, nullptr, GetCurrentThreadId());
    ~WindowManagerSeam() { UnhookWindowsHookEx(hook); }
    static LRESULT CALLBACK Placed(int code, WPARAM wParam, LPARAM lParam)
    {
        const CWPRETSTRUCT *m = (const CWPRETSTRUCT *)lParam;
        char name[32] = "";
        if (code == HC_ACTION && m->message == WM_WINDOWPOSCHANGED &&
            (((const WINDOWPOS *)m->lParam)->flags & SWP_SHOWWINDOW) &&
            GetClassNameA(m->hwnd, name, sizeof name) && !std::strcmp(name, ZETTLY_NOTE_CLASS))
            SetWindowPos(m->hwnd, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }
};
} // namespace

// The save after a load writes the places the notes were given, not those a
// window manager showed them at; a note the user sized keeps its new place.
TEST_F(NotesFile, PlacesAWindowManagerChoseAreNeverSaved)
{
    MakeNotes(3, "placed ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string given = Bytes("zettly.rec");
    {
        WindowManagerSeam manager;
        ASSERT_EQ(Reload(), 3);
        RECT shown;
        ASSERT_TRUE(GetWindowRect(ZettlyTable[1].window, &shown));
        ASSERT_EQ(shown.left, 0); // the seam did move it
        HWND sized = ZettlyTable[2].window;
        SendMessageA(sized, WM_ENTERSIZEMOVE, 0, 0);
        SetWindowPos(sized, nullptr, 300, 200, 250, 120, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageA(sized, WM_EXITSIZEMOVE, 0, 0);
        ASSERT_EQ(SaveZettlies(nullptr), 0);
    }
    std::string saved = Bytes("zettly.rec");
    ASSERT_EQ(saved.size(), given.size());
    const size_t first = 4 + ZETTLY_RECORD_BYTES;
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(saved.substr(first + i * ZETTLY_RECORD_BYTES, sizeof(ZettlyRect)),
                  given.substr(first + i * ZETTLY_RECORD_BYTES, sizeof(ZettlyRect)))
            << "note " << i;
    ZettlyRect sizedRect;
    std::memcpy(&sizedRect, saved.data() + first + 2 * ZETTLY_RECORD_BYTES, sizeof sizedRect);
    EXPECT_EQ(sizedRect.left, 300);
    EXPECT_EQ(sizedRect.top, 200);
    EXPECT_EQ(sizedRect.right, 550);
    EXPECT_EQ(sizedRect.bottom, 320);
}

TEST_F(NotesFile, MemberWithoutItsGroupIsReportedForReAlignment)
{
    ASSERT_EQ(MakeNote(0, 0), 0);
    ZettlyTable[0].isMember = 1;
    ZettlyTable[0].groupSlot = 5; // no such group
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, RE_ALIGN_CAPTION);
}

TEST_F(NotesFile, MissingMarkerOffersRollBackAndBothAnswersWork)
{
    MakeNotes(2, "old ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0); // the old notes are now also the backups
    DestroyAllNotes();
    MakeNotes(3, "new ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string newRecords = Bytes("zettly.rec");
    ASSERT_TRUE(DeleteFileA(PathOf("zettly.ok").c_str()));

    {
        MessageBoxRecorder boxes(IDNO);
        ASSERT_EQ(Reload(), 3);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, ROLL_BACK_CAPTION);
        EXPECT_EQ(boxes.Boxes()[0].text, ROLL_BACK_QUESTION);
        EXPECT_EQ(boxes.Boxes()[0].type, (UINT)(MB_YESNO | MB_ICONHAND));
        ExpectNotes(3, "new ");
    }
    {
        MessageBoxRecorder boxes(IDYES);
        ASSERT_EQ(Reload(), 2);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        ExpectNotes(2, "old ");
        EXPECT_EQ(Bytes("zettly.rec_damaged"), newRecords);
        EXPECT_EQ(Bytes("zettly.rec_priorsave"), Bytes("zettly.rec")); // kept as the good copy
    }
}

TEST_F(NotesFile, FirstStartIsQuietAndLoneFilesWarnOnce)
{
    {
        MessageBoxRecorder boxes;
        EXPECT_EQ(Reload(), 0);
        EXPECT_TRUE(boxes.Boxes().empty());
    }
    MakeNotes(1, "");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_TRUE(DeleteFileA(PathOf("zettly.ok").c_str()));
    MessageBoxRecorder boxes;
    EXPECT_EQ(Reload(), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, ROLL_BACK_IMPOSSIBLE);
    EXPECT_EQ(boxes.Boxes()[0].type, (UINT)MB_ICONEXCLAMATION);
}

TEST_F(NotesFile, FailedSavesKeepTheLastGoodFiles)
{
    MakeNotes(2, "good ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    const char *names[] = {"zettly.rec", "zettly.str", "zettly_chklist.str", "zettly.ok",
                           "zettly.rec_priorsave", "zettly.str_priorsave"};
    std::string good[6];
    for (int i = 0; i < 6; ++i)
        good[i] = Bytes(names[i]);
    DestroyAllNotes();
    MakeNotes(3, "lost ");

    // A new file that cannot be made, twice in a row.
    ASSERT_TRUE(CreateDirectoryA(PathOf("zettly.rec_saving").c_str(), nullptr));
    EXPECT_EQ(SaveZettlies(nullptr), -1);
    EXPECT_EQ(SaveZettlies(nullptr), -1);
    RemoveDirectoryA(PathOf("zettly.rec_saving").c_str());
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Bytes(names[i]), good[i]) << names[i];

    // A record file that another program holds open: the files already
    // replaced are put back and the old set stays complete.
    HANDLE held = CreateFileA(PathOf("zettly.rec").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveZettlies(nullptr), -1);
    CloseHandle(held);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Bytes(names[i]), good[i]) << names[i];
    EXPECT_EQ(Bytes("zettly.ok").compare(0, Marker().size(), Marker()), 0);
    EXPECT_FALSE(Exists("zettly.ok_saving"));

    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
    ExpectNotes(2, "good ");
}

TEST_F(NotesFile, DamagedFilesLoadWhatIsWholeAndKeepTheBackups)
{
    MakeNotes(3, "kept ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string backups = Bytes("zettly.rec_priorsave");
    // The first note's text is unreadable garbage, the record file ends inside
    // the last record.
    std::string str = Bytes("zettly.str");
    size_t first = str.find('\0');
    Put("zettly.str", "garbage, no rtf" + str.substr(first));
    std::string rec = Bytes("zettly.rec");
    Put("zettly.rec", rec.substr(0, rec.size() - 100));

    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("record file ends inside"), std::string::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find("1 zettly texts have no record"), std::string::npos);
    EXPECT_NE(boxes.Boxes()[0].text.find("1 zettly texts are damaged"), std::string::npos);
    EXPECT_EQ(PlainText(ZettlyTable[0].editWindow), "garbage, no rtf");
    std::string why;
    EXPECT_TRUE(HasRichText(ZettlyTable[1].editWindow, "kept 1", &why)) << why;

    // The damaged set does not become the backups.
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(Bytes("zettly.rec_priorsave"), backups);
}

namespace {
struct Damage {
    const char *what;
    // The record, text and check-list files as found at the next start; "-"
    // for a file that is gone.
    std::function<void(std::string *rec, std::string *str, std::string *lists)> apply;
    int loaded;                   // notes the damaged start shows
    std::vector<std::string> say; // lines of the message
    bool textsKept;               // every note shown holds its own text
};
} // namespace

// Each kind of damage, then three starts and quits answered "No", then the
// roll-back: the last good save comes back exactly, with every note, text and
// check list, and the first damaged copy is still there.
namespace {
const int DamagedNotes = 6;

// Each damage a start may find, in a case of its own: every case saves and
// loads a set some fifteen times.
std::vector<Damage> Damages()
{
    const int notes = DamagedNotes;
    return {
        {"record file cut inside record 4",
         [](std::string *rec, std::string *, std::string *) {
             *rec = rec->substr(0, 4 + ZETTLY_RECORD_BYTES * 4 + 100);
         },
         3, {"record file ends inside", "3 zettly texts have no record"}, true},
        {"record file empty",
         [](std::string *rec, std::string *, std::string *) { rec->clear(); }, 0,
         {"cut off before its first zettly"}, true},
        {"record file missing",
         [](std::string *rec, std::string *, std::string *) { *rec = "-"; }, 0,
         {"zettly.rec is missing"}, true},
        {"text file missing", [](std::string *, std::string *str, std::string *) { *str = "-"; },
         notes, {"zettly.str is missing", "6 zettlies have no text"}, false},
        {"text file cut in half",
         [](std::string *, std::string *str, std::string *) {
             *str = str->substr(0, str->size() / 2 + 10);
         },
         notes, {"1 zettly texts are damaged", "2 zettlies have no text"}, false},
        {"a stray 0 byte inside a text",
         [](std::string *, std::string *str, std::string *) {
             size_t third = str->find("{\\rtf", str->find("{\\rtf", 1) + 1);
             str->insert(third + 20, 1, '\0');
         },
         notes, {"1 zettly texts are damaged"}, true},
        {"random bytes for texts",
         [](std::string *, std::string *str, std::string *) {
             std::string noise;
             for (size_t i = 0; i < str->size(); ++i)
                 noise += (char)((i * 7919 + 13) % 251 % 17 == 0 ? 0 : (i * 31) % 251 + 1);
             *str = noise;
         },
         notes, {"1 zettly texts are damaged", "5 zettlies have no text"}, false},
        {"check-list file missing",
         [](std::string *, std::string *, std::string *lists) { *lists = "-"; }, notes,
         {"zettly_chklist.str is missing", "2 check lists are empty"}, true},
        {"check-list file cut inside the first list",
         [](std::string *, std::string *, std::string *lists) { *lists = lists->substr(0, 9); },
         notes, {"2 check lists are cut off"}, true},
    };
}

class NotesFileDamage : public NotesFile, public ::testing::WithParamInterface<size_t> {};
} // namespace

TEST_P(NotesFileDamage, DamagedSetsRollBackToTheLastGoodSaveAfterThreeRestarts)
{
    const int notes = DamagedNotes;
    // Notes 0 and 1 have check lists; with no list window in this test their
    // items travel through the saves as they were read.
    const std::string lists = std::string("1,abc\0" "0,xyz\0\0" "0,\0\0", 17);
    const Damage c = Damages()[GetParam()];
    const char *names[3] = {"zettly.rec", "zettly.str", "zettly_chklist.str"};
    SCOPED_TRACE(c.what);
    Restart();
    DeleteAllFiles();
    MakeNotes(notes, "good ");
    ZettlyTable[0].checkListWindow = ZettlyTable[1].checkListWindow = (HWND)1;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    Put("zettly_chklist.str", lists);
    AsWrittenByAnOlderCopy();
    Restart();
    {
        MessageBoxRecorder quiet;
        ASSERT_EQ(Reload(), notes);
        ASSERT_TRUE(quiet.Boxes().empty());
    }
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string good[3], found[3];
    for (int kind = 0; kind < 3; ++kind) {
        good[kind] = Bytes((std::string(names[kind]) + "_priorsave").c_str());
        found[kind] = Bytes(names[kind]);
    }
    ASSERT_EQ(good[2], lists);
    c.apply(&found[0], &found[1], &found[2]);
    for (int kind = 0; kind < 3; ++kind)
        if (found[kind] == "-")
            DeleteFileA(PathOf(names[kind]).c_str());
        else
            Put(names[kind], found[kind]);

    Restart();
    {
        MessageBoxRecorder boxes(IDNO);
        EXPECT_EQ(Reload(), c.loaded);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].type, (UINT)(MB_YESNOCANCEL | MB_ICONHAND));
        for (const std::string &line : c.say)
            EXPECT_NE(boxes.Boxes()[0].text.find(line), std::string::npos)
                << line << " in " << boxes.Boxes()[0].text;
    }
    if (c.textsKept)
        ExpectNotes(c.loaded, "good ");
    for (int kind = 0; kind < 3; ++kind)
        if (found[kind] != "-") {
            EXPECT_EQ(Bytes((std::string(names[kind]) + "_damaged").c_str()), found[kind]);
        }
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    for (int round = 0; round < 3; ++round) {
        Restart();
        MessageBoxRecorder boxes(IDNO);
        Reload();
        ASSERT_EQ(boxes.Boxes().size(), 1u) << round;
        EXPECT_EQ(boxes.Boxes()[0].text, ROLL_BACK_HELD);
        ASSERT_EQ(SaveZettlies(nullptr), 0);
    }
    Restart();
    {
        MessageBoxRecorder boxes(IDYES);
        ASSERT_EQ(Reload(), notes);
        EXPECT_EQ(boxes.Boxes().size(), 1u);
        ExpectNotes(notes, "good ");
    }
    for (int kind = 0; kind < 3; ++kind) {
        EXPECT_EQ(Bytes(names[kind]), good[kind]) << names[kind] << " rolled back";
        if (found[kind] != "-") {
            EXPECT_EQ(Bytes((std::string(names[kind]) + "_damaged").c_str()), found[kind])
                << "the first damaged copy is kept";
        }
    }
    EXPECT_TRUE(Exists("zettly.rec_damaged2"));
    Restart();
    MessageBoxRecorder quiet;
    EXPECT_EQ(Reload(), notes);
    EXPECT_TRUE(quiet.Boxes().empty()) << "the user has chosen";
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(Bytes("zettly_chklist.str"), lists) << "the check lists came back";
}

INSTANTIATE_TEST_SUITE_P(Each, NotesFileDamage, ::testing::Range<size_t>(0, Damages().size()));

TEST_F(NotesFile, CancelLetsTheHeldSetGo)
{
    MakeNotes(2, "good ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    Put("zettly.rec", Bytes("zettly.rec").substr(0, 100));
    Restart();
    {
        MessageBoxRecorder boxes(IDCANCEL);
        EXPECT_EQ(Reload(), 0);
    }
    EXPECT_FALSE(Exists("zettly.rec_lastgood"));
    EXPECT_TRUE(Exists("zettly.rec_damaged"));
}

// A commit file that outlived its save beside short new files, or one that
// is empty or cut off (the save stopped before it moved any file): the
// complete current set stays, and only the first is worth a message.
TEST_F(NotesFile, StaleCommitFileNeverPutsTruncatedFilesInPlace)
{
    MakeNotes(3, "whole ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string rec = Bytes("zettly.rec"), str = Bytes("zettly.str");
    DestroyAllNotes();
    MakeNotes(4, "newer ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string newRec = Bytes("zettly.rec"), newStr = Bytes("zettly.str");
    std::string newLists = Bytes("zettly_chklist.str");
    Put("zettly.rec", rec);
    Put("zettly.str", str);
    AsWrittenByAnOlderCopy();
    rec = Bytes("zettly.rec");

    CommitRecord describesNew = {};
    const std::string *files[3] = {&newRec, &newStr, &newLists};
    for (int kind = 0; kind < 3; ++kind)
        describesNew.files[kind] = CommitFile{
            (uint32_t)files[kind]->size(),
            ChecksumBytes(0, (const uint8_t *)files[kind]->data(), files[kind]->size())};
    char described[128];
    int length = FormatCommitRecord(&describesNew, described, sizeof described);
    ASSERT_GT(length, 0);
    for (const std::string &commit : {std::string(), std::string(described, (size_t)length / 2),
                                      std::string(described, (size_t)length)}) {
        Put("zettly.ok_saving", commit);
        Put("zettly.rec_saving", newRec.substr(0, newRec.size() - 300));
        Put("zettly.str_saving", newStr.substr(0, newStr.size() / 2));
        Put("zettly_chklist.str_saving", newLists);
        Restart();
        MessageBoxRecorder boxes;
        ASSERT_EQ(Reload(), 3) << "commit file of " << commit.size() << " bytes";
        ExpectNotes(3, "whole ");
        if (commit.size() == (size_t)length) {
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            EXPECT_EQ(boxes.Boxes()[0].text, COMMIT_REFUSED);
        } else {
            EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].text;
        }
        EXPECT_FALSE(Exists("zettly.ok_saving"));
        EXPECT_FALSE(Exists("zettly.rec_saving"));
        EXPECT_EQ(Bytes("zettly.rec"), rec);
    }

    // The same commit file with its whole files finishes the save.
    Put("zettly.ok_saving", std::string(described, (size_t)length));
    Put("zettly.rec_saving", newRec);
    Put("zettly.str_saving", newStr);
    Put("zettly_chklist.str_saving", newLists);
    Restart();
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 4);
    ExpectNotes(4, "newer ");
    EXPECT_FALSE(Exists("zettly.ok_saving"));
}

// A record file held open by another program while a save renames its new
// files, with no whole backup to put back: the save fails, and the next
// starts load its notes whole, never a mix of its files and older ones.
TEST_F(NotesFile, HeldRecordFileNeverLeavesAMixedSet)
{
    MakeNotes(3, "older ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_TRUE(DeleteFileA(PathOf("zettly.ok").c_str()));
    Restart();
    {
        MessageBoxRecorder told;
        ASSERT_EQ(Reload(), 3); // a set without its marker: no backups are made from it
    }
    DestroyAllNotes();
    MakeNotes(4, "newer ");
    HANDLE held = CreateFileA(PathOf("zettly.rec").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SaveZettlies(nullptr), -1);
    Restart();
    {
        MessageBoxRecorder boxes;
        EXPECT_EQ(Reload(), 4);
        ExpectNotes(4, "newer ");
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, COMMIT_UNFINISHED);
    }
    CloseHandle(held);
    Restart();
    MessageBoxRecorder quiet;
    EXPECT_EQ(Reload(), 4);
    ExpectNotes(4, "newer ");
    EXPECT_TRUE(quiet.Boxes().empty());
    EXPECT_FALSE(Exists("zettly.ok_saving"));
    EXPECT_FALSE(Exists("zettly.rec_saving"));
}

TEST_F(NotesFile, OlderPlainTextFormIsRead)
{
    MakeNotes(2, "");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    auto plain = [](const std::string &text) {
        int32_t length = (int32_t)text.size();
        return std::string((const char *)&length, 4) + text + std::string(1, '\0');
    };
    Put("zettly.str", plain("first plain") + plain("second plain"));
    AsWrittenByAnOlderCopy();
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(PlainText(ZettlyTable[0].editWindow), "first plain");
    EXPECT_EQ(PlainText(ZettlyTable[1].editWindow), "second plain");
    EXPECT_EQ(ZettlyTable[1].textLength, 12);
}

TEST_F(NotesFile, CheckListItemsWithoutTheirWindowAreWrittenBackUnchanged)
{
    MakeNotes(2, "");
    ZettlyTable[0].checkListWindow = (HWND)1;
    ZettlyTable[1].checkListWindow = (HWND)1;
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string lists = std::string("1,abc\0" "0,xyz\0\0" "0,\0\0", 17);
    Put("zettly_chklist.str", lists);
    AsWrittenByAnOlderCopy();
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 2);
    EXPECT_TRUE(boxes.Boxes().empty());
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(Bytes("zettly_chklist.str"), lists);
}

namespace {
struct MutexHolder {
    const char *name;
    HWND edit;
    HANDLE taken, release;
    LRESULT answered;
};
DWORD WINAPI HoldMutexAndAskANote(LPVOID p)
{
    MutexHolder *h = (MutexHolder *)p;
    HANDLE other = CreateMutexA(nullptr, FALSE, h->name);
    WaitForSingleObject(other, INFINITE);
    SetEvent(h->taken);
    DWORD_PTR length = 0;
    if (SendMessageTimeoutA(h->edit, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 3000, &length))
        h->answered = (LRESULT)length;
    WaitForSingleObject(h->release, INFINITE);
    ReleaseMutex(other);
    CloseHandle(other);
    return 0;
}
} // namespace

TEST_F(NotesFile, SaveGivesUpWhenAnotherCopyHoldsTheMutex)
{
    MakeNotes(1, "");
    char folder[MAX_PATH], name[64];
    GetCurrentDirectoryA(sizeof folder, folder);
    ASSERT_EQ(MakeSaveMutexName(folder, name, sizeof name), 0);
    // Another copy of the program on this data folder: its own handle by name,
    // holding the mutex on a thread that also asks a note for its text while
    // this thread waits.
    MutexHolder h = {name, ZettlyTable[0].editWindow, CreateEventA(nullptr, TRUE, FALSE, nullptr),
                     CreateEventA(nullptr, TRUE, FALSE, nullptr), -1};
    HANDLE thread = CreateThread(nullptr, 0, HoldMutexAndAskANote, &h, 0, nullptr);
    ASSERT_EQ(WaitForSingleObject(h.taken, 5000), WAIT_OBJECT_0);
    DWORD start = GetTickCount();
    EXPECT_EQ(SaveZettliesWithin(nullptr, 1500), -1);
    EXPECT_GE(GetTickCount() - start, 1400u);
    EXPECT_FALSE(Exists("zettly.rec"));
    EXPECT_FALSE(Exists("zettly.ok"));
    SetEvent(h.release);
    // The holder writes down the answer after its call returns: read it only
    // once the thread has ended.
    ASSERT_EQ(WaitForSingleObject(thread, ScaledWait(5000)), WAIT_OBJECT_0);
    EXPECT_EQ(h.answered, (LRESULT)PlainText(ZettlyTable[0].editWindow).size());
    EXPECT_EQ(SaveZettlies(nullptr), 0);
    CloseHandle(thread);
    CloseHandle(h.taken);
    CloseHandle(h.release);
}

namespace {
DWORD SaveThread;
HANDLE ThreadHolds, DirectWaits;
// The auto-save holds the mutex until the direct save is waiting for it.
void HoldUntilTheDirectSaveWaits(int step)
{
    if (step == 1 && GetCurrentThreadId() == SaveThread) {
        SetEvent(ThreadHolds);
        WaitForSingleObject(DirectWaits, 10000);
    } else if (step == SAVE_STEP_WAITING && GetCurrentThreadId() != SaveThread) {
        SetEvent(DirectWaits);
    }
}
DWORD WINAPI AutoSaveOnItsThread(LPVOID mainWindow)
{
    SaveThread = GetCurrentThreadId();
    return SaveZettliesThread(mainWindow);
}
int NestedResult;
void SaveAgainInside(int step)
{
    if (step == 1)
        NestedResult = SaveZettlies(nullptr);
}
} // namespace

TEST_F(NotesFile, AutoSaveThreadAndDirectSaveTakeTurns)
{
    MakeNotes(3, "turns ");
    ThreadHolds = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DirectWaits = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    // The thread holds the mutex and then needs this thread to answer its
    // stream requests while this thread waits for the mutex.
    HWND stand = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    SetNotesFileStepHook(HoldUntilTheDirectSaveWaits);
    HANDLE thread = CreateThread(nullptr, 0, AutoSaveOnItsThread, stand, 0, nullptr);
    ASSERT_TRUE(PumpUntil([] { return WaitForSingleObject(ThreadHolds, 0) == WAIT_OBJECT_0; },
                          10000));
    EXPECT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(WaitForSingleObject(DirectWaits, 0), WAIT_OBJECT_0) << "the saves overlapped";
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000));
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(thread);
    CloseHandle(ThreadHolds);
    CloseHandle(DirectWaits);
    DestroyWindow(stand);
    SetNotesFileStepHook(nullptr);
    MessageBoxRecorder boxes;
    ASSERT_EQ(Reload(), 3);
    ExpectNotes(3, "turns ");
}

TEST_F(NotesFile, SaveIsNotEnteredAgainOnItsOwnThread)
{
    MakeNotes(1, "");
    NestedResult = 99;
    SetNotesFileStepHook(SaveAgainInside);
    EXPECT_EQ(SaveZettlies(nullptr), 0);
    EXPECT_EQ(NestedResult, -1);
}

TEST_F(NotesFile, ProgressWindowShowsSavedOfUsed)
{
    HWND progress = CreateSaveProgress(nullptr);
    ASSERT_NE(progress, nullptr);
    ShowSaveProgress(progress, 3, 7);
    HWND bar = GetDlgItem(progress, IDC_SAVE_PROGRESS_BAR);
    EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 7);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(progress, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, SAVE_PROGRESS_ALPHA);
    RECT region;
    EXPECT_EQ(GetWindowRgnBox(progress, &region), COMPLEXREGION);
    EXPECT_TRUE(GetWindowLongA(progress, GWL_EXSTYLE) & WS_EX_TOPMOST);
    DestroyWindow(progress);
}

TEST_F(NotesFile, NoteWhoseControlFaultsWritingItOutStopsNoSave)
{
    MakeNotes(3, "others ");
    // Wine's writer faults on a negative tab stop before a paragraph end.
    std::string tab = "{\\rtf1\\ansi\\tx-1 first\\par second}";
    ASSERT_EQ(StreamInFromBlock(ZettlyTable[1].editWindow, tab.data(), tab.size(), SF_RTF), 0);
    MessageBoxRecorder boxes;
    // On the auto-save thread the note's content is taken on this one.
    HWND stand = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, AutoSaveOnItsThread, stand, 0, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return WaitForSingleObject(thread, 0) == WAIT_OBJECT_0; }, 10000));
    DWORD code = 99;
    GetExitCodeThread(thread, &code);
    CloseHandle(thread);
    DestroyWindow(stand);
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(MakeNote(3, 3), 0);
    WriteRichText(ZettlyTable[3].editWindow, "others 3");
    EXPECT_EQ(SaveZettlies(nullptr), 0) << "a later save";
    EXPECT_EQ(boxes.Boxes().size(), 1u);

    Restart();
    ASSERT_EQ(LoadZettlies(), 4);
    EXPECT_EQ(boxes.Boxes().size(), 1u) << "no damage at the next start";
    std::string why;
    for (int i : {0, 2, 3})
        EXPECT_TRUE(HasRichText(ZettlyTable[i].editWindow, "others " + std::to_string(i), &why))
            << i << ": " << why;
    EXPECT_EQ(PlainText(ZettlyTable[1].editWindow), "first\r\nsecond");
}

// Two copies of the program on one data folder: the one that saves second
// must not write over what the first saved after it had loaded the files.
TEST_F(NotesFile, CopySavingOverAnotherCopysSaveKeepsItsOwnAsideAndSaysSo)
{
    MakeNotes(2, "first ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    Restart();
    ASSERT_EQ(Reload(), 2); // this copy loads the files ...
    {
        // ... and the other copy saves its own notes over them.
        NotesFiles other = {};
        ASSERT_EQ(PrepareNotesFiles(&other), 0);
        WriteRichText(ZettlyTable[0].editWindow, "other 0");
        WriteRichText(ZettlyTable[1].editWindow, "other 1");
        SaveShowing none = {};
        ASSERT_EQ(SaveNotesFiles(&other, SAVE_MUTEX_WAIT_MS, &none), 0);
        CloseHandle(other.saveMutex);
    }
    std::string records = Bytes("zettly.rec"), texts = Bytes("zettly.str");
    WriteRichText(ZettlyTable[0].editWindow, "mine 0");
    WriteRichText(ZettlyTable[1].editWindow, "mine 1");
    {
        MessageBoxRecorder boxes(IDOK);
        ASSERT_EQ(SaveZettlies(nullptr), 0) << "this copy's notes are saved, beside";
        TellSavedAside(nullptr);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, SAVED_ASIDE_CAPTION);
        EXPECT_EQ(Bytes("zettly.rec"), records);
        EXPECT_EQ(Bytes("zettly.str"), texts);
        ASSERT_EQ(SaveZettlies(nullptr), 0) << "and again, still beside";
        EXPECT_EQ(Bytes("zettly.str"), texts);
    }

    // The next start offers this copy's notes; No keeps them for later.
    for (int answer : {IDNO, IDYES}) {
        Restart();
        MessageBoxRecorder asked(answer);
        ASSERT_EQ(Reload(), 2);
        ASSERT_EQ(asked.Boxes().size(), 1u);
        EXPECT_EQ(asked.Boxes()[0].text, ASIDE_CHOICES);
        ExpectNotes(2, answer == IDYES ? "mine " : "other ");
    }
    Restart();
    MessageBoxRecorder quiet;
    ASSERT_EQ(Reload(), 2);
    EXPECT_TRUE(quiet.Boxes().empty()) << quiet.Boxes()[0].text;
    ExpectNotes(2, "mine ");
    EXPECT_NE(Bytes("zettly.str_damaged").find("other 1"), std::string::npos)
        << "the other copy's notes are kept";
}

// A folder under a notes file's name: a save says so and leaves nothing of
// itself behind, and the next start names it and offers the last good save,
// which then loads and saves again as before.
TEST_F(NotesFile, FolderInPlaceOfANotesFileIsNamedAndTheLastGoodSaveOffered)
{
    for (const char *name : {"zettly.rec", "zettly.str", "zettly_chklist.str"}) {
        SCOPED_TRACE(name);
        Restart();
        DeleteAllFiles();
        MakeNotes(2, "good ");
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        for (int i = 0; i < 2; ++i)
            WriteRichText(ZettlyTable[i].editWindow, "newer " + std::to_string(i));
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        ASSERT_TRUE(DeleteFileA(PathOf(name).c_str()));
        ASSERT_TRUE(CreateDirectoryA(PathOf(name).c_str(), nullptr));

        ASSERT_EQ(SaveZettlies(nullptr), -1);
        char cause[160];
        EXPECT_NE(std::string(LastSaveFailure(cause, sizeof cause))
                      .find(std::string("\"") + name + "\" in the data folder is a folder"),
                  std::string::npos)
            << cause;
        EXPECT_FALSE(Exists("zettly.ok_saving"));
        EXPECT_FALSE(Exists("zettly.rec_saving"));

        Restart();
        {
            MessageBoxRecorder boxes(IDYES);
            ASSERT_EQ(Reload(), 2);
            ASSERT_EQ(boxes.Boxes().size(), 1u);
            const std::string &text = boxes.Boxes()[0].text;
            EXPECT_NE(text.find(std::string(name) + " in the data folder is a folder, not a file"),
                      std::string::npos)
                << text;
            EXPECT_NE(text.find(ROLL_BACK_CHOICES), std::string::npos) << text;
            ExpectNotes(2, "good ");
        }
        ASSERT_EQ(SaveZettlies(nullptr), 0);
        Restart();
        MessageBoxRecorder quiet;
        ASSERT_EQ(Reload(), 2);
        EXPECT_TRUE(quiet.Boxes().empty()) << quiet.Boxes()[0].text;
        ExpectNotes(2, "good ");
        EXPECT_TRUE(RemoveDirectoryA(PathOf((std::string(name) + "_damaged").c_str()).c_str()))
            << "the folder is kept aside";
    }
}

// A folder that takes no new files (read-only, or a full disk) and a changed
// byte: nothing can be copied aside, and the message says so; the last good
// save is still offered, and loads from where it lies.
TEST_F(NotesFile, ChangedByteInAFolderClosedToNewFilesOffersTheBackupsWhereTheyLie)
{
    MakeNotes(2, "good ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    for (int i = 0; i < 2; ++i)
        WriteRichText(ZettlyTable[i].editWindow, "newer " + std::to_string(i));
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string texts = Bytes("zettly.str"), marker = Bytes("zettly.ok");
    texts[texts.find("newer 1")] = 'N';
    Put("zettly.str", texts);
    Restart();
    SetNotesFileWriteFault(ERROR_ACCESS_DENIED);
    MessageBoxRecorder boxes(IDYES);
    int loaded = Reload();
    SetNotesFileWriteFault(0);
    ASSERT_EQ(loaded, 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string &text = boxes.Boxes()[0].text;
    EXPECT_EQ(text.find("kept beside them"), std::string::npos) << text;
    EXPECT_NE(text.find("could not be copied aside"), std::string::npos) << text;
    EXPECT_NE(text.find(ROLL_BACK_CHOICES), std::string::npos) << text;
    ExpectNotes(2, "good ");
    EXPECT_EQ(Bytes("zettly.str"), texts) << "nothing in place was touched";
    EXPECT_EQ(Bytes("zettly.ok"), marker);
}
