#include <gtest/gtest.h>

#include <string>

#include "media_types.h"

TEST(MediaTypes, TheLastExtensionDecidesInAnyCase)
{
    struct Case {
        const char *path;
        int type;
    } cases[] = {
        {"song.mp3", MEDIA_MCI_AUDIO},
        {"C:\\Music\\Song.MP3", MEDIA_MCI_AUDIO},
        {"archive.tar.mp3", MEDIA_MCI_AUDIO},
        {"song.mp3.avi", MEDIA_MCI_VIDEO},
        {"tune.MoD", MEDIA_MODULE},
        {"tune.xm", MEDIA_MODULE},
        {"tune.it", MEDIA_MODULE},
        {"list.SPL", MEDIA_PLAYLIST},
        {"README", MEDIA_PLAYLIST},      // no dot
        {"notes.txt", MEDIA_PLAYLIST},   // unknown
        {"movie.mpeg", MEDIA_MCI_VIDEO}, // not cut to ".mpe" or taken for ".mp"
        {"piece.midi", MEDIA_MCI_AUDIO},
        {"tune.m", MEDIA_PLAYLIST},      // a prefix of an extension is no match
    };
    for (const Case &c : cases)
        EXPECT_EQ(GetMediaType(c.path), c.type) << c.path;
}

TEST(MediaTypes, AnOverlongPathIsReadWithoutOverrun)
{
    std::string path(1000, 'a');
    path += ".mp3";
    // Only the first 259 characters are looked at: no extension among them.
    EXPECT_EQ(GetMediaType(path.c_str()), MEDIA_PLAYLIST);
}

