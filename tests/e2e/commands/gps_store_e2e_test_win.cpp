// Store with GPS input on and its port absent (nothing is linked as COM5 in the run's
// prefix): the start says once that the port cannot be opened; a store then waits for no
// sentence, since none can come. It takes no longer than a store with GPS input disabled
// (set in GPS Port Setup in the same run, so that both run on the same loaded machine) and
// writes the placeholders of the missing sentences; the store without GPS writes none.
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include "resources/view_ids.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxgpsstore";

// GPS input on COM5 with GGA and GSA, the shortest readings.
std::string AbsentGpsConfiguration()
{
    SettingsValues s;
    s.GpsInput = 1;
    s.GpsComPort = 4;
    s.GpsNmeaData = 0;
    s.AveragingTimeIndex = 0;
    s.RecordCountIndex = 0;
    static NullTableValues nulls;
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(s, nulls, none, NullTimeStamp{});
}

std::string DataFile(int counter)
{
    std::wstring path = e2e::TodaysFirstDataFile(L"VLX");
    path.replace(path.size() - 5, 1, 1, static_cast<wchar_t>(L'0' + counter));
    std::vector<uint8_t> bytes;
    e2e::ReadFileBytes(path, &bytes);
    return std::string(bytes.begin(), bytes.end());
}

class AbsentGpsPort : public e2e::VloxSuite<AbsentGpsPort> {
protected:
    static void SetUpTestSuite()
    {
        SetEnvironmentVariableW(L"QZSIM_OPTIONS", L"SpeedUp=4");
        Begin(RunFolder, AbsentGpsConfiguration());
    }

    // A data file, one reading measured and stored; the time from the reading's end to the
    // idle buttons after Store, in ms.
    static DWORD TimedStore()
    {
        DWORD start = 0;
        EXPECT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
        EXPECT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 30000, [&start] { start = GetTickCount(); }), "");
        return GetTickCount() - start;
    }

    static void CloseDataFile()
    {
        ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_CLOSE_DATA_FILE)));
        ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_CREATE_DATA_FILE); }, 10000));
        ASSERT_TRUE(vlox->WaitIdle(60000));
    }

    static inline DWORD storeWithAbsentPort = 0;
};

}  // namespace

TEST_F(AbsentGpsPort, TheStartSaysOnceThatThePortCannotBeOpened)
{
    HWND box = vlox->WaitMessageBox(L"Serial Port", 10000);
    ASSERT_NE(box, nullptr);
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(info.text, L"Cannot open COM5 for GPS");
    ASSERT_TRUE(e2e::PressButton(box, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([box] { return !IsWindow(box); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(mainWindow, IDC_MONITOR)));
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 10000)) << "Monitor did not start";
}

TEST_F(AbsentGpsPort, AStoreWritesThePlaceholdersWithoutWaiting)
{
    storeWithAbsentPort = TimedStore();
    CloseDataFile();
    const std::string file = DataFile(0);
    EXPECT_NE(file.find("GGA not avaiable"), std::string::npos);
    EXPECT_NE(file.find("GSA not avaiable"), std::string::npos);
}

TEST_F(AbsentGpsPort, ItTakesNoLongerThanAStoreWithoutGps)
{
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_GPS_PORT_SETUP));
    HWND dialog = vlox->WaitMessageBox(L"GPS Port Setup", 10000);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::SelectComboItem(e2e::Control(dialog, IDC_GPS_INPUT), 0));  // "Disabled"
    ASSERT_TRUE(vlox->WaitIdle(60000));
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    ASSERT_TRUE(vlox->WaitIdle(60000));

    const DWORD storeWithoutGps = TimedStore();
    const std::string file = DataFile(1);
    EXPECT_EQ(file.find("not avaiable"), std::string::npos);
    // The wait it replaced was 5.7 s (5 s for GGA, 0.7 s for GSA); 2.5 s covers any
    // difference a loaded machine makes between two stores of the same run.
    EXPECT_LT(storeWithAbsentPort, storeWithoutGps + 2500)
        << "absent port " << storeWithAbsentPort << " ms, GPS disabled " << storeWithoutGps << " ms";
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen())
        if (box.caption != L"Create Data File" && box.caption != L"Serial Port" && box.caption != L"GPS Port Setup")
            ADD_FAILURE() << e2e::ToUtf8(box.caption) << ": " << e2e::ToUtf8(box.text);
    DWORD code = 99;
    EXPECT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}
