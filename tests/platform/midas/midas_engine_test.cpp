#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "midas_engine.h"
#include "test_module.h"

namespace {

const int Rate = 44100;
const int TickFrames = Rate / 50; // 125 BPM: 50 ticks a second

struct EngineFixture : ::testing::Test {
    std::string path;
    MidasEngine engine;
    MidasTune *tune = nullptr;

    void SetUp() override
    {
        path = ::testing::TempDir() + "midas_engine_test_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".mod";
        ASSERT_TRUE(WriteTestModule(path, "Test Tune", 4, 1));
        MidasEngineReset(&engine);
        tune = MidasEngineLoad(path.c_str());
        ASSERT_NE(tune, nullptr);
    }
    void TearDown() override
    {
        MidasEngineFree(&engine, tune);
        remove(path.c_str());
    }
    MidasSongStatus RenderTicks(int ticks, std::vector<short> *sound = nullptr)
    {
        std::vector<short> samples(TickFrames * 2);
        for (int i = 0; i < ticks; ++i) {
            MidasEngineRender(&engine, samples.data(), TickFrames);
            if (sound)
                sound->insert(sound->end(), samples.begin(), samples.end());
        }
        MidasSongStatus status;
        MidasEngineStatus(tune, &status);
        return status;
    }
};

bool Silent(const std::vector<short> &samples)
{
    for (short s : samples)
        if (s != 0)
            return false;
    return true;
}

TEST_F(EngineFixture, ReportsTheNameAndLengthOfTheModule)
{
    MidasSongInfo info;
    ASSERT_EQ(MidasEngineInfo(tune, &info), 0);
    EXPECT_STREQ(info.songName, "Test Tune");
    EXPECT_EQ(info.songLength, 4);
    EXPECT_EQ(info.numPatterns, 4);
    EXPECT_EQ(info.numChannels, 4);
}

TEST_F(EngineFixture, PlayingAdvancesThroughEveryPositionAndCountsTheLoopAtTheEnd)
{
    ASSERT_EQ(MidasEnginePlay(&engine, tune), 0);
    // Each position lasts one row of one tick: four positions, then the song
    // starts over, which the loop count reports.
    std::vector<int> seen;
    MidasSongStatus status = {};
    for (int tick = 0; tick < 50 && status.songLoopCount == 0; ++tick) {
        status = RenderTicks(1);
        if (seen.empty() || seen.back() != status.position)
            seen.push_back(status.position);
    }
    EXPECT_GT(status.songLoopCount, 0);
    ASSERT_GE(seen.size(), 4u);
    EXPECT_EQ(std::vector<int>(seen.begin(), seen.begin() + 4), (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(EngineFixture, SuspendHoldsThePlaceAndSilencesAndResumeGoesOn)
{
    ASSERT_EQ(MidasEnginePlay(&engine, tune), 0);
    std::vector<short> sound;
    MidasSongStatus before = RenderTicks(2, &sound);
    EXPECT_FALSE(Silent(sound));

    engine.suspended = 1;
    sound.clear();
    MidasSongStatus held = RenderTicks(3, &sound);
    EXPECT_TRUE(Silent(sound));
    EXPECT_EQ(held.position, before.position);
    EXPECT_EQ(held.row, before.row);

    engine.suspended = 0;
    MidasSongStatus after = RenderTicks(1);
    EXPECT_EQ(after.position, (before.position + 1) % 4);
}

TEST_F(EngineFixture, StopAndFreeLeaveNothingPlaying)
{
    ASSERT_EQ(MidasEnginePlay(&engine, tune), 0);
    RenderTicks(1);
    EXPECT_EQ(MidasEngineStop(&engine, tune), 0);
    EXPECT_EQ(engine.playing, nullptr);
    EXPECT_EQ(MidasEngineStop(&engine, tune), -1);
    std::vector<short> sound;
    RenderTicks(1, &sound);
    EXPECT_TRUE(Silent(sound));
    // Playing again starts from the top.
    ASSERT_EQ(MidasEnginePlay(&engine, tune), 0);
    EXPECT_EQ(RenderTicks(1).position, 0);
}

TEST(MidasEngine, RefusesWhatIsNoModule)
{
    std::string path = ::testing::TempDir() + "midas_engine_not_a_module.mod";
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    fputs("this is plain text, not music", file);
    fclose(file);
    EXPECT_EQ(MidasEngineLoad(path.c_str()), nullptr);
    EXPECT_EQ(MidasEngineLoad((::testing::TempDir() + "no such file.mod").c_str()), nullptr);
    remove(path.c_str());
}

} // namespace
