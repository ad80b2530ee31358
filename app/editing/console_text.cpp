#include "console_text.h"

#include <cstdio>
#include <memory>

int ConvertConsoleOutput(const char *in, int count, char *out)
{
    int n = 0;
    for (int i = 0; i < count; ++i) {
        char c = in[i];
        if (c == 0)
            continue;
        if (c == '\r') {
            out[n++] = '\r';
            if (i + 1 < count && in[i + 1] == '\n')
                ++i;
        } else if (c == '\n') {
            out[n++] = '\r';
            out[n++] = '\n';
        } else {
            out[n++] = c;
        }
    }
    out[n] = 0;
    return n;
}

// The line of one record, cut where the buffer ends but always closed by its
// line end so the next line starts on a line of its own.
static void AppendDumpLine(const ProcessInfo &p, int depth, std::string *out)
{
    char line[CONSOLE_DUMP_LINE_BYTES];
    const int room = (int)sizeof line - 3; // the line end and its NUL
    int n = 0;
    for (int d = 0; d < depth && n < room / 2; ++d)
        line[n++] = '\t';
    int m = std::snprintf(line + n, room - n, "-> %u %.*s", p.pid, (int)sizeof p.name, p.name);
    n += m < 0 ? 0 : (m < room - n ? m : room - n - 1);
    if (p.title[0]) {
        m = std::snprintf(line + n, room - n, " : %.*s", (int)sizeof p.title, p.title);
        n += m < 0 ? 0 : (m < room - n ? m : room - n - 1);
    }
    line[n++] = '\r';
    line[n++] = '\n';
    out->append(line, (size_t)n);
}

void WriteProcessSubtree(const ProcessInfo *records, int count, uint32_t parentPid, int depth,
                         bool *written, std::string *out)
{
    for (int i = 0; i < count; ++i) {
        const ProcessInfo &p = records[i];
        if (written[i] || p.parentPid < 0 || (uint32_t)p.parentPid != parentPid)
            continue;
        written[i] = true;
        AppendDumpLine(p, depth, out);
        WriteProcessSubtree(records, count, p.pid, depth + 1, written, out);
    }
}

// A process that names itself as its parent (the idle process in the
// system's list) heads its own tree: otherwise nothing below it is written.
static bool HasLiveParent(const ProcessInfo *records, int count, uint32_t parentPid)
{
    for (int j = 0; j < count; ++j)
        if (records[j].parentPid >= 0 && records[j].pid == parentPid &&
            (uint32_t)records[j].parentPid != records[j].pid)
            return true;
    return false;
}

std::string ProcessDumpText(const ProcessInfo *records, int count)
{
    std::string out = "\r\n";
    if (count <= 0)
        return out;
    std::unique_ptr<bool[]> marks(new bool[(size_t)count]());
    for (int i = 0; i < count; ++i) {
        int32_t parent = records[i].parentPid;
        if (parent < 0 || marks[i] || HasLiveParent(records, count, (uint32_t)parent))
            continue;
        WriteProcessSubtree(records, count, (uint32_t)parent, 0, marks.get(), &out);
    }
    return out;
}
