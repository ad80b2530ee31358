#include "cpu_branch.h"

#include <cstdarg>
#include <cstdio>

namespace {

struct Branch {
    CpuBranchLine *lines;
    int capacity;
    int count;

    void Add(int depth, const char *format, ...)
    {
        if (count >= capacity)
            return;
        CpuBranchLine &line = lines[count++];
        line.depth = depth;
        line.expanded = false;
        va_list args;
        va_start(args, format);
        std::vsnprintf(line.text, sizeof line.text, format, args);
        va_end(args);
    }
};

struct FeatureLine {
    uint32_t mask;
    const char *text;
};

const FeatureLine InstructionSets[] = {
    {CPU_FEATURE_CMOV, "CMOV Instructions"},
    {CPU_FEATURE_MTRR, "MTRR Instructions"},
    {CPU_FEATURE_MMX, "MMX Instructions"},
    {CPU_FEATURE_MMX_PLUS, "MMX+ Instructions"},
    {CPU_FEATURE_SSE, "SSE Instructions"},
    {CPU_FEATURE_SSE_FP, "SSE FP Instructions"},
    {CPU_FEATURE_SSE_MMX, "SSE MMX Instructions"},
    {CPU_FEATURE_SSE2, "SSE2 Instructions"},
    {CPU_FEATURE_3DNOW, "3DNow! Instructions"},
    {CPU_FEATURE_3DNOW_PLUS, "3DNow!+ Instructions"},
    {CPU_FEATURE_HYPERTHREADING, "Hyperthreading Instructions"},
    {CPU_FEATURE_MP_CAPABLE, "Multi-processor Capable"},
    {CPU_FEATURE_IA64, "IA64 Instructions"},
};

} // namespace

int BuildCpuBranch(const CpuIdInfo &info, int processor, CpuBranchLine *lines, int capacity)
{
    Branch b = {lines, capacity, 0};
    b.Add(0, "Processor %d", processor);
    if (!info.hasCpuId) {
        b.Add(1, CPU_NO_CPUID_TEXT);
        return b.count;
    }
    b.Add(1, "Processor Name: %s", info.name);
    b.Add(1, "Clock Frequency: %d MHz", info.hasClock ? (int)info.clockMHz : -1);
    if (info.serialNumber)
        b.Add(1, "Serial Number: %s", info.serialText);
    if (b.count > 0)
        lines[0].expanded = true;

    b.Add(1, "On-Chip Hardware Features");
    if (info.apic) {
        b.Add(2, "APIC Present");
        b.Add(3, "APIC ID: %u", info.apicId);
    }
    if (info.acpi)
        b.Add(2, "ACPI Capable");
    if (info.thermalMonitor)
        b.Add(2, "On-Chip Thermal Monitor");
    const int32_t caches[] = {info.l1Cache, info.l2Cache, info.l3Cache};
    bool anyCache = false;
    for (int level = 0; level < 3; ++level)
        if (caches[level] != -1) {
            b.Add(2, "L%d Cache: %dKB", level + 1, caches[level]);
            anyCache = true;
        }
    if (!anyCache)
        b.Add(2, "No L1\\L2\\L3 Cache Found");

    b.Add(1, "Power Management Features");
    if (info.temperatureDiode)
        b.Add(2, "Temperature Sensing Diode");
    if (info.frequencyId)
        b.Add(2, "Frequency ID (FID) Control");
    if (info.voltageId)
        b.Add(2, "Voltage ID (VID) Control");
    if (!info.temperatureDiode && !info.frequencyId && !info.voltageId)
        b.Add(2, "No On-Chip Support");

    b.Add(1, "Supported Features");
    for (const FeatureLine &f : InstructionSets) {
        if (!CpuIdHasFeature(info, f.mask))
            continue;
        b.Add(2, "%s", f.text);
        if (f.mask == CPU_FEATURE_HYPERTHREADING)
            b.Add(2, "Logical Processors Per Physical: %u", info.logicalPerPhysical);
    }
    if (!CpuIdHasFeature(info, CPU_FEATURE_INSTRUCTION_SETS))
        b.Add(2, "No Supported Features Found");
    return b.count;
}
