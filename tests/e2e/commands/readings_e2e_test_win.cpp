// Two stored readings on the simulated board, driven from outside as an operator would: Create
// File under its default name, Monitor (a minute of it, with the program's GDI object count
// watched), Measure, the reading's end, Store, a review of the file and its exit with every
// Logging item given, Monitor, Next Station, Measure and Store again, Exit.
// The data file then holds the header and the two readings in record order, the station
// index file is gone, the exit code is 0 and no box besides the save dialog ever came up.
// One program run serves the suite; the tests run in the order written.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/harness/vlx_records.h"

#include <gtest/gtest.h>

#include <algorithm>
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

const wchar_t RunFolder[] = L"C:\\vloxreadings";
using e2e::TodaysFirstDataFile;

// The records of one stored reading of one record of a measurement, taking its shape, gate
// count and meter from the reading's own P1, R1 and W1 records.
std::vector<std::string> ExpectedReadingTags(const std::string& w1, const std::string& p1, const std::string& r1)
{
    std::vector<std::string> tags{"W1", "T1", "P1", "P2"};
    const int shape = Column(p1, 3, 5, -1);
    if (shape == 2 || shape == 3)
        tags.push_back("P3");
    tags.insert(tags.end(), {"R1", "R2"});
    const int gateSet = Column(r1, 43, 45, -1);
    const int gates = gateSet == 2 ? Column(r1, 52, 54, 0) : 20 + 10 * gateSet;
    const int valueRecords = (gates + 3) / 4;
    for (int n = 1; n <= valueRecords; ++n)
        tags.push_back(std::string("V") + char(n <= 9 ? '0' + n : 55 + n));
    if (Column(w1, 28, 28, 0) == 1 && Column(w1, 29, 29, 0) == 0)
        tags.push_back("U1");
    tags.insert(tags.end(), {"C7", "C8", "Z1"});
    return tags;
}

class VloxReadings : public e2e::VloxSuite<VloxReadings> {
protected:
    static void SetUpTestSuite() { Begin(RunFolder); }

    // Measure, then the reading-complete screen (15 s at the default settings), then Store:
    // back to the idle buttons with "Repeat Last Station" offered.
    static void MeasureAndStore()
    {
        ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 120000), "");
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
    }
};

}  // namespace

TEST_F(VloxReadings, CreateFileUnderTheDefaultName)
{
    ASSERT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
    ASSERT_TRUE(e2e::FileExists(TodaysFirstDataFile(L"VLX")));
    EXPECT_TRUE(e2e::FileExists(TodaysFirstDataFile(L"tmp")));
}

TEST_F(VloxReadings, MonitoringKeepsTheGdiCountFlat)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
    // Counted by what was drawn, not by the clock: each count after the numbers window has
    // been filled again some five times (its 30 values and headings each time).
    ASSERT_TRUE(vlox->RecordTextsOfChild(mainWindow, e2e::Control(mainWindow, IDC_NUMBERS_WND)));
    auto afterRedraws = [] {
        long from = 0, now = 0;
        return vlox->DrawnTextCount(mainWindow, &from) &&
               e2e::WaitUntil([&] { return vlox->DrawnTextCount(mainWindow, &now) && now >= from + 150; }, 120000);
    };
    // The first buffers draw the curve and numbers; objects made once for good come then.
    ASSERT_TRUE(afterRedraws()) << "no live display";
    DWORD first = 0;
    ASSERT_TRUE(vlox->GdiObjects(mainWindow, &first)) << "the GDI object count cannot be had";
    std::vector<DWORD> counts{first};
    // About a minute of monitoring: many live redraws of curve, numbers and panel.
    for (int i = 0; i < 12; ++i) {
        ASSERT_TRUE(afterRedraws());
        DWORD now = 0;
        ASSERT_TRUE(vlox->GdiObjects(mainWindow, &now));
        counts.push_back(now);
    }
    std::string trace;
    for (DWORD c : counts)
        trace += std::to_string(c) + " ";
    std::printf("GDI objects after every few redraws: %s\n", trace.c_str());
    // A count is taken between messages, so nothing of a paint in progress is in it; a few
    // objects of slack for caches that settle late.
    EXPECT_LE(*std::max_element(counts.begin(), counts.end()), first + 4) << trace;
    EXPECT_LE(counts.back(), first + 2) << trace;
    EXPECT_TRUE(vlox->OpenMessageBoxes().empty());
}

TEST_F(VloxReadings, FirstReading)
{
    MeasureAndStore();
}

// Review of the file being recorded, then Exit Review: the Logging items are offered as the
// state has them (Monitor and Enter Comment; no reading is taken or complete, Monitor is not
// running), and the others, given anyway, do nothing: no reading is stored that was never
// measured, and the station stays. Monitor, as offered, starts the next reading's road.
TEST_F(VloxReadings, AfterReviewEveryLoggingItemKeepsToItsState)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
    HWND box = vlox->WaitMessageBox(L"REVIEW", 60000);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(e2e::PressButton(box, IDYES));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 60000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_EXIT_REVIEW)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_MONITOR); }, 60000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    const std::wstring data = TodaysFirstDataFile(L"VLX");
    std::vector<uint8_t> before, after;
    ASSERT_TRUE(e2e::ReadFileBytes(data, &before));
    const UINT offered[] = {IDM_MONITOR, IDM_ENTER_COMMENT};
    for (UINT id = IDM_MONITOR; id <= IDM_ENTER_COMMENT; ++id) {
        UINT state = 0;
        ASSERT_TRUE(vlox->MenuState(mainWindow, id, &state));
        const bool enabled = (state & MF_GRAYED) == 0;
        EXPECT_EQ(enabled, std::count(std::begin(offered), std::end(offered), id) == 1) << id;
        if (enabled)
            continue;
        ASSERT_TRUE(e2e::PostCommand(mainWindow, int(id)));
        ASSERT_TRUE(vlox->WaitIdle(60000));
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty()) << id;
    }
    for (int id : {IDC_STORE_READING, IDC_STOP, IDC_MEASURE})
        ASSERT_TRUE(e2e::PostCommand(mainWindow, id));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::ReadFileBytes(data, &after));
    EXPECT_EQ(after, before) << "the survey file changed";
    EXPECT_FALSE(Shown(IDC_STOP));
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_MONITOR));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 60000)) << "Monitor did not start";
}

TEST_F(VloxReadings, NextStationThenSecondReading)
{
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_NEXT_STATION)));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    MeasureAndStore();
}

TEST_F(VloxReadings, ExitLeavesTwoReadingsInRecordOrder)
{
    const std::wstring data = TodaysFirstDataFile(L"VLX");
    const std::wstring index = TodaysFirstDataFile(L"tmp");
    ASSERT_TRUE(e2e::FileExists(index));
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
    EXPECT_FALSE(e2e::FileExists(index));

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(e2e::ReadFileBytes(data, &bytes));
    const std::string file(bytes.begin(), bytes.end());
    ASSERT_EQ(file.size() % RecordLength, 0u) << file;
    for (size_t at = 0; at < file.size(); at += RecordLength)
        ASSERT_EQ(file.substr(at + 58, 2), "\r\n") << "record " << at / RecordLength + 1;
    const std::vector<std::string> tags = RecordTags(file);
    auto record = [&](size_t n) { return file.substr(n * RecordLength, RecordLength); };
    auto first = [&](const char* tag) { return size_t(std::find(tags.begin(), tags.end(), tag) - tags.begin()); };
    const size_t w1 = first("W1"), p1 = first("P1"), r1 = first("R1");
    ASSERT_LT(r1, tags.size()) << JoinedTags(tags);

    // The header, the file comment, then the first reading after its line and station; the
    // second after its station only. The measurement's record count and (with GPS input on)
    // the GPS sentence groups after each reading come from the file's own header and R1.
    const int records = Column(record(r1), 15, 17, 1);
    const bool gps = file.substr(19, 3) == "GPS";
    const bool gsa = Column(record(2), 45, 46, 0) == 0;
    const std::vector<std::string> reading = ExpectedReadingTags(record(w1), record(p1), record(r1));
    std::vector<std::string> gpsGroups;
    if (gps) {
        // Not checked in detail: a sentence or its placeholder, then its tick.
        gpsGroups = {"?", "!"};
        if (gsa)
            gpsGroups.insert(gpsGroups.end(), {"?", "!"});
    }
    std::vector<std::string> expected{"H1", "H2", "H3", "C1", "C2", "L1", "C3", "C4", "S1", "C5", "C6"};
    for (int r = 0; r < records; ++r)
        expected.insert(expected.end(), reading.begin(), reading.end());
    expected.insert(expected.end(), gpsGroups.begin(), gpsGroups.end());
    expected.insert(expected.end(), {"S1", "C5", "C6"});
    for (int r = 0; r < records; ++r)
        expected.insert(expected.end(), reading.begin(), reading.end());
    expected.insert(expected.end(), gpsGroups.begin(), gpsGroups.end());
    std::printf("records: %s\n", JoinedTags(tags).c_str());
    if (!gps)
        EXPECT_EQ(JoinedTags(tags), JoinedTags(expected));
    else
        EXPECT_EQ(tags.size(), expected.size()) << JoinedTags(tags);

    // Store moved one station on, Next Station another: the second station record is two
    // increments past the first. The readings are numbered from 1 at each station.
    std::vector<size_t> stations, readings;
    for (size_t n = 0; n < tags.size(); ++n) {
        if (tags[n] == "S1")
            stations.push_back(n);
        if (tags[n] == "W1")
            readings.push_back(n);
    }
    ASSERT_EQ(stations.size(), 2u) << JoinedTags(tags);
    ASSERT_EQ(readings.size(), size_t(2 * records)) << JoinedTags(tags);
    const double firstStation = Number(record(stations[0]), 3, 16);
    const double secondStation = Number(record(stations[1]), 3, 16);
    const double firstReadingStation = Number(record(readings[0]), 8, 21);
    const double secondReadingStation = Number(record(readings[records]), 8, 21);
    EXPECT_EQ(firstReadingStation, firstStation);
    EXPECT_EQ(secondReadingStation, secondStation);
    // A fresh configuration steps stations by 5.
    EXPECT_DOUBLE_EQ(secondStation - firstStation, 2 * 5.0);
    EXPECT_EQ(Column(record(readings[0]), 3, 6, 0), 1);
    EXPECT_EQ(Column(record(readings[records]), 3, 6, 0), 1);
    // Gate values were measured, not left blank.
    const size_t v1 = first("V1");
    ASSERT_LT(v1, tags.size());
    EXPECT_NE(record(v1).substr(2, 14), std::string(14, ' '));
}

TEST_F(VloxReadings, NoErrorBoxAtAnyTime)
{
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen()) {
        const std::string caption = e2e::ToUtf8(box.caption);
        EXPECT_TRUE(caption == "Create Data File" || caption == "REVIEW") << caption << ": " << e2e::ToUtf8(box.text);
    }
}
