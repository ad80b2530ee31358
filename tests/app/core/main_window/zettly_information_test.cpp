#include <gtest/gtest.h>

#include <string>

#include "core/main_window/zettly_information.h"

namespace {
std::string Format(const ZettlyInformation &info)
{
    char text[1024];
    int length = FormatZettlyInformation(&info, text, sizeof text);
    EXPECT_GE(length, 0);
    return length >= 0 ? std::string(text, (size_t)length) : std::string();
}
} // namespace

TEST(ZettlyInformationBox, ReportsFilesPeriodLastSaveAndUsage)
{
    ZettlyInformation info = {"C:\\data", 600000, 9, 5, 7, 3, 11, 2026, 51};
    std::string text = Format(info);
    EXPECT_NE(text.find("Zettly Record File\t\t: C:\\data\\zettly.rec\r\n"), std::string::npos);
    EXPECT_NE(text.find("Zettly String File\t\t: C:\\data\\zettly.str\r\n"), std::string::npos);
    EXPECT_NE(text.find("saved every\t: 10 minutes\r\n"), std::string::npos);
    EXPECT_NE(text.find("occured at\t: 09:05.07\t03/(11)November/2026\r\n"), std::string::npos);
    EXPECT_NE(text.find("(51/255)\t20% of available zettlies are used."), std::string::npos);
}

TEST(ZettlyInformationBox, NoAutoSaveSaysNotActive)
{
    ZettlyInformation info = {"C:\\data", 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_NE(Format(info).find(": 0 minutes (Not Active)\r\n"), std::string::npos);
    info.autoSavePeriodMs = -60000;
    EXPECT_NE(Format(info).find(": 0 minutes (Not Active)\r\n"), std::string::npos);
}

TEST(ZettlyInformationBox, MonthNameOnlyForRealMonths)
{
    EXPECT_STREQ(MonthName(1), "January");
    EXPECT_STREQ(MonthName(12), "December");
    EXPECT_STREQ(MonthName(0), "");
    EXPECT_STREQ(MonthName(13), "");
    EXPECT_STREQ(MonthName(-5), "");
    // An unreadable record file gives all zeros.
    ZettlyInformation info = {"C:\\data", 600000, 0, 0, 0, 0, 0, 0, 3};
    EXPECT_NE(Format(info).find("00:00.00\t00/(00)/0000"), std::string::npos);
}

TEST(ZettlyInformationBox, LongFolderDoesNotOverrun)
{
    std::string folder(2000, 'x');
    ZettlyInformation info = {folder.c_str(), 600000, 0, 0, 0, 0, 0, 0, 0};
    char text[256];
    EXPECT_EQ(FormatZettlyInformation(&info, text, sizeof text), -1);
}
