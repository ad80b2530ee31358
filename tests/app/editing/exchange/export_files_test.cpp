#include <algorithm>
#include <cstring>

#include <windows.h>
#include <richedit.h>

#include "editing/exchange/exchange_ids.h"
#include "editing/exchange/export_files.h"
#include "editing/exchange/export_record.h"
#include "core/note_window/note_commands.h"
#include "core/notes_table/rich_text_stream.h"
#include "exchange_fixture.h"
#include "test_support.h"

namespace {

class ExportFiles : public NoteTableTest {
protected:
    ScopedTempFolder folder;
    std::string Path(const std::string &name) { return folder.Path() + "\\" + name; }
};

DWORD CALLBACK AppendStreamed(DWORD_PTR cookie, LPBYTE bytes, LONG count, LONG *done)
{
    ((std::string *)cookie)->append((const char *)bytes, (size_t)count);
    *done = count;
    return 0;
}

// The note's text as the control streams it out.
std::string ZettlyRtf(int slot)
{
    std::string rtf;
    EDITSTREAM stream = {(DWORD_PTR)&rtf, 0, AppendStreamed};
    SendMessageA(ZettlyTable[slot].editWindow, EM_STREAMOUT, SF_RTF, (LPARAM)&stream);
    return stream.dwError ? "<stream error>" : rtf;
}

} // namespace

TEST_F(ExportFiles, ExpFileRoundTripsRecordAndTextAndDropsGroupMembership)
{
    int slot = NewNote("Round trip", "first line");
    ASSERT_GE(slot, 0);
    ZettlyTable[slot].backColour = 0x00C0FFEE & 0x00FFFFFF;
    ZettlyTable[slot].isMember = 1;
    ZettlyTable[slot].groupSlot = 3;
    std::string file = Path("note.exp");
    ASSERT_EQ(WriteZettlyFile(file.c_str(), slot, EXPORT_MODE_EXP), 1);
    EXPECT_EQ(ZettlyTable[slot].isMember, 1) << "the table keeps its own membership";

    std::string bytes = ReadFileBytes(file);
    ASSERT_GT(bytes.size(), 18u + 744u);
    EXPECT_EQ(bytes.substr(0, 18), std::string("ZettlyExport V1.8\x1A"));
    EXPECT_EQ(bytes.substr(18 + 744, 5), "{\\rtf");
    EXPECT_EQ(bytes[18 + 636], 0) << "isMember written as 0";

    int back = ImportZettlyFile(file.c_str(), 0);
    ASSERT_GE(back, 0);
    EXPECT_NE(back, slot);
    EXPECT_STREQ(ZettlyTable[back].title, "Round trip");
    EXPECT_EQ(ZettlyTable[back].backColour, ZettlyTable[slot].backColour);
    EXPECT_EQ(ZettlyTable[back].isMember, 0);
    EXPECT_EQ(NoteText(back), "first line");
    EXPECT_TRUE(IsWindowVisible(ZettlyTable[back].window));
}

TEST_F(ExportFiles, TextAndRtfForms)
{
    int titled = NewNote("abc", "body text");
    int bare = NewNote("", "only text");
    ASSERT_EQ(WriteZettlyFile(Path("t.txt").c_str(), titled, EXPORT_MODE_TEXT), 1);
    EXPECT_EQ(ReadFileBytes(Path("t.txt")), "abc\r\n---\r\nbody text");
    ASSERT_EQ(WriteZettlyFile(Path("b.txt").c_str(), bare, 7), 1);
    EXPECT_EQ(ReadFileBytes(Path("b.txt")), "only text");
    ASSERT_EQ(WriteZettlyFile(Path("r.rtf").c_str(), titled, EXPORT_MODE_RTF), 1);
    EXPECT_EQ(ReadFileBytes(Path("r.rtf")).substr(0, 5), "{\\rtf");
    EXPECT_EQ(WriteZettlyFile(Path("no\\such\\folder.exp").c_str(), titled, EXPORT_MODE_EXP), 0);
}

TEST_F(ExportFiles, TextTheControlCannotWriteOutWholeIsNeitherExportedNorCopiedCut)
{
    int slot = NewNote("Pictured", "");
    ASSERT_GE(slot, 0);
    // Wine's writer stops at a bitmap picture and reports no error.
    std::string picture = RichTextWithBitmapPicture("before", "after");
    ASSERT_EQ(StreamInFromBlock(ZettlyTable[slot].editWindow, picture.data(), picture.size(), SF_RTF),
              0);
    MessageBoxRecorder boxes;
    for (int mode : {EXPORT_MODE_EXP, EXPORT_MODE_RTF}) {
        std::string file = Path("cut." + std::to_string(mode));
        EXPECT_EQ(WriteZettlyFileChecked(file.c_str(), slot, mode), EXPORT_TEXT_NOT_WHOLE) << mode;
        EXPECT_EQ(GetFileAttributesA(file.c_str()), INVALID_FILE_ATTRIBUTES) << "no cut file left";
    }
    ASSERT_EQ(WriteZettlyFile(Path("words.txt").c_str(), slot, EXPORT_MODE_TEXT), 1);
    EXPECT_NE(ReadFileBytes(Path("words.txt")).find("after"), std::string::npos);
    std::vector<std::string> failed;
    EXPECT_EQ(ExportZettliesToFolderPath(folder.Path().c_str(), -1, &failed), 0);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], std::string("Pictured.exp") + TEXT_NOT_WRITTEN_WHOLE);

    // A copy takes the control's own writer too: the clipboard gets every
    // character, and no rich text cut off at the picture.
    SendMessageA(ZettlyTable[slot].editWindow, EM_SETSEL, 0, -1);
    SendMessageA(ZettlyTable[slot].editWindow, WM_COPY, 0, 0);
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE copied = GetClipboardData(CF_TEXT);
    const char *copiedText = copied ? (const char *)GlobalLock(copied) : nullptr;
    std::string onClipboard = copiedText ? copiedText : "";
    if (copiedText)
        GlobalUnlock(copied);
    bool richCopy = IsClipboardFormatAvailable(RegisterClipboardFormatA(CF_RTF)) != 0;
    CloseClipboard();
    EXPECT_NE(onClipboard.find("before"), std::string::npos) << onClipboard;
    EXPECT_NE(onClipboard.find("after"), std::string::npos) << onClipboard;
    EXPECT_FALSE(richCopy);

    // Made again with new settings, the note's window would get the cut copy.
    HWND window = ZettlyTable[slot].window;
    EXPECT_EQ(RecreateZettlyWindow(slot, ZettlyTable[slot].backColour, ZettlyTable[slot].textColour),
              -1);
    EXPECT_EQ(ZettlyTable[slot].window, window);
    EXPECT_NE(NoteText(slot).find("after"), std::string::npos);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("Pictured keeps its window"), std::string::npos)
        << boxes.Boxes()[0].text;
}

TEST_F(ExportFiles, NearMissHeadersImportAsPlainTextTitledWithThePath)
{
    const std::string cases[] = {
        std::string("ZettlyExport V1.9\x1A") + "rest",
        std::string("zettlyexport v1.8\x1A") + "rest",
        "ZettlyExport V1.8",
    };
    int n = 0;
    for (const std::string &content : cases) {
        std::string file = Path("case" + std::to_string(n++) + ".txt");
        ASSERT_TRUE(WriteFileBytes(file, content));
        int slot = ImportZettlyFile(file.c_str(), 0);
        ASSERT_GE(slot, 0);
        EXPECT_STREQ(ZettlyTable[slot].title, file.c_str());
        EXPECT_EQ(NoteText(slot), content) << "header bytes included";
    }
}

TEST_F(ExportFiles, OldVersionFileBecomesANoteWithItsRecord)
{
    std::string v15(304, '\0');
    v15[8] = (char)200;  // right
    v15[12] = 60;        // height
    std::memcpy(&v15[204], "Old one", 7);
    std::memset(&v15[264], 0xFF, 4); // every day
    std::string file = Path("old.exp");
    ASSERT_TRUE(WriteFileBytes(file, std::string("ZettlyExport V1.5\x1A") + v15 + "old text"));
    int slot = ImportZettlyFile(file.c_str(), 0);
    ASSERT_GE(slot, 0);
    EXPECT_STREQ(ZettlyTable[slot].title, "Old one");
    EXPECT_EQ(ZettlyTable[slot].alarmDays, -1);
    EXPECT_EQ(ZettlyTable[slot].alphaValue, 255);
    EXPECT_EQ(NoteText(slot), "old text") << "an uncounted plain text is kept whole";

    // A counted plain text is taken at its length, never beyond the file's end.
    v15[60] = 3;
    ASSERT_TRUE(WriteFileBytes(file, std::string("ZettlyExport V1.5\x1A") + v15 + "old text"));
    EXPECT_EQ(NoteText(ImportZettlyFile(file.c_str(), 0)), "old");
    v15[60] = 100;
    ASSERT_TRUE(WriteFileBytes(file, std::string("ZettlyExport V1.5\x1A") + v15 + "old text"));
    EXPECT_EQ(NoteText(ImportZettlyFile(file.c_str(), 0)), "old text");
}

TEST_F(ExportFiles, CutRecordUnreadableFileAndFullTableTakeNoSlot)
{
    MessageBoxRecorder boxes;
    std::string cut = Path("cut.exp");
    ASSERT_TRUE(WriteFileBytes(cut, std::string("ZettlyExport V1.8\x1A") + std::string(500, 'x')));
    EXPECT_EQ(ImportZettlyFile(cut.c_str(), 0), -1);
    EXPECT_EQ(ImportZettlyFile(Path("missing.exp").c_str(), 0), -1);
    EXPECT_EQ(CountNotes(), 0);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "File Read Error");
    EXPECT_EQ(boxes.Boxes()[1].text, "Unable to open file");

    std::string fine = Path("fine.txt");
    ASSERT_TRUE(WriteFileBytes(fine, "words"));
    FillAllFreeSlots();
    EXPECT_EQ(ImportZettlyFile(fine.c_str(), 0), -1);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[2].text, "Unable to allocate a zettly window");
    EXPECT_EQ(boxes.Boxes()[2].caption, "Zettly Create Error");
    EXPECT_EQ(ZettlyTable[254].window, nullptr) << "slot 254 is never handed out";
}

TEST_F(ExportFiles, FolderExportKeepsNotesOfTheSameTitleApartAndReportsFailures)
{
    int a = NewNote("Todo", "one");
    int b = NewNote("todo", "two");
    int c = NewNote("", "three");
    int d = NewNote("x:y", "four");
    ASSERT_TRUE(a >= 0 && b >= 0 && c >= 0 && d >= 0);
    // A folder in the way of one file name makes that file fail.
    ASSERT_TRUE(CreateDirectoryA(Path("x_y.exp").c_str(), nullptr));
    std::vector<std::string> failed;
    EXPECT_EQ(ExportZettliesToFolderPath(folder.Path().c_str(), -1, &failed), 3);
    ASSERT_EQ(failed.size(), 1u);
    EXPECT_EQ(failed[0], "x_y.exp");
    RemoveDirectoryA(Path("x_y.exp").c_str());
    EXPECT_EQ(ReadFileBytes(Path("Todo.exp")).substr(0, 12), "ZettlyExport");
    EXPECT_EQ(ReadFileBytes(Path("todo [1].exp")).substr(0, 12), "ZettlyExport");
    EXPECT_EQ(ReadFileBytes(Path("[2].exp")).substr(0, 12), "ZettlyExport");

    EXPECT_EQ(ImportZettliesFromFolderPath(folder.Path().c_str()), 3);
    std::vector<std::string> texts;
    for (int slot = 4; slot < 7; ++slot)
        texts.push_back(NoteText(slot));
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(texts, (std::vector<std::string>{"one", "three", "two"}));
}

TEST_F(ExportFiles, GroupExportTakesOnlyThatGroupsMembers)
{
    int member = NewNote("In", "in group");
    int other = NewNote("Out", "not in group");
    ZettlyTable[member].isMember = 1;
    ZettlyTable[member].groupSlot = 9;
    ZettlyTable[other].isMember = 1;
    ZettlyTable[other].groupSlot = 8;
    EXPECT_EQ(ExportZettliesToFolderPath(folder.Path().c_str(), 9, nullptr), 1);
    EXPECT_NE(ReadFileBytes(Path("In.exp")), "<missing>");
    EXPECT_EQ(ReadFileBytes(Path("Out.exp")), "<missing>");
}

TEST_F(ExportFiles, InsertOverwritesAppendsOrCreatesAndRefusesEmptyContent)
{
    MessageBoxRecorder boxes;
    int slot = NewNote("Target", "start");
    std::string text = Path("more.txt");
    ASSERT_TRUE(WriteFileBytes(text, " more"));
    EXPECT_EQ(InsertFileIntoZettly(text.c_str(), INSERT_APPEND, slot), 0);
    EXPECT_EQ(NoteText(slot), "start more");
    EXPECT_EQ(InsertFileIntoZettly(text.c_str(), INSERT_OVERWRITE, slot), 0);
    EXPECT_EQ(NoteText(slot), " more");

    ZettlyRecord r = ZettlyTable[slot];
    std::string exp = Path("bare.exp");
    ASSERT_TRUE(WriteFileBytes(exp, ExportBytes(r, "")));
    EXPECT_EQ(InsertFileIntoZettly(exp.c_str(), INSERT_OVERWRITE, slot), -1);
    std::string empty = Path("empty.txt");
    ASSERT_TRUE(WriteFileBytes(empty, ""));
    EXPECT_EQ(InsertFileIntoZettly(empty.c_str(), INSERT_APPEND, slot), -1);
    EXPECT_EQ(NoteText(slot), " more");

    // The note where the user left it, away from where new notes go.
    ZettlyRecord moved = r;
    int width = r.windowRect.right - r.windowRect.left, height = r.windowRect.bottom - r.windowRect.top;
    moved.windowRect = moved.unrolledRect = moved.restoreRect = ZettlyRect{333, 222, 333 + width, 222 + height};
    MoveWindow(ZettlyTable[slot].window, 333, 222, width, height, TRUE);
    ASSERT_TRUE(WriteFileBytes(exp, ExportBytes(moved, "{\\rtf1 from exp}")));
    EXPECT_EQ(InsertFileIntoZettly(exp.c_str(), INSERT_CREATE_NEW, slot), 0);
    EXPECT_EQ(NoteText(slot + 1), "from exp");
    // The note's own export does not land over it: the new note goes where a
    // new note goes, 10 pixels on from the defaults, with the size it had.
    RECT made, source;
    GetWindowRect(ZettlyTable[slot + 1].window, &made);
    GetWindowRect(ZettlyTable[slot].window, &source);
    const ZettlyRect &defaults = ZettlyTable[ZETTLY_DEFAULT_SLOT].windowRect;
    EXPECT_EQ(made.left, defaults.left + 10);
    EXPECT_EQ(made.top, defaults.top + 10);
    EXPECT_EQ(made.right - made.left, width);
    EXPECT_EQ(source.left, 333);

    // Rich text nested past what the control survives arrives with its text;
    // a negative tab stop, which would stop every later save, does not arrive.
    std::string deep = "{\\rtf1\\tx-1 " + std::string(40, '{') + "x\\tab y" + std::string(40, '}') + "}";
    std::string hostile = Path("deep.rtf");
    ASSERT_TRUE(WriteFileBytes(hostile, deep));
    EXPECT_EQ(InsertFileIntoZettly(hostile.c_str(), INSERT_OVERWRITE, slot), 0);
    EXPECT_EQ(NoteText(slot), "x\ty");
    EXPECT_EQ(InsertFileIntoZettly(hostile.c_str(), INSERT_APPEND, slot), 0);
    EXPECT_EQ(NoteText(slot), "x\tyx\ty");
    // A tab stop left of the margin stopped the control's writer at the next
    // paragraph end, and with it every later save.
    ASSERT_TRUE(WriteFileBytes(hostile, "{\\rtf1\\tx-1\\tx720 a\\tab b\\par c}"));
    EXPECT_EQ(InsertFileIntoZettly(hostile.c_str(), INSERT_OVERWRITE, slot), 0);
    std::string rtf = ZettlyRtf(slot);
    EXPECT_NE(rtf.find("a\\tab b\\par"), std::string::npos) << rtf;
    EXPECT_NE(rtf.find("\\tx720"), std::string::npos) << rtf;

    EXPECT_EQ(InsertFileIntoZettly(text.c_str(), INSERT_APPEND, -1), -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Bad zettly window error");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Unkown Error?");
}
