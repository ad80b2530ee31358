#include "editing/calculator_note.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <string>

#include "editing/calculator.h"
#include "test_support.h"

namespace {

class CalculatorNote : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA("RICHED32.DLL");
        ASSERT_NE(nullptr, library);
        note = CreateWindowExA(0, "STATIC", "note", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, note);
        edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | ES_MULTILINE, 0, 0, 300, 200, note,
                               (HMENU)1, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);
        SendMessageA(edit, EM_EXLIMITTEXT, 0, 100000);
    }
    void TearDown() override
    {
        if (note)
            DestroyWindow(note);
        if (library)
            FreeLibrary(library);
    }
    void Type(const char *text)
    {
        SendMessageA(edit, EM_REPLACESEL, TRUE, (LPARAM)text);
    }
    void Select(LONG start, LONG end)
    {
        CHARRANGE range = {start, end};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
    }
    // Paragraph ends read as "\n", whichever form the control keeps.
    std::string Text()
    {
        int length = GetWindowTextLengthA(edit);
        std::string buffer((size_t)length + 1, '\0');
        GetWindowTextA(edit, &buffer[0], length + 1);
        std::string out;
        for (size_t i = 0; i < buffer.size() && buffer[i]; i++) {
            if (buffer[i] == '\r' && buffer[i + 1] == '\n')
                continue;
            out.push_back(buffer[i] == '\r' ? '\n' : buffer[i]);
        }
        return out;
    }

    HMODULE library = nullptr;
    HWND note = nullptr;
    HWND edit = nullptr;
};

} // namespace

TEST_F(CalculatorNote, EnterAtTheEndOfALineWritesTheResultBelow)
{
    Type("1+2");
    ASSERT_EQ(0, RunEditTextOp(note));
    EXPECT_EQ("1+2\n3", Text());

    Type("\r");
    Type("notevar = 5");
    ASSERT_EQ(0, RunEditTextOp(note));
    Type("notevar * 2");
    ASSERT_EQ(0, RunEditTextOp(note));
    EXPECT_EQ("1+2\n3\nnotevar = 5\nnotevar * 2\n10", Text());
}

TEST_F(CalculatorNote, EvaluatesTheSelectionAndWritesBehindIt)
{
    Type("abc 4+4 def");
    Select(4, 7);
    ASSERT_EQ(0, RunEditTextOp(note));
    EXPECT_EQ("abc 4+4\n8 def", Text());

    SetWindowTextA(edit, "2 *\r\n3 +\r\n1 ignored");
    // Whatever the control counts for a paragraph end, select up to the "1".
    FINDTEXTA find = {{0, -1}, "1 ignored"};
    LONG found = (LONG)SendMessageA(edit, EM_FINDTEXT, FR_DOWN, (LPARAM)&find);
    ASSERT_GE(found, 0);
    Select(0, found + 1);
    ASSERT_EQ(0, RunEditTextOp(note));
    EXPECT_EQ("2 *\n3 +\n1\n7 ignored", Text());
}

TEST_F(CalculatorNote, ErrorsAreWrittenAsText)
{
    Type("1;");
    ASSERT_EQ(0, RunEditTextOp(note));
    EXPECT_EQ("1;\nunknown identifier", Text());
}

TEST_F(CalculatorNote, TooLongASelectionIsRefused)
{
    // Short paragraphs: the rich edit lays out one long paragraph in time
    // that grows with its square (minutes where the run is emulated).
    std::string big, shown;
    while (big.size() < 40000) {
        big += "111111\r\n";
        shown += "111111\n";
    }
    SetWindowTextA(edit, big.c_str());
    Select(0, -1);
    MessageBoxRecorder boxes;
    EXPECT_EQ(-1, RunEditTextOp(note));
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ("Memory Error", boxes.Boxes()[0].caption);
    EXPECT_EQ("Unable to complete operation. Temporary memory exceed.", boxes.Boxes()[0].text);
    EXPECT_EQ((UINT)MB_ICONHAND, boxes.Boxes()[0].type & MB_ICONMASK);
    EXPECT_EQ(shown, Text());
}
