// One dictionary of the spell check over the Hunspell library. Words go in
// and suggestions come out in the note's 8-bit text (Windows-1252), whatever
// encoding the dictionary's affix file names.
#pragma once
#include <string>
#include <vector>

struct SpellChecker;

// Null when the pair cannot be read.
SpellChecker *CreateSpellChecker(const char *affixPath, const char *dictionaryPath);
void DestroySpellChecker(SpellChecker *checker);
// 1 when the dictionary knows the word.
int SpellWordIsCorrect(SpellChecker *checker, const std::string &word);
// At most SPELL_MAX_SUGGESTIONS, in the dictionary's order.
std::vector<std::string> SpellSuggestions(SpellChecker *checker, const std::string &word);
