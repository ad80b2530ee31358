// The program's resource script carries the arcade images and sounds under
// the numbers and string types the machine looks for, byte for byte as the
// data folder holds them.
#include <windows.h>

#include <gtest/gtest.h>

#include "data_files.h"

#ifndef ZT_ARCADE_DATA_DIR
#error "the test needs the folder the resources are taken from"
#endif

namespace {

struct ArcadeResource {
    int id;
    const char *type;
    const char *file;
    DWORD size;
};

const ArcadeResource Resources[] = {
    {104, "RT_DATA", "vuvovir.rom", 16384},
    {110, "RT_DATA", "sorvalen.rom", 16384},
    {106, "RT_DATA", "vuvovir_chars.rom", 8192},
    {107, "RT_DATA", "sorvalen_chars.rom", 8192},
    {111, "WAVE", "explosion.wav", 3886},
    {112, "WAVE", "start.wav", 12464},
    {113, "WAVE", "ship_lost.wav", 7492},
    {114, "WAVE", "shot.wav", 1766},
    {115, "WAVE", "coin.wav", 2136},
    {128, "WAVE", "barrier.wav", 5374},
};

} // namespace

TEST(ArcadeResources, EveryImageAndSoundIsThereWithItsSizeAndContent) {
    HMODULE self = GetModuleHandleA(nullptr);
    for (const ArcadeResource &r : Resources) {
        SCOPED_TRACE(r.file);
        HRSRC found = FindResourceA(self, MAKEINTRESOURCEA(r.id), r.type);
        ASSERT_NE(found, nullptr);
        ASSERT_EQ(SizeofResource(self, found), r.size);
        HGLOBAL loaded = LoadResource(self, found);
        ASSERT_NE(loaded, nullptr);
        const uint8_t *bytes = (const uint8_t *)LockResource(loaded);
        ASSERT_NE(bytes, nullptr);
        std::vector<uint8_t> file = ReadWholeFile(std::string(ZT_ARCADE_DATA_DIR) + "/" + r.file);
        EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + r.size), file);
    }
    // String type names, not the numbered RCDATA type.
    EXPECT_EQ(FindResourceA(self, MAKEINTRESOURCEA(104), MAKEINTRESOURCEA(10)), nullptr);
}
