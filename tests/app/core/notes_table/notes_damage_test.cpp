// Damage that a load must find and tell truthfully: texts whose separators
// were overwritten, files changed since their save, and the note of a session
// that ended unsaved, through the real load and the note windows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "core/notes_table/notes_file_ids.h"
#include "notes_file_case.h"
#include "test_support.h"

using namespace notes_test;

using NotesFileDamage = NotesFileCase;

namespace {
// The count a damage message gives for a line, 0 without the line.
int CountIn(const std::string &text, const char *line)
{
    size_t at = text.find(line);
    if (at == std::string::npos)
        return 0;
    size_t start = text.rfind("- ", at);
    return start == std::string::npos ? -1 : std::atoi(text.c_str() + start + 2);
}
} // namespace

// Bytes overwritten across the end of one text and the start of the next:
// every other note keeps its own text, and the message counts the two.
TEST_F(NotesFileDamage, LostSeparatorShiftsNoText)
{
    const int notes = 8;
    std::string words;
    for (int i = 0; i < 40; ++i)
        words += "word" + std::to_string(i) + " ";
    MakeNotes(notes, words);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    const char *names[] = {"zettly.rec", "zettly.str", "zettly_chklist.str", "zettly.ok"};
    std::string saved[4];
    for (int i = 0; i < 4; ++i)
        saved[i] = Bytes(names[i]);
    std::vector<size_t> ends; // where each text's two 0 bytes are
    for (size_t at = saved[1].find(std::string(2, '\0')); at != std::string::npos;
         at = saved[1].find(std::string(2, '\0'), at + 2))
        ends.push_back(at);
    ASSERT_EQ(ends.size(), (size_t)notes);
    uint32_t seed = 12345;
    auto noise = [&](size_t n) {
        std::string bytes;
        for (size_t i = 0; i < n; ++i) {
            seed = seed * 1103515245u + 12345u;
            bytes += (char)(1 + (seed >> 16) % 255); // never a 0 byte
        }
        return bytes;
    };
    struct Place {
        int text;      // the text whose end is overwritten
        size_t before; // bytes before its end
        size_t count;
    } places[] = {{0, 30, 200}, {3, 5, 200}, {5, 120, 150}, {6, 60, 200}, {7, 40, 42}};
    for (const Place &p : places) {
        SCOPED_TRACE("text " + std::to_string(p.text));
        Restart();
        DeleteAllFiles();
        for (int i = 0; i < 4; ++i)
            Put(names[i], saved[i]);
        std::string str = saved[1];
        size_t from = ends[(size_t)p.text] - p.before;
        size_t count = std::min(p.count, str.size() - from);
        str.replace(from, count, noise(count));
        Put("zettly.str", str);
        MessageBoxRecorder boxes(IDNO);
        ASSERT_EQ(Reload(), notes);
        bool last = p.text == notes - 1;
        for (int i = 0; i < notes; ++i) {
            if (i == p.text || (!last && i == p.text + 1))
                continue;
            std::string why;
            EXPECT_TRUE(HasRichText(ZettlyTable[i].editWindow, words + std::to_string(i), &why))
                << "note " << i << ": " << why;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const std::string &text = boxes.Boxes()[0].text;
        int told = CountIn(text, "zettly texts are damaged") +
                   CountIn(text, "zettly texts lost their start") +
                   CountIn(text, "have no text in the file");
        EXPECT_EQ(told, last ? 1 : 2) << text;
        EXPECT_EQ(CountIn(text, "have no record"), 0) << text;
        EXPECT_NE(text.find("zettly.str is not what the last save wrote"), std::string::npos);
    }
}

// A text changed where nothing else shows it: the files do not match what
// the marker says the last save wrote. Yes brings back every note.
TEST_F(NotesFileDamage, ChangedBytesWithIntactSeparatorsAreDamage)
{
    MakeNotes(4, "checked ");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    std::string str = Bytes("zettly.str");
    size_t at = str.find("checked 2");
    ASSERT_NE(at, std::string::npos);
    str[at] = 'k';
    Put("zettly.str", str);
    Restart();
    {
        MessageBoxRecorder boxes(IDYES);
        ASSERT_EQ(Reload(), 4);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        const std::string &text = boxes.Boxes()[0].text;
        EXPECT_NE(text.find("zettly.str is not what the last save wrote"), std::string::npos)
            << text;
        EXPECT_EQ(text.find("zettly.rec is not"), std::string::npos) << text;
        ExpectNotes(4, "checked ");
    }
    Restart();
    MessageBoxRecorder quiet;
    ASSERT_EQ(Reload(), 4);
    EXPECT_TRUE(quiet.Boxes().empty()) << quiet.Boxes()[0].text;

    // An older copy's marker says nothing of the files: they load as they are.
    str = Bytes("zettly.str");
    str[str.find("checked 2")] = 'k';
    Put("zettly.str", str);
    AsWrittenByAnOlderCopy();
    Restart();
    ASSERT_EQ(Reload(), 4);
    EXPECT_TRUE(quiet.Boxes().empty());
    EXPECT_EQ(PlainText(ZettlyTable[2].editWindow), "Bold Red plain khecked 2");
}

// The note of a session that ended unsaved comes from a file anyone can
// write: one that is not whole still says that the changes are lost, once.
TEST_F(NotesFileDamage, UnsavedSessionNoteIsToldOnceWhateverItHolds)
{
    MakeNotes(1, "");
    ASSERT_EQ(SaveZettlies(nullptr), 0);
    for (const std::string &note : {std::string("ZettlyUnsaved1 112\n"),
                                    std::string("ZettlyUnsaved1 5\0junk\n", 22),
                                    std::string(5000, '\xff')}) {
        Put("zettly.unsaved", note);
        Restart();
        MessageBoxRecorder boxes;
        ASSERT_EQ(Reload(), 1);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].caption, UNSAVED_SESSION_CAPTION);
        EXPECT_NE(boxes.Boxes()[0].text.find(note.size() < 20 ? "the disk is full"
                                                               : "the reason was not recorded"),
                  std::string::npos)
            << boxes.Boxes()[0].text;
        Restart();
        ASSERT_EQ(Reload(), 1);
        EXPECT_EQ(boxes.Boxes().size(), 1u) << "said once";
    }
}
