// Telling the processor from what CPUID answers: vendor, model names, feature
// flags and cache sizes. The instruction itself is reached through a probe, so
// any register values can be fed in. No windows.h.
#pragma once
#include <cstddef>
#include <cstdint>

enum CpuVendor {
    CPU_VENDOR_AMD,
    CPU_VENDOR_INTEL,
    CPU_VENDOR_NSC,
    CPU_VENDOR_UMC,
    CPU_VENDOR_CYRIX,
    CPU_VENDOR_NEXGEN,
    CPU_VENDOR_IDT,
    CPU_VENDOR_RISE,
    CPU_VENDOR_TRANSMETA,
    CPU_VENDOR_UNKNOWN,
};

struct CpuIdInfo {
    uint32_t vendor;
    uint8_t hasFpu, hasTimeStampCounter, mmx, sse, sseFp, sse2, ia64, apic, cmov, mtrr, acpi,
        serialNumber, thermalMonitor;
    int32_t l1Cache, l2Cache, l3Cache; // KB, -1 none
    uint8_t amd3DNow, amd3DNowPlus, multiProcessorCapable, mmxPlus, sseMmx, hyperThreading;
    uint32_t logicalPerPhysical;
    uint32_t apicId;
    uint8_t voltageId, frequencyId, temperatureDiode;
    uint8_t hasCpuId;
    uint8_t hasClock;
    uint32_t clockMHz;
    uint32_t type, family, model, stepping, extendedFamily, extendedModel;
    char name[64]; // a brand string holds 48; the model table's longest names are longer
    char vendorId[13];
    char serialText[30];
};

// Masks for CpuIdHasFeature.
enum : uint32_t {
    CPU_FEATURE_MMX = 0x1,
    CPU_FEATURE_MMX_PLUS = 0x2,
    CPU_FEATURE_SSE = 0x4,
    CPU_FEATURE_SSE2 = 0x8,
    CPU_FEATURE_3DNOW = 0x10,
    CPU_FEATURE_3DNOW_PLUS = 0x20,
    CPU_FEATURE_IA64 = 0x40,
    CPU_FEATURE_MP_CAPABLE = 0x80,
    CPU_FEATURE_HYPERTHREADING = 0x100,
    CPU_FEATURE_SERIAL_NUMBER = 0x200,
    CPU_FEATURE_APIC = 0x400,
    CPU_FEATURE_SSE_FP = 0x800,
    CPU_FEATURE_SSE_MMX = 0x1000,
    CPU_FEATURE_CMOV = 0x2000,
    CPU_FEATURE_MTRR = 0x4000,
    CPU_FEATURE_L1_CACHE = 0x8000,
    CPU_FEATURE_L2_CACHE = 0x10000,
    CPU_FEATURE_L3_CACHE = 0x20000,
    CPU_FEATURE_ACPI = 0x40000,
    CPU_FEATURE_THERMAL_MONITOR = 0x80000,
    CPU_FEATURE_TEMPERATURE_DIODE = 0x100000,
    CPU_FEATURE_FREQUENCY_ID = 0x200000,
    CPU_FEATURE_VOLTAGE_ID = 0x400000,
    CPU_FEATURE_INSTRUCTION_SETS = 0x79FF,
};

struct CpuRegisters {
    uint32_t eax, ebx, ecx, edx;
};

// What identification needs of the processor. Each returns 0 on success and
// -1 when the instruction faults or is missing.
struct CpuProbe {
    int (*cpuid)(uint32_t leaf, uint32_t subleaf, CpuRegisters *out, void *context);
    int (*sseRuns)(void *context);
    int (*measureClock)(uint32_t *mhz, void *context);
    void *context;
};

void CpuIdIdentify(CpuIdInfo *info, const CpuProbe &probe);

bool CpuIdHasFeature(const CpuIdInfo &info, uint32_t mask);
const char *CpuVendorName(uint32_t vendor);
uint32_t CpuVendorFromId(const char *vendorId);
// The name of the model table for a processor without brand string.
const char *CpuClassicalName(uint32_t vendor, uint32_t family, uint32_t model,
                             uint32_t extendedFamily, bool multiProcessorCapable);
// Cache size by mask (L1, L2 or L3 cache feature), -1 otherwise.
int32_t CpuCacheSize(const CpuIdInfo &info, uint32_t mask);

// The running maxima of the leaf-2 descriptors.
struct CacheDescriptorSizes {
    int32_t l1Code, l1Data, l2, l3, trace;
    bool deterministic; // 0xFF: the sizes are told by leaf 4
};
void ResetCacheDescriptorSizes(CacheDescriptorSizes *s);
// Applies one descriptor byte; false for one not in the table.
bool ApplyCacheDescriptor(CacheDescriptorSizes *s, uint8_t descriptor);
