// The converter dialog's logic over recorded controls and memory files: the XYZ enabling over
// every combination of its choices, the small builds' command flow, the AGS units switch and
// the reading of the dialog, each mended fault by name. The XYZ analysis's list and GPS
// offer are driven end to end (tests/e2e/converters).
#include "converters/converter_dialog.h"
#include "converters/converter_settings.h"
#include "memory_host.h"
#include "resources/converter_ids.h"
#include "vlx_fixture.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>

using namespace converters;

namespace {

struct ControlRecord {
    std::string Text;
    bool Enabled = true;
    bool Shown = true;
    bool Checked = false;
    std::vector<std::string> Items;
    int32_t Selection = -1;
};

// The controls as the layout creates them; every change is kept.
class RecordedControls : public DialogControls {
public:
    explicit RecordedControls(int32_t mode)
    {
        const DialogLayout layout = LayoutOf(mode);
        for (size_t i = 0; i < layout.Count; ++i) {
            const ControlLayout& c = layout.Controls[i];
            Controls[c.Id].Text = c.Caption ? c.Caption : TextsOf(mode).Version;
            Controls[c.Id].Enabled = (c.Flags & CreatedDisabled) == 0;
        }
    }
    void SetText(int32_t id, const std::string& text) override { At(id).Text = text; }
    std::string Text(int32_t id) override { return At(id).Text; }
    void Enable(int32_t id, bool enabled) override { At(id).Enabled = enabled; }
    void Show(int32_t id, bool shown) override { At(id).Shown = shown; }
    void SetChecked(int32_t id, bool checked) override { At(id).Checked = checked; }
    bool Checked(int32_t id) override { return At(id).Checked; }
    void FillList(int32_t id, const std::vector<std::string>& items) override
    {
        At(id).Items = items;
        At(id).Selection = -1;
    }
    void SelectListItem(int32_t id, int32_t index) override
    {
        const int32_t count = static_cast<int32_t>(At(id).Items.size());
        At(id).Selection = index >= 0 && index < count ? index : -1;
    }
    int32_t ListSelection(int32_t id) override { return At(id).Selection; }

    ControlRecord& At(int32_t id)
    {
        auto it = Controls.find(id);
        if (it == Controls.end())
            ADD_FAILURE() << "control " << id << " is not in the layout";
        return Controls[id];
    }
    std::string Selected(int32_t id)
    {
        ControlRecord& c = At(id);
        return c.Selection >= 0 ? c.Items[static_cast<size_t>(c.Selection)] : "";
    }

    std::map<int32_t, ControlRecord> Controls;
};

struct PickRequest {
    bool Output;
    std::string Title;
    std::string InitialFolder;
    std::string ProposedName;
};

// Memory files, and the pickers answering from a queue ("" cancels).
class RecordedHost : public ConverterDialogHost {
public:
    void SetStatusText(const std::string& text) override { Files.SetStatusText(text); }
    void SetProgressRange(int32_t high) override { Files.SetProgressRange(high); }
    void SetProgressPosition(int32_t position) override { Files.SetProgressPosition(position); }
    void ShowMessage(const std::string& text, const std::string& caption) override { Files.ShowMessage(text, caption); }
    std::unique_ptr<InputFile> OpenInput(const std::string& path) override
    {
        Files.Input = Surveys.count(path) ? Surveys[path] : std::string("not a survey file\r\n");
        return Files.OpenInput(path);
    }
    std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override { return Files.CreateOutput(path); }
    bool PickFile(bool output, const PickerTexts& texts, const std::string& initialFolder,
                  const std::string& proposedName, std::string& path) override
    {
        Picks.push_back({output, texts.Title, initialFolder, proposedName});
        if (Answers.empty())
            return false;
        path = Answers.front();
        Answers.pop_front();
        return !path.empty();
    }
    void SaveSettings() override { ++Saves; }

    std::string LastStatus() const { return Files.Statuses.empty() ? "" : Files.Statuses.back(); }

    MemoryHost Files;
    std::map<std::string, std::string> Surveys;
    std::deque<std::string> Answers;
    std::vector<PickRequest> Picks;
    int Saves = 0;
};

struct DialogRun {
    explicit DialogRun(int32_t mode) : Controls(mode)
    {
        State.ConverterMode = mode;
        DefaultConverterSettings(State.Settings, mode);
        Host.Surveys["C:\\data\\single20.VLX"] = SingleReadingSurvey();
        Host.Surveys["C:\\data\\gps30.VLX"] = GpsSurvey();
    }
    void Pick(int32_t button, const std::string& answer)
    {
        Host.Answers.push_back(answer);
        EXPECT_FALSE(Dialog.Command(button, 0));
    }

    ConverterState State;
    RecordedControls Controls;
    RecordedHost Host;
    ConverterDialog Dialog{State, Controls, Host};
};

TEST(XyzEnabling, EveryCombinationOfTheChoices)
{
    for (int32_t positioning = -1; positioning <= 3; ++positioning)
        for (int32_t format = -1; format <= 4; ++format)
            for (int flags = 0; flags < 8; ++flags) {
                XyzChoices c;
                c.Positioning = positioning;
                c.FileFormat = format;
                c.InputAccepted = (flags & 1) != 0;
                c.GpsOffered = (flags & 2) != 0;
                c.ConvertOffered = (flags & 4) != 0;
                // The rows of the dialog's table: column options follow the format, the GPS
                // columns need GPS positioning as well, the GPS parameters GPS positioning only.
                const bool gps = positioning >= 2, ags = format >= 3;
                const std::map<int32_t, bool> expected = {
                    {IDC_CONV_INCLUDE_HEADER, !ags},
                    {IDC_CONV_ELEVATION, gps && !ags},
                    {IDC_CONV_GPS_QUALITY, gps && !ags},
                    {IDC_CONV_HDOP, gps && !ags},
                    {IDC_CONV_SATELLITES, gps && !ags},
                    {IDC_CONV_TIME_STAMP, !ags},
                    {IDC_CONV_DATE, !ags},
                    {IDC_CONV_COORDINATE_TYPE, gps},
                    {IDC_CONV_MIN_GPS_QUALITY, gps},
                    {IDC_CONV_HDOP_MASK, gps},
                    {IDC_CONV_POSITION_GPS, c.GpsOffered},
                    {IDC_CONV_DATA_TYPE, c.InputAccepted},
                    {IDC_CONV_OUTPUT_FILE, c.InputAccepted},
                    {IDC_CONV_CONVERT, c.ConvertOffered},
                };
                std::map<int32_t, bool> got;
                for (const ControlEnabled& e : XyzEnabling(c))
                    got[e.Id] = e.Enabled;
                EXPECT_EQ(got, expected) << "positioning " << positioning << " format " << format << " flags " << flags;
            }
}

TEST(ConverterDialog, SmallBuildPicksConvertAndExit)
{
    DialogRun run(ModeTxt);
    run.State.Settings.OutputUnits = 3;
    run.Dialog.Init();
    EXPECT_EQ(run.Controls.At(IDC_CONV_UNITS).Items.size(), 6u);
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_UNITS), "Cond.: mS/m");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_PROGRESS).Shown);
    EXPECT_FALSE(run.Controls.At(IDC_CONV_CONVERT).Enabled);

    // Output first: no input yet, so no proposed name; the folder follows the pick.
    run.Pick(IDC_CONV_OUTPUT_FILE, "C:\\out\\a.txt");
    EXPECT_EQ(run.Host.Picks.back().ProposedName, "");
    EXPECT_EQ(run.Host.Picks.back().InitialFolder, "C:\\");
    EXPECT_EQ(run.Host.Picks.back().Title, "Specify ASCII TXT Data File");
    EXPECT_EQ(run.Host.LastStatus(), "Select Input File");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\single20.VLX");
    EXPECT_EQ(run.Host.Picks.back().InitialFolder, "C:\\out\\");
    EXPECT_EQ(run.Controls.At(IDC_CONV_INPUT_PATH).Text, "C:\\data\\single20.VLX");
    EXPECT_EQ(run.Host.LastStatus(), "Click on the Convert button to proceed");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    EXPECT_EQ(run.State.Settings.DataFolder, "C:\\data\\");

    // With an input chosen the output picker proposes its name; a cancel keeps everything.
    run.Pick(IDC_CONV_OUTPUT_FILE, "");
    EXPECT_EQ(run.Host.Picks.back().ProposedName, "C:\\data\\single20.txt");
    EXPECT_EQ(run.State.OutputPath, "C:\\out\\a.txt");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);

    run.Controls.At(IDC_CONV_UNITS).Selection = 1;
    const size_t before = run.Host.Files.Statuses.size();
    EXPECT_FALSE(run.Dialog.Command(IDC_CONV_CONVERT, 0));
    EXPECT_EQ(run.Host.Files.Statuses[before], "Processing file:C:\\data\\single20.VLX");
    EXPECT_EQ(run.State.Settings.OutputUnits, 1);
    EXPECT_TRUE(run.Host.Files.OutputCreated);
    EXPECT_EQ(run.Host.LastStatus(), "Select next file or click on the Exit button");
    EXPECT_EQ(run.Controls.At(IDC_CONV_INPUT_PATH).Text, " ");
    EXPECT_EQ(run.Controls.At(IDC_CONV_OUTPUT_PATH).Text, " ");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_UNITS).Shown);
    EXPECT_FALSE(run.Controls.At(IDC_CONV_PROGRESS).Shown);
    EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);

    EXPECT_TRUE(run.Dialog.Command(IDC_CONV_EXIT, 0));
    EXPECT_EQ(run.Host.Saves, 1);
}

// Mended: the close box and Esc (IDCANCEL) end the dialog (the literal dialog ignored both,
// and V-LOX stayed disabled behind it), but without saving the settings: only Exit saves.
TEST(ConverterDialog, CloseBoxAndEscEndTheDialogOnlyExitSaves)
{
    for (int32_t mode : {ModeXyz, ModeTxt}) {
        DialogRun run(mode);
        run.Dialog.Init();
        run.Controls.At(IDC_CONV_UNITS).Selection = 2;
        run.Dialog.Command(IDC_CONV_UNITS, 1);
        if (mode == ModeXyz)
            run.Controls.At(IDC_CONV_HDOP_MASK).Text = "6.5";
        EXPECT_TRUE(run.Dialog.Command(2, 0));
        EXPECT_EQ(run.Host.Saves, 0) << mode;
        EXPECT_EQ(run.State.Settings.HdopMask, 4);
        EXPECT_TRUE(run.Dialog.Command(IDC_CONV_EXIT, 0));
        EXPECT_EQ(run.Host.Saves, 1) << mode;
        if (mode == ModeXyz) {
            EXPECT_EQ(run.State.Settings.HdopMask, 6);
            EXPECT_EQ(run.State.Settings.OutputUnits, 2);
        }
    }
}

// Mended: after an input the analysis refused, a good input left Convert disabled although
// the output was still chosen; it brings back what the output choice had given.
TEST(ConverterDialog, AGoodInputAfterARefusedOneOffersConvertAgain)
{
    DialogRun run(ModeXyz);
    run.Dialog.Init();
    std::string foreign = SingleReadingSurvey();
    foreign.replace(2, 6, "OTHER ");
    run.Host.Surveys["C:\\data\\other.VLX"] = foreign;
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\single20.VLX");
    run.Pick(IDC_CONV_OUTPUT_FILE, "C:\\data\\single20.xyz");
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\other.VLX");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\gps30.VLX");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    EXPECT_TRUE(run.Controls.At(IDC_CONV_OUTPUT_FILE).Enabled);
    EXPECT_EQ(run.Controls.At(IDC_CONV_OUTPUT_PATH).Text, "C:\\data\\single20.xyz");
    EXPECT_EQ(run.Dialog.InputChosen, 1);
    run.Host.Files.OutputCreated = false;
    run.Dialog.Command(IDC_CONV_CONVERT, 0);
    EXPECT_TRUE(run.Host.Files.OutputCreated);
    EXPECT_EQ(run.Host.Files.Messages.size(), 1u) << "only the refusal's";
}

// Mended: an HDOP mask that is no number read as 0 (every GPS row filtered out). With GPS
// positioning, Convert refuses it, naming the field, and writes nothing; a number (blanks
// around it allowed) is taken rounded. Without GPS positioning the mask is not used: nothing
// is refused, and the setting keeps its value.
TEST(ConverterDialog, AnHdopMaskThatIsNoNumberIsRefusedAtConvert)
{
    const struct {
        const char* Text;
        int32_t Mask;  // -1: refused
    } masks[] = {{"abc", -1},   {"", -1},    {"  ", -1}, {"4x", -1},   {"nan", -1}, {"inf", -1},
                 {"1e999", -1}, {"4 4", -1}, {" 4 ", 4}, {"10.2", 10}, {"2.5", 2},  {"1e1", 10}};
    for (const auto& m : masks) {
        for (int32_t positioning : {2, 0}) {
            SCOPED_TRACE(std::string("\"") + m.Text + "\", positioning " + std::to_string(positioning));
            DialogRun run(ModeXyz);
            run.State.Settings.XyzPositioning = positioning;
            run.State.Settings.HdopMask = 7;
            run.Dialog.Init();
            run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\gps30.VLX");
            run.Pick(IDC_CONV_OUTPUT_FILE, "C:\\data\\gps30.xyz");
            run.Controls.At(IDC_CONV_HDOP_MASK).Text = m.Text;
            run.Dialog.Command(IDC_CONV_CONVERT, 0);
            const bool refused = m.Mask < 0 && positioning == 2;
            EXPECT_EQ(run.Host.Files.OutputCreated, !refused);
            if (refused) {
                ASSERT_EQ(run.Host.Files.Messages.size(), 1u);
                EXPECT_EQ(run.Host.Files.Messages[0].first, "HDOP Mask (equal or smaller): \"" + std::string(m.Text) +
                                                                "\" is not a number, click on the OK to proceed");
                EXPECT_EQ(run.Host.Files.Messages[0].second, "HDOP Mask");
                EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
            } else {
                EXPECT_TRUE(run.Host.Files.Messages.empty());
            }
            EXPECT_EQ(run.State.Settings.HdopMask, m.Mask < 0 ? 7 : m.Mask);
        }
    }
}

// Mended: the units list is a drop-down list and what it yields is range-checked: no selection
// converts with the first unit, and a stored index beyond the LZ5 list shows the first entry.
TEST(ConverterDialog, UnitsIndexesOutsideTheListGiveTheFirstUnit)
{
    DialogRun run(ModeLz5);
    run.State.Settings.OutputUnits = 5;
    run.Dialog.Init();
    EXPECT_EQ(run.Controls.At(IDC_CONV_UNITS).Items.size(), 5u);
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_UNITS), "mV");
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\single20.VLX");
    run.Pick(IDC_CONV_OUTPUT_FILE, "C:\\data\\single20.LZ5");
    run.Controls.At(IDC_CONV_UNITS).Selection = -1;
    run.Dialog.Command(IDC_CONV_CONVERT, 0);
    EXPECT_EQ(run.State.Settings.OutputUnits, 0);
    EXPECT_EQ(run.Host.Files.Messages.size(), 0u);
    const DialogLayout layout = LayoutOf(ModeLz5);
    for (size_t i = 0; i < layout.Count; ++i) {
        if (layout.Controls[i].Id == IDC_CONV_UNITS) {
            EXPECT_EQ(layout.Controls[i].Kind, ControlKind::DropDownList);
        }
    }
}

TEST(ConverterDialog, AgsTakesItsUnitsAndOtherFormatsGiveTheUsersBack)
{
    DialogRun run(ModeXyz);
    run.State.Settings.XyzFileFormat = 1;
    run.Dialog.Init();
    run.Controls.At(IDC_CONV_UNITS).Selection = 4;
    run.Dialog.Command(IDC_CONV_UNITS, 1);
    run.Controls.At(IDC_CONV_COORDINATE_TYPE).Selection = 2;
    run.Dialog.Command(IDC_CONV_COORDINATE_TYPE, 1);
    run.Dialog.Command(IDC_CONV_FORMAT_AGS, 0);
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_UNITS), "nV/m2");
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_COORDINATE_TYPE), "UTM meters");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_TIME_STAMP).Enabled);
    run.Dialog.Command(IDC_CONV_FORMAT_SURFER, 0);
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_UNITS), "dB/dt: nV/Am2");
    EXPECT_EQ(run.Controls.Selected(IDC_CONV_COORDINATE_TYPE), "UTM feet");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_TIME_STAMP).Enabled);
}

// Mended: a rejected input leaves Output and Convert disabled (the literal dialog offered the
// data-type list and Output after the "Unknown Format" box), also after a good file before.
TEST(ConverterDialog, ARejectedInputLeavesOutputAndConvertDisabled)
{
    DialogRun run(ModeXyz);
    run.Dialog.Init();
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\single20.VLX");
    run.Pick(IDC_CONV_OUTPUT_FILE, "C:\\data\\single20.xyz");
    EXPECT_TRUE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    std::string foreign = SingleReadingSurvey();
    foreign.replace(2, 6, "OTHER ");
    run.Host.Surveys["C:\\data\\other.VLX"] = foreign;
    run.Pick(IDC_CONV_INPUT_FILE, "C:\\data\\other.VLX");
    ASSERT_EQ(run.Host.Files.Messages.size(), 1u);
    EXPECT_EQ(run.Host.Files.Messages[0].second, "Unknown Format");
    EXPECT_EQ(run.Host.LastStatus(), "Select next file or click on the Exit button");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_OUTPUT_FILE).Enabled);
    EXPECT_FALSE(run.Controls.At(IDC_CONV_CONVERT).Enabled);
    EXPECT_FALSE(run.Controls.At(IDC_CONV_DATA_TYPE).Enabled);
    EXPECT_EQ(run.Controls.At(IDC_CONV_INPUT_PATH).Text, " ");
    EXPECT_FALSE(run.Controls.At(IDC_CONV_PROGRESS).Shown);
    // A posted Convert converts nothing; the output picker proposes no name.
    run.Host.Files.OutputCreated = false;
    run.Dialog.Command(IDC_CONV_CONVERT, 0);
    EXPECT_FALSE(run.Host.Files.OutputCreated);
    EXPECT_EQ(run.Dialog.InputChosen, 0);
}

// Mended: every radio group and list is range-checked when read; none checked gives the
// default, not the literal 3 or 4.
TEST(ConverterDialog, ReadDialogSettingsGivesDefaultsForNoChoice)
{
    DialogRun run(ModeXyz);
    run.State.Settings.DataType = 9;
    run.Dialog.Init();
    for (auto& [id, control] : run.Controls.Controls) {
        control.Checked = false;
        control.Selection = -1;
    }
    run.Controls.At(IDC_CONV_HDOP_MASK).Text = "-3";
    run.Dialog.ReadDialogSettings();
    const ConverterSettings& s = run.State.Settings;
    EXPECT_EQ(s.XyzPositioning, 0);
    EXPECT_EQ(s.XyzFileFormat, 3);
    EXPECT_EQ(s.ColumnDelimiter, 0);
    EXPECT_EQ(s.GateSelection, 0);
    EXPECT_EQ(s.OutputUnits, 0);
    EXPECT_EQ(s.CoordinateType, 0);
    EXPECT_EQ(s.MinGpsQuality, 0);
    EXPECT_EQ(s.HdopMask, 4);
    EXPECT_EQ(s.DataType, 9);  // no list entry: the setting stays
    EXPECT_EQ(s.IncludeHeader, 0);
}

// The bar is told at most once per pixel however many records pass.
TEST(ProgressThrottle, OncePerPixelAndAlwaysTheEnds)
{
    ProgressThrottle t;
    t.Range(1000000, 552);
    int passed = 0;
    for (int32_t i = 0; i <= 1000000; ++i)
        passed += t.Passes(i) ? 1 : 0;
    EXPECT_LE(passed, 554);
    EXPECT_GE(passed, 552);
    EXPECT_TRUE(t.Passes(0));
    EXPECT_TRUE(t.Passes(1000000));
    t.Range(0, 552);
    EXPECT_TRUE(t.Passes(5));
}

TEST(ConverterSettingsFile, Utf8FolderLinesAreTold)
{
    EXPECT_TRUE(IsUtf8Text("C:\\Messungen\\M\xC3\xBChle\\"));
    EXPECT_TRUE(IsUtf8Text("C:\\\xE6\xB8\xAC\xE9\x87\x8F\\"));
    EXPECT_FALSE(IsUtf8Text("C:\\M\xFChle\\"));  // ANSI (Windows-1252)
    EXPECT_FALSE(IsUtf8Text("C:\\\xC3"));        // cut short
    EXPECT_FALSE(IsUtf8Text("\xC0\xAF"));        // overlong
    EXPECT_FALSE(IsUtf8Text("\xED\xA0\x80"));    // surrogate
}

}  // namespace
