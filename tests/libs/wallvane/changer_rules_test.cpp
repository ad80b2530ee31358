#include <gtest/gtest.h>

#include <cstring>

#include "changer_rules.h"

TEST(ChangerSettingsText, ReadsUpToFourNumbersAndKeepsTheRest)
{
    ChangerSettings s;
    SetDefaultChangerSettings(&s);
    ParseChangerVars("25 0 1 0", 8, &s);
    EXPECT_EQ(s.refreshMinutes, 25);
    EXPECT_EQ(s.sharpen, 0);
    EXPECT_EQ(s.sharpenMore, 1);
    EXPECT_EQ(s.bilinear, 0);

    SetDefaultChangerSettings(&s);
    ParseChangerVars("5 x 1 1", 7, &s);
    EXPECT_EQ(s.refreshMinutes, 5);
    EXPECT_EQ(s.sharpen, 1) << "from the first number that does not parse, values stay";
    EXPECT_EQ(s.sharpenMore, 0);

    SetDefaultChangerSettings(&s);
    ParseChangerVars("99999 1", 7, &s);
    EXPECT_EQ(s.refreshMinutes, 720);
    ParseChangerVars("-4", 2, &s);
    EXPECT_EQ(s.refreshMinutes, 0);

    char unterminated[3] = {'4', '2', '7'};
    ParseChangerVars(unterminated, 2, &s);
    EXPECT_EQ(s.refreshMinutes, 42);

    char text[32];
    ASSERT_GT(FormatChangerVars(&s, text, sizeof text), 0);
    EXPECT_STREQ(text, "42 1 0 1");
}

TEST(ChangerMenuRules, SharpenCommandsStayExclusive)
{
    ChangerSettings s = {10, 1, 0, 1};
    ToggleSharpenMore(&s);
    EXPECT_EQ(s.sharpen, 0);
    EXPECT_EQ(s.sharpenMore, 1);
    ToggleSharpen(&s);
    EXPECT_EQ(s.sharpen, 1);
    EXPECT_EQ(s.sharpenMore, 0);
    ToggleSharpen(&s);
    EXPECT_EQ(s.sharpen, 0);
    EXPECT_EQ(s.sharpenMore, 0);
}

TEST(ChangerMenuRules, LoadingImagesItemShowsTheFolder)
{
    char out[64];
    ASSERT_TRUE(FormatLoadingImagesItem("Loading Images @", "D:\\pictures", out, sizeof out));
    EXPECT_STREQ(out, "Loading Images @ D:\\pictures");
    ASSERT_TRUE(FormatLoadingImagesItem("Loading Images @ C:\\old", "D:\\new", out, sizeof out));
    EXPECT_STREQ(out, "Loading Images @ D:\\new");
    ASSERT_TRUE(FormatLoadingImagesItem("No folder here", "D:\\pictures", out, sizeof out));
    EXPECT_STREQ(out, "No folder here");
    char small[8];
    EXPECT_FALSE(FormatLoadingImagesItem("Loading Images @", "D:\\pictures", small, sizeof small));
}

TEST(NextPicture, FollowsTheLastOneAndWrapsAround)
{
    const char *names[] = {"A.JPG", "b.jpg", "C.jpg"};
    EXPECT_EQ(ChooseNextImage(names, 3, ""), 0) << "no record of the last picture";
    EXPECT_EQ(ChooseNextImage(names, 3, "A.JPG"), 1);
    EXPECT_EQ(ChooseNextImage(names, 3, "a.jpg"), 1) << "letter case does not matter";
    EXPECT_EQ(ChooseNextImage(names, 3, "C.JPG"), 0) << "after the last comes the first";
    EXPECT_EQ(ChooseNextImage(names, 3, "b.jpg\r\n"), 0) << "a line end never matches";
    EXPECT_EQ(ChooseNextImage(names, 0, "x"), -1);
}

TEST(NextPicture, OnlyRealJpegExtensionsCount)
{
    EXPECT_TRUE(HasJpegExtension("a.jpg"));
    EXPECT_TRUE(HasJpegExtension("B.JPEG"));
    EXPECT_FALSE(HasJpegExtension("x.jpgx"));
    EXPECT_FALSE(HasJpegExtension("jpg"));
    EXPECT_FALSE(HasJpegExtension("a.jpg.txt"));
}

TEST(PictureSizes, FitToTheDesktopKeepingTheShape)
{
    int w, h;
    ASSERT_EQ(FitToDesktop(400, 300, 1024, 768, &w, &h), 0);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    ASSERT_EQ(FitToDesktop(4000, 1000, 1024, 768, &w, &h), 0);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 256);
    ASSERT_EQ(FitToDesktop(60000, 1, 1024, 768, &w, &h), 0);
    EXPECT_EQ(h, 1) << "never rounds to nothing";
    EXPECT_EQ(FitToDesktop(0, 10, 1024, 768, &w, &h), -1);
}

TEST(PictureSizes, BufferSizesNeverWrapAround)
{
    EXPECT_EQ(PaddedRowBytes(5, 3), 16u);
    EXPECT_EQ(PaddedRowBytes(4, 3), 12u);
    EXPECT_EQ(ImageBytes(5, 2, 3), 32u);
    EXPECT_EQ(ImageBytes(65535, 65535, 4), 0u) << "beyond the cap";
    EXPECT_EQ(ImageBytes(0x7FFFFFFF, 2, 3), 0u);
    EXPECT_EQ(ImageBytes(10, -3, 3), 0u);
}

TEST(UpperCase, OnlyAsciiLettersChange)
{
    char text[] = "abc.Jpg\xE9";
    UpperCaseAscii(text);
    EXPECT_STREQ(text, "ABC.JPG\xE9");
}
