// The spell check of a note: dialog 141 over the dictionaries beside the
// program, and dialog 144 that edits the user dictionary.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

// The edit control's command 40122: hides the check list and edit bar,
// runs dialog 141 over the note's words from the caret on, puts the
// selection back and shows them again. Returns 1 when every word was
// walked, 0 when the user closed the dialog first or it could not run.
int SpellCheckZettly(HWND edit);
// Dialog 141, parameter the control's ZettlyEditState.
INT_PTR CALLBACK SpellCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

struct SpellChecker;
struct SpellDictionary {
    char name[MAX_PATH]; // the dictionary file's name up to its first '.'
    SpellChecker *checker;
};
// Loads the pairs of the folder (ending in a backslash) into the table,
// at most capacity of them, after freeing what the table held. Returns
// how many loaded, or -1 when the folder holds no dictionary file (the
// table is then left as it was).
int LoadSpellDictionaries(const char *folder, SpellDictionary *table, int capacity);
void UnloadSpellDictionaries(SpellDictionary *table, int capacity);

// Words the user chose to ignore; kept until the program ends.
extern std::vector<std::string> SpellIgnoreList;

// Full paths: the dictionary folder beside the program (with its trailing
// backslash) and the user dictionary in the data folder. False when the
// path cannot be made.
bool SpellDictionaryFolder(char *out, DWORD size);
bool UserDictionaryPath(char *out, DWORD size);
// The user dictionary's words, newest first, into *list (empty when there
// is no file). 0, or -1 when a file is there but could not be read whole
// (unreadable, or larger than any list of words a user makes): writing a
// list back over it would lose the words that were not read.
int ReadUserDictionary(const char *path, std::vector<std::string> *list);
// Writes beside the old file and replaces it only when complete. 0 or -1.
int WriteUserDictionary(const char *path, const std::vector<std::string> &list);
