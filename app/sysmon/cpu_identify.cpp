#include "cpu_identify.h"

#include <cstdio>
#include <cstring>

// Texts are ANSI (code page 1252): registered, trade mark and micro signs.
#define REG "\xAE"
#define TM "\x99"
#define MICRO "\xB5"

static const char *const VendorNames[] = {
    "Advanced Micro Devices",
    "Intel Corporation",
    "National Semiconductor",
    "United Microelectronics Corp.",
    "Cyrix Corp., VIA Inc.",
    "NexGen Inc., Advanced Micro Devices",
    "IDT\\Centaur, Via Inc.",
    "Rise",
    "Transmeta",
};

const char *CpuVendorName(uint32_t vendor)
{
    return vendor < sizeof VendorNames / sizeof VendorNames[0] ? VendorNames[vendor]
                                                              : "Unknown Manufacturer";
}

static const struct {
    const char *id;
    uint32_t vendor;
} VendorIds[] = {
    {"GenuineIntel", CPU_VENDOR_INTEL},     {"UMC UMC UMC ", CPU_VENDOR_UMC},
    {"AuthenticAMD", CPU_VENDOR_AMD},       {"AMD ISBETTER", CPU_VENDOR_AMD},
    {"CyrixInstead", CPU_VENDOR_CYRIX},     {"NexGenDriven", CPU_VENDOR_NEXGEN},
    {"CentaurHauls", CPU_VENDOR_IDT},       {"RiseRiseRise", CPU_VENDOR_RISE},
    {"GenuineTMx86", CPU_VENDOR_TRANSMETA}, {"TransmetaCPU", CPU_VENDOR_TRANSMETA},
    {"Geode By NSC", CPU_VENDOR_NSC},
};

uint32_t CpuVendorFromId(const char *vendorId)
{
    for (const auto &v : VendorIds)
        if (std::strcmp(vendorId, v.id) == 0)
            return v.vendor;
    return CPU_VENDOR_UNKNOWN;
}

// The model table: the first entry that fits names the processor; -1 fits any.
struct ModelEntry {
    uint8_t vendor;
    int8_t family, model, extendedFamily;
    const char *name;
};

static const ModelEntry ModelTable[] = {
    {CPU_VENDOR_AMD, 4, 3, -1, "80486DX2"},
    {CPU_VENDOR_AMD, 4, 7, -1, "80486DX2 WriteBack"},
    {CPU_VENDOR_AMD, 4, 8, -1, "80486DX4"},
    {CPU_VENDOR_AMD, 4, 9, -1, "80486DX4 WriteBack"},
    {CPU_VENDOR_AMD, 4, 14, -1, "5x86"},
    {CPU_VENDOR_AMD, 4, 15, -1, "5x86WB"},
    {CPU_VENDOR_AMD, 4, -1, -1, "Unknown 80486 family"},
    {CPU_VENDOR_AMD, 5, 0, -1, "SSA5 (PR75, PR90, PR100)"},
    {CPU_VENDOR_AMD, 5, 1, -1, "5k86 (PR120, PR133)"},
    {CPU_VENDOR_AMD, 5, 2, -1, "5k86 (PR166)"},
    {CPU_VENDOR_AMD, 5, 3, -1, "5k86 (PR200)"},
    {CPU_VENDOR_AMD, 5, 6, -1, "K6 (0.30 " MICRO "m)"},
    {CPU_VENDOR_AMD, 5, 7, -1, "K6 (0.25 " MICRO "m)"},
    {CPU_VENDOR_AMD, 5, 8, -1, "K6-2"},
    {CPU_VENDOR_AMD, 5, 9, -1, "K6-III"},
    {CPU_VENDOR_AMD, 5, 13, -1, "K6-2+ or K6-III+ (0.18 " MICRO "m)"},
    {CPU_VENDOR_AMD, 5, -1, -1, "Unknown 80586 family"},
    {CPU_VENDOR_AMD, 6, 1, -1, "Athlon" TM " (0.25 " MICRO "m)"},
    {CPU_VENDOR_AMD, 6, 2, -1, "Athlon" TM " (0.18 " MICRO "m)"},
    {CPU_VENDOR_AMD, 6, 3, -1, "Duron" TM " (SF core)"},
    {CPU_VENDOR_AMD, 6, 4, -1, "Athlon" TM " (Thunderbird core)"},
    {CPU_VENDOR_AMD, 6, 6, -1, "Athlon" TM " (Palomino core)"},
    {CPU_VENDOR_AMD, 6, 7, -1, "Duron" TM " (Morgan core)"},
    {CPU_VENDOR_AMD, 6, 8, -1, "Athlon" TM " XP (Thoroughbred core)"},
    {CPU_VENDOR_AMD, 6, -1, -1, "Unknown K7 family"},
    {CPU_VENDOR_AMD, -1, -1, -1, "Unknown AMD family"},

    {CPU_VENDOR_INTEL, 3, -1, -1, "Newer i80386 family"},
    {CPU_VENDOR_INTEL, 4, 0, -1, "i80486DX-25/33"},
    {CPU_VENDOR_INTEL, 4, 1, -1, "i80486DX-50"},
    {CPU_VENDOR_INTEL, 4, 2, -1, "i80486SX"},
    {CPU_VENDOR_INTEL, 4, 3, -1, "i80486DX2"},
    {CPU_VENDOR_INTEL, 4, 4, -1, "i80486SL"},
    {CPU_VENDOR_INTEL, 4, 5, -1, "i80486SX2"},
    {CPU_VENDOR_INTEL, 4, 7, -1, "i80486DX2 WriteBack"},
    {CPU_VENDOR_INTEL, 4, 8, -1, "i80486DX4"},
    {CPU_VENDOR_INTEL, 4, 9, -1, "i80486DX4 WriteBack"},
    {CPU_VENDOR_INTEL, 4, -1, -1, "Unknown 80486 family"},
    {CPU_VENDOR_INTEL, 5, 0, -1, "P5 A-Step"},
    {CPU_VENDOR_INTEL, 5, 1, -1, "P5"},
    {CPU_VENDOR_INTEL, 5, 2, -1, "P54C"},
    {CPU_VENDOR_INTEL, 5, 3, -1, "P24T OverDrive"},
    {CPU_VENDOR_INTEL, 5, 4, -1, "P55C"},
    {CPU_VENDOR_INTEL, 5, 7, -1, "P54C"},
    {CPU_VENDOR_INTEL, 5, 8, -1, "P55C (0.25" MICRO "m)"},
    {CPU_VENDOR_INTEL, 5, -1, -1, "Unknown Pentium" REG " family"},
    {CPU_VENDOR_INTEL, 6, 0, -1, "P6 A-Step"},
    {CPU_VENDOR_INTEL, 6, 1, -1, "P6"},
    {CPU_VENDOR_INTEL, 6, 3, -1, "Pentium" REG " II (0.28 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 6, 5, -1, "Pentium" REG " II (0.25 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 6, 6, -1, "Pentium" REG " II With On-Die L2 Cache"},
    {CPU_VENDOR_INTEL, 6, 7, -1, "Pentium" REG " III (0.25 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 6, 8, -1, "Pentium" REG " III (0.18 " MICRO "m) With 256 KB On-Die L2 Cache "},
    {CPU_VENDOR_INTEL, 6, 10, -1, "Pentium" REG " III (0.18 " MICRO "m) With 1 Or 2 MB On-Die L2 Cache "},
    {CPU_VENDOR_INTEL, 6, 11, -1, "Pentium" REG " III (0.13 " MICRO "m) With 256 Or 512 KB On-Die L2 Cache "},
    {CPU_VENDOR_INTEL, 6, -1, -1, "Unknown P6 family"},
    {CPU_VENDOR_INTEL, 7, -1, -1, "Intel Merced (IA-64)"},
    {CPU_VENDOR_INTEL, 15, 0, 0, "Pentium" REG " IV (0.18 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 15, 1, 0, "Pentium" REG " IV (0.18 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 15, 2, 0, "Pentium" REG " IV (0.13 " MICRO "m)"},
    {CPU_VENDOR_INTEL, 15, -1, 0, "Unknown Pentium 4 family"},
    {CPU_VENDOR_INTEL, 15, -1, 1, "Intel McKinley (IA-64)"},
    {CPU_VENDOR_INTEL, -1, -1, -1, "Unknown Intel family"},

    {CPU_VENDOR_NSC, -1, -1, -1, "Cx486SLC \\ DLC \\ Cx486S A-Step"},

    {CPU_VENDOR_UMC, 4, 1, -1, "U5D"},
    {CPU_VENDOR_UMC, 4, 2, -1, "U5S"},
    {CPU_VENDOR_UMC, -1, -1, -1, "Unknown UMC family"},

    {CPU_VENDOR_CYRIX, 4, 4, -1, "MediaGX GX, GXm"},
    {CPU_VENDOR_CYRIX, 4, 9, -1, "5x86"},
    {CPU_VENDOR_CYRIX, 4, -1, -1, "Unknown Cx5x86 family"},
    {CPU_VENDOR_CYRIX, 5, 2, -1, "Cx6x86"},
    {CPU_VENDOR_CYRIX, 5, 4, -1, "MediaGX GXm"},
    {CPU_VENDOR_CYRIX, 5, -1, -1, "Unknown Cx6x86 family"},
    {CPU_VENDOR_CYRIX, 6, 0, -1, "6x86MX"},
    {CPU_VENDOR_CYRIX, 6, 5, -1, "Cyrix M2 Core"},
    {CPU_VENDOR_CYRIX, 6, 6, -1, "WinChip C5A Core"},
    {CPU_VENDOR_CYRIX, 6, 7, -1, "WinChip C5B\\C5C Core"},
    {CPU_VENDOR_CYRIX, 6, 8, -1, "WinChip C5C-T Core"},
    {CPU_VENDOR_CYRIX, 6, -1, -1, "Unknown 6x86MX\\Cyrix III family"},
    {CPU_VENDOR_CYRIX, -1, -1, -1, "Unknown Cyrix family"},

    {CPU_VENDOR_NEXGEN, 5, 0, -1, "Nx586 or Nx586FPU"},
    {CPU_VENDOR_NEXGEN, -1, -1, -1, "Unknown NexGen family"},

    {CPU_VENDOR_IDT, 5, 4, -1, "C6"},
    {CPU_VENDOR_IDT, 5, 8, -1, "C2"},
    {CPU_VENDOR_IDT, 5, 9, -1, "C3"},
    {CPU_VENDOR_IDT, 6, 6, -1, "VIA Cyrix III - Samuel"},
    {CPU_VENDOR_IDT, -1, -1, -1, "Unknown IDT\\Centaur family"},

    {CPU_VENDOR_RISE, 5, 0, -1, "mP6 (0.25 " MICRO "m)"},
    {CPU_VENDOR_RISE, 5, 2, -1, "mP6 (0.18 " MICRO "m)"},
    {CPU_VENDOR_RISE, -1, -1, -1, "Unknown Rise family"},

    {CPU_VENDOR_TRANSMETA, 5, 4, -1, "Crusoe TM3x00 and TM5x00"},
    {CPU_VENDOR_TRANSMETA, 5, -1, -1, "Unknown Crusoe family"},
    {CPU_VENDOR_TRANSMETA, -1, -1, -1, "Unknown Transmeta family"},
};

static bool Fits(int8_t wanted, uint32_t value)
{
    return wanted < 0 || (uint32_t)wanted == value;
}

const char *CpuClassicalName(uint32_t vendor, uint32_t family, uint32_t model,
                             uint32_t extendedFamily, bool multiProcessorCapable)
{
    if (vendor == CPU_VENDOR_AMD && family == 6 && model == 8 && multiProcessorCapable)
        return "Athlon" TM " MP (Thoroughbred core)";
    for (const ModelEntry &e : ModelTable)
        if (e.vendor == vendor && Fits(e.family, family) && Fits(e.model, model) &&
            Fits(e.extendedFamily, extendedFamily))
            return e.name;
    return "Unknown family";
}

void ResetCacheDescriptorSizes(CacheDescriptorSizes *s)
{
    s->l1Code = s->l1Data = s->l2 = s->l3 = s->trace = -1;
    s->deterministic = false;
}

enum CacheKind { L1_CODE, L1_DATA, L2, L3, TRACE, NO_CACHE, L2_PRESENT_NONE };

static const struct {
    uint8_t descriptor;
    uint8_t kind;
    int16_t kb;
} CacheDescriptors[] = {
    {0x06, L1_CODE, 8},    {0x08, L1_CODE, 16},   {0x15, L1_CODE, 16},   {0x77, L1_CODE, 16},
    {0x0A, L1_DATA, 8},    {0x66, L1_DATA, 8},    {0x0C, L1_DATA, 16},   {0x10, L1_DATA, 16},
    {0x67, L1_DATA, 16},   {0x68, L1_DATA, 32},   {0x1A, L2, 96},        {0x39, L2, 128},
    {0x41, L2, 128},       {0x79, L2, 128},       {0x81, L2, 128},       {0x3C, L2, 256},
    {0x42, L2, 256},       {0x7A, L2, 256},       {0x7E, L2, 256},       {0x82, L2, 256},
    {0x43, L2, 512},       {0x7B, L2, 512},       {0x83, L2, 512},       {0x44, L2, 1024},
    {0x7C, L2, 1024},      {0x84, L2, 1024},      {0x45, L2, 2048},      {0x85, L2, 2048},
    {0x40, L2_PRESENT_NONE, 0},
    {0x22, L3, 512},       {0x23, L3, 1024},      {0x25, L3, 2048},      {0x88, L3, 2048},
    {0x29, L3, 4096},      {0x89, L3, 4096},      {0x8A, L3, 8192},      {0x8D, L3, 3072},
    {0x70, TRACE, 12},     {0x71, TRACE, 16},     {0x72, TRACE, 32},
    {0x00, NO_CACHE, 0},   {0x01, NO_CACHE, 0},   {0x02, NO_CACHE, 0},   {0x03, NO_CACHE, 0},
    {0x04, NO_CACHE, 0},   {0x50, NO_CACHE, 0},   {0x51, NO_CACHE, 0},   {0x52, NO_CACHE, 0},
    {0x5B, NO_CACHE, 0},   {0x5C, NO_CACHE, 0},   {0x5D, NO_CACHE, 0},   {0x90, NO_CACHE, 0},
    {0x96, NO_CACHE, 0},   {0x9B, NO_CACHE, 0},
};

static void RaiseTo(int32_t *size, int32_t kb)
{
    if (kb > *size)
        *size = kb;
}

bool ApplyCacheDescriptor(CacheDescriptorSizes *s, uint8_t descriptor)
{
    if (descriptor == 0xFF) {
        s->deterministic = true;
        return true;
    }
    for (const auto &d : CacheDescriptors) {
        if (d.descriptor != descriptor)
            continue;
        switch (d.kind) {
        case L1_CODE: RaiseTo(&s->l1Code, d.kb); break;
        case L1_DATA: RaiseTo(&s->l1Data, d.kb); break;
        case L2: RaiseTo(&s->l2, d.kb); break;
        case L3: RaiseTo(&s->l3, d.kb); break;
        case TRACE: RaiseTo(&s->trace, d.kb); break;
        case L2_PRESENT_NONE: RaiseTo(&s->l2, 0); break;
        default: break;
        }
        return true;
    }
    return false;
}

static bool Bit(uint32_t value, int bit)
{
    return (value >> bit) & 1;
}

static bool CpuId(const CpuProbe &probe, uint32_t leaf, CpuRegisters *r, uint32_t subleaf = 0)
{
    *r = {};
    return probe.cpuid(leaf, subleaf, r, probe.context) == 0;
}

// Every vendor that reports the extended leaves gets them: the range exists
// when leaf 0x80000000 answers with a number of that range.
static bool HasExtendedLeaf(const CpuProbe &probe, uint32_t leaf)
{
    CpuRegisters r;
    if (!CpuId(probe, 0x80000000u, &r) || !(r.eax & 0x80000000u))
        return false;
    return (leaf & 0x7FFFFFFFu) <= (r.eax & 0x7FFFFFFFu);
}

// Leaf 4 lists the caches one by one on processors whose leaf 2 says so.
static void ReadDeterministicCaches(const CpuProbe &probe, CacheDescriptorSizes *s)
{
    CpuRegisters r;
    for (uint32_t i = 0; i < 16 && CpuId(probe, 4, &r, i); ++i) {
        uint32_t kind = r.eax & 0x1F;
        if (kind == 0)
            break;
        uint32_t level = (r.eax >> 5) & 7;
        uint64_t bytes = (uint64_t)((r.ebx >> 22) + 1) * (((r.ebx >> 12) & 0x3FF) + 1) *
                         ((r.ebx & 0xFFF) + 1) * ((uint64_t)r.ecx + 1);
        int32_t kb = (int32_t)(bytes / 1024 > 0x7FFFFFFF ? 0x7FFFFFFF : bytes / 1024);
        if (level == 1 && kind == 2)
            RaiseTo(&s->l1Code, kb);
        else if (level == 1)
            RaiseTo(&s->l1Data, kb);
        else if (level == 2)
            RaiseTo(&s->l2, kb);
        else if (level == 3)
            RaiseTo(&s->l3, kb);
    }
}

// Leaf 2's descriptor bytes; a register with its top bit set holds none.
static bool ReadDescriptorCaches(const CpuProbe &probe, uint32_t maxLeaf, CacheDescriptorSizes *s)
{
    CpuRegisters r;
    if (maxLeaf < 2 || !CpuId(probe, 2, &r))
        return false;
    int rounds = (int)(r.eax & 0xFF);
    for (int round = 0; round < rounds && round < 16; ++round) {
        if (round > 0 && !CpuId(probe, 2, &r))
            return false;
        const uint32_t regs[4] = {r.eax, r.ebx, r.ecx, r.edx};
        for (int k = 0; k < 4; ++k) {
            if (regs[k] & 0x80000000u)
                continue;
            for (int b = k == 0 ? 1 : 0; b < 4; ++b)
                if (!ApplyCacheDescriptor(s, (uint8_t)(regs[k] >> (8 * b))))
                    return false;
        }
    }
    if (s->deterministic && maxLeaf >= 4)
        ReadDeterministicCaches(probe, s);
    return true;
}

static void IdentifyCaches(CpuIdInfo *info, const CpuProbe &probe, uint32_t maxLeaf)
{
    CpuRegisters r;
    info->l1Cache = info->l2Cache = info->l3Cache = -1;
    // A size of 0 is what a processor answers for a leaf it leaves unused.
    if (HasExtendedLeaf(probe, 0x80000005u) && CpuId(probe, 0x80000005u, &r)) {
        int32_t kb = (int32_t)((r.ecx >> 24) + (r.edx >> 24));
        info->l1Cache = kb > 0 ? kb : -1;
    }
    // The leaf's L3 field is read in different units by different makers
    // (a 32 MB cache came out as 327680 KB): no L3 is taken from it.
    if (HasExtendedLeaf(probe, 0x80000006u) && CpuId(probe, 0x80000006u, &r))
        info->l2Cache = (r.ecx >> 16) ? (int32_t)(r.ecx >> 16) : -1;
    if (info->l1Cache >= 0 && info->l2Cache >= 0)
        return;
    CacheDescriptorSizes s;
    ResetCacheDescriptorSizes(&s);
    if (!ReadDescriptorCaches(probe, maxLeaf, &s))
        return;
    int32_t l1 = s.l1Code >= 0 && s.l1Data >= 0 ? s.l1Code + s.l1Data
                 : s.l1Code >= 0                ? s.l1Code
                 : s.l1Data >= 0                ? s.l1Data
                                                : s.trace;
    if (info->l1Cache < 0)
        info->l1Cache = l1;
    if (info->l2Cache < 0)
        info->l2Cache = s.l2;
    if (info->l3Cache < 0)
        info->l3Cache = s.l3;
}

static void IdentifyName(CpuIdInfo *info, const CpuProbe &probe)
{
    CpuRegisters r;
    if (HasExtendedLeaf(probe, 0x80000002u) && HasExtendedLeaf(probe, 0x80000003u) &&
        HasExtendedLeaf(probe, 0x80000004u)) {
        char brand[49] = {};
        bool read = true;
        for (uint32_t i = 0; i < 3 && read; ++i) {
            read = CpuId(probe, 0x80000002u + i, &r);
            const uint32_t regs[4] = {r.eax, r.ebx, r.ecx, r.edx};
            std::memcpy(brand + 16 * i, regs, 16);
        }
        if (read) {
            const char *start = brand;
            if (info->vendor == CPU_VENDOR_INTEL)
                while (*start == ' ')
                    ++start;
            std::snprintf(info->name, sizeof info->name, "%s", start);
            return;
        }
    }
    std::snprintf(info->name, sizeof info->name, "%s",
                  CpuClassicalName(info->vendor, info->family, info->model, info->extendedFamily,
                                   info->multiProcessorCapable));
}

static void IdentifyExtendedFeatures(CpuIdInfo *info, const CpuProbe &probe)
{
    CpuRegisters r;
    if (info->vendor == CPU_VENDOR_INTEL || !HasExtendedLeaf(probe, 0x80000001u) ||
        !CpuId(probe, 0x80000001u, &r))
        return;
    info->amd3DNow = Bit(r.edx, 31);
    info->amd3DNowPlus = Bit(r.edx, 30);
    info->multiProcessorCapable = Bit(r.edx, 19);
    if (info->vendor == CPU_VENDOR_AMD)
        info->mmxPlus = Bit(r.edx, 22);
    else if (info->vendor == CPU_VENDOR_CYRIX)
        info->mmxPlus = Bit(r.edx, 24);
    info->sseMmx = Bit(r.edx, 22);
}

void CpuIdIdentify(CpuIdInfo *info, const CpuProbe &probe)
{
    std::memset(info, 0, sizeof *info);
    info->l1Cache = info->l2Cache = info->l3Cache = -1;
    info->vendor = CPU_VENDOR_UNKNOWN;
    CpuRegisters r;
    if (!CpuId(probe, 0, &r))
        return;
    info->hasCpuId = 1;
    uint32_t maxLeaf = r.eax;
    std::memcpy(info->vendorId, &r.ebx, 4);
    std::memcpy(info->vendorId + 4, &r.edx, 4);
    std::memcpy(info->vendorId + 8, &r.ecx, 4);
    info->vendor = CpuVendorFromId(info->vendorId);

    if (maxLeaf >= 1 && CpuId(probe, 1, &r)) {
        info->stepping = r.eax & 0xF;
        info->model = (r.eax >> 4) & 0xF;
        info->family = (r.eax >> 8) & 0xF;
        info->type = (r.eax >> 12) & 0xF;
        info->extendedModel = (r.eax >> 16) & 0xF;
        info->extendedFamily = (r.eax >> 20) & 0xFF;
        info->hasFpu = Bit(r.edx, 0);
        info->hasTimeStampCounter = Bit(r.edx, 4);
        info->apic = Bit(r.edx, 9);
        info->mtrr = Bit(r.edx, 12);
        info->cmov = Bit(r.edx, 15);
        info->serialNumber = Bit(r.edx, 18);
        info->acpi = Bit(r.edx, 22);
        info->mmx = Bit(r.edx, 23);
        info->sse = Bit(r.edx, 25);
        info->sse2 = Bit(r.edx, 26);
        info->thermalMonitor = Bit(r.edx, 29);
        info->ia64 = Bit(r.edx, 30);
        info->sseFp = info->sse && probe.sseRuns && probe.sseRuns(probe.context) == 0;
        if (info->vendor == CPU_VENDOR_INTEL) {
            info->hyperThreading = Bit(r.edx, 28);
            info->logicalPerPhysical = info->hyperThreading ? (r.ebx >> 16) & 0xFF : 1;
            if (info->hyperThreading && info->apic)
                info->apicId = r.ebx >> 24;
        }
    }
    if (info->hasTimeStampCounter && probe.measureClock &&
        probe.measureClock(&info->clockMHz, probe.context) == 0)
        info->hasClock = 1;
    IdentifyCaches(info, probe, maxLeaf);
    IdentifyExtendedFeatures(info, probe);
    IdentifyName(info, probe);
    if (info->serialNumber && maxLeaf >= 3 && CpuId(probe, 3, &r)) {
        const uint32_t regs[3] = {r.ebx, r.ecx, r.edx};
        uint8_t b[12];
        for (int k = 0; k < 3; ++k)
            for (int i = 0; i < 4; ++i)
                b[4 * k + i] = (uint8_t)(regs[k] >> (24 - 8 * i));
        std::snprintf(info->serialText, sizeof info->serialText,
                      "%.2x%.2x-%.2x%.2x-%.2x%.2x-%.2x%.2x-%.2x%.2x-%.2x%.2x", b[0], b[1], b[2],
                      b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11]);
    }
    if (HasExtendedLeaf(probe, 0x80000007u) && CpuId(probe, 0x80000007u, &r)) {
        info->temperatureDiode = Bit(r.edx, 0);
        info->frequencyId = Bit(r.edx, 1);
        info->voltageId = Bit(r.edx, 2);
    }
}

int32_t CpuCacheSize(const CpuIdInfo &info, uint32_t mask)
{
    switch (mask) {
    case CPU_FEATURE_L1_CACHE: return info.l1Cache;
    case CPU_FEATURE_L2_CACHE: return info.l2Cache;
    case CPU_FEATURE_L3_CACHE: return info.l3Cache;
    default: return -1;
    }
}

bool CpuIdHasFeature(const CpuIdInfo &info, uint32_t mask)
{
    const struct {
        uint32_t mask;
        bool present;
    } flags[] = {
        {CPU_FEATURE_MMX, info.mmx != 0},
        {CPU_FEATURE_MMX_PLUS, info.mmxPlus != 0},
        {CPU_FEATURE_SSE, info.sse != 0},
        {CPU_FEATURE_SSE2, info.sse2 != 0},
        {CPU_FEATURE_3DNOW, info.amd3DNow != 0},
        {CPU_FEATURE_3DNOW_PLUS, info.amd3DNowPlus != 0},
        {CPU_FEATURE_IA64, info.ia64 != 0},
        {CPU_FEATURE_MP_CAPABLE, info.multiProcessorCapable != 0},
        {CPU_FEATURE_HYPERTHREADING, info.hyperThreading != 0},
        {CPU_FEATURE_SERIAL_NUMBER, info.serialNumber != 0},
        {CPU_FEATURE_APIC, info.apic != 0},
        {CPU_FEATURE_SSE_FP, info.sseFp != 0},
        {CPU_FEATURE_SSE_MMX, info.sseMmx != 0},
        {CPU_FEATURE_CMOV, info.cmov != 0},
        {CPU_FEATURE_MTRR, info.mtrr != 0},
        {CPU_FEATURE_L1_CACHE, info.l1Cache != -1},
        {CPU_FEATURE_L2_CACHE, info.l2Cache != -1},
        {CPU_FEATURE_L3_CACHE, info.l3Cache != -1},
        {CPU_FEATURE_ACPI, info.acpi != 0},
        {CPU_FEATURE_THERMAL_MONITOR, info.thermalMonitor != 0},
        {CPU_FEATURE_TEMPERATURE_DIODE, info.temperatureDiode != 0},
        {CPU_FEATURE_FREQUENCY_ID, info.frequencyId != 0},
        {CPU_FEATURE_VOLTAGE_ID, info.voltageId != 0},
    };
    for (const auto &f : flags)
        if ((f.mask & mask) && f.present)
            return true;
    return false;
}
