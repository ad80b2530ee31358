#include "editing/spell_words.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> WalkAll(const std::string &text, int caret, SpellWalk *walk = nullptr)
{
    SpellWalk own;
    SpellWalk *w = walk ? walk : &own;
    BeginSpellWalk(w, text.data(), (int)text.size(), caret, IsWindows1252Letter);
    std::vector<std::string> words;
    int start, end;
    while (words.size() < 100 &&
           NextSpellWord(w, text.data(), (int)text.size(), IsWindows1252Letter, &start, &end))
        words.push_back(text.substr((size_t)start, (size_t)(end - start)));
    return words;
}

using Words = std::vector<std::string>;

} // namespace

TEST(SpellWalk, FromTheCaretsWordToTheEndThenFromTheStartBackToIt)
{
    const std::string text = "alpha beta gamma delta";
    EXPECT_EQ((Words{"gamma", "delta", "alpha", "beta"}), WalkAll(text, 13)); // inside "gamma"
    EXPECT_EQ((Words{"alpha", "beta", "gamma", "delta"}), WalkAll(text, 0));
    // A caret right behind the last word starts with that word.
    EXPECT_EQ((Words{"delta", "alpha", "beta", "gamma"}), WalkAll(text, (int)text.size()));
}

TEST(SpellWalk, TheLastWordOfTheTextIsCheckedWithOrWithoutWrapping)
{
    EXPECT_EQ((Words{"one", "two"}), WalkAll("one two", 0));
    EXPECT_EQ((Words{"two", "three", "one"}), WalkAll("one two three", 4));
    EXPECT_EQ((Words{"end"}), WalkAll("end", 1));
}

TEST(SpellWalk, ApostrophesJoinHyphensSeparateQuotesAreTrimmed)
{
    EXPECT_EQ((Words{"don't", "well", "known", "quoted", "it's"}),
              WalkAll("don't well-known 'quoted' it's", 0));
    EXPECT_EQ((Words{"a", "b", "x"}), WalkAll("a1b ' '' x", 0));
}

TEST(SpellWalk, AccentedLettersBelongToTheWord)
{
    // Windows-1252: "Straße café Œuvre naïve"
    const std::string text = "Stra\xDF" "e caf\xE9 \x8Cuvre na\xEFve";
    EXPECT_EQ((Words{"Stra\xDF" "e", "caf\xE9", "\x8Cuvre", "na\xEFve"}), WalkAll(text, 0));
    // The multiplication sign is no letter.
    EXPECT_EQ((Words{"x", "y"}), WalkAll("x\xD7y", 0));
}

TEST(SpellWalk, AnOverlongRunIsOneCutWord)
{
    std::string text(1500, 'a');
    text += " ok";
    Words words = WalkAll(text, 0);
    ASSERT_EQ(2u, words.size());
    EXPECT_EQ((size_t)SPELL_WORD_MAX, words[0].size());
    EXPECT_EQ("ok", words[1]);
}

TEST(SpellWalk, GoesOnBehindAReplacementOfAnotherLength)
{
    std::string text = "speling is fun";
    SpellWalk walk;
    BeginSpellWalk(&walk, text.data(), (int)text.size(), 0, IsWindows1252Letter);
    int start, end;
    ASSERT_EQ(1, NextSpellWord(&walk, text.data(), (int)text.size(), IsWindows1252Letter, &start, &end));
    text.replace((size_t)start, (size_t)(end - start), "spelling");
    SpellWalkReplaced(&walk, start, end - start, 8);
    ASSERT_EQ(1, NextSpellWord(&walk, text.data(), (int)text.size(), IsWindows1252Letter, &start, &end));
    EXPECT_EQ("is", text.substr((size_t)start, (size_t)(end - start)));

    // After wrapping, a shorter replacement before the caret's word must not
    // bring that word round again.
    text = "aaaa bb cc";
    BeginSpellWalk(&walk, text.data(), (int)text.size(), 5, IsWindows1252Letter);
    Words seen;
    while (NextSpellWord(&walk, text.data(), (int)text.size(), IsWindows1252Letter, &start, &end)) {
        std::string word = text.substr((size_t)start, (size_t)(end - start));
        seen.push_back(word);
        if (word == "aaaa") {
            text.replace((size_t)start, 4, "a");
            SpellWalkReplaced(&walk, start, 4, 1);
        }
        ASSERT_LT(seen.size(), 10u);
    }
    EXPECT_EQ((Words{"bb", "cc", "aaaa"}), seen);
}

TEST(SpellWords, ListsCompareWithoutRegardToCase)
{
    Words list = {"Zettly", "\xC4pfel"}; // Äpfel
    EXPECT_TRUE(ListHoldsWord(list, "ZETTLY"));
    EXPECT_TRUE(ListHoldsWord(list, "\xE4PFEL")); // äPFEL
    EXPECT_FALSE(ListHoldsWord(list, "Zettl"));
    EXPECT_FALSE(ListHoldsWord(list, "Zettlys"));
}

TEST(UserDictionaryFile, ReadsAnyWhiteSpaceAndDropsOverlongWords)
{
    std::string data = "alpha\nbeta gamma\r\n\tdelta";
    data += "\n" + std::string(5000, 'x') + "\nomega";
    EXPECT_EQ((Words{"omega", "delta", "gamma", "beta", "alpha"}), ParseUserDictionary(data.data(), data.size()));
    const char nul[] = {'o', 'n', 'e', '\0', 't', 'w', 'o'};
    EXPECT_EQ((Words{"two", "one"}), ParseUserDictionary(nul, sizeof nul));
    EXPECT_TRUE(ParseUserDictionary("", 0).empty());
}

TEST(UserDictionaryFile, WrittenListReadsBackReversed)
{
    Words list = {"newest", "middle", "oldest"};
    std::string file = FormatUserDictionary(list);
    EXPECT_EQ("newest\nmiddle\noldest\n", file);
    EXPECT_EQ((Words{"oldest", "middle", "newest"}), ParseUserDictionary(file.data(), file.size()));
}

TEST(SpellDictionaries, NamesAffixPathsAndTheLocalesChoice)
{
    EXPECT_EQ("en_US", DictionaryName("en_US.dic"));
    EXPECT_EQ("de_DE_frami", DictionaryName("de_DE_frami.v2.dic"));
    EXPECT_EQ("C:\\p.q\\zettlies_dic\\de_DE.aff", AffixPathFor("C:\\p.q\\zettlies_dic\\de_DE.dic"));

    Words names = {"en_US", "de_DE"};
    EXPECT_EQ(1, ChooseDictionary(names, "de_DE"));
    EXPECT_EQ(0, ChooseDictionary(names, "en_US"));
    EXPECT_EQ(0, ChooseDictionary(names, "fr_FR"));
    EXPECT_EQ(1, ChooseDictionary({"en_US", "de_DE_frami"}, "de_DE"));
    EXPECT_EQ(-1, ChooseDictionary({}, "de_DE"));
}

TEST(SpellEncoding, Windows1252AndUtf8BothWays)
{
    EXPECT_EQ("Stra\xC3\x9F" "e", Windows1252ToUtf8("Stra\xDF" "e"));
    EXPECT_EQ("\xE2\x82\xAC" "5", Windows1252ToUtf8("\x80" "5"));
    EXPECT_EQ("\xC5\x92", Windows1252ToUtf8("\x8C"));
    std::string all;
    for (int c = 0x20; c <= 0xFF; c++)
        all.push_back((char)c);
    EXPECT_EQ(all, Utf8ToWindows1252(Windows1252ToUtf8(all)));
    // What the code page lacks, and broken sequences, become '?'.
    EXPECT_EQ("a??b", Utf8ToWindows1252("a\xE6\x97\xA5\xE6\x9C\xAC" "b"));
    EXPECT_EQ("?x??", Utf8ToWindows1252("\xC3x\xE2\x82"));
    EXPECT_TRUE(DictionaryUsesUtf8("UTF-8"));
    EXPECT_TRUE(DictionaryUsesUtf8("utf8"));
    EXPECT_FALSE(DictionaryUsesUtf8("ISO8859-1"));
    EXPECT_FALSE(DictionaryUsesUtf8(nullptr));
}
