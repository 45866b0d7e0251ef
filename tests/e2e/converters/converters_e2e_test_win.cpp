// The four converter programs from outside, as an operator drives them: each started in a
// scratch folder with a prepared settings file, a survey file picked through the real open
// dialog and an output through the real save dialog, Convert, Exit. The output must equal the
// writer's golden output for that survey (tests/converters/golden, made from the same fixture
// surveys written here), and the settings file must hold the choices. Then the XYZ dialog's
// enabling and its refusal of a file of another kind, a damaged survey told in one message with
// its whole readings written, and V-LOX starting a converter from its menu and getting control
// back when it ends. Screenshots of the four dialogs are kept in the
// bin folder (e2e_ConvertVLXto*.png).
#include "resources/converter_ids.h"
#include "resources/resource.h"
#include "tests/converters/vlx_fixture.h"
#include "tests/e2e/harness/e2e_harness_win.h"
#include "tests/e2e/harness/vlox_steps.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#ifndef VLOX_SOURCE_DIR
#error VLOX_SOURCE_DIR must name the source tree
#endif

namespace {

const char NextFileStatus[] = "Select next file or click on the Exit button";
const wchar_t InputPicker[] = L"Open V-LOX Data File";
const wchar_t SurveyName[] = L"20240315_001.VLX";  // the name the golden outputs carry

std::string Narrow(const std::wstring& text)
{
    return e2e::ToUtf8(text);
}

bool WriteBytes(const std::wstring& path, const std::string& bytes)
{
    return e2e::WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

std::string ReadBytes(const std::wstring& path)
{
    std::vector<uint8_t> bytes;
    if (!e2e::ReadFileBytes(path, &bytes))
        return "(cannot read " + Narrow(path) + ")";
    return std::string(bytes.begin(), bytes.end());
}

std::string Golden(const char* name)
{
    return ReadBytes(e2e::FromUtf8(std::string("Z:") + VLOX_SOURCE_DIR + "/tests/converters/golden/" + name));
}

// The first line where an output differs from its golden file.
std::string FirstDifference(const std::string& golden, const std::string& output)
{
    std::istringstream g(golden), o(output);
    std::string lg, lo;
    for (int line = 1;; ++line) {
        const bool hg = static_cast<bool>(std::getline(g, lg)), ho = static_cast<bool>(std::getline(o, lo));
        if (!hg && !ho)
            return "same lines";
        if (hg != ho || lg != lo)
            return "line " + std::to_string(line) + "\n  golden: " + (hg ? lg : "(end)") +
                   "\n  output: " + (ho ? lo : "(end)");
    }
}

BOOL CALLBACK CollectEdit(HWND window, LPARAM list)
{
    if (lstrcmpiW(e2e::ClassOf(window).c_str(), L"Edit") == 0 && e2e::IsShown(window))
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    return TRUE;
}

// The file-name box of a file picker: its one shown edit control, at any depth.
HWND FileNameBox(HWND picker)
{
    std::vector<HWND> edits;
    EnumChildWindows(picker, CollectEdit, reinterpret_cast<LPARAM>(&edits));
    return edits.size() == 1 ? edits[0] : nullptr;
}

bool SendsChecked(HWND button)
{
    DWORD_PTR state = 0;
    return SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, e2e::ReadTimeoutMs, &state) &&
           state == BST_CHECKED;
}

// What of a dialog does not show whole in its font ("MS Shell Dlg", 8 points, as this process
// gets it from the same Wine): a caption of a label (wrapped at words), radio button or check
// box (after its box, 13 pixels, and a gap of 3) longer than its control, or a control that
// another covers (group boxes frame theirs).
std::vector<std::string> HiddenParts(HWND dialog)
{
    std::vector<std::string> hidden;
    std::vector<std::pair<std::string, RECT>> shown;
    HDC dc = GetDC(nullptr);
    HFONT font = CreateFontW(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"MS Shell Dlg");
    HGDIOBJ old = SelectObject(dc, font);
    for (HWND child : e2e::Children(dialog)) {
        const std::wstring text = e2e::TextOf(child), cls = e2e::ClassOf(child);
        const bool button = lstrcmpiW(cls.c_str(), L"Button") == 0;
        const LONG type = e2e::StyleOf(child) & BS_TYPEMASK;
        const bool box = button && (type == BS_AUTORADIOBUTTON || type == BS_AUTOCHECKBOX);
        const RECT r = e2e::RectInParent(child);
        if (!e2e::IsShown(child) || (button && type == BS_GROUPBOX))
            continue;
        shown.emplace_back(Narrow(text.empty() ? cls : text), r);
        if (text.empty() || (!box && lstrcmpiW(cls.c_str(), L"Static") != 0))
            continue;
        RECT need{0, 0, r.right - r.left - (box ? 16 : 0), 0};
        DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK);
        if (need.right > r.right - r.left - (box ? 16 : 0) || need.bottom > r.bottom - r.top)
            hidden.push_back("\"" + Narrow(text) + "\" needs " + std::to_string(need.right) + " by " +
                             std::to_string(need.bottom) + " in " + std::to_string(r.right - r.left) + " by " +
                             std::to_string(r.bottom - r.top));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    for (size_t i = 0; i < shown.size(); ++i)
        for (size_t j = i + 1; j < shown.size(); ++j) {
            RECT both{};
            if (IntersectRect(&both, &shown[i].second, &shown[j].second))
                hidden.push_back("\"" + shown[i].first + "\" and \"" + shown[j].first + "\" overlap");
        }
    return hidden;
}

// One converter program and its dialog.
class ConverterRun {
public:
    // Empties the folder, writes the settings file (when given) and the survey as
    // 20240315_001.VLX, and starts the program there.
    bool Start(const wchar_t* program, const std::wstring& folder, const wchar_t* settingsName,
               const std::string& settings, const std::string& survey, std::string* error)
    {
        Folder = folder;
        Title = program;
        if (!e2e::MakeEmptyFolder(folder) || (settingsName && !WriteBytes(folder + L"\\" + settingsName, settings)) ||
            !WriteBytes(folder + L"\\" + SurveyName, survey)) {
            *error = "cannot prepare " + Narrow(folder);
            return false;
        }
        std::wstring why;
        if (!Program.Start(e2e::InBinFolder((std::wstring(program) + L".exe").c_str()), folder, &why)) {
            *error = Narrow(why);
            return false;
        }
        Dialog = Program.WaitWindow(L"#32770", nullptr, 60000);
        if (Dialog == nullptr) {
            *error = "no dialog within 20 s";
            return false;
        }
        return Settle();
    }

    HWND Control(int id) const { return e2e::Control(Dialog, id); }
    std::string Text(int id) const { return Narrow(e2e::TextOf(Control(id))); }
    bool Enabled(int id) const { return e2e::IsEnabled(Control(id)); }
    bool Checked(int id) const { return SendsChecked(Control(id)); }

    // A radio button or check box clicked as the mouse would: it checks itself and tells the
    // dialog; returns once the dialog has handled it.
    bool Click(int id)
    {
        HWND button = Control(id);
        const bool before = Checked(id);
        return e2e::IsShown(button) && e2e::IsEnabled(button) && PostMessageW(button, BM_CLICK, 0, 0) &&
               e2e::WaitUntil([&] { return Checked(id) != before; }, 60000) && Settle();
    }
    // Picks a list entry; what the dialog does with it is ordered before later commands.
    bool Select(int id, int index)
    {
        DWORD_PTR at = 0;
        return e2e::SelectComboItem(Control(id), index) &&
               e2e::WaitUntil(
                   [&] {
                       return SendMessageTimeoutW(Control(id), CB_GETCURSEL, 0, 0, SMTO_NORMAL, e2e::ReadTimeoutMs,
                                                  &at) &&
                              static_cast<int>(at) == index;
                   },
                   5000);
    }
    // Returns when the dialog has finished what it was doing: a sent message is taken only
    // once the handler running has returned.
    bool Settle()
    {
        DWORD_PTR ignored = 0;
        return SendMessageTimeoutW(Dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
    }

    // Opens a picker with its button, types path into its file-name box (an empty path keeps
    // what the picker proposes) and confirms. shown gets the name the picker proposed.
    bool Pick(int button, const wchar_t* pickerTitle, const std::wstring& path, std::string* shown = nullptr)
    {
        if (!e2e::ClickButton(Control(button)))
            return false;
        HWND picker = Program.WaitMessageBox(pickerTitle, 15000);
        if (picker == nullptr)
            return false;
        HWND name = nullptr;
        if (!e2e::WaitUntil([&] { return (name = FileNameBox(picker)) != nullptr; }, 60000))
            return false;
        Program.WaitIdle(60000);
        if (shown)
            *shown = Narrow(e2e::TextOf(name));
        if (!path.empty()) {
            e2e::SelectAllText(name);
            e2e::PostText(name, path);
            if (!e2e::WaitUntil([&] { return e2e::TextOf(name) == path; }, 60000))
                return false;
        }
        return e2e::PressButton(picker, IDOK) && e2e::WaitUntil([picker] { return !IsWindow(picker); }, 60000);
    }

    // Waits for a status, then for the end of the command that set it.
    bool WaitStatus(const std::string& status, DWORD timeoutMs = 20000)
    {
        return e2e::WaitUntil([&] { return Text(IDC_CONV_STATUS) == status; }, timeoutMs) && Settle();
    }

    // Convert, then the status that ends every conversion.
    bool Convert() { return e2e::ClickButton(Control(IDC_CONV_CONVERT)) && WaitStatus(NextFileStatus); }

    void Screenshot()
    {
        Program.WaitDrawn(Dialog, 60000);
        e2e::CaptureWindowToPng(Dialog, e2e::InBinFolder((L"e2e_" + Title + L".png").c_str()));
    }

    bool Exit(DWORD* code) { return e2e::ClickButton(Control(IDC_CONV_EXIT)) && Program.WaitExit(15000, code); }

    e2e::Program Program;
    HWND Dialog = nullptr;
    std::wstring Folder;
    std::wstring Title;
};

// A small-layout program's road: units chosen in the list (or the stored index used), an
// output typed or proposed.
struct SmallRoad {
    const wchar_t* Program;
    const wchar_t* Folder;
    std::string (*Survey)();
    const char* Golden;
    const char* PreparedSettings;
    int UnitsToPick;  // -1: keep what the list shows
    const char* UnitsShown;
    const wchar_t* OutputPicker;
    const wchar_t* OutputTyped;  // nullptr: the proposed name
    const char* ProposedName;
    const wchar_t* OutputFile;  // where the output lands (Wine appends the extension in lower case)
    const char* SettingsAfter;
};

const SmallRoad SmallRoads[] = {
    // The picker proposes the input's name with ".txt" in its folder; nV/m2 picked.
    {L"ConvertVLXtoTXT", L"C:\\convtxt", SingleReadingSurvey, "single20.txt", "C:\\\r\n0\r\n2\r\n", 1, "mV",
     L"Specify ASCII TXT Data File", nullptr, "20240315_001.txt", L"C:\\convtxt\\20240315_001.txt",
     "C:\\convtxt\\\r\n1\r\n2\r\n"},
    // The TXT build's sixth unit stored in the shared file: the LZ5 list of five shows and
    // converts with its first unit, and the stored index stays until a conversion reads it.
    {L"ConvertVLXtoLZ5", L"C:\\convlz5", GpsSurvey, "gps30.lz5", "C:\\convlz5\\\r\n5\r\n1\r\n", -1, "mV",
     L"Specify Tarnwel LZ5 Data File", L"C:\\convlz5\\out\\gps30.LZ5", "20240315_001.LZ5",
     L"C:\\convlz5\\out\\gps30.LZ5", "C:\\convlz5\\out\\\r\n0\r\n1\r\n"},
    // A name typed without extension gets the build's.
    {L"ConvertVLXtoUSF", L"C:\\convusf", UserGateSurvey, "user12.usf", "C:\\convusf\\\r\n4\r\n1\r\n", 3, "V/AM2: V/Am2",
     L"Specify USF Data File", L"C:\\convusf\\user12", "20240315_001.USF", L"C:\\convusf\\user12.usf",
     "C:\\convusf\\\r\n4\r\n3\r\n"},
};

TEST(ConverterPrograms, SmallBuildsConvertThroughThePickersAndKeepTheChoices)
{
    for (const SmallRoad& road : SmallRoads) {
        SCOPED_TRACE(Narrow(road.Program));
        ConverterRun run;
        std::string error;
        ASSERT_TRUE(run.Start(road.Program, road.Folder, L"Convert.ini", road.PreparedSettings, road.Survey(), &error))
            << error;
        ASSERT_TRUE(e2e::MakeEmptyFolder(std::wstring(road.Folder) + L"\\out"));
        EXPECT_EQ(run.Text(IDC_CONV_STATUS), "Select Input and Output Data Files");
        EXPECT_EQ(run.Text(IDC_CONV_UNITS), road.UnitsShown);
        EXPECT_FALSE(run.Enabled(IDC_CONV_CONVERT));
        EXPECT_FALSE(e2e::IsShown(run.Control(IDC_CONV_PROGRESS)));

        const std::wstring input = std::wstring(road.Folder) + L"\\" + SurveyName;
        ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, input));
        EXPECT_TRUE(run.WaitStatus("Select Output File"));
        EXPECT_EQ(run.Text(IDC_CONV_INPUT_PATH), Narrow(input));
        std::string proposed;
        ASSERT_TRUE(
            run.Pick(IDC_CONV_OUTPUT_FILE, road.OutputPicker, road.OutputTyped ? road.OutputTyped : L"", &proposed));
        EXPECT_EQ(proposed, road.ProposedName);
        EXPECT_TRUE(run.WaitStatus("Click on the Convert button to proceed"));
        ASSERT_TRUE(run.Enabled(IDC_CONV_CONVERT));
        if (road.UnitsToPick >= 0) {
            ASSERT_TRUE(run.Select(IDC_CONV_UNITS, road.UnitsToPick));
        }
        run.Screenshot();
        for (const std::string& part : HiddenParts(run.Dialog))
            ADD_FAILURE() << part;

        ASSERT_TRUE(run.Convert());
        EXPECT_EQ(run.Text(IDC_CONV_INPUT_PATH), " ");
        EXPECT_EQ(run.Text(IDC_CONV_OUTPUT_PATH), " ");
        EXPECT_TRUE(run.Enabled(IDC_CONV_CONVERT));
        EXPECT_TRUE(e2e::IsShown(run.Control(IDC_CONV_UNITS)));
        EXPECT_FALSE(e2e::IsShown(run.Control(IDC_CONV_PROGRESS)));
        const std::string golden = Golden(road.Golden), output = ReadBytes(road.OutputFile);
        EXPECT_TRUE(output == golden) << road.Golden << ": " << FirstDifference(golden, output);

        DWORD code = 255;
        ASSERT_TRUE(run.Exit(&code));
        EXPECT_EQ(code, 0u);
        EXPECT_EQ(ReadBytes(std::wstring(road.Folder) + L"\\Convert.ini"), road.SettingsAfter);
        // Only the dialog and its two pickers: no message of a writer.
        for (const e2e::MessageBoxInfo& box : run.Program.MessageBoxesSeen()) {
            if (box.window != run.Dialog && box.caption != InputPicker && box.caption != road.OutputPicker)
                ADD_FAILURE() << "box \"" << Narrow(box.caption) << "\": " << Narrow(box.text);
        }
    }
}

// Mended: the status line really is blue (the literal colour handler returned no brush).
TEST(ConverterPrograms, TheStatusLineIsBlue)
{
    ConverterRun run;
    std::string error;
    ASSERT_TRUE(run.Start(L"ConvertVLXtoTXT", L"C:\\convblue", nullptr, "", SingleReadingSurvey(), &error)) << error;
    ASSERT_TRUE(run.Program.WaitDrawn(run.Dialog, 60000));
    e2e::RgbImage shot;
    ASSERT_TRUE(e2e::CaptureWindow(run.Dialog, &shot));
    const RECT status = e2e::ScreenRect(run.Control(IDC_CONV_STATUS));
    const RECT outer = e2e::ScreenRect(run.Dialog);
    int blue = 0;
    for (LONG y = status.top; y < status.bottom; ++y)
        for (LONG x = status.left; x < status.right; ++x) {
            const size_t at = (static_cast<size_t>(y - outer.top) * shot.width + (x - outer.left)) * 3;
            if (at + 2 < shot.rgb.size() && shot.rgb[at] < 80 && shot.rgb[at + 1] < 80 && shot.rgb[at + 2] > 180)
                ++blue;
        }
    EXPECT_GT(blue, 20) << "no blue text in the status line";
    DWORD code = 255;
    ASSERT_TRUE(run.Exit(&code));
}

TEST(ConverterPrograms, XyzDialogChoicesGiveTheGoldenOutput)
{
    ConverterRun run;
    std::string error;
    // The defaults, in the scratch folder.
    const std::string prepared =
        "C:\\convxyz\\\r\n0\r\n0\r\n3\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n4\r\n";
    ASSERT_TRUE(run.Start(L"ConvertVLXtoXYZ", L"C:\\convxyz", L"Convertxyz.ini", prepared, GpsSurvey(), &error))
        << error;
    ASSERT_TRUE(e2e::MakeEmptyFolder(L"C:\\convxyz\\out"));
    EXPECT_TRUE(run.Checked(IDC_CONV_FORMAT_AGS));
    EXPECT_FALSE(run.Enabled(IDC_CONV_OUTPUT_FILE));
    EXPECT_FALSE(run.Enabled(IDC_CONV_INCLUDE_HEADER));
    EXPECT_EQ(run.Text(IDC_CONV_HDOP_MASK), "10.2");

    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convxyz\\20240315_001.VLX"));
    ASSERT_TRUE(run.WaitStatus("Select Output File"));
    EXPECT_EQ(run.Text(IDC_CONV_DATA_TYPE), "30 Hz/30 gates");
    EXPECT_TRUE(run.Enabled(IDC_CONV_DATA_TYPE));
    EXPECT_TRUE(run.Enabled(IDC_CONV_POSITION_GPS));
    ASSERT_TRUE(run.Enabled(IDC_CONV_OUTPUT_FILE));

    // Surfer, comma, GPS positions in UTM metres, DGPS or better, HDOP 4, every column.
    ASSERT_TRUE(run.Click(IDC_CONV_FORMAT_SURFER));
    EXPECT_TRUE(run.Enabled(IDC_CONV_INCLUDE_HEADER));
    EXPECT_FALSE(run.Enabled(IDC_CONV_ELEVATION));
    EXPECT_FALSE(run.Enabled(IDC_CONV_COORDINATE_TYPE));
    ASSERT_TRUE(run.Click(IDC_CONV_DELIMITER_COMMA));
    ASSERT_TRUE(run.Click(IDC_CONV_POSITION_GPS));
    EXPECT_FALSE(run.Checked(IDC_CONV_POSITION_WE));
    for (int id : {IDC_CONV_ELEVATION, IDC_CONV_GPS_QUALITY, IDC_CONV_HDOP, IDC_CONV_SATELLITES,
                   IDC_CONV_COORDINATE_TYPE, IDC_CONV_MIN_GPS_QUALITY, IDC_CONV_HDOP_MASK})
        EXPECT_TRUE(run.Enabled(id)) << id;
    ASSERT_TRUE(run.Select(IDC_CONV_COORDINATE_TYPE, 1));
    ASSERT_TRUE(run.Select(IDC_CONV_MIN_GPS_QUALITY, 1));
    EXPECT_EQ(run.Text(IDC_CONV_MIN_GPS_QUALITY), "DGPS");
    for (int id : {IDC_CONV_ELEVATION, IDC_CONV_GPS_QUALITY, IDC_CONV_HDOP, IDC_CONV_SATELLITES, IDC_CONV_DATE})
        ASSERT_TRUE(run.Click(id)) << id;
    HWND hdop = run.Control(IDC_CONV_HDOP_MASK);
    ASSERT_TRUE(e2e::SelectAllText(hdop));
    ASSERT_TRUE(e2e::PostText(hdop, L"4"));
    ASSERT_TRUE(e2e::WaitUntil([&] { return run.Text(IDC_CONV_HDOP_MASK) == "4"; }, 60000));

    std::string proposed;
    ASSERT_TRUE(run.Pick(IDC_CONV_OUTPUT_FILE, L"Specify XYZ File", L"C:\\convxyz\\out\\gps.xyz", &proposed));
    EXPECT_EQ(proposed, "20240315_001.xyz");
    ASSERT_TRUE(run.WaitStatus("Click on the Convert button to proceed"));
    run.Screenshot();
    // Mended: captions lost their ends in Wine's fonts ("W-E Directio", "Include Heade").
    for (const std::string& part : HiddenParts(run.Dialog))
        ADD_FAILURE() << part;
    ASSERT_TRUE(run.Convert());
    const std::string golden = Golden("gps30_gps_surfer.xyz"), output = ReadBytes(L"C:\\convxyz\\out\\gps.xyz");
    EXPECT_TRUE(output == golden) << FirstDifference(golden, output);

    DWORD code = 255;
    ASSERT_TRUE(run.Exit(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadBytes(L"C:\\convxyz\\Convertxyz.ini"),
              "C:\\convxyz\\out\\\r\n0\r\n2\r\n1\r\n1\r\n7\r\n0\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n1\r\n4\r\n");
}

// GPS positioning is offered only for a file with GGA sentences; a file of another kind is
// refused with "Unknown Format" and (mended) leaves Output and Convert disabled, and (mended)
// a good file after it offers Convert again with the output still chosen; the close box
// (mended) ends the program, and (mended) without saving the settings: only Exit saves.
TEST(ConverterPrograms, XyzOffersGpsOnlyWithGgaAndRefusesAFileOfAnotherKind)
{
    ConverterRun run;
    std::string error;
    const std::string prepared =
        "C:\\\r\n0\r\n2\r\n1\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n0\r\n1\r\n0\r\n0\r\n0\r\n4\r\n";
    ASSERT_TRUE(
        run.Start(L"ConvertVLXtoXYZ", L"C:\\convxyzb", L"Convertxyz.ini", prepared, SingleReadingSurvey(), &error))
        << error;
    ASSERT_TRUE(WriteBytes(L"C:\\convxyzb\\gps30.VLX", GpsSurvey()));
    std::string other = SingleReadingSurvey();
    other.replace(2, 6, "OTHER ");  // the signature of H1
    ASSERT_TRUE(WriteBytes(L"C:\\convxyzb\\other.VLX", other));
    EXPECT_TRUE(run.Checked(IDC_CONV_POSITION_GPS));

    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convxyzb\\20240315_001.VLX"));
    ASSERT_TRUE(run.WaitStatus("Select Output File"));
    EXPECT_EQ(run.Text(IDC_CONV_DATA_TYPE), "30 Hz/20 gates");
    EXPECT_FALSE(run.Enabled(IDC_CONV_POSITION_GPS));
    EXPECT_FALSE(run.Checked(IDC_CONV_POSITION_GPS));
    EXPECT_TRUE(run.Checked(IDC_CONV_POSITION_WE));
    EXPECT_TRUE(run.Checked(IDC_CONV_FORMAT_SURFER));
    EXPECT_FALSE(run.Enabled(IDC_CONV_COORDINATE_TYPE));

    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convxyzb\\gps30.VLX"));
    ASSERT_TRUE(run.WaitStatus("Select Output File"));
    EXPECT_TRUE(run.Enabled(IDC_CONV_POSITION_GPS));
    EXPECT_TRUE(run.Checked(IDC_CONV_POSITION_WE));
    ASSERT_TRUE(run.Pick(IDC_CONV_OUTPUT_FILE, L"Specify XYZ File", L"C:\\convxyzb\\gps30.xyz"));
    ASSERT_TRUE(run.WaitStatus("Click on the Convert button to proceed"));
    EXPECT_TRUE(run.Enabled(IDC_CONV_CONVERT));

    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convxyzb\\other.VLX"));
    HWND box = run.Program.WaitMessageBox(L"Unknown Format", 60000);
    ASSERT_NE(box, nullptr);
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(Narrow(info.text), "It is not correct V-LOX file, click on the OK to proceed");
    ASSERT_TRUE(e2e::PressButton(box, IDOK));
    ASSERT_TRUE(run.WaitStatus(NextFileStatus));
    EXPECT_FALSE(run.Enabled(IDC_CONV_OUTPUT_FILE));
    EXPECT_FALSE(run.Enabled(IDC_CONV_CONVERT));
    EXPECT_FALSE(run.Enabled(IDC_CONV_DATA_TYPE));
    EXPECT_EQ(run.Text(IDC_CONV_INPUT_PATH), " ");

    // The good file again: the output chosen before is still chosen, Convert writes it.
    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convxyzb\\gps30.VLX"));
    ASSERT_TRUE(run.WaitStatus("Select Output File"));
    EXPECT_TRUE(run.Enabled(IDC_CONV_OUTPUT_FILE));
    ASSERT_TRUE(run.Enabled(IDC_CONV_CONVERT));
    EXPECT_EQ(run.Text(IDC_CONV_OUTPUT_PATH), "C:\\convxyzb\\gps30.xyz");
    ASSERT_TRUE(run.Convert());
    EXPECT_EQ(ReadBytes(L"C:\\convxyzb\\gps30.xyz").rfind("//x [m], y [m], Time Gates 0 to 30", 0), 0u);

    ASSERT_TRUE(e2e::PostClose(run.Dialog));
    DWORD code = 255;
    ASSERT_TRUE(run.Program.WaitExit(15000, &code)) << "the close box did not end the program";
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(ReadBytes(L"C:\\convxyzb\\Convertxyz.ini"), prepared) << "the close box saved the settings";
}

// A survey damaged on its way from the field card (a byte lost in reading C's third
// gate-value record) converted to TXT: one message says where the damage is and how many
// readings were written; the readings before and after it are in the output, reading C is not.
TEST(ConverterPrograms, ADamagedSurveyIsToldAndTheWholeReadingsAreWritten)
{
    std::string survey = GpsSurvey();
    const size_t stationC = survey.find("S1" + FixedField(25.0, 14, 3));
    const size_t v3 = survey.find("\r\nV3", stationC) + 2;
    survey.erase(v3 + 20, 1);
    ConverterRun run;
    std::string error;
    ASSERT_TRUE(run.Start(L"ConvertVLXtoTXT", L"C:\\convdamaged", L"Convert.ini", "C:\\\r\n0\r\n0\r\n", survey, &error))
        << error;
    ASSERT_TRUE(run.Pick(IDC_CONV_INPUT_FILE, InputPicker, L"C:\\convdamaged\\20240315_001.VLX"));
    ASSERT_TRUE(run.Pick(IDC_CONV_OUTPUT_FILE, L"Specify ASCII TXT Data File", L"C:\\convdamaged\\out.txt"));
    ASSERT_TRUE(run.WaitStatus("Click on the Convert button to proceed"));
    ASSERT_TRUE(e2e::ClickButton(run.Control(IDC_CONV_CONVERT)));
    HWND box = run.Program.WaitMessageBox(L"Damaged File", 20000);
    ASSERT_NE(box, nullptr) << "no message about the damage";
    e2e::MessageBoxInfo info;
    ASSERT_TRUE(e2e::ReadMessageBox(box, &info));
    EXPECT_EQ(Narrow(info.text), "The file is damaged at line " + std::to_string(v3 / 60 + 1) +
                                     ": its line is 59 bytes long where a record is 60 (58 characters, CR, LF).\n"
                                     "2 readings were written before it, 4 in all; 1 damaged reading was left out.\n"
                                     "The output is incomplete, click on the OK to proceed");
    ASSERT_TRUE(e2e::PressButton(box, IDOK));
    ASSERT_TRUE(run.WaitStatus(NextFileStatus));
    const std::string output = ReadBytes(L"C:\\convdamaged\\out.txt");
    size_t blocks = 0;
    for (size_t at = output.find("Station:"); at != std::string::npos; at = output.find("Station:", at + 1))
        ++blocks;
    EXPECT_EQ(blocks, 4u);
    EXPECT_EQ(output.find("Station:25\r\n"), std::string::npos) << "the damaged reading was written";
    EXPECT_NE(output.find("Station:50\r\n"), std::string::npos) << "the reading after the damage is missing";
    DWORD code = 255;
    ASSERT_TRUE(run.Exit(&code));
    EXPECT_EQ(code, 0u);
}

// V-LOX starts ConvertVLXtoTXT from its menu: the converter lies beside V-LOX.exe in V-LOX's
// start folder, as on the field computer. V-LOX is disabled while it runs and enabled again
// when it ends; the converter keeps its settings in V-LOX's start folder.
TEST(ConverterPrograms, VloxStartsTheTxtConverterAndWaitsForIt)
{
    const std::wstring run = L"C:\\vloxconvert";
    ASSERT_TRUE(e2e::MakeEmptyFolder(run));
    for (const wchar_t* file :
         {L"V-LOX.exe", L"qzdaapi32.dll", L"qzmem32.dll", L"qzsimbrd.dll", L"ConvertVLXtoTXT.exe"}) {
        if (e2e::FileExists(e2e::InBinFolder(file))) {
            ASSERT_TRUE(CopyFileW(e2e::InBinFolder(file).c_str(), (run + L"\\" + file).c_str(), FALSE)) << Narrow(file);
        }
    }
    e2e::Program vlox;
    std::wstring why;
    ASSERT_TRUE(vlox.Start(run + L"\\V-LOX.exe", run, &why)) << Narrow(why);
    HWND main = vlox.WaitWindow(L"VLOX", nullptr, 60000);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(e2e::WaitUntil([main] { return !e2e::IsShown(e2e::Control(main, IDC_SPLASH_WND)); }, 60000));
    ASSERT_TRUE(vlox.WaitIdle(60000));

    HWND dialog = nullptr;
    e2e::Program converter;
    const std::string exported = e2e::ExportToTxt(main, converter, &dialog);
    ASSERT_TRUE(exported.empty()) << exported;
    EXPECT_FALSE(e2e::IsEnabled(main));
    EXPECT_EQ(Narrow(e2e::TextOf(e2e::Control(dialog, IDC_CONV_VERSION))), "Version 1.12");

    ASSERT_TRUE(e2e::ClickButton(e2e::Control(dialog, IDC_CONV_EXIT)));
    DWORD code = 255;
    ASSERT_TRUE(converter.WaitExit(15000, &code));
    EXPECT_TRUE(e2e::WaitUntil([main] { return e2e::IsEnabled(main); }, 60000)) << "V-LOX did not get control back";
    EXPECT_TRUE(e2e::FileExists(run + L"\\Convert.ini"));
    for (const e2e::MessageBoxInfo& box : vlox.MessageBoxesSeen())
        ADD_FAILURE() << "V-LOX showed \"" << Narrow(box.caption) << "\": " << Narrow(box.text);

    ASSERT_TRUE(e2e::PostClose(main));
    EXPECT_TRUE(vlox.WaitExit(20000, &code));
}

}  // namespace
