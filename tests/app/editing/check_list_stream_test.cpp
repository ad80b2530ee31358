// The check-list item stream: what the notes file holds for each note's list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "editing/check_list_stream.h"
#include "scratch_file.h"

namespace {

std::vector<CheckListEntry> Read(const std::string &bytes, int *result, size_t *consumed)
{
    std::vector<CheckListEntry> items;
    *result = ReadCheckListStream((const uint8_t *)bytes.data(), bytes.size(), &items, consumed);
    return items;
}

// The bytes that TakeCheckListBytes takes from a file holding these bytes,
// and where it leaves the file.
std::string TakeFromFile(const std::string &bytes, int *result, long *position)
{
    FILE *file = OpenScratchFile();
    if (!file) {
        ADD_FAILURE() << "no scratch file";
        *result = -2;
        *position = -1;
        return "";
    }
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::rewind(file);
    std::string taken;
    *result = TakeCheckListBytes(file, &taken);
    *position = std::ftell(file);
    std::fclose(file);
    return taken;
}

} // namespace

TEST(CheckListStream, ItemsRoundTripWithTheirFlags)
{
    std::string out;
    AppendCheckListEntry(&out, true, "abc", 3);
    AppendCheckListEntry(&out, false, "xyz", 3);
    EXPECT_EQ(out, std::string("1,abc\0" "0,xyz\0", 12));

    out.push_back(0); // the saver ends the note's list
    int result;
    size_t consumed;
    std::vector<CheckListEntry> items = Read(out + "1,next\0\0", &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    EXPECT_EQ(consumed, 13u);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].checked);
    EXPECT_EQ(items[0].text, "abc");
    EXPECT_FALSE(items[1].checked);
    EXPECT_EQ(items[1].text, "xyz");
}

TEST(CheckListStream, EmptyListsAndEmptyItems)
{
    int result;
    size_t consumed;
    EXPECT_TRUE(Read(std::string("\0" "1,x\0\0", 6), &result, &consumed).empty());
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    EXPECT_EQ(consumed, 1u);

    std::string out;
    AppendCheckListEntry(&out, false, "", 0);
    out.push_back(0);
    std::vector<CheckListEntry> items = Read(out, &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "");
}

// A flag that is not "0" or "1" (an old writer put "-1" for a row without a
// check box) no longer reads as checked, and the damage stays in its list.
TEST(CheckListStream, DamagedListIsSkippedToItsEnd)
{
    std::string first = std::string("1,kept\0" "-1,bad\0" "1,after\0" "\0", 23);
    std::string second = std::string("0,good\0\0", 8);
    int result;
    size_t consumed;
    std::vector<CheckListEntry> items = Read(first + second, &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_DAMAGED);
    EXPECT_EQ(consumed, first.size());
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "kept");

    items = Read(second, &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "good");

    for (const char *bad : {"2,twoo\0\0", "1;semi\0\0"}) {
        items = Read(std::string(bad, 8), &result, &consumed);
        EXPECT_EQ(result, CHECK_LIST_STREAM_DAMAGED) << bad;
        EXPECT_TRUE(items.empty()) << bad;
        EXPECT_EQ(consumed, 8u) << bad;
    }
}

TEST(CheckListStream, CutStreamKeepsWholeItemsAndLongTextsAreCut)
{
    int result;
    size_t consumed;
    std::vector<CheckListEntry> items = Read(std::string("1,whole\0" "0,half", 14), &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_CUT);
    EXPECT_EQ(consumed, 14u);
    ASSERT_EQ(items.size(), 1u);

    std::string longText(CHECK_LIST_TEXT_MAX + 100, 'q');
    items = Read("0," + longText + std::string(2, '\0'), &result, &consumed);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text.size(), (size_t)CHECK_LIST_TEXT_MAX);

    std::string out;
    AppendCheckListEntry(&out, true, longText.data(), longText.size());
    EXPECT_EQ(out.size(), 2u + CHECK_LIST_TEXT_MAX + 1);
}

TEST(CheckListStream, FileReaderTakesOneListAndLeavesTheNext)
{
    std::string first = std::string("1,abc\0" "0,xyz\0\0", 13);
    int result;
    long position;
    std::string taken = TakeFromFile(first + std::string("0,next\0\0", 8), &result, &position);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    EXPECT_EQ(taken, first);
    EXPECT_EQ(position, (long)first.size());

    std::string longText(CHECK_LIST_TEXT_MAX + 10, 'z');
    taken = TakeFromFile("1," + longText + std::string(2, '\0'), &result, &position);
    EXPECT_EQ(result, CHECK_LIST_STREAM_WHOLE);
    EXPECT_EQ(taken.size(), 2u + CHECK_LIST_TEXT_MAX + 2);
    EXPECT_EQ(position, (long)(longText.size() + 4));

    TakeFromFile(std::string("1,cut", 5), &result, &position);
    EXPECT_EQ(result, CHECK_LIST_STREAM_CUT);
}

// Hostile bytes: nothing read beyond them, texts within bounds, and the file
// reader and the memory reader always agree on where a list ends.
TEST(CheckListStream, HostileBytesStayInBoundsAndBothReadersAgree)
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 32);
    };
    const char alphabet[] = {'0', '1', ',', 'a', '\0', '\0', '2', '-'};
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(next() % 40, ' ');
        for (char &c : bytes)
            c = alphabet[next() % sizeof alphabet];
        int result;
        size_t consumed;
        std::vector<CheckListEntry> items = Read(bytes, &result, &consumed);
        ASSERT_LE(consumed, bytes.size());
        for (const CheckListEntry &item : items)
            ASSERT_EQ(item.text.find('\0'), std::string::npos);
        if (result == CHECK_LIST_STREAM_CUT)
            continue;
        int fileResult;
        long position;
        TakeFromFile(bytes, &fileResult, &position);
        ASSERT_EQ(fileResult, CHECK_LIST_STREAM_WHOLE) << round;
        ASSERT_EQ((size_t)position, consumed) << round;
    }
}
