// The fixture of the save and load tests: a data folder of the test's own,
// with real note windows, and what the tests ask of its files.
#pragma once
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "core/notes_table/notes_file_ids.h"
#include "notes_file_fixture.h"
#include "test_support.h"

namespace notes_test {

class NotesFileCase : public ::testing::Test {
protected:
    ScopedTempFolder data;
    char previousFolder[MAX_PATH] = {};

    void SetUp() override
    {
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        ASSERT_TRUE(SetCurrentDirectoryA(data.Path().c_str()));
        PrepareNoteWindows();
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        ResetDefaultSettings();
        ZettlySchemes.count = 0;
        ASSERT_EQ(PrepareZettlyFileSet(), 0);
    }
    void TearDown() override
    {
        SetNotesFileStepHook(nullptr);
        DestroyAllNotes();
        CloseZettlyFileSet();
        SetCurrentDirectoryA(previousFolder);
    }

    std::string PathOf(const char *name) { return data.Path() + "\\" + name; }
    std::string Bytes(const char *name)
    {
        std::ifstream in(PathOf(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Put(const char *name, const std::string &bytes)
    {
        std::ofstream out(PathOf(name), std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), (std::streamsize)bytes.size());
    }
    void DeleteAllFiles()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(PathOf("*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                DeleteFileA(PathOf(found.cFileName).c_str());
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    // The marker and records as an older copy of the program writes them: the
    // marker's sentence only, without what the files hold, and no stamp of
    // each note's text, so that files changed by the test load as they did
    // before the marker and the records said more.
    void AsWrittenByAnOlderCopy()
    {
        std::string ok = Bytes("zettly.ok");
        Put("zettly.ok", ok.substr(0, ok.find('\n') + 1));
        std::string rec = Bytes("zettly.rec");
        int32_t schemes = 0;
        if (rec.size() >= 4)
            std::memcpy(&schemes, rec.data(), 4);
        size_t first = 4 + 12 * (size_t)(schemes > 0 ? schemes : 0) + ZETTLY_RECORD_BYTES;
        for (size_t at = first; at + ZETTLY_RECORD_BYTES <= rec.size(); at += ZETTLY_RECORD_BYTES)
            for (size_t field : {(size_t)NOTE_TEXT_STAMP_LENGTH_AT, (size_t)NOTE_TEXT_STAMP_CHECK_AT})
                std::memset(&rec[at + field], 0, 4);
        Put("zettly.rec", rec);
    }
    bool Exists(const char *name)
    {
        return GetFileAttributesA(PathOf(name).c_str()) != INVALID_FILE_ATTRIBUTES;
    }

    // Notes 0..count-1 in the first slots, each text ending in its own tag.
    void MakeNotes(int count, const std::string &tag)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_EQ(MakeNote(i, i), 0);
            WriteRichText(ZettlyTable[i].editWindow, tag + std::to_string(i));
        }
    }
    int Reload()
    {
        DestroyAllNotes();
        return LoadZettlies();
    }
    // What a new run of the program starts from: nothing of this run's state.
    void Restart()
    {
        DestroyAllNotes();
        CloseZettlyFileSet();
        ASSERT_EQ(PrepareZettlyFileSet(), 0);
    }
    // Number of notes and whether each holds its text with the tag.
    void ExpectNotes(int count, const std::string &tag)
    {
        for (int i = 0; i < count; ++i) {
            ASSERT_NE(ZettlyTable[i].window, nullptr) << i;
            std::string why;
            EXPECT_TRUE(HasRichText(ZettlyTable[i].editWindow, tag + std::to_string(i), &why))
                << "note " << i << ": " << why;
        }
        EXPECT_EQ(ZettlyTable[count].window, nullptr);
    }
};

} // namespace notes_test
