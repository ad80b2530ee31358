#include "editing/syntax_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

class ParsedConfig {
public:
    explicit ParsedConfig(const std::string &text)
    {
        InitSyntaxTable(&table);
        result = ReadSyntaxText(&table, text.data(), text.size());
    }
    ~ParsedConfig() { FreeSyntaxTable(&table); }
    const SyntaxLanguage *Language(int i) const { return FindSyntaxLanguage(&table, i); }
    SyntaxTable table;
    int result;
};

std::vector<std::string> Tokens(const SyntaxKeywordGroup *group)
{
    std::vector<std::string> out;
    for (const SyntaxKeyword *t = group ? group->tokens : nullptr; t; t = t->next) {
        EXPECT_EQ((size_t)t->length, strlen(t->text));
        out.push_back(t->text);
    }
    return out;
}

int CountGroups(const SyntaxKeywordGroup *group)
{
    int n = 0;
    for (; group; group = group->next)
        n++;
    return n;
}

} // namespace

TEST(SyntaxConfig, ReadsEveryTagOfASection)
{
    ParsedConfig c("# a comment\n"
                   "{C}\n"
                   "SC|1|//,#|I|0,128,0\n"
                   "MC|1|/*|*/|BU|0,128,0\n"
                   "ST|1|\"|\\\"||163,21,21\n"
                   "OP|1|b|1,2,3|+,-,==\n"
                   "KW|1|B|0,0,255|int,if\n"
                   "KW|2|IZ|300,-1,256|goto\n");
    EXPECT_EQ(0, c.result);
    ASSERT_EQ(1, CountSyntaxLanguages(&c.table));
    const SyntaxLanguage *l = c.Language(0);
    EXPECT_STREQ("C", l->name);
    EXPECT_EQ(1, l->caseSensitive);
    EXPECT_EQ((std::vector<std::string>{"//", "#"}), Tokens(l->groups[SYNTAX_SINGLE_COMMENT]));
    EXPECT_EQ(SYNTAX_ITALIC, l->groups[SYNTAX_SINGLE_COMMENT]->format.effects);
    EXPECT_EQ(0x008000u, l->groups[SYNTAX_SINGLE_COMMENT]->format.colour);
    EXPECT_EQ((std::vector<std::string>{"/*", "*/"}), Tokens(l->groups[SYNTAX_MULTI_COMMENT]));
    EXPECT_EQ(SYNTAX_BOLD | SYNTAX_UNDERLINE, l->groups[SYNTAX_MULTI_COMMENT]->format.effects);
    EXPECT_EQ((std::vector<std::string>{"\"", "\\\""}), Tokens(l->groups[SYNTAX_STRING]));
    EXPECT_EQ(0u, l->groups[SYNTAX_STRING]->format.effects);
    EXPECT_EQ((std::vector<std::string>{"+", "-", "=="}), Tokens(l->groups[SYNTAX_OPERATOR]));
    EXPECT_EQ(0x030201u, l->groups[SYNTAX_OPERATOR]->format.colour);
    EXPECT_EQ(2, CountGroups(l->groups[SYNTAX_KEYWORD]));
    const SyntaxKeywordGroup *second = l->groups[SYNTAX_KEYWORD]->next;
    EXPECT_EQ(2, second->id);
    EXPECT_EQ(SYNTAX_UPPER_CASE, second->format.caseMarker);
    // Components are taken modulo 256.
    EXPECT_EQ(0x00FF2Cu, second->format.colour);
}

TEST(SyntaxConfig, SectionHeaders)
{
    std::string longName(70, 'n');
    ParsedConfig c("KW|1|B|0,0,0|early\n"
                   "{First}\n"
                   "{Broken header\n"
                   "KW|1|B|0,0,0|kept\n"
                   "}\n"
                   "{" + longName + "} trailing\n"
                   "{}\n");
    ASSERT_EQ(3, CountSyntaxLanguages(&c.table));
    EXPECT_STREQ("First", c.Language(0)->name);
    // The field line before any section is dropped; the one after the broken
    // header belongs to the language before it.
    EXPECT_EQ((std::vector<std::string>{"kept"}), Tokens(c.Language(0)->groups[SYNTAX_KEYWORD]));
    EXPECT_EQ(std::string(64, 'n'), c.Language(1)->name);
    EXPECT_STREQ("", c.Language(2)->name);
    EXPECT_EQ(nullptr, c.Language(3));
    EXPECT_EQ(nullptr, c.Language(-1));
}

TEST(SyntaxConfig, IncompleteAndUnknownLinesAreSkipped)
{
    ParsedConfig c("{L}\n"
                   "SC|1|//|I\n"            // colour missing
                   "MC|1|/*|*/|I\n"         // colour missing
                   "MC|2||*/|I|0,0,0\n"     // empty start
                   "MC|3|/*||I|0,0,0\n"     // empty end
                   "XX|1|B|0,0,0|nothing\n"
                   "KWx|1|B|0,0,0|nothing\n"
                   "no bar at all\n"
                   "kw|1|b|0,0,0|lower\n"   // tags ignore case
                   "ST|1|'|||0,0,0");       // no escape, no final LF
    const SyntaxLanguage *l = c.Language(0);
    EXPECT_EQ(nullptr, l->groups[SYNTAX_SINGLE_COMMENT]);
    EXPECT_EQ(nullptr, l->groups[SYNTAX_MULTI_COMMENT]);
    EXPECT_EQ((std::vector<std::string>{"lower"}), Tokens(l->groups[SYNTAX_KEYWORD]));
    EXPECT_EQ((std::vector<std::string>{"'", ""}), Tokens(l->groups[SYNTAX_STRING]));
}

TEST(SyntaxConfig, TokenLists)
{
    std::string longToken(80, 't');
    ParsedConfig c("{L}\n"
                   "OP|1||0,0,0| a , b,,\tc\td," + longToken + ",e f\r\n");
    EXPECT_EQ((std::vector<std::string>{"a ", "b", "c", "d", std::string(64, 't'), "e f"}),
              Tokens(c.Language(0)->groups[SYNTAX_OPERATOR]));
}

TEST(SyntaxConfig, SameIdMergesGroupsAndTakesTheLatestFormat)
{
    ParsedConfig c("{L}\n"
                   "KW|7|B|255,0,0|alpha\n"
                   "KW|8|I|0,255,0|other\n"
                   "KW|7|U|0,0,255|beta\n"
                   "KW|7|LZ||\n");
    const SyntaxKeywordGroup *g = c.Language(0)->groups[SYNTAX_KEYWORD];
    ASSERT_EQ(2, CountGroups(g));
    EXPECT_EQ(7, g->id);
    EXPECT_EQ((std::vector<std::string>{"beta", "alpha"}), Tokens(g));
    // The latest line wins whole: no effects, default colour, last case letter.
    EXPECT_EQ(0u, g->format.effects);
    EXPECT_EQ(0u, g->format.colour);
    EXPECT_EQ(SYNTAX_UPPER_CASE, g->format.caseMarker);
}

TEST(SyntaxConfig, KeywordsAreOrderedLongestPrefixFirstTheWayTheyMatch)
{
    ParsedConfig c("{Sensitive}\n"
                   "KW|1||0,0,0|if,Ifdef,ifdef,in,int\n"
                   "{Insensitive}\n"
                   "CS|0\n"
                   "KW|1||0,0,0|if,Ifdef,in,INT,integer\n");
    EXPECT_EQ((std::vector<std::string>{"int", "in", "ifdef", "if", "Ifdef"}),
              Tokens(c.Language(0)->groups[SYNTAX_KEYWORD]));
    EXPECT_EQ(0, c.Language(1)->caseSensitive);
    EXPECT_EQ((std::vector<std::string>{"integer", "INT", "in", "Ifdef", "if"}),
              Tokens(c.Language(1)->groups[SYNTAX_KEYWORD]));
}

TEST(SyntaxConfig, MissingFileLeavesTheTableEmpty)
{
    SyntaxTable table;
    InitSyntaxTable(&table);
    EXPECT_EQ(-1, LoadSyntaxTable(&table, "no such folder/syntax.cfg"));
    EXPECT_EQ(0, CountSyntaxLanguages(&table));
    FreeSyntaxTable(&table);
}

TEST(SyntaxConfig, ShippedFileOffersItsLanguages)
{
    SyntaxTable table;
    InitSyntaxTable(&table);
    ASSERT_EQ(0, LoadSyntaxTable(&table, SHIPPED_SYNTAX_CFG));
    ASSERT_EQ(3, CountSyntaxLanguages(&table));
    EXPECT_STREQ("C/C++", FindSyntaxLanguage(&table, 0)->name);
    EXPECT_STREQ("Pascal", FindSyntaxLanguage(&table, 1)->name);
    EXPECT_STREQ("SQL", FindSyntaxLanguage(&table, 2)->name);
    for (int i = 0; i < 3; i++)
        for (int kind = 0; kind < SYNTAX_GROUP_KINDS; kind++)
            EXPECT_NE(nullptr, FindSyntaxLanguage(&table, i)->groups[kind]) << i << " " << kind;
    FreeSyntaxTable(&table);
}
