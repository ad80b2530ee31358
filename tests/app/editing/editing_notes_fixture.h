// Real notes with OLE set up, in a data folder of the test's own, for the
// check-list and embedded-object tests.
#pragma once
#include <gtest/gtest.h>

#include <windows.h>
#include <ole2.h>

#include <fstream>
#include <iterator>
#include <string>

#include "notes_file_fixture.h"
#include "test_support.h"

class EditingNotes : public ::testing::Test {
protected:
    ScopedTempFolder data;
    char previousFolder[MAX_PATH] = {};

    void SetUp() override
    {
        OleInitialize(nullptr);
        GetCurrentDirectoryA(sizeof previousFolder, previousFolder);
        ASSERT_TRUE(SetCurrentDirectoryA(data.Path().c_str()));
        notes_test::PrepareNoteWindows();
        std::memset(ZettlyTable, 0, sizeof ZettlyTable);
        ResetDefaultSettings();
        ASSERT_EQ(PrepareZettlyFileSet(), 0);
    }
    void TearDown() override
    {
        notes_test::DestroyAllNotes();
        CloseZettlyFileSet();
        SetCurrentDirectoryA(previousFolder);
        OleUninitialize();
    }

    std::string Bytes(const char *name)
    {
        std::ifstream in(data.Path() + "\\" + name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Put(const char *name, const std::string &bytes)
    {
        std::ofstream out(data.Path() + "\\" + name, std::ios::binary | std::ios::trunc);
        out.write(bytes.data(), (std::streamsize)bytes.size());
    }
};
