#include "editing/syntax_formatter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

#define UNTOUCHED 0xEEEEEEu
#define BASE 0xABCDEFu

// Text with one format record per character, as a rich-edit control keeps it.
class StringText : public SyntaxText {
public:
    struct Cell {
        uint32_t colour = UNTOUCHED;
        uint32_t back = UNTOUCHED;
        uint8_t effects = 0xFF;
    };
    explicit StringText(const std::string &s) : text(s), cells(s.size()) {}
    long TextEnd() override { return (long)text.size(); }
    long ReadText(long start, long count, char *out) override
    {
        reads++;
        long n = 0;
        for (; n < count && start + n < (long)text.size(); n++)
            out[n] = text[(size_t)(start + n)];
        return n;
    }
    void ApplyBaseFormat(long start, long end, uint32_t baseColour) override
    {
        for (long i = start; i < end; i++)
            cells[(size_t)i] = {0, baseColour, 0};
    }
    void ApplyFormat(long start, long end, const SyntaxFormat &f) override
    {
        ASSERT_LE(0, start);
        ASSERT_LE(start, end);
        ASSERT_LE(end, (long)text.size());
        for (long i = start; i < end; i++) {
            cells[(size_t)i].colour = f.colour;
            cells[(size_t)i].effects = f.effects;
        }
    }
    void ReplaceText(long start, long end, const char *replacement) override
    {
        text.replace((size_t)start, (size_t)(end - start), replacement);
    }
    void ShowSelection(bool show) override { shown = show; }

    // One letter per character: '.' plain, else the colour's low byte as a tag.
    std::string Colours() const
    {
        std::string out;
        for (const Cell &c : cells)
            out.push_back(c.colour == UNTOUCHED ? '_'
                          : c.colour == 0   ? '.'
                                            : (char)('a' + (c.colour & 0xFF) - 1));
        return out;
    }

    std::string text;
    std::vector<Cell> cells;
    int reads = 0;
    bool shown = true;
};

// Colours are tagged so the expected strings read as letters: c comment,
// s string, k keyword, o operator, m second keyword group.
const char *const Config =
    "{C}\n"
    "SC|1|//|I|3,0,0\n"
    "MC|1|/*|*/|I|3,0,0\n"
    "ST|1|\"|\\\"||19,0,0\n"
    "ST|2|'|||19,0,0\n"
    "OP|1||15,0,0|(,),;,=,+,==\n"
    "KW|1|B|11,0,0|int,if,in,return\n"
    "KW|2||13,0,0|integer\n"
    "{Case}\n"
    "CS|0\n"
    "KW|1|Z|11,0,0|select,from\n"
    "OP|1|L|15,0,0|AS\n";

class SyntaxFormatterTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitSyntaxTable(&table);
        ASSERT_EQ(0, ReadSyntaxText(&table, Config, strlen(Config)));
    }
    void TearDown() override { FreeSyntaxTable(&table); }
    std::string Format(const std::string &source, int language = 0, long start = 0, long end = -1)
    {
        StringText t(source);
        EXPECT_EQ(0, FormatSyntaxRange(&table, &t, language, start, end, BASE));
        EXPECT_TRUE(t.shown);
        lastText = t.text;
        return t.Colours();
    }
    SyntaxTable table;
    std::string lastText;
};

} // namespace

TEST_F(SyntaxFormatterTest, ColoursEachKindOfToken)
{
    struct Case {
        const char *source, *colours;
    } cases[] = {
        {"int x = 1; // note\r\nif", "kkk...o..o.ccccccc..kk"},
        {"// a\rint", "cccc.kkk"},                // a line comment also ends at CR
        {"x // end", "..cccccc"},                  // to the end of the last line
        {"a /* b */ c", "..ccccccc.."},
        {"/*/ x */", "cccccccc"},                  // the end is sought after the start
        {"/*c*/int", "ccccckkk"},
        {"a /* b c", "..cc...."},                  // unterminated: only the start token
        {"s = \"a\\\"b\" + 1", "..o.ssssss.o.."},  // an escaped delimiter does not end it
        {"\"abc", "s..."},
        {"'a''b'", "ssssss"},                      // an empty escape neither loops nor skips
        {"return(x);", "kkkkkko.oo"},
        {"intx ifs", "........"},                  // followed by a letter: not a keyword
        {"xint if_", "........"},
        {"integer int", "mmmmmmm.kkk"},            // a later group's longer keyword
        {"INT int", "....kkk"},                    // this language matches case
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(std::string(c.colours), Format(c.source));
        EXPECT_EQ(std::string(c.source), lastText);
    }
}

TEST_F(SyntaxFormatterTest, CaseInsensitiveLanguageMatchesAndRewritesCase)
{
    EXPECT_EQ("kkkkkk...oo...kkkk..", Format("SeLeCT a AS b from c", 1));
    EXPECT_EQ("SELECT a as b FROM c", lastText);
    EXPECT_EQ(".........", Format("selection", 1));
    EXPECT_EQ("selection", lastText);
}

TEST_F(SyntaxFormatterTest, FormatsOnlyTheRangeOnTheBaseColour)
{
    StringText t("int x; int y");
    ASSERT_EQ(0, FormatSyntaxRange(&table, &t, 0, 7, -1, BASE));
    EXPECT_EQ("_______kkk..", t.Colours());
    EXPECT_EQ(UNTOUCHED, t.cells[6].back);
    for (size_t i = 7; i < t.cells.size(); i++)
        EXPECT_EQ(BASE, t.cells[i].back);
    EXPECT_EQ(SYNTAX_BOLD, t.cells[7].effects);
    EXPECT_EQ(0, t.cells[11].effects);

    // A range that ends inside a word still sees the keyword end there.
    StringText part("int integer");
    ASSERT_EQ(0, FormatSyntaxRange(&table, &part, 0, 4, 7, BASE));
    EXPECT_EQ("____kkk____", part.Colours());
}

TEST_F(SyntaxFormatterTest, UnknownLanguageChangesNothing)
{
    StringText t("int x;");
    EXPECT_EQ(-1, FormatSyntaxRange(&table, &t, 2, 0, -1, BASE));
    EXPECT_EQ(-1, FormatSyntaxRange(&table, &t, -1, 0, -1, BASE));
    EXPECT_EQ("______", t.Colours());
}

TEST_F(SyntaxFormatterTest, ReadsGoThroughTheWindowCache)
{
    std::string source;
    while (source.size() < 20000)
        source += "int x = 1; /* c */ \"s\" // line\r\n";
    StringText t(source);
    ASSERT_EQ(0, FormatSyntaxRange(&table, &t, 0, -1, -1, BASE));
    EXPECT_LT(t.reads, 40);
    EXPECT_EQ('k', t.Colours()[source.size() - 32]);
}
