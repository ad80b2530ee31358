// A deterministic stand-in for fuzzing inside ctest: seeded mutations of
// small valid streams through every read path the fuzz target drives.
#include <gtest/gtest.h>

#include "jpeg_fuzz_target.h"
#include "jpeg_mutation.h"
#include "jpeg_test_files.h"

namespace {

Bytes ProgressiveGraySeed()
{
    // Six blocks: a DC first scan where every block codes category 0, then
    // an AC band where every block ends at once.
    CraftedJpeg j = CraftGray(24, 16);
    j.sof[1] = JPG_SOF2;
    j.sos = MarkerSegment(JPG_SOS, {1, 1, 0x00, 0, 0, 0});
    j.data = {0x03};
    j.eoi = Concat({MarkerSegment(JPG_SOS, {1, 1, 0x00, 1, 63, 0}), {0x03, 0xFF, 0xD9}});
    return j.Join();
}

TEST(JpegMutation, MutatedStreamsNeitherCrashNorHang)
{
    std::vector<Bytes> seeds = {CraftGray(40, 24).Join(), ProgressiveGraySeed()};
    CraftedJpeg thumbed = CraftGray(16, 16);
    thumbed.app0 = JfifApp0(2, 2, Bytes(12, 0x80));
    seeds.push_back(thumbed.Join());
    CraftedJpeg restarted = CraftGray(24, 8);
    restarted.app0 = MarkerSegment(JPG_DRI, {0, 1});
    restarted.data = {0x3F, 0xFF, 0xD0, 0x3F, 0xFF, 0xD1, 0x3F};
    seeds.push_back(restarted.Join());
    // Subsampled colour: the smoothed and the region reads of the target.
    seeds.push_back(CraftColour(40, 24, 2, 2).Join());
    seeds.push_back(CraftColour(24, 17, 2, 1).Join());
    RunMutations(seeds, 3000, 12345u);
}

} // namespace
