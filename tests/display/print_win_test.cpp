// PrintPage on the Wine PostScript printer of the test's prefix (tools/wine-prefix), its print
// dialog answered by a helper thread as a user would: a portrait and a landscape page rendered
// by Ghostscript (PNG artefacts print_page_*.png beside the test) with the header texts, the
// title and the frames where the layout puts them; a 30-gate table of 6-digit values with
// every gate number read back beside its value and every header line clear of the others
// (print_table_*.png); Cancel prints nothing and says nothing;
// the abort box's button stops the job at the abort procedure's next call; with the printer
// taken away the user is told there is none. Then the same page played on a memory DC (the
// preview) draws the box, keeps a curve beyond the axis inside it and leaks no GDI object.
#include <windows.h>
#include <winspool.h>

#include <gtest/gtest.h>

#include "tests/common/shown_reading_test_peer.h"
#include "tests/common/printed_page_check_win.h"
#include "tests/common/win_test_util.h"
#include "tests/converters/vlx_fixture.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_state.h"
#include "vlox/settings/settings.h"
#include "vlox/display/print_win.h"
#include "vlox/display/review_plots_win.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

const wchar_t* const PagePath = pspage::PrintedPagePath();

std::wstring BinFolder()
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L'\\'));
}

bool FileExists(const wchar_t* path)
{
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// A dialog of this process that came up, what it said, and the button the helper pressed.
struct DialogSeen {
    std::wstring caption;
    std::wstring text;
};

struct FindDialog {
    HWND found = nullptr;
};

BOOL CALLBACK FindOwnDialog(HWND w, LPARAM lp)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[32];
    GetClassNameW(w, cls, 32);
    wchar_t caption[64];
    GetWindowTextW(w, caption, 64);
    if (pid == GetCurrentProcessId() && IsWindowVisible(w) && std::wstring(cls) == L"#32770" &&
        std::wstring(caption) != L"V-LOX") {
        reinterpret_cast<FindDialog*>(lp)->found = w;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK CollectStatic(HWND w, LPARAM lp)
{
    wchar_t cls[32];
    GetClassNameW(w, cls, 32);
    if (std::wstring(cls) == L"Static") {
        wchar_t text[256];
        GetWindowTextW(w, text, 256);
        *reinterpret_cast<std::wstring*>(lp) += text;
    }
    return TRUE;
}

// Answers the first dialog of this process that comes up within a minute: optionally clicks a
// control first (the landscape radio button), then presses the button.
class DialogAnswer {
public:
    DialogAnswer(int button, int clickFirst = 0)
        : thread_([this, button, clickFirst] {
              for (int i = 0; i < 3000 && !stop_; ++i) {
                  FindDialog f;
                  EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&f));
                  // Shown once its set-up is done; answered once it takes input.
                  if (f.found != nullptr && IsWindowEnabled(f.found) && GetDlgItem(f.found, button) != nullptr) {
                      wchar_t caption[128];
                      GetWindowTextW(f.found, caption, 128);
                      seen.caption = caption;
                      EnumChildWindows(f.found, CollectStatic, reinterpret_cast<LPARAM>(&seen.text));
                      // Sent: the click is done when the call returns.
                      if (clickFirst != 0)
                          SendMessageW(GetDlgItem(f.found, clickFirst), BM_CLICK, 0, 0);
                      PostMessageW(f.found, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                                   reinterpret_cast<LPARAM>(GetDlgItem(f.found, button)));
                      return;
                  }
                  Sleep(20);
              }
          })
    {
    }
    ~DialogAnswer()
    {
        stop_ = true;
        thread_.join();
    }
    DialogSeen seen;

private:
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class PrintPageTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        hInstance = Instance();
        hWndMain = CreateWindowExW(0, L"STATIC", L"print parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400, 300,
                                   nullptr, nullptr, hInstance, nullptr);
        ReviewMode = 0;
        ProcessingChoice = 0;
    }
    static void TearDownTestSuite() { DestroyWindow(hWndMain); }

    // Prints one page, the print dialog answered with OK; checks the page as rendered.
    static void PrintAndCheck(bool landscape, const wchar_t* artefact)
    {
        pspage::PrinterPage page;
        ASSERT_TRUE(pspage::DefaultPrinterPage(landscape, &page)) << "the prefix has no default printer";
        DeleteFileW(PagePath);
        int32_t result = -1;
        {
            DialogAnswer answer(IDOK, landscape ? 0x421 : 0);  // rad2: "Landscape"
            result = PrintPage(hWndMain);
        }
        EXPECT_EQ(result, 1);
        EXPECT_TRUE(IsWindowEnabled(hWndMain));
        pspage::CheckPrintedPage(page, BinFolder() + L"\\" + artefact,
                                 {"Power Line: 60 Hz", "LAT: Not available", "Processing: Standard", "Time [ms]"});
    }
};

TEST_F(PrintPageTest, PortraitAndLandscapePagesOnThePostScriptPrinter)
{
    PrintAndCheck(false, L"print_page_portrait.png");
    PrintAndCheck(true, L"print_page_landscape.png");
}

// Pins the mend: a 30-gate table of 6-digit values, as a reading at gain 6 gives, prints
// every gate number where it reads back beside its value (the values' blanks painted the
// numbers 1 to 8 out), and no header line runs into another (the time ran into "Coil Type").
// Then a shorter job replaces that page whole.
TEST_F(PrintPageTest, EveryGateNumberAndHeaderLineReadsBack)
{
    const ShownReadingData kept = ShownReadingTestPeer::Current();
    const std::wstring keptTitle = ReviewFileTitle;
    ShownReadingData shown = kept;
    shown.Read = 1;
    shown.Reading.GateCount = 30;
    shown.Reading.GateSet = 1;
    shown.Reading.RepRateIndex = 2;
    shown.Reading.DateText = "15/03/2024";
    shown.Reading.TimeText = "09:00:03";
    shown.Reading.CoilType = 9;
    shown.Reading.RepetitionRate = 237.5;
    shown.Reading.TurnOffTimeUs = 105.9;
    ReviewFileTitle = L"20261209_000.VLX";
    std::vector<double> values;
    for (int32_t i = 0; i < 30; ++i) {
        values.push_back(191079.89 - i * 2987.65);
        shown.Values[i] = values.back();
    }
    ShownReadingTestPeer::Show(shown);
    for (bool landscape : {false, true}) {
        SCOPED_TRACE(landscape ? "landscape" : "portrait");
        pspage::PrinterPage page;
        ASSERT_TRUE(pspage::DefaultPrinterPage(landscape, &page)) << "the prefix has no default printer";
        DeleteFileW(PagePath);
        {
            DialogAnswer answer(IDOK, landscape ? 0x421 : 0);
            EXPECT_EQ(PrintPage(hWndMain), 1);
        }
        pspage::CheckPrintedPage(
            page, BinFolder() + (landscape ? L"\\print_table_landscape.png" : L"\\print_table_portrait.png"),
            {"Gates: 30", "Coil Type: 3C-CM Fluxgate"});
        pspage::CheckGateTableReadsBack(page, values);
        std::vector<pspage::PageGlyph> glyphs;
        const double toPoints = 72.0 / page.Caps.LogPixelsX;
        ASSERT_TRUE(pspage::ReadPageGlyphs(PagePath, &glyphs, landscape ? page.PaperHeight * toPoints : 0.0));
        const std::vector<pspage::PageBaseline> baselines = pspage::Baselines(glyphs);
        for (const WideString& line : PrintHeaderTexts(GatherPrintPageInputs(page.Caps).Header))
            pspage::CheckLineRunsIntoNothing(baselines, WideToNarrow(line));
    }
    // A shorter job after it replaces the page whole: no tail of the longer page is left after
    // its end, which Ghostscript would read on and fail at.
    std::string page;
    ASSERT_TRUE(pspage::ReadFileText(PagePath, &page));
    const size_t longer = page.size();
    shown.Reading.GateCount = 1;
    ShownReadingTestPeer::Show(shown);
    {
        DialogAnswer answer(IDOK);
        EXPECT_EQ(PrintPage(hWndMain), 1);
    }
    ASSERT_TRUE(pspage::WaitForPage(PagePath) && pspage::ReadFileText(PagePath, &page));
    EXPECT_LT(page.size(), longer) << "the longer page's tail is left";
    const std::wstring shorter = BinFolder() + L"\\print_shorter_job_";
    for (const wchar_t* n : {L"1.png", L"2.png"})
        DeleteFileW((shorter + n).c_str());
    EXPECT_TRUE(pspage::RenderPng(PagePath, shorter + L"%d.png", 50)) << "Ghostscript fails after the page";
    EXPECT_TRUE(FileExists((shorter + L"1.png").c_str()));
    EXPECT_FALSE(FileExists((shorter + L"2.png").c_str())) << "a second page";
    ShownReadingTestPeer::Show(kept);
    ReviewFileTitle = keptTitle;
}

TEST_F(PrintPageTest, CancelPrintsNothingAndSaysNothing)
{
    DeleteFileW(PagePath);
    int32_t result = -1;
    {
        DialogAnswer answer(IDCANCEL);
        result = PrintPage(hWndMain);
    }
    EXPECT_EQ(result, 1);
    EXPECT_FALSE(FileExists(PagePath));
    EXPECT_TRUE(IsWindowEnabled(hWndMain));
    // Only the print dialog itself came up.
    FindDialog f;
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&f));
    EXPECT_EQ(f.found, nullptr);
}

TEST_F(PrintPageTest, TheAbortBoxsButtonAbortsAtTheNextCallOfTheAbortProcedure)
{
    HWND box = CreateDialogW(hInstance, L"PrintDlgBox", hWndMain, PrintAbortDlgProc);
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(IsWindowVisible(box));
    EXPECT_TRUE(GetMenuState(GetSystemMenu(box, FALSE), SC_CLOSE, MF_BYCOMMAND) & MF_GRAYED);
    EnableWindow(hWndMain, FALSE);
    EXPECT_TRUE(PrintAbortProc(nullptr, 0));  // nothing asked yet: go on
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(box, IDCANCEL)));
    EXPECT_FALSE(PrintAbortProc(nullptr, 0));
    EXPECT_FALSE(IsWindow(box));
    EXPECT_TRUE(IsWindowEnabled(hWndMain));
}

TEST_F(PrintPageTest, PreviewOnAMemoryDcDrawsTheBoxAndKeepsNoObject)
{
    PrintDeviceCaps caps;
    caps.HorzRes = 800;
    caps.VertRes = 1000;
    caps.LogPixelsX = caps.LogPixelsY = 100;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, caps.HorzRes, caps.VertRes);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, caps.HorzRes, caps.VertRes, WHITENESS);
    const int before = CountGdiObjects();
    HFONT small = CreatePrintFont(SmallPrintFontHeight(caps));
    HFONT large = CreatePrintFont(LargePrintFontHeight(caps));
    // A reading far above the amplitude axis: its curve stays inside the box.
    ShownReadingData shown = ShownReadingTestPeer::Current();
    shown.Read = 1;
    shown.Reading.GateCount = 20;
    shown.Reading.GateSet = 0;
    shown.Reading.RepRateIndex = 2;
    for (int32_t i = 0; i < 20; ++i)
        shown.Values[i] = 1.0e3 / ((i + 1) * (i + 1));
    ShownReadingTestPeer::Show(shown);
    const PrintPageInputs in = GatherPrintPageInputs(caps);
    class FixedMeasure : public PrintTextMeasure {
    public:
        void Measure(PrintFont, const WideString& text, int32_t& w, int32_t& h) override
        {
            w = 6 * static_cast<int32_t>(text.size());
            h = 12;
        }
    } measure;
    PlayPrintPage(dc, LayOutPrintPage(in, measure), small, large);
    DeleteObject(small);
    DeleteObject(large);
    EXPECT_EQ(CountGdiObjects(), before);
    const PrintRect box = PrintPlotBox(caps);
    EXPECT_EQ(GetPixel(dc, box.Left, (box.Top + box.Bottom) / 2), RGB(0, 0, 0));
    int curvePixelsInside = 0, curvePixelsAbove = 0;
    const COLORREF finalDecay = static_cast<COLORREF>(Settings.LineColours[102]);
    for (int x = box.Left + 5; x < box.Right - 5; ++x) {
        curvePixelsInside += GetPixel(dc, x, box.Top + 10) == finalDecay ? 1 : 0;
        for (int y = 0; y < box.Top - 4; ++y)
            curvePixelsAbove += GetPixel(dc, x, y) == finalDecay ? 1 : 0;
    }
    EXPECT_GT(curvePixelsInside, 0);
    EXPECT_EQ(curvePixelsAbove, 0);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
}

// The page's inputs of a reviewed station in every processing mode: the readings and averages
// the selection read are gathered, and the review's reading, values, gate times and averages are as
// they were (its screen and repaints go on showing what the user chose).
TEST_F(PrintPageTest, GatheringThePageLeavesTheReviewAsItWas)
{
    const std::wstring path = BinFolder() + L"\\print_review.vlx";
    const std::string survey = GpsSurvey();
    HANDLE out = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, survey.data(), static_cast<DWORD>(survey.size()), &written, nullptr);
    CloseHandle(out);
    ASSERT_EQ(OpenReviewFileAt(path), 1);
    HandleFile f = ReviewRecordFile();
    FileMessage msg;
    ASSERT_EQ(ReadFileHeader(f, msg), 1);
    IndexLines(f);
    ASSERT_EQ(ReadLineStations(f, ReviewLineOffsets[0], msg), 1);
    ASSERT_EQ(ReadStationRecords(f, ReviewStationOffsets[0], msg), 1);
    ASSERT_EQ(ReviewRecordCount, 3);  // station 0: A, B (excluded), A2
    ShownReadingTestPeer::Place(ReviewPlace{});
    ShownReadingData shown;
    ASSERT_EQ(ReadMeasurementRecord(f, ReviewRecordOffsets[0], shown.Reading, msg), 1);
    shown.Read = 1;
    shown.Offset = ReviewRecordOffsets[0];
    shown.Reading.Gain = 2;
    for (int32_t i = 0; i < MaxGateCount; ++i)
        shown.Values[i] = i;
    ShownReadingTestPeer::Show(shown);
    const ReviewReadingData reading = ReviewReading;
    const std::vector<double> centres(&ReviewGateCentres[0][0], &ReviewGateCentres[0][0] + RepRateCount * MaxGateCount);
    const std::vector<double> low(&TimeAxisLow[0][0], &TimeAxisLow[0][0] + RepRateCount * 3);
    const std::vector<double> values(ReviewDisplayValues, ReviewDisplayValues + MaxGateCount);

    PrintDeviceCaps caps;
    caps.HorzRes = 2400;
    caps.VertRes = 3000;
    caps.LogPixelsX = caps.LogPixelsY = 300;
    ReviewRecordTags[2] = 1;  // A2 chosen for "Selected"
    for (int32_t choice = 0; choice < 4; ++choice) {
        ProcessingChoice = choice;
        // The page takes what the screen's drawing read for the selection.
        FileMessage failure;
        ASSERT_EQ(ReadStationDrawing(ProgramReviewContext(), choice, false, failure), 0);
        const PrintPageInputs in = GatherPrintPageInputs(caps);
        EXPECT_EQ(in.Decay.Selected.GateCount, 30);
        EXPECT_EQ(in.Header.GainZ, reading.GainZ);
        if (choice == 1 || choice == 3) {
            ASSERT_EQ(in.Decay.Station.size(), 3u);
            EXPECT_EQ(in.Decay.Station[1].Tag, -1);
            EXPECT_EQ(in.Decay.Station[2].GateCount, 30);
        }
        if (choice >= 2) {
            EXPECT_EQ(in.Decay.Slots[7].Count, 2);  // 30 gates at rate index 2, B left out
        }
        EXPECT_EQ(ReviewReading.Gain, 2) << choice;
        EXPECT_EQ(ReviewReading.TxCurrent, reading.TxCurrent) << choice;
        EXPECT_EQ(ReviewReading.EarlyWindowValue, reading.EarlyWindowValue) << choice;
        EXPECT_EQ(std::vector<double>(ReviewDisplayValues, ReviewDisplayValues + MaxGateCount), values) << choice;
        EXPECT_EQ(std::vector<double>(&ReviewGateCentres[0][0], &ReviewGateCentres[0][0] + RepRateCount * MaxGateCount),
                  centres)
            << choice;
        EXPECT_EQ(std::vector<double>(&TimeAxisLow[0][0], &TimeAxisLow[0][0] + RepRateCount * 3), low) << choice;
    }
    ProcessingChoice = 0;
    CloseReviewFile();
    DeleteFileW(path.c_str());
}

// Last: the prefix's printer is taken away.
TEST_F(PrintPageTest, NoPrinterGivesAClearMessage)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(L"V-LOX PostScript"), &printer, &defaults));
    ASSERT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
    DeleteFileW(PagePath);
    int32_t result = -1;
    DialogSeen seen;
    {
        DialogAnswer answer(IDOK);
        result = PrintPage(hWndMain);
        seen = answer.seen;
    }
    // The print dialog says so itself ("... you need to install a printer ...", Windows and
    // Wine alike) and ends as a cancel; where it only fails, PrintPage says it.
    const std::string said(seen.text.begin(), seen.text.end());
    EXPECT_TRUE(said.find("install a printer") != std::string::npos ||
                said.find("No printer is installed") != std::string::npos)
        << said;
    EXPECT_TRUE(result == 1 || (result == 0 && seen.caption == L"Error")) << result;
    // The print job's dialogs are modal: none is left once it has returned.
    FindDialog f;
    EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&f));
    EXPECT_EQ(f.found, nullptr);  // one message, not two
    EXPECT_FALSE(FileExists(PagePath));
}

}  // namespace
