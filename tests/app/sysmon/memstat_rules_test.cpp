#include <gtest/gtest.h>

#include <string>

#include "memstat_rules.h"

TEST(MemStatSettings, StoredTextRoundTripsAndShortTextKeepsTheRest)
{
    MemStatSettings s = {};
    SetMemStatDefaults(&s);
    ParseMemStatSettings("30 40 250 120 1 0 204", &s);
    char text[128];
    FormatMemStatSettings(s, text, sizeof text);
    EXPECT_STREQ(text, "30 40 250 120 1 0 204");
    ParseMemStatSettings("5 6 x 9", &s);
    EXPECT_EQ(s.x, 5);
    EXPECT_EQ(s.y, 6);
    EXPECT_EQ(s.width, 250);
    EXPECT_EQ(s.alpha, 204);
}

TEST(MemStatRows, TwoProcessorsAndOneDiskMakeFiveRowsInTipOrder)
{
    int32_t disks[] = {100 - 35};
    int32_t cpus[] = {12, -4000};
    MeterInput in = {200, 103, 40, 10, 1, disks, 2, cpus};
    MeterRow rows[METER_MAX_ROWS];
    char tip[METER_TIP_CHARS];
    ASSERT_EQ(LayoutMeterRows(in, rows, METER_MAX_ROWS, tip, sizeof tip), 5);
    EXPECT_STREQ(tip, "PHYS MEM (RED) : 40%\r\nPAGE MEM (GREEN) : 10%\r\n"
                      "DISK LOAD(0) (PURPLE) : 35%\r\nCPU LOAD(0) (BLUE) : 12%\r\n"
                      "CPU LOAD(1) (BLUE) : 0%");
    EXPECT_EQ(disks[0], 35); // turned into the busy share in place
    // 103 pixels over 5 rows: 20 each, the last processor row takes the rest.
    EXPECT_EQ(rows[0].bottom, 20);
    EXPECT_EQ(rows[2].top, 40);
    EXPECT_EQ(rows[4].top, 80);
    EXPECT_EQ(rows[4].bottom, 103);
    EXPECT_EQ(rows[0].fillRight, 80);
    EXPECT_EQ(rows[2].fillRight, 70);
    EXPECT_EQ(rows[4].fillRight, 0);
    EXPECT_EQ(rows[4].percent, 0);
    EXPECT_TRUE(rows[0].showText);
    // Shades grow with the load from 155.
    EXPECT_EQ(rows[0].red, 155 + 40);
    EXPECT_EQ(rows[2].red, 155 + 35);
    EXPECT_EQ(rows[3].blue, 155 + 12);
}

TEST(MemStatRows, FailedCountersAddNoRowsAndShortRowsNoText)
{
    MeterInput in = {100, 15, 50, 50, -1, nullptr, -1, nullptr};
    MeterRow rows[METER_MAX_ROWS];
    char tip[METER_TIP_CHARS];
    ASSERT_EQ(LayoutMeterRows(in, rows, METER_MAX_ROWS, tip, sizeof tip), 2);
    EXPECT_EQ(rows[1].bottom, 14);
    EXPECT_FALSE(rows[0].showText);
    // Very many rows: the tip is cut and stays terminated.
    int32_t cpus[128] = {};
    MeterInput many = {100, 1000, 1, 1, 0, nullptr, 128, cpus};
    char small[100];
    EXPECT_EQ(LayoutMeterRows(many, rows, METER_MAX_ROWS, small, sizeof small), 130);
    EXPECT_LT(std::string(small).size(), sizeof small);
    EXPECT_EQ(MemoryLoadPercent(25, 100), 75);
    EXPECT_EQ(MemoryLoadPercent(1, 0), 0);
}
