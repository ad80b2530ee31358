#include "editing/spell_dialog.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "editing/editing_ids.h"
#include "editing/spell_checker.h"
#include "editing/spell_words.h"
#include "test_support.h"

namespace {

class SpellNote : public ::testing::Test {
protected:
    void SetUp() override
    {
        library = LoadLibraryA("RICHED32.DLL");
        ASSERT_NE(nullptr, library);
        note = CreateWindowExA(0, "STATIC", "note", WS_POPUP | WS_VISIBLE, 100, 100, 300, 150, nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
        edit = CreateWindowExA(0, "RICHEDIT", "", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 150, note,
                               (HMENU)1, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(nullptr, edit);
        // The user dictionary goes to the data folder: this test's own.
        char old[MAX_PATH] = "";
        hadAppData = GetEnvironmentVariableA("APPDATA", old, sizeof old) > 0;
        oldAppData = old;
        SetEnvironmentVariableA("APPDATA", data.Path().c_str());
        SpellIgnoreList.clear();
    }
    void TearDown() override
    {
        SetEnvironmentVariableA("APPDATA", hadAppData ? oldAppData.c_str() : nullptr);
        if (note)
            DestroyWindow(note);
        if (library)
            FreeLibrary(library);
    }
    void SetText(const char *text)
    {
        SetWindowTextA(edit, text);
        CHARRANGE start = {0, 0};
        SendMessageA(edit, EM_EXSETSEL, 0, (LPARAM)&start);
    }
    std::string Text()
    {
        char buffer[512] = "";
        GetWindowTextA(edit, buffer, sizeof buffer);
        return buffer;
    }
    std::string UserFile()
    {
        std::ifstream in(data.Path() + "\\zettliesuser.dic", std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }
    static bool HaveDictionary(const char *name)
    {
        char folder[MAX_PATH];
        if (!SpellDictionaryFolder(folder, sizeof folder))
            return false;
        return GetFileAttributesA((std::string(folder) + name + ".dic").c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    ScopedTempFolder data;
    bool hadAppData = false;
    std::string oldAppData;
    HMODULE library = nullptr;
    HWND note = nullptr;
    HWND edit = nullptr;
};

std::string Item(HWND dialog, int id)
{
    char text[256] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::vector<std::string> Suggestions(HWND dialog)
{
    std::vector<std::string> out;
    int count = (int)SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; i++) {
        char text[256] = "";
        SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_GETTEXT, i, (LPARAM)text);
        out.push_back(text);
    }
    return out;
}

int IndexOf(const std::vector<std::string> &list, const std::string &word)
{
    for (size_t i = 0; i < list.size(); i++)
        if (list[i] == word)
            return (int)i;
    return -1;
}

void ChooseDictionary(HWND dialog, const char *name)
{
    LRESULT at = SendDlgItemMessageA(dialog, IDC_SPELL_DICTIONARY, CB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)name);
    ASSERT_NE(CB_ERR, at);
    SendDlgItemMessageA(dialog, IDC_SPELL_DICTIONARY, CB_SETCURSEL, (WPARAM)at, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPELL_DICTIONARY, CBN_SELCHANGE),
                 (LPARAM)GetDlgItem(dialog, IDC_SPELL_DICTIONARY));
}

} // namespace

TEST_F(SpellNote, UnknownWordsAreShownWithSuggestionsAndTheUserDictionaryPersists)
{
    if (!HaveDictionary("en_US"))
        GTEST_SKIP() << "no English dictionary beside the test";
    SetText("This note has a mistak and anothr");
    MessageBoxRecorder boxes;
    std::vector<std::string> flagged;
    int shown = 0;
    {
        ModalDialogAnswerer answer([&](HWND dialog) {
            ChooseDictionary(dialog, "en_US");
            flagged.push_back(Item(dialog, IDC_SPELL_WORD));
            EXPECT_NE(-1, IndexOf(Suggestions(dialog), "mistake"));
            SendMessageA(dialog, WM_COMMAND, IDC_SPELL_ADD, 0);
            // The last word of the note, with nothing behind it, is checked too.
            ASSERT_TRUE(PumpUntil([&] { return Item(dialog, IDC_SPELL_WORD) == "anothr"; }, ScaledWait(5000)));
            flagged.push_back(Item(dialog, IDC_SPELL_WORD));
            std::vector<std::string> suggestions = Suggestions(dialog);
            int another = IndexOf(suggestions, "another");
            ASSERT_NE(-1, another);
            SendDlgItemMessageA(dialog, IDC_SPELL_SUGGESTIONS, LB_SETCURSEL, another, 0);
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_SPELL_SUGGESTIONS, LBN_SELCHANGE),
                         (LPARAM)GetDlgItem(dialog, IDC_SPELL_SUGGESTIONS));
            EXPECT_EQ("another", Item(dialog, IDC_SPELL_WORD));
            SendMessageA(dialog, WM_COMMAND, IDC_SPELL_REPLACE, 0);
        });
        EXPECT_EQ(1, SpellCheckZettly(edit));
        shown = answer.Count();
    }
    EXPECT_EQ(1, shown);
    EXPECT_EQ((std::vector<std::string>{"mistak", "anothr"}), flagged);
    EXPECT_EQ("This note has a mistak and another", Text());
    ASSERT_EQ(1u, boxes.Boxes().size());
    EXPECT_EQ(SPELL_DONE_TEXT, boxes.Boxes()[0].text);
    EXPECT_EQ(SPELL_DONE_CAPTION, boxes.Boxes()[0].caption);
    EXPECT_EQ("mistak\n", UserFile());

    // The next run reads the word back: every word is known now, and the
    // dialog never shows.
    ModalDialogAnswerer none([](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(1, SpellCheckZettly(edit));
    EXPECT_EQ(0, none.Count());
    EXPECT_EQ(2u, boxes.Boxes().size());
}

TEST_F(SpellNote, IgnoreAllHoldsForTheRestOfTheProgramWhateverTheCase)
{
    if (!HaveDictionary("en_US"))
        GTEST_SKIP() << "no English dictionary beside the test";
    SetText("Zettly notes: zettly, ZETTLY.");
    MessageBoxRecorder boxes;
    ModalDialogAnswerer answer([&](HWND dialog) {
        ChooseDictionary(dialog, "en_US");
        EXPECT_EQ("Zettly", Item(dialog, IDC_SPELL_WORD));
        SendMessageA(dialog, WM_COMMAND, IDC_SPELL_IGNORE_ALL, 0);
    });
    EXPECT_EQ(1, SpellCheckZettly(edit));
    EXPECT_EQ(1, answer.Count());
    EXPECT_EQ(1u, SpellIgnoreList.size());
    EXPECT_EQ("", UserFile());
}

TEST_F(SpellNote, GermanDictionaryChecksAccentedWords)
{
    if (!HaveDictionary("de_DE"))
        GTEST_SKIP() << "no German dictionary beside the test";
    // Windows-1252: "Grüße aus der Straße, der Fehlr ist hier"
    SetText("Gr\xFC\xDF" "e aus der Stra\xDF" "e, der Fehlr ist hier");
    MessageBoxRecorder boxes;
    std::vector<std::string> flagged;
    ModalDialogAnswerer answer([&](HWND dialog) {
        ChooseDictionary(dialog, "de_DE");
        // Whatever the first dictionary flagged, German knows it.
        if (Item(dialog, IDC_SPELL_WORD) != "Fehlr")
            SendMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
        ASSERT_TRUE(PumpUntil([&] { return Item(dialog, IDC_SPELL_WORD) == "Fehlr" && !Suggestions(dialog).empty(); },
                              ScaledWait(5000)));
        flagged.push_back(Item(dialog, IDC_SPELL_WORD));
        EXPECT_NE(-1, IndexOf(Suggestions(dialog), "Fehler"));
        SendMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
    });
    EXPECT_EQ(1, SpellCheckZettly(edit));
    EXPECT_EQ((std::vector<std::string>{"Fehlr"}), flagged);
}

TEST_F(SpellNote, AFolderWithoutDictionariesLoadsNothing)
{
    ScopedTempFolder empty;
    SpellDictionary table[SPELL_MAX_DICTIONARIES] = {};
    EXPECT_EQ(-1, LoadSpellDictionaries((empty.Path() + "\\").c_str(), table, SPELL_MAX_DICTIONARIES));
}

TEST_F(SpellNote, AtMostTenDictionariesAreLoaded)
{
    ScopedTempFolder folder;
    for (int i = 0; i < 12; i++) {
        char name[64];
        snprintf(name, sizeof name, "%s\\x%c_XX", folder.Path().c_str(), 'a' + i);
        std::ofstream(std::string(name) + ".aff") << "SET UTF-8\n";
        std::ofstream(std::string(name) + ".dic") << "1\nword\n";
    }
    // Not a dictionary though the pattern matches it.
    std::ofstream(folder.Path() + "\\zz_ZZ.dict") << "1\nword\n";
    SpellDictionary table[SPELL_MAX_DICTIONARIES + 1] = {};
    int count = LoadSpellDictionaries((folder.Path() + "\\").c_str(), table, SPELL_MAX_DICTIONARIES);
    EXPECT_EQ(SPELL_MAX_DICTIONARIES, count);
    for (int i = 0; i < SPELL_MAX_DICTIONARIES; i++) {
        ASSERT_NE(nullptr, table[i].checker) << i;
        EXPECT_EQ(1, SpellWordIsCorrect(table[i].checker, "word"));
        EXPECT_NE('z', table[i].name[0]);
    }
    EXPECT_EQ(nullptr, table[SPELL_MAX_DICTIONARIES].checker);
    UnloadSpellDictionaries(table, SPELL_MAX_DICTIONARIES);
}

TEST_F(SpellNote, AHostileUserDictionaryIsReadWithinBounds)
{
    {
        std::ofstream out(data.Path() + "\\zettliesuser.dic", std::ios::binary);
        out << "first\n" << std::string(200000, 'x') << "\nsecond";
    }
    char path[MAX_PATH];
    ASSERT_TRUE(UserDictionaryPath(path, sizeof path));
    std::vector<std::string> words;
    EXPECT_EQ(0, ReadUserDictionary(path, &words));
    EXPECT_EQ((std::vector<std::string>{"second", "first"}), words);
    ASSERT_EQ(0, WriteUserDictionary(path, {"b", "a"}));
    EXPECT_EQ("b\na\n", UserFile());
}

TEST_F(SpellNote, AUserDictionaryTooLargeToReadIsNotWrittenOver)
{
    if (!HaveDictionary("en_US"))
        GTEST_SKIP() << "no English dictionary beside the test";
    std::string huge;
    for (int i = 0; huge.size() < 5 * 1024 * 1024; i++)
        huge += "word" + std::to_string(i) + "\n";
    {
        std::ofstream out(data.Path() + "\\zettliesuser.dic", std::ios::binary);
        out << huge;
    }
    SetText("a mistak");
    MessageBoxRecorder boxes;
    ModalDialogAnswerer answer([&](HWND dialog) {
        ChooseDictionary(dialog, "en_US");
        SendMessageA(dialog, WM_COMMAND, IDC_SPELL_ADD, 0);
    });
    EXPECT_EQ(1, SpellCheckZettly(edit));
    EXPECT_EQ(1, answer.Count());
    EXPECT_TRUE(UserFile() == huge) << "the user dictionary was written over";
    ASSERT_EQ(2u, boxes.Boxes().size());
    EXPECT_NE(std::string::npos, boxes.Boxes()[0].text.find("could not be read whole"));
    EXPECT_EQ(SPELL_DONE_TEXT, boxes.Boxes()[1].text);
}

TEST_F(SpellNote, TheUserDictionaryEditorRemovesWordsAndItsSaveIsWrittenAtTheEnd)
{
    if (!HaveDictionary("en_US"))
        GTEST_SKIP() << "no English dictionary beside the test";
    {
        std::ofstream out(data.Path() + "\\zettliesuser.dic", std::ios::binary);
        out << "alpha\nbeta\ngamma\n";
    }
    SetText("a mistak");
    MessageBoxRecorder boxes;
    std::vector<std::string> shown;
    ModalDialogAnswerer answer([&](HWND dialog) {
        char caption[64] = "";
        GetWindowTextA(dialog, caption, sizeof caption);
        if (std::string(caption) == "User Dictionary Edit") {
            int count = (int)SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETCOUNT, 0, 0);
            for (int i = 0; i < count; i++) {
                char word[64] = "";
                SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_GETTEXT, i, (LPARAM)word);
                shown.push_back(word);
            }
            LRESULT beta = SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_FINDSTRINGEXACT, (WPARAM)-1, (LPARAM)"beta");
            SendDlgItemMessageA(dialog, IDC_USER_WORDS, LB_SETCURSEL, (WPARAM)beta, 0);
            SendMessageA(dialog, WM_COMMAND, IDC_USER_REMOVE, 0);
            SendMessageA(dialog, WM_COMMAND, IDC_USER_SAVE, 0);
            return;
        }
        ChooseDictionary(dialog, "en_US");
        SendMessageA(dialog, WM_COMMAND, IDC_SPELL_EDIT_USER, 0);
        // Nothing is written while the check runs.
        EXPECT_EQ("alpha\nbeta\ngamma\n", UserFile());
        SendMessageA(dialog, WM_COMMAND, IDC_SPELL_NEXT, 0);
    });
    EXPECT_EQ(1, SpellCheckZettly(edit));
    EXPECT_EQ(2, answer.Count());
    // The file's lines come back newest first; the editor's save turns its
    // list round, so the words are written in the file's first order.
    EXPECT_EQ((std::vector<std::string>{"gamma", "beta", "alpha"}), shown);
    EXPECT_EQ("alpha\ngamma\n", UserFile());
}
