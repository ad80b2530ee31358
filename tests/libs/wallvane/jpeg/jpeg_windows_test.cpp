// What only Windows has: the processor override in the registry and the
// trap that turns a fault inside an operation into -1.
#include <windows.h>

#include <stdio.h>

#include <gtest/gtest.h>

#include "jpeg_codec.h"
#include "jpeg_dispatch.h"
#include "jpeg_forced_cpu.h"
#include "jpeg_test_files.h"

namespace {

TEST(JpegWindows, FaultInsideAnOperationGivesMinusOne)
{
    EXPECT_EQ(JPG_ERR_EXCEPTION, JpgLibInit(nullptr));

    CraftedJpeg j = CraftGray(8, 8);
    j.app0 = JfifApp0(2, 2, Bytes(12, 0x40));
    MemoryReader reader(j.Join());
    reader.record.dibPixels = reinterpret_cast<uint8_t *>(static_cast<uintptr_t>(0x10));
    reader.record.dibWidth = reader.record.dibHeight = 8;
    reader.record.dibColour = JPG_COLOUR_RGB;
    EXPECT_EQ(JPG_ERR_EXCEPTION, reader.Read(JPG_READ_THUMB_MEMORY));

    uint8_t dib[8 * 8 * 3] = {};
    reader.record.dibPixels = dib;
    EXPECT_EQ(0, reader.Read(JPG_READ_THUMB_MEMORY)) << "the record stays usable";
    EXPECT_EQ(0x40, dib[0]);
}

TEST(JpegWindows, FaultWritingTheCommentBufferIsAnAccessError)
{
    CraftedJpeg j = CraftGray(8, 8);
    j.app0 = MarkerSegment(JPG_COM, {'h', 'i'});
    MemoryReader reader(j.Join());
    reader.record.props.jpegComment = reinterpret_cast<char *>(static_cast<uintptr_t>(0x20));
    reader.record.props.jpegCommentSize = 10;
    EXPECT_EQ(JPG_ERR_COMMENT_ACCESS, reader.Read(JPG_READ_HEADER_MEMORY));
}

// The override is machine-wide, and the suite's runs with each processor
// type forced share one machine and run at once: for this test the
// process's HKEY_LOCAL_MACHINE is mapped to a key of its own, so that what
// it sets is seen by this process alone, through the very key and value
// the codec opens.
struct PrivateMachineKey {
    HKEY root = nullptr;
    char name[96];
    bool mapped = false;
    PrivateMachineKey()
    {
        snprintf(name, sizeof name, "Software\\Zettlies tests\\machine key %lu %lu", GetCurrentProcessId(),
                 GetTickCount());
        if (RegCreateKeyExA(HKEY_CURRENT_USER, name, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &root, nullptr) ==
            ERROR_SUCCESS)
            mapped = RegOverridePredefKey(HKEY_LOCAL_MACHINE, root) == ERROR_SUCCESS;
    }
    ~PrivateMachineKey()
    {
        if (mapped)
            RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        if (root) {
            for (const char *key : {"Software\\Kestrova\\JpgLib", "Software\\Kestrova", "Software"})
                RegDeleteKeyA(root, key);
            RegCloseKey(root);
            RegDeleteKeyA(HKEY_CURRENT_USER, name);
            RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Zettlies tests"); // once no other run uses it
        }
    }
};

struct OverrideValue {
    HKEY key = nullptr;
    OverrideValue()
    {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Kestrova\\JpgLib", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    }
    bool Set(DWORD value)
    {
        return key && RegSetValueExA(key, "USECPU", 0, REG_DWORD, (const BYTE *)&value, sizeof value) ==
                          ERROR_SUCCESS;
    }
    ~OverrideValue()
    {
        if (key) {
            RegDeleteValueA(key, "USECPU");
            RegCloseKey(key);
        }
    }
};

int TypeAfterInit()
{
    JPEG_IMAGE_PROPS record;
    if (JpgLibInit(&record) != 0)
        return -100;
    int type = record.props.cpuType;
    JpgLibFree(&record);
    return type;
}

// The machine's own override, read through a handle taken before the
// mapping; -1 when it has none.
long MachineOverride(HKEY machineSoftware)
{
    HKEY key;
    if (RegOpenKeyExA(machineSoftware, "Kestrova\\JpgLib", 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return -1;
    DWORD value = 0, size = sizeof value;
    bool has = RegQueryValueExA(key, "USECPU", nullptr, nullptr, (BYTE *)&value, &size) == ERROR_SUCCESS;
    RegCloseKey(key);
    return has ? (long)value : -1;
}

TEST(JpegWindows, RegistryOverrideForcesTheProcessorType)
{
    JpgForceCpuTypeForTests(-1);
    JpgReadCpuInfo();
    int detected = JpgCpuTypeFor(JpgGetCpuInfo(), -1);
    HKEY machineSoftware = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &machineSoftware));
    long machineOverride = MachineOverride(machineSoftware);
    PrivateMachineKey machine;
    ASSERT_TRUE(machine.mapped);
    OverrideValue value;
    ASSERT_TRUE(value.Set(3));
    EXPECT_EQ(3, TypeAfterInit());
    EXPECT_EQ(machineOverride, MachineOverride(machineSoftware)) << "the other test programs see nothing of it";
    RegCloseKey(machineSoftware);
    ASSERT_TRUE(value.Set(0));
    EXPECT_EQ(0, TypeAfterInit());
    ASSERT_TRUE(value.Set(7));
    EXPECT_EQ(detected, TypeAfterInit()) << "out of range: the processor decides";
    ASSERT_TRUE(value.Set((DWORD)-5));
    EXPECT_EQ(detected, TypeAfterInit());
    ApplyForcedCpuTypeFromEnvironment();
}

} // namespace
