#include "spell_checker.h"

#include <hunspell.h>

#include <cstdio>

#include "spell_words.h"

struct SpellChecker {
    Hunhandle *handle;
    bool utf8;
};

static bool Readable(const char *path)
{
    FILE *file = path ? fopen(path, "rb") : nullptr;
    if (!file)
        return false;
    fclose(file);
    return true;
}

SpellChecker *CreateSpellChecker(const char *affixPath, const char *dictionaryPath)
{
    // The library takes a missing file for an empty dictionary that knows
    // no word: such a checker would flag everything.
    if (!Readable(affixPath) || !Readable(dictionaryPath))
        return nullptr;
    Hunhandle *handle = Hunspell_create(affixPath, dictionaryPath);
    if (!handle)
        return nullptr;
    return new SpellChecker{handle, DictionaryUsesUtf8(Hunspell_get_dic_encoding(handle))};
}

void DestroySpellChecker(SpellChecker *checker)
{
    if (!checker)
        return;
    Hunspell_destroy(checker->handle);
    delete checker;
}

static std::string ToDictionary(const SpellChecker *checker, const std::string &word)
{
    return checker->utf8 ? Windows1252ToUtf8(word) : word;
}

int SpellWordIsCorrect(SpellChecker *checker, const std::string &word)
{
    if (!checker || word.empty() || word.size() > SPELL_WORD_MAX)
        return 0;
    return Hunspell_spell(checker->handle, ToDictionary(checker, word).c_str()) != 0;
}

std::vector<std::string> SpellSuggestions(SpellChecker *checker, const std::string &word)
{
    std::vector<std::string> out;
    if (!checker || word.empty() || word.size() > SPELL_WORD_MAX)
        return out;
    char **list = nullptr;
    int count = Hunspell_suggest(checker->handle, &list, ToDictionary(checker, word).c_str());
    for (int i = 0; i < count && (int)out.size() < SPELL_MAX_SUGGESTIONS; i++)
        if (list[i])
            out.push_back(checker->utf8 ? Utf8ToWindows1252(list[i]) : std::string(list[i]));
    // The list was allocated by the library's own heap: only it may free it.
    if (list)
        Hunspell_free_list(checker->handle, &list, count);
    return out;
}
