// A snapshot of the running processes read from a performance-data block, the
// order in which the process tree and its text dump show them, and the order
// in which a subtree is ended. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

struct ProcessInfo {
    void *mainWindow;          // first top-level window met, null when none
    uint32_t visited;          // placed already in the tree or dump being built
    uint32_t pid;
    uint32_t workingSet;       // bytes
    uint32_t pageFile;         // bytes
    uint32_t cpu;              // percent of one processor since the previous snapshot
    uint64_t previousRawTime;  // processor time at the previous snapshot, 100 ns
    uint64_t sampleTime;       // the block's clock at that snapshot, 100 ns
    int32_t parentPid;         // -1 when unknown
    char name[260];
    char title[64];
};

enum {
    PROCESS_SNAPSHOT_CAPACITY = 512,
    PROCESS_LINE_CHARS = 1024,
};

// The title indexes of the names a snapshot needs.
struct ProcessCounterIndexes {
    char objectKey[16]; // "process" as decimal text, the query's value name
    int32_t idProcess;
    int32_t processorTime;
    int32_t workingSet;
    int32_t pageFile;
};

// Scans a "Counters" list (index text, name, ... each NUL-terminated). A name
// that occurs more than once keeps its last index. -1 when the process object
// or its identifier counter is missing.
int FindProcessCounterIndexes(const char *list, size_t size, ProcessCounterIndexes *out);

// Turns a UTF-16 name of count characters into ANSI text; returns -1 on failure.
typedef int (*WideToAnsiFunction)(const uint16_t *text, size_t count, char *out, size_t outSize);
// The parent's identifier of a running process, -1 when it cannot be read.
typedef int32_t (*ParentPidFunction)(uint32_t pid, void *context);

struct ProcessReadHooks {
    WideToAnsiFunction toAnsi;
    ParentPidFunction parentOf;
    void *context;
};

// Fills records from the first object of the block: at most capacity - 1 of
// them. The processor use compares each process's time with the record of the
// same identifier in previous (count previousCount), scaled to the time that
// passed between the two blocks; a process seen for the first time shows 0.
// Returns the number filled, or -1 when the block is damaged.
int ReadProcessBlock(const uint8_t *data, size_t size, const ProcessCounterIndexes &indexes,
                     const ProcessReadHooks &hooks, const ProcessInfo *previous,
                     int previousCount, ProcessInfo *records, int capacity);

// One process as the system's process list gives it, where there is no
// performance data to read (Wine serves none).
struct SystemProcessRow {
    uint32_t pid;
    int32_t parentPid;       // -1 when unknown
    char name[260];          // the image name with its extension
    uint32_t workingSet;     // bytes, 0 when unreadable
    uint32_t pageFile;       // bytes, 0 when unreadable
    uint64_t processorTime;  // kernel and user time, 100 ns; 0 when unreadable
};

// Fills records from rows (at most capacity - 1) as ReadProcessBlock does
// from a block: processor use against the record of the same identifier in
// previous, over the time between now and that record's (100 ns clock).
int FillProcessRecords(const SystemProcessRow *rows, int count, uint64_t now,
                       const ProcessInfo *previous, int previousCount, ProcessInfo *records,
                       int capacity);

// One line of the tree or dump: the record's index, or -1 for the separator.
struct PlacedProcess {
    int index;
    int depth;
};

// Orders the records for showing: grouped by parent (an unknown parent counts
// as "Services.exe"), each followed by its descendants one level deeper, then
// the separator and the records of identifier 0. Marks records visited and
// rewrites unknown parents. Returns the number of lines written.
int PlaceProcesses(ProcessInfo *records, int count, PlacedProcess *out, int capacity);

#define PROCESS_SEPARATOR "________________________________________________"

// The tree item's text of a record.
void FormatProcessTreeLine(const ProcessInfo &p, char *out, size_t outSize);
// The dump's line of a placed record, with its tabs and line end; the
// separator for index -1.
void FormatProcessDumpLine(const ProcessInfo *records, const PlacedProcess &line, char *out,
                           size_t outSize);
// The image (0..8) of a tree item: the processor use in steps of 14 %.
int ProcessLoadImage(uint32_t cpu);

// The identifiers of pid's subtree in the order they are to be ended: every
// descendant before its parent, pid itself last. A process appears at most
// once, so a cycle of reused identifiers ends. Returns the number written.
int CollectProcessSubtree(const ProcessInfo *records, int count, uint32_t pid, uint32_t *out,
                          int capacity);
