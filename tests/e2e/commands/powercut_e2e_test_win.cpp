// The power cut: V-LOX on the simulated board, a data file created, two readings measured and
// stored, a third measured and Store pressed, then the process killed at once (no clean exit)
// at several moments after the press. Every reading stored before the kill reads back whole,
// record for record, and through the converters' own readers, which convert the file exactly
// as the file cut back to its last complete reading: at most the reading in flight is missing.
#include "converters/conversion.h"
#include "converters/converter_settings.h"
#include "converters/writers.h"
#include "tests/converters/memory_host.h"
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"
#include "vlox/settings/config_file.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxpowercut";
const wchar_t DataFolder[] = L"C:\\Vlox_Data";

// Half-second readings, no GPS and no meter.
std::string QuickConfiguration()
{
    SettingsValues s{};
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    s.GpsInput = 0;
    s.MeterInput = 0;
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, *nulls, none, NullTimeStamp{});
}

std::set<std::wstring> DataFiles()
{
    std::set<std::wstring> found;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((std::wstring(DataFolder) + L"\\*.VLX").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return found;
    do
        found.insert(std::wstring(DataFolder) + L"\\" + entry.cFileName);
    while (FindNextFileW(search, &entry));
    FindClose(search);
    return found;
}

// The LZ5 converter's output of a survey file (a reading line and a data line per reading).
std::string ConvertedLz5(const std::string& survey)
{
    converters::ConverterState state;
    state.ConverterMode = converters::ModeLz5;
    converters::DefaultConverterSettings(state.Settings, converters::ModeLz5);
    state.InputPath = "C:\\in.VLX";
    state.OutputPath = "C:\\out.lz5";
    MemoryHost host;
    host.Input = survey;
    converters::RunConverterWriter(state, host);
    return host.Output;
}

struct Round {
    int KillAfterMs;
};

}  // namespace

class PowerCut : public ::testing::TestWithParam<Round> {};

TEST_P(PowerCut, ReadingsStoredBeforeTheKillReadBackWhole)
{
    const Round round = GetParam();
    const std::set<std::wstring> before = DataFiles();
    e2e::Program vlox;
    std::string error;
    HWND main = e2e::StartVloxPastSplash(vlox, RunFolder, &error, QuickConfiguration());
    ASSERT_NE(main, nullptr) << error;
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(vlox, main), "");
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(main, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([main] { return e2e::IsShown(e2e::Control(main, IDC_PAUSE)); }, 60000));
    for (int i = 0; i < 2; ++i)
        ASSERT_EQ(e2e::MeasureAndStore(vlox, main, 120000), "") << "reading " << i + 1;

    // The third: measured, Store pressed, the process killed.
    auto shown = [main](int id) { return e2e::IsShown(e2e::Control(main, id)); };
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(main, IDC_MEASURE)));
    ASSERT_TRUE(e2e::WaitUntil([&] { return shown(IDC_STORE_READING) && !shown(IDC_STOP); }, 60000));
    ASSERT_TRUE(e2e::WaitUntil([main] { return e2e::IsEnabled(e2e::Control(main, IDC_STORE_READING)); }, 60000));
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(main, IDC_STORE_READING)));
    if (round.KillAfterMs > 0)
        Sleep(static_cast<DWORD>(round.KillAfterMs));
    vlox.Kill();

    std::set<std::wstring> made;
    for (const std::wstring& f : DataFiles())
        if (before.count(f) == 0)
            made.insert(f);
    ASSERT_EQ(made.size(), 1u);
    std::vector<uint8_t> raw;
    ASSERT_TRUE(e2e::ReadFileBytes(*made.begin(), &raw));
    const std::string file(raw.begin(), raw.end());
    ASSERT_EQ(file.size() % e2e::RecordLength, 0u) << "a record was cut";
    const std::vector<std::string> tags = e2e::RecordTags(file);
    size_t readings = 0;
    size_t lastEnd = 0;  // records up to and with the last Z1
    for (size_t i = 0; i < tags.size(); ++i) {
        ASSERT_EQ(file.substr(i * e2e::RecordLength + 58, 2), "\r\n") << "record " << i + 1;
        if (tags[i] == "Z1") {
            ++readings;
            lastEnd = i + 1;
        }
    }
    std::printf("kill %d ms after Store: %zu readings whole, %zu records after the last\n", round.KillAfterMs, readings,
                tags.size() - lastEnd);
    EXPECT_GE(readings, 2u) << e2e::JoinedTags(tags);
    EXPECT_LE(readings, 3u);
    // What follows the last whole reading is the start of the one in flight, nothing else.
    for (size_t i = lastEnd; i < tags.size(); ++i) {
        const std::string& t = tags[i];
        EXPECT_TRUE(t[0] == 'W' || t[0] == 'T' || t[0] == 'P' || t[0] == 'R' || t[0] == 'V' || t[0] == 'U' ||
                    t[0] == 'C' || t[0] == 'S' || t[0] == 'L')
            << "record " << i + 1 << " " << t;
    }
    const std::string whole = file.substr(0, lastEnd * e2e::RecordLength);
    const std::string converted = ConvertedLz5(file);
    EXPECT_FALSE(converted.empty());
    EXPECT_EQ(converted, ConvertedLz5(whole));
}

INSTANTIATE_TEST_SUITE_P(KillMoments, PowerCut,
                         ::testing::Values(Round{0}, Round{2}, Round{10}, Round{30}, Round{100}, Round{400}),
                         [](const ::testing::TestParamInfo<Round>& info) {
                             return "After" + std::to_string(info.param.KillAfterMs) + "ms";
                         });
