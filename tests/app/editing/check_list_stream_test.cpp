// A check list read from an open file: the same lists, and the same place
// where each ends, as the notes file's reader finds in the image in memory.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "editing/check_list_stream.h"
#include "scratch_file.h"

namespace {

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
    ByteBuffer taken;
    *result = TakeCheckListBytes(file, &taken);
    *position = std::ftell(file);
    std::fclose(file);
    return std::string(taken.begin(), taken.end());
}

std::vector<std::string> Items(const std::string &bytes, int *result, size_t *consumed)
{
    ByteReader reader = {(const uint8_t *)bytes.data(), bytes.size(), 0};
    std::vector<CheckListItem> items;
    *result = TakeCheckList(&reader, &items);
    *consumed = reader.position;
    std::vector<std::string> out;
    for (const CheckListItem &item : items)
        out.push_back(std::string(item.checked ? "+" : "-") +
                      std::string((const char *)item.text, item.length));
    return out;
}

} // namespace

TEST(CheckListStream, FileReaderTakesOneListAndLeavesTheNext)
{
    std::string first = std::string("1,abc\0" "0,xyz\0\0", 13);
    int result;
    long position;
    std::string taken = TakeFromFile(first + std::string("0,next\0\0", 8), &result, &position);
    EXPECT_EQ(result, NOTE_TEXT_WHOLE);
    EXPECT_EQ(taken, first);
    EXPECT_EQ(position, (long)first.size());

    taken = TakeFromFile(std::string("\0" "1,x\0\0", 6), &result, &position);
    EXPECT_EQ(result, NOTE_TEXT_WHOLE);
    EXPECT_EQ(taken, std::string(1, '\0'));
    EXPECT_EQ(position, 1);

    std::string longText(CHECK_LIST_TEXT_CHARS + 10, 'z');
    taken = TakeFromFile("1," + longText + std::string(2, '\0'), &result, &position);
    EXPECT_EQ(result, NOTE_TEXT_WHOLE);
    EXPECT_EQ(taken.size(), 2u + CHECK_LIST_TEXT_CHARS + 2);
    EXPECT_EQ(position, (long)(longText.size() + 4));

    TakeFromFile(std::string("1,cut", 5), &result, &position);
    EXPECT_EQ(result, NOTE_TEXT_CUT);
    TakeFromFile(std::string("1,whole\0" "0", 9), &result, &position);
    EXPECT_EQ(result, NOTE_TEXT_CUT);
}

// Hostile bytes: wherever a list ends for one reader it ends for the other,
// and both give the same items, damaged lists and bad separators included.
TEST(CheckListStream, FileAndMemoryReadersAgreeOnHostileBytes)
{
    uint64_t state = 0x9E3779B97F4A7C15ull;
    auto next = [&state]() {
        state ^= state << 13;
        state ^= state >> 7;
        state ^= state << 17;
        return (uint32_t)(state >> 32);
    };
    const char alphabet[] = {'0', '1', ',', ';', 'a', '\0', '\0', '2', '-'};
    int whole = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string bytes(next() % 40, ' ');
        for (char &c : bytes)
            c = alphabet[next() % sizeof alphabet];
        int memoryResult, fileResult;
        size_t consumed;
        std::vector<std::string> inMemory = Items(bytes, &memoryResult, &consumed);
        ASSERT_LE(consumed, bytes.size());
        long position;
        std::string taken = TakeFromFile(bytes, &fileResult, &position);
        if (fileResult != NOTE_TEXT_WHOLE) {
            ASSERT_EQ(memoryResult, NOTE_TEXT_CUT) << round;
            continue;
        }
        ++whole;
        ASSERT_EQ((size_t)position, consumed) << round;
        int takenResult;
        size_t takenConsumed;
        ASSERT_EQ(Items(taken, &takenResult, &takenConsumed), inMemory) << round;
        ASSERT_EQ(takenResult, memoryResult) << round;
        ASSERT_EQ(takenConsumed, taken.size()) << round;
    }
    EXPECT_GT(whole, 300);
}
