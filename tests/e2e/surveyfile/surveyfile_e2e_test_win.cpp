// The survey file across review and close, driven from outside on the simulated board as a
// field operator moves between recording, reviewing and closing: a closed file stays closed
// through a review (nothing is appended to it, and a new file is asked for), a review that
// does not start leaves the recording file open (every way out), Edit Selected Parameters in
// the profile view edits the reading shown and Cancel changes nothing on the screen, a survey
// on a read-only card is reviewed and refuses changes with a message, a station index that
// cannot be written is told once, and File > Export converts the survey that is open. Files
// are read back with the program's own review reader. One V-LOX run serves the suite; the
// tests run in the order written.
#include "converters/conversion.h"
#include "converters/converter_settings.h"
#include "converters/writers.h"
#include "resources/converter_ids.h"
#include "resources/review_ids.h"
#include "tests/converters/memory_host.h"
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"
#include "tests/e2e/walk/walk_model.h"
#include "vlox/datafile/store.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const wchar_t RunFolder[] = L"C:\\vloxsurvey\\run";
const wchar_t DataFolder[] = L"C:\\vloxsurvey\\data\\";

std::wstring InData(const wchar_t* name)
{
    return std::wstring(DataFolder) + name;
}

SettingsValues SurveySettings()
{
    SettingsValues s{};
    s.DataDirectory = DataFolder;
    s.ReviewDirectory = DataFolder;
    s.PowerLineFrequency = 1;
    s.AveragingTimeIndex = 0;
    s.SurveyMode = 0;
    s.TwoFrequencyMode = 1;
    s.FirstRepetitionChoice = 2;   // 30 Hz, 20 gates
    s.SecondRepetitionChoice = 9;  // 3 Hz, 30 gates
    s.RecordCountIndex = 0;
    s.RepRateIndex = 2;
    s.GateSet = 0;
    s.GpsInput = 0;
    s.MeterInput = 0;
    return s;
}

std::string StartConfiguration()
{
    auto nulls = std::make_unique<NullTableValues>();
    const int32_t none[RepRateCount] = {};
    return ComposeConfigurationFile(SurveySettings(), *nulls, none, NullTimeStamp{});
}

// Two stations of one line, each with a 30 Hz/20-gate reading (1) and a 3 Hz/30-gate reading
// (2); the first station also with a reading of 40 user-defined gates (3), which "Average"
// leaves out with a message. Written by the program's own writers.
std::string ProfileSurvey()
{
    MemoryFile f;
    const LocalClock clock = [] { return LocalTime{2026, 12, 9, 10, 0, 0, 0}; };
    BeginDataFile(f, HeaderFieldsFromSettings(SurveySettings(), "profiles"), clock());
    ReadingRecordResult rows[2];
    for (int g = 0; g < 101; ++g)
        rows[1].GateRow[g] = 1e-3 / (g + 1);
    for (double station : {0.0, 5.0}) {
        for (const int rate : {2, 4}) {
            ReadingParameters p = ReadingParametersFromSettings(SurveySettings(), station, 1);
            p.RepRateIndex = rate;
            p.GateSet = rate == 2 ? 0 : 1;
            StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, clock);
        }
        if (station == 0.0) {
            ReadingParameters p = ReadingParametersFromSettings(SurveySettings(), station, 1);
            p.GateSet = 2;
            p.UserGateCount = 40;
            StoreReadingTo(&f, nullptr, p, ReceiverGateCount(p), rows, MeterValues{}, clock);
        }
    }
    return f.Bytes;
}

std::string Bytes(const std::wstring& path)
{
    std::vector<uint8_t> raw;
    if (!e2e::ReadFileBytes(path, &raw))
        return "(cannot read " + e2e::ToUtf8(path) + ")";
    return std::string(raw.begin(), raw.end());
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    return e2e::WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

// The readings of a survey as the review reader finds them, in file order.
std::vector<walk::Reading> Readings(const std::wstring& path)
{
    std::vector<walk::Line> lines;
    const std::string why = walk::ReadBack(Bytes(path), lines);
    EXPECT_EQ(why, "") << e2e::ToUtf8(path);
    std::vector<walk::Reading> all;
    for (const walk::Place& p : walk::FileOrder(lines))
        all.push_back(lines[p.Line].Stations[p.Station].Readings[p.Reading]);
    return all;
}

bool Checked(HWND button)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, e2e::ReadTimeoutMs, &result) != 0 &&
           result == BST_CHECKED;
}

class SurveyFile : public e2e::VloxSuite<SurveyFile> {
protected:
    static void SetUpTestSuite()
    {
        SetEnvironmentVariableW(L"QZSIM_OPTIONS", L"SpeedUp=4");
        if (!e2e::MakeEmptyFolder(DataFolder)) {
            startError = "cannot empty the data folder";
            return;
        }
        vlox = new e2e::Program;
        mainWindow =
            e2e::StartVloxPastSplash(*vlox, RunFolder, &startError, StartConfiguration(), {L"ConvertVLXtoTXT.exe"});
    }

    static HWND Ctl(int id) { return e2e::Control(mainWindow, id); }
    static bool Usable(int id) { return Shown(id) && e2e::IsEnabled(Ctl(id)); }

    static void Idle() { ASSERT_TRUE(vlox->WaitIdle(60000)) << OpenBoxes(); }

    static std::string OpenBoxes()
    {
        std::string text;
        for (HWND box : vlox->OpenMessageBoxes()) {
            e2e::MessageBoxInfo info;
            if (e2e::ReadMessageBox(box, &info))
                text += e2e::ToUtf8(info.caption) + ": " + e2e::ToUtf8(info.text) + "\n";
        }
        return text;
    }

    static void Press(int id)
    {
        ASSERT_TRUE(Usable(id)) << id << " is not offered";
        ASSERT_TRUE(e2e::ClickButton(Ctl(id)));
        Idle();
    }

    static void Store() { ASSERT_EQ(e2e::MeasureAndStore(*vlox, mainWindow, 30000), ""); }

    static void Monitor()
    {
        Press(IDC_MONITOR);
        ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_PAUSE); }, 15000));
    }

    // Create File under the default name; the path of the new file.
    static std::wstring Create()
    {
        const std::set<std::wstring> before = Surveys();
        EXPECT_EQ(e2e::CreateDataFileUnderDefaultName(*vlox, mainWindow), "");
        for (const std::wstring& f : Surveys())
            if (before.count(f) == 0)
                return f;
        ADD_FAILURE() << "no new survey file";
        return std::wstring();
    }

    static std::set<std::wstring> Surveys()
    {
        std::set<std::wstring> found;
        WIN32_FIND_DATAW entry;
        HANDLE search = FindFirstFileW(InData(L"*.VLX").c_str(), &entry);
        if (search == INVALID_HANDLE_VALUE)
            return found;
        do
            found.insert(InData(entry.cFileName));
        while (FindNextFileW(search, &entry));
        FindClose(search);
        return found;
    }

    // Waits for a box of the caption, reads it, presses button and waits until it is gone.
    static e2e::MessageBoxInfo Answer(const wchar_t* caption, int button)
    {
        e2e::MessageBoxInfo info;
        HWND box = vlox->WaitMessageBox(caption, 10000);
        EXPECT_NE(box, nullptr) << "no box \"" << e2e::ToUtf8(caption) << "\"; open: " << OpenBoxes();
        if (box == nullptr)
            return info;
        e2e::ReadMessageBox(box, &info);
        EXPECT_TRUE(e2e::PressButton(box, button));
        EXPECT_TRUE(e2e::WaitUntil([box] { return !IsWindow(box) || !e2e::IsShown(box); }, 10000));
        return info;
    }

    // The open dialog: a file typed (empty: Cancel).
    static void Open(const std::wstring& path)
    {
        HWND dialog = vlox->WaitMessageBox(L"Open Data File", 15000);
        ASSERT_NE(dialog, nullptr) << "no open dialog; open: " << OpenBoxes();
        if (path.empty()) {
            ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
        } else {
            ASSERT_TRUE(e2e::SetText(e2e::FileNameField(dialog), path));
            ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
        }
        ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    }

    // Start Review ("No" when a file is open) and path in the open dialog: the review screen.
    static void Review(const std::wstring& path)
    {
        const bool fileOpen = Shown(IDC_CLOSE_DATA_FILE);
        ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
        if (fileOpen)
            Answer(L"REVIEW", IDNO);
        Open(path);
        ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 15000)) << "no review; " << OpenBoxes();
        Idle();
    }

    static void ExitReview()
    {
        Press(IDC_EXIT_REVIEW);
        ASSERT_TRUE(e2e::WaitUntil([] { return !Shown(IDC_EXIT_REVIEW); }, 10000));
        Idle();
    }

    // A data file open and monitoring, whatever the tests before left: each test stands alone.
    static void Recording()
    {
        if (Shown(IDC_EXIT_REVIEW))
            ExitReview();
        if (Shown(IDC_CREATE_DATA_FILE))
            openFile = Create();
        if (!Shown(IDC_PAUSE))
            Monitor();
    }

    static HWND Dialog(const wchar_t* caption)
    {
        HWND dialog = vlox->WaitMessageBox(caption, 10000);
        EXPECT_NE(dialog, nullptr) << "no dialog \"" << e2e::ToUtf8(caption) << "\"";
        return dialog;
    }

    // The curve window as the program last drew it (its drawing handed to the display).
    static e2e::RgbImage Curve()
    {
        EXPECT_TRUE(vlox->WaitDrawn(Ctl(IDC_CURVE_WND), 60000)) << OpenBoxes();
        e2e::RgbImage image;
        EXPECT_TRUE(e2e::CaptureWindow(Ctl(IDC_CURVE_WND), &image));
        return image;
    }

    static void Select(int combo, int index)
    {
        ASSERT_TRUE(e2e::SelectComboItem(Ctl(combo), index));
        Idle();
    }

    static inline std::wstring openFile;
};

}  // namespace

// Create, Store, Close, Review, Exit Review, Store: the closed file is not opened again, byte
// for byte as it was closed, and the readings ask for a new file. A review of the open file
// came first, as in the field.
TEST_F(SurveyFile, AClosedFileStaysClosedThroughAReview)
{
    const std::wstring closedFile = Create();
    Monitor();
    Store();
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
    Answer(L"REVIEW", IDYES);
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 15000));
    ExitReview();
    Monitor();
    Store();
    Press(IDC_CLOSE_DATA_FILE);
    ASSERT_TRUE(Shown(IDC_CREATE_DATA_FILE));
    const std::string closed = Bytes(closedFile);
    ASSERT_EQ(Readings(closedFile).size(), 4u);

    // No current file: Start Review goes straight to the open dialog.
    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
    Open(closedFile);
    ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_EXIT_REVIEW); }, 15000)) << OpenBoxes();
    ExitReview();
    EXPECT_TRUE(Shown(IDC_CREATE_DATA_FILE));
    EXPECT_FALSE(Shown(IDC_CLOSE_DATA_FILE));
    Monitor();
    EXPECT_FALSE(Usable(IDC_MEASURE)) << "a reading is offered with no data file";
    EXPECT_EQ(Bytes(closedFile), closed);

    // A new file takes the next reading; the closed one stays as it was.
    openFile = Create();
    ASSERT_NE(openFile, closedFile);
    Store();
    EXPECT_EQ(Readings(openFile).size(), 2u);
    EXPECT_EQ(Bytes(closedFile), closed);
}

// Every way out of a review that did not start leaves the recording file open at its end and
// the live screen as it was: the next Store goes into the same file.
TEST_F(SurveyFile, AReviewThatDoesNotStartLeavesTheFileOpen)
{
    Recording();
    ASSERT_TRUE(WriteBytes(InData(L"empty.VLX"), ProfileSurvey().substr(0, 5 * 60)));
    ASSERT_TRUE(WriteBytes(InData(L"damaged.VLX"), "not a survey\r\n"));
    const std::wstring held = InData(L"held.VLX");
    ASSERT_TRUE(WriteBytes(held, ProfileSurvey()));
    HANDLE holder = CreateFileW(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    struct WayOut {
        const char* what;
        int answer;                         // to the REVIEW box
        const wchar_t* file;                // in the open dialog (nullptr: none, "": Cancel)
        std::vector<const wchar_t*> boxes;  // then shown, each answered with OK
    };
    const WayOut ways[] = {
        {"REVIEW box Cancel", IDCANCEL, nullptr, {}},
        {"the open dialog cancelled", IDNO, L"", {}},
        {"a file another program holds", IDNO, L"held.VLX", {}},
        {"a file without lines", IDNO, L"empty.VLX", {L"WARNING"}},
        {"a damaged file", IDNO, L"damaged.VLX", {L"File Error", L"WARNING"}},
    };
    size_t readings = Readings(openFile).size();
    for (const WayOut& w : ways) {
        SCOPED_TRACE(w.what);
        ASSERT_TRUE(Shown(IDC_PAUSE));
        ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_START_REVIEW));
        Answer(L"REVIEW", w.answer);
        if (w.file != nullptr)
            Open(*w.file ? InData(w.file) : std::wstring());
        for (const wchar_t* caption : w.boxes)
            Answer(caption, IDOK);
        Idle();
        EXPECT_FALSE(Shown(IDC_EXIT_REVIEW));
        EXPECT_TRUE(Shown(IDC_CLOSE_DATA_FILE));
        EXPECT_TRUE(Shown(IDC_PAUSE)) << "monitoring no longer shown";
        EXPECT_TRUE(Usable(IDC_MEASURE)) << "MEASURE not offered";
        if (!Shown(IDC_PAUSE))
            Monitor();
        Store();
        readings += 2;
        EXPECT_EQ(Readings(openFile).size(), readings) << "the reading did not go into the open file";
    }
    CloseHandle(holder);
}

// The example: two stations with a 30 Hz/20 and a 3 Hz/30 reading each, the profile
// view on "3Hz/30", station 0 showing reading 2: "Current Reading" edits reading 2, and the
// profile view stays as it was.
TEST_F(SurveyFile, EditParametersInTheProfileViewEditsTheReadingShown)
{
    ASSERT_TRUE(WriteBytes(InData(L"profiles.VLX"), ProfileSurvey()));
    Review(InData(L"profiles.VLX"));
    Select(IDC_COMBO_REVIEW_VIEW, 1);
    ASSERT_EQ(e2e::ComboItemText(Ctl(IDC_COMBO_REPETITION), 1), L"3Hz/30");
    Select(IDC_COMBO_REPETITION, 1);
    ASSERT_EQ(e2e::ComboItemText(Ctl(IDC_COMBO_RECORD), e2e::ComboSelection(Ctl(IDC_COMBO_RECORD))), L"2");

    ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_EDIT_PARAMETERS));
    HWND dialog = Dialog(L"Edit Selected Parameters");
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(e2e::SetText(e2e::Control(dialog, IDC_EDIT_TX_CURRENT), L"9.5"));
    for (int id : {IDC_EDIT_UPDATE_CURRENT, IDC_EDIT_RANGE_CURRENT}) {
        HWND b = e2e::Control(dialog, id);
        if (!Checked(b)) {
            ASSERT_TRUE(PostMessageW(b, BM_CLICK, 0, 0));
        }
        ASSERT_TRUE(e2e::WaitUntil([b] { return Checked(b); }, 5000));
    }
    ASSERT_TRUE(e2e::PressButton(dialog, IDOK));
    ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
    Idle();
    EXPECT_EQ(e2e::ComboSelection(Ctl(IDC_COMBO_REVIEW_VIEW)), 1);
    EXPECT_EQ(e2e::ComboSelection(Ctl(IDC_COMBO_STATION)), 0);
    EXPECT_EQ(e2e::ComboItemText(Ctl(IDC_COMBO_RECORD), e2e::ComboSelection(Ctl(IDC_COMBO_RECORD))), L"2");
    ExitReview();

    const std::vector<walk::Reading> r = Readings(InData(L"profiles.VLX"));
    ASSERT_EQ(r.size(), 5u);
    const double expected[] = {3.0, 9.5, 3.0, 3.0, 3.0};  // station 0: 1, 2, 3; station 5: 1, 2
    for (size_t i = 0; i < r.size(); ++i)
        EXPECT_EQ(r[i].Current, expected[i]) << "reading " << i + 1 << " of the file";
}

// Edit Parameters, Cancel: the profile plot stays the profile plot, and under "Average" the
// message about user-defined gates, given once when "Average" was chosen, does not come back.
TEST_F(SurveyFile, EditParametersCancelChangesNothing)
{
    const std::wstring path = InData(L"cancel.VLX");
    ASSERT_TRUE(WriteBytes(path, ProfileSurvey()));
    const std::string file = Bytes(path);
    Review(path);
    Select(IDC_COMBO_REVIEW_VIEW, 1);
    auto cancelEdit = [] {
        ASSERT_TRUE(e2e::PostCommand(mainWindow, IDM_EDIT_PARAMETERS));
        HWND dialog = Dialog(L"Edit Selected Parameters");
        ASSERT_NE(dialog, nullptr);
        ASSERT_TRUE(e2e::PressButton(dialog, IDCANCEL));
        ASSERT_TRUE(e2e::WaitUntil([dialog] { return !IsWindow(dialog); }, 10000));
        Idle();
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty()) << OpenBoxes();
    };
    const e2e::RgbImage profile = Curve();
    cancelEdit();
    EXPECT_TRUE(Curve().rgb == profile.rgb) << "the profile plot was drawn over";

    Select(IDC_COMBO_REVIEW_VIEW, 0);
    ASSERT_TRUE(e2e::SelectComboItem(Ctl(IDC_COMBO_PROCESSING), 2));
    const e2e::MessageBoxInfo note = Answer(L"User Define Gates", IDOK);
    EXPECT_NE(note.text.find(L"user defined gates"), std::wstring::npos);
    const e2e::RgbImage average = Curve();
    cancelEdit();
    EXPECT_TRUE(Curve().rgb == average.rgb) << "the averages were drawn again";
    ExitReview();
    EXPECT_EQ(Bytes(path), file);
}

// A survey on a read-only card is reviewed; Manage Records and Edit Parameters are refused
// with a message that says why, and the file is left as it was.
TEST_F(SurveyFile, AReadOnlySurveyIsReviewedAndRefusesChanges)
{
    const std::wstring card = InData(L"card.VLX");
    ASSERT_TRUE(WriteBytes(card, ProfileSurvey()));
    e2e::WriteProtection protection;
    if (!protection.Protect(card))
        GTEST_SKIP() << "this host cannot refuse writes to a file";
    const std::string before = Bytes(card);
    Review(card);
    for (UINT command : {IDM_MANAGE_RECORDS, IDM_EDIT_PARAMETERS}) {
        SCOPED_TRACE(command);
        ASSERT_TRUE(e2e::PostCommand(mainWindow, command));
        const e2e::MessageBoxInfo info = Answer(L"File Error", IDOK);
        EXPECT_NE(info.text.find(L"read-only"), std::wstring::npos) << e2e::ToUtf8(info.text);
        Idle();
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty()) << OpenBoxes();
    }
    ExitReview();
    EXPECT_EQ(Bytes(card), before);
}

// A card that fills up under the station index: the readings are stored, and the operator is
// told once for the file that the station map misses stations.
TEST_F(SurveyFile, AStationIndexThatCannotBeWrittenIsToldOnce)
{
    e2e::WriteProtection full;
    Recording();
    if (!full.Protect(openFile.substr(0, openFile.size() - 3) + L"tmp", true))
        GTEST_SKIP() << "this host cannot refuse writes to an open file";
    size_t readings = Readings(openFile).size();
    for (int store = 0; store < 2; ++store) {
        SCOPED_TRACE(store == 0 ? "first" : "second");
        // Each store leaves the station: every one makes a new station.
        Press(IDC_MEASURE);
        ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_STORE_READING) && !Shown(IDC_STOP); }, 30000));
        ASSERT_TRUE(e2e::WaitUntil([] { return e2e::IsEnabled(Ctl(IDC_STORE_READING)); }, 5000));
        ASSERT_TRUE(e2e::ClickButton(Ctl(IDC_STORE_READING)));
        if (store == 0) {
            const e2e::MessageBoxInfo info = Answer(L"File Error", IDOK);
            EXPECT_NE(info.text.find(L"station index"), std::wstring::npos) << e2e::ToUtf8(info.text);
        }
        ASSERT_TRUE(e2e::WaitUntil([] { return Shown(IDC_MEASURE) && !Shown(IDC_STORE_READING); }, 15000))
            << OpenBoxes();
        Idle();
        EXPECT_TRUE(vlox->OpenMessageBoxes().empty()) << OpenBoxes();
        readings += 2;
        EXPECT_EQ(Readings(openFile).size(), readings);
    }
}

// File > Export while the survey is open: the converter reads it as it stands and converts it
// as the converter's own reader does the same bytes.
TEST_F(SurveyFile, ExportConvertsTheOpenSurvey)
{
    Recording();
    if (Readings(openFile).empty())
        Store();
    const std::string survey = Bytes(openFile);
    HWND dialog = nullptr;
    e2e::Program converter;
    const std::string exported = e2e::ExportToTxt(mainWindow, converter, &dialog);
    ASSERT_TRUE(exported.empty()) << exported;
    const std::wstring output = std::wstring(DataFolder) + L"export.txt";
    const struct {
        int button;
        const wchar_t* picker;
        std::wstring path;
    } picks[] = {{IDC_CONV_INPUT_FILE, L"Open V-LOX Data File", openFile},
                 {IDC_CONV_OUTPUT_FILE, L"Specify ASCII TXT Data File", output}};
    for (const auto& pick : picks) {
        ASSERT_TRUE(e2e::ClickButton(e2e::Control(dialog, pick.button)));
        HWND picker = converter.WaitMessageBox(pick.picker, 15000);
        ASSERT_NE(picker, nullptr) << e2e::ToUtf8(pick.picker);
        ASSERT_TRUE(e2e::SetText(e2e::FileNameField(picker), pick.path));
        ASSERT_TRUE(e2e::PressButton(picker, IDOK));
        ASSERT_TRUE(e2e::WaitUntil([picker] { return !IsWindow(picker); }, 10000));
        ASSERT_TRUE(converter.WaitIdle(60000));
    }
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(dialog, IDC_CONV_CONVERT)));
    EXPECT_TRUE(e2e::WaitUntil(
        [&] {
            return e2e::TextOf(e2e::Control(dialog, IDC_CONV_STATUS)) ==
                   L"Select next file or click on the Exit button";
        },
        20000));
    // Its dialog and the two pickers, no message.
    for (const e2e::MessageBoxInfo& box : converter.MessageBoxesSeen())
        if (box.window != dialog && box.caption != picks[0].picker && box.caption != picks[1].picker)
            ADD_FAILURE() << "the converter showed \"" << e2e::ToUtf8(box.caption) << "\": " << e2e::ToUtf8(box.text);
    ASSERT_TRUE(e2e::ClickButton(e2e::Control(dialog, IDC_CONV_EXIT)));
    DWORD code = 255;
    ASSERT_TRUE(converter.WaitExit(15000, &code));
    ASSERT_TRUE(e2e::WaitUntil([] { return e2e::IsEnabled(mainWindow); }, 10000));

    converters::ConverterState state;
    state.ConverterMode = converters::ModeTxt;
    converters::DefaultConverterSettings(state.Settings, converters::ModeTxt);
    state.InputPath = e2e::ToUtf8(openFile);
    state.OutputPath = e2e::ToUtf8(output);
    MemoryHost host;
    host.Input = survey;
    converters::RunConverterWriter(state, host);
    EXPECT_FALSE(host.Output.empty());
    EXPECT_EQ(Bytes(output), host.Output);
}

// Only the boxes the operator's steps bring; never a refused store.
TEST_F(SurveyFile, NoOtherBox)
{
    for (const e2e::MessageBoxInfo& box : vlox->MessageBoxesSeen()) {
        const std::string caption = e2e::ToUtf8(box.caption);
        EXPECT_TRUE(caption == "Create Data File" || caption == "REVIEW" || caption == "Open Data File" ||
                    caption == "WARNING" || caption == "File Error" || caption == "Edit Selected Parameters" ||
                    caption == "User Define Gates")
            << caption << ": " << e2e::ToUtf8(box.text);
        EXPECT_EQ(e2e::ToUtf8(box.text).find("No data file is open"), std::string::npos);
    }
    DWORD code = 255;
    ASSERT_EQ(e2e::ExitVlox(*vlox, mainWindow, &code), "");
    EXPECT_EQ(code, 0u);
}
