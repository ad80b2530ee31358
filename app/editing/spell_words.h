// The spell check's rules on plain text: the walk over a note's words, the
// user dictionary file, the choice of dictionary and the conversion between
// the note's 8-bit text (Windows-1252) and a dictionary's encoding.
// No windows.h: the dialog feeds these the note's text.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

enum {
    SPELL_WORD_MAX = 1023,       // characters of a word checked at most
    SPELL_MAX_DICTIONARIES = 10, // dictionary pairs loaded at most
    SPELL_MAX_SUGGESTIONS = 25,
};

// Whether a character of the note's code page is a letter. The dialog passes
// the system's own answer; IsWindows1252Letter is the same for that code page.
typedef bool (*LetterTest)(unsigned char c);
bool IsWindows1252Letter(unsigned char c);

struct SpellWalk {
    int start;    // where the walk began: the start of the caret's word
    int position; // where the next word is looked for
    int endBound; // after wrapping, words from here on were checked first; -1 none
    int finished; // 1 once every word was handed out
};

// Begins at the start of the word under (or just before) the caret.
void BeginSpellWalk(SpellWalk *walk, const char *text, int length, int caret, LetterTest isLetter);
// The next word as [*wordStart, *wordEnd); returns 0 when the walk is
// finished. Words run from the caret's word to the end of the text, then
// from the start of the text up to the caret's word. A word longer than
// SPELL_WORD_MAX is handed out cut to that length.
int NextSpellWord(SpellWalk *walk, const char *text, int length, LetterTest isLetter,
                  int *wordStart, int *wordEnd);
// The word [wordStart, wordStart + oldLength) was replaced by newLength
// characters: the walk goes on behind the replacement.
void SpellWalkReplaced(SpellWalk *walk, int wordStart, int oldLength, int newLength);

// Apostrophes that open or close a word are quotation marks, not part of it:
// the part of [start, end) that is checked.
void TrimWordQuotes(const char *text, int *start, int *end);

// Case-insensitive (Windows-1252) comparison for the ignore and user lists.
bool SameWordIgnoringCase(const std::string &a, const std::string &b);
bool ListHoldsWord(const std::vector<std::string> &list, const std::string &word);

// The user dictionary file: words separated by any white space. Words longer
// than SPELL_WORD_MAX are dropped, not cut into pieces. New words were kept
// at the front of the list, so the list read back is the file's words in
// reverse order.
std::vector<std::string> ParseUserDictionary(const char *data, size_t size);
// One word a line, front of the list first.
std::string FormatUserDictionary(const std::vector<std::string> &list);

// "en_US.dic" -> "en_US": the name is the file name up to its first '.'.
std::string DictionaryName(const std::string &dictionaryFile);
// The affix path that goes with a dictionary path: its file name cut at the
// first '.' and ".aff" put there.
std::string AffixPathFor(const std::string &dictionaryPath);
// The first dictionary whose name starts with the locale name (such as
// de_DE), else 0; -1 when there is none at all.
int ChooseDictionary(const std::vector<std::string> &names, const std::string &localeName);

// Windows-1252 text to UTF-8 and back; characters UTF-8 has but 1252 lacks
// come back as '?'. A malformed UTF-8 byte also becomes '?'.
std::string Windows1252ToUtf8(const std::string &text);
std::string Utf8ToWindows1252(const std::string &text);
// Whether a dictionary that names this encoding (its SET line) reads UTF-8.
bool DictionaryUsesUtf8(const char *encoding);

// Where the dialog goes: its top at the note's bottom edge, centred on the
// note, kept on the desktop (moved back by what lies past the right or
// bottom edge, else a negative left or top becomes 0).
struct SpellPlacement {
    int left, top;
};
SpellPlacement PlaceBelowNote(int noteLeft, int noteRight, int noteBottom, int dialogWidth,
                              int dialogHeight, int desktopWidth, int desktopHeight);
