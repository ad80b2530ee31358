#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "changer_window.h"
#include "wallpaper_change.h"

namespace {

struct Box {
    std::string text, caption;
};
std::vector<Box> Boxes;

int RecordBox(HWND, const char *text, const char *caption, UINT)
{
    Boxes.push_back({text, caption});
    return IDOK;
}

void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

std::string ReadFile(const std::string &path)
{
    std::string content;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            content.append(buffer, n);
        std::fclose(f);
    }
    return content;
}

void WriteFile(const std::string &path, const std::string &content)
{
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

class Changer : public ::testing::Test {
protected:
    HKEY root = nullptr;
    std::string rootPath, folder;

    void SetUp() override
    {
        rootPath = "Software\\ZettliesTests\\changer-" + std::to_string(GetCurrentProcessId());
        RegCreateKeyA(HKEY_CURRENT_USER, rootPath.c_str(), &root);
        SetChangerRegistryRoot(root);
        SetChangerMessageBoxHook(RecordBox);
        Boxes.clear();
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        folder = std::string(temp) + "zt-changer-" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        ::Changer.busy = 0;
    }
    void TearDown() override
    {
        SetChangerRegistryRoot(nullptr);
        SetChangerMessageBoxHook(nullptr);
        RegDeleteTreeA(HKEY_CURRENT_USER, rootPath.c_str());
        RegCloseKey(root);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do
                DeleteFileA((folder + "\\" + found.cFileName).c_str());
            while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(folder.c_str());
    }
    void SetValue(const char *key, const char *name, const std::string &value)
    {
        HKEY k;
        RegCreateKeyA(root, key, &k);
        RegSetValueExA(k, name, 0, REG_SZ, (const BYTE *)value.c_str(), (DWORD)value.size());
        RegCloseKey(k);
    }
    std::string GetValue(const char *key, const char *name)
    {
        char value[600] = {};
        DWORD size = sizeof value - 1;
        HKEY k;
        if (RegOpenKeyA(root, key, &k) != ERROR_SUCCESS)
            return "<no key>";
        LONG r = RegQueryValueExA(k, name, nullptr, nullptr, (BYTE *)value, &size);
        RegCloseKey(k);
        if (r != ERROR_SUCCESS)
            return "<missing>";
        // Wine hands back a terminator it added to a value stored without one.
        while (size > 0 && value[size - 1] == 0)
            --size;
        return std::string(value, size);
    }
};

} // namespace

TEST_F(Changer, LibraryExportsItsRunnerUnderItsPlainName)
{
    HMODULE library = LoadLibraryA(("Z:" + std::string(WALLVANE_DLL)).c_str());
    ASSERT_NE(library, nullptr);
    typedef HWND(WINAPI * Runner)(HWND);
    Runner run = (Runner)(void *)GetProcAddress(library, "BGChangerRunner");
    ASSERT_NE(run, nullptr);
    HWND window = run(nullptr);
    ASSERT_NE(window, nullptr);
    char name[32];
    GetClassNameA(window, name, sizeof name);
    EXPECT_STREQ(name, "BGWindow");
    EXPECT_FALSE(IsWindowVisible(window));
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(window));
    FreeLibrary(library);
}

TEST_F(Changer, SettingsAreReadAtStartAndWrittenAtClose)
{
    SetValue("software\\Kestrova", "BG Changer Vars", "30 0 1 0");
    SetValue("software\\Kestrova", "BG Changer Image Path", folder);
    HWND window = BGChangerRunner(nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(::Changer.settings.refreshMinutes, 30);
    EXPECT_EQ(::Changer.settings.sharpenMore, 1);
    EXPECT_EQ(std::string(::Changer.directory), folder);

    SendMessageA(window, WM_COMMAND, CM_SHARPEN, 0);
    SendMessageA(window, WM_COMMAND, CM_BILINEAR, 0);
    DestroyWindow(window);
    EXPECT_EQ(GetValue("software\\Kestrova", "BG Changer Vars"), "30 1 0 1");
    EXPECT_EQ(GetValue("software\\Kestrova", "BG Changer Image Path"), folder);
}

TEST_F(Changer, TicksStartNoChangeWhileOffOrBusy)
{
    HWND window = BGChangerRunner(nullptr);
    ASSERT_NE(window, nullptr);
    SendMessageA(window, WM_COMMAND, CM_TOGGLE_CHANGING, 0);
    EXPECT_EQ(::Changer.changingOn, 0);
    SendMessageA(window, WM_COMMAND, CM_CHANGE_NOW, 0);
    Pump();
    EXPECT_EQ(::Changer.busy, 0) << "the posted tick is ignored while off";

    SendMessageA(window, WM_COMMAND, CM_TOGGLE_CHANGING, 0);
    ::Changer.busy = 1;
    SendMessageA(window, WM_TIMER, CHANGER_TIMER, 0);
    EXPECT_EQ(::Changer.busy, 1) << "a tick during a change is not queued";
    ::Changer.busy = 0;
    DestroyWindow(window);
}

TEST_F(Changer, NextPictureIsRememberedInTheFolder)
{
    WriteFile(folder + "\\a.jpg", "x");
    WriteFile(folder + "\\b.jpg", "x");
    WriteFile(folder + "\\c.jpgx", "x");
    char path[MAX_PATH * 2];
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    std::string first = path;
    std::string stored = ReadFile(folder + "\\cur_bmp.txt");
    EXPECT_EQ(first, folder + "\\" + stored);
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    EXPECT_NE(std::string(path), first);
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    EXPECT_EQ(std::string(path), first) << "wraps around, never takes c.jpgx";

    DeleteFileA((folder + "\\a.jpg").c_str());
    DeleteFileA((folder + "\\b.jpg").c_str());
    EXPECT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), -1);
}

TEST_F(Changer, ChangeWithoutWallpaperValueEndsSilently)
{
    lstrcpynA(::Changer.directory, folder.c_str(), sizeof ::Changer.directory);
    ::Changer.busy = 1;
    ChangeBackgroundThread(nullptr);
    EXPECT_EQ(::Changer.busy, 0);
    EXPECT_TRUE(Boxes.empty());
}

TEST_F(Changer, ChangeReportsMissingAndUnreadablePictures)
{
    SetValue("Control Panel\\Desktop", "Wallpaper", "C:\\old.bmp");
    lstrcpynA(::Changer.directory, folder.c_str(), sizeof ::Changer.directory);
    ::Changer.busy = 1;
    ChangeBackgroundThread(nullptr);
    EXPECT_EQ(::Changer.busy, 0);
    ASSERT_EQ(Boxes.size(), 1u);
    EXPECT_EQ(Boxes[0].caption, "No File(s) Found For Background Changer");

    WriteFile(folder + "\\broken.jpg", "not a picture");
    ChangeBackgroundThread(nullptr);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_EQ(Boxes[1].caption, "Failed JPEG LOAD");
    EXPECT_EQ(Boxes[1].text, folder + "\\broken.jpg");
    EXPECT_EQ(GetValue("Control Panel\\Desktop", "Wallpaper"), "C:\\old.bmp");
}

TEST_F(Changer, PreparedPictureIsBottomUpFittedAndWrittenAsBitmap)
{
    ChangerImage *image = (ChangerImage *)calloc(1, sizeof(ChangerImage));
    image->width = 4;
    image->height = 2;
    image->channels = 3;
    image->padBytes = 0;
    image->pixels = (unsigned char *)malloc(24);
    memset(image->pixels, 10, 12);      // top row
    memset(image->pixels + 12, 200, 12); // bottom row
    ChangerSettings settings = {10, 0, 0, 1};
    ASSERT_EQ(PrepareWallpaperImage(image, &settings, 40, 40), 0);
    EXPECT_EQ(image->width, 40);
    EXPECT_EQ(image->height, 20);
    EXPECT_EQ(image->pixels[0], 200) << "the first stored row is the picture's bottom";

    std::string path = folder + "\\TMPFILE.BMP";
    ASSERT_EQ(SaveDesktopBitmap(image, path.c_str()), 1);
    std::string bmp = ReadFile(path);
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    uint32_t size;
    memcpy(&size, bmp.data() + 2, 4);
    EXPECT_EQ(size, bmp.size());
    ReleaseChangerImage(image);
    EXPECT_EQ(SaveDesktopBitmap(nullptr, path.c_str()), 0);
}

TEST_F(Changer, ChangeTurnsTheNextPictureIntoTheWallpaper)
{
    ASSERT_TRUE(CopyFileA(("Z:" + std::string(TEST_PICTURE)).c_str(),
                          (folder + "\\holiday.jpg").c_str(), FALSE));
    SetValue("Control Panel\\Desktop", "Wallpaper", "C:\\old.bmp");
    lstrcpynA(::Changer.directory, folder.c_str(), sizeof ::Changer.directory);
    ::Changer.settings = {10, 1, 0, 1};
    ::Changer.closed = 0;
    ::Changer.busy = 1;
    ChangeBackgroundThread(nullptr);
    EXPECT_EQ(::Changer.busy, 0);
    EXPECT_TRUE(Boxes.empty()) << (Boxes.empty() ? "" : Boxes[0].caption + ": " + Boxes[0].text);
    EXPECT_EQ(ReadFile(folder + "\\cur_bmp.txt"), "holiday.jpg");
    std::string bmp = ReadFile(folder + "\\TMPFILE.BMP");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");

    char wallpaper[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof wallpaper, wallpaper, 0);
    EXPECT_EQ(std::string(wallpaper), folder + "\\TMPFILE.BMP");

    ChangerImage *image = TakeCurrentImage();
    ASSERT_NE(image, nullptr) << "the decoded picture stays current";
    RECT desktop;
    GetClientRect(GetDesktopWindow(), &desktop);
    EXPECT_TRUE(image->width == desktop.right || image->height == desktop.bottom)
        << "fitted to the desktop";
    // The test picture is red over its top half and blue below; rows are bottom-up now.
    const unsigned char *bottomRow = image->pixels;
    EXPECT_GT(bottomRow[0], 150) << "blue";
    EXPECT_LT(bottomRow[2], 100);
    ReleaseChangerImage(image);
}
