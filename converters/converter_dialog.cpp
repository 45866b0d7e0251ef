#include "converters/converter_dialog.h"

#include "converters/converter_settings.h"
#include "converters/number_text.h"
#include "converters/writers.h"
#include "resources/converter_ids.h"

namespace converters {

const char StartStatus[] = "Select Input and Output Data Files";
const char ReadyStatus[] = "Click on the Convert button to proceed";
const char SelectOutputStatus[] = "Select Output File";
const char SelectInputStatus[] = "Select Input File";
const char AnalysingStatus[] = "Analyzing Selected Data File";
const char ProcessingStatus[] = "Processing file:";

namespace {

// IDCANCEL: the dialog's close box and the Esc key.
constexpr int32_t CancelId = 2;

// Buttons act on a click (0) or their accelerator (1) only.
bool IsClick(int32_t notification)
{
    return notification == 0 || notification == 1;
}

std::vector<std::string> EntriesOf(const TextList& list)
{
    return std::vector<std::string>(list.Items, list.Items + list.Count);
}

// A control's caption in the build's layout ("" for none).
std::string CaptionOf(int32_t mode, int32_t id)
{
    const DialogLayout layout = LayoutOf(mode);
    for (size_t i = 0; i < layout.Count; ++i)
        if (layout.Controls[i].Id == id && layout.Controls[i].Caption)
            return layout.Controls[i].Caption;
    return std::string();
}

}  // namespace

std::array<ControlEnabled, XyzSwitchedControls> XyzEnabling(const XyzChoices& c)
{
    const bool gps = c.Positioning >= 2;
    const bool ags = c.FileFormat >= 3;
    const bool gpsColumns = gps && !ags;
    return {{
        {IDC_CONV_INCLUDE_HEADER, !ags},
        {IDC_CONV_ELEVATION, gpsColumns},
        {IDC_CONV_GPS_QUALITY, gpsColumns},
        {IDC_CONV_HDOP, gpsColumns},
        {IDC_CONV_SATELLITES, gpsColumns},
        {IDC_CONV_TIME_STAMP, !ags},
        {IDC_CONV_DATE, !ags},
        {IDC_CONV_COORDINATE_TYPE, gps},
        {IDC_CONV_MIN_GPS_QUALITY, gps},
        {IDC_CONV_HDOP_MASK, gps},
        {IDC_CONV_POSITION_GPS, c.GpsOffered},
        {IDC_CONV_DATA_TYPE, c.InputAccepted},
        {IDC_CONV_OUTPUT_FILE, c.InputAccepted},
        {IDC_CONV_CONVERT, c.ConvertOffered},
    }};
}

void ProgressThrottle::Range(int32_t high, int32_t pixels)
{
    High = high;
    Pixels = pixels > 0 ? pixels : 1;
    LastStep = -1;
}

bool ProgressThrottle::Passes(int32_t position)
{
    if (High <= 0 || position <= 0 || position >= High) {
        LastStep = -1;
        return true;
    }
    const int64_t step = static_cast<int64_t>(position) * Pixels / High;
    if (step == LastStep)
        return false;
    LastStep = step;
    return true;
}

void ConverterDialog::Init()
{
    const ConverterSettings& s = State.Settings;
    const TextList units = UnitNames(State.ConverterMode);
    Controls.FillList(IDC_CONV_UNITS, EntriesOf(units));
    if (State.ConverterMode != ModeXyz) {
        SelectInList(IDC_CONV_UNITS, units.Count, State.ConverterMode == ModeUsf ? s.UsfVoltageUnits : s.OutputUnits);
        Controls.Show(IDC_CONV_PROGRESS, false);
        return;
    }

    DialogPositioning = s.XyzPositioning;
    DialogFileFormat = s.XyzFileFormat;
    DialogDelimiter = s.ColumnDelimiter;
    DialogGateSelection = s.GateSelection;
    DialogUnits = s.OutputUnits;
    DialogCoordinateType = s.CoordinateType;
    CheckRadio(IDC_CONV_POSITION_WE, 3, DialogPositioning);
    CheckRadio(IDC_CONV_FORMAT_GEOSOFT, 4, DialogFileFormat);
    CheckRadio(IDC_CONV_DELIMITER_FIXED, 4, DialogDelimiter);
    CheckRadio(IDC_CONV_GATES_ALL, 4, DialogGateSelection);
    Controls.SetChecked(IDC_CONV_INCLUDE_HEADER, s.IncludeHeader == 1);
    Controls.SetChecked(IDC_CONV_ELEVATION, s.IncludeElevation == 1);
    Controls.SetChecked(IDC_CONV_GPS_QUALITY, s.IncludeGpsQuality == 1);
    Controls.SetChecked(IDC_CONV_HDOP, s.IncludeHdop == 1);
    Controls.SetChecked(IDC_CONV_SATELLITES, s.IncludeSatellites == 1);
    Controls.SetChecked(IDC_CONV_TIME_STAMP, s.IncludeTimeStamp == 1);
    Controls.SetChecked(IDC_CONV_DATE, s.IncludeDate == 1);
    SelectInList(IDC_CONV_UNITS, units.Count, s.OutputUnits);
    const TextList coordinates = CoordinateTypeNames();
    Controls.FillList(IDC_CONV_COORDINATE_TYPE, EntriesOf(coordinates));
    SelectInList(IDC_CONV_COORDINATE_TYPE, coordinates.Count, s.CoordinateType);
    const TextList qualities = GpsQualityNames();
    Controls.FillList(IDC_CONV_MIN_GPS_QUALITY, EntriesOf(qualities));
    SelectInList(IDC_CONV_MIN_GPS_QUALITY, qualities.Count, s.MinGpsQuality);
    Controls.Show(IDC_CONV_PROGRESS, false);
    ApplyXyzEnabling();
    Controls.Show(IDC_CONV_SELECT_GATES, false);
}

bool ConverterDialog::Command(int32_t id, int32_t notification)
{
    // The close box and Esc end the program too (the main program waits for it to end), but
    // only Exit saves the settings.
    if (id == CancelId)
        return true;
    if (id == IDC_CONV_EXIT && IsClick(notification)) {
        ExitCommand();
        return true;
    }
    switch (id) {
    case IDC_CONV_INPUT_FILE:
        if (IsClick(notification))
            InputFileCommand();
        return false;
    case IDC_CONV_OUTPUT_FILE:
        if (IsClick(notification))
            OutputFileCommand();
        return false;
    case IDC_CONV_CONVERT:
        if (IsClick(notification))
            ConvertCommand();
        return false;
    default:
        break;
    }
    if (State.ConverterMode != ModeXyz)
        return false;
    if (id == IDC_CONV_UNITS || id == IDC_CONV_COORDINATE_TYPE) {
        // Any notification: the user's last choice, kept for when the format leaves AGS.
        const int32_t at = Controls.ListSelection(id);
        const int32_t count = id == IDC_CONV_UNITS ? UnitNames(ModeXyz).Count : CoordinateTypeNames().Count;
        if (at >= 0 && at < count)
            (id == IDC_CONV_UNITS ? DialogUnits : DialogCoordinateType) = at;
        return false;
    }
    if (IsClick(notification))
        XyzCommand(id);
    return false;
}

int32_t ConverterDialog::ChooseInputFile()
{
    std::string path;
    if (!Host.PickFile(false, InputPickerTexts(State.ConverterMode), State.Settings.DataFolder, "", path) ||
        path.empty())
        return 0;
    State.InputPath = path;
    State.Settings.DataFolder = SplitFilePath(path);
    return 1;
}

int32_t ConverterDialog::ChooseOutputFile()
{
    const std::string proposed = InputChosen == 1 ? ProposedOutputName(State.InputPath, State.ConverterMode) : "";
    std::string path;
    if (!Host.PickFile(true, OutputPickerTexts(State.ConverterMode), State.Settings.DataFolder, proposed, path) ||
        path.empty())
        return 0;
    State.OutputPath = path;
    State.Settings.DataFolder = SplitFilePath(path);
    return 1;
}

void ConverterDialog::InputFileCommand()
{
    InputChosen = ChooseInputFile();
    if (InputChosen != 1)
        return;
    Controls.SetText(IDC_CONV_INPUT_PATH, State.InputPath);
    if (State.ConverterMode == ModeXyz) {
        XyzInputAnalysis();
        return;
    }
    if (OutputChosen == 1) {
        ConvertOffered = true;
        Controls.Enable(IDC_CONV_CONVERT, true);
        Host.SetStatusText(ReadyStatus);
    } else {
        Host.SetStatusText(SelectOutputStatus);
    }
}

void ConverterDialog::XyzInputAnalysis()
{
    Host.SetStatusText(AnalysingStatus);
    Controls.Show(IDC_CONV_PROGRESS, true);
    const int32_t analysed = AnalyseVlxFile(State, Host);
    DataTypeListCount = 0;
    std::vector<std::string> names;
    if (analysed != 1) {
        // A refused or unreadable file is not offered for conversion: Output and Convert stay
        // disabled until an input passes. The status is the one the analysis left.
        InputChosen = 0;
        InputAccepted = false;
        ConvertOffered = false;
        Controls.SetText(IDC_CONV_INPUT_PATH, " ");
        Controls.FillList(IDC_CONV_DATA_TYPE, names);
        Controls.Show(IDC_CONV_PROGRESS, false);
        ApplyXyzEnabling();
        return;
    }
    for (int32_t t = 0; t < DataTypeCount; ++t)
        if (State.DataTypePresent[static_cast<size_t>(t)] == 1) {
            DataTypeListMap[static_cast<size_t>(DataTypeListCount++)] = t;
            names.push_back(DataTypeName(t, State.Parsed.FileMains));
        }
    Controls.FillList(IDC_CONV_DATA_TYPE, names);
    Controls.SelectListItem(IDC_CONV_DATA_TYPE, 0);
    InputAccepted = true;
    // An output chosen before a refused input is still chosen: Convert comes back with it.
    ConvertOffered = OutputChosen == 1;
    GpsOffered = State.GgaRecordCount > 0;
    if (!GpsOffered && DialogPositioning == 2) {
        DialogPositioning = 0;
        CheckRadio(IDC_CONV_POSITION_WE, 3, 0);
    }
    Controls.Show(IDC_CONV_PROGRESS, false);
    ApplyXyzEnabling();
    Host.SetStatusText(SelectOutputStatus);
}

void ConverterDialog::OutputFileCommand()
{
    OutputChosen = ChooseOutputFile();
    if (OutputChosen != 1)
        return;
    Controls.SetText(IDC_CONV_OUTPUT_PATH, State.OutputPath);
    if (InputChosen == 1) {
        ConvertOffered = true;
        Controls.Enable(IDC_CONV_CONVERT, true);
        Host.SetStatusText(ReadyStatus);
    } else {
        Host.SetStatusText(SelectInputStatus);
    }
}

void ConverterDialog::ConvertCommand()
{
    // A click can only come from the enabled button; a command posted to the dialog can come
    // at any time.
    if (!ConvertOffered)
        return;
    // The HDOP mask filters the GPS positions: text that is no number is refused, not read as 0.
    double hdop = 0.0;
    if (State.ConverterMode == ModeXyz && DialogPositioning == 2 &&
        !ReadWholeNumber(Controls.Text(IDC_CONV_HDOP_MASK), hdop)) {
        Host.ShowMessage(CaptionOf(ModeXyz, IDC_CONV_HDOP_MASK_LABEL) + ": \"" + Controls.Text(IDC_CONV_HDOP_MASK) +
                             "\" is not a number, click on the OK to proceed",
                         "HDOP Mask");
        return;
    }
    Controls.Show(IDC_CONV_UNITS, false);
    Controls.Show(IDC_CONV_UNITS_LABEL, false);
    Controls.Show(IDC_CONV_PROGRESS, true);
    Host.SetStatusText(ProcessingStatus + State.InputPath);
    ConverterSettings& s = State.Settings;
    switch (State.ConverterMode) {
    case ModeUsf:
        s.UsfVoltageUnits =
            CheckedSetting(&ConverterSettings::UsfVoltageUnits, Controls.ListSelection(IDC_CONV_UNITS), ModeUsf);
        break;
    case ModeXyz:
        ReadDialogSettings();
        break;
    default:
        s.OutputUnits = CheckedSetting(&ConverterSettings::OutputUnits, Controls.ListSelection(IDC_CONV_UNITS),
                                       State.ConverterMode);
        break;
    }
    RunConverterWriter(State, Host);
    Host.SetStatusText(NextFileStatus);
    Controls.SetText(IDC_CONV_INPUT_PATH, " ");
    Controls.SetText(IDC_CONV_OUTPUT_PATH, " ");
    Controls.Show(IDC_CONV_UNITS, true);
    Controls.Show(IDC_CONV_UNITS_LABEL, true);
    Controls.Show(IDC_CONV_PROGRESS, false);
}

void ConverterDialog::ExitCommand()
{
    if (State.ConverterMode == ModeXyz)
        ReadDialogSettings();
    Host.SaveSettings();
}

void ConverterDialog::ReadDialogSettings()
{
    ConverterSettings& s = State.Settings;
    auto checked = [&](int32_t ConverterSettings::*field, int32_t value) {
        s.*field = CheckedSetting(field, value, ModeXyz);
    };
    checked(&ConverterSettings::OutputUnits, Controls.ListSelection(IDC_CONV_UNITS));
    // No data type listed (no input analysed, or none the file holds): the setting stays.
    const int32_t type = Controls.ListSelection(IDC_CONV_DATA_TYPE);
    if (type >= 0 && type < DataTypeListCount)
        s.DataType = DataTypeListMap[static_cast<size_t>(type)];
    // A group with no radio checked gives the setting's default.
    checked(&ConverterSettings::XyzPositioning, CheckedRadio(IDC_CONV_POSITION_WE, 3));
    checked(&ConverterSettings::XyzFileFormat, CheckedRadio(IDC_CONV_FORMAT_GEOSOFT, 4));
    checked(&ConverterSettings::ColumnDelimiter, CheckedRadio(IDC_CONV_DELIMITER_FIXED, 4));
    checked(&ConverterSettings::GateSelection, CheckedRadio(IDC_CONV_GATES_ALL, 4));
    s.IncludeHeader = Controls.Checked(IDC_CONV_INCLUDE_HEADER) ? 1 : 0;
    s.IncludeElevation = Controls.Checked(IDC_CONV_ELEVATION) ? 1 : 0;
    s.IncludeGpsQuality = Controls.Checked(IDC_CONV_GPS_QUALITY) ? 1 : 0;
    s.IncludeHdop = Controls.Checked(IDC_CONV_HDOP) ? 1 : 0;
    s.IncludeSatellites = Controls.Checked(IDC_CONV_SATELLITES) ? 1 : 0;
    s.IncludeTimeStamp = Controls.Checked(IDC_CONV_TIME_STAMP) ? 1 : 0;
    s.IncludeDate = Controls.Checked(IDC_CONV_DATE) ? 1 : 0;
    checked(&ConverterSettings::CoordinateType, Controls.ListSelection(IDC_CONV_COORDINATE_TYPE));
    checked(&ConverterSettings::MinGpsQuality, Controls.ListSelection(IDC_CONV_MIN_GPS_QUALITY));
    // A mask that is no number leaves the setting as it was.
    double hdop = 0.0;
    if (ReadWholeNumber(Controls.Text(IDC_CONV_HDOP_MASK), hdop))
        checked(&ConverterSettings::HdopMask, RoundHalfEven(hdop));
}

bool ConverterDialog::XyzCommand(int32_t id)
{
    ConverterSettings& s = State.Settings;
    if (id >= IDC_CONV_POSITION_WE && id <= IDC_CONV_POSITION_GPS) {
        DialogPositioning = id - IDC_CONV_POSITION_WE;
    } else if (id >= IDC_CONV_FORMAT_GEOSOFT && id <= IDC_CONV_FORMAT_GENERIC) {
        DialogFileFormat = id - IDC_CONV_FORMAT_GEOSOFT;
        s.OutputUnits = DialogUnits;
        s.CoordinateType = DialogCoordinateType;
        SelectUnits(s.OutputUnits);
        SelectInList(IDC_CONV_COORDINATE_TYPE, CoordinateTypeNames().Count, s.CoordinateType);
    } else if (id == IDC_CONV_FORMAT_AGS) {
        // AGS Software takes nV/m2 and UTM metres; the user's own choices are kept for later.
        DialogFileFormat = 3;
        s.OutputUnits = 1;
        s.CoordinateType = 1;
        SelectUnits(s.OutputUnits);
        SelectInList(IDC_CONV_COORDINATE_TYPE, CoordinateTypeNames().Count, s.CoordinateType);
    } else if (id >= IDC_CONV_DELIMITER_FIXED && id <= IDC_CONV_DELIMITER_TAB) {
        DialogDelimiter = id - IDC_CONV_DELIMITER_FIXED;
        return true;
    } else if (id >= IDC_CONV_GATES_ALL && id <= IDC_CONV_GATES_21_30) {
        DialogGateSelection = id - IDC_CONV_GATES_ALL;
        return true;
    } else {
        return false;
    }
    ApplyXyzEnabling();
    return true;
}

void ConverterDialog::ApplyXyzEnabling()
{
    XyzChoices choices;
    choices.Positioning = DialogPositioning;
    choices.FileFormat = DialogFileFormat;
    choices.InputAccepted = InputAccepted;
    choices.GpsOffered = GpsOffered;
    choices.ConvertOffered = ConvertOffered;
    for (const ControlEnabled& c : XyzEnabling(choices))
        Controls.Enable(c.Id, c.Enabled);
}

void ConverterDialog::CheckRadio(int32_t first, int32_t count, int32_t index)
{
    for (int32_t i = 0; i < count; ++i)
        Controls.SetChecked(first + i, i == index);
}

int32_t ConverterDialog::CheckedRadio(int32_t first, int32_t count)
{
    for (int32_t i = 0; i < count; ++i)
        if (Controls.Checked(first + i))
            return i;
    return -1;
}

void ConverterDialog::SelectUnits(int32_t units)
{
    SelectInList(IDC_CONV_UNITS, UnitNames(State.ConverterMode).Count, units);
}

// A stored index outside the list (the LZ5 build reading the TXT build's sixth unit from the
// shared file) shows the first entry, which is what a conversion would then use.
void ConverterDialog::SelectInList(int32_t id, int32_t count, int32_t index)
{
    Controls.SelectListItem(id, index >= 0 && index < count ? index : 0);
}

}  // namespace converters
