#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "player_text.h"
#include "track_info.h"

TEST(PlayerText, StatusShowsTheRowFromOneAndMinutesAndSeconds)
{
    char text[32];
    FormatStatusText(text, sizeof text, 2, 65999);
    EXPECT_STREQ(text, "[3]   1:05");
    FormatStatusText(text, sizeof text, 0, 3600000);
    EXPECT_STREQ(text, "[1]  60:00");
}

TEST(PlayerText, TheTipListsWhatTheTagsGiveWithoutATrailingLineFeed)
{
    TrackInfo info = {};
    info.year = -1;
    strcpy(info.title, "Song");
    strcpy(info.artist, "Band");
    char tip[TIP_TEXT_BYTES];
    FormatTrackTip(tip, sizeof tip, &info);
    EXPECT_STREQ(tip, "Title:     Song\nArtist:   Band");
    strcpy(info.album, "Record");
    info.year = 0;
    FormatTrackTip(tip, sizeof tip, &info);
    EXPECT_STREQ(tip, "Title:     Song\nAlbum:  Record\nArtist:   Band\nYear:    0000");
    TrackInfo empty = {};
    empty.year = -1;
    FormatTrackTip(tip, sizeof tip, &empty);
    EXPECT_STREQ(tip, "");
}

TEST(PlayerText, AnMciFileNameIsQuotedSoBlanksStayInIt)
{
    char command[128];
    ASSERT_EQ(FormatMciFileCommand(command, sizeof command, "open", "C:\\My Music\\out.wav", "REC"), 0);
    EXPECT_STREQ(command, "open \"C:\\My Music\\out.wav\" alias REC");
    EXPECT_EQ(FormatMciFileCommand(command, sizeof command, "open", "bad\"name.wav", "REC"), -1);
    EXPECT_EQ(FormatMciFileCommand(command, 16, "open", "C:\\long path.wav", "REC"), -1);
}
