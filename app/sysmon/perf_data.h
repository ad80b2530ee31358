// Walking the system's performance-data blocks and its counter-name lists.
// Every length and count in a block comes from outside and is checked against
// the bytes present before it is followed. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

// The fixed parts of a block, in the system's own layout (identical for
// 32-bit and 64-bit programs).
enum {
    PERF_BLOCK_HEADER_BYTES = 88,
    PERF_OBJECT_HEADER_BYTES = 64,
    PERF_COUNTER_DEFINITION_BYTES = 40,
    PERF_INSTANCE_HEADER_BYTES = 24,
    PERF_COUNTER_BLOCK_HEADER_BYTES = 4,
    PERF_LOAD_CAPACITY = 128,
};

// Names by title index: entries[i] is the name whose index is i, or null.
struct PerfNames {
    const char *const *entries;
    uint32_t top; // highest index present in entries
};

inline const char *PerfNameOf(const PerfNames &names, uint32_t index)
{
    return names.entries && index <= names.top ? names.entries[index] : nullptr;
}

// Fills entries[index] for each "index\0name\0" pair of the list, pointing into
// the list itself; the list ends at its first empty string or at size. Indexes
// above top are passed over. Returns -1 when an index does not parse.
int ParsePerfNameList(const char *list, size_t size, const char **entries, uint32_t top);

// One object of a block as found by the walk.
struct PerfObjectView {
    const uint8_t *start;
    size_t length;          // checked to lie inside the block
    uint32_t nameIndex;
    uint32_t counterCount;
    int32_t instanceCount;  // -1: the object has no instances
    uint32_t definitionLength;
    uint32_t headerLength;
};

struct PerfCounterView {
    uint32_t nameIndex;
    uint32_t size;   // bytes of its value
    uint32_t offset; // of its value inside a counter block
};

// One instance: its UTF-16 name (length in characters, without the NUL) and
// its counter block.
struct PerfInstanceView {
    const uint8_t *name;
    size_t nameChars;
    const uint8_t *counters;
    size_t countersLength;
};

// Checks the block's signature and header; 0 or -1.
int PerfCheckBlock(const uint8_t *data, size_t size);
// The block's own clock in 100-nanosecond units (0 when the block is too short).
uint64_t PerfBlockTime(const uint8_t *data, size_t size);

// Object k (from 0) of the block, or -1 when the block has fewer or they are
// damaged.
int PerfObjectAt(const uint8_t *data, size_t size, uint32_t k, PerfObjectView *out);
// Counter definition k of an object, or -1.
int PerfCounterAt(const PerfObjectView &object, uint32_t k, PerfCounterView *out);
// Walks an object's instances: first call with position 0 and cursor 0; the
// cursor carries the walk. -1 when the instance is missing or damaged.
int PerfNextInstance(const PerfObjectView &object, size_t *cursor, PerfInstanceView *out);
// A counter's value in an instance's counter block (the low 64 bits; a 4-byte
// counter gives its 32 bits). -1 when it lies outside the block.
int PerfCounterValue(const PerfInstanceView &instance, const PerfCounterView &counter,
                     uint64_t *value);

// True when the UTF-16 name starts with the ASCII text.
bool PerfNameStartsWith(const PerfInstanceView &instance, const char *text);

// What one counter remembers between queries.
struct PerfCounterHistory {
    uint64_t previousTime;                 // block time of the last query, 0 = none
    uint64_t previous[PERF_LOAD_CAPACITY]; // raw value per instance
};

// Finds the first object named objectName that has counterName (names compared
// without regard to case) and turns each instance's raw time into 100 minus its
// percentage of the time since the previous query (one second is assumed when
// the block tells no time). "_Total" instances are left out; the others fill
// loads[0..] in order, at most capacity of them, and the count is returned
// (0 when the object or counter is missing or the block is damaged).
int PerfReadInstanceLoads(const uint8_t *data, size_t size, const PerfNames &names,
                          const char *objectName, const char *counterName,
                          PerfCounterHistory *history, int32_t *loads, int capacity);

// 100 minus the percentage of elapsed that the difference makes; a raw value
// below the previous one counts as no time at all.
int32_t PerfIdleToLoad(uint64_t raw, uint64_t previous, uint64_t elapsed100ns);

bool PerfEqualNoCase(const char *a, const char *b);
