#include "editing/spell_checker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "editing/spell_words.h"

namespace {

std::string DictionaryFile(const char *name)
{
    return std::string(DICTIONARY_FOLDER) + "/" + name;
}

bool Installed(const char *language)
{
    FILE *file = fopen(DictionaryFile((std::string(language) + ".dic").c_str()).c_str(), "rb");
    if (file)
        fclose(file);
    return file != nullptr;
}

bool Holds(const std::vector<std::string> &list, const std::string &word)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

struct Checker {
    explicit Checker(const char *language)
        : checker(CreateSpellChecker(DictionaryFile((std::string(language) + ".aff").c_str()).c_str(),
                                     DictionaryFile((std::string(language) + ".dic").c_str()).c_str()))
    {
    }
    ~Checker() { DestroySpellChecker(checker); }
    SpellChecker *checker;
};

} // namespace

TEST(SpellChecker, EnglishFlagsUnknownWordsAndSuggests)
{
    if (!Installed("en_US"))
        GTEST_SKIP() << "hunspell-en-us is not installed";
    Checker english("en_US");
    ASSERT_NE(nullptr, english.checker);
    std::string note = "This sentense has two mispeled words, doesn't it?";
    std::vector<std::string> flagged;
    SpellWalk walk;
    BeginSpellWalk(&walk, note.data(), (int)note.size(), 0, IsWindows1252Letter);
    int start, end;
    while (NextSpellWord(&walk, note.data(), (int)note.size(), IsWindows1252Letter, &start, &end)) {
        std::string word = note.substr((size_t)start, (size_t)(end - start));
        if (!SpellWordIsCorrect(english.checker, word))
            flagged.push_back(word);
    }
    EXPECT_EQ((std::vector<std::string>{"sentense", "mispeled"}), flagged);
    std::vector<std::string> suggestions = SpellSuggestions(english.checker, "sentense");
    EXPECT_TRUE(Holds(suggestions, "sentence"));
    EXPECT_LE(suggestions.size(), (size_t)SPELL_MAX_SUGGESTIONS);
    EXPECT_TRUE(Holds(SpellSuggestions(english.checker, "mispeled"), "misspelled"));
    EXPECT_TRUE(SpellSuggestions(english.checker, std::string(SPELL_WORD_MAX + 1, 'a')).empty());
}

TEST(SpellChecker, GermanWordsGoToTheDictionaryInItsOwnEncoding)
{
    if (!Installed("de_DE"))
        GTEST_SKIP() << "hunspell-de-de is not installed";
    Checker german("de_DE");
    ASSERT_NE(nullptr, german.checker);
    // The note's text is Windows-1252; the dictionary reads UTF-8.
    EXPECT_TRUE(SpellWordIsCorrect(german.checker, "Stra\xDF" "e"));
    EXPECT_TRUE(SpellWordIsCorrect(german.checker, "gr\xFC\xDF" "en"));
    EXPECT_FALSE(SpellWordIsCorrect(german.checker, "Strasze"));
    // The dictionary's own table of typical faults (ss for \xDF) gives this
    // suggestion before the engine's clock may cut the search short, which
    // a slow run reaches before the rarer ways of correcting a word.
    EXPECT_TRUE(Holds(SpellSuggestions(german.checker, "Strasse"), "Stra\xDF" "e"));
}

TEST(SpellChecker, AMissingFileGivesNoChecker)
{
    EXPECT_EQ(nullptr, CreateSpellChecker("/nonexistent/xx_XX.aff", "/nonexistent/xx_XX.dic"));
    EXPECT_EQ(0, SpellWordIsCorrect(nullptr, "word"));
}
