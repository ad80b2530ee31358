#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "playlist_format.h"
#include "scratch_file.h"

namespace {

std::vector<std::string> ReadLines(const std::string &bytes)
{
    FILE *file = OpenScratchFile();
    if (!file) {
        ADD_FAILURE() << "no scratch file";
        return {};
    }
    fwrite(bytes.data(), 1, bytes.size(), file);
    rewind(file);
    std::vector<std::string> lines;
    char line[PLAYLIST_LINE_CHARS];
    while (ReadPlaylistLine(file, line) == 0)
        lines.push_back(line);
    fclose(file);
    return lines;
}

} // namespace

TEST(PlaylistFile, WrittenRowsReadBackWithTheHeaderFirst)
{
    struct Row {
        std::string text, path;
    } rows[] = {{"First Song", "C:\\Music\\First Song.mp3"},
                {"", ""},
                {"Tune", "D:\\mods\\tune.mod"}};
    std::string file = PLAYLIST_HEADER "\n";
    for (const Row &r : rows) {
        char line[PLAYLIST_LINE_CHARS];
        ASSERT_EQ(FormatPlaylistLine(line, sizeof line, r.text.c_str(), r.path.c_str()), 0);
        file += line;
        file += "\n";
    }
    std::vector<std::string> lines = ReadLines(file);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], PLAYLIST_HEADER);
    for (int i = 0; i < 3; ++i) {
        char text[PLAYLIST_LINE_CHARS], path[PLAYLIST_PATH_CHARS];
        ASSERT_EQ(SplitPlaylistLine(lines[i + 1].c_str(), text, sizeof text, path, sizeof path), 0);
        EXPECT_EQ(text, rows[i].text);
        EXPECT_EQ(path, rows[i].path);
    }
}

TEST(PlaylistFile, LinesDropCarriageReturnsAndEndAtLineFeedOrEndOfTransmission)
{
    std::vector<std::string> lines = ReadLines(PLAYLIST_HEADER "\r\nA*a.mp3\x04"
                                                               "B*\rb.mp3\nC*c.mp3");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], PLAYLIST_HEADER);
    EXPECT_EQ(lines[1], "A*a.mp3");
    EXPECT_EQ(lines[2], "B*b.mp3");
    EXPECT_EQ(lines[3], "C*c.mp3"); // the last line needs no line end
}

TEST(PlaylistFile, AnOverlongLineGoesOnAsTheNextLine)
{
    std::string longLine(PLAYLIST_LINE_CHARS + 20, 'x');
    std::vector<std::string> lines = ReadLines(longLine + "\nnext\n");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), (size_t)PLAYLIST_LINE_CHARS - 1);
    EXPECT_EQ(lines[0].size() + lines[1].size(), longLine.size());
    EXPECT_EQ(lines[2], "next");
}

TEST(PlaylistFile, ALineSplitsAtItsFirstStar)
{
    char text[64], path[PLAYLIST_PATH_CHARS];
    ASSERT_EQ(SplitPlaylistLine("a*b*c", text, sizeof text, path, sizeof path), 0);
    EXPECT_STREQ(text, "a");
    EXPECT_STREQ(path, "b*c");
    ASSERT_EQ(SplitPlaylistLine("no star", text, sizeof text, path, sizeof path), 0);
    EXPECT_STREQ(text, "no star");
    EXPECT_STREQ(path, "");
}

TEST(PlaylistFile, APathTooLongForAnEntryIsRefused)
{
    std::string fits = "t*" + std::string(PLAYLIST_PATH_CHARS - 1, 'p');
    std::string tooLong = "t*" + std::string(PLAYLIST_PATH_CHARS, 'p');
    char text[64], path[PLAYLIST_PATH_CHARS];
    EXPECT_EQ(SplitPlaylistLine(fits.c_str(), text, sizeof text, path, sizeof path), 0);
    EXPECT_EQ(strlen(path), (size_t)PLAYLIST_PATH_CHARS - 1);
    EXPECT_EQ(SplitPlaylistLine(tooLong.c_str(), text, sizeof text, path, sizeof path), -1);
    std::string longText = std::string(64, 'x') + "*p";
    EXPECT_EQ(SplitPlaylistLine(longText.c_str(), text, sizeof text, path, sizeof path), -1);
    char small[8];
    EXPECT_EQ(FormatPlaylistLine(small, sizeof small, "abc", "defg"), -1);
}

TEST(PlaylistFile, ANameWithoutADotGetsTheExtension)
{
    char name[32] = "mylist";
    ASSERT_EQ(AddPlaylistExtension(name, sizeof name), 0);
    EXPECT_STREQ(name, "mylist.SPL");
    char dotted[32] = "my.list";
    ASSERT_EQ(AddPlaylistExtension(dotted, sizeof dotted), 0);
    EXPECT_STREQ(dotted, "my.list");
    char full[8] = "abcdef";
    EXPECT_EQ(AddPlaylistExtension(full, sizeof full), -1);
    EXPECT_STREQ(full, "abcdef");
}

namespace {
std::vector<int> Randoms;
size_t NextRandomIndex;
int ScriptedRandom()
{
    int value = Randoms[NextRandomIndex % Randoms.size()];
    ++NextRandomIndex;
    return value;
}
} // namespace

TEST(Shuffle, EveryRowPlaysOnceBeforeAnyRepeats)
{
    // Whatever the random numbers, a round of n picks covers every row.
    for (std::vector<int> script : {std::vector<int>{0}, std::vector<int>{4}, std::vector<int>{3, 3, 1, 7, 2},
                                    std::vector<int>{12345, 99, 5}}) {
        Randoms = script;
        NextRandomIndex = 0;
        std::vector<PlaylistEntry> rows(5);
        std::vector<PlaylistEntry *> entries;
        for (PlaylistEntry &e : rows)
            entries.push_back(&e);
        for (int round = 0; round < 3; ++round) {
            std::set<int> picked;
            for (int i = 0; i < 5; ++i) {
                int row = PickRandomTrack(entries.data(), 5, ScriptedRandom);
                ASSERT_GE(row, 0);
                ASSERT_LT(row, 5);
                picked.insert(row);
            }
            EXPECT_EQ(picked.size(), 5u) << "round " << round << " with script starting " << script[0];
        }
    }
}

TEST(Shuffle, OneRowIsAlwaysRowZeroAndNoRowsGiveNone)
{
    PlaylistEntry only = {};
    PlaylistEntry *entries[] = {&only};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(PickRandomTrack(entries, 1, rand), 0);
    EXPECT_EQ(PickRandomTrack(entries, 0, rand), -1);
}

namespace {
// Rows of a list of which some will not play.
struct ShuffledList {
    std::vector<PlaylistEntry> rows;
    std::vector<PlaylistEntry *> entries;
    std::set<int> broken;
    std::vector<int> tried;
    explicit ShuffledList(int count, std::set<int> brokenRows) : rows(count), broken(brokenRows)
    {
        for (PlaylistEntry &e : rows)
            entries.push_back(&e);
    }
    static int Start(int row, void *context)
    {
        auto *list = (ShuffledList *)context;
        list->tried.push_back(row);
        return list->broken.count(row) ? -1 : 0;
    }
    int Next(int last)
    {
        return StartShuffledRow(entries.data(), (int)entries.size(), ScriptedRandom, last, Start, this);
    }
};
} // namespace

TEST(Shuffle, ARoundPlaysEveryPlayableRowOncePassingOverRowsThatDoNotPlay)
{
    std::vector<std::vector<int>> scripts = {{0}, {5}, {1, 4, 4, 2}, {3, 3, 0, 9, 1, 7}, {4}};
    // And many more runs of numbers, the same on every machine.
    std::mt19937 numbers(43);
    for (int run = 0; run < 200; ++run) {
        std::vector<int> script;
        for (int i = 0; i < 64; ++i)
            script.push_back((int)(numbers() % 1000));
        scripts.push_back(script);
    }
    for (const std::vector<int> &script : scripts) {
        Randoms = script;
        NextRandomIndex = 0;
        ShuffledList list(6, {1, 4});
        std::vector<int> played;
        for (int i = 0; i < 4 * 5; ++i) {
            int row = list.Next(played.empty() ? -1 : played.back());
            ASSERT_GE(row, 0);
            EXPECT_EQ(list.broken.count(row), 0u);
            if (!played.empty()) {
                EXPECT_NE(row, played.back()) << "a row played twice in a row, script " << script[0];
            }
            played.push_back(row);
        }
        for (size_t round = 0; round < played.size(); round += 4) {
            std::set<int> rows(played.begin() + round, played.begin() + round + 4);
            EXPECT_EQ(rows, (std::set<int>{0, 2, 3, 5})) << "round " << round / 4 << ", script " << script[0];
        }
    }
}

TEST(Shuffle, NoRoundOpensWithTheRowThatClosedTheLastHoweverManyRowsWillNotPlay)
{
    // Rows that will not play are met at the end of one round and again at
    // the start of the next, within one pick: as many as half the list.
    std::mt19937 numbers(7);
    for (int run = 0; run < 300; ++run) {
        int count = 6 + run % 2;
        std::vector<int> order(count);
        for (int i = 0; i < count; ++i)
            order[i] = i;
        std::shuffle(order.begin(), order.end(), numbers);
        std::set<int> broken(order.begin(), order.begin() + 3);
        Randoms.clear();
        for (int i = 0; i < 256; ++i)
            Randoms.push_back((int)(numbers() % 32768));
        NextRandomIndex = 0;
        ShuffledList list(count, broken);
        int playable = count - 3;
        std::vector<int> played;
        for (int i = 0; i < playable * 10; ++i) {
            int row = list.Next(played.empty() ? -1 : played.back());
            ASSERT_GE(row, 0);
            ASSERT_EQ(broken.count(row), 0u);
            ASSERT_TRUE(played.empty() || row != played.back())
                << "run " << run << ": row " << row << " twice in a row after " << i << " tracks";
            played.push_back(row);
        }
        for (size_t round = 0; round < played.size(); round += playable)
            EXPECT_EQ(std::set<int>(played.begin() + round, played.begin() + round + playable).size(),
                      (size_t)playable)
                << "run " << run << ", round " << round / playable;
    }
}

TEST(Shuffle, TheOnlyRowThatPlaysComesAgainAndNoneThatPlaysEndsTheRound)
{
    for (std::vector<int> script : {std::vector<int>{0}, std::vector<int>{2}, std::vector<int>{1, 2}}) {
        Randoms = script;
        NextRandomIndex = 0;
        ShuffledList list(3, {0, 1});
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(list.Next(2), 2) << "script " << script[0];
    }
    ShuffledList dead(3, {0, 1, 2});
    EXPECT_EQ(dead.Next(-1), -1);
    EXPECT_EQ(std::set<int>(dead.tried.begin(), dead.tried.end()), (std::set<int>{0, 1, 2}));
    ShuffledList empty(0, {});
    EXPECT_EQ(empty.Next(-1), -1);
}
