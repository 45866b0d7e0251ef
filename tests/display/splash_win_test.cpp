// The splash window over a parent window of a chosen work-area size: the slide and its
// single close, the GPS input put back and the GPS start, the corrupt-configuration report,
// the pictures it paints (read back from a capture of the window) and the closing picture.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/common/win_test_util.h"

#include <cstdint>
#include <vector>

#include "vlox/display/splash.h"
#include "vlox/display/splash_win.h"
#include "vlox/settings/settings.h"
#include "vlox/common/screen_state.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/instruments/gps_link_win.h"

namespace {

bool Visible(HWND w)
{
    return (GetWindowLongW(w, GWL_STYLE) & WS_VISIBLE) != 0;
}

// What the close called beyond the window, with the state the report found.
int GpsStarts = 0;
int CorruptReports = 0;
int32_t StateAtReport = 99;
bool CaptureHeldAtGpsStart = false;

void CountGpsStart()
{
    ++GpsStarts;
    CaptureHeldAtGpsStart = GetCapture() == hWndSplash;
}

void CountCorruptReport()
{
    ++CorruptReports;
    StateAtReport = SplashState;
}

// Every move of the splash window, as its procedure saw it.
std::vector<WINDOWPOS> Moves;

LRESULT CALLBACK RecordingSplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_WINDOWPOSCHANGED) {
        const WINDOWPOS* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_NOMOVE) == 0)
            Moves.push_back(*pos);
    }
    return CallWindowProcW(SplashWndProc, window, message, wParam, lParam);
}

// 32-bit pixels, top row first, 0x00RRGGBB.
struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> data;
    uint32_t at(int x, int y) const { return data[static_cast<size_t>(y) * width + x] & 0xFFFFFF; }
};

Pixels ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height)
{
    Pixels p;
    p.width = width;
    p.height = height;
    p.data.assign(static_cast<size_t>(width) * height, 0);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    GetDIBits(dc, bitmap, 0, height, p.data.data(), &bi, DIB_RGB_COLORS);
    return p;
}

// The top-left width by height pixels of a window's client area as the screen shows them.
Pixels CaptureClient(HWND window, int width, int height)
{
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP copy = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ previous = SelectObject(memory, copy);
    BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
    SelectObject(memory, previous);
    Pixels p = ReadBitmap(dc, copy, width, height);
    DeleteObject(copy);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return p;
}

Pixels ResourcePicture(const wchar_t* name)
{
    HBITMAP bitmap = LoadBitmapW(Instance(), name);
    BITMAP info{};
    GetObjectW(bitmap, sizeof(info), &info);
    HDC screen = GetDC(nullptr);
    Pixels p = ReadBitmap(screen, bitmap, info.bmWidth, info.bmHeight);
    ReleaseDC(nullptr, screen);
    DeleteObject(bitmap);
    return p;
}

constexpr uint32_t White = 0xFFFFFF;

// Compares a capture of the splash's client area with the picture placed at (left, 0); the
// rest must be white. Returns the number of differing pixels, reporting the first.
int CompareWithPicture(const Pixels& shown, const Pixels& picture, int left)
{
    int differing = 0;
    for (int y = 0; y < shown.height; y += 2) {
        for (int x = 0; x < shown.width; x += 2) {
            const int px = x - left;
            const bool inside = px >= 0 && px < picture.width && y < picture.height;
            const uint32_t expected = inside ? picture.at(px, y) : White;
            if (shown.at(x, y) != expected) {
                if (differing == 0)
                    ADD_FAILURE() << "first difference at (" << x << ", " << y << "): 0x" << std::hex << shown.at(x, y)
                                  << " instead of 0x" << expected;
                ++differing;
            }
        }
    }
    return differing;
}

int CountNonWhite(const Pixels& p)
{
    int n = 0;
    for (uint32_t v : p.data)
        n += (v & 0xFFFFFF) != White;
    return n;
}

class SplashWindow : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        WNDCLASSW parentClass{};
        parentClass.lpfnWndProc = DefWindowProcW;
        parentClass.hInstance = Instance();
        parentClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
        parentClass.lpszClassName = L"SplashTestParent";
        RegisterClassW(&parentClass);
        registration = RegisterSplashWndClass(Instance());
        SplashServices.StartGpsReader = CountGpsStart;
        SplashServices.ReportCorruptConfiguration = CountCorruptReport;
    }

    // A parent whose client area is the work area, and the splash over it as the main
    // window's creation leaves it: twice the work area, timer 1 running, mouse captured, GPS
    // input held off.
    void MakeSplash(int width, int height, int32_t savedGpsInput)
    {
        parent = CreateWindowExW(0, L"SplashTestParent", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, width,
                                 height, nullptr, nullptr, Instance(), nullptr);
        ASSERT_NE(parent, nullptr);
        WorkAreaWidth = width;
        WorkAreaHeight = height;
        SplashState = 0;
        SavedGpsSetting = savedGpsInput;
        Settings.GpsInput = 0;
        hWndSplash = CreateWindowExW(0, L"SplashWnd", nullptr, WS_CHILD | WS_BORDER | WS_VISIBLE, 0, 0, 2 * width,
                                     2 * height, parent, reinterpret_cast<HMENU>(605), Instance(), nullptr);
        ASSERT_NE(hWndSplash, nullptr);
        SetWindowLongPtrW(hWndSplash, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingSplashProc));
        SetTimer(hWndSplash, SplashTimerId, SplashTimerMs, nullptr);
        SetCapture(hWndSplash);
        UpdateWindow(parent);
        UpdateWindow(hWndSplash);
    }

    void TearDown() override
    {
        if (parent != nullptr)
            DestroyWindow(parent);
        Pump();
        hWndSplash = nullptr;
        Moves.clear();
        GpsStarts = 0;
        CorruptReports = 0;
        StateAtReport = 99;
        CaptureHeldAtGpsStart = false;
        ConfigInvalid = 0;
        GpsThread = INVALID_HANDLE_VALUE;
    }

    // The splash's client area that the parent shows: the splash has a one-pixel border.
    Pixels CaptureSplash() { return CaptureClient(hWndSplash, WorkAreaWidth - 2, WorkAreaHeight - 2); }

    RECT SplashRectInParent() const
    {
        RECT r{};
        GetWindowRect(hWndSplash, &r);
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    static int registration;
    HWND parent = nullptr;
};

int SplashWindow::registration = -1;

}  // namespace

TEST_F(SplashWindow, ClassAndMessageTable)
{
    ASSERT_EQ(registration, 0);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExW(Instance(), L"SplashWnd", &wc));
    EXPECT_EQ(wc.hbrBackground, GetStockObject(WHITE_BRUSH));  // the ground around the picture

    const UINT messages[7] = {WM_CREATE,      WM_PAINT,     WM_LBUTTONDOWN, WM_LBUTTONUP,
                              WM_RBUTTONDOWN, WM_RBUTTONUP, WM_TIMER};
    const MessageHandler handlers[7] = {OnSplashCreate, PaintSplash, CloseSplash, CloseSplash,
                                        CloseSplash,    CloseSplash, CloseSplash};
    ASSERT_EQ(SplashMessageTableCount, 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(SplashMessageTable[i].message, messages[i]) << i;
        EXPECT_EQ(SplashMessageTable[i].handler, handlers[i]) << i;
    }
}

TEST_F(SplashWindow, PicturesAreUncompressed24BitBitmapsOfTheirSize)
{
    for (const wchar_t* name : {L"SPLASHOPEN", L"SPLASHCLOSE"}) {
        HRSRC found = FindResourceW(Instance(), name, RT_BITMAP);
        ASSERT_NE(found, nullptr);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Instance(), found)));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, 1024);
        EXPECT_EQ(header->biHeight, 730);
        EXPECT_EQ(header->biBitCount, 24);
        EXPECT_EQ(header->biCompression, static_cast<DWORD>(BI_RGB));
        EXPECT_EQ(SizeofResource(Instance(), found), sizeof(BITMAPINFOHEADER) + 1024u * 3 * 730);
    }
    const Pixels open = ResourcePicture(L"SPLASHOPEN");
    const Pixels close = ResourcePicture(L"SPLASHCLOSE");
    EXPECT_NE(open.data, close.data);
    // A white ground, like the window's, with a picture on it.
    EXPECT_EQ(open.at(0, 0), White);
    EXPECT_GT(CountNonWhite(open), 1024 * 730 / 20);
    EXPECT_GT(CountNonWhite(close), 1024 * 730 / 20);
}

TEST_F(SplashWindow, AClickSlidesItAwayOnceAndPutsGpsInputBack)
{
    MakeSplash(800, 730, 1);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(Settings.GpsInput, 0);

    SendMessageW(hWndSplash, WM_LBUTTONDOWN, MK_LBUTTON, 0);

    // 146 steps of 5 pixels, the first also shrinking the window to the work area.
    ASSERT_EQ(Moves.size(), 146u);
    for (size_t i = 0; i < Moves.size(); ++i) {
        EXPECT_EQ(Moves[i].x, 0) << i;
        EXPECT_EQ(Moves[i].y, -1 - 5 * static_cast<int>(i)) << i;
        EXPECT_EQ(Moves[i].cx, 800) << i;
        EXPECT_EQ(Moves[i].cy, 730) << i;
    }
    const RECT r = SplashRectInParent();
    EXPECT_EQ(r.top, -726);
    EXPECT_EQ(r.bottom - r.top, 730);

    EXPECT_FALSE(Visible(hWndSplash));
    EXPECT_EQ(SplashState, -1);
    EXPECT_EQ(Settings.GpsInput, 1);
    EXPECT_EQ(GpsStarts, 1);
    // The GPS start (which may show a port message) finds the mouse free.
    EXPECT_FALSE(CaptureHeldAtGpsStart);
    EXPECT_NE(GetCapture(), hWndSplash);
    EXPECT_FALSE(KillTimer(hWndSplash, SplashTimerId));  // already killed
    EXPECT_EQ(CorruptReports, 0);

    // Later buttons and ticks change nothing, even a GPS input changed since.
    Settings.GpsInput = 0;
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN, WM_RBUTTONUP, WM_TIMER})
        EXPECT_EQ(SendMessageW(hWndSplash, message, 0, 0), 0);
    EXPECT_EQ(Moves.size(), 146u);
    EXPECT_EQ(Settings.GpsInput, 0);
    EXPECT_EQ(GpsStarts, 1);
    EXPECT_EQ(SplashState, -1);
    EXPECT_FALSE(Visible(hWndSplash));
}

TEST_F(SplashWindow, ItsTimerClosesItAndNoSecondCloseFollows)
{
    MakeSplash(640, 480, 2);
    ASSERT_FALSE(HasFatalFailure());
    SetTimer(hWndSplash, SplashTimerId, 20, nullptr);  // the same timer, sooner
    const DWORD start = GetTickCount();
    while (SplashState == 0 && GetTickCount() - start < 60000) {
        Pump();
        Sleep(5);
    }
    ASSERT_EQ(SplashState, -1);
    // Later ticks would close again: the close has ended the timer, there is none to kill.
    EXPECT_FALSE(KillTimer(hWndSplash, SplashTimerId));
    EXPECT_EQ(Moves.size(), static_cast<size_t>(SplashSlideStepCount(480)));
    EXPECT_EQ(GpsStarts, 1);
    EXPECT_EQ(Settings.GpsInput, 2);
}

TEST_F(SplashWindow, NoSecondReaderWhenOneRuns)
{
    MakeSplash(640, 480, 1);
    ASSERT_FALSE(HasFatalFailure());
    HANDLE running = CreateEventW(nullptr, FALSE, FALSE, nullptr);  // any handle: a reader runs
    GpsThread = running;
    SendMessageW(hWndSplash, WM_TIMER, 7, 0);  // any timer id closes
    EXPECT_EQ(SplashState, -1);
    EXPECT_EQ(GpsStarts, 0);
    EXPECT_EQ(Settings.GpsInput, 1);  // still put back
    EXPECT_EQ(GpsThread, running);
    CloseHandle(running);

    // With GPS input "Disabled" nothing starts either.
    DestroyWindow(parent);
    GpsThread = INVALID_HANDLE_VALUE;
    MakeSplash(640, 480, 0);
    ASSERT_FALSE(HasFatalFailure());
    SendMessageW(hWndSplash, WM_RBUTTONUP, 0, 0);
    EXPECT_EQ(SplashState, -1);
    EXPECT_EQ(GpsStarts, 0);
    EXPECT_EQ(Settings.GpsInput, 0);
}

TEST_F(SplashWindow, CorruptConfigurationIsReportedByEveryClose)
{
    MakeSplash(640, 480, 1);
    ASSERT_FALSE(HasFatalFailure());
    ConfigInvalid = 1;
    SendMessageW(hWndSplash, WM_LBUTTONUP, 0, 0);
    // After the slide and the GPS start, with the splash already dismissed.
    EXPECT_EQ(CorruptReports, 1);
    EXPECT_EQ(StateAtReport, -1);
    EXPECT_EQ(GpsStarts, 1);

    SendMessageW(hWndSplash, WM_TIMER, 1, 0);
    EXPECT_EQ(CorruptReports, 2);
    ShowClosingSplash();
    SendMessageW(hWndSplash, WM_LBUTTONDOWN, 0, 0);
    EXPECT_EQ(CorruptReports, 3);
    EXPECT_EQ(StateAtReport, 3);
    EXPECT_EQ(GpsStarts, 1);
}

TEST_F(SplashWindow, PaintsTheOpeningPictureCroppedInANarrowWorkArea)
{
    MakeSplash(800, 760, 0);
    ASSERT_FALSE(HasFatalFailure());
    const Pixels shown = CaptureSplash();
    const Pixels picture = ResourcePicture(L"SPLASHOPEN");
    // x = (800 - 1024) / 2 = -112: cropped by 112 pixels on each side; white below the picture.
    EXPECT_EQ(CompareWithPicture(shown, picture, -112), 0);
    EXPECT_EQ(SplashBitmapPicture, SplashPicture::Open);
    EXPECT_EQ(SplashBitmapWidth, 1024);
    EXPECT_EQ(SplashBitmapHeight, 730);
}

TEST_F(SplashWindow, PaintsTheOpeningPictureCentredInAWideWorkArea)
{
    MakeSplash(1201, 760, 0);
    ASSERT_FALSE(HasFatalFailure());
    const Pixels shown = CaptureSplash();
    // x = 177 / 2 = 88, white on both sides.
    EXPECT_EQ(CompareWithPicture(shown, ResourcePicture(L"SPLASHOPEN"), 88), 0);
}

TEST_F(SplashWindow, TheClosingPictureShowsWithState3AndStays)
{
    MakeSplash(900, 700, 0);
    ASSERT_FALSE(HasFatalFailure());
    SendMessageW(hWndSplash, WM_LBUTTONDOWN, 0, 0);
    ASSERT_EQ(SplashState, -1);
    Moves.clear();

    ShowClosingSplash();
    EXPECT_EQ(SplashState, 3);
    EXPECT_TRUE(Visible(hWndSplash));
    const RECT r = SplashRectInParent();
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, 900);
    EXPECT_EQ(r.bottom, 700);
    // Painted at once: the callers wait without pumping messages.
    EXPECT_EQ(CompareWithPicture(CaptureSplash(), ResourcePicture(L"SPLASHCLOSE"), -62), 0);

    // Nothing slides it away.
    SendMessageW(hWndSplash, WM_LBUTTONDOWN, 0, 0);
    SendMessageW(hWndSplash, WM_TIMER, 1, 0);
    EXPECT_EQ(SplashState, 3);
    EXPECT_TRUE(Visible(hWndSplash));
    EXPECT_EQ(Moves.size(), 1u);  // only the show itself
}

TEST_F(SplashWindow, OtherStatesRepaintTheLastPicture)
{
    MakeSplash(1024, 730, 0);
    ASSERT_FALSE(HasFatalFailure());
    const Pixels open = ResourcePicture(L"SPLASHOPEN");
    const Pixels close = ResourcePicture(L"SPLASHCLOSE");

    SplashState = 5;
    RedrawWindow(hWndSplash, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(CompareWithPicture(CaptureSplash(), open, 0), 0);

    SplashState = 2;
    RedrawWindow(hWndSplash, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(CompareWithPicture(CaptureSplash(), close, 0), 0);

    SplashState = -1;
    RedrawWindow(hWndSplash, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    EXPECT_EQ(CompareWithPicture(CaptureSplash(), close, 0), 0);
    EXPECT_EQ(SplashBitmapPicture, SplashPicture::Close);
}
