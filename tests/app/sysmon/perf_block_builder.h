// Builds performance-data blocks byte by byte in the system's published
// layout, so tests can feed the readers blocks of their own.
#pragma once
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TestCounter {
    uint32_t nameIndex;
    uint32_t size; // 4 or 8
};

struct TestInstance {
    std::string name;
    std::vector<uint64_t> values; // one per counter, in definition order
};

struct TestObject {
    uint32_t nameIndex;
    std::vector<TestCounter> counters;
    std::vector<TestInstance> instances;
};

class PerfBlockBuilder {
public:
    std::vector<uint8_t> Build(const std::vector<TestObject> &objects, uint64_t time100ns) const
    {
        std::vector<uint8_t> out(88, 0);
        const char sig[] = "PERF";
        for (int i = 0; i < 4; ++i)
            out[2 * i] = (uint8_t)sig[i];
        Put(out, 8, 1);
        Put(out, 24, 88);
        Put(out, 28, (uint32_t)objects.size());
        Put64(out, 72, time100ns);
        for (const TestObject &o : objects)
            AppendObject(out, o);
        Put(out, 20, (uint32_t)out.size());
        return out;
    }

    static void Put(std::vector<uint8_t> &b, size_t at, uint32_t v) { std::memcpy(&b[at], &v, 4); }
    static void Put64(std::vector<uint8_t> &b, size_t at, uint64_t v) { std::memcpy(&b[at], &v, 8); }

private:
    static void AppendObject(std::vector<uint8_t> &out, const TestObject &o)
    {
        size_t start = out.size();
        out.resize(start + 64, 0);
        // Counter values laid out one after another behind the block's length.
        std::vector<uint32_t> offsets;
        uint32_t at = 8;
        for (const TestCounter &c : o.counters) {
            offsets.push_back(at);
            at += c.size;
        }
        uint32_t blockLength = (at + 7) & ~7u;
        for (size_t k = 0; k < o.counters.size(); ++k) {
            size_t d = out.size();
            out.resize(d + 40, 0);
            Put(out, d, 40);
            Put(out, d + 4, o.counters[k].nameIndex);
            Put(out, d + 32, o.counters[k].size);
            Put(out, d + 36, offsets[k]);
        }
        uint32_t definitionLength = (uint32_t)(out.size() - start);
        for (const TestInstance &inst : o.instances) {
            size_t d = out.size();
            uint32_t nameBytes = (uint32_t)(inst.name.size() + 1) * 2;
            uint32_t length = (24 + nameBytes + 7) & ~7u;
            out.resize(d + length, 0);
            Put(out, d, length);
            Put(out, d + 16, 24);
            Put(out, d + 20, nameBytes);
            for (size_t i = 0; i < inst.name.size(); ++i)
                out[d + 24 + 2 * i] = (uint8_t)inst.name[i];
            size_t c = out.size();
            out.resize(c + blockLength, 0);
            Put(out, c, blockLength);
            for (size_t k = 0; k < o.counters.size() && k < inst.values.size(); ++k) {
                if (o.counters[k].size == 8)
                    Put64(out, c + offsets[k], inst.values[k]);
                else
                    Put(out, c + offsets[k], (uint32_t)inst.values[k]);
            }
        }
        Put(out, start, (uint32_t)(out.size() - start));
        Put(out, start + 4, definitionLength);
        Put(out, start + 8, 64);
        Put(out, start + 12, o.nameIndex);
        Put(out, start + 32, (uint32_t)o.counters.size());
        Put(out, start + 40, (uint32_t)o.instances.size());
    }
};
