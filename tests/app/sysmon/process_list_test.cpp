#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "perf_block_builder.h"
#include "process_list.h"

namespace {

ProcessInfo Process(uint32_t pid, int32_t parent, const char *name)
{
    ProcessInfo p = {};
    p.pid = pid;
    p.parentPid = parent;
    std::snprintf(p.name, sizeof p.name, "%s", name);
    return p;
}

// "name@depth" per line, "---" for the separator.
std::vector<std::string> Placed(std::vector<ProcessInfo> &records)
{
    PlacedProcess lines[64];
    int n = PlaceProcesses(records.data(), (int)records.size(), lines, 64);
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(lines[i].index < 0 ? "---"
                                         : std::string(records[lines[i].index].name) + "@" +
                                               std::to_string(lines[i].depth));
    return out;
}

} // namespace

TEST(ProcessTree, UnreadableParentJoinsTheChildrenOfServices)
{
    std::vector<ProcessInfo> r = {
        Process(0, 0, "Idle"),          Process(4, 0, "System"),
        Process(50, 4, "wininit.exe"),  Process(100, 50, "services.exe"),
        Process(200, 100, "svc.exe"),   Process(300, -1, "hidden.exe"),
        Process(0, 0, "_Total"),
    };
    EXPECT_EQ(Placed(r), (std::vector<std::string>{
                             "System@0", "wininit.exe@1", "services.exe@2", "svc.exe@3",
                             "hidden.exe@3", "---", "Idle@0", "_Total@0"}));
    EXPECT_EQ(r[5].parentPid, 100);
}

TEST(ProcessTree, WithoutServicesTheUnreadableParentsFormOneGroup)
{
    std::vector<ProcessInfo> r = {Process(7, -1, "a.exe"), Process(8, 3, "b.exe"),
                                  Process(9, -1, "c.exe")};
    EXPECT_EQ(Placed(r), (std::vector<std::string>{"a.exe@0", "c.exe@0", "b.exe@0", "---"}));
}

TEST(ProcessTree, ParentLaterInTheArrayLeavesTheChildAtTheRoot)
{
    // child (parent 20) comes first: it opens its sibling group at the root, and
    // its parent, met later, is placed on its own.
    std::vector<ProcessInfo> r = {Process(30, 20, "child.exe"), Process(40, 20, "sibling.exe"),
                                  Process(20, 1, "parent.exe"), Process(50, 30, "grandchild.exe")};
    EXPECT_EQ(Placed(r), (std::vector<std::string>{"child.exe@0", "grandchild.exe@1",
                                                    "sibling.exe@0", "parent.exe@0", "---"}));
}

TEST(ProcessTree, ParentCycleIsPlacedOnceAndSubtreeKillEnds)
{
    std::vector<ProcessInfo> r = {Process(1, 3, "a.exe"), Process(2, 1, "b.exe"),
                                  Process(3, 2, "c.exe"), Process(4, 1, "d.exe")};
    EXPECT_EQ(Placed(r).size(), 5u);
    uint32_t order[16];
    int n = CollectProcessSubtree(r.data(), (int)r.size(), 1, order, 16);
    // Children before their parents, the chosen process last, each once.
    ASSERT_EQ(n, 4);
    EXPECT_EQ(std::vector<uint32_t>(order, order + n), (std::vector<uint32_t>{3, 2, 4, 1}));
}

TEST(ProcessTree, LinesOfTheTreeAndTheDump)
{
    ProcessInfo p = Process(1234, 8, "notepad.exe");
    p.cpu = 42;
    p.workingSet = 5 * 1024 + 1000;
    p.pageFile = 2048;
    char line[PROCESS_LINE_CHARS];
    FormatProcessTreeLine(p, line, sizeof line);
    EXPECT_STREQ(line, "42%  1234  notepad.exe     [5k + 2k] ");
    std::snprintf(p.title, sizeof p.title, "Untitled - Notepad");
    FormatProcessTreeLine(p, line, sizeof line);
    EXPECT_STREQ(line, "42%  1234  notepad.exe     [5k + 2k] :: Untitled - Notepad");

    ProcessInfo records[] = {p, Process(9, 1, "x.exe")};
    FormatProcessDumpLine(records, {0, 2}, line, sizeof line);
    EXPECT_STREQ(line, "\t\t-> CPU 42% : PID 1234 : PYH MEM 5k: PAGE FILE 2k : notepad.exe : "
                       "Untitled - Notepad\r\n");
    FormatProcessDumpLine(records, {1, 0}, line, sizeof line);
    EXPECT_STREQ(line, "-> CPU 0% : PID 9 : PYH MEM 0k: PAGE FILE 0k : x.exe\r\n");
    FormatProcessDumpLine(records, {-1, 0}, line, sizeof line);
    EXPECT_EQ(std::string(line), std::string(48, '_') + "\r\n");
    // A small buffer cuts the line and stays terminated.
    char small[12];
    FormatProcessDumpLine(records, {0, 3}, small, sizeof small);
    EXPECT_LT(std::strlen(small), sizeof small);
}

namespace {

enum { PROCESS = 230, ID_PROCESS = 784, CPU_TIME = 6, WORKING_SET = 180, PAGE_FILE = 184 };

int AsciiOnly(const uint16_t *text, size_t count, char *out, size_t outSize)
{
    if (count + 1 > outSize)
        return -1;
    for (size_t i = 0; i < count; ++i)
        out[i] = text[i] < 128 ? (char)text[i] : '?';
    out[count] = 0;
    return 0;
}

int32_t ParentFromMap(uint32_t pid, void *context)
{
    auto *parents = (std::map<uint32_t, int32_t> *)context;
    auto it = parents->find(pid);
    return it == parents->end() ? -1 : it->second;
}

TestObject ProcessObject(const std::vector<TestInstance> &instances)
{
    return {PROCESS,
            {{CPU_TIME, 8}, {WORKING_SET, 4}, {PAGE_FILE, 4}, {ID_PROCESS, 4}},
            instances};
}

} // namespace

TEST(ProcessSnapshot, CounterIndexesComeFromTheNameList)
{
    const char list[] = "1\0001847\0" "230\0Process\0" "6\0% Processor Time\0" "180\0Working Set\0"
                        "184\0Page File Bytes\0" "784\0ID Process\0" "6000\0Process\0";
    ProcessCounterIndexes ix;
    ASSERT_EQ(FindProcessCounterIndexes(list, sizeof list, &ix), 0);
    EXPECT_STREQ(ix.objectKey, "6000"); // a name met twice keeps its last index
    EXPECT_EQ(ix.idProcess, 784);
    EXPECT_EQ(ix.processorTime, 6);
    EXPECT_EQ(ix.workingSet, 180);
    EXPECT_EQ(ix.pageFile, 184);
    const char noId[] = "230\0Process\0";
    EXPECT_EQ(FindProcessCounterIndexes(noId, sizeof noId, &ix), -1);
}

TEST(ProcessSnapshot, ProcessorUseIsMatchedByProcessIdAcrossSnapshots)
{
    ProcessCounterIndexes ix = {"230", ID_PROCESS, CPU_TIME, WORKING_SET, PAGE_FILE};
    std::map<uint32_t, int32_t> parents = {{10, 4}, {20, 10}};
    ProcessReadHooks hooks = {AsciiOnly, ParentFromMap, &parents};
    PerfBlockBuilder b;
    const uint64_t second = 10000000;
    auto first = b.Build({ProcessObject({{"Idle", {0, 0, 0, 0}},
                                         {"editor", {5000000, 8192, 4096, 10}},
                                         {"worker", {1000000, 0, 0, 20}}})},
                         100 * second);
    ProcessInfo before[8], after[8];
    ASSERT_EQ(ReadProcessBlock(first.data(), first.size(), ix, hooks, nullptr, 0, before, 8), 3);
    EXPECT_STREQ(before[0].name, "Idle");
    EXPECT_STREQ(before[1].name, "editor.exe");
    EXPECT_EQ(before[1].workingSet, 8192u);
    EXPECT_EQ(before[1].pageFile, 4096u);
    EXPECT_EQ(before[2].parentPid, 10);
    EXPECT_EQ(before[1].cpu, 0u); // nothing to compare with yet

    // The editor has gone; a new process took its place in the list. The
    // worker used 0.5 s of the 2 s that passed.
    auto second_ = b.Build({ProcessObject({{"Idle", {0, 0, 0, 0}},
                                           {"newcomer", {9000000, 0, 0, 30}},
                                           {"worker", {1000000 + 5000000, 0, 0, 20}}})},
                           102 * second);
    ASSERT_EQ(ReadProcessBlock(second_.data(), second_.size(), ix, hooks, before, 3, after, 8), 3);
    EXPECT_EQ(after[1].cpu, 0u);
    EXPECT_EQ(after[2].cpu, 25u);
    EXPECT_EQ(after[1].parentPid, -1);

    // Capacity keeps one record free.
    EXPECT_EQ(ReadProcessBlock(second_.data(), second_.size(), ix, hooks, nullptr, 0, after, 2), 1);
    std::vector<uint8_t> empty = b.Build({}, second);
    EXPECT_EQ(ReadProcessBlock(empty.data(), empty.size(), ix, hooks, nullptr, 0, after, 8), -1);
}

// Where the performance data lists nothing, the system's process list fills
// the same records: processor use is matched by identifier over the time
// that passed, as from performance data.
TEST(ProcessSnapshot, SystemListRowsBecomeRecordsMatchedByProcessId)
{
    const uint64_t second = 10000000;
    SystemProcessRow first[] = {{10, 4, "editor.exe", 8192, 4096, 3 * second},
                                {20, 10, "worker.exe", 0, 0, 1 * second}};
    ProcessInfo before[8], after[8];
    ASSERT_EQ(FillProcessRecords(first, 2, 100 * second, nullptr, 0, before, 8), 2);
    EXPECT_STREQ(before[0].name, "editor.exe");
    EXPECT_EQ(before[0].workingSet, 8192u);
    EXPECT_EQ(before[1].parentPid, 10);
    EXPECT_EQ(before[0].cpu, 0u);

    // Four seconds later the worker has used one more second; the editor is
    // gone and a newcomer with a long past shows nothing yet.
    SystemProcessRow second_[] = {{30, 10, "newcomer.exe", 0, 0, 50 * second},
                                  {20, 10, "worker.exe", 0, 0, 2 * second}};
    ASSERT_EQ(FillProcessRecords(second_, 2, 104 * second, before, 2, after, 8), 2);
    EXPECT_EQ(after[0].cpu, 0u);
    EXPECT_EQ(after[1].cpu, 25u);
    EXPECT_EQ(FillProcessRecords(second_, 2, 104 * second, before, 2, after, 2), 1)
        << "capacity keeps one record free";
}
