#include "spell_dialog.h"

#include <richedit.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "core/note_editor/note_edit.h"
#include "core/note_editor/text_walk_edit.h"
#include "editing_ids.h"
#include "program_folder.h"
#include "spell_checker.h"
#include "spell_words.h"
#include "ui_seams.h"

std::vector<std::string> SpellIgnoreList;

enum {
    EDIT_HIDE_BARS = 1, // WM_USER codes of the note's edit control
    EDIT_SHOW_BARS = 2,
    USER_DICTIONARY_MAX_BYTES = 4 * 1024 * 1024,
};

struct SpellDialogState {
    HWND edit;
    SpellDictionary dictionaries[SPELL_MAX_DICTIONARIES];
    int dictionaryCount;
    SpellChecker *current;
    char folder[MAX_PATH];
    std::vector<std::string> userList;
    int userFileUnread; // the file holds more than was read: it is not written over
    std::string text; // the note's text, in the control's positions
    SpellWalk walk;
    int wordStart, wordEnd;
    HICON correctIcon, wrongIcon;
    int completed;
};

// ---------------------------------------------------------------- files

bool SpellDictionaryFolder(char *out, DWORD size)
{
    char folder[MAX_PATH];
    if (!GetProgramFolder(folder, sizeof folder))
        return false;
    return snprintf(out, size, "%s%s", folder, SPELL_DICTIONARY_FOLDER) < (int)size;
}

bool UserDictionaryPath(char *out, DWORD size)
{
    char folder[MAX_PATH];
    DWORD length = GetEnvironmentVariableA("APPDATA", folder, sizeof folder);
    if (length == 0 || length >= sizeof folder) {
        if (!GetProgramFolder(folder, sizeof folder))
            return false;
        length = lstrlenA(folder);
    }
    const char *separator = folder[length - 1] == '\\' || folder[length - 1] == '/' ? "" : "\\";
    return snprintf(out, size, "%s%s%s", folder, separator, SPELL_USER_DICTIONARY) < (int)size;
}

int ReadUserDictionary(const char *path, std::vector<std::string> *list)
{
    list->clear();
    FILE *file = fopen(path, "rb");
    if (!file)
        return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES ? 0 : -1;
    std::string data;
    char block[65536];
    size_t n;
    bool whole = true;
    while ((n = fread(block, 1, sizeof block, file)) > 0) {
        if (data.size() + n > USER_DICTIONARY_MAX_BYTES) {
            whole = false;
            break;
        }
        data.append(block, n);
    }
    whole = whole && !ferror(file);
    fclose(file);
    // A file cut short ends inside a word: that word is not one.
    if (!whole)
        while (!data.empty() && !isspace((unsigned char)data.back()))
            data.pop_back();
    *list = ParseUserDictionary(data.data(), data.size());
    return whole ? 0 : -1;
}

int WriteUserDictionary(const char *path, const std::vector<std::string> &list)
{
    char beside[MAX_PATH + 8];
    if (snprintf(beside, sizeof beside, "%s.new", path) >= (int)sizeof beside)
        return -1;
    FILE *file = fopen(beside, "wb");
    if (!file)
        return -1;
    std::string text = FormatUserDictionary(list);
    bool written = fwrite(text.data(), 1, text.size(), file) == text.size();
    written = fflush(file) == 0 && written;
    written = fclose(file) == 0 && written;
    if (!written || !MoveFileExA(beside, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(beside);
        return -1;
    }
    return 0;
}

// ---------------------------------------------------------------- dictionaries

void UnloadSpellDictionaries(SpellDictionary *table, int capacity)
{
    for (int i = 0; i < capacity; i++) {
        DestroySpellChecker(table[i].checker);
        table[i].checker = nullptr;
        table[i].name[0] = '\0';
    }
}

static void UnloadDictionaries(SpellDialogState *s)
{
    UnloadSpellDictionaries(s->dictionaries, SPELL_MAX_DICTIONARIES);
    s->dictionaryCount = 0;
    s->current = nullptr;
}

static bool EndsWithDic(const char *name)
{
    size_t length = strlen(name);
    return length > 4 && lstrcmpiA(name + length - 4, ".dic") == 0;
}

int LoadSpellDictionaries(const char *folder, SpellDictionary *table, int capacity)
{
    std::string pattern = std::string(folder) + "*_*.dic";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return -1;
    UnloadSpellDictionaries(table, capacity);
    int count = 0;
    do {
        // The pattern also matches longer extensions such as ".dict".
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !EndsWithDic(found.cFileName))
            continue;
        std::string dictionary = std::string(folder) + found.cFileName;
        std::string affix = AffixPathFor(dictionary);
        SpellChecker *checker = CreateSpellChecker(affix.c_str(), dictionary.c_str());
        if (!checker)
            continue;
        table[count].checker = checker;
        lstrcpynA(table[count].name, DictionaryName(found.cFileName).c_str(), sizeof table[count].name);
        count++;
    } while (count < capacity && FindNextFileA(search, &found));
    FindClose(search);
    return count;
}

static void LoadDictionaries(SpellDialogState *s)
{
    if (!SpellDictionaryFolder(s->folder, sizeof s->folder))
        return;
    int count = LoadSpellDictionaries(s->folder, s->dictionaries, SPELL_MAX_DICTIONARIES);
    // No pair found at all: the table keeps what it had.
    if (count >= 0) {
        s->dictionaryCount = count;
        s->current = nullptr;
    }
}

static std::string UserLocaleName(void)
{
    char language[16] = "", country[16] = "";
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof language);
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof country);
    return std::string(language) + "_" + country;
}

// ---------------------------------------------------------------- the walk

static bool SystemLetter(unsigned char c)
{
    return IsCharAlphaA((CHAR)c) != 0;
}

static std::string DialogText(HWND dialog, int id)
{
    char word[SPELL_WORD_MAX + 1] = "";
    GetDlgItemTextA(dialog, id, word, sizeof word);
    return word;
}

static void ShowSuggestions(HWND dialog, SpellDialogState *s, const std::string &word)
{
    SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_RESETCONTENT, 0, 0);
    for (const std::string &suggestion : SpellSuggestions(s->current, word))
        SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_ADDSTRING, 0, (LPARAM)suggestion.c_str());
}

static void SetVerdictIcon(HWND dialog, HICON icon)
{
    SendDlgItemMessageA(dialog, IDC_SPELL_CHECK, BM_SETIMAGE, IMAGE_ICON, (LPARAM)icon);
}

static void NextWord(HWND dialog, SpellDialogState *s)
{
    if (!s->current)
        return;
    if (s->walk.finished) {
        s->completed = 1;
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        return;
    }
    SendMessageA(s->edit, EM_HIDESELECTION, TRUE, 0);
    int start, end;
    SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_RESETCONTENT, 0, 0);
    if (!NextSpellWord(&s->walk, s->text.data(), (int)s->text.size(), SystemLetter, &start, &end)) {
        SendMessageA(s->edit, EM_HIDESELECTION, FALSE, 0);
        PostMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
        return;
    }
    s->wordStart = start;
    s->wordEnd = end;
    CHARRANGE range = {start, end};
    SendMessageA(s->edit, EM_EXSETSEL, 0, (LPARAM)&range);
    std::string word = s->text.substr((size_t)start, (size_t)(end - start));
    if (ListHoldsWord(SpellIgnoreList, word) || ListHoldsWord(s->userList, word) ||
        SpellWordIsCorrect(s->current, word)) {
        PostMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
        return;
    }
    SendMessageA(s->edit, EM_SCROLLCARET, 0, 0);
    SendMessageA(s->edit, EM_HIDESELECTION, FALSE, 0);
    SetDlgItemTextA(dialog, IDC_SPELL_WORD, word.c_str());
    SetVerdictIcon(dialog, s->wrongIcon);
    if (!IsWindowVisible(dialog))
        ShowWindow(dialog, SW_SHOW);
    ShowSuggestions(dialog, s, word);
}

static void ReplaceWord(HWND dialog, SpellDialogState *s)
{
    std::string replacement = DialogText(dialog, IDC_SPELL_WORD);
    CHARRANGE range = {s->wordStart, s->wordEnd};
    SendMessageA(s->edit, EM_EXSETSEL, 0, (LPARAM)&range);
    SendMessageA(s->edit, EM_REPLACESEL, TRUE, (LPARAM)replacement.c_str());
    // The control may count the new text differently (line ends): its own
    // selection says where the replacement ends.
    CHARRANGE after = {0, 0};
    SendMessageA(s->edit, EM_EXGETSEL, 0, (LPARAM)&after);
    SpellWalkReplaced(&s->walk, s->wordStart, s->wordEnd - s->wordStart, after.cpMax - s->wordStart);
    if (ReadEditText(s->edit, &s->text) < 0)
        s->text.clear();
    PostMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
}

static void CheckTypedWord(HWND dialog, SpellDialogState *s)
{
    std::string word = DialogText(dialog, IDC_SPELL_WORD);
    if (SpellWordIsCorrect(s->current, word)) {
        SetVerdictIcon(dialog, s->correctIcon);
        return;
    }
    SetVerdictIcon(dialog, s->wrongIcon);
    ShowSuggestions(dialog, s, word);
}

static void AddToList(HWND dialog, std::vector<std::string> *list)
{
    std::string word = DialogText(dialog, IDC_SPELL_WORD);
    if (!word.empty() && !ListHoldsWord(*list, word))
        list->insert(list->begin(), word);
    PostMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
}

// ---------------------------------------------------------------- dialog 144

static INT_PTR CALLBACK UserDictionaryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    std::vector<std::string> *list = (std::vector<std::string> *)GetWindowLongPtrA(dialog, DWLP_USER);
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        for (const std::string &word : *(std::vector<std::string> *)lParam)
            SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_ADDSTRING, 0, (LPARAM)word.c_str());
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_USER_REMOVE: {
            LRESULT at = SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETCURSEL, 0, 0);
            if (at != LB_ERR)
                SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_DELETESTRING, (WPARAM)at, 0);
            break;
        }
        case IDC_USER_REMOVE_ALL:
            SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_RESETCONTENT, 0, 0);
            break;
        case IDC_USER_SAVE: {
            std::vector<std::string> words;
            int count = (int)SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; i++) {
                LRESULT length = SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETTEXTLEN, i, 0);
                if (length <= 0 || length > SPELL_WORD_MAX)
                    continue;
                std::string word((size_t)length + 1, '\0');
                SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETTEXT, i, (LPARAM)&word[0]);
                word.resize(strlen(word.c_str()));
                if (!word.empty())
                    words.push_back(word);
            }
            // Each word is put at the front in turn: the list ends up reversed.
            std::reverse(words.begin(), words.end());
            list->swap(words);
            EndDialog(dialog, 1);
            break;
        }
        case IDC_USER_CANCEL:
        case IDCANCEL:
            EndDialog(dialog, 0);
            break;
        }
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, 0);
        return TRUE;
    }
    return FALSE;
}

// ---------------------------------------------------------------- dialog 141

static void PlaceDialog(HWND dialog, HWND edit)
{
    HWND note = GetParent(edit) ? GetParent(edit) : edit;
    RECT noteRect, own, desktop;
    GetWindowRect(note, &noteRect);
    GetWindowRect(dialog, &own);
    GetWindowRect(GetDesktopWindow(), &desktop);
    SpellPlacement at = PlaceBelowNote(noteRect.left, noteRect.right, noteRect.bottom, own.right - own.left,
                                       own.bottom - own.top, desktop.right, desktop.bottom);
    SetWindowPos(dialog, nullptr, at.left, at.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

static BOOL OpenSpellDialog(HWND dialog, SpellDialogState *s)
{
    char path[MAX_PATH];
    s->userList.clear();
    s->userFileUnread = UserDictionaryPath(path, sizeof path) && ReadUserDictionary(path, &s->userList) < 0;
    LoadDictionaries(s);
    HWND list = GetDlgItem(dialog, IDC_SPELL_DICTIONARY);
    std::vector<std::string> names;
    for (int i = 0; i < s->dictionaryCount; i++) {
        LRESULT at = SendMessageA(list, CB_ADDSTRING, 0, (LPARAM)s->dictionaries[i].name);
        SendMessageA(list, CB_SETITEMDATA, (WPARAM)at, i);
        names.push_back(s->dictionaries[i].name);
    }
    // The list is in the order added, so the names' order is the list's.
    int chosen = ChooseDictionary(names, UserLocaleName());
    if (chosen >= 0) {
        SendMessageA(list, CB_SETCURSEL, (WPARAM)chosen, 0);
        s->current = s->dictionaries[chosen].checker;
    }
    if (!s->current) {
        char text[MAX_PATH + 160];
        snprintf(text, sizeof text, SPELL_NO_DICTIONARY_TEXT, s->folder);
        ZtMessageBox(dialog, text, SPELL_NO_DICTIONARY_CAPTION, MB_ICONINFORMATION);
        return FALSE;
    }
    s->correctIcon = (HICON)LoadImageA(GetModuleHandleA(nullptr),
                                       MAKEINTRESOURCEA(IDI_SPELL_CORRECT), IMAGE_ICON, 16, 16, 0);
    s->wrongIcon = (HICON)LoadImageA(GetModuleHandleA(nullptr),
                                     MAKEINTRESOURCEA(IDI_SPELL_WRONG), IMAGE_ICON, 16, 16, 0);
    if (ReadEditText(s->edit, &s->text) < 0)
        s->text.clear();
    CHARRANGE selection = {0, 0};
    SendMessageA(s->edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    BeginSpellWalk(&s->walk, s->text.data(), (int)s->text.size(), selection.cpMin, SystemLetter);
    PlaceDialog(dialog, s->edit);
    PostMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
    return TRUE;
}

static void CloseSpellDialog(HWND dialog, SpellDialogState *s)
{
    EndDialog(dialog, s->completed);
    UnloadDictionaries(s);
    char path[MAX_PATH];
    bool havePath = UserDictionaryPath(path, sizeof path);
    if (havePath && s->userFileUnread) {
        char text[MAX_PATH + 160];
        snprintf(text, sizeof text,
                 "The user dictionary %s could not be read whole, so it was left as it was: "
                 "the words added now are not saved.", path);
        ZtMessageBox(dialog, text, SPELL_UNKNOWN_ERROR_CAPTION, MB_ICONEXCLAMATION);
    } else if (!havePath || WriteUserDictionary(path, s->userList) < 0) {
        ZtMessageBox(dialog, "The user dictionary could not be saved.", SPELL_UNKNOWN_ERROR_CAPTION,
                     MB_ICONEXCLAMATION);
    }
    s->userList.clear();
    if (s->correctIcon)
        DestroyIcon(s->correctIcon);
    if (s->wrongIcon)
        DestroyIcon(s->wrongIcon);
    s->correctIcon = s->wrongIcon = nullptr;
}

static void OnSpellCommand(HWND dialog, SpellDialogState *s, int id, int code)
{
    switch (id) {
    case IDC_SPELL_NEXT:
        NextWord(dialog, s);
        break;
    case IDC_SPELL_REPLACE:
        ReplaceWord(dialog, s);
        break;
    case IDC_SPELL_CHECK:
        CheckTypedWord(dialog, s);
        break;
    case IDC_SPELL_SUGGESTIONS:
        if (code == LBN_SELCHANGE) {
            LRESULT at = SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_GETCURSEL, 0, 0);
            LRESULT length = at == LB_ERR ? LB_ERR : SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_GETTEXTLEN, at, 0);
            if (length >= 0 && length <= SPELL_WORD_MAX) {
                char word[SPELL_WORD_MAX + 1] = "";
                SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_GETTEXT, at, (LPARAM)word);
                SetDlgItemTextA(dialog, IDC_SPELL_WORD, word);
                PostMessageA(dialog, WM_COMMAND, IDC_SPELL_CHECK, 0);
            }
        } else if (code == LBN_DBLCLK) {
            PostMessageA(dialog, WM_COMMAND, IDC_SPELL_REPLACE, 0);
        }
        break;
    case IDC_SPELL_DICTIONARY:
        if (code == CBN_SELCHANGE) {
            LRESULT at = SendDlgItemMessageA(dialog, IDC_SPELL_DICTIONARY, CB_GETCURSEL, 0, 0);
            LRESULT index = at == CB_ERR ? CB_ERR : SendDlgItemMessageA(dialog, IDC_SPELL_DICTIONARY, CB_GETITEMDATA, at, 0);
            if (index >= 0 && index < s->dictionaryCount && s->dictionaries[index].checker)
                s->current = s->dictionaries[index].checker;
            SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_RESETCONTENT, 0, 0);
            SendMessageA(dialog, WM_COMMAND, IDC_SPELL_CHECK, 0);
        }
        break;
    case IDC_SPELL_IGNORE_ALL:
        AddToList(dialog, &SpellIgnoreList);
        break;
    case IDC_SPELL_ADD:
        AddToList(dialog, &s->userList);
        break;
    case IDC_SPELL_EDIT_USER:
        DialogBoxParamA(GetModuleHandleA(nullptr),
                        MAKEINTRESOURCEA(IDD_USER_DICTIONARY), dialog, UserDictionaryProc, (LPARAM)&s->userList);
        break;
    case IDCANCEL:
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        break;
    }
}

static INT_PTR CALLBACK SpellDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    SpellDialogState *s = (SpellDialogState *)GetWindowLongPtrA(dialog, DWLP_USER);
    if (message == WM_INITDIALOG) {
        s = (SpellDialogState *)lParam;
        SetWindowLongPtrA(dialog, DWLP_USER, (LONG_PTR)s);
        if (!OpenSpellDialog(dialog, s))
            PostMessageA(dialog, WM_CLOSE, 0, 0);
        return FALSE;
    }
    if (!s)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        OnSpellCommand(dialog, s, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_CLOSE:
        CloseSpellDialog(dialog, s);
        return TRUE;
    }
    return FALSE;
}

int SpellCheckZettly(HWND edit)
{
    if (!edit)
        return 0;
    SendMessageA(edit, WM_USER, EDIT_HIDE_BARS, 0);
    CHARRANGE selection = {0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, (LPARAM)&selection);
    SpellDialogState *state = new SpellDialogState();
    state->edit = edit;
    INT_PTR completed = DialogBoxParamA(GetModuleHandleA(nullptr),
                                        MAKEINTRESOURCEA(IDD_SPELL_CHECK), edit, SpellDialogProc,
                                        (LPARAM)state);
    UnloadDictionaries(state);
    delete state;
    SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&selection);
    SendMessageA(edit, WM_USER, EDIT_SHOW_BARS, 0);
    if (completed == 1) {
        HWND note = GetParent(edit) ? GetParent(edit) : edit;
        ZtMessageBox(note, SPELL_DONE_TEXT, SPELL_DONE_CAPTION, MB_ICONINFORMATION);
        return 1;
    }
    return 0;
}

// The dialog as the edit control's command runs it: parameter the control's
// ZettlyEditState; the command hides the bars and keeps the selection.
INT_PTR CALLBACK SpellCheckDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    SpellDialogState *s = (SpellDialogState *)GetWindowLongPtrA(dialog, DWLP_USER);
    if (message == WM_INITDIALOG) {
        ZettlyEditState *editState = (ZettlyEditState *)lParam;
        if (!editState || !editState->edit) {
            EndDialog(dialog, 0);
            return TRUE;
        }
        s = new SpellDialogState();
        s->edit = editState->edit;
        return SpellDialogProc(dialog, message, wParam, (LPARAM)s);
    }
    if (message == WM_NCDESTROY && s) {
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        UnloadDictionaries(s);
        int completed = s->completed;
        HWND note = GetParent(s->edit) ? GetParent(s->edit) : s->edit;
        delete s;
        if (completed)
            ZtMessageBox(note, SPELL_DONE_TEXT, SPELL_DONE_CAPTION, MB_ICONINFORMATION);
        return FALSE;
    }
    return SpellDialogProc(dialog, message, wParam, lParam);
}
