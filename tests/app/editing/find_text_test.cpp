#include "editing/find_text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

// A plain string with a selection: the model of a note's text that the
// searches run over here.
class StringText : public SearchableText {
public:
    explicit StringText(std::string text) : text(std::move(text)) {}
    TextSpan Selection() override { return selection; }
    void Select(TextSpan span) override { selection = span; }
    TextSpan Find(long from, long to, const char *what, unsigned flags) override
    {
        long end = to < 0 || to > (long)text.size() ? (long)text.size() : to;
        long n = (long)std::string(what).size();
        for (long at = from < 0 ? 0 : from; at + n <= end; ++at)
            if (MatchAt(at, what, n, flags))
                return TextSpan{at, at + n};
        return TextSpan{-1, -1};
    }
    void ReplaceSelection(const char *with) override
    {
        text.replace((size_t)selection.start, (size_t)(selection.end - selection.start), with);
        selection.start = selection.end = selection.start + (long)std::string(with).size();
    }

    std::string text;
    TextSpan selection = {0, 0};

private:
    bool MatchAt(long at, const char *what, long n, unsigned flags) const
    {
        for (long i = 0; i < n; ++i) {
            char a = text[(size_t)(at + i)], b = what[i];
            if (flags & FIND_FLAG_MATCH_CASE ? a != b : std::tolower(a) != std::tolower(b))
                return false;
        }
        return true;
    }
};

FindRequest Request(const char *what, const char *with = "")
{
    return FindRequest{FIND_FLAG_DOWN, what, with};
}

} // namespace

TEST(ReplaceAll, EveryMatchIsReplacedOnce)
{
    struct Case {
        const char *text, *what, *with, *result;
        int count;
    } cases[] = {
        {"aa", "a", "b", "bb", 2},
        {"aXa", "a", "aa", "aaXaa", 2}, // the replacement holds the text found
        {"abcabc", "bc", "", "aa", 2},
        {"nothing here", "zz", "y", "nothing here", 0},
    };
    for (const Case &c : cases) {
        StringText text(c.text);
        text.Select(TextSpan{3, 5});
        EXPECT_EQ(ReplaceAllIn(&text, Request(c.what, c.with)), c.count) << c.text;
        EXPECT_EQ(text.text, c.result) << c.text;
    }
}

TEST(FindPass, SearchesOnFromTheSelectionThenWrapsOnceToWhereItBegan)
{
    StringText text("one two one two one");
    text.Select(TextSpan{4, 4}); // in front of the first "two"
    FindPass pass;
    BeginFindPass(&pass, text.Selection().start);
    FindRequest one = Request("one");
    EXPECT_EQ(RunFindRequest(&pass, &text, one, false), 8);
    EXPECT_EQ(RunFindRequest(&pass, &text, one, false), 16);
    EXPECT_EQ(RunFindRequest(&pass, &text, one, false), 0); // wrapped
    EXPECT_EQ(RunFindRequest(&pass, &text, one, false), -1);
    EXPECT_EQ(text.selection.start, 0);

    // A pass that began at 0 wraps without moving the selection.
    text.Select(TextSpan{0, 0});
    BeginFindPass(&pass, 0);
    EXPECT_EQ(RunFindRequest(&pass, &text, Request("absent"), false), -1);
    EXPECT_EQ(pass.wrapped, 1);
}

TEST(FindPass, AMatchRightBehindTheSelectedOneIsFound)
{
    StringText text("abab");
    FindPass pass;
    BeginFindPass(&pass, 0);
    EXPECT_EQ(RunFindRequest(&pass, &text, Request("ab"), false), 0);
    EXPECT_EQ(RunFindRequest(&pass, &text, Request("ab"), false), 2);
}

TEST(FindPass, ReplacingBeforeTheBoundMovesItByTheChangeOfLength)
{
    // The pass begins at 3, wraps, and then replaces the three matches in
    // front of where it began, one request each.
    for (const char *with : {"b", "bbb", ""}) {
        StringText text("aaaX");
        text.Select(TextSpan{3, 3});
        FindPass pass;
        BeginFindPass(&pass, 3);
        FindRequest request = Request("a", with);
        int found = 0;
        while (RunFindRequest(&pass, &text, request, true) >= 0 && found < 10)
            ++found;
        std::string w = with;
        EXPECT_EQ(text.text, w + w + w + "X") << with;
        EXPECT_EQ(found, 3) << with;
        EXPECT_EQ(pass.bound, 3 * (long)w.size()) << with;
    }
}
