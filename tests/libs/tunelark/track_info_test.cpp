#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "track_info.h"

namespace {

typedef std::vector<unsigned char> Bytes;

Bytes Text(const std::string &s)
{
    return Bytes(s.begin(), s.end());
}

void PutSize(Bytes &out, unsigned size, bool synchsafe)
{
    for (int shift = 3; shift >= 0; --shift)
        out.push_back(synchsafe ? (size >> (7 * shift)) & 0x7F : (size >> (8 * shift)) & 0xFF);
}

// One frame of a version 3 or 4 tag: encoding byte, then the text bytes.
Bytes Frame(const char *id, int version, int encoding, const Bytes &text)
{
    Bytes out = Text(id);
    PutSize(out, (unsigned)text.size() + 1, version == 4);
    out.push_back(0);
    out.push_back(0);
    out.push_back((unsigned char)encoding);
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

Bytes Tag(int version, const std::vector<Bytes> &frames, int padding = 0)
{
    Bytes body;
    for (const Bytes &f : frames)
        body.insert(body.end(), f.begin(), f.end());
    body.resize(body.size() + padding, 0);
    Bytes out = Text("ID3");
    out.push_back((unsigned char)version);
    out.push_back(0);
    out.push_back(0);
    PutSize(out, (unsigned)body.size(), true);
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

struct TrackFile {
    std::string path;
    // In the current folder when asked, so that the name is the whole path:
    // the reader takes '/' for the artist's separator, not a folder's.
    explicit TrackFile(const Bytes &bytes, const std::string &name = "track.mp3", bool here = false)
    {
        path = (here ? "" : ::testing::TempDir()) + name;
        FILE *f = fopen(path.c_str(), "wb");
        if (f) {
            fwrite(bytes.data(), 1, bytes.size(), f);
            fclose(f);
        }
    }
    ~TrackFile() { remove(path.c_str()); }
};

TrackInfo Read(const std::string &path)
{
    TrackInfo info = {};
    info.year = -1;
    EXPECT_EQ(ReadTrackInfo(path.c_str(), &info), 0);
    return info;
}

Bytes Audio(size_t n)
{
    return Bytes(n, 0x55);
}

} // namespace

TEST(TrackInfo, Version3FrameSizesArePlainAndVersion4SizesSynchsafe)
{
    // A 200-character title: its size byte 0xC9 has the top bit set, which a
    // synchsafe reading of a version 3 size would get wrong, and the reverse.
    std::string longTitle(200, 'T');
    for (int version : {3, 4}) {
        Bytes file = Tag(version, {Frame("TIT2", version, 0, Text(longTitle)),
                                   Frame("TPE1", version, 0, Text("The Band")),
                                   Frame("TALB", version, 0, Text("First Album")),
                                   Frame("TYER", version, 0, Text("1987"))},
                         16);
        Bytes audio = Audio(64);
        file.insert(file.end(), audio.begin(), audio.end());
        TrackFile track(file);
        TrackInfo info = Read(track.path);
        EXPECT_EQ(std::string(info.title), longTitle) << "version " << version;
        EXPECT_STREQ(info.artist, "The Band") << "version " << version;
        EXPECT_STREQ(info.album, "First Album") << "version " << version;
        EXPECT_EQ(info.year, 1987) << "version " << version;
    }
}

TEST(TrackInfo, Utf16AndUtf8TextBecomeEightBitCharacters)
{
    // UTF-16 with a byte-order mark, UTF-16 big-endian without, and UTF-8.
    Bytes le = {0xFF, 0xFE, 'C', 0, 'a', 0, 'f', 0, 0xE9, 0, 0, 0};
    Bytes be = {0, 'N', 0, 0xF6, 0, 'r', 0, 'd'};
    Bytes utf8 = {'M', 0xC3, 0xBC, 'n', 'z', 0xE2, 0x82, 0xAC};
    TrackFile track(Tag(4, {Frame("TIT2", 4, 1, le), Frame("TPE1", 4, 2, be), Frame("TALB", 4, 3, utf8)}));
    TrackInfo info = Read(track.path);
    EXPECT_STREQ(info.title, "Caf\xE9");
    EXPECT_STREQ(info.artist, "N\xF6rd");
    EXPECT_STREQ(info.album, "M\xFCnz?"); // the euro sign has no 8-bit code here
}

TEST(TrackInfo, ATagWithoutKnownFramesKeepsTheTitleEmpty)
{
    TrackFile track(Tag(3, {Frame("COMM", 3, 0, Text("eng just a comment"))}), "Band_-_Song.mp3");
    TrackInfo info = Read(track.path);
    EXPECT_STREQ(info.title, "");
    EXPECT_EQ(info.year, -1);
}

TEST(TrackInfo, AFrameLongerThanTheTagEndsTheWalkWithoutReadingPastIt)
{
    Bytes file = Tag(3, {Frame("TIT2", 3, 0, Text("Kept"))});
    Bytes bad = Text("TPE1");
    PutSize(bad, 0x7FFFFFF0, false);
    bad.insert(bad.end(), {0, 0, 0, 'X'});
    // The tag's own size covers the bad frame header only.
    file.insert(file.end(), bad.begin(), bad.end());
    unsigned size = (unsigned)file.size() - 10;
    for (int i = 0; i < 4; ++i)
        file[6 + i] = (size >> (7 * (3 - i))) & 0x7F;
    TrackFile track(file);
    TrackInfo info = Read(track.path);
    EXPECT_STREQ(info.title, "Kept");
    EXPECT_STREQ(info.artist, "");
}

TEST(TrackInfo, Id3v1FieldsKeepTheirOwnBytesAndTheYearIsFourDigits)
{
    Bytes trailer = Text("TAG");
    std::string title(30, 'A');            // fills its field: no NUL follows
    std::string artist = "Singer        "; // trailing blanks go
    artist.resize(30, ' ');
    trailer.insert(trailer.end(), title.begin(), title.end());
    trailer.insert(trailer.end(), artist.begin(), artist.end());
    trailer.resize(93, 0); // album
    for (char c : std::string("1999"))
        trailer.push_back((unsigned char)c);
    for (char c : std::string("42 comment"))
        trailer.push_back((unsigned char)c); // digits right after the year
    trailer.resize(128, 0);
    Bytes file = Audio(300);
    file.insert(file.end(), trailer.begin(), trailer.end());
    TrackFile track(file);
    TrackInfo info = Read(track.path);
    EXPECT_EQ(std::string(info.title), title);
    EXPECT_STREQ(info.artist, "Singer");
    EXPECT_EQ(info.year, 1999);

    // A year of zeros is unknown.
    for (int i = 0; i < 4; ++i)
        file[file.size() - 128 + 93 + i] = '0';
    TrackFile zero(file, "zero.mp3");
    EXPECT_EQ(Read(zero.path).year, -1);
}

TEST(TrackInfo, WithoutTagsTheFileNameGivesTheTitle)
{
    TrackFile track(Audio(500), "My_Band_-_Tune.wav", true);
    TrackInfo info = Read(track.path);
    EXPECT_STREQ(info.title, "My Band - Tune");
    EXPECT_STREQ(info.artist, "");

    TrackInfo split = {};
    TrackInfoFromFileName("C:\\music\\Some_Band/Their_Song.mp3", &split);
    EXPECT_STREQ(split.artist, "Some Band");
    EXPECT_STREQ(split.title, "Their Song");
}

TEST(TrackInfo, AMissingFileIsReported)
{
    TrackInfo info = {};
    info.year = -1;
    EXPECT_EQ(ReadTrackInfo((::testing::TempDir() + "no such track.mp3").c_str(), &info), 1);
    EXPECT_EQ(ReadId3v2Tag((::testing::TempDir() + "no such track.mp3").c_str(), &info), 1);
}
