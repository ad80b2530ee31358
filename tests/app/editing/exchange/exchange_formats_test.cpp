#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "editing/exchange/dde_poke.h"
#include "editing/exchange/exchange_text.h"
#include "editing/exchange/export_record.h"
#include "editing/exchange/installer_hunk.h"

namespace {

std::vector<uint8_t> Bytes(const std::string &s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// The poke points into its data: keep every parsed block alive for the test's run.
ZettlyPoke Parse(const std::vector<uint8_t> &data)
{
    static std::deque<std::vector<uint8_t>> kept;
    kept.push_back(data);
    ZettlyPoke p;
    ParseZettlyPoke(kept.back().data(), kept.back().size(), &p);
    return p;
}

std::string Text(const ZettlyPoke &p)
{
    return std::string((const char *)p.text, p.textBytes);
}

std::vector<uint8_t> ExportOf(const ZettlyRecord &r, const std::string &text)
{
    std::vector<uint8_t> out(ZETTLY_EXPORT_HEADER_BYTES + ZETTLY_RECORD_BYTES);
    WriteExportHeader(out.data());
    PackZettlyRecord(&r, out.data() + ZETTLY_EXPORT_HEADER_BYTES);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

ZettlyRecord Titled(const char *title)
{
    ZettlyRecord r;
    FillDefaultRecord(&r, 800, 600);
    std::strcpy(r.title, title);
    return r;
}

} // namespace

TEST(DdePoke, TextFormMarkerAloneGivesNoTitleAndNoText)
{
    ZettlyPoke p = Parse(Bytes("DDEZettlyExport\r\n"));
    EXPECT_EQ(p.form, POKE_TEXT);
    EXPECT_EQ(p.hasTitle, 0);
    EXPECT_EQ(p.textBytes, 0u);
}

TEST(DdePoke, TextFormTitleLineKeepsCrAsBlankCutsAt256AndBlanksHighBytes)
{
    ZettlyPoke a = Parse(Bytes("DDEZettlyExport\r\nabc\r\nline one\r\nline two"));
    EXPECT_EQ(a.form, POKE_TEXT);
    EXPECT_STREQ(a.title, "abc ");
    EXPECT_EQ(Text(a), "line one\r\nline two");

    ZettlyPoke b = Parse(Bytes("DDEZettlyExport\r\n" + std::string(300, 'x') + "\nbody"));
    EXPECT_EQ(std::strlen(b.title), 256u);
    EXPECT_EQ(Text(b), "body");

    std::string high = "DDEZettlyExport\r\nA";
    for (int c = 0x7F; c <= 0xFF; ++c)
        high.push_back((char)c);
    high += "Z\n";
    ZettlyPoke c = Parse(Bytes(high));
    EXPECT_EQ(std::string(c.title), "A" + std::string(0x81, ' ') + "Z");
    EXPECT_EQ(c.textBytes, 0u);
}

TEST(DdePoke, ShortOrForeignDataIsUnknownTextUpToItsNul)
{
    // 17 bytes of a header are not a binary poke.
    std::vector<uint8_t> shortHeader = Bytes("ZettlyExport V1.8");
    ZettlyPoke a = Parse(shortHeader);
    EXPECT_EQ(a.form, POKE_UNKNOWN);
    EXPECT_STREQ(a.title, "Unknown zettly format");
    EXPECT_EQ(Text(a), "ZettlyExport V1.8");

    std::vector<uint8_t> withNul = Bytes("plain words");
    withNul.push_back(0);
    withNul.push_back('x');
    EXPECT_EQ(Text(Parse(withNul)), "plain words");

    EXPECT_EQ(Parse(Bytes("DDEZettlyExport\r")).form, POKE_UNKNOWN);
    ZettlyPoke empty;
    ParseZettlyPoke(nullptr, 0, &empty);
    EXPECT_EQ(empty.form, POKE_UNKNOWN);
    EXPECT_EQ(empty.textBytes, 0u);
}

TEST(DdePoke, BinaryFormTextEndsAtNulOrDataAndCutRecordIsRefused)
{
    std::vector<uint8_t> data = ExportOf(Titled("Sent"), "{\\rtf1 hi}");
    ZettlyPoke a = Parse(data);
    EXPECT_EQ(a.form, POKE_BINARY);
    EXPECT_STREQ(a.record.title, "Sent");
    EXPECT_EQ(Text(a), "{\\rtf1 hi}");

    data.push_back(0);
    data.push_back('!');
    EXPECT_EQ(Text(Parse(data)), "{\\rtf1 hi}");

    std::vector<uint8_t> cut(data.begin(), data.begin() + 18 + 700);
    EXPECT_EQ(Parse(cut).form, POKE_REFUSED);
}

TEST(FileNames, InvalidCharactersBecomeUnderscores)
{
    char name[] = "a\\b/c:d*e?f\"g<h>i|j.exp";
    MakeValidFileName(name);
    EXPECT_STREQ(name, "a_b_c_d_e_f_g_h_i_j.exp");
}

TEST(FileNames, FolderExportNamesAreDistinctPerExport)
{
    std::vector<std::string> used;
    EXPECT_EQ(ExportFileNameFor("", 7, &used), "[7].exp");
    EXPECT_EQ(ExportFileNameFor("x/y:z>", 1, &used), "x_y_z_.exp");
    EXPECT_EQ(ExportFileNameFor("Todo", 2, &used), "Todo.exp");
    EXPECT_EQ(ExportFileNameFor("TODO", 3, &used), "TODO [3].exp") << "names differ only in case";
    EXPECT_EQ(ExportFileNameFor("x_y_z_", 4, &used), "x_y_z_ [4].exp")
        << "clash after cleaning";
    EXPECT_EQ(ExportFileNameFor("Todo", 2, nullptr), "Todo.exp");
}

TEST(TitledText, HeadingHasOneDashPerTitleCharacter)
{
    std::string out;
    AppendTitleHeading(&out, "abc");
    EXPECT_EQ(out, "abc\r\n---\r\n");
    std::string none;
    AppendTitleHeading(&none, "");
    EXPECT_EQ(none, "");
}

TEST(InstallerHunk, AppendedNoteIsFoundFromTheEndAndHandedOnAsExportRecord)
{
    uint8_t key[ZETTLY_EXPORT_HEADER_BYTES], plain[ZETTLY_EXPORT_HEADER_BYTES];
    MakeInstallerKey(key);
    WriteExportHeader(plain);
    for (int i = 0; i < ZETTLY_EXPORT_HEADER_BYTES; ++i)
        EXPECT_NE(key[i], plain[i]) << "byte " << i;

    // A program whose own bytes hold the key too: the appended note must win.
    std::vector<uint8_t> file = Bytes("MZ program bytes ");
    file.insert(file.end(), key, key + sizeof key);
    file.insert(file.end(), 100, 0x90);
    size_t hunkAt = file.size();
    ZettlyRecord r = Titled("Gift");
    r.textLength = 999;
    AppendInstallerHunk(&file, &r, "hello", 5);
    EXPECT_EQ(file.back(), 0);
    EXPECT_EQ(file[file.size() - 2], 'o');
    EXPECT_EQ(FindInstallerKey(file.data(), file.size()), (long)hunkAt);

    std::vector<uint8_t> block = NoteBlockBehindKey(file.data(), file.size(), (long)hunkAt);
    ZettlyPoke p = Parse(block);
    ASSERT_EQ(p.form, POKE_BINARY);
    EXPECT_STREQ(p.record.title, "Gift");
    EXPECT_EQ(p.record.textLength, 5);
    EXPECT_EQ(Text(p), "hello");
    EXPECT_EQ(NoteBlockAsText(block.data(), block.size()), "Gift\r\n----\r\nhello");
}

TEST(InstallerHunk, CutOffOrMissingHunk)
{
    uint8_t key[ZETTLY_EXPORT_HEADER_BYTES];
    MakeInstallerKey(key);
    std::vector<uint8_t> file = Bytes("program");
    EXPECT_EQ(FindInstallerKey(file.data(), file.size()), -1);
    EXPECT_EQ(FindInstallerKey(key, sizeof key - 1), -1);

    file.insert(file.end(), key, key + sizeof key);
    file.push_back('Q');
    long at = FindInstallerKey(file.data(), file.size());
    ASSERT_EQ(at, 7);
    std::vector<uint8_t> block = NoteBlockBehindKey(file.data(), file.size(), at);
    ASSERT_EQ(block.size(), 19u) << "what follows the key is still sent";
    EXPECT_EQ(block[18], 'Q');
    EXPECT_EQ(NoteBlockAsText(block.data(), block.size()), "");
}

TEST(InstallerHunk, SaveKindIsChosenByTheName)
{
    EXPECT_TRUE(PathNamesExportFile("C:\\notes\\GIFT.EXP"));
    EXPECT_TRUE(PathNamesExportFile("a.Exp"));
    EXPECT_FALSE(PathNamesExportFile("gift.txt"));
    EXPECT_FALSE(PathNamesExportFile("exp"));
    EXPECT_FALSE(PathNamesExportFile("gift.expx"));
}

TEST(CommandLine, FileIsBetweenTheFirstQuotesOrTheWholeLine)
{
    struct Case {
        const char *line;
        const char *path; // null: nothing to hand over
    } cases[] = {
        {"\"C:\\my notes\\a.exp\" -x", "C:\\my notes\\a.exp"},
        {"\"C:\\open ended.txt", "C:\\open ended.txt"},
        {"  C:\\plain.txt \r\n", "C:\\plain.txt"},
        {"\"\"", nullptr},
        {"   ", nullptr},
    };
    for (const Case &c : cases) {
        char path[260];
        bool found = CommandLineFilePath(c.line, path, sizeof path);
        EXPECT_EQ(found, c.path != nullptr) << c.line;
        if (found && c.path) {
            EXPECT_STREQ(path, c.path);
        }
    }
    char small[8];
    EXPECT_FALSE(CommandLineFilePath("C:\\longer.txt", small, sizeof small)) << "never cut a path";
}

TEST(CommandLine, PathsIntoTheDeviceNamespaceOrToReservedNamesNameDevices)
{
    for (const char *device :
         {"\\\\?\\C:\\notes\\x.exp", "\\\\.\\pipe\\x", "//./COM1", "\\\\?\\GLOBALROOT",
          "\\??\\C:\\x", "CON", "nul", "C:\\folder\\com1.txt", "c:\\x\\con .txt", "LPT9", "conin$",
          "COM1:", "aux.exp"})
        EXPECT_TRUE(NamesDevice(device)) << device;
    for (const char *file : {"C:\\notes\\x.exp", "\\\\server\\share\\x.txt", "console.txt", "com10",
                             "C:\\con\\x.exp", "xcon", "notes.con", "", "C:"})
        EXPECT_FALSE(NamesDevice(file)) << file;
}

TEST(DdePoke, TheSameBlockAgainSoonIsTakenOnceAndLaterAsANewNote)
{
    RecentPokes recent = {};
    std::vector<uint8_t> note = Bytes("DDEZettlyExport\r\ntitle\nthe text");
    std::vector<uint8_t> other = note;
    other.back() = 'X';
    const uint32_t first = 0xFFFFF000u; // the tick count wraps eight seconds later
    EXPECT_FALSE(PokeTakenRecently(&recent, note.data(), note.size(), first));
    RememberPoke(&recent, note.data(), note.size(), first);
    // A sender that gave up after ten seconds and pokes again.
    EXPECT_TRUE(PokeTakenRecently(&recent, note.data(), note.size(), first + 10000));
    EXPECT_FALSE(PokeTakenRecently(&recent, other.data(), other.size(), first + 10000));
    EXPECT_FALSE(PokeTakenRecently(&recent, note.data(), note.size() - 1, first + 10000));
    EXPECT_FALSE(PokeTakenRecently(&recent, note.data(), note.size(), first + 5 * 60 * 1000))
        << "the same note five minutes later is sent on purpose";
    // Many other notes in between do not make it forget the latest ones.
    for (int i = 0; i < 8; ++i) {
        other[0] = (uint8_t)i;
        RememberPoke(&recent, other.data(), other.size(), first + 1000);
    }
    EXPECT_TRUE(PokeTakenRecently(&recent, other.data(), other.size(), first + 2000));
    EXPECT_TRUE(PokeTakenRecently(&recent, note.data(), note.size(), first + 2000));
}
