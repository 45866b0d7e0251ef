// Printing from V-LOX as an operator prints: a stored survey (written by the project's own
// record writers) reviewed through Start Review and the open dialog, then Print through the
// real print dialog to the prefix's PostScript printer (tools/wine-prefix), in portrait and,
// with the dialog's Landscape choice, in landscape. Each page is rendered by Ghostscript
// (e2e_print_portrait.png and e2e_print_landscape.png beside the test) and its header texts,
// title and frames are where the layout puts them; its date line runs into nothing; after Next
// Line the page is the new line's reading. Cancel in the print dialog prints nothing
// and says nothing; with the printer taken away the user is told there is none. One V-LOX
// run serves the suite; the tests run in the order written.
#include "tests/common/printed_page_check_win.h"
#include "tests/converters/vlx_fixture.h"
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxprint";
const wchar_t SurveyPath[] = L"C:\\Vlox_Data\\PRINTREVIEW.VLX";
const int LandscapeChoice = 0x421;  // rad2 of the print setup dialog

BOOL CALLBACK CollectEdit(HWND w, LPARAM lp)
{
    if (e2e::ClassOf(w) == L"Edit")
        reinterpret_cast<std::vector<HWND>*>(lp)->push_back(w);
    return TRUE;
}

HWND FileNameBox(HWND picker)
{
    std::vector<HWND> edits;
    EnumChildWindows(picker, CollectEdit, reinterpret_cast<LPARAM>(&edits));
    return edits.size() == 1 ? edits[0] : nullptr;
}

class VloxPrint : public e2e::VloxSuite<VloxPrint> {
protected:
    static void SetUpTestSuite()
    {
        CreateDirectoryW(L"C:\\Vlox_Data", nullptr);
        const std::string survey = GpsSurvey();
        e2e::WriteFileBytes(SurveyPath, std::vector<uint8_t>(survey.begin(), survey.end()));
        Begin(RunFolder);
    }

    // Print from the File menu: the print dialog, or null.
    static HWND OpenPrintDialog()
    {
        if (!e2e::PostCommand(mainWindow, IDM_PRINT))
            return nullptr;
        return vlox->WaitMessageBox(nullptr, 60000);
    }
};

TEST_F(VloxPrint, ReviewAStoredSurvey)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
    HWND picker = vlox->WaitMessageBox(L"Open Data File", 60000);
    ASSERT_NE(picker, nullptr);
    HWND name = nullptr;
    ASSERT_TRUE(e2e::WaitUntil([&] { return (name = FileNameBox(picker)) != nullptr; }, 60000));
    vlox->WaitIdle(60000);
    e2e::SelectAllText(name);
    e2e::PostText(name, SurveyPath);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::TextOf(name) == SurveyPath; }, 60000));
    ASSERT_TRUE(e2e::PressButton(picker, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 60000)) << "the review did not start";
    EXPECT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxPrint, PrintsThePageInPortraitAndLandscape)
{
    for (bool landscape : {false, true}) {
        pspage::PrinterPage page;
        ASSERT_TRUE(pspage::DefaultPrinterPage(landscape, &page)) << "the prefix has no default printer";
        DeleteFileW(pspage::PrintedPagePath());
        HWND dialog = OpenPrintDialog();
        ASSERT_NE(dialog, nullptr) << "no print dialog";
        vlox->WaitIdle(60000);
        if (landscape) {
            PostMessageW(e2e::Control(dialog, LandscapeChoice), BM_CLICK, 0, 0);
            vlox->WaitIdle(60000);
        }
        ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
        pspage::CheckPrintedPage(
            page, e2e::InBinFolder(landscape ? L"e2e_print_landscape.png" : L"e2e_print_portrait.png"),
            {"File: PRINTREVIEW.VLX", "Date: 15/03/2024", "Line: 10.00", "Tx Loop: 100.00 x 50.00 m",
             "Tx Current: 3.00", "Power Line: 60 Hz", "No of Records:3", "Gates: 30", "Time [ms]", "Bz"});
        // The date line, the longest of the header's first column, runs into nothing.
        std::vector<pspage::PageGlyph> glyphs;
        const double toPoints = 72.0 / page.Caps.LogPixelsX;
        ASSERT_TRUE(
            pspage::ReadPageGlyphs(pspage::PrintedPagePath(), &glyphs, landscape ? page.PaperHeight * toPoints : 0.0));
        pspage::CheckLineRunsIntoNothing(pspage::Baselines(glyphs), "Date: 15/03/2024  Time: 09:00:03");
        EXPECT_TRUE(vlox->WaitIdle(60000));
        EXPECT_TRUE(e2e::IsEnabled(mainWindow));
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
    }
}

// After Next Line the page is that of the new line's first reading, the one the boxes name:
// its line, its time and its station's count of readings.
TEST_F(VloxPrint, ALineStepPrintsTheNewLinesReading)
{
    pspage::PrinterPage page;
    ASSERT_TRUE(pspage::DefaultPrinterPage(false, &page));
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_NEXT_LINE)));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    DeleteFileW(pspage::PrintedPagePath());
    HWND dialog = OpenPrintDialog();
    ASSERT_NE(dialog, nullptr) << "no print dialog";
    vlox->WaitIdle(60000);
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    pspage::CheckPrintedPage(page, e2e::InBinFolder(L"e2e_print_next_line.png"),
                             {"Line: 20.00", "Time: 09:01:40", "No of Records:1"});
    EXPECT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxPrint, CancelPrintsNothingAndSaysNothing)
{
    DeleteFileW(pspage::PrintedPagePath());
    const size_t seenBefore = vlox->MessageBoxesSeen().size();
    HWND dialog = OpenPrintDialog();
    ASSERT_NE(dialog, nullptr);
    vlox->WaitIdle(60000);
    ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 60000));
    // Idle: the print job, had there been one, would be written by now (it is written on the
    // program's own thread).
    EXPECT_TRUE(vlox->WaitIdle(60000));
    EXPECT_FALSE(e2e::FileExists(pspage::PrintedPagePath()));
    EXPECT_EQ(vlox->MessageBoxesSeen().size(), seenBefore + 1);  // the print dialog alone
    EXPECT_TRUE(e2e::IsEnabled(mainWindow));
}

TEST_F(VloxPrint, WithoutAPrinterTheUserIsTold)
{
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{};
    defaults.DesiredAccess = PRINTER_ALL_ACCESS;
    ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(L"V-LOX PostScript"), &printer, &defaults));
    ASSERT_TRUE(DeletePrinter(printer));
    ClosePrinter(printer);
    DeleteFileW(pspage::PrintedPagePath());

    HWND box = OpenPrintDialog();
    ASSERT_NE(box, nullptr) << "nothing was said";
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    // The print dialog says so itself (Windows and Wine alike); where it only fails, V-LOX does.
    const std::string text = e2e::ToUtf8(info.text);
    EXPECT_TRUE(text.find("install a printer") != std::string::npos ||
                text.find("No printer is installed") != std::string::npos)
        << text;
    ASSERT_TRUE(e2e::PressButton(box, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([box] { return !IsWindow(box); }, 60000));
    // Idle: a second message would be up by now.
    EXPECT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());  // one message, not two
    EXPECT_FALSE(e2e::FileExists(pspage::PrintedPagePath()));
    EXPECT_TRUE(e2e::IsEnabled(mainWindow));
}

TEST_F(VloxPrint, Exit)
{
    DWORD code = 1;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}

}  // namespace
