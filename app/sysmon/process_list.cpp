#include "process_list.h"

#include <cstdio>
#include <cstring>

#include "perf_data.h"

// The index written in the string before a name: the list alternates index
// text and name, so the name's own position tells which string that is.
int FindProcessCounterIndexes(const char *list, size_t size, ProcessCounterIndexes *out)
{
    std::memset(out, 0, sizeof *out);
    out->idProcess = out->processorTime = out->workingSet = out->pageFile = -1;
    const char *previous = nullptr;
    size_t at = 0;
    bool haveObject = false;
    while (at < size) {
        const void *end = std::memchr(list + at, 0, size - at);
        if (!end)
            break;
        const char *text = list + at;
        at = (size_t)((const char *)end - list) + 1;
        if (previous && *previous >= '0' && *previous <= '9') {
            long index = 0;
            for (const char *d = previous; *d >= '0' && *d <= '9' && index < 0x7FFFFFF; ++d)
                index = index * 10 + (*d - '0');
            if (PerfEqualNoCase(text, "process")) {
                std::snprintf(out->objectKey, sizeof out->objectKey, "%ld", index);
                haveObject = true;
            } else if (PerfEqualNoCase(text, "id process")) {
                out->idProcess = (int32_t)index;
            } else if (PerfEqualNoCase(text, "% Processor Time")) {
                out->processorTime = (int32_t)index;
            } else if (PerfEqualNoCase(text, "Working Set")) {
                out->workingSet = (int32_t)index;
            } else if (PerfEqualNoCase(text, "Page File Bytes")) {
                out->pageFile = (int32_t)index;
            }
        }
        previous = text;
    }
    return haveObject && out->idProcess >= 0 ? 0 : -1;
}

static const ProcessInfo *FindByPid(const ProcessInfo *records, int count, uint32_t pid)
{
    for (int i = 0; i < count; ++i)
        if (records[i].pid == pid)
            return &records[i];
    return nullptr;
}

static uint32_t ProcessorPercent(uint64_t raw, const ProcessInfo *before, uint64_t now)
{
    if (!before || before->previousRawTime == 0 || raw < before->previousRawTime)
        return 0;
    uint64_t used = raw - before->previousRawTime;
    if (before->sampleTime && now > before->sampleTime) {
        uint64_t elapsed = now - before->sampleTime;
        return (uint32_t)(used / elapsed * 100 + used % elapsed * 100 / elapsed);
    }
    return (uint32_t)(used / 100000);
}

static uint32_t CounterOrZero(const PerfInstanceView &instance, const PerfCounterView *counter)
{
    uint64_t v = 0;
    if (counter && PerfCounterValue(instance, *counter, &v) != 0)
        v = 0;
    return (uint32_t)v;
}

static void NameRecord(ProcessInfo *r, const PerfInstanceView &instance,
                       const ProcessReadHooks &hooks)
{
    char text[260];
    uint16_t wide[260];
    size_t chars = instance.nameChars < 259 ? instance.nameChars : 259;
    for (size_t i = 0; i < chars; ++i)
        std::memcpy(&wide[i], instance.name + 2 * i, 2);
    if (!instance.name || hooks.toAnsi(wide, chars, text, sizeof text) != 0) {
        std::snprintf(r->name, sizeof r->name, "unknown");
        return;
    }
    text[sizeof text - 1] = 0;
    if (std::strlen(text) > 256)
        return;
    std::snprintf(r->name, sizeof r->name, "%s%s", text, r->pid != 0 ? ".exe" : "");
}

int ReadProcessBlock(const uint8_t *data, size_t size, const ProcessCounterIndexes &indexes,
                     const ProcessReadHooks &hooks, const ProcessInfo *previous,
                     int previousCount, ProcessInfo *records, int capacity)
{
    PerfObjectView object;
    if (capacity < 1 || PerfObjectAt(data, size, 0, &object) != 0)
        return -1;
    PerfCounterView counter, idCounter = {}, timeCounter = {}, setCounter = {}, pageCounter = {};
    bool haveId = false, haveTime = false, haveSet = false, havePage = false;
    for (uint32_t c = 0; PerfCounterAt(object, c, &counter) == 0; ++c) {
        int32_t index = (int32_t)counter.nameIndex;
        if (index == indexes.idProcess && !haveId) {
            idCounter = counter;
            haveId = true;
        } else if (index == indexes.processorTime && !haveTime) {
            timeCounter = counter;
            haveTime = true;
        } else if (index == indexes.workingSet && !haveSet) {
            setCounter = counter;
            haveSet = true;
        } else if (index == indexes.pageFile && !havePage) {
            pageCounter = counter;
            havePage = true;
        }
    }
    if (!haveId)
        return -1;
    uint64_t now = PerfBlockTime(data, size);
    int n = object.instanceCount < capacity - 1 ? object.instanceCount : capacity - 1;
    size_t cursor = 0;
    int filled = 0;
    for (int k = 0; k < n; ++k) {
        PerfInstanceView instance;
        if (PerfNextInstance(object, &cursor, &instance) != 0)
            break;
        ProcessInfo *r = &records[filled++];
        std::memset(r, 0, sizeof *r);
        r->pid = CounterOrZero(instance, &idCounter);
        r->workingSet = CounterOrZero(instance, haveSet ? &setCounter : nullptr);
        r->pageFile = CounterOrZero(instance, havePage ? &pageCounter : nullptr);
        uint64_t raw = 0;
        if (haveTime && PerfCounterValue(instance, timeCounter, &raw) != 0)
            raw = 0;
        r->cpu = ProcessorPercent(raw, FindByPid(previous, previousCount, r->pid), now);
        r->previousRawTime = raw;
        r->sampleTime = now;
        NameRecord(r, instance, hooks);
        r->parentPid = hooks.parentOf ? hooks.parentOf(r->pid, hooks.context) : -1;
    }
    return filled;
}

int FillProcessRecords(const SystemProcessRow *rows, int count, uint64_t now,
                       const ProcessInfo *previous, int previousCount, ProcessInfo *records,
                       int capacity)
{
    int n = count < capacity - 1 ? count : capacity - 1;
    for (int k = 0; k < n; ++k) {
        const SystemProcessRow &row = rows[k];
        ProcessInfo *r = &records[k];
        uint32_t cpu = ProcessorPercent(row.processorTime, FindByPid(previous, previousCount, row.pid), now);
        std::memset(r, 0, sizeof *r);
        r->pid = row.pid;
        r->parentPid = row.parentPid;
        r->workingSet = row.workingSet;
        r->pageFile = row.pageFile;
        r->cpu = cpu;
        r->previousRawTime = row.processorTime;
        r->sampleTime = now;
        std::memcpy(r->name, row.name, sizeof r->name);
        r->name[sizeof r->name - 1] = 0;
    }
    return n > 0 ? n : 0;
}

struct Placement {
    ProcessInfo *records;
    int count;
    int32_t root;
    PlacedProcess *out;
    int capacity;
    int written;
};

static int32_t ParentOf(Placement *p, int i)
{
    if (p->records[i].parentPid < 0)
        p->records[i].parentPid = p->root;
    return p->records[i].parentPid;
}

static void Emit(Placement *p, int index, int depth)
{
    if (p->written < p->capacity)
        p->out[p->written++] = {index, depth};
}

static void EmitDescendants(Placement *p, uint32_t pid, int depth)
{
    for (int i = 0; i < p->count; ++i) {
        if (p->records[i].visited || ParentOf(p, i) != (int32_t)pid)
            continue;
        p->records[i].visited = 1;
        Emit(p, i, depth);
        EmitDescendants(p, p->records[i].pid, depth + 1);
    }
}

int PlaceProcesses(ProcessInfo *records, int count, PlacedProcess *out, int capacity)
{
    Placement p = {records, count, -1, out, capacity, 0};
    for (int i = 0; i < count; ++i) {
        records[i].visited = records[i].pid == 0 ? 1 : 0;
        if (PerfEqualNoCase(records[i].name, "Services.exe"))
            p.root = (int32_t)records[i].pid;
    }
    for (int r = 0; r < count; ++r) {
        if (records[r].visited)
            continue;
        int32_t parent = ParentOf(&p, r);
        for (int s = 0; s < count; ++s) {
            if (ParentOf(&p, s) != parent || records[s].visited)
                continue;
            records[s].visited = 1;
            Emit(&p, s, 0);
            EmitDescendants(&p, records[s].pid, 1);
        }
    }
    Emit(&p, -1, 0);
    for (int i = 0; i < count; ++i)
        if (records[i].pid == 0)
            Emit(&p, i, 0);
    return p.written;
}

void FormatProcessTreeLine(const ProcessInfo &p, char *out, size_t outSize)
{
    char cpu[16];
    std::snprintf(cpu, sizeof cpu, "%u%%", p.cpu);
    int n = std::snprintf(out, outSize, "%-4s %-5u %-15s [%uk + %uk] ", cpu, p.pid, p.name,
                          p.workingSet / 1024, p.pageFile / 1024);
    if (p.title[0] && n >= 0 && (size_t)n < outSize)
        std::snprintf(out + n, outSize - n, ":: %s", p.title);
}

void FormatProcessDumpLine(const ProcessInfo *records, const PlacedProcess &line, char *out,
                           size_t outSize)
{
    if (line.index < 0) {
        std::snprintf(out, outSize, "%s\r\n", PROCESS_SEPARATOR);
        return;
    }
    const ProcessInfo &p = records[line.index];
    size_t n = 0;
    for (int d = 0; d < line.depth && n + 1 < outSize; ++d)
        out[n++] = '\t';
    if (n < outSize)
        out[n] = 0;
    if (n + 1 >= outSize)
        return;
    int m = std::snprintf(out + n, outSize - n, "-> CPU %u%% : PID %u : PYH MEM %uk: PAGE FILE %uk : %s",
                          p.cpu, p.pid, p.workingSet / 1024, p.pageFile / 1024, p.name);
    if (m < 0 || (size_t)m >= outSize - n)
        return;
    n += (size_t)m;
    if (p.title[0])
        std::snprintf(out + n, outSize - n, " : %s\r\n", p.title);
    else
        std::snprintf(out + n, outSize - n, "\r\n");
}

int ProcessLoadImage(uint32_t cpu)
{
    return cpu / 14 > 8 ? 8 : (int)(cpu / 14);
}

static void CollectChildren(const ProcessInfo *records, int count, uint32_t pid, bool *taken,
                            uint32_t *out, int capacity, int *written)
{
    for (int i = 0; i < count; ++i) {
        if (taken[i] || records[i].parentPid < 0 || (uint32_t)records[i].parentPid != pid ||
            records[i].pid == pid)
            continue;
        taken[i] = true;
        CollectChildren(records, count, records[i].pid, taken, out, capacity, written);
        if (*written < capacity)
            out[(*written)++] = records[i].pid;
    }
}

int CollectProcessSubtree(const ProcessInfo *records, int count, uint32_t pid, uint32_t *out,
                          int capacity)
{
    bool taken[PROCESS_SNAPSHOT_CAPACITY] = {};
    if (count > PROCESS_SNAPSHOT_CAPACITY)
        count = PROCESS_SNAPSHOT_CAPACITY;
    // The process itself counts as met, so a child that names a descendant as
    // its parent cannot bring the walk back round to it.
    for (int i = 0; i < count; ++i)
        if (records[i].pid == pid)
            taken[i] = true;
    int written = 0;
    CollectChildren(records, count, pid, taken, out, capacity, &written);
    if (written < capacity)
        out[written++] = pid;
    return written;
}
