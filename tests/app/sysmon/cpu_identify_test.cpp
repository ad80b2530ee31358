#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>

#include "cpu_identify.h"
#include "windows_version_text.h"

namespace {

// A processor made of register answers; leaves it does not know fault.
struct FakeProcessor {
    std::map<uint64_t, CpuRegisters> leaves;
    void Set(uint32_t leaf, CpuRegisters r, uint32_t subleaf = 0)
    {
        leaves[(uint64_t)leaf << 32 | subleaf] = r;
    }
    void Vendor(const char id[13], uint32_t maxLeaf)
    {
        CpuRegisters r = {maxLeaf, 0, 0, 0};
        std::memcpy(&r.ebx, id, 4);
        std::memcpy(&r.edx, id + 4, 4);
        std::memcpy(&r.ecx, id + 8, 4);
        Set(0, r);
    }
    // Family, model and stepping as CPUID 1 packs them, and feature bits.
    void Signature(uint32_t family, uint32_t model, uint32_t edx = 0)
    {
        Set(1, {family << 8 | model << 4 | 1, 0, 0, edx});
    }
    void Brand(const std::string &text)
    {
        char b[48] = {};
        std::memcpy(b, text.data(), text.size() < 48 ? text.size() : 48);
        for (uint32_t i = 0; i < 3; ++i) {
            CpuRegisters r;
            std::memcpy(&r, b + 16 * i, 16);
            Set(0x80000002u + i, r);
        }
    }
    static int Query(uint32_t leaf, uint32_t subleaf, CpuRegisters *out, void *context)
    {
        auto *self = (FakeProcessor *)context;
        auto it = self->leaves.find((uint64_t)leaf << 32 | subleaf);
        if (it == self->leaves.end())
            it = self->leaves.find((uint64_t)leaf << 32);
        if (it == self->leaves.end())
            return -1;
        *out = it->second;
        return 0;
    }
    CpuIdInfo Identify()
    {
        CpuIdInfo info;
        CpuIdIdentify(&info, {Query, nullptr, nullptr, this});
        return info;
    }
};

} // namespace

TEST(CpuIdentify, LeafTwoDescriptorsGiveTheCacheSizes)
{
    FakeProcessor p;
    p.Vendor("GenuineIntel", 2);
    p.Signature(6, 8);
    // One round; descriptors 0x06 (8 KB code), 0x0A (8 KB data), 0x43 (512 KB L2).
    p.Set(2, {0x430A0601, 0, 0, 0});
    CpuIdInfo info = p.Identify();
    EXPECT_EQ(info.l1Cache, 16);
    EXPECT_EQ(info.l2Cache, 512);
    EXPECT_EQ(info.l3Cache, -1);
    EXPECT_TRUE(CpuIdHasFeature(info, CPU_FEATURE_L2_CACHE));
    EXPECT_FALSE(CpuIdHasFeature(info, CPU_FEATURE_L3_CACHE));

    // An unknown descriptor ends the decoding and leaves every size unknown.
    p.Set(2, {0x432C0601, 0, 0, 0});
    info = p.Identify();
    EXPECT_EQ(info.l1Cache, -1);
    EXPECT_EQ(info.l2Cache, -1);
    // A register with its top bit set carries no descriptors.
    p.Set(2, {0x430A0601, 0x802C2C2C, 0, 0});
    EXPECT_EQ(p.Identify().l2Cache, 512);
}

TEST(CpuIdentify, ModernIntelGetsItsBrandStringAndCachesFromLeafFour)
{
    FakeProcessor p;
    p.Vendor("GenuineIntel", 4);
    p.Signature(6, 10, 1u << 25 | 1u << 23);
    p.Set(0x80000000u, {0x80000008u, 0, 0, 0});
    p.Brand("    Intel(R) Core(TM) i7 CPU 920 @ 2.67GHz");
    p.Set(0x80000006u, {0, 0, 256u << 16, 0});
    p.Set(2, {0x00FF0001, 0, 0, 0}); // "ask leaf 4"
    // 32 KB data: 8 ways, 1 partition, 64-byte lines, 64 sets.
    p.Set(4, {1 | 1 << 5, 7u << 22 | 63, 63, 0}, 0);
    p.Set(4, {2 | 1 << 5, 3u << 22 | 63, 127, 0}, 1); // 32 KB code
    p.Set(4, {3 | 3 << 5, 15u << 22 | 63, 8191, 0}, 2); // 8 MB L3
    p.Set(4, {0, 0, 0, 0}, 3);
    CpuIdInfo info = p.Identify();
    EXPECT_STREQ(info.name, "Intel(R) Core(TM) i7 CPU 920 @ 2.67GHz");
    EXPECT_STREQ(CpuVendorName(info.vendor), "Intel Corporation");
    EXPECT_EQ(info.l1Cache, 64);
    EXPECT_EQ(info.l2Cache, 256);
    EXPECT_EQ(info.l3Cache, 8192);
    EXPECT_TRUE(CpuIdHasFeature(info, CPU_FEATURE_SSE | CPU_FEATURE_3DNOW));
    EXPECT_FALSE(CpuIdHasFeature(info, CPU_FEATURE_SSE2 | CPU_FEATURE_3DNOW));
}

TEST(CpuIdentify, NamesFromTheModelTableWithoutBrandString)
{
    FakeProcessor p;
    p.Vendor("GenuineIntel", 1);
    p.Signature(6, 8);
    EXPECT_STREQ(p.Identify().name,
                 "Pentium\xAE III (0.18 \xB5m) With 256 KB On-Die L2 Cache ");
    // An extended range that stops short of the brand leaves gives no brand.
    p.Set(0x80000000u, {0x80000001u, 0, 0, 0});
    p.Set(0x80000001u, {0, 0, 0, 0});
    p.Brand("ignored");
    EXPECT_STREQ(p.Identify().name,
                 "Pentium\xAE III (0.18 \xB5m) With 256 KB On-Die L2 Cache ");

    FakeProcessor amd;
    amd.Vendor("AuthenticAMD", 1);
    amd.Signature(6, 8);
    amd.Set(0x80000000u, {0x80000001u, 0, 0, 0});
    amd.Set(0x80000001u, {0, 0, 0, 1u << 19});
    EXPECT_STREQ(amd.Identify().name, "Athlon\x99 MP (Thoroughbred core)");
    EXPECT_STREQ(CpuClassicalName(CPU_VENDOR_INTEL, 15, 3, 1, false), "Intel McKinley (IA-64)");
    EXPECT_STREQ(CpuClassicalName(CPU_VENDOR_UNKNOWN, 6, 8, 0, false), "Unknown family");
}

TEST(CpuIdentify, AmdExtendedLeavesAndTheSerialNumber)
{
    FakeProcessor p;
    p.Vendor("AuthenticAMD", 3);
    p.Signature(15, 1, 1u << 18 | 1u << 4);
    p.Set(0x80000000u, {0x80000007u, 0, 0, 0});
    p.Brand("AMD Test Processor");
    p.Set(0x80000001u, {0, 0, 0, 1u << 31 | 1u << 22});
    p.Set(0x80000005u, {0, 0, 64u << 24, 32u << 24});
    // 32 MB of L3 as one maker writes it in the extended leaf.
    p.Set(0x80000006u, {0, 0, 1024u << 16, 640u << 18});
    p.Set(0x80000007u, {0, 0, 0, 0x5});
    p.Set(3, {0, 0x01020304, 0xA0B0C0D0, 0x11223344});
    CpuIdInfo info;
    CpuIdIdentify(&info, {FakeProcessor::Query, nullptr,
                          [](uint32_t *mhz, void *) { *mhz = 2400; return 0; }, &p});
    EXPECT_EQ(info.vendor, (uint32_t)CPU_VENDOR_AMD);
    EXPECT_STREQ(info.name, "AMD Test Processor");
    EXPECT_EQ(info.l1Cache, 96);
    EXPECT_EQ(info.l2Cache, 1024);
    EXPECT_EQ(info.l3Cache, -1) << "no L3 from the extended leaf";
    EXPECT_FALSE(CpuIdHasFeature(info, CPU_FEATURE_L3_CACHE));
    EXPECT_TRUE(info.amd3DNow && info.mmxPlus && info.sseMmx);
    EXPECT_TRUE(info.temperatureDiode && info.voltageId && !info.frequencyId);
    EXPECT_TRUE(info.hasClock);
    EXPECT_EQ(info.clockMHz, 2400u);
    EXPECT_STREQ(info.serialText, "0102-0304-a0b0-c0d0-1122-3344");
}

TEST(CpuIdentify, ProcessorWithoutCpuIdLeavesEverythingUnknown)
{
    FakeProcessor none;
    CpuIdInfo info = none.Identify();
    EXPECT_FALSE(info.hasCpuId);
    EXPECT_EQ(info.l1Cache, -1);
    EXPECT_FALSE(CpuIdHasFeature(info, 0xFFFFFFFF & ~(CPU_FEATURE_L1_CACHE |
                                                      CPU_FEATURE_L2_CACHE | CPU_FEATURE_L3_CACHE)));
}

TEST(WindowsVersionText, NamesTheVersionRecord)
{
    struct Case {
        WindowsVersionRecord v;
        const char *product;
        bool wow64;
        const char *expected;
    } cases[] = {
        {{5, 1, 2600, WINDOWS_PLATFORM_NT, "Service Pack 3"}, "WinNT", true,
         "Microsoft\xAE Windows\x99 XP Professional 64-Bit "},
        {{5, 1, 2600, WINDOWS_PLATFORM_NT, ""}, "LANMANNT", false,
         "Microsoft\xAE Windows\x99 XP Standard Server 32-Bit "},
        {{4, 0, 0x0A000565, WINDOWS_PLATFORM_NT, "Service Pack 6"}, "WINNT", false,
         "Microsoft\xAE Windows\x99 NT Professional version 4.0 Service Pack 6 (Build 1381)"},
        {{5, 0, 2195, WINDOWS_PLATFORM_NT, "Service Pack 4"}, "ServerNT", false,
         "Microsoft\xAE Windows\x99 2000 Advanced Server Service Pack 4(Build 2195)"},
        {{6, 1, 7601, WINDOWS_PLATFORM_NT, "Service Pack 1"}, nullptr, false,
         "Service Pack 1(Build 7601)"},
        {{4, 10, 2222, WINDOWS_PLATFORM_9X, " A "}, nullptr, false,
         "Microsoft\xAE Windows\x99 98 SE "},
        {{4, 0, 950, WINDOWS_PLATFORM_9X, " C"}, nullptr, false,
         "Microsoft\xAE Windows\x99 95 OSR 2.5 "},
        {{4, 90, 3000, WINDOWS_PLATFORM_9X, ""}, nullptr, false, "Microsoft\xAE Windows\x99 Me "},
        {{1, 0, 0, WINDOWS_PLATFORM_WIN32S, ""}, nullptr, false, "Microsoft\xAE Win32s "},
        {{4, 50, 0, WINDOWS_PLATFORM_9X, ""}, nullptr, false, "Unknown Windows "},
    };
    for (const Case &c : cases) {
        char text[256];
        FormatWindowsVersionName(c.v, c.product, c.wow64, text, sizeof text);
        EXPECT_STREQ(text, c.expected);
    }
}
