// Selective nulling on the simulated board, at the shortest averaging time so that a run
// takes little time: started from Monitor with a data file open, the "Selective Nulling"
// dialog answered with the fastest rate, the "NULLING" box confirmed; the run ends with
// "Selective Nulling Completed"; a second run, of every rate, leaves the GDI object count where
// the first left it, and a reading stored after it carries the user's rate and gains, as the
// configuration file keeps them. Afterwards the configuration file holds null rows in every
// slot of the 60 Hz tables and none at 50 Hz, each row the simulated half-space at its gain,
// and the data file's NLG file has each run's slots appended after the tables written at its
// creation.
// During the first run the progress box stands where no control is, its title and column
// label inside it and its column over its label, and no two shown controls overlap; the
// screenshot that shows it is kept beside the test (e2e_nulling_progress.png).
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/sim_half_space.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"

#include "resources/nulling_ids.h"
#include "resources/resource.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxnull";

std::wstring ConfigPath()
{
    return std::wstring(RunFolder) + L"\\VLOXTARNWEL.INI";
}

std::string Text(const std::vector<uint8_t>& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, e2e::ReadTimeoutMs, &answer) == 0)
        return -1;
    return static_cast<LRESULT>(answer);
}

// The settings of the run: 60 Hz, the shortest averaging time (142 periods per row at the
// fastest rate), 30 Hz with 30 gates as the user's own choice, no null tables yet.
std::string StartConfiguration()
{
    SettingsValues s{};
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    NullTableValues nulls{};
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, none, NullTimeStamp{});
}

// A text's rectangle where it was drawn, measured in the panel's normal font (the same
// fonts serve this process under the same Wine).
RECT DrawnRect(const e2e::DrawnText& t)
{
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, L"MS Sans Serif");
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    GetTextExtentPoint32W(dc, t.text.c_str(), static_cast<int>(t.text.size()), &size);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return RECT{t.x, t.y, t.x + size.cx, t.y + size.cy};
}

bool ShownChildOver(HWND main, const RECT& r, std::string* which)
{
    for (HWND child : e2e::Children(main)) {
        RECT c = e2e::RectInParent(child), both{};
        if (e2e::IsShown(child) && IntersectRect(&both, &c, &r)) {
            *which = e2e::ToUtf8(e2e::TextOf(child));
            return true;
        }
    }
    return false;
}

// The progress box of a one-rate run (60 Hz: its column labelled "285") as the operator
// sees it, from the texts drawn since from: the box was drawn over the buttons beside it,
// its title outside its frame, its columns right to left.
void CheckProgressBox(e2e::Program& vlox, HWND main, long from)
{
    const e2e::DrawnText* title = nullptr;
    const e2e::DrawnText* label = nullptr;
    std::vector<e2e::DrawnText> texts;
    ASSERT_TRUE(e2e::WaitUntil(
        [&] {
            texts = e2e::TextsDrawnOn(vlox, main, main, from);
            title = label = nullptr;
            // The panel writes "285" too, as the run's rate: the label is the one below the title.
            for (const e2e::DrawnText& t : texts) {
                if (t.text.rfind(L"Nulling Progress (approx.", 0) == 0)
                    title = &t;
                if (t.text == L"285" && title != nullptr && t.y > title->y)
                    label = &t;
            }
            return title != nullptr && label != nullptr;
        },
        60000))
        << "no progress box drawn";
    vlox.WaitIdle(60000);
    e2e::RgbImage image;
    ASSERT_TRUE(e2e::CaptureClient(main, &image));
    e2e::SavePng(image, e2e::InBinFolder(L"e2e_nulling_progress.png"));
    for (const std::string& pair : e2e::OverlappingChildren(main))
        ADD_FAILURE() << pair;

    const RECT titleRect = DrawnRect(*title), labelRect = DrawnRect(*label);
    std::string which;
    EXPECT_FALSE(ShownChildOver(main, titleRect, &which)) << "\"" << which << "\" over the title";
    EXPECT_FALSE(ShownChildOver(main, labelRect, &which)) << "\"" << which << "\" over the column's label";
    EXPECT_GT(e2e::DarkPixels(image, titleRect), 60) << "the title is not on the screen";
    EXPECT_GT(e2e::DarkPixels(image, labelRect), 10) << "the label is not on the screen";
    // The frame's right edge lies between the title's end and "Comment".
    const RECT comment = e2e::RectInParent(e2e::Control(main, IDC_ENTER_COMMENT));
    const int rowY = (titleRect.top + titleRect.bottom) / 2;
    EXPECT_GT(e2e::DarkPixels(image, RECT{titleRect.right, rowY, comment.left, rowY + 1}), 0)
        << "the title runs out of the box";
    EXPECT_LT(titleRect.right, comment.left);
    // The column stands over its label: white, or green where it has filled.
    const int x = (labelRect.left + labelRect.right) / 2, y = labelRect.top - 8;
    ASSERT_LT(y, image.height);
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)) * 3;
    const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
    EXPECT_TRUE((r == 255 && g == 255 && b == 255) || (r == 0 && g == 255 && b == 0))
        << "over the label: " << r << ", " << g << ", " << b;
}

}  // namespace

TEST(SelectiveNullingRun, OneRateEndToEnd)
{
    // No noise floor: the rows of one rate then differ only by the gain. A conductive ground
    // and a stronger current, so that every slot has gates between the converter's range and
    // its steps at every gain.
    const char options[] = "SpeedUp=4;NoiseVolts=0;HumVolts=0;ResistivityOhmM=0.2;AmpereTurns=10";
    SetEnvironmentVariableA("QZSIM_OPTIONS", options);
    e2e::Program vlox;
    std::string error;
    // The program runs from the run folder, where it keeps its cycle log.
    HWND main = e2e::StartVloxPastSplash(vlox, RunFolder, &error, StartConfiguration(), {L"V-LOX.exe"});
    ASSERT_NE(main, nullptr) << error;

    // A data file, so that the run appends to its NLG file.
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(vlox, main), "");
    const std::wstring nlg = e2e::TodaysFirstDataFile(L"NLG");
    ASSERT_TRUE(e2e::FileExists(nlg));

    ASSERT_TRUE(e2e::ClickButton(e2e::Control(main, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsShown(e2e::Control(main, IDC_PAUSE)); }, 60000));

    // Cancel, and OK with no rate selected, start nothing.
    for (int button : {IDCANCEL, IDOK}) {
        ASSERT_TRUE(e2e::PostCommand(main, IDM_SELECTIVE_NULLING));
        HWND dialog = vlox.WaitMessageBox(L"Selective Nulling", 60000);
        ASSERT_NE(dialog, nullptr) << "no \"Selective Nulling\" dialog";
        ASSERT_TRUE(e2e::PressButton(dialog, button));
        ASSERT_TRUE(e2e::WaitUntil([&] { return vlox.OpenMessageBoxes().empty(); }, 60000));
        // Idle: whatever the button started has come up by now.
        ASSERT_TRUE(vlox.WaitIdle(60000));
        EXPECT_EQ(vlox.WaitMessageBox(L"NULLING", 0), nullptr) << button;
    }

    // One run of the first rates of the list (285 Hz first): dialog, confirmation, the run to
    // its end box.
    auto runRates = [&](int32_t rates, bool screenshot) {
        ASSERT_TRUE(e2e::PostCommand(main, IDM_SELECTIVE_NULLING));
        HWND dialog = vlox.WaitMessageBox(L"Selective Nulling", 60000);
        ASSERT_NE(dialog, nullptr) << "no \"Selective Nulling\" dialog";
        HWND list = e2e::Control(dialog, IDC_NULLING_RATES);
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(Ask(list, LB_GETCOUNT, 0, 0), 7);
        EXPECT_EQ(Ask(list, LB_GETTEXTLEN, 0, 0), 6) << "\"285 Hz\" first";
        for (int32_t r = 0; r < rates; ++r)
            ASSERT_TRUE(PostMessageW(list, LB_SETSEL, TRUE, r));
        ASSERT_TRUE(e2e::WaitUntil([&] { return Ask(list, LB_GETSELCOUNT, 0, 0) == rates; }, 60000));
        ASSERT_TRUE(e2e::PressButton(dialog, IDOK));

        HWND confirm = vlox.WaitMessageBox(L"NULLING", 60000);
        ASSERT_NE(confirm, nullptr) << "no \"NULLING\" box";
        e2e::MessageBoxInfo info;
        ASSERT_TRUE(e2e::ReadMessageBox(confirm, &info));
        EXPECT_NE(info.text.find(L"Ready to perform selective nulling for "), std::wstring::npos)
            << e2e::ToUtf8(info.text);
        long from = 0;
        ASSERT_TRUE(vlox.DrawnTextCount(main, &from));
        ASSERT_TRUE(e2e::PressButton(confirm, IDOK));
        if (screenshot)
            CheckProgressBox(vlox, main, from);

        HWND done = vlox.WaitMessageBox(L"Nulling", 180000 * rates);
        ASSERT_NE(done, nullptr) << "the run did not end";
        ASSERT_TRUE(e2e::ReadMessageBox(done, &info));
        EXPECT_EQ(info.text, L"Selective Nulling Completed");
        ASSERT_TRUE(e2e::PressButton(done, IDOK));
        // The board runs again on the user's settings: Monitor goes on, and the buttons
        // that gave way to the box are back.
        ASSERT_TRUE(e2e::WaitUntil([&] { return vlox.OpenMessageBoxes().empty(); }, 60000));
        ASSERT_TRUE(vlox.WaitIdle(60000));
        EXPECT_TRUE(e2e::IsShown(e2e::Control(main, IDC_PAUSE)));
        for (int id : {IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_INVERT})
            EXPECT_TRUE(e2e::IsShown(e2e::Control(main, id))) << id;
    };
    runRates(1, true);
    if (HasFatalFailure())
        return;
    // Each row restarts the board: a second run, of every rate, must leave the program holding
    // no more GDI objects than the first left it with.
    DWORD afterFirst = 0, afterSecond = 0;
    ASSERT_TRUE(vlox.GdiObjects(main, &afterFirst));
    runRates(RepRateCount, false);
    if (HasFatalFailure())
        return;
    ASSERT_TRUE(vlox.GdiObjects(main, &afterSecond));
    EXPECT_EQ(afterSecond, afterFirst);
    // A reading after the runs is measured and labelled at the operator's rate and gains.
    ASSERT_EQ(e2e::MeasureAndStore(vlox, main, 120000), "");

    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(vlox, main, &code), "");
    EXPECT_EQ(code, 0u);
    for (const e2e::MessageBoxInfo& box : vlox.MessageBoxesSeen()) {
        const std::string caption = e2e::ToUtf8(box.caption);
        EXPECT_TRUE(caption == "Create Data File" || caption == "Selective Nulling" || caption == "NULLING" ||
                    caption == "Nulling")
            << caption << ": " << e2e::ToUtf8(box.text);
    }

    // The configuration file: the rows of every slot at 60 Hz, every gain, each within its gate
    // count; no row at 50 Hz.
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(ConfigPath(), &bytes));
    SettingsValues s{};
    SettingsDerived d{};
    static NullTableValues nulls;
    ASSERT_EQ(LoadConfiguration(Text(bytes), s, d, nulls, ConfigLoadEnvironment{}), 1);
    EXPECT_EQ(d.ConfigInvalid, 0);
    EXPECT_EQ(s.AveragingTimeIndex, 0);
    EXPECT_EQ(s.RepRateIndex, SettingsValues{}.RepRateIndex) << "the user's rate is back";
    EXPECT_EQ(s.GateSet, SettingsValues{}.GateSet);
    EXPECT_EQ(s.GainX * 100 + s.GainY * 10 + s.GainZ, 555) << "the user's gains are back";
    ASSERT_TRUE(e2e::ReadFileBytes(e2e::TodaysFirstDataFile(L"VLX"), &bytes));
    const std::string survey = Text(bytes);
    const std::vector<std::string> tags = e2e::RecordTags(survey);
    int receivers = 0;
    for (size_t n = 0; n < tags.size(); ++n) {
        if (tags[n] != "R1")
            continue;
        const std::string r1 = survey.substr(n * e2e::RecordLength, e2e::RecordLength);
        EXPECT_EQ(e2e::Column(r1, 7, 9, -1), SettingsValues{}.RepRateIndex) << r1;
        EXPECT_EQ(e2e::Column(r1, 31, 33, -1) * 100 + e2e::Column(r1, 35, 37, -1) * 10 + e2e::Column(r1, 39, 41, -1),
                  555)
            << r1;
        ++receivers;
    }
    EXPECT_GT(receivers, 0) << "no reading stored";
    // The simulated transmitter runs during nulling, so each row is the half-space at its gain,
    // at the row's best time offset (each row restarts the board at a phase of its own): a row
    // that stacked periods taken before its final code on the output falls short of it.
    // The cycle's log names each buffer that followed lost samples (the program fell behind and
    // the library queued a finished buffer again): such rows must still be whole periods.
    std::vector<uint8_t> cycleLog;
    e2e::ReadFileBytes(std::wstring(RunFolder) + L"\\VLOXCYCLE.LOG", &cycleLog);
    std::printf("cycle log:\n%s\n", Text(cycleLog).c_str());
    int32_t comparedToTruth = 0;
    for (int32_t slot = 0; slot < NullSlotCount; ++slot) {
        const int32_t gates = slot < RepRateCount ? 20 : 30, rate = slot < RepRateCount ? slot : slot - 5;
        EXPECT_EQ(nulls.NullingValid[1][rate], 1) << slot;
        for (int32_t g = 0; g < GainCodeCount; ++g) {
            e2e::SimRow row{1, rate, gates == 30 ? 1 : 0, g, {}, {}};
            ASSERT_TRUE(ParseSimOptions(options, row.Sim));
            for (int32_t i = 0; i < MaxGateCount; ++i) {
                ASSERT_EQ(nulls.NullingTables[0][slot][g][i], 0.0) << slot;
                if (i >= gates)
                    ASSERT_EQ(nulls.NullingTables[1][slot][g][i], 0.0) << slot;
                else
                    row.Volts.push_back(nulls.NullingTables[1][slot][g][i]);
            }
            const TruthRowFit fit = e2e::SimRowAgainstHalfSpace(row);
            std::printf("slot %d gain %d against the half-space, %s\n", slot, g, e2e::DescribeFit(fit).c_str());
            EXPECT_GT(fit.Lowest, 1.0 - e2e::HalfSpaceTolerance) << "slot " << slot << " gain " << g;
            EXPECT_LT(fit.Highest, 1.0 + e2e::HalfSpaceTolerance) << "slot " << slot << " gain " << g;
            comparedToTruth += fit.Compared;
        }
    }
    EXPECT_GT(comparedToTruth, 1000);
    // Each row restarts the board at its gain, through code 3 from 4 on: a row that stacked
    // periods taken before its final code on the output would fall short of twice the row
    // below it, as the same gain on a board that has been running gives.
    int32_t compared = 0;
    for (int32_t g = 4; g < GainCodeCount; ++g)
        for (int32_t i = 0; i < 20; ++i) {
            const double below = nulls.NullingTables[1][0][g - 1][i], row = nulls.NullingTables[1][0][g][i];
            if (std::fabs(row) > 9.0 || std::fabs(below) < 0.05)
                continue;  // at the converter's limit, or too few codes to weigh
            EXPECT_NEAR(row / below, 2.0, 0.01) << "gain " << g << " gate " << i;
            ++compared;
        }
    EXPECT_GT(compared, 10);

    // The NLG file: at creation all twelve slots (609 records) and the user-gates block (7 x
    // 11 records at 40 gates), then slot 0 alone (seven headers of rate index 0, five value
    // records each), then every slot.
    ASSERT_TRUE(e2e::ReadFileBytes(nlg, &bytes));
    const std::string log = Text(bytes);
    const size_t atCreation = 609 + 77;
    const size_t appended = 7 * 6;
    ASSERT_EQ(log.size(), (atCreation + appended + 609) * 60) << "each run appends its slots";
    const std::string tail = log.substr(atCreation * 60, appended * 60);
    int32_t nonZeroFields = 0;
    for (size_t r = 0; r < appended; ++r) {
        const std::string record = tail.substr(r * 60, 60);
        SCOPED_TRACE(record);
        ASSERT_EQ(record.substr(58), "\r\n");
        if (r % 6 == 0) {
            EXPECT_EQ(record.substr(0, 10), "N0 160   0");
            EXPECT_EQ(record.substr(25, 2), "20");
            EXPECT_EQ(record[30], static_cast<char>('0' + r / 6));
        } else {
            EXPECT_EQ(record[0], 'N');
            EXPECT_EQ(record[1], static_cast<char>('0' + r % 6));
            for (size_t field = 0; field < 4; ++field)
                nonZeroFields += std::strtod(record.substr(2 + 14 * field, 14).c_str(), nullptr) != 0.0 ? 1 : 0;
        }
    }
    EXPECT_GT(nonZeroFields, 0);
}
