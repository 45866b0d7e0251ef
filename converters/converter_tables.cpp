#include "converters/converter_tables.h"

#include "converters/converter_state.h"
#include "resources/converter_ids.h"

#include <algorithm>
#include <iterator>

namespace converters {

namespace {

const BuildTexts XyzTexts = {"ConvertVLXtoXYZ", "Convert V-LOX Data Files to XYZ Format", "Version 1.12"};
const BuildTexts Lz5Texts = {"ConvertVLXtoLZ5", "Convert V-LOX Data Files to LZ5 Format", "Version 1.14"};
const BuildTexts UsfTexts = {"ConvertVLXtoUSF", "Convert V-LOX Data Files to USF Format", "Version 1.11"};
const BuildTexts TxtTexts = {"ConvertVLXtoTXT", "Convert V-LOX Data Files to ASCII (TXT) Format", "Version 1.12"};

const char* const OutputUnitNames[] = {"mV",          "nV/m2",         "B: pT/A",
                                       "Cond.: mS/m", "dB/dt: nV/Am2", "Resist.: ohm-m"};
const char* const Lz5UnitNames[] = {"mV", "nV/m2", "B: pT/A", "Cond.: mS/m", "Resist.: ohm-m"};
const char* const UsfUnitNames[] = {"V/A: V/AMP", "V/AM2: V/Am2", "V/m2: V/M2", "T/SEC: T/s"};
const char* const CoordinateTypes[] = {"Geodetic ddd.dddd", "UTM meters", "UTM feet", "UTM US Survey Feet"};
const char* const GpsQualities[] = {"AGPS",  "DGPS",  "RTK 3", "RTK 4", "RTK 5",
                                    "RTK 6", "RTK 7", "RTK 8", "RTK 9"};

const char* const DataTypeNames60[DataTypeCount] = {
    "285 Hz/20 gates", "75 Hz/20 gates",  "30 Hz/20 gates",  "7.5 Hz/20 gates",
    "3.0 Hz/20 gates", ".75 Hz/20 gates", ".3 Hz/20 gates",  "30 Hz/30 gates",
    "7.5 Hz/30 gates", "3.0 Hz/30 gates", ".75 Hz/30 gates", ".3 Hz/30 gates"};
const char* const DataTypeNames50[DataTypeCount] = {
    "237.50 Hz/20 gates", "62.5 Hz/20 gates", "25 Hz/20 gates",   "6.25 Hz/20 gates",
    "2.50 Hz/20 gates",   ".625 Hz/20 gates", ".25 Hz/20 gates",  "25 Hz/30 gates",
    "6.25 Hz/30 gates",   "2.50 Hz/30 gates", ".625Hz/30 gates",  ".25 Hz/30 gates"};

constexpr int32_t OneLineHeight = 16;     // a one-line label; labels of two lines are 32 high
constexpr int32_t ClosedListHeight = 24;  // a drop-down list when closed (its layout height holds the list)
constexpr int32_t Spacing = 2;            // between a grown control and its neighbour
constexpr int32_t GroupInset = 4;         // between a grown control and the frame of its group box

struct Box {
    int32_t Left, Top, Right, Bottom;
};

Box BoxOf(const ControlLayout& c)
{
    const bool list = c.Kind == ControlKind::DropDownList || c.Kind == ControlKind::SortedDropDownList;
    return Box{c.X, c.Y, c.X + c.Width, c.Y + (list ? std::min(c.Height, ClosedListHeight) : c.Height)};
}

// How far control i may grow each way without reaching another control or the frame of its
// group box.
Box RoomOf(const std::vector<ControlLayout>& controls, size_t i, int32_t clientWidth, int32_t clientHeight)
{
    const Box c = BoxOf(controls[i]);
    Box room{0, 0, clientWidth, clientHeight};
    for (size_t k = 0; k < controls.size(); ++k) {
        // The progress bar lies across the units row only while the units are hidden.
        if (k == i || controls[k].Kind == ControlKind::ProgressBar)
            continue;
        const Box o = BoxOf(controls[k]);
        if (controls[k].Kind == ControlKind::GroupBox && o.Left <= c.Left && c.Right <= o.Right && o.Top <= c.Top &&
            c.Bottom <= o.Bottom) {
            room.Left = std::max(room.Left, o.Left + GroupInset);
            room.Top = std::max(room.Top, o.Top + OneLineHeight);
            room.Right = std::min(room.Right, o.Right - GroupInset);
            room.Bottom = std::min(room.Bottom, o.Bottom - GroupInset);
            continue;
        }
        const bool sameRows = o.Top < c.Bottom && c.Top < o.Bottom;
        const bool sameColumns = o.Left < c.Right && c.Left < o.Right;
        if (sameRows && o.Left >= c.Right)
            room.Right = std::min(room.Right, o.Left - Spacing);
        if (sameRows && o.Right <= c.Left)
            room.Left = std::max(room.Left, o.Right + Spacing);
        if (sameColumns && o.Top >= c.Bottom)
            room.Bottom = std::min(room.Bottom, o.Top - Spacing);
        if (sameColumns && o.Bottom <= c.Top)
            room.Top = std::max(room.Top, o.Bottom + Spacing);
    }
    return room;
}

template <size_t N>
TextList ListOf(const char* const (&items)[N])
{
    return TextList{items, static_cast<int32_t>(N)};
}

// The units list is a drop-down list in both layouts: typed text could leave it without a
// selection, and the index read then would be -1.
const ControlLayout SmallLayout[] = {
    {IDC_CONV_CONVERT, ControlKind::PushButton, "&Convert", 498, 133, 96, 24, CreatedDisabled | CentredText},
    {IDC_CONV_EXIT, ControlKind::PushButton, "&Exit", 394, 133, 96, 24, 0},
    {IDC_CONV_INPUT_FILE, ControlKind::PushButton, "&Input File", 42, 25, 104, 24, 0},
    {IDC_CONV_OUTPUT_FILE, ControlKind::PushButton, "&Output File", 42, 57, 104, 24, 0},
    {IDC_CONV_INPUT_PATH, ControlKind::ReadOnlyPath, " ", 154, 25, 440, 24, 0},
    {IDC_CONV_OUTPUT_PATH, ControlKind::ReadOnlyPath, " ", 154, 57, 440, 24, 0},
    {IDC_CONV_VERSION, ControlKind::Label, nullptr, 42, 141, 80, 16, 0},
    {IDC_CONV_PROGRESS, ControlKind::ProgressBar, "", 42, 96, 552, 8, 0},
    {IDC_CONV_STATUS, ControlKind::StatusLine, "Select Input and Output Data Files", 42, 112, 552, 16, 0},
    {IDC_CONV_UNITS, ControlKind::DropDownList, "", 474, 88, 120, 80, 0},
    {IDC_CONV_UNITS_LABEL, ControlKind::RightLabel, "Select Output File Units:", 315, 92, 152, 16, 0},
};

const ControlLayout XyzLayout[] = {
    {IDC_CONV_CONVERT, ControlKind::PushButton, "&Convert", 498, 444, 96, 24, CreatedDisabled | CentredText},
    {IDC_CONV_EXIT, ControlKind::PushButton, "&Exit", 394, 444, 96, 24, 0},
    {IDC_CONV_INPUT_FILE, ControlKind::PushButton, "&Input File", 42, 23, 104, 24, 0},
    {IDC_CONV_INPUT_PATH, ControlKind::ReadOnlyPath, " ", 154, 23, 440, 24, 0},
    {IDC_CONV_OUTPUT_FILE, ControlKind::PushButton, "&Output File", 42, 55, 104, 24, 0},
    {IDC_CONV_OUTPUT_PATH, ControlKind::ReadOnlyPath, " ", 154, 55, 440, 24, 0},
    {IDC_CONV_VERSION, ControlKind::Label, nullptr, 42, 452, 80, 16, 0},
    {IDC_CONV_PROGRESS, ControlKind::ProgressBar, "", 42, 407, 552, 8, 0},
    {IDC_CONV_STATUS, ControlKind::StatusLine, "Select Input and Output Data Files", 42, 423, 552, 16, 0},
    {IDC_CONV_UNITS, ControlKind::DropDownList, "", 449, 224, 126, 157, 0},
    {IDC_CONV_UNITS_LABEL, ControlKind::Label, "Select Output Units:", 329, 228, 101, 16, 0},
    {IDC_CONV_POSITIONING_GROUP, ControlKind::GroupBox, "Positioning Mode", 40, 94, 256, 88, 0},
    {IDC_CONV_POSITION_WE, ControlKind::RadioButton, "Based on Lines in W-E Direction", 56, 120, 192, 16, StartsGroup},
    {IDC_CONV_POSITION_SN, ControlKind::RadioButton, "Based on Lines in S-N Direction", 56, 138, 184, 16, 0},
    {IDC_CONV_POSITION_GPS, ControlKind::RadioButton, "Based on GPS Positions", 56, 156, 176, 16, 0},
    {IDC_CONV_DATA_GROUP, ControlKind::GroupBox, "Data Selection", 313, 94, 280, 162, StartsGroup},
    {IDC_CONV_DATA_TYPE, ControlKind::DropDownList, "", 449, 116, 126, 157, 0},
    {IDC_CONV_DATA_TYPE_LABEL, ControlKind::Label, "Select Data Type:", 329, 119, 101, 16, 0},
    {IDC_CONV_GATES_LABEL, ControlKind::Label, "Include Time Gates:", 329, 148, 101, 16, 0},
    {IDC_CONV_GATES_ALL, ControlKind::RadioButton, "All  (includes Gate 0)", 449, 146, 127, 16, StartsGroup},
    {IDC_CONV_GATES_1_10, ControlKind::RadioButton, "Gates 1 to 10", 449, 164, 127, 16, 0},
    {IDC_CONV_GATES_11_20, ControlKind::RadioButton, "Gates 11 to 20", 449, 182, 127, 16, 0},
    {IDC_CONV_GATES_21_30, ControlKind::RadioButton, "Gates 21 to 30", 449, 200, 127, 16, 0},
    {IDC_CONV_SELECT_GATES, ControlKind::PushButton, "Select Gates", 232, 456, 126, 24, StartsGroup},
    {IDC_CONV_FORMAT_GROUP, ControlKind::GroupBox, "File Format", 40, 190, 120, 98, 0},
    {IDC_CONV_DELIMITER_GROUP, ControlKind::GroupBox, "Column Delimeter", 40, 296, 120, 102, 0},
    {IDC_CONV_OPTIONS_GROUP, ControlKind::GroupBox, "Options", 174, 190, 122, 208, 0},
    {IDC_CONV_GPS_GROUP, ControlKind::GroupBox, "GPS Parameters", 313, 269, 280, 129, 0},
    {IDC_CONV_FORMAT_GEOSOFT, ControlKind::RadioButton, "Geosoft Oasis", 56, 210, 96, 14, StartsGroup},
    {IDC_CONV_FORMAT_SURFER, ControlKind::RadioButton, "Surfer", 56, 227, 72, 16, 0},
    {IDC_CONV_FORMAT_GENERIC, ControlKind::RadioButton, "Generic", 56, 246, 72, 16, 0},
    {IDC_CONV_FORMAT_AGS, ControlKind::RadioButton, "AGS Software", 56, 265, 96, 14, 0},
    {IDC_CONV_DELIMITER_FIXED, ControlKind::RadioButton, "Fixed", 56, 316, 69, 16, StartsGroup},
    {IDC_CONV_DELIMITER_COMMA, ControlKind::RadioButton, "Comma", 56, 336, 69, 16, 0},
    {IDC_CONV_DELIMITER_SPACE, ControlKind::RadioButton, "Space", 56, 356, 69, 16, 0},
    {IDC_CONV_DELIMITER_TAB, ControlKind::RadioButton, "Tab", 56, 376, 69, 16, 0},
    {IDC_CONV_INCLUDE_HEADER, ControlKind::CheckBox, "Include Header", 187, 215, 96, 16, StartsGroup},
    {IDC_CONV_ELEVATION, ControlKind::CheckBox, "Elevation", 187, 240, 96, 16, 0},
    {IDC_CONV_GPS_QUALITY, ControlKind::CheckBox, "GPS Quality", 187, 265, 96, 16, 0},
    {IDC_CONV_TIME_STAMP, ControlKind::CheckBox, "Time Stamp", 187, 340, 96, 16, 0},
    {IDC_CONV_DATE, ControlKind::CheckBox, "Date", 187, 365, 96, 16, 0},
    {IDC_CONV_COORDINATE_TYPE, ControlKind::DropDownList, "", 451, 293, 128, 120, 0},
    {IDC_CONV_MIN_GPS_QUALITY, ControlKind::SortedDropDownList, "", 451, 323, 128, 120, 0},
    {IDC_CONV_COORDINATE_LABEL, ControlKind::Label, "Coordinate Type (WGS84)", 331, 296, 112, 32, 0},
    {IDC_CONV_CORRECTIONS_LABEL, ControlKind::Label, "Differential Corrections (equal or better)", 331, 328, 112, 32, 0},
    {IDC_CONV_HDOP_MASK, ControlKind::NumberEdit, "10.2", 525, 357, 53, 24, 0},
    {IDC_CONV_HDOP_MASK_LABEL, ControlKind::Label, "HDOP Mask (equal or smaller)", 331, 365, 152, 16, 0},
    {IDC_CONV_HDOP, ControlKind::CheckBox, "HDOP", 187, 290, 96, 16, 0},
    {IDC_CONV_SATELLITES, ControlKind::CheckBox, "No of Satellites", 187, 315, 104, 16, 0},
};

} // namespace

const BuildTexts& TextsOf(int32_t mode)
{
    switch (mode) {
    case ModeLz5: return Lz5Texts;
    case ModeUsf: return UsfTexts;
    case ModeTxt: return TxtTexts;
    default: return XyzTexts;
    }
}

TextList UnitNames(int32_t mode)
{
    switch (mode) {
    case ModeLz5: return ListOf(Lz5UnitNames);
    case ModeUsf: return ListOf(UsfUnitNames);
    default: return ListOf(OutputUnitNames);
    }
}

TextList CoordinateTypeNames()
{
    return ListOf(CoordinateTypes);
}

TextList GpsQualityNames()
{
    return ListOf(GpsQualities);
}

const char* DataTypeName(int32_t dataType, int32_t fileMains)
{
    if (dataType < 0 || dataType >= DataTypeCount)
        return "";
    return fileMains == 0 ? DataTypeNames50[dataType] : DataTypeNames60[dataType];
}

PickerTexts InputPickerTexts(int32_t)
{
    return PickerTexts{"Open V-LOX Data File", "V-LOX Files (*.VLX)", "*.VLX", "VLX"};
}

PickerTexts OutputPickerTexts(int32_t mode)
{
    switch (mode) {
    case ModeLz5:
        return PickerTexts{"Specify Tarnwel LZ5 Data File", "Tarnwel LZ5 Files (*.LZ5)", "*.LZ5", "LZ5"};
    case ModeUsf:
        return PickerTexts{"Specify USF Data File", "Universal Sounding Format Files (*.USF)", "*.USF", "USF"};
    case ModeTxt:
        return PickerTexts{"Specify ASCII TXT Data File", "ASCII Text Format Files (*.TXT)", "*.txt", "txt"};
    default:
        return PickerTexts{"Specify XYZ File", "XYZ Files (*.XYZ)", "*.xyz", "xyz"};
    }
}

DialogLayout LayoutOf(int32_t mode)
{
    if (mode == ModeXyz)
        return DialogLayout{XyzLayout, std::size(XyzLayout), 636, 490};
    return DialogLayout{SmallLayout, std::size(SmallLayout), 636, 166};
}

std::vector<ControlLayout> FittedLayout(int32_t mode, const MeasureText& measure, int32_t checkWidth)
{
    const DialogLayout layout = LayoutOf(mode);
    std::vector<ControlLayout> controls(layout.Controls, layout.Controls + layout.Count);
    for (size_t i = 0; i < controls.size(); ++i) {
        ControlLayout& c = controls[i];
        const bool check = c.Kind == ControlKind::RadioButton || c.Kind == ControlKind::CheckBox;
        const bool label = c.Kind == ControlKind::Label || c.Kind == ControlKind::RightLabel;
        if ((!check && !label) || c.Caption == nullptr)
            continue;
        const Box room = RoomOf(controls, i, layout.ClientWidth, layout.ClientHeight);
        if (label && c.Height >= 2 * OneLineHeight) {
            int32_t height = measure(c.Caption, c.Width).Height;
            if (height > room.Bottom - room.Top && room.Right - c.X > c.Width) {
                c.Width = room.Right - c.X;
                height = measure(c.Caption, c.Width).Height;
            }
            c.Height = std::min(height, room.Bottom - room.Top);
            if (c.Y + c.Height > room.Bottom)
                c.Y = room.Bottom - c.Height;
            continue;
        }
        const int32_t width = measure(c.Caption, 0).Width + (check ? checkWidth : 0);
        if (width <= c.Width)
            continue;
        if (c.Kind == ControlKind::RightLabel) {
            const int32_t right = c.X + c.Width;
            c.Width = std::max(c.Width, std::min(width, right - room.Left));
            c.X = right - c.Width;
        } else {
            c.Width = std::max(c.Width, std::min(width, room.Right - c.X));
        }
    }
    return controls;
}

} // namespace converters
