#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "changer_window.h"
#include "test_support.h"
#include "wallpaper_change.h"

namespace {

class Changer : public ::testing::Test {
protected:
    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    ScopedTempFolder temp;
    std::string folder = temp.Path();
    ChangerShared *shared = NewChangerShared();

    void TearDown() override { ReleaseChangerShared(shared); }
    void SetValue(const char *key, const char *name, const std::string &value)
    {
        root.WriteText(key, name, value);
    }
    std::string GetValue(const char *key, const char *name)
    {
        // Wine hands back a terminator it added to a value stored without one.
        std::string value = root.ReadText(key, name);
        while (!value.empty() && value.back() == 0)
            value.pop_back();
        return value;
    }
    // A change as a tick starts it, run on this thread.
    void ChangeFrom(const ChangerSettings &settings)
    {
        ChangeRequest request = {};
        request.settings = settings;
        lstrcpynA(request.directory, folder.c_str(), sizeof request.directory);
        request.shared = shared;
        shared->busy = true;
        ChangeBackground(request);
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
    // A first run has no key yet: the defaults and the current folder.
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof current, current);
    HWND window = BGChangerRunner(nullptr);
    ASSERT_NE(window, nullptr);
    ChangerWindow *changer = ChangerOf(window);
    ASSERT_NE(changer, nullptr);
    const ChangerSettings &fresh = changer->settings;
    EXPECT_EQ(std::vector<int>({fresh.refreshMinutes, fresh.sharpen, fresh.sharpenMore, fresh.bilinear}),
              std::vector<int>({10, 1, 0, 1}));
    EXPECT_STREQ(changer->directory, current);
    DestroyWindow(window);
    EXPECT_EQ(GetValue("software\\Kestrova", "BG Changer Vars"), "10 1 0 1");

    SetValue("software\\Kestrova", "BG Changer Vars", "30 0 1 0");
    SetValue("software\\Kestrova", "BG Changer Image Path", folder);
    window = BGChangerRunner(nullptr);
    ASSERT_NE(window, nullptr);
    changer = ChangerOf(window);
    ASSERT_NE(changer, nullptr);
    EXPECT_EQ(changer->settings.refreshMinutes, 30);
    EXPECT_EQ(changer->settings.sharpenMore, 1);
    EXPECT_EQ(std::string(changer->directory), folder);

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
    ChangerWindow *changer = ChangerOf(window);
    ASSERT_NE(changer, nullptr);
    SendMessageA(window, WM_COMMAND, CM_TOGGLE_CHANGING, 0);
    EXPECT_FALSE(changer->changingOn);
    SendMessageA(window, WM_COMMAND, CM_CHANGE_NOW, 0);
    ASSERT_TRUE(PumpPostedMessages());
    EXPECT_FALSE(changer->shared->busy) << "the posted tick is ignored while off";

    SendMessageA(window, WM_COMMAND, CM_TOGGLE_CHANGING, 0);
    changer->shared->busy = true;
    SendMessageA(window, WM_TIMER, CHANGER_TIMER, 0);
    EXPECT_TRUE(changer->shared->busy) << "a tick during a change is not queued";
    changer->shared->busy = false;
    DestroyWindow(window);
}

TEST_F(Changer, NextPictureIsRememberedInTheFolder)
{
    ASSERT_TRUE(WriteFileBytes(folder + "\\a.jpg", "x"));
    ASSERT_TRUE(WriteFileBytes(folder + "\\b.jpg", "x"));
    ASSERT_TRUE(WriteFileBytes(folder + "\\c.jpgx", "x"));
    char path[MAX_PATH * 2];
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    std::string first = path;
    std::string stored = ReadFileBytes(folder + "\\cur_bmp.txt");
    EXPECT_EQ(first, folder + "\\" + stored);
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    EXPECT_NE(std::string(path), first);
    ASSERT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), 0);
    EXPECT_EQ(std::string(path), first) << "wraps around, never takes c.jpgx";

    DeleteFileA((folder + "\\a.jpg").c_str());
    DeleteFileA((folder + "\\b.jpg").c_str());
    EXPECT_EQ(FindNextImageFile(folder.c_str(), path, sizeof path), -1);
}

TEST_F(Changer, ChangeWithoutTheDesktopKeyEndsSilently)
{
    ASSERT_TRUE(CopyFileA(("Z:" + std::string(TEST_PICTURE)).c_str(),
                          (folder + "\\holiday.jpg").c_str(), FALSE));
    ChangeFrom({10, 0, 0, 0});
    EXPECT_FALSE(shared->busy);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(ReadFileBytes(folder + "\\TMPFILE.BMP"), "<missing>");
}

// A user who never chose a wallpaper has the value empty (every new profile
// does) or has none: the first change makes one all the same.
TEST_F(Changer, FirstChangeWithoutAWallpaperOfTheUsersOwnTakesPlace)
{
    ASSERT_TRUE(CopyFileA(("Z:" + std::string(TEST_PICTURE)).c_str(),
                          (folder + "\\holiday.jpg").c_str(), FALSE));
    for (bool emptyValue : {true, false}) {
        HKEY desktop;
        ASSERT_EQ(RegCreateKeyA(root.Key(), "Control Panel\\Desktop", &desktop), ERROR_SUCCESS);
        if (emptyValue)
            RegSetValueExA(desktop, "Wallpaper", 0, REG_SZ, (const BYTE *)"", 1);
        else
            RegDeleteValueA(desktop, "Wallpaper");
        RegCloseKey(desktop);
        DeleteFileA((folder + "\\TMPFILE.BMP").c_str());
        ChangeFrom({10, 0, 0, 0});
        EXPECT_FALSE(shared->busy);
        EXPECT_TRUE(boxes.Boxes().empty()) << boxes.Boxes()[0].caption;
        EXPECT_EQ(ReadFileBytes(folder + "\\TMPFILE.BMP").substr(0, 2), "BM")
            << (emptyValue ? "with an empty value" : "without a value");
        ReleaseChangerImage(TakeCurrentImage(shared));
    }
}

TEST_F(Changer, ChangeReportsMissingAndUnreadablePictures)
{
    SetValue("Control Panel\\Desktop", "Wallpaper", "C:\\old.bmp");
    ChangeFrom({10, 0, 0, 0});
    EXPECT_FALSE(shared->busy);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "No File(s) Found For Background Changer");

    ASSERT_TRUE(WriteFileBytes(folder + "\\broken.jpg", "not a picture"));
    ChangeFrom({10, 0, 0, 0});
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].caption, "Failed JPEG LOAD");
    EXPECT_EQ(boxes.Boxes()[1].text, folder + "\\broken.jpg");
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
    std::string bmp = ReadFileBytes(path);
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
    ChangeFrom({10, 1, 0, 1});
    EXPECT_FALSE(shared->busy);
    const auto &shown = boxes.Boxes();
    EXPECT_TRUE(shown.empty()) << (shown.empty() ? "" : shown[0].caption + ": " + shown[0].text);
    EXPECT_EQ(ReadFileBytes(folder + "\\cur_bmp.txt"), "holiday.jpg");
    std::string bmp = ReadFileBytes(folder + "\\TMPFILE.BMP");
    ASSERT_GT(bmp.size(), 54u);
    EXPECT_EQ(bmp.substr(0, 2), "BM");

    char wallpaper[MAX_PATH] = {};
    SystemParametersInfoA(SPI_GETDESKWALLPAPER, sizeof wallpaper, wallpaper, 0);
    EXPECT_EQ(std::string(wallpaper), folder + "\\TMPFILE.BMP");

    ChangerImage *image = TakeCurrentImage(shared);
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

// "Set Refresh Time" puts the dialog's bottom-right corner at the pointer,
// where the tray is; a tray at the screen's top-left (as under Wine) must not
// push it off the screen.
TEST_F(Changer, TheRefreshDialogOpensAtThePointerAndOnTheScreen)
{
    RECT screen;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &screen, 0);
    struct Place {
        POINT pointer;
        RECT shown;
    } places[] = {{{screen.left + 5, screen.top + 5}, {}}, {{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2}, {}}};
    for (Place &place : places) {
        SetCursorPos(place.pointer.x, place.pointer.y);
        // Under Wine the move goes through the X server, and the pointer
        // may still read as where it was for a moment.
        ASSERT_TRUE(PumpUntil([&] {
            POINT now;
            return GetCursorPos(&now) && now.x == place.pointer.x && now.y == place.pointer.y;
        })) << "the pointer never reached " << place.pointer.x << ", " << place.pointer.y;
        ModalDialogAnswerer answer([&](HWND dialog) {
            GetWindowRect(dialog, &place.shown);
            SendMessageA(dialog, WM_CLOSE, 0, 0);
        });
        int minutes = 10;
        EXPECT_FALSE(AskRefreshMinutes(nullptr, &minutes));
        ASSERT_EQ(answer.Count(), 1);
    }
    const RECT &corner = places[0].shown;
    EXPECT_GE(corner.left, screen.left);
    EXPECT_GE(corner.top, screen.top);
    const RECT &middle = places[1].shown;
    EXPECT_EQ(middle.right, places[1].pointer.x);
    EXPECT_EQ(middle.bottom, places[1].pointer.y);
}
