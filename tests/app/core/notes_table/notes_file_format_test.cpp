#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "core/notes_table/notes_file_format.h"

namespace {

ZettlyRecord SampleRecord(int n)
{
    ZettlyRecord r = {};
    r.windowRect = ZettlyRect{10 * n, 20 * n, 10 * n + 200, 20 * n + 50};
    r.textColour = 0x112233u + n;
    r.backColour = 0x00FFFF;
    r.showCommand = 1;
    std::snprintf(r.title, sizeof r.title, "note %d", n);
    r.alphaValue = 137;
    return r;
}

ByteBuffer Bytes(const std::string &s)
{
    return ByteBuffer(s.begin(), s.end());
}

std::string Text(const uint8_t *p, size_t n)
{
    return std::string((const char *)p, n);
}

uint32_t At32(const ByteBuffer &b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

ByteBuffer RecordFile(int32_t storedCount, int schemesPresent, int records)
{
    ByteBuffer b(4);
    std::memcpy(b.data(), &storedCount, 4);
    for (int i = 0; i < schemesPresent * 3; ++i) {
        uint32_t v = 0x100 + i;
        b.insert(b.end(), (uint8_t *)&v, (uint8_t *)&v + 4);
    }
    ZettlyRecord defaults = SampleRecord(0);
    AppendRecord(&b, &defaults);
    for (int i = 1; i <= records; ++i) {
        ZettlyRecord r = SampleRecord(i);
        AppendRecord(&b, &r);
    }
    return b;
}

} // namespace

TEST(NotesFileFormat, RecordFileHasCountSchemesDefaultsThenRecords)
{
    ZettlyColourScheme schemes[2] = {{1, 2, 3}, {4, 5, 6}};
    ZettlyRecord defaults = SampleRecord(0), note = SampleRecord(1);
    ByteBuffer b;
    AppendRecordFileHead(&b, schemes, 2, &defaults);
    AppendRecord(&b, &note);
    ASSERT_EQ(b.size(), 4u + 24 + 2 * ZETTLY_RECORD_BYTES);
    EXPECT_EQ(At32(b, 0), 2u);
    EXPECT_EQ(At32(b, 4), 1u);
    EXPECT_EQ(At32(b, 24), 6u);
    EXPECT_EQ(At32(b, 28 + 56), defaults.textColour);
    EXPECT_STREQ((const char *)b.data() + 28 + ZETTLY_RECORD_BYTES + 252, "note 1");

    ByteReader r = {b.data(), b.size(), 0};
    RecordFileHead head;
    ASSERT_EQ(ReadRecordFileHead(&r, &head), 0);
    EXPECT_EQ(head.schemeCount, 2);
    EXPECT_EQ(head.schemes[1].blink, 6u);
    EXPECT_STREQ(head.defaults.title, "note 0");
    ZettlyRecord back;
    ASSERT_EQ(ReadNextRecord(&r, &back), 0);
    EXPECT_EQ(back.windowRect.right, note.windowRect.right);
    EXPECT_STREQ(back.title, "note 1");
    EXPECT_EQ(ReadNextRecord(&r, &back), -1);
}

TEST(NotesFileFormat, SchemeCountIsCheckedAgainstTableAndFile)
{
    struct Case {
        int32_t stored;
        int present;
        int expectResult;
        int expectKept;
    } cases[] = {
        {0, 0, 0, 0},
        {50, 50, 0, 50},
        {51, 51, 0, 50},   // the extra scheme is skipped, the default record still found
        {300, 300, 0, 50},
        {-5, 0, 0, 0},     // a negative count stores no schemes
        {0x7FFFFFFF, 2, -1, 0}, // more schemes than the file holds: no head
        {3, 2, 0, 0},      // reads into the default record: checked below
    };
    for (const Case &c : cases) {
        ByteBuffer b = RecordFile(c.stored, c.present, 1);
        ByteReader r = {b.data(), b.size(), 0};
        RecordFileHead head;
        int result = ReadRecordFileHead(&r, &head);
        if (c.stored == 3) {
            // the head swallows 12 bytes of the default record: what follows is short
            ZettlyRecord rec;
            EXPECT_EQ(ReadNextRecord(&r, &rec), -1) << c.stored;
            continue;
        }
        ASSERT_EQ(result, c.expectResult) << c.stored;
        if (result)
            continue;
        EXPECT_EQ(head.schemeCount, c.expectKept) << c.stored;
        EXPECT_STREQ(head.defaults.title, "note 0") << c.stored;
        ZettlyRecord rec;
        ASSERT_EQ(ReadNextRecord(&r, &rec), 0) << c.stored;
        EXPECT_STREQ(rec.title, "note 1");
    }
}

TEST(NotesFileFormat, TruncatedRecordFileLoadsWholeRecordsOnly)
{
    ByteBuffer whole = RecordFile(1, 1, 3);
    for (size_t cut = 0; cut < whole.size(); cut += 37) {
        ByteReader r = {whole.data(), cut, 0};
        RecordFileHead head;
        if (ReadRecordFileHead(&r, &head) != 0) {
            EXPECT_LT(cut, 4u + 12 + ZETTLY_RECORD_BYTES);
            continue;
        }
        int n = 0;
        ZettlyRecord rec;
        while (ReadNextRecord(&r, &rec) == 0)
            ++n;
        EXPECT_EQ(n, (int)((cut - 16 - ZETTLY_RECORD_BYTES) / ZETTLY_RECORD_BYTES)) << cut;
    }
}

TEST(NotesFileFormat, GroupLinksFollowTheStoredOrder)
{
    int stored[ZETTLY_SLOTS];
    for (int &s : stored)
        s = -1;
    stored[0] = 0;
    stored[3] = 1;
    stored[7] = 2;
    ZettlyRecord member = {};
    member.isMember = 1;
    member.groupSlot = 3;
    EXPECT_EQ(StoredGroupSlot(&member, stored), 1);
    member.groupSlot = 5; // its group is not saved: left for the re-link
    EXPECT_EQ(StoredGroupSlot(&member, stored), 5);
    member.groupSlot = 9999;
    EXPECT_EQ(StoredGroupSlot(&member, stored), 9999);
    member.isMember = 0;
    member.groupSlot = 3;
    EXPECT_EQ(StoredGroupSlot(&member, stored), 3);
}

TEST(NotesFileFormat, NoteTextEndsWithExactlyTwoZeroBytes)
{
    ByteBuffer b;
    std::string rtf = "{\\rtf1 hello}";
    AppendNoteText(&b, (const uint8_t *)rtf.data(), rtf.size());
    AppendNoteText(&b, nullptr, 0);
    std::string withEnd = "{\\rtf1 x}";
    withEnd.push_back('\0'); // the control's own ending 0 byte
    AppendNoteText(&b, (const uint8_t *)withEnd.data(), withEnd.size());
    // A NUL character of the text comes out of the control as a 0 byte
    // inside its RTF, which would end the text when the file is read.
    std::string inner =
        std::string("{\\rtf1 a", 8) + std::string(1, '\0') + "b}" + std::string(1, '\0');
    AppendNoteText(&b, (const uint8_t *)inner.data(), inner.size());
    std::string expect = rtf + std::string(2, '\0') + std::string(2, '\0') + "{\\rtf1 x}" +
                         std::string(2, '\0') + "{\\rtf1 ab}" + std::string(2, '\0');
    EXPECT_EQ(Text(b.data(), b.size()), expect);

    std::vector<NoteText> texts;
    EXPECT_EQ(SplitRichNoteTexts(b.data(), b.size(), &texts), 0);
    const char *want[] = {"{\\rtf1 hello}", "", "{\\rtf1 x}", "{\\rtf1 ab}"};
    ASSERT_EQ(texts.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(Text(texts[i].rtf.data(), texts[i].rtf.size()), want[i]);
        EXPECT_FALSE(texts[i].damaged) << i;
    }
}

namespace {
std::vector<std::string> Split(const std::string &file, int *garbage = nullptr,
                               std::vector<bool> *damaged = nullptr)
{
    std::vector<NoteText> texts;
    int skipped = SplitRichNoteTexts((const uint8_t *)file.data(), file.size(), &texts);
    if (garbage)
        *garbage = skipped;
    std::vector<std::string> out;
    for (const NoteText &t : texts) {
        out.push_back(Text(t.rtf.data(), t.rtf.size()));
        if (damaged)
            damaged->push_back(t.damaged);
    }
    return out;
}
std::string Z(int n)
{
    return std::string((size_t)n, '\0');
}
} // namespace

TEST(NotesFileFormat, RichTextReaderNeverRunsPastTheFile)
{
    std::vector<bool> damaged;
    auto texts = Split("{\\rtf1 one}" + Z(1) + "{\\rtf1 two}" + Z(2) + "{\\rtf1 cut", nullptr,
                       &damaged);
    // one ending byte only: the next text is intact
    EXPECT_EQ(texts, (std::vector<std::string>{"{\\rtf1 one}", "{\\rtf1 two}", "{\\rtf1 cut"}));
    EXPECT_EQ(damaged, (std::vector<bool>{false, false, true}));
    EXPECT_TRUE(Split("").empty());
}

// A stray 0 byte or garbage between texts never hands a text to the next note.
TEST(NotesFileFormat, StrayZeroBytesNeverShiftTextsOntoOtherNotes)
{
    std::string a = "{\\rtf1 aa}", c = "{\\rtf1 cc}";
    struct Case {
        const char *what;
        std::string file;
        std::vector<std::string> texts;
        int damagedAt; // -1: none
        int garbage;
    } cases[] = {
        {"inside a text", a + Z(2) + "{\\rtf1 b" + Z(1) + "b}" + Z(2) + c + Z(2),
         {a, "{\\rtf1 bb}", c}, 1, 0},
        {"two inside a text", "{\\rtf1 a" + Z(1) + "a" + Z(1) + "a}" + Z(2) + c + Z(2),
         {"{\\rtf1 aaa}", c}, 0, 0},
        {"right after a text's end", a + Z(3) + c + Z(2), {a, c}, -1, 0},
        {"before an empty text", a + Z(2) + Z(2) + c + Z(2), {a, "", c}, -1, 0},
        {"garbage between texts", a + Z(2) + "junk" + Z(1) + "more" + Z(2) + c + Z(2), {a, c},
         -1, 1},
    };
    for (const Case &k : cases) {
        int garbage = 0;
        std::vector<bool> damaged;
        EXPECT_EQ(Split(k.file, &garbage, &damaged), k.texts) << k.what;
        EXPECT_EQ(garbage, k.garbage) << k.what;
        for (size_t i = 0; i < damaged.size(); ++i)
            EXPECT_EQ(damaged[i], (int)i == k.damagedAt) << k.what << " text " << i;
    }
}

// The end of one text and the start of the next overwritten, in a file
// without stamps: the records say one text is missing. Where the damage
// shows where the lost text's rest starts it goes to its own note; where it
// does not, the notes from the damage on get nothing rather than a
// neighbour's text (raw high bytes, as older copies wrote, say nothing).
TEST(NotesFileFormat, LostTextStartIsPlacedOnlyWhereTheDamageTellsIt)
{
    std::string a = "{\\rtf1 {\\b one}\\par}", d = "{\\rtf1 {\\b four}\\par}";
    struct Case {
        const char *what;
        std::string merged;             // the second and third texts run together
        std::vector<std::string> texts; // "-" a note left empty for the damage
    } cases[] = {
        {"never closes", "{\\rtf1 {\\b tw{\x81" "ee}\\par}", {a, "-", "-", "-"}},
        {"closes early", "{\\rtf1 {\\b two}\\par}}x\\b three}\\par}",
         {a, "{\\rtf1 {\\b two}\\par}", "}x\\b three}\\par}", d}},
        {"control bytes", "{\\rtf1 {\\b tw\x01\x02three}\\par}", {a, "-", "-", "-"}},
    };
    for (const Case &k : cases) {
        std::string file = a + Z(2) + k.merged + Z(2) + d + Z(2);
        std::vector<NoteText> texts;
        EXPECT_EQ(SplitRichNoteTexts((const uint8_t *)file.data(), file.size(), &texts, 4), 0)
            << k.what;
        ASSERT_EQ(texts.size(), 4u) << k.what;
        for (size_t i = 0; i < 4; ++i) {
            const NoteText &t = texts[i];
            std::string got = t.unplaced ? "-" : Text(t.rtf.data(), t.rtf.size());
            EXPECT_EQ(got, k.texts[i]) << k.what << " text " << i;
            EXPECT_EQ(t.damaged, got == "-" || t.startLost) << k.what << " text " << i;
            EXPECT_EQ(t.startLost, got[0] == '}') << k.what << " text " << i;
        }
        // Without the records' count nothing is moved.
        EXPECT_EQ(Split(file).size(), 3u) << k.what;
    }
}

namespace {
// A word of its own in each note, every letter unlike the other notes' words
// at the same place: no few random bytes turn one into another.
std::string Tag(int n)
{
    const int steps[4] = {7, 11, 3, 17};
    std::string tag = "Q";
    for (int step : steps)
        tag.push_back((char)('a' + (n * step + 5) % 26));
    return tag;
}

// Notes as a copy of the program saves them: the record file (stamped, or as
// an older copy writes it, with 0 in the stamp's fields) and the text file.
struct SavedSet {
    std::vector<std::string> texts;
    ByteBuffer records, file;
    std::vector<size_t> starts; // where each text starts in the file
};
SavedSet SaveSet(bool stamped)
{
    SavedSet set;
    ZettlyRecord defaults = SampleRecord(99);
    AppendRecordFileHead(&set.records, nullptr, 0, &defaults);
    for (int n = 0; n < 14; ++n) {
        // Raw accented letters as older copies wrote them; some notes empty.
        char body[200];
        std::snprintf(body, sizeof body,
                      "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;}"
                      "\\pard\\f0\\fs20 caf\xe9 %s {\\b %s} \xe4\xf6 %s\\par\r\n}",
                      Tag(n).c_str(), Tag(n).c_str(), Tag(n).c_str());
        set.texts.push_back(n % 5 == 3 ? "" : body);
        ZettlyRecord r = SampleRecord(n);
        set.starts.push_back(set.file.size());
        const std::string &t = set.texts.back();
        if (stamped) {
            AppendSavedNote(&set.records, &set.file, &r, (const uint8_t *)t.data(), t.size());
        } else {
            AppendRecord(&set.records, &r);
            AppendNoteText(&set.file, (const uint8_t *)t.data(), t.size());
        }
    }
    return set;
}

// Splits a damaged copy of the set and checks that no note shows bytes of a
// text saved for another and that each note counted as damaged, missing or
// left empty is one not shown as saved; with stamps, that every such note is
// counted. Returns the notes not shown as saved.
std::vector<int> CheckSplit(const SavedSet &set, bool stamped, const ByteBuffer &file,
                            const std::string &what)
{
    std::vector<TextStamp> stamps;
    long count = ReadTextStamps(set.records.data(), set.records.size(), &stamps);
    EXPECT_EQ(count, (long)set.texts.size());
    std::vector<NoteText> split;
    SplitRichNoteTexts(file.data(), file.size(), &split, count,
                       stamped ? stamps.data() : nullptr);
    EXPECT_LE(split.size(), set.texts.size()) << what;
    std::vector<int> notShown;
    for (size_t n = 0; n < set.texts.size(); ++n) {
        const NoteText *t = n < split.size() ? &split[n] : nullptr;
        std::string shown = t ? Text(t->rtf.data(), t->rtf.size()) : "";
        bool exact = t && !t->missing && !t->startLost && shown == set.texts[n];
        bool counted = !t || t->damaged || t->missing || t->unplaced;
        if (!exact)
            notShown.push_back((int)n);
        if (stamped || counted)
            EXPECT_EQ(exact, !counted) << what << " note " << n;
        for (size_t other = 0; other < set.texts.size(); ++other)
            if (other != n)
                EXPECT_EQ(shown.find(Tag((int)other)), std::string::npos)
                    << what << ": note " << n << " shows " << Tag((int)other);
    }
    return notShown;
}
} // namespace

// A cut file and random bytes across each text's end, in files with raw
// accented letters, stamped and as older copies wrote them: texts stay on
// their own notes, and with stamps only the notes the damage touched lose
// anything.
TEST(NotesFileFormat, DamagedTextsNeverLandOnAnotherNote)
{
    std::mt19937 random(20261211);
    for (bool stamped : {true, false}) {
        SavedSet set = SaveSet(stamped);
        const int notes = (int)set.texts.size();
        for (int cut = 0; cut < notes; ++cut) {
            ByteBuffer file(set.file.begin(), set.file.begin() + set.starts[cut]);
            std::string what = (stamped ? "stamped, " : "unstamped, ") + std::string("cut at ") +
                               std::to_string(cut);
            std::vector<int> want;
            for (int n = cut; n < notes; ++n)
                want.push_back(n);
            EXPECT_EQ(CheckSplit(set, stamped, file, what), want) << what;
        }
        for (int end = 0; end + 1 < notes; ++end) {
            for (int trial = 0; trial < 40; ++trial) {
                ByteBuffer file = set.file;
                size_t boundary = set.starts[end + 1] - 2;
                size_t before = random() % 12, length = 1 + random() % 30;
                size_t from = boundary > before ? boundary - before : 0;
                for (size_t i = from; i < from + length && i < file.size(); ++i)
                    file[i] = (uint8_t)random();
                std::string what = (stamped ? "stamped, " : "unstamped, ") +
                                   std::string("bytes across the end of ") +
                                   std::to_string(end) + " trial " + std::to_string(trial);
                std::vector<int> lost = CheckSplit(set, stamped, file, what);
                if (stamped) {
                    // Only notes whose stored bytes were overwritten.
                    for (int n : lost) {
                        size_t next = n + 1 < notes ? set.starts[n + 1] : set.file.size();
                        EXPECT_TRUE(set.starts[n] < from + length && next > from)
                            << what << " note " << n;
                    }
                }
            }
        }
    }
}

TEST(NotesFileFormat, CommitRecordNamesEachFileAndRejectsAnythingElse)
{
    // The CRC-32 check value of the nine digits.
    EXPECT_EQ(ChecksumBytes(0, (const uint8_t *)"123456789", 9), 0xCBF43926u);
    EXPECT_EQ(ChecksumBytes(ChecksumBytes(0, (const uint8_t *)"1234", 4),
                            (const uint8_t *)"56789", 5),
              0xCBF43926u);
    CommitRecord c = {{{744, 0xDEADBEEFu}, {0, 0}, {4000000000u, 1}}};
    char text[128];
    int n = FormatCommitRecord(&c, text, sizeof text);
    ASSERT_GT(n, 0);
    CommitRecord back;
    ASSERT_EQ(ParseCommitRecord((const uint8_t *)text, (size_t)n, &back), 0);
    for (int kind = 0; kind < ZETTLY_FILE_KINDS; ++kind) {
        EXPECT_EQ(back.files[kind].size, c.files[kind].size);
        EXPECT_EQ(back.files[kind].checksum, c.files[kind].checksum);
    }
    std::string whole(text, (size_t)n);
    for (const std::string &bad :
         {std::string(), whole.substr(0, whole.size() - 1), whole.substr(0, 20),
          "X" + whole.substr(1), whole + "x", std::string(text, 5) + std::string(1, '\0') + whole})
        EXPECT_EQ(ParseCommitRecord((const uint8_t *)bad.data(), bad.size(), &back), -1) << bad;

    // The same record as the marker's second line; an older marker has none.
    std::string sentence = "Last save completed with out problems at Thu Dec 10 07:12:26 2026\n";
    std::string marker = sentence + whole;
    ASSERT_EQ(ParseSaveMarkerRecord((const uint8_t *)marker.data(), marker.size(), &back), 0);
    EXPECT_EQ(back.files[2].size, 4000000000u);
    for (const std::string &older : {sentence, sentence + whole.substr(0, 30), whole})
        EXPECT_EQ(ParseSaveMarkerRecord((const uint8_t *)older.data(), older.size(), &back), -1)
            << older;

    uint32_t error = 0;
    n = FormatUnsavedNote(112, text, sizeof text);
    ASSERT_EQ(ParseUnsavedNote((const uint8_t *)text, (size_t)n, &error), 0);
    EXPECT_EQ(error, 112u);
    for (const std::string &bad :
         {std::string("ZettlyUnsaved1 112"), std::string("ZettlyUnsaved2 1\n"),
          std::string("ZettlyUnsaved1 99999999999\n"), std::string(text, (size_t)n) + "x",
          std::string(100, '7')})
        EXPECT_EQ(ParseUnsavedNote((const uint8_t *)bad.data(), bad.size(), &error), -1) << bad;
}

TEST(NotesFileFormat, PlainFormLengthsAreCheckedAgainstTheFile)
{
    auto plain = [](int32_t length, const std::string &body) {
        ByteBuffer b(4);
        std::memcpy(b.data(), &length, 4);
        b.insert(b.end(), body.begin(), body.end());
        return b;
    };
    const uint8_t *text;
    size_t length;

    ByteBuffer ok = plain(5, std::string("hello\0next", 10));
    ByteReader r = {ok.data(), ok.size(), 0};
    EXPECT_TRUE(LooksLikePlainNoteText(&r));
    ASSERT_EQ(TakePlainNoteText(&r, &text, &length), NOTE_TEXT_WHOLE);
    EXPECT_EQ(Text(text, length), "hello");
    EXPECT_EQ(r.position, 10u);

    ByteBuffer negative = plain(-1, "rest");
    r = ByteReader{negative.data(), negative.size(), 0};
    ASSERT_EQ(TakePlainNoteText(&r, &text, &length), NOTE_TEXT_WHOLE);
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(r.position, 4u);

    for (int32_t huge : {0x7FFFFFFF, 6, 1000}) {
        ByteBuffer b = plain(huge, std::string("hello", 5));
        r = ByteReader{b.data(), b.size(), 0};
        EXPECT_FALSE(LooksLikePlainNoteText(&r)) << huge;
        EXPECT_EQ(TakePlainNoteText(&r, &text, &length), NOTE_TEXT_CUT) << huge;
        EXPECT_EQ(Text(text, length), "hello");
        EXPECT_EQ(BytesLeft(&r), 0u);
    }
    ByteBuffer three = Bytes("abc");
    r = ByteReader{three.data(), three.size(), 0};
    EXPECT_EQ(TakePlainNoteText(&r, &text, &length), NOTE_TEXT_CUT);

    // what a rich text file holds never looks plain
    for (const std::string &rich :
         {std::string("{\\rtf1 x}\0\0", 11), std::string(8, '\0'), std::string("\0\0{\\rtf", 7)}) {
        ByteBuffer b = Bytes(rich);
        r = ByteReader{b.data(), b.size(), 0};
        EXPECT_FALSE(LooksLikePlainNoteText(&r));
    }
}

TEST(NotesFileFormat, CheckListStreamRoundTrip)
{
    ByteBuffer b;
    AppendCheckListItem(&b, true, "abc", 3);
    AppendCheckListItem(&b, false, "xyz", 3);
    b.push_back(0); // the saver's ending byte
    AppendCheckListItem(&b, false, "", 0);
    b.push_back(0);
    b.push_back(0); // a note whose list has no items
    EXPECT_EQ(Text(b.data(), b.size()), std::string("1,abc\0" "0,xyz\0\0" "0,\0\0" "\0", 18));

    ByteReader r = {b.data(), b.size(), 0};
    std::vector<CheckListItem> items;
    ASSERT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_WHOLE);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(Text(items[0].text, items[0].length), "abc");
    EXPECT_FALSE(items[1].checked);
    items.clear();
    ASSERT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_WHOLE);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].length, 0u);
    items.clear();
    ASSERT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_WHOLE);
    EXPECT_TRUE(items.empty());
    EXPECT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_CUT);
}

TEST(NotesFileFormat, HostileCheckListsEndQuietly)
{
    std::vector<CheckListItem> items;
    // A flag that is neither digit spoils its list, not the list after it.
    ByteBuffer lists = Bytes(std::string("1,kept\0" "2,yes\0" "1,gone\0\0" "1,next\0\0", 29));
    ByteReader r = {lists.data(), lists.size(), 0};
    EXPECT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_CUT);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(Text(items[0].text, items[0].length), "kept");
    items.clear();
    ASSERT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_WHOLE);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(Text(items[0].text, items[0].length), "next");

    items.clear();
    ByteBuffer cut = Bytes("1,never ends");
    r = ByteReader{cut.data(), cut.size(), 0};
    EXPECT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_CUT);
    EXPECT_TRUE(items.empty());
    ByteBuffer flagOnly = Bytes("1");
    r = ByteReader{flagOnly.data(), flagOnly.size(), 0};
    EXPECT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_CUT);

    std::string longText(5000, 'a');
    ByteBuffer b = Bytes("0," + longText);
    b.push_back(0);
    b.push_back(0);
    r = ByteReader{b.data(), b.size(), 0};
    items.clear();
    ASSERT_EQ(TakeCheckList(&r, &items), NOTE_TEXT_WHOLE);
    EXPECT_EQ(items[0].length, (size_t)CHECK_LIST_TEXT_CHARS);
    ByteBuffer out;
    AppendCheckListItem(&out, false, longText.c_str(), longText.size());
    EXPECT_EQ(out.size(), 2u + CHECK_LIST_TEXT_CHARS + 1);
}

TEST(NotesFileFormat, SetOfFilesAndMutexNameFollowTheFolder)
{
    ZettlyFileSet set;
    ASSERT_EQ(BuildZettlyFileSet("C:\\Data", &set), 0);
    EXPECT_STREQ(set.current[RECORD_FILE], "C:\\Data\\zettly.rec");
    EXPECT_STREQ(set.prior[CHECK_LIST_FILE], "C:\\Data\\zettly_chklist.str_priorsave");
    EXPECT_STREQ(set.committing, "C:\\Data\\zettly.ok_saving");
    ASSERT_EQ(BuildZettlyFileSet("C:\\", &set), 0);
    EXPECT_STREQ(set.marker, "C:\\zettly.ok");
    EXPECT_EQ(BuildZettlyFileSet(std::string(290, 'x').c_str(), &set), -1);
    EXPECT_EQ(BuildZettlyFileSet(nullptr, &set), -1);

    char a[64], b[64], c[64], d[64];
    ASSERT_EQ(MakeSaveMutexName("C:\\Users\\Ann\\AppData", a, sizeof a), 0);
    ASSERT_EQ(MakeSaveMutexName("c:\\users\\ann\\appdata\\", b, sizeof b), 0);
    ASSERT_EQ(MakeSaveMutexName("C:\\Users\\Bob\\AppData", c, sizeof c), 0);
    EXPECT_STREQ(a, b);
    EXPECT_STRNE(a, c);
    EXPECT_EQ(std::strchr(a, '\\'), nullptr);
    EXPECT_EQ(MakeSaveMutexName("C:\\", d, 8), -1);
}

TEST(NotesFileFormat, MarkerTextAndProgressIcons)
{
    struct tm t = {};
    t.tm_year = 80;
    t.tm_mon = 0;
    t.tm_mday = 2;
    t.tm_wday = 3;
    t.tm_hour = 2;
    t.tm_min = 3;
    t.tm_sec = 5;
    char text[100];
    ASSERT_GT(FormatSaveMarker(&t, text, sizeof text), 0);
    EXPECT_STREQ(text, "Last save completed with out problems at Wed Jan  2 02:03:05 1980\n");
    EXPECT_EQ(FormatSaveMarker(&t, text, 20), -1);

    EXPECT_EQ(SaveProgressIcon(0, 0), 100);
    EXPECT_EQ(SaveProgressIcon(1, 255), 100);
    EXPECT_EQ(SaveProgressIcon(128, 255), 104);
    EXPECT_EQ(SaveProgressIcon(254, 255), 110);
    EXPECT_EQ(SaveProgressIcon(255, 255), 110);
    EXPECT_EQ(SaveProgressIcon(1, 1), 110);
    EXPECT_EQ(SaveProgressIcon(7, 9), 108);
}

// Every reader over mangled copies of a valid set: the sanitizers catch any
// read past the data.
TEST(NotesFileFormat, MangledFilesNeverReadPastTheirEnd)
{
    ByteBuffer records = RecordFile(2, 2, 0), texts, lists;
    for (int i = 0; i < 3; ++i) {
        std::string rtf = "{\\rtf1 note " + std::to_string(i) + "}";
        ZettlyRecord record = SampleRecord(i);
        AppendSavedNote(&records, &texts, &record, (const uint8_t *)rtf.data(), rtf.size());
        AppendCheckListItem(&lists, i & 1, "item", 4);
        lists.push_back(0);
    }
    std::mt19937 random(1234);
    for (int round = 0; round < 3000; ++round) {
        ByteBuffer r = records, t = texts, l = lists;
        for (ByteBuffer *b : {&r, &t, &l}) {
            int edits = random() % 6;
            for (int e = 0; e < edits && !b->empty(); ++e)
                (*b)[random() % b->size()] = (uint8_t)random();
            b->resize(random() % (b->size() + 1));
            b->shrink_to_fit(); // the end of the block is the end of the data
        }
        ByteReader rr = {r.data(), r.size(), 0}, tr = {t.data(), t.size(), 0},
                   lr = {l.data(), l.size(), 0};
        RecordFileHead head;
        if (ReadRecordFileHead(&rr, &head) == 0) {
            ZettlyRecord rec;
            while (ReadNextRecord(&rr, &rec) == 0)
                SanitiseZettlyRecord(&rec, ZETTLY_SANITISE_KEEP_GROUP);
        }
        const uint8_t *text;
        size_t length;
        if (LooksLikePlainNoteText(&tr)) {
            while (BytesLeft(&tr)) {
                TakePlainNoteText(&tr, &text, &length);
                if (length) {
                    ASSERT_LE(text + length, t.data() + t.size());
                }
            }
        } else {
            // The stamps of a mangled record file are as hostile as the texts.
            std::vector<TextStamp> stamps;
            long stamped = ReadTextStamps(r.data(), r.size(), &stamps);
            for (long expected : {-1L, 3L, 5L, stamped}) {
                std::vector<NoteText> split;
                SplitRichNoteTexts(t.data(), t.size(), &split, expected,
                                   expected == stamped ? stamps.data() : nullptr);
                size_t total = 0;
                for (const NoteText &one : split)
                    total += one.rtf.size();
                ASSERT_LE(total, t.size());
            }
        }
        std::vector<CheckListItem> items;
        while (BytesLeft(&lr))
            TakeCheckList(&lr, &items);
        for (const CheckListItem &item : items)
            if (item.length) {
                ASSERT_LE(item.text + item.length, l.data() + l.size());
            }
    }
}
