#include <gtest/gtest.h>

#include "perf_block_builder.h"
#include "perf_data.h"

namespace {

// Title indexes as a system might number them.
enum { PROCESSOR = 238, PROCESSOR_TIME = 6, DISK = 234, DISK_TIME = 200, OTHER = 2, TOP = 300 };

struct Names {
    const char *entries[TOP + 1] = {};
    Names()
    {
        entries[PROCESSOR] = "Processor";
        entries[PROCESSOR_TIME] = "% Processor Time";
        entries[DISK] = "PhysicalDisk";
        entries[DISK_TIME] = "% Disk Time";
        entries[OTHER] = "System";
    }
    PerfNames View() const { return {entries, TOP}; }
};

const uint64_t SECOND = 10000000; // in 100 ns

TestObject Processors(uint64_t idle0, uint64_t total, uint64_t idle1, uint32_t size = 8)
{
    return {PROCESSOR,
            {{OTHER, 4}, {PROCESSOR_TIME, size}},
            {{"0", {7, idle0}}, {"_Total", {7, total}}, {"1", {7, idle1}}}};
}

int Read(const std::vector<uint8_t> &block, PerfCounterHistory *history, int32_t *loads,
         const char *object = "Processor", const char *counter = "% Processor Time")
{
    Names names;
    return PerfReadInstanceLoads(block.data(), block.size(), names.View(), object, counter,
                                 history, loads, PERF_LOAD_CAPACITY);
}

} // namespace

TEST(PerfCounters, TwoProcessorsWithTotalBetweenGiveTheirBusyShareOfOneSecond)
{
    PerfBlockBuilder b;
    PerfCounterHistory history = {};
    int32_t loads[PERF_LOAD_CAPACITY] = {};
    uint64_t t0 = 5000 * SECOND, a = 123456789, total = 999, c = 987654321;
    ASSERT_EQ(Read(b.Build({Processors(a, total, c)}, t0), &history, loads), 2);
    // One second later processor 0 idled 0.3 s (busy 70 %), processor 1 idled
    // 0.95 s (busy 5 %); the "_Total" between them is not a processor.
    auto next = b.Build({Processors(a + 3000000, total + 1, c + 9500000)}, t0 + SECOND);
    ASSERT_EQ(Read(next, &history, loads), 2);
    EXPECT_EQ(loads[0], 70);
    EXPECT_EQ(loads[1], 5);
}

TEST(PerfCounters, LoadsFollowTheTimeThatReallyPassed)
{
    PerfBlockBuilder b;
    PerfCounterHistory history = {};
    int32_t loads[PERF_LOAD_CAPACITY];
    Read(b.Build({Processors(1000, 0, 1000)}, 100 * SECOND), &history, loads);
    // Two seconds: 1.5 s idle is 25 % busy; 2 s idle is none.
    auto later = b.Build({Processors(1000 + 15000000, 0, 1000 + 20000000)}, 102 * SECOND);
    ASSERT_EQ(Read(later, &history, loads), 2);
    EXPECT_EQ(loads[0], 25);
    EXPECT_EQ(loads[1], 0);
}

TEST(PerfCounters, RawValueBelowThePreviousCountsAsNoIdleTime)
{
    PerfBlockBuilder b;
    PerfCounterHistory history = {};
    int32_t loads[PERF_LOAD_CAPACITY];
    Read(b.Build({Processors(50000000, 0, 50000000)}, 10 * SECOND), &history, loads);
    ASSERT_EQ(Read(b.Build({Processors(40000000, 0, 50000000 + SECOND)}, 11 * SECOND), &history,
                   loads),
              2);
    EXPECT_EQ(loads[0], 100);
    EXPECT_EQ(loads[1], 0);
}

TEST(PerfCounters, FourByteCountersAndTheObjectAfterAnother)
{
    PerfBlockBuilder b;
    PerfCounterHistory history = {};
    int32_t loads[PERF_LOAD_CAPACITY];
    TestObject disks = {DISK, {{DISK_TIME, 4}}, {{"0 C:", {100}}, {"_Total", {0}}}};
    Read(b.Build({Processors(0, 0, 0), disks}, SECOND), &history, loads, "physicaldisk",
         "% DISK TIME");
    disks.instances[0].values[0] = 100 + 4000000; // busy 0.4 s: 100 - 40
    ASSERT_EQ(Read(b.Build({Processors(0, 0, 0), disks}, 2 * SECOND), &history, loads,
                   "physicaldisk", "% DISK TIME"),
              1);
    EXPECT_EQ(loads[0], 60);
}

TEST(PerfCounters, MissingObjectOrCounterAndZeroObjectsReadNothing)
{
    PerfBlockBuilder b;
    PerfCounterHistory history = {};
    int32_t loads[PERF_LOAD_CAPACITY];
    EXPECT_EQ(Read(b.Build({}, SECOND), &history, loads), 0);
    TestObject without = {PROCESSOR, {{OTHER, 4}}, {{"0", {1}}}};
    EXPECT_EQ(Read(b.Build({without}, SECOND), &history, loads), 0);
    // A namesake without the counter does not end the search.
    EXPECT_EQ(Read(b.Build({without, Processors(1, 1, 1)}, SECOND), &history, loads), 2);
    TestObject noInstances = {PROCESSOR, {{PROCESSOR_TIME, 8}}, {}};
    EXPECT_EQ(Read(b.Build({noInstances}, SECOND), &history, loads), 0);
}

TEST(PerfCounters, DamagedBlocksNeverReadOutsideOrLoop)
{
    PerfBlockBuilder b;
    auto block = b.Build({Processors(1, 2, 3)}, SECOND);
    int32_t loads[PERF_LOAD_CAPACITY];
    // Every truncation: the sanitizers catch a read past the copy's end.
    for (size_t cut = 0; cut < block.size(); ++cut) {
        PerfCounterHistory history = {};
        std::vector<uint8_t> part(block.begin(), block.begin() + cut);
        EXPECT_LE(Read(part, &history, loads), 1) << cut;
    }
    // Lengths of zero would walk on the spot; huge counts and offsets point away.
    const size_t object = 88, firstDefinition = object + 64, firstInstance = object + 64 + 80;
    struct Damage {
        size_t at;
        uint32_t value;
    } damages[] = {
        {28, 0xFFFFFFFF},                // object count
        {object, 0},                     // object length
        {object + 32, 0x7FFFFFFF},       // counter count
        {object + 40, 0x7FFFFFFF},       // instance count
        {firstDefinition + 40, 0},       // second definition's length
        {firstDefinition + 40 + 36, 0xFFFFFFF0}, // its value offset
        {firstInstance, 0},              // instance length
        {firstInstance + 16, 0xFFFFFFFF}, // name offset
        {firstInstance + 20, 0xFFFFFFFF}, // name length
    };
    for (const Damage &d : damages) {
        auto bad = block;
        PerfBlockBuilder::Put(bad, d.at, d.value);
        PerfCounterHistory history = {};
        EXPECT_LE(Read(bad, &history, loads), 2) << d.at;
    }
    auto unsigned_ = block;
    unsigned_[0] = 'X';
    EXPECT_NE(PerfCheckBlock(unsigned_.data(), unsigned_.size()), 0);
}

TEST(PerfCounters, NameListFillsTheTableByIndex)
{
    const char list[] = "1\0" "1847\0" "2\0System\0" " 238\0Processor\0" "999\0Beyond\0" "\0";
    const char *entries[300] = {};
    ASSERT_EQ(ParsePerfNameList(list, sizeof list, entries, 299), 0);
    EXPECT_STREQ(entries[2], "System");
    EXPECT_STREQ(entries[238], "Processor");
    EXPECT_EQ(entries[3], nullptr);
    const char bad[] = "2\0System\0x\0Broken\0";
    EXPECT_EQ(ParsePerfNameList(bad, sizeof bad, entries, 299), -1);
    // A last string without its NUL is left out, not read past.
    const char open[] = {'5', 0, 'A', 'b'};
    entries[5] = nullptr;
    EXPECT_EQ(ParsePerfNameList(open, sizeof open, entries, 299), 0);
    EXPECT_EQ(entries[5], nullptr);
}
