#include "editing/console_text.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

std::string Convert(const std::string &in)
{
    // Exactly the room the reader gives a read: the sanitizers catch a byte more.
    std::unique_ptr<char[]> out(new char[ConsoleOutputBytes((int)in.size())]);
    int n = ConvertConsoleOutput(in.data(), (int)in.size(), out.get());
    EXPECT_EQ(out[n], 0);
    return std::string(out.get(), (size_t)n);
}

ProcessInfo Process(uint32_t pid, int32_t parent, const char *name, const char *title = "")
{
    ProcessInfo p = {};
    p.pid = pid;
    p.parentPid = parent;
    snprintf(p.name, sizeof p.name, "%s", name);
    snprintf(p.title, sizeof p.title, "%s", title);
    return p;
}

} // namespace

TEST(ConsoleOutput, LineEndsBecomeWhatTheNoteShows)
{
    EXPECT_EQ(Convert("a\r\nb\n"), "a\rb\r\n");
    EXPECT_EQ(Convert("\nx\ry"), "\r\nx\ry");
    // Each read stands alone: a CR LF split over two reads gives CR, CR LF.
    EXPECT_EQ(Convert("a\r") + Convert("\nb"), "a\r\r\nb");
    // A NUL would end the inserted text early; the rest of the read still shows.
    EXPECT_EQ(Convert(std::string("ab\0cd", 5)), "abcd");
}

TEST(ConsoleOutput, AReadOfNothingButLineFeedsFitsItsBuffer)
{
    std::string in(CONSOLE_READ_BYTES, '\n');
    std::string out = Convert(in);
    ASSERT_EQ(out.size(), 2u * CONSOLE_READ_BYTES);
    EXPECT_EQ(out.substr(0, 4), "\r\n\r\n");
}

TEST(ProcessDump, OrphansHeadTreesAndChildrenAreIndented)
{
    ProcessInfo records[] = {
        Process(10, 4, "shell.exe", "Desktop"), // parent 4 is gone
        Process(11, 10, "cmd.exe"),
        Process(12, 11, "batch.exe"),
        Process(13, 4, "tray.exe"), // a sibling under the same missing parent
        Process(14, -1, "unknown.exe"),
    };
    EXPECT_EQ(ProcessDumpText(records, 5), "\r\n"
                                           "-> 10 shell.exe : Desktop\r\n"
                                           "\t-> 11 cmd.exe\r\n"
                                           "\t\t-> 12 batch.exe\r\n"
                                           "-> 13 tray.exe\r\n");
}

TEST(ProcessDump, AProcessThatIsItsOwnParentHeadsItsTree)
{
    // The system's process list gives the idle process itself as its parent.
    ProcessInfo records[] = {
        Process(0, 0, "[System Process]"),
        Process(4, 0, "System"),
        Process(88, 4, "smss.exe"),
    };
    EXPECT_EQ(ProcessDumpText(records, 3), "\r\n"
                                           "-> 0 [System Process]\r\n"
                                           "\t-> 4 System\r\n"
                                           "\t\t-> 88 smss.exe\r\n");
}

TEST(ProcessDump, ReusedIdentifiersInACycleEndTheWalk)
{
    // 21 names itself (its identifier reused), and 22/23 point at each other
    // below an orphan.
    ProcessInfo records[] = {
        Process(20, 9, "a.exe"),  Process(21, 20, "b.exe"), Process(21, 21, "c.exe"),
        Process(22, 21, "d.exe"), Process(23, 22, "e.exe"), Process(22, 23, "f.exe"),
    };
    std::string dump = ProcessDumpText(records, 6);
    for (const char *name : {"a.exe", "b.exe", "c.exe", "d.exe", "e.exe", "f.exe"}) {
        size_t at = dump.find(name);
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_EQ(dump.find(name, at + 1), std::string::npos) << name << " written twice";
    }
}

TEST(ProcessDump, ALongLineIsCutButKeepsItsLineEnd)
{
    ProcessInfo records[CONSOLE_SNAPSHOT_RECORDS];
    std::string longName(259, 'n');
    for (int i = 0; i < CONSOLE_SNAPSHOT_RECORDS; ++i)
        records[i] = Process(1000 + i, i == 0 ? 7 : 1000 + i - 1, longName.c_str(),
                             std::string(63, 't').c_str());
    std::string dump = ProcessDumpText(records, CONSOLE_SNAPSHOT_RECORDS);
    size_t lines = 0, start = 2;
    for (size_t end; (end = dump.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LT(end + 2 - start, (size_t)CONSOLE_DUMP_LINE_BYTES);
        ++lines;
    }
    EXPECT_EQ(lines, (size_t)CONSOLE_SNAPSHOT_RECORDS);
    EXPECT_EQ(start, dump.size());
}
