// The converter programs' dialog tables: each build's title and version label, the units, data
// type, coordinate and GPS-quality lists, the texts of the file pickers, and the two layouts
// (pixel positions in the client area, creation order = tab order). Control ids are those of
// resources/converter_ids.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace converters {

// A build's program name, dialog title and version label.
struct BuildTexts {
    const char* Program;   // "ConvertVLXtoXYZ"
    const char* Title;
    const char* Version;   // "Version 1.12"
};
// Texts of the build of a ConverterMode; any other mode gives the XYZ build's.
const BuildTexts& TextsOf(int32_t mode);

// A fixed list of entry texts; the position in the list is the stored index.
struct TextList {
    const char* const* Items;
    int32_t Count;
};

// The units list (control 1010): six output units in the XYZ and TXT builds, five in the LZ5
// build (no "dB/dt"), the four voltage units in the USF build.
TextList UnitNames(int32_t mode);
// The XYZ build's coordinate types (1041) and minimum GPS qualities (1042).
TextList CoordinateTypeNames();
TextList GpsQualityNames();
// The XYZ data type's name (0-11) as the list 1019 shows it: the 50 Hz names when the file's
// mains code is 0, else the 60 Hz names; "" for a type outside 0-11.
const char* DataTypeName(int32_t dataType, int32_t fileMains);

// Texts of one file picker: title, the single filter (description, pattern) and the default
// extension.
struct PickerTexts {
    const char* Title;
    const char* FilterName;
    const char* FilterPattern;
    const char* DefaultExtension;
};
PickerTexts InputPickerTexts(int32_t mode);
PickerTexts OutputPickerTexts(int32_t mode);

// What a control of a layout is.
enum class ControlKind : int32_t {
    PushButton,
    ReadOnlyPath,    // read-only single-line edit, sunken, auto-scrolling, no tab stop
    Label,
    RightLabel,      // right-aligned label
    StatusLine,      // label drawn in blue
    ProgressBar,
    DropDownList,    // combo box, drop-down list with vertical scroll bar, tab stop
    SortedDropDownList,
    GroupBox,
    RadioButton,     // checks itself when clicked
    CheckBox,        // checks itself when clicked
    NumberEdit,      // edit with sunken edge and tab stop
};

// Control flags of a layout entry.
constexpr uint32_t StartsGroup = 1;    // first of a group (radio group, or what ends one)
constexpr uint32_t CreatedDisabled = 2;
constexpr uint32_t CentredText = 4;

struct ControlLayout {
    int32_t Id;
    ControlKind Kind;
    const char* Caption;   // nullptr: the build's version label
    int32_t X, Y, Width, Height;
    uint32_t Flags;
};

struct DialogLayout {
    const ControlLayout* Controls;
    size_t Count;
    int32_t ClientWidth;
    int32_t ClientHeight;
};

// The XYZ build's layout (636 by 490) or the small layout of the other builds (636 by 166).
DialogLayout LayoutOf(int32_t mode);

// A text's extent in pixels in the dialog's font: on one line (wrapWidth 0), or wrapped at
// words within wrapWidth (Width the widest line, Height all its lines).
struct TextExtent {
    int32_t Width = 0;
    int32_t Height = 0;
};
using MeasureText = std::function<TextExtent(const char* text, int32_t wrapWidth)>;

// The build's layout as the dialog's font needs it, so that every caption of a label, radio
// button and check box shows whole: a one-line caption wider than its control widens it (a
// right-aligned label to the left); a label of two lines or more takes the height of its
// wrapped text, and starts higher where the control below is nearer. Each grows only into the
// room its group box and its neighbours leave it. checkWidth: what a check box or radio button
// draws before its caption.
std::vector<ControlLayout> FittedLayout(int32_t mode, const MeasureText& measure, int32_t checkWidth);

} // namespace converters
