#include "editing/syntax_richedit.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <fstream>
#include <string>

#include "editing/syntax_config.h"
#include "test_support.h"

namespace {

#define BASE_COLOUR RGB(250, 240, 200)

const char *const Config = "{C}\n"
                           "SC|1|//|I|0,128,0\n"
                           "MC|1|/*|*/|I|0,128,0\n"
                           "ST|1|\"|\\\"||163,21,21\n"
                           "OP|1||128,0,128|(,),;,=\n"
                           "KW|1|B|0,0,255|int,return\n"
                           "{SQL}\n"
                           "CS|0\n"
                           "KW|1|BZ|0,0,255|select,from\n";

class RichEditSyntax : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA("RICHED32.DLL");
        ASSERT_NE(nullptr, library);
        edit = CreateWindowExA(0, "RICHEDIT", "", WS_POPUP | ES_MULTILINE, 0, 0, 300, 200, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);

        std::string path = folder.Path() + "\\syntax.cfg";
        std::ofstream(path, std::ios::binary) << Config;
        ASSERT_EQ(0, LoadSyntaxConfig(path.c_str()));
    }
    void TearDown() override
    {
        FreeSyntaxConfig();
        if (edit)
            DestroyWindow(edit);
        if (library)
            FreeLibrary(library);
    }
    void SetText(const char *text)
    {
        SetWindowTextA(edit, text);
        // New text comes in the control's bold system font.
        CHARFORMAT2A plain = {};
        plain.cbSize = sizeof plain;
        plain.dwMask = CFM_BOLD | CFM_ITALIC | CFM_COLOR;
        SendMessageA(edit, EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&plain);
    }
    CHARFORMAT2A FormatAt(LONG position)
    {
        CHARRANGE range = {position, position + 1};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&range);
        CHARFORMAT2A format = {};
        format.cbSize = sizeof format;
        SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&format);
        return format;
    }
    std::string Text()
    {
        char buffer[512] = {};
        GetWindowTextA(edit, buffer, sizeof buffer);
        return buffer;
    }
    // One letter per character as the formatter left it: k keyword (blue,
    // bold), c comment (green, italic), s string, o operator, . plain; a
    // blank for the paragraph ends, which cannot be selected one by one.
    std::string Colours(LONG count)
    {
        std::string out;
        for (LONG i = 0; i < count; i++) {
            char character[2] = {};
            TEXTRANGEA range = {{i, i + 1}, character};
            SendMessageA(edit, EM_GETTEXTRANGE, 0, (LPARAM)&range);
            if (character[0] == '\r' || character[0] == '\n') {
                out.push_back(' ');
                continue;
            }
            CHARFORMAT2A f = FormatAt(i);
            bool bold = (f.dwEffects & CFE_BOLD) != 0, italic = (f.dwEffects & CFE_ITALIC) != 0;
            char c = '?';
            if (f.crTextColor == RGB(0, 0, 255) && bold && !italic)
                c = 'k';
            else if (f.crTextColor == RGB(0, 128, 0) && italic && !bold)
                c = 'c';
            else if (f.crTextColor == RGB(163, 21, 21) && !bold && !italic)
                c = 's';
            else if (f.crTextColor == RGB(128, 0, 128) && !bold && !italic)
                c = 'o';
            else if (f.crTextColor == RGB(0, 0, 0) && !bold && !italic)
                c = '.';
            out.push_back(c);
        }
        return out;
    }

    HMODULE library = nullptr;
    HWND edit = nullptr;
    ScopedTempFolder folder;
};

} // namespace

TEST_F(RichEditSyntax, ColoursTheControlAcrossParagraphEnds)
{
    SetText("int x; // c\r\n/* a\r\nb */ return \"q\\\"\";\r\nreturnx");
    ASSERT_EQ(2, SyntaxLanguageCount());
    EXPECT_STREQ("SQL", SyntaxLanguageName(1));
    ASSERT_EQ(0, SyntaxFormatRange(edit, 0, 0, -1, BASE_COLOUR));
    // Wine's control keeps CR LF paragraph ends, two positions each.
    EXPECT_EQ("kkk..o.cccc  "
              "cccc  "
              "cccc.kkkkkk.ssssso  "
              ".......",
              Colours(46));
    CHARFORMAT2A f = FormatAt(20);
    EXPECT_TRUE(f.dwMask & CFM_BACKCOLOR);
    EXPECT_EQ(BASE_COLOUR, f.crBackColor);
}

TEST_F(RichEditSyntax, RewritesCaseAndKeepsTheRestOfTheText)
{
    SetText("Select a\r\nfrom b");
    ASSERT_EQ(0, SyntaxFormatRange(edit, 1, 0, -1, BASE_COLOUR));
    EXPECT_EQ("SELECT a\r\nFROM b", Text());
    EXPECT_EQ("kkkkkk..  kkkk..", Colours(16));
}

TEST_F(RichEditSyntax, FormatsOnlyTheGivenRange)
{
    SetText("int a;\r\nint b;");
    ASSERT_EQ(0, SyntaxFormatRange(edit, 0, 8, -1, BASE_COLOUR));
    EXPECT_NE(BASE_COLOUR, FormatAt(0).crBackColor);
    EXPECT_EQ("kkk..o", Colours(14).substr(8));
    EXPECT_EQ('.', Colours(1)[0]);
}
