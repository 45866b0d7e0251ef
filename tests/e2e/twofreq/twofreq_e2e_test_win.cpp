// Two-frequency readings on the simulated board, driven from outside as an operator would:
// a configuration with the two-frequency measurement on (7.5 Hz with 20 gates at gain 6 first,
// 30 Hz with 30 gates at gain 5 second, two records per reading, the shortest averaging
// time; the second rate left active), Create File, Monitor, Measure, the reading's end, Store, then a second Measure and
// Store at the next station, Exit. The data file then holds, for every record of each
// reading, the first rate's reading and then the second rate's, each with its own rate, gate
// set, gate count and gain in its receiver record and gate values that decay as the simulated
// half-space does at that gain. The second reading's first-rate values match the first
// reading's: Store has put the board back on the first rate. One program run serves the
// suite; the tests run in the order written.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/sim_half_space.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using e2e::Column;
using e2e::JoinedTags;
using e2e::Number;
using e2e::RecordLength;
using e2e::RecordTags;

const wchar_t RunFolder[] = L"C:\\vloxtwofreq";
const wchar_t DataFolder[] = L"C:\\Vlox_Data";
const char SimOptions[] = "SpeedUp=1;NoiseVolts=0;HumVolts=0";

// The two rates: choice 3 is rate index 3 (7.5 Hz at 60 Hz mains) with 20 gates, choice 7 rate
// index 2 (30 Hz) with 30 gates. Gains differ so that each record shows whose it is, and both
// are 4 or more, so that every switch writes its gain through code 3.
const int FirstChoice = 3, SecondChoice = 7;
const int FirstGain = 6, SecondGain = 5;
const int RecordsPerReading = 2;

struct RateShape {
    int RateIndex;
    int GateSet;
    int Gates;
    int Gain;
};
const RateShape FirstRate{3, 0, 20, FirstGain};
const RateShape SecondRate{2, 1, 30, SecondGain};

// A two-frequency configuration whose measurement settings are those of the second choice, as
// a save while the second rate was active once left it: a reading still starts at the first.
// 60 Hz mains, 0.5 s per half, no GPS and no meter.
std::string StartConfiguration()
{
    SettingsValues s{};
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    s.SurveyMode = 0;
    s.TwoFrequencyMode = 1;
    s.FirstRepetitionChoice = FirstChoice;
    s.SecondRepetitionChoice = SecondChoice;
    s.FirstRepetitionGain = FirstGain;
    s.SecondRepetitionGain = SecondGain;
    s.RecordCountIndex = RecordsPerReading - 1;
    s.RepRateIndex = SecondRate.RateIndex;
    s.GateSet = SecondRate.GateSet;
    s.SelectedComponent = 0;
    s.GainZ = SecondGain;
    s.TimeAxisLabels = 0;
    s.GpsInput = 0;
    s.MeterInput = 0;
    NullTableValues nulls{};
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, none, NullTimeStamp{});
}

// The data files in the data folder (the run's prefix is fresh: there is one).
std::vector<std::wstring> DataFiles()
{
    std::vector<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((std::wstring(DataFolder) + L"\\*.VLX").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do
        found.push_back(std::wstring(DataFolder) + L"\\" + entry.cFileName);
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

// The records of one stored reading of one rate: rectangle loop (P1, P2), no meter record.
std::vector<std::string> ReadingTags(int gates)
{
    std::vector<std::string> tags{"W1", "T1", "P1", "P2", "R1", "R2"};
    for (int n = 1; n <= (gates + 3) / 4; ++n)
        tags.push_back(std::string("V") + char('0' + n));
    tags.insert(tags.end(), {"C7", "C8", "Z1"});
    return tags;
}

std::string Joined(const std::vector<double>& values)
{
    std::string out;
    char text[32];
    for (double v : values) {
        std::snprintf(text, sizeof text, "%.4g ", v);
        out += text;
    }
    return out;
}

// One stored reading of one rate, as read back from its records.
struct StoredReading {
    size_t At = 0;         // record number of its W1, from 0
    int Counter = 0;       // W1 reading number
    double Station = 0.0;  // W1 station
    int RateIndex = -1, GateSet = -1, GateCount = -1, GainZ = -1, Records = -1, Mains = -1;
    int TwoFrequency = -1;
    long Tick = 0;              // Z1
    std::vector<double> Gates;  // nV, in gate order
};

// The readings of the file in order: W1 opens one, its R1, R2, V records and Z1 follow.
std::vector<StoredReading> Readings(const std::string& file, const std::vector<std::string>& tags)
{
    std::vector<StoredReading> out;
    auto record = [&](size_t n) { return file.substr(n * RecordLength, RecordLength); };
    for (size_t n = 0; n < tags.size(); ++n) {
        const std::string r = record(n);
        if (tags[n] == "W1") {
            StoredReading w;
            w.At = n;
            w.Counter = Column(r, 3, 6, -1);
            w.Station = Number(r, 8, 21);
            out.push_back(w);
            continue;
        }
        if (out.empty())
            continue;
        StoredReading& w = out.back();
        if (tags[n] == "R1") {
            w.Mains = Column(r, 3, 5, -1);
            w.RateIndex = Column(r, 7, 9, -1);
            w.Records = Column(r, 15, 17, -1);
            w.GainZ = Column(r, 39, 41, -1);
            w.GateSet = Column(r, 43, 45, -1);
            w.GateCount = Column(r, 52, 54, -1);
        } else if (tags[n] == "R2") {
            w.TwoFrequency = Column(r, 3, 5, -1);
        } else if (tags[n].size() == 2 && tags[n][0] == 'V') {
            for (size_t c = 3; c + 13 <= 58; c += 14) {
                const std::string field = r.substr(c - 1, 14);
                if (field.find_first_not_of(' ') != std::string::npos)
                    w.Gates.push_back(std::atof(field.c_str()));
            }
        } else if (tags[n] == "Z1") {
            w.Tick = std::strtol(r.substr(25, 10).c_str(), nullptr, 10);
        }
    }
    return out;
}

// Median over the first n gates that both rows measured (not 0) of |ln(a/b)|: 0 for equal
// rows, about 0.7 for rows a factor of two apart; 100 when the rows share no such gate or
// one of them has the other sign there.
double MedianLogDistance(const std::vector<double>& a, const std::vector<double>& b, size_t n)
{
    std::vector<double> d;
    for (size_t g = 0; g < n && g < a.size() && g < b.size(); ++g) {
        if (a[g] == 0.0 || b[g] == 0.0)
            continue;
        d.push_back(a[g] * b[g] > 0 ? std::fabs(std::log(a[g] / b[g])) : 100.0);
    }
    if (d.empty())
        return 100.0;
    std::sort(d.begin(), d.end());
    return d[d.size() / 2];
}

class VloxTwoFrequency : public e2e::VloxSuite<VloxTwoFrequency> {
protected:
    static void SetUpTestSuite()
    {
        // The simulated board in V-LOX's process reads its options from the environment: here
        // without its noise floor, so that the values are exact, and at its own pace, which a
        // busy machine keeps up with (at four times the pace the rows of one rate differed
        // between records).
        SetEnvironmentVariableA("QZSIM_OPTIONS", SimOptions);
        Begin(RunFolder, StartConfiguration());
    }

    // Measure, the reading-complete screen after both rates of both records, then Store: back
    // to the idle buttons with "Repeat Last Station" offered, and no box on the way.
    static void MeasureAndStore()
    {
        const DWORD start = GetTickCount();
        auto atComplete = [start] {
            std::printf("reading took %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
            // The buttons of the complete reading come one by one: waited for, not sampled.
            EXPECT_TRUE(e2e::WaitUntil([] { return Shown(IDC_CANCEL_READING); }, 60000));
            EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
        };
        ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 120000, atComplete), "");
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
    }
};

}  // namespace

TEST_F(VloxTwoFrequency, CreateFileUnderTheDefaultName)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_EQ(DataFiles().size(), 1u);
}

TEST_F(VloxTwoFrequency, MonitorStarts)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
    // A few buffers of live display first: the numbers window filled over and over.
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, e2e::Control(mainWindow, IDC_NUMBERS_WND)));
    long from = 0;
    ASSERT_TRUE(vlox->DrawnTextCount(mainWindow, &from));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            long now = 0;
            return vlox->DrawnTextCount(mainWindow, &now) && now >= from + 60;
        },
        60000))
        << "no live display";
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxTwoFrequency, FirstReading)
{
    MeasureAndStore();
}

TEST_F(VloxTwoFrequency, SecondReadingAtTheNextStation)
{
    MeasureAndStore();
}

TEST_F(VloxTwoFrequency, ExitLeavesBothRatesOfEveryRecord)
{
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);

    const std::vector<std::wstring> files = DataFiles();
    ASSERT_EQ(files.size(), 1u);
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(files[0], &bytes));
    const std::string file(bytes.begin(), bytes.end());
    ASSERT_EQ(file.size() % RecordLength, 0u) << file;
    for (size_t at = 0; at < file.size(); at += RecordLength)
        ASSERT_EQ(file.substr(at + 58, 2), "\r\n") << "record " << at / RecordLength + 1;
    const std::vector<std::string> tags = RecordTags(file);
    std::printf("records: %s\n", JoinedTags(tags).c_str());

    // Per record of a reading, the first rate's 20 gates (V1-V5), then the second rate's 30
    // (V1-V8); the second reading after its own station.
    const std::vector<std::string> first = ReadingTags(FirstRate.Gates);
    const std::vector<std::string> second = ReadingTags(SecondRate.Gates);
    std::vector<std::string> expected{"H1", "H2", "H3", "C1", "C2", "L1", "C3", "C4", "S1", "C5", "C6"};
    for (int reading = 0; reading < 2; ++reading) {
        if (reading == 1)
            expected.insert(expected.end(), {"S1", "C5", "C6"});
        for (int r = 0; r < RecordsPerReading; ++r) {
            expected.insert(expected.end(), first.begin(), first.end());
            expected.insert(expected.end(), second.begin(), second.end());
        }
    }
    ASSERT_EQ(JoinedTags(tags), JoinedTags(expected));

    const std::vector<StoredReading> stored = Readings(file, tags);
    ASSERT_EQ(stored.size(), size_t(2 * 2 * RecordsPerReading));
    for (size_t n = 0; n < stored.size(); ++n) {
        const StoredReading& w = stored[n];
        const RateShape& rate = n % 2 == 0 ? FirstRate : SecondRate;
        SCOPED_TRACE("stored reading " + std::to_string(n + 1) + ": " + Joined(w.Gates));
        // Its own rate, gate set, gate count and gain; the measurement's record count.
        EXPECT_EQ(w.Mains, 1);
        EXPECT_EQ(w.RateIndex, rate.RateIndex);
        EXPECT_EQ(w.GateSet, rate.GateSet);
        EXPECT_EQ(w.GateCount, rate.Gates);
        EXPECT_EQ(w.GainZ, rate.Gain);
        EXPECT_EQ(w.Records, RecordsPerReading);
        EXPECT_EQ(w.TwoFrequency, 1);
        // Numbered from 1 at each station, one number per rate.
        EXPECT_EQ(w.Counter, int(n % (2 * RecordsPerReading)) + 1);
        // Measured values of one sign, falling from gate to gate. The simulated board runs
        // without noise here, so a late gate whose signal is below one step of the 16-bit
        // +-10 V input (0.305 mV) reads exactly 0; from the first such gate on all later ones
        // do too. Near that step two gates may read the same few steps, so they need only not
        // rise there; nor need early gates beyond the converter's range, which read its limit
        // as the first gate then does.
        const double fewSteps = 4 * 305176.0;
        ASSERT_EQ(w.Gates.size(), size_t(rate.Gates));
        size_t measured = 0;
        while (measured < w.Gates.size() && w.Gates[measured] != 0.0)
            ++measured;
        EXPECT_GE(measured, 8u);
        for (size_t g = 0; g < w.Gates.size(); ++g) {
            if (g < measured) {
                EXPECT_GT(w.Gates[g] * w.Gates[0], 0.0) << "gate " << g + 1;
                if (g > 0 && std::fabs(w.Gates[g - 1]) > fewSteps && w.Gates[g] != w.Gates[0]) {
                    EXPECT_LT(std::fabs(w.Gates[g]), std::fabs(w.Gates[g - 1])) << "gate " << g + 1;
                } else if (g > 0) {
                    EXPECT_LE(std::fabs(w.Gates[g]), std::fabs(w.Gates[g - 1])) << "gate " << g + 1;
                }
            } else {
                EXPECT_EQ(w.Gates[g], 0.0) << "gate " << g + 1;
            }
        }
        if (measured > 0) {
            EXPECT_LT(std::fabs(w.Gates[measured - 1]), std::fabs(w.Gates[0]) / 50);
        }
        // The half-space itself, at the row's best time offset: a gain or stack that is wrong
        // for every row of a rate alike passes the rows' agreement with each other below.
        e2e::SimRow row{1, rate.RateIndex, rate.GateSet, rate.Gain, {}, {}};
        ASSERT_TRUE(ParseSimOptions(SimOptions, row.Sim));
        for (double nv : w.Gates)
            row.Volts.push_back(nv * 1e-9);
        const TruthRowFit fit = e2e::SimRowAgainstHalfSpace(row);
        std::printf("stored reading %zu against the half-space, %s\n", n + 1, e2e::DescribeFit(fit).c_str());
        EXPECT_GE(fit.Compared, 5);
        EXPECT_GT(fit.Lowest, 1.0 - e2e::HalfSpaceTolerance);
        EXPECT_LT(fit.Highest, 1.0 + e2e::HalfSpaceTolerance);
    }

    // The readings of a pair were taken one after the other, first rate first, and the pairs
    // in order: the record ticks rise through the file.
    for (size_t n = 1; n < stored.size(); ++n)
        EXPECT_GT(stored[n].Tick - stored[n - 1].Tick, 0) << "stored reading " << n + 1;

    // Stations: the second reading one increment (5 m in a fresh configuration) further on.
    const size_t perReading = 2 * RecordsPerReading;
    for (size_t n = 0; n < stored.size(); ++n)
        EXPECT_EQ(stored[n].Station, stored[n < perReading ? 0 : perReading].Station);
    EXPECT_DOUBLE_EQ(stored[perReading].Station - stored[0].Station, 5.0);

    // The two rates gave different decays (another gate set, another gain).
    EXPECT_GT(MedianLogDistance(stored[0].Gates, stored[1].Gates, FirstRate.Gates), 0.3);

    // After Store the board measured the first rate again: the second reading's first
    // first-rate row is the first reading's, not the second rate's first 20 gates, which a
    // board left on the second rate would have given.
    const double same = MedianLogDistance(stored[perReading].Gates, stored[0].Gates, FirstRate.Gates);
    const double other = MedianLogDistance(stored[perReading].Gates, stored[1].Gates, FirstRate.Gates);
    std::printf("second reading against first rate %.3f, against second rate %.3f\n", same, other);
    EXPECT_LT(same, 0.1);
    EXPECT_GT(other, 0.3);
    // Every row is the first of its rate: each switch restarts the board, and both gains go out
    // in two steps, so a row stacked partly before the final gain would stand out.
    for (size_t n = 2; n < stored.size(); ++n) {
        const double d = MedianLogDistance(stored[n].Gates, stored[n % 2].Gates, stored[n % 2].Gates.size());
        std::printf("row %zu against the first of its rate %.3f\n", n + 1, d);
        EXPECT_LT(d, 0.1) << n + 1;
    }
}

TEST_F(VloxTwoFrequency, NoErrorBoxAtAnyTime)
{
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
        EXPECT_EQ(e2e::ToUtf8(box.caption), "Create Data File") << e2e::ToUtf8(box.text);
}
