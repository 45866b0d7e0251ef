// One reading on the simulated board at the default settings (30 Hz, 30 gates, 15 s) and the
// default simulation (100 Ohm-m half-space under the 100 m by 50 m loop, the transmitter the
// receiver is set for, the field's noise floor): the live decay curve moves while monitoring,
// Measure averages for the averaging time and ends with the reading-complete screen, the
// numbers window shows a value at every gate, and Store Reading writes the gate values into
// the data file. Screenshots of the curve and numbers windows during and after the reading are
// kept beside the test (e2e_measure_*.png) for a look by eye. The stored values decay at every
// gate, noise and all, and where the signal stands well above the noise they are the
// closed-form half-space response.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include "tests/standins/half_space_truth.h"
#include "vlox/measure/units.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxmeasure";

// The default simulation's ground and loop (the loop is V-LOX's default rectangle too).
const double GroundResistivityOhmM = 100.0;
const double SimLoopAreaM2 = 5000.0;
const double Pi = 3.14159265358979323846;

// Values read in the numbers window after the reading: the last texts drawn in its value
// column, one row per gate.
std::vector<double> NumbersColumnValues;

// The gate values of the last reading in a data file, in stored nanovolts: its V records
// from the one of row "1" on, four fields of 14 characters each after the tag.
std::vector<double> LastStoredGateValues(const std::string& bytes)
{
    std::vector<double> values;
    for (size_t at = 0; at + 60 <= bytes.size(); at += 60) {
        if (bytes[at] != 'V')
            continue;
        if (bytes[at + 1] == '1')
            values.clear();
        for (size_t field = 0; field < 4; ++field) {
            const std::string text = bytes.substr(at + 2 + 14 * field, 14);
            if (text.find_first_not_of(' ') == std::string::npos)
                break;
            values.push_back(std::strtod(text.c_str(), nullptr));
        }
    }
    return values;
}

// Pixels of the image that are not white, light grey or the grid greys.
int32_t InkPixels(const e2e::RgbImage& image)
{
    int32_t n = 0;
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        const int r = image.rgb[i], g = image.rgb[i + 1], b = image.rgb[i + 2];
        const bool grey = r == g && g == b && r >= 192;
        n += grey ? 0 : 1;
    }
    return n;
}

int32_t DifferentPixels(const e2e::RgbImage& a, const e2e::RgbImage& b)
{
    if (a.rgb.size() != b.rgb.size())
        return -1;
    int32_t n = 0;
    for (size_t i = 0; i < a.rgb.size(); i += 3)
        n += a.rgb[i] != b.rgb[i] || a.rgb[i + 1] != b.rgb[i + 1] || a.rgb[i + 2] != b.rgb[i + 2] ? 1 : 0;
    return n;
}

class VloxMeasure : public e2e::VloxSuite<VloxMeasure> {
protected:
    static void SetUpTestSuite()
    {
        // The simulated board in V-LOX's process: its defaults, whatever the environment holds.
        SetEnvironmentVariableW(L"QZSIM_OPTIONS", nullptr);
        Begin(RunFolder);
    }

    static bool Capture(int id, e2e::RgbImage* image)
    {
        return e2e::CaptureWindow(e2e::Control(mainWindow, id), image);
    }
};

}  // namespace

TEST_F(VloxMeasure, DataFileForTheReading)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::FileExists(e2e::TodaysFirstDataFile(L"VLX")));
}

TEST_F(VloxMeasure, MonitorDrawsTheLiveCurveOverAndOver)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    e2e::RgbImage first, later;
    // The first curve comes with the first buffers.
    ASSERT_TRUE(e2e::WaitUntil([&] { return Capture(IDC_CURVE_WND, &first) && InkPixels(first) > 200; }, 60000))
        << "no curve while monitoring";
    bool changed = false;
    e2e::WaitUntil(
        [&] {
            Sleep(200);
            changed = Capture(IDC_CURVE_WND, &later) && DifferentPixels(first, later) > 0;
            return changed;
        },
        60000);
    EXPECT_TRUE(changed) << "the monitor curve is not redrawn";
    e2e::RgbImage numbers;
    ASSERT_TRUE(Capture(IDC_NUMBERS_WND, &numbers));
    EXPECT_GT(InkPixels(numbers), 300) << "the numbers window shows no values";
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxMeasure, ReadingAveragesForItsTimeAndEnds)
{
    HWND measure = e2e::Control(mainWindow, IDC_MEASURE);
    ASSERT_TRUE(e2e::WaitUntil([&] { return e2e::IsEnabled(measure); }, 60000));
    HWND numbersWindow = e2e::Control(mainWindow, IDC_NUMBERS_WND);
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, numbersWindow));
    const DWORD start = GetTickCount();
    ASSERT_TRUE(e2e::ClickButton(measure));
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::IsShown(e2e::Control(mainWindow, IDC_STOP)); }, 60000));

    // On the way: the running average and the progress bar, while the reading still runs.
    e2e::RgbImage curve, numbers, bar;
    ASSERT_TRUE(e2e::WaitUntil([&] { return Capture(IDC_BAR_WND, &bar) && InkPixels(bar) > 0; }, 60000))
        << "no progress bar";
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(Capture(IDC_CURVE_WND, &curve));
    ASSERT_TRUE(Capture(IDC_NUMBERS_WND, &numbers));
    ASSERT_TRUE(Capture(IDC_BAR_WND, &bar));
    e2e::WriteFileBytes(e2e::InBinFolder(L"e2e_measure_curve_during.png"), e2e::EncodePng(curve));
    e2e::WriteFileBytes(e2e::InBinFolder(L"e2e_measure_numbers_during.png"), e2e::EncodePng(numbers));
    EXPECT_GT(InkPixels(bar), 0) << "no progress bar";
    EXPECT_GT(InkPixels(curve), 200);

    // 15 s at 30 Hz: the reading-complete screen, never sooner.
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::IsShown(e2e::Control(mainWindow, IDC_STORE_READING)); }, 180000))
        << "the reading did not end";
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_GE(elapsed, 14000u);
    EXPECT_FALSE(e2e::IsShown(e2e::Control(mainWindow, IDC_STOP)));
    ASSERT_TRUE(vlox->WaitDrawn(mainWindow, 60000));
    ASSERT_TRUE(Capture(IDC_CURVE_WND, &curve));
    ASSERT_TRUE(Capture(IDC_NUMBERS_WND, &numbers));
    e2e::WriteFileBytes(e2e::InBinFolder(L"e2e_measure_curve_final.png"), e2e::EncodePng(curve));
    e2e::WriteFileBytes(e2e::InBinFolder(L"e2e_measure_numbers_final.png"), e2e::EncodePng(numbers));
    EXPECT_GT(InkPixels(curve), 200);
    EXPECT_GT(InkPixels(numbers), 300);
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());

    // The values of the finished reading: the last texts of the numbers window's value column
    // (right of the gate numbers, below the headings), one row per gate, top to bottom.
    std::vector<e2e::DrawnText> texts;
    ASSERT_TRUE(vlox->DrawnTexts(mainWindow, 0, &texts));
    std::vector<e2e::DrawnText> values;
    for (const e2e::DrawnText& t : texts) {
        if (t.window == numbersWindow && t.x > 10 && t.y > 10)
            values.push_back(t);
    }
    const size_t gates = 30;
    ASSERT_GE(values.size(), gates);
    NumbersColumnValues.clear();
    for (size_t g = values.size() - gates; g < values.size(); ++g) {
        if (g > values.size() - gates) {
            EXPECT_GT(values[g].y, values[g - 1].y) << "rows out of order";
        }
        NumbersColumnValues.push_back(std::wcstod(values[g].text.c_str(), nullptr));
    }
}

TEST_F(VloxMeasure, StoreReadingWritesTheGateValues)
{
    const std::wstring file = e2e::TodaysFirstDataFile(L"VLX");
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_STORE_READING)));
    ASSERT_TRUE(e2e::WaitUntil([] { return !e2e::IsShown(e2e::Control(mainWindow, IDC_STOP)); }, 60000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
    // The program holds the data file open; it is read once the program has ended.
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(file, &bytes));
    const std::string text(bytes.begin(), bytes.end());
    // Records of 60 bytes; the gate values tagged "V".
    int32_t valueRecords = 0;
    for (size_t at = 0; at + 60 <= text.size(); at += 60)
        valueRecords += text[at] == 'V' ? 1 : 0;
    EXPECT_GT(valueRecords, 0) << text;
    // No box at any time besides the save dialog of the data file.
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
        EXPECT_EQ(e2e::ToUtf8(box.caption), "Create Data File") << e2e::ToUtf8(box.text);
}

namespace {

// Values that decay: every one above zero, and each below the one two gates earlier once past
// the gates that read the converter's full scale (all equal to the first). Noise may lift a
// late gate by a little over its neighbour, never over the one before that.
void ExpectDecaying(const std::vector<double>& v, const char* where)
{
    size_t fullScale = 0;
    while (fullScale < v.size() && v[fullScale] == v[0])
        ++fullScale;
    for (size_t g = 0; g < v.size(); ++g) {
        EXPECT_GT(v[g], 0.0) << where << ", gate " << g + 1;
        if (g >= 2 && g >= fullScale) {
            EXPECT_LT(v[g], v[g - 2]) << where << ", gate " << g + 1;
        }
    }
}

}  // namespace

// With the field's noise floor, every gate reads a decaying value, in the numbers window and
// in the stored V records: stacking over the noise recovers what one sample cannot resolve.
// Where the stacked signal stands far above the noise (gates 17 to 22: 0.3 to 1 ms), the
// stored reading is the closed-form response of the simulated half-space, within 2 %. The
// scans fall anywhere within a scan period after the sync edges in a live run, so the truth is
// averaged over that lateness.
TEST_F(VloxMeasure, StoredGateValuesFollowTheHalfSpace)
{
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(e2e::TodaysFirstDataFile(L"VLX"), &bytes));
    std::vector<double> stored = LastStoredGateValues(std::string(bytes.begin(), bytes.end()));
    const SettingsValues defaults{};
    const int32_t gates = GateCountForSet(defaults.GateSet, defaults.UserGateCount);
    ASSERT_EQ(static_cast<int32_t>(stored.size()), gates);
    ExpectDecaying(stored, "V records");
    ASSERT_EQ(static_cast<int32_t>(NumbersColumnValues.size()), gates);
    ExpectDecaying(NumbersColumnValues, "numbers window");

    Settings = defaults;
    GateCount = gates;
    ASSERT_EQ(BuildGateTables(), 1);
    std::vector<double> nvPerM2(static_cast<size_t>(gates));
    UnitConversionContext review;
    ASSERT_EQ(ConvertGateValues(review, 1, 0, defaults.CoilType, gates, defaults.GainZ,
                                defaults.TxCurrent * defaults.TxTurns, stored.data(), nvPerM2.data()),
              1);
    // The numbers window shows the stored reading, to its last digit ("%8.0f" from 100, "%8.1f"
    // from 10, else "%8.2f").
    for (int32_t g = 0; g < gates; ++g) {
        const double v = std::fabs(nvPerM2[g]);
        const double digit = v >= 100.0 ? 1.0 : (v >= 10.0 ? 0.1 : 0.01);
        EXPECT_NEAR(NumbersColumnValues[g], nvPerM2[g], 0.5 * digit + 1e-6 * v) << "gate " << g + 1;
    }

    TruthGround ground;
    ground.ResistivityOhmM = GroundResistivityOhmM;
    ground.LoopRadiusM = std::sqrt(SimLoopAreaM2 / Pi);
    ground.AmpereTurns = defaults.TxCurrent * defaults.TxTurns;
    TruthWaveform waveform;
    waveform.RepetitionRate = RepRateValue(defaults.PowerLineFrequency, defaults.RepRateIndex);
    const double delay = ComputeTotalTurnOffDelay(defaults);
    const double scanUs = 1e6 / 480000.0;
    const int32_t r = defaults.RepRateIndex;
    for (int32_t g = 16; g < 22; ++g) {
        const double truth = ReceiverGateTruth(ground, waveform, GateEdges[r][g] + delay, GateEdges[r][g + 1] + delay,
                                               GateCentres[r][g] * 1000.0 + delay, delay, scanUs, scanUs) *
                             1e9;
        std::printf("gate %d: %.4g nV/m2, truth %.4g (%+.2f %%)\n", g + 1, nvPerM2[g], truth,
                    100.0 * (nvPerM2[g] / truth - 1.0));
        EXPECT_NEAR(nvPerM2[g] / truth, 1.0, 0.02)
            << "gate " << g + 1 << ": " << nvPerM2[g] << " nV/m2, truth " << truth;
    }
}
