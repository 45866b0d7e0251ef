// The review road on the simulated board, driven from outside as an operator would: two
// lines of two stations each stored with the two-frequency measurement (30 Hz with 20 gates
// and 3 Hz with 30), then Start Review through the "REVIEW" box and the open dialog, lines,
// stations and records stepped, the profiles and back, Average, Auto Scale, the second
// reading of the first station excluded in "Manage Records" (listed "2X"), the current of
// all readings edited, Exit Review and one more reading stored into the same file. The file
// then reads back with every change and nothing else altered. Screenshots of the review
// decay plot, the averaged plot and the profile plot are kept beside the test.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"

#include "resources/review_ids.h"
#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using e2e::Column;
using e2e::Number;
using e2e::RecordLength;
using e2e::RecordTags;

const wchar_t RunFolder[] = L"C:\\vloxreview";

std::string StartConfiguration()
{
    SettingsValues s{};
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    s.SurveyMode = 0;
    s.TwoFrequencyMode = 1;
    s.FirstRepetitionChoice = 2;   // 30 Hz, 20 gates
    s.SecondRepetitionChoice = 9;  // 3 Hz, 30 gates
    s.FirstRepetitionGain = 3;
    s.SecondRepetitionGain = 5;
    s.RecordCountIndex = 0;
    s.RepRateIndex = 2;
    s.GateSet = 0;
    s.GainZ = 3;
    s.GpsInput = 0;
    s.MeterInput = 0;
    NullTableValues nulls{};
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, none, NullTimeStamp{});
}

// Ink of a capture: pixels that are neither white nor the light greys of the frame.
int32_t InkPixels(const e2e::RgbImage& image)
{
    int32_t n = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        n += (r == g && g == b && r >= 192) ? 0 : 1;
    }
    return n;
}

// Red pixels: the profile plot's station cursor.
int32_t RedPixels(const e2e::RgbImage& image)
{
    int32_t n = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        n += (image.rgb[i] == 255 && image.rgb[i + 1] == 0 && image.rgb[i + 2] == 0) ? 1 : 0;
    return n;
}

std::wstring ComboItemText(HWND combo, int index)
{
    wchar_t text[64] = L"";
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 3000, &result) == 0)
        return L"?";
    return text;
}

int ComboCount(HWND combo)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(combo, CB_GETCOUNT, 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    return static_cast<int>(result);
}

bool SetTextOf(HWND window, const wchar_t* text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 3000,
                               &result) != 0;
}

BOOL CALLBACK FirstEdit(HWND window, LPARAM found)
{
    if (e2e::ClassOf(window) == L"Edit" && e2e::IsShown(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

// The file-name field of an open dialog: its shown edit control (in its name combo box).
HWND FileNameField(HWND dialog)
{
    HWND found = nullptr;
    e2e::WaitUntil(
        [&] {
            EnumChildWindows(dialog, FirstEdit, reinterpret_cast<LPARAM>(&found));
            return found != nullptr;
        },
        5000);
    return found;
}

bool Checked(HWND box)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 3000, &result) != 0 && result == BST_CHECKED;
}

LRESULT ListSelection(HWND list)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(list, LB_GETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    return static_cast<LRESULT>(result);
}

std::wstring ListItemText(HWND list, int index)
{
    wchar_t text[64] = L"";
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text),
                            SMTO_ABORTIFHUNG, 3000, &result) == 0)
        return L"?";
    return text;
}

// The numbers window writes a value with two decimals below 10, one below 100, none above:
// the drawn number matches the value to half its last digit.
double NumbersTolerance(double value)
{
    const double size = value < 0 ? -value : value;
    return size >= 100.0 ? 0.5 : (size >= 10.0 ? 0.05 : 0.005);
}

class VloxReview : public e2e::VloxSuite<VloxReview> {
protected:
    static void SetUpTestSuite()
    {
        SetEnvironmentVariableW(L"QZSIM_OPTIONS", L"SpeedUp=4;NoiseVolts=0;HumVolts=0");
        Begin(RunFolder, StartConfiguration());
    }

    static HWND Ctl(int id) { return e2e::Control(mainWindow, id); }

    static void Store()
    {
        ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 120000, [] { NothingOverlaps("reading complete"); }), "");
    }

    // No two of the main window's shown controls overlap on the screen of this state.
    static void NothingOverlaps(const char* state)
    {
        for (const std::string& pair : e2e::OverlappingChildren(mainWindow))
            ADD_FAILURE() << state << ": " << pair;
    }

    static void Idle()
    {
        const bool idle = vlox->WaitIdle(60000);
        std::string boxes;
        for (HWND box : vlox->OpenMessageBoxes()) {
            e2e::MessageBoxInfo info;
            if (e2e::ReadMessageBox(box, &info))
                boxes += e2e::ToUtf8(info.caption) + ": " + e2e::ToUtf8(info.text) + "\n";
        }
        ASSERT_TRUE(idle) << boxes;
    }

    static void Shot(int id, const wchar_t* name, int32_t minimumInk)
    {
        Idle();
        ASSERT_TRUE(vlox->WaitDrawn(Ctl(id), 60000));
        e2e::RgbImage image;
        ASSERT_TRUE(e2e::CaptureWindow(Ctl(id), &image));
        e2e::WriteFileBytes(e2e::InBinFolder(name), e2e::EncodePng(image));
        EXPECT_GT(InkPixels(image), minimumInk) << e2e::ToUtf8(name);
    }

    // The texts drawn on window since sequence from, in order.
    static std::vector<e2e::DrawnText> DrawnOn(HWND window, long from)
    {
        return e2e::TextsDrawnOn(*vlox, mainWindow, window, from);
    }

    static long TextCount()
    {
        long count = 0;
        vlox->DrawnTextCount(mainWindow, &count);
        return count;
    }

    // The value rows of the numbers window drawn since from (gates in order, rows of 20).
    static std::vector<double> ShownValues(HWND numbers, long from)
    {
        std::vector<double> values;
        for (const e2e::DrawnText& t : DrawnOn(numbers, from))
            if (t.x > 10 && t.y > 40)
                values.push_back(std::wcstod(t.text.c_str(), nullptr));
        return values;
    }

    // In the Manage Records dialog: the mode box checked, then the reading at index clicked; the
    // list is filled anew, so the selection goes.
    static void MarkReading(HWND dialog, int mode, int index)
    {
        HWND box = e2e::Control(dialog, mode);
        ASSERT_TRUE(PostMessageW(box, BM_CLICK, 0, 0));
        // The dialog's own loop runs: wait for the box to take the click.
        ASSERT_TRUE(e2e::WaitUntil([&] { return Checked(box); }, 60000));
        HWND list = e2e::Control(dialog, IDC_TAG_RECORD_LIST);
        DWORD_PTR result = 0;
        SendMessageTimeoutW(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0, SMTO_ABORTIFHUNG, 3000, &result);
        ASSERT_TRUE(e2e::PostCommand(dialog, IDC_TAG_RECORD_LIST, LBN_SELCHANGE, list));
        ASSERT_TRUE(e2e::WaitUntil([&] { return ListSelection(list) == LB_ERR; }, 60000));
    }

    // The values the numbers window drew since from, once it has drawn a reading's 20 (fewer
    // when it did not).
    static std::vector<double> ValuesDrawnSince(HWND numbers, long from)
    {
        std::vector<double> shown;
        e2e::WaitUntil(
            [&] {
                shown = ShownValues(numbers, from);
                return shown.size() >= 20;
            },
            5000);
        return shown;
    }

    // After a unit change each of the first four gates drawn is the one drawn before by the one
    // factor between the units, which is returned.
    static double OneFactor(const std::vector<double>& before, const std::vector<double>& shown)
    {
        const double factor = shown[0] / before[0];
        for (int g = 0; g < 4; ++g)
            EXPECT_NEAR(shown[g], before[g] * factor, NumbersTolerance(shown[g]) + 0.005 * shown[g])
                << "gate " << g + 1;
        return factor;
    }

    // Line 0, station 0, record 0 chosen in the lists.
    static void FirstReadingOfTheFile()
    {
        ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_LINE), 0));
        Idle();
        ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_STATION), 0));
        Idle();
        ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_RECORD), 0));
        Idle();
    }

    static inline std::wstring dataFile;
    // Gates 1 to 4 of the file's first reading as the numbers window showed them in mV.
    static inline std::vector<double> ShownInMillivolts;
};

}  // namespace

TEST_F(VloxReview, StoreTwoLinesOfTwoStations)
{
    NothingOverlaps("live, no file");
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    dataFile = e2e::TodaysFirstDataFile(L"VLX");
    Idle();
    NothingOverlaps("a file open");
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000));
    Idle();
    NothingOverlaps("monitoring");
    Store();
    NothingOverlaps("monitoring after a store");
    Store();
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_NEXT_LINE)));
    Idle();
    Store();
    Store();
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_PAUSE)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_MONITOR); }, 60000));
    Idle();
}

TEST_F(VloxReview, StartReviewThroughTheBoxAndTheOpenDialog)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
    HWND box = vlox->WaitMessageBox(L"REVIEW", 60000);
    ASSERT_NE(box, nullptr) << "no REVIEW box";
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_NE(info.text.find(L"Press Yes to review current file, No to choose from the list"), std::wstring::npos);
    ASSERT_TRUE(e2e::PressButton(box, IDNO));
    HWND open = vlox->WaitMessageBox(L"Open Data File", 60000);
    ASSERT_NE(open, nullptr) << "no open dialog";
    HWND name = FileNameField(open);
    ASSERT_NE(name, nullptr);
    ASSERT_TRUE(SetTextOf(name, dataFile.c_str()));
    ASSERT_TRUE(e2e::PressButton(open, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 60000)) << "the review screen is not shown";
    Idle();
    for (int id : {IDC_COMBO_REVIEW_VIEW, IDC_COMBO_LINE, IDC_COMBO_STATION, IDC_COMBO_RECORD, IDC_COMBO_PROCESSING})
        EXPECT_TRUE(Shown(id)) << id;
    // "Display Available Comments" used to cover "E&xit Review", "Manage Rcds" "Next Line".
    for (int id : {IDC_DISPLAY_COMMENTS, IDC_MANAGE_RECORDS, IDC_NEXT_LINE, IDC_EXIT_REVIEW})
        EXPECT_TRUE(Shown(id)) << id;
    NothingOverlaps("review");
    EXPECT_FALSE(Shown(IDC_MEASURE));
    EXPECT_EQ(ComboCount(Ctl(IDC_COMBO_LINE)), 2);
    EXPECT_EQ(ComboCount(Ctl(IDC_COMBO_STATION)), 2);
    EXPECT_EQ(ComboCount(Ctl(IDC_COMBO_RECORD)), 2);
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_AUTO_SCALE)));
    Shot(IDC_CURVE_WND, L"e2e_review_decay.png", 1000);
    Shot(IDC_NUMBERS_WND, L"e2e_review_numbers.png", 300);
}

TEST_F(VloxReview, StepLinesStationsAndRecords)
{
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_NEXT_RECORD)));
    Idle();
    EXPECT_EQ(SendMessageW(Ctl(IDC_COMBO_RECORD), CB_GETCURSEL, 0, 0), 1);
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_NEXT_STATION)));
    Idle();
    EXPECT_EQ(SendMessageW(Ctl(IDC_COMBO_STATION), CB_GETCURSEL, 0, 0), 1);
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_NEXT_LINE)));
    Idle();
    EXPECT_EQ(SendMessageW(Ctl(IDC_COMBO_LINE), CB_GETCURSEL, 0, 0), 1);
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_PREVIOUS_LINE)));
    Idle();
    EXPECT_EQ(SendMessageW(Ctl(IDC_COMBO_LINE), CB_GETCURSEL, 0, 0), 0);
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_PREVIOUS_RECORD)));
    Idle();
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxReview, ProfilesAndBack)
{
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 1));
    Idle();
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty()) << "profiles refused";
    HWND repetition = Ctl(IDC_COMBO_REPETITION);
    ASSERT_EQ(ComboCount(repetition), 2);
    EXPECT_EQ(ComboItemText(repetition, 0), L"30Hz/20");
    EXPECT_EQ(ComboItemText(repetition, 1), L"3Hz/30");
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_AUTO_SCALE)));
    Shot(IDC_CURVE_WND, L"e2e_review_profile.png", 1000);
    e2e::RgbImage image;
    ASSERT_TRUE(e2e::CaptureWindow(Ctl(IDC_CURVE_WND), &image));
    EXPECT_GT(RedPixels(image), 20) << "no station cursor";
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 0));
    Idle();
}

TEST_F(VloxReview, AverageAndAutoScale)
{
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_PROCESSING), 2));
    Idle();
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_AUTO_SCALE)));
    Shot(IDC_CURVE_WND, L"e2e_review_average.png", 1000);
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_PROCESSING), 0));
    Idle();
}

// Plot Scale Setup in review, "Single": the reading shown is converted again into the unit
// chosen, and the numbers window shows its values in mV at once (they stayed in nV/m2 under
// the new label until review was started again). The parameter panel, drawn again with it,
// counts the readings of the station (two: one of each rate), not the records per
// measurement they were stored with (one).
TEST_F(VloxReview, PlotScaleShowsTheReadingInTheNewUnitAtOnce)
{
    HWND numbers = Ctl(IDC_NUMBERS_WND);
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, numbers));
    const long shownFrom = TextCount();
    FirstReadingOfTheFile();
    // The reading's 20 values in nV/m2, as last drawn.
    std::vector<double> before = ValuesDrawnSince(numbers, shownFrom);
    ASSERT_GE(before.size(), 20u) << "the first reading was not shown";
    before.erase(before.begin(), before.end() - 20);
    HWND dialog = OpenDialog(IDM_SCALE, L"Plot Scale Setup");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PostMessageW(e2e::Control(dialog, IDC_SCALE_UNIT_FIRST + 1), BM_CLICK, 0, 0));  // "mV"
    Type(dialog, IDC_SCALE_AMPLITUDE_MIN, L"0");
    Type(dialog, IDC_SCALE_AMPLITUDE_MAX, L"10");
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_EQ(e2e::TextOf(e2e::Control(dialog, IDC_SCALE_AMPLITUDE_MIN_UNIT)), L"mV");
    const long from = TextCount();
    ASSERT_TRUE(CloseDialog(dialog, IDOK));

    // The value rows drawn since: the reading's 20 gates again, each by the one factor between
    // the two units (the file, held by the review, is compared once V-LOX has ended).
    const std::vector<double> shown = ValuesDrawnSince(numbers, from);
    ASSERT_GE(shown.size(), 20u) << "the numbers window was not drawn again";
    EXPECT_LT(OneFactor(before, shown), 0.5) << "the values were drawn again in nV/m2";
    ShownInMillivolts.assign(shown.begin(), shown.begin() + 4);

    // "Records:" and the value after it on the main window.
    const std::vector<e2e::DrawnText> panel = DrawnOn(mainWindow, from);
    bool found = false;
    for (size_t i = 0; i + 1 < panel.size(); ++i)
        if (panel[i].text == L"Records: ") {
            EXPECT_EQ(panel[i + 1].text, L"2");
            found = true;
        }
    EXPECT_TRUE(found) << "the parameter panel was not drawn again";
}

// The top of the scale stepped down from 10 to 5 in review: the plot is drawn again with each
// top (it stayed at 10 below 10, pixel for pixel the same).
TEST_F(VloxReview, TopOfScaleDownRedrawsAtEveryStep)
{
    HWND curve = Ctl(IDC_CURVE_WND);
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, curve));
    e2e::RgbImage before;
    Idle();
    ASSERT_TRUE(e2e::CaptureWindow(curve, &before));
    for (int top = 9; top >= 5; --top) {
        SCOPED_TRACE("top " + std::to_string(top));
        const long from = TextCount();
        UINT state = 0;
        ASSERT_TRUE(vlox->MenuState(mainWindow, IDM_TOP_OF_SCALE_DOWN, &state));
        ASSERT_EQ(state & (MF_GRAYED | MF_DISABLED), 0u);
        ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_TOP_OF_SCALE_DOWN));
        Idle();
        // The top label of the frame, centred on the top line (20).
        bool labelled = false;
        ASSERT_TRUE(e2e::WaitUntil(
            [&] {
                for (const e2e::DrawnText& t : DrawnOn(curve, from))
                    labelled = labelled || (t.text == std::to_wstring(top) && t.x < 60 && t.y < 20);
                return labelled;
            },
            5000))
            << "no top label " << top;
        e2e::RgbImage after;
        ASSERT_TRUE(e2e::CaptureWindow(curve, &after));
        ASSERT_EQ(after.rgb.size(), before.rgb.size());
        EXPECT_NE(after.rgb, before.rgb) << "the plot was not drawn again";
        before = after;
    }
}

// Plot Scale Setup in the profile view: the profile's readings are read again in the unit
// chosen (nV/m2 after the mV above), and the numbers window shows the reading of the cursor's
// station in it at once (the profile kept the values of the unit it was read in).
TEST_F(VloxReview, ProfileViewShowsItsReadingsInTheNewUnitAtOnce)
{
    HWND numbers = Ctl(IDC_NUMBERS_WND);
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, numbers));
    const long shownFrom = TextCount();
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 1));
    Idle();
    std::vector<double> before = ValuesDrawnSince(numbers, shownFrom);
    ASSERT_GE(before.size(), 20u) << "the profile view drew no values";
    before.erase(before.begin(), before.end() - 20);

    HWND dialog = OpenDialog(IDM_SCALE, L"Plot Scale Setup");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(PostMessageW(e2e::Control(dialog, IDC_SCALE_UNIT_FIRST), BM_CLICK, 0, 0));  // "nV/m2"
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const long from = TextCount();
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    const std::vector<double> shown = ValuesDrawnSince(numbers, from);
    ASSERT_GE(shown.size(), 20u) << "the numbers window was not drawn again";
    EXPECT_GT(OneFactor(before, shown), 2.0) << "the values were drawn again in mV";

    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 0));
    Idle();
}

// "Selected" with gate labels: the time axis covers both readings of the station, the 30 Hz
// one with 20 gates and the 3 Hz one with 30, so the 3 Hz curve is no longer cut at the end
// of the 30 Hz axis: the frame's gate labels run to 30, inside the plot.
TEST_F(VloxReview, SelectedWithGateLabelsCoversEveryReadingOfTheStation)
{
    HWND dialog = OpenDialog(IDM_SCALE, L"Plot Scale Setup");
    ASSERT_NE(dialog, nullptr);
    HWND gates = e2e::Control(dialog, IDC_SCALE_LABELS_GATES);
    ASSERT_TRUE(PostMessageW(gates, BM_CLICK, 0, 0));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Checked(gates); }, 5000));
    ASSERT_TRUE(CloseDialog(dialog, IDOK));
    FirstReadingOfTheFile();

    HWND curve = Ctl(IDC_CURVE_WND);
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, curve));
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_PROCESSING), 1));  // "Selected"
    Idle();
    HWND list = Ctl(IDC_LIST_RECORDS);
    ASSERT_TRUE(e2e::IsShown(list));
    DWORD_PTR result = 0;
    ASSERT_NE(SendMessageTimeoutW(list, LB_SETSEL, TRUE, 1, SMTO_ABORTIFHUNG, 3000, &result), 0);
    const long from = TextCount();
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDC_LIST_RECORDS, LBN_SELCHANGE, list));
    Idle();

    // The gate labels stand 15 pixels above the axis caption "Gates", between the plot's left
    // edge (60) and its right edge (40 pixels from the pane's; the client area may lack the
    // pane's last pixels).
    const RECT client = e2e::ClientRectOf(curve);
    const int plotLeft = 60, plotRight = client.right - 38;
    std::vector<std::wstring> labels;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            labels.clear();
            const std::vector<e2e::DrawnText> drawn = DrawnOn(curve, from);
            int gateLabelTop = -1;
            for (const e2e::DrawnText& t : drawn)
                if (t.text == L"Gates")
                    gateLabelTop = t.y - 15;
            for (const e2e::DrawnText& t : drawn)
                if (t.y == gateLabelTop && t.x >= plotLeft - 10 && t.x <= plotRight)
                    labels.push_back(t.text);
            return std::find(labels.begin(), labels.end(), L"30") != labels.end();
        },
        5000))
        << "no gate label 30 inside the plot; drawn: " << [&] {
               std::string all;
               for (const e2e::DrawnText& t : DrawnOn(curve, from))
                   all += e2e::ToUtf8(t.text) + "@" + std::to_string(t.x) + "," + std::to_string(t.y) + " ";
               return all + " client " + std::to_string(client.right) + "x" + std::to_string(client.bottom);
           }();
    EXPECT_NE(std::find(labels.begin(), labels.end(), L"25"), labels.end());
    EXPECT_NE(std::find(labels.begin(), labels.end(), L"1"), labels.end());

    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_PROCESSING), 0));
    Idle();
}

// Manage Records in the profile view: the reading of the other rate at the cursor's station
// excluded, then included again. The profile stays on the screen with its own list of records
// (the decay view's list and plot took its place).
TEST_F(VloxReview, ManageRecordsInTheProfileViewKeepsTheProfile)
{
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 1));
    Idle();
    HWND records = Ctl(IDC_COMBO_RECORD);
    const int listed = ComboCount(records);
    ASSERT_GE(listed, 1);
    const std::wstring shown = ComboItemText(records, 0);
    for (const int mode : {IDC_EXCLUDE_RECORD_MODE, IDC_INCLUDE_RECORD_MODE}) {
        SCOPED_TRACE(mode == IDC_EXCLUDE_RECORD_MODE ? "exclude" : "include");
        ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_MANAGE_RECORDS));
        HWND dialog = vlox->WaitMessageBox(L"Manage Records", 60000);
        ASSERT_NE(dialog, nullptr);
        HWND list = e2e::Control(dialog, IDC_TAG_RECORD_LIST);
        // The station's reading that the profile does not list: the other rate's.
        int other = -1;
        for (int i = 0; i < 2; ++i)
            if (std::wcstol(ListItemText(list, i).c_str(), nullptr, 10) != std::wcstol(shown.c_str(), nullptr, 10))
                other = i;
        ASSERT_GE(other, 0);
        MarkReading(dialog, mode, other);
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(CloseDialog(dialog, IDOK));
        Idle();
        EXPECT_EQ(SendMessageW(Ctl(IDC_COMBO_REVIEW_VIEW), CB_GETCURSEL, 0, 0), 1);
        EXPECT_EQ(ComboCount(records), listed) << "the record box lists the decay view's records";
        EXPECT_EQ(ComboItemText(records, 0), shown);
        ASSERT_TRUE(vlox->WaitDrawn(Ctl(IDC_CURVE_WND), 60000));
        e2e::RgbImage image;
        ASSERT_TRUE(e2e::CaptureWindow(Ctl(IDC_CURVE_WND), &image));
        EXPECT_GT(RedPixels(image), 20) << "the profile's station cursor is gone";
    }
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_REVIEW_VIEW), 0));
    Idle();
}

TEST_F(VloxReview, ExcludeTheSecondReadingOfTheFirstStation)
{
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_LINE), 0));
    Idle();
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_STATION), 0));
    Idle();
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_MANAGE_RECORDS));
    HWND dialog = vlox->WaitMessageBox(L"Manage Records", 60000);
    ASSERT_NE(dialog, nullptr);
    // A click on a record with no mode checked changes no tag, but the list is filled anew:
    // the highlight goes.
    HWND list = e2e::Control(dialog, IDC_TAG_RECORD_LIST);
    DWORD_PTR result = 0;
    SendMessageTimeoutW(list, LB_SETCURSEL, 0, 0, SMTO_ABORTIFHUNG, 3000, &result);
    ASSERT_TRUE(e2e::PostCommand(dialog, IDC_TAG_RECORD_LIST, LBN_SELCHANGE, list));
    EXPECT_TRUE(e2e::WaitUntil([&] { return ListSelection(list) == LB_ERR; }, 5000)) << "the highlight stayed";
    EXPECT_EQ(ListItemText(list, 0), L"1  ");
    MarkReading(dialog, IDC_EXCLUDE_RECORD_MODE, 1);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 60000));
    Idle();
    EXPECT_EQ(ComboItemText(Ctl(IDC_COMBO_RECORD), 0), L"1");
    EXPECT_EQ(ComboItemText(Ctl(IDC_COMBO_RECORD), 1), L"2X");
}

TEST_F(VloxReview, EditTheCurrentOfAllReadings)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_EDIT_PARAMETERS));
    HWND dialog = vlox->WaitMessageBox(L"Edit Selected Parameters", 60000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(SetTextOf(e2e::Control(dialog, IDC_EDIT_TX_CURRENT), L"7.25"));
    HWND update = e2e::Control(dialog, IDC_EDIT_UPDATE_CURRENT);
    HWND all = e2e::Control(dialog, IDC_EDIT_RANGE_ALL);
    ASSERT_TRUE(PostMessageW(update, BM_CLICK, 0, 0));
    ASSERT_TRUE(PostMessageW(all, BM_CLICK, 0, 0));
    ASSERT_TRUE(e2e::WaitUntil([&] { return Checked(update) && Checked(all); }, 60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([&] { return !IsWindow(dialog); }, 60000));
    Idle();
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxReview, ExitReviewAndStoreOneMore)
{
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_EXIT_REVIEW)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_CLOSE_DATA_FILE) && Shown(IDC_MONITOR); }, 60000));
    EXPECT_FALSE(Shown(IDC_COMBO_LINE));
    Idle();
    NothingOverlaps("back from review");
    ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000));
    Store();
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}

TEST_F(VloxReview, TheFileReadsBackWithEveryChange)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(dataFile, &bytes));
    const std::string file(bytes.begin(), bytes.end());
    ASSERT_EQ(file.size() % RecordLength, 0u);
    const std::vector<std::string> tags = RecordTags(file);
    auto record = [&](size_t n) { return file.substr(n * RecordLength, RecordLength); };
    // Readings in order: two per store (both rates), five stores.
    std::vector<size_t> readings;
    for (size_t n = 0; n < tags.size(); ++n)
        if (tags[n] == "W1" || tags[n] == "W0")
            readings.push_back(n);
    ASSERT_EQ(readings.size(), 10u);
    int lines = 0, stations = 0;
    for (const std::string& t : tags) {
        lines += t == "L1" ? 1 : 0;
        stations += t == "S1" ? 1 : 0;
    }
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(stations, 5);  // the last store at the third station of the second line
    for (size_t i = 0; i < readings.size(); ++i) {
        const std::string w = record(readings[i]);
        const std::string t1 = record(readings[i] + 1);
        SCOPED_TRACE("reading " + std::to_string(i + 1));
        // Only the second reading of the first station excluded.
        EXPECT_EQ(w.substr(0, 2), i == 1 ? "W0" : "W1");
        EXPECT_EQ(Column(w, 3, 6, -1), static_cast<int>(i % 2) + 1);
        ASSERT_EQ(t1.substr(0, 2), "T1");
        // The current of every reading reviewed edited; the one stored after review as set.
        EXPECT_DOUBLE_EQ(Number(t1, 3, 16), i < 8 ? 7.25 : 3.0);
        // Nothing else of the transmitter record changed.
        EXPECT_EQ(t1.substr(16), record(readings.back() + 1).substr(16));
        // The rates alternate and the gate values are still the measured decays.
        const std::string r1 = record(readings[i] + 4);
        ASSERT_EQ(r1.substr(0, 2), "R1");
        EXPECT_EQ(Column(r1, 7, 9, -1), i % 2 == 0 ? 2 : 4);
        const std::string v1 = record(readings[i] + 6);
        ASSERT_EQ(v1.substr(0, 2), "V1");
        EXPECT_GT(Number(v1, 3, 16) * Number(v1, 3, 16), 0.0);
    }
}

// The mV values the numbers window showed after Plot Scale Setup are the first reading's
// stored gate values (volts x 10^9) in mV.
TEST_F(VloxReview, TheMillivoltsShownWereTheStoredValues)
{
    ASSERT_EQ(ShownInMillivolts.size(), 4u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(dataFile, &bytes));
    const std::string file(bytes.begin(), bytes.end());
    const std::vector<std::string> tags = RecordTags(file);
    size_t w = 0;
    while (w < tags.size() && tags[w] != "W1")
        ++w;
    ASSERT_LT(w + 6, tags.size());
    const std::string v1 = file.substr((w + 6) * RecordLength, RecordLength);
    ASSERT_EQ(v1.substr(0, 2), "V1");
    for (int g = 0; g < 4; ++g) {
        const double expected = Number(v1, 3 + 14 * g, 16 + 14 * g) / 1e6;
        EXPECT_NEAR(ShownInMillivolts[g], expected, NumbersTolerance(expected)) << "gate " << g + 1;
    }
}

// A reading that cannot be read (the V2 record of the file's fourth reading, the second at
// the second station, no longer tagged so) in "Average": told in one box when Average is
// chosen, and a repaint (the main window minimised and restored) reads nothing and tells
// nothing. The drawing read the file inside its paint, and each box's own paint opened another.
TEST_F(VloxReview, ADamagedReadingIsToldOnceAndNeverFromAPaint)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(dataFile, &bytes));
    const std::vector<std::string> tags = RecordTags(std::string(bytes.begin(), bytes.end()));
    int readings = 0;
    for (size_t n = 0; n < tags.size() && readings < 5; ++n) {
        readings += tags[n][0] == 'W' ? 1 : 0;
        if (readings == 4 && tags[n] == "V2") {
            bytes[n * RecordLength] = 'X';
            readings = 5;
        }
    }
    ASSERT_EQ(readings, 5) << "no fourth reading with a V2 record";

    e2e::Program program;
    std::string error;
    HWND main = e2e::StartVloxPastSplash(program, L"C:\\vloxreview2", &error, StartConfiguration());
    ASSERT_NE(main, nullptr) << error;
    const std::wstring damaged = L"C:\\vloxreview2\\damaged.vlx";
    ASSERT_TRUE(e2e::WriteFileBytes(damaged, bytes));
    ASSERT_TRUE(e2e::PostCommand(main, IDM_START_REVIEW));
    HWND open = program.WaitMessageBox(L"Open Data File", 60000);
    ASSERT_NE(open, nullptr);
    ASSERT_TRUE(SetTextOf(FileNameField(open), damaged.c_str()));
    ASSERT_TRUE(e2e::PressButton(open, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(e2e::Control(main, IDC_EXIT_REVIEW)); }, 60000));
    ASSERT_TRUE(program.WaitIdle(60000));
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(main, IDC_NEXT_STATION)));
    ASSERT_TRUE(program.WaitIdle(60000));
    const size_t from = program.MessageBoxesSeen().size();

    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(main, IDC_COMBO_PROCESSING), 2));  // "Average"
    std::wstring text;
    const int chosen = e2e::AnswerBoxesUntilSettled(program, main, L"File Error", from, 1, &text);
    int repainted = chosen;
    if (chosen <= 1) {
        ShowWindowAsync(main, SW_MINIMIZE);
        ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(main) != FALSE; }, 60000));
        ShowWindowAsync(main, SW_RESTORE);
        ASSERT_TRUE(e2e::WaitUntil([&] { return IsIconic(main) == FALSE; }, 60000));
        repainted = e2e::AnswerBoxesUntilSettled(program, main, L"File Error", from, 1, &text);
    }
    // Told once when "Average" is chosen, never again by a repaint.
    EXPECT_TRUE(chosen == 1 && repainted == 1)
        << "\"File Error\" boxes (" << e2e::ToUtf8(text) << "): " << chosen << " once Average was chosen, " << repainted
        << " after a minimise and restore";
    DWORD code = 255;
    if (program.Running()) {
        EXPECT_EQ(e2e::ExitVlox(program, main, &code), "");
    }
}

TEST_F(VloxReview, NoErrorBoxAtAnyTime)
{
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen()) {
        const std::string caption = e2e::ToUtf8(box.caption);
        EXPECT_TRUE(caption == "Create Data File" || caption == "REVIEW" || caption == "Open Data File" ||
                    caption == "Manage Records" || caption == "Edit Selected Parameters" ||
                    caption == "Plot Scale Setup")
            << caption << ": " << e2e::ToUtf8(box.text);
    }
}
