// The generated ROM images and sounds have the sizes and formats the
// machine's resources carry.
#include <gtest/gtest.h>

#include "demo_machine.h"

namespace {

uint32_t Little32(const std::vector<uint8_t> &b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

uint16_t Little16(const std::vector<uint8_t> &b, size_t at) {
    return (uint16_t)(b[at] | b[at + 1] << 8);
}

std::string Tag(const std::vector<uint8_t> &b, size_t at) {
    return std::string(b.begin() + at, b.begin() + at + 4);
}

struct SoundFile {
    const char *name;
    size_t size;
    uint32_t rate;
};

const SoundFile Sounds[] = {
    {"explosion.wav", 3886, 8000},  // 111
    {"start.wav", 12464, 8000},     // 112
    {"ship_lost.wav", 7492, 8012},  // 113
    {"shot.wav", 1766, 8000},       // 114
    {"coin.wav", 2136, 8012},       // 115
    {"barrier.wav", 5374, 11025},   // 128
};

} // namespace

TEST(ArcadeDataFiles, RomImagesHaveTheirResourceSizes) {
    EXPECT_EQ(ReadDataFile("vuvovir.rom").size(), 16384u);
    EXPECT_EQ(ReadDataFile("sorvalen.rom").size(), 16384u);
    EXPECT_EQ(ReadDataFile("vuvovir_chars.rom").size(), 8192u);
    EXPECT_EQ(ReadDataFile("sorvalen_chars.rom").size(), 8192u);
}

TEST(ArcadeDataFiles, TheTwoGamesDiffer) {
    EXPECT_NE(ReadDataFile("vuvovir.rom"), ReadDataFile("sorvalen.rom"));
    EXPECT_NE(ReadDataFile("vuvovir_chars.rom"), ReadDataFile("sorvalen_chars.rom"));
}

TEST(ArcadeDataFiles, SoundsArePlainMono8BitPcmOfTheirSizeAndRate) {
    for (const SoundFile &sound : Sounds) {
        SCOPED_TRACE(sound.name);
        std::vector<uint8_t> wave = ReadDataFile(sound.name);
        ASSERT_EQ(wave.size(), sound.size);
        EXPECT_EQ(Tag(wave, 0), "RIFF");
        EXPECT_EQ(Little32(wave, 4), sound.size - 8);
        EXPECT_EQ(Tag(wave, 8), "WAVE");
        EXPECT_EQ(Tag(wave, 12), "fmt ");
        EXPECT_EQ(Little32(wave, 16), 16u);
        EXPECT_EQ(Little16(wave, 20), 1);       // PCM
        EXPECT_EQ(Little16(wave, 22), 1);       // mono
        EXPECT_EQ(Little32(wave, 24), sound.rate);
        EXPECT_EQ(Little32(wave, 28), sound.rate);  // bytes per second
        EXPECT_EQ(Little16(wave, 32), 1);       // block
        EXPECT_EQ(Little16(wave, 34), 8);       // bits
        EXPECT_EQ(Tag(wave, 36), "data");
        EXPECT_EQ(Little32(wave, 40), sound.size - 44);
        // Something is heard: the samples leave the silent middle value.
        int loud = 0;
        for (size_t i = 44; i < wave.size(); i++)
            loud += wave[i] < 96 || wave[i] > 160;
        EXPECT_GT(loud, (int)(sound.size - 44) / 10);
    }
}
