#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "clock_ids.h"
#include "clock_seam.h"
#include "module_instance.h"
#include "clock_settings.h"
#include "clock_test_support.h"
#include "clock_window.h"
#include "test_support.h"
#include "ui_seams.h"

namespace {
class ClockWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetModuleInstance(GetModuleHandleA(nullptr));
        SetTimeSource(SummerMorning);
    }
    void TearDown() override
    {
        if (window && IsWindow(window))
            DestroyWindow(window);
        SetTimeSource(nullptr);
    }
    HWND Open()
    {
        window = CreateClockWindow();
        return window;
    }
    RECT WindowRect() const
    {
        RECT r = {};
        GetWindowRect(window, &r);
        return r;
    }
    // At noon on Greenwich the middle of the map has day, its edges night.
    void ExpectDayAroundTheMiddleAtNoon(TimeSource noon);
    bool HasRegion() const
    {
        HRGN region = CreateRectRgn(0, 0, 0, 0);
        int type = GetWindowRgn(window, region);
        DeleteObject(region);
        return type == SIMPLEREGION || type == COMPLEXREGION;
    }
    void Command(UINT id) { SendMessageA(window, WM_COMMAND, id, 0); }

    ScopedRegistryRoot root;
    MessageBoxRecorder boxes;
    HWND window = nullptr;
};

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF pixel = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return pixel;
}

int Doubled(int channel)
{
    return channel * 2 > 255 ? 255 : channel * 2;
}
} // namespace

TEST_F(ClockWindowTest, OpensRoundAtItsDefaultPlaceAndSavesThatOnDestroy)
{
    ASSERT_NE(Open(), nullptr);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "CLOCKCLASS");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    RECT r = WindowRect();
    EXPECT_EQ(r.left, 10);
    EXPECT_EQ(r.top, 10);
    EXPECT_EQ(r.right - r.left, 150);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_TRUE(HasRegion());
    EXPECT_TRUE(ClockHasMap(window));
    EXPECT_FALSE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    DestroyWindow(window);
    EXPECT_EQ(ReadClockInfo(root), "5000 1 1 255 90.000000 10 10 160 160 0");
}

TEST_F(ClockWindowTest, StoredSettingsComeBackAndALostWindowReturnsToTheScreen)
{
    WriteClockInfo(root, "5002 0 0 179 45.500000 -400 100 -250 250 1");
    ASSERT_NE(Open(), nullptr);
    RECT r = WindowRect();
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.right, 180);
    EXPECT_EQ(r.top, 100);
    EXPECT_FALSE(HasRegion());
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_LAYERED);
    BYTE alpha = 0;
    DWORD flags = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, &flags));
    EXPECT_EQ(alpha, 179);
    EXPECT_EQ(CurrentClockSettings(window).mapId, 5002);
    EXPECT_EQ(CurrentClockSettings(window).view180, 0);
    EXPECT_EQ(CurrentClockSettings(window).mapShift, 45.5);

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ReadClockInfo(root), "5002 0 0 179 45.500000 30 100 180 250 1");
}

TEST_F(ClockWindowTest, AGarbledValueLeavesTheDefaults)
{
    WriteClockInfo(root, std::string("\x01\xff garbage 5001", 17));
    ASSERT_NE(Open(), nullptr);
    EXPECT_EQ(CurrentClockSettings(window).mapId, 5000);
    EXPECT_EQ(WindowRect().left, 10);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 255);
}

TEST_F(ClockWindowTest, TheDaySideOfTheMapIsBrightened)
{
    for (TimeSource noon : {EquinoxNoon, EquinoxNoonIn2100}) {
        SCOPED_TRACE(noon == EquinoxNoon ? "2024" : "2100");
        ExpectDayAroundTheMiddleAtNoon(noon);
    }
}

void ClockWindowTest::ExpectDayAroundTheMiddleAtNoon(TimeSource noon)
{
    SetTimeSource(noon);
    if (window)
        DestroyWindow(window);
    ASSERT_NE(Open(), nullptr);
    HBITMAP source = nullptr, shaded = nullptr;
    ClockMapBitmaps(window, &source, &shaded);
    ASSERT_NE(source, nullptr);
    ASSERT_NE(shaded, nullptr);
    BITMAP size;
    ASSERT_TRUE(GetObjectA(shaded, sizeof size, &size));
    EXPECT_EQ(size.bmWidth, 455);
    EXPECT_EQ(size.bmHeight, 302);

    int equator = size.bmHeight / 2;
    for (int x : {(int)size.bmWidth / 2, (int)size.bmWidth / 2 + 100, (int)size.bmWidth / 2 - 100}) {
        COLORREF before = PixelOf(source, x, equator), after = PixelOf(shaded, x, equator);
        EXPECT_EQ(GetRValue(after), Doubled(GetRValue(before))) << x;
        EXPECT_EQ(GetGValue(after), Doubled(GetGValue(before))) << x;
        EXPECT_EQ(GetBValue(after), Doubled(GetBValue(before))) << x;
    }
    for (int x : {0, 5, (int)size.bmWidth - 5})
        EXPECT_EQ(PixelOf(shaded, x, equator), PixelOf(source, x, equator)) << x;
}

TEST_F(ClockWindowTest, NoMapLeavesTheFaceDarkBlueAndMapsComeBack)
{
    ASSERT_NE(Open(), nullptr);
    Command(IDM_CLOCK_RECTANGLE);
    Command(IDM_CLOCK_NO_MAP);
    EXPECT_FALSE(ClockHasMap(window));
    EXPECT_EQ(CurrentClockSettings(window).mapId, 200);
    HDC dc = GetDC(window);
    EXPECT_EQ(GetPixel(dc, 20, 40), (COLORREF)0xBE0000);
    ReleaseDC(window, dc);

    Command(5001);
    EXPECT_TRUE(ClockHasMap(window));
    HBITMAP source, shaded;
    ClockMapBitmaps(window, &source, &shaded);
    BITMAP size;
    ASSERT_TRUE(GetObjectA(shaded, sizeof size, &size));
    EXPECT_EQ(size.bmWidth, 720); // the run-length encoded one loads too
    Command(5005);
    ClockMapBitmaps(window, &source, &shaded);
    ASSERT_TRUE(GetObjectA(shaded, sizeof size, &size));
    EXPECT_EQ(size.bmWidth, 2005);
    EXPECT_EQ(size.bmHeight, 1047);
}

TEST_F(ClockWindowTest, MenuCommandsChangeShapeModesAndTransparency)
{
    ASSERT_NE(Open(), nullptr);
    Command(IDM_CLOCK_RECTANGLE);
    EXPECT_FALSE(HasRegion());
    Command(IDM_CLOCK_ROUND);
    EXPECT_TRUE(HasRegion());

    Command(IDM_CLOCK_SHIFT_MAP);
    EXPECT_TRUE(ClockIsShiftMode(window));
    Command(IDM_CLOCK_SHIFT_MAP);
    EXPECT_FALSE(ClockIsShiftMode(window));
    Command(IDM_CLOCK_RESIZE);
    EXPECT_TRUE(ClockIsResizeMode(window));

    Command(30);
    BYTE alpha = 0;
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 179);
    Command(0);
    ASSERT_TRUE(GetLayeredWindowAttributes(window, nullptr, &alpha, nullptr));
    EXPECT_EQ(alpha, 255);

    Command(IDM_CLOCK_TOPMOST);
    EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(IDM_CLOCK_VIEW_360);
    EXPECT_EQ(CurrentClockSettings(window).view180, 0);

    Command(IDM_CLOCK_ABOUT);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "About");

    Command(IDM_CLOCK_QUIT);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(ReadClockInfo(root), "5000 1 0 255 90.000000 10 10 160 160 1");
}

TEST_F(ClockWindowTest, DraggingShiftsTheMapResizesAndMoves)
{
    ASSERT_NE(Open(), nullptr);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 75));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(70, 75));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(70, 75));
    EXPECT_DOUBLE_EQ(CurrentClockSettings(window).mapShift, 120.0);
    // Right past the date line wraps into 0..360.
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(0, 75));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_SHIFT, MAKELPARAM(140, 75));
    EXPECT_DOUBLE_EQ(CurrentClockSettings(window).mapShift, 340.0);
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(140, 75));

    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(140, 140));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, MAKELPARAM(0, 0));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(0, 0));
    RECT r = WindowRect();
    EXPECT_EQ(r.right - r.left, 60);
    EXPECT_EQ(r.bottom - r.top, 60);
    EXPECT_EQ(r.left, 10);

    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 30));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(50, 20));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(50, 20));
    r = WindowRect();
    EXPECT_EQ(r.left, 30);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right - r.left, 60);
}

TEST_F(ClockWindowTest, TooltipReadsTheLocalTime)
{
    ASSERT_NE(Open(), nullptr);
    ASSERT_NE(ClockTooltipWindow(window), nullptr);
    EXPECT_TRUE(PumpUntil([this] { return ClockTooltipText(window)[0] != '\0'; }, 3000));
    EXPECT_STREQ(ClockTooltipText(window), "10:09:30AM Thursday 20/Jun/2024");
    char text[64] = {};
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = window;
    tool.uId = (UINT_PTR)window;
    tool.lpszText = text;
    SendMessageA(ClockTooltipWindow(window), TTM_GETTEXTA, sizeof text, (LPARAM)&tool);
    EXPECT_STREQ(text, "10:09:30AM Thursday 20/Jun/2024");
}

TEST_F(ClockWindowTest, ASettingsKeyThatCannotBeCreatedIsReported)
{
    // Wine does not refuse a sub-key below a read-only handle; a stale handle fails everywhere.
    HKEY stale;
    ASSERT_EQ(RegOpenKeyExA(root.Key(), nullptr, 0, KEY_READ, &stale), ERROR_SUCCESS);
    RegCloseKey(stale);
    SetRegistryRoot(stale);
    ClockSettings settings = DefaultClockSettings();
    EXPECT_EQ(SaveClockInfo(settings), -1);
    SetRegistryRoot(root.Key());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Registry Error");
    EXPECT_EQ(boxes.Boxes()[0].text, "Unable to open/create registry key!");
    EXPECT_EQ(ReadClockInfo(root), "");
}

TEST_F(ClockWindowTest, CalendarOpensUnderTheClockOrAboveTheScreensBottom)
{
    ASSERT_NE(Open(), nullptr);
    RECT dialogRect = {};
    int maxSelection = 0;
    char calendarClass[32] = {};
    ModalDialogAnswerer answerer([&](HWND dialog) {
        GetWindowRect(dialog, &dialogRect);
        HWND calendar = GetDlgItem(dialog, IDC_CALENDAR_MONTH);
        GetClassNameA(calendar, calendarClass, sizeof calendarClass);
        maxSelection = (int)SendMessageA(calendar, MCM_GETMAXSELCOUNT, 0, 0);
        SendMessageA(dialog, WM_COMMAND, IDC_CALENDAR_QUIT, 0);
    });
    EXPECT_EQ(ShowCalendar(window), 1);
    EXPECT_STREQ(calendarClass, "SysMonthCal32");
    EXPECT_EQ(maxSelection, 31);
    RECT clock = WindowRect();
    EXPECT_EQ(dialogRect.top, clock.bottom);
    EXPECT_NEAR((dialogRect.left + dialogRect.right) / 2, (clock.left + clock.right) / 2, 1);

    RECT desktop;
    GetWindowRect(GetDesktopWindow(), &desktop);
    SetWindowPos(window, nullptr, 300, desktop.bottom - 150, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Command(IDM_CLOCK_CALENDAR);
    EXPECT_EQ(dialogRect.bottom, desktop.bottom);
    EXPECT_EQ(answerer.Count(), 2);
}

TEST_F(ClockWindowTest, CalendarClosedFromItsFrameEndsWithZero)
{
    ASSERT_NE(Open(), nullptr);
    ModalDialogAnswerer answerer([](HWND dialog) { SendMessageA(dialog, WM_CLOSE, 0, 0); });
    EXPECT_EQ(ShowCalendar(window), 0);
}
