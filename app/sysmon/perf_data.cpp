#include "perf_data.h"

#include <cstring>

// The block comes from this very machine, so its values are in our own order.
static uint32_t Read32(const uint8_t *p)
{
    uint32_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

static uint64_t Read64(const uint8_t *p)
{
    uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

static uint16_t Read16(const uint8_t *p)
{
    uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

static char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
}

bool PerfEqualNoCase(const char *a, const char *b)
{
    if (!a || !b)
        return false;
    while (*a && LowerAscii(*a) == LowerAscii(*b)) {
        ++a;
        ++b;
    }
    return LowerAscii(*a) == LowerAscii(*b);
}

// Leading blanks, then decimal digits; anything after them is ignored, as a
// scanf of " %d" would.
static int ParseIndex(const char *text, long long *out)
{
    while (*text == ' ' || *text == '\t' || *text == '\r' || *text == '\n')
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    if (*text < '0' || *text > '9')
        return -1;
    long long v = 0;
    while (*text >= '0' && *text <= '9') {
        if (v < 0x7FFFFFFF)
            v = v * 10 + (*text - '0');
        ++text;
    }
    *out = negative ? -v : v;
    return 0;
}

int ParsePerfNameList(const char *list, size_t size, const char **entries, uint32_t top)
{
    size_t at = 0;
    // A list whose last string lacks its NUL ends before that string.
    while (at < size) {
        const void *end = std::memchr(list + at, 0, size - at);
        if (!end || list + at == end)
            return 0;
        const char *indexText = list + at;
        at = (size_t)((const char *)end - list) + 1;
        if (at >= size)
            return 0;
        const void *nameEnd = std::memchr(list + at, 0, size - at);
        if (!nameEnd)
            return 0;
        const char *name = list + at;
        at = (size_t)((const char *)nameEnd - list) + 1;
        long long index;
        if (ParseIndex(indexText, &index) != 0)
            return -1;
        if (index >= 0 && (unsigned long long)index <= top)
            entries[index] = name;
    }
    return 0;
}

int PerfCheckBlock(const uint8_t *data, size_t size)
{
    static const uint8_t signature[8] = {'P', 0, 'E', 0, 'R', 0, 'F', 0};
    if (!data || size < PERF_BLOCK_HEADER_BYTES || std::memcmp(data, signature, 8) != 0)
        return -1;
    uint32_t headerLength = Read32(data + 24);
    if (headerLength < PERF_BLOCK_HEADER_BYTES || headerLength > size)
        return -1;
    return 0;
}

uint64_t PerfBlockTime(const uint8_t *data, size_t size)
{
    return data && size >= PERF_BLOCK_HEADER_BYTES ? Read64(data + 72) : 0;
}

int PerfObjectAt(const uint8_t *data, size_t size, uint32_t k, PerfObjectView *out)
{
    if (PerfCheckBlock(data, size) != 0 || k >= Read32(data + 28))
        return -1;
    size_t at = Read32(data + 24);
    for (uint32_t i = 0;; ++i) {
        if (size - at < PERF_OBJECT_HEADER_BYTES)
            return -1;
        const uint8_t *object = data + at;
        uint32_t total = Read32(object);
        // A length shorter than the header would walk on the spot.
        if (total < PERF_OBJECT_HEADER_BYTES || total > size - at)
            return -1;
        if (i == k) {
            out->start = object;
            out->length = total;
            out->definitionLength = Read32(object + 4);
            out->headerLength = Read32(object + 8);
            out->nameIndex = Read32(object + 12);
            out->counterCount = Read32(object + 32);
            out->instanceCount = (int32_t)Read32(object + 40);
            if (out->headerLength < PERF_OBJECT_HEADER_BYTES || out->headerLength > total ||
                out->definitionLength < out->headerLength || out->definitionLength > total)
                return -1;
            return 0;
        }
        at += total;
    }
}

int PerfCounterAt(const PerfObjectView &object, uint32_t k, PerfCounterView *out)
{
    if (k >= object.counterCount)
        return -1;
    size_t at = object.headerLength;
    for (uint32_t i = 0;; ++i) {
        if (object.definitionLength < at ||
            object.definitionLength - at < PERF_COUNTER_DEFINITION_BYTES)
            return -1;
        const uint8_t *definition = object.start + at;
        uint32_t length = Read32(definition);
        if (length < PERF_COUNTER_DEFINITION_BYTES || length > object.definitionLength - at)
            return -1;
        if (i == k) {
            out->nameIndex = Read32(definition + 4);
            out->size = Read32(definition + 32);
            out->offset = Read32(definition + 36);
            return 0;
        }
        at += length;
    }
}

int PerfNextInstance(const PerfObjectView &object, size_t *cursor, PerfInstanceView *out)
{
    size_t at = *cursor ? *cursor : object.definitionLength;
    if (at > object.length || object.length - at < PERF_INSTANCE_HEADER_BYTES)
        return -1;
    const uint8_t *instance = object.start + at;
    uint32_t length = Read32(instance);
    uint32_t nameOffset = Read32(instance + 16);
    uint32_t nameBytes = Read32(instance + 20);
    if (length < PERF_INSTANCE_HEADER_BYTES || length > object.length - at)
        return -1;
    size_t counters = at + length;
    if (object.length - counters < PERF_COUNTER_BLOCK_HEADER_BYTES)
        return -1;
    uint32_t countersLength = Read32(object.start + counters);
    if (countersLength < PERF_COUNTER_BLOCK_HEADER_BYTES ||
        countersLength > object.length - counters)
        return -1;
    // The name must lie inside the instance's own definition.
    out->name = nullptr;
    out->nameChars = 0;
    if (nameOffset >= PERF_INSTANCE_HEADER_BYTES && nameOffset < length) {
        size_t room = (length - nameOffset) / 2;
        size_t chars = nameBytes / 2 < room ? nameBytes / 2 : room;
        out->name = instance + nameOffset;
        size_t n = 0;
        while (n < chars && Read16(out->name + 2 * n) != 0)
            ++n;
        out->nameChars = n;
    }
    out->counters = object.start + counters;
    out->countersLength = countersLength;
    *cursor = counters + countersLength;
    return 0;
}

int PerfCounterValue(const PerfInstanceView &instance, const PerfCounterView &counter,
                     uint64_t *value)
{
    size_t bytes = counter.size >= 8 ? 8 : 4;
    if (counter.offset > instance.countersLength || instance.countersLength - counter.offset < bytes)
        return -1;
    const uint8_t *p = instance.counters + counter.offset;
    *value = bytes == 8 ? Read64(p) : Read32(p);
    return 0;
}

bool PerfNameStartsWith(const PerfInstanceView &instance, const char *text)
{
    size_t n = std::strlen(text);
    if (!instance.name || instance.nameChars < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (Read16(instance.name + 2 * i) != (uint8_t)text[i])
            return false;
    return true;
}

int32_t PerfIdleToLoad(uint64_t raw, uint64_t previous, uint64_t elapsed100ns)
{
    uint64_t idle = raw > previous ? raw - previous : 0;
    if (elapsed100ns == 0)
        elapsed100ns = 10000000;
    // The first query has no previous value and gives a meaningless, very
    // negative load; keep it within range rather than let it wrap.
    uint64_t whole = idle / elapsed100ns;
    int64_t percent = whole > 1000000 ? 100000000
                                      : (int64_t)(whole * 100 + idle % elapsed100ns * 100 / elapsed100ns);
    return (int32_t)(100 - (int64_t)percent);
}

// The first object with that name that has that counter.
static int FindCounter(const uint8_t *data, size_t size, const PerfNames &names,
                       const char *objectName, const char *counterName,
                       PerfObjectView *object, PerfCounterView *counter)
{
    for (uint32_t k = 0; PerfObjectAt(data, size, k, object) == 0; ++k) {
        if (!PerfEqualNoCase(PerfNameOf(names, object->nameIndex), objectName))
            continue;
        for (uint32_t c = 0; PerfCounterAt(*object, c, counter) == 0; ++c)
            if (PerfEqualNoCase(PerfNameOf(names, counter->nameIndex), counterName))
                return 0;
    }
    return -1;
}

int PerfReadInstanceLoads(const uint8_t *data, size_t size, const PerfNames &names,
                          const char *objectName, const char *counterName,
                          PerfCounterHistory *history, int32_t *loads, int capacity)
{
    PerfObjectView object;
    PerfCounterView counter;
    if (FindCounter(data, size, names, objectName, counterName, &object, &counter) != 0)
        return 0;
    if (object.instanceCount < 1)
        return 0;
    if (capacity > PERF_LOAD_CAPACITY)
        capacity = PERF_LOAD_CAPACITY;
    uint64_t now = PerfBlockTime(data, size);
    uint64_t elapsed = history->previousTime && now > history->previousTime
                           ? now - history->previousTime : 0;
    int count = 0;
    size_t cursor = 0;
    for (int32_t k = 0; k < object.instanceCount && count < capacity; ++k) {
        PerfInstanceView instance;
        if (PerfNextInstance(object, &cursor, &instance) != 0)
            break;
        if (PerfNameStartsWith(instance, "_Total"))
            continue;
        uint64_t raw;
        if (PerfCounterValue(instance, counter, &raw) != 0)
            break;
        loads[count] = PerfIdleToLoad(raw, history->previous[count], elapsed);
        history->previous[count] = raw;
        ++count;
    }
    history->previousTime = now;
    return count;
}
