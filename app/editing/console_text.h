// The console's text work that needs no window: the child's output made fit
// for the note, and the process tree written as text. No windows.h.
#pragma once
#include <string>

#include "sysmon/process_list.h"

enum {
    CONSOLE_READ_BYTES = 256, // one read of the child's output
    CONSOLE_SNAPSHOT_RECORDS = 256,
    CONSOLE_DUMP_LINE_BYTES = 1024,
};

// Bytes the converted form of count read bytes may need, its NUL included:
// every byte may become two.
constexpr int ConsoleOutputBytes(int count)
{
    return 2 * count + 1;
}

// Converts one read of the child's output for the note: CR LF becomes CR, a
// lone LF becomes CR LF, a lone CR stays; NUL bytes, which would cut the text
// short, are dropped. out holds ConsoleOutputBytes(count) bytes; the result is
// NUL-ended and its length returned. Each read is converted by itself.
int ConvertConsoleOutput(const char *in, int count, char *out);

// The process tree as the note shows it: every process whose parent is not in
// the snapshot heads a tree at depth 0, its descendants follow indented by one
// tab per level, one "-> pid name[ : title]" line each. Each record is written
// at most once, so reused identifiers that link into a cycle end the walk.
std::string ProcessDumpText(const ProcessInfo *records, int count);

// One line per child of parentPid, each followed by its own subtree; records
// already written (written[i] set) are skipped and marked when written.
void WriteProcessSubtree(const ProcessInfo *records, int count, uint32_t parentPid, int depth,
                         bool *written, std::string *out);
