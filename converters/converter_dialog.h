// The converter dialog's logic: what initialisation and each command do to the controls, the
// files chosen, the settings and the conversion. The programs run it over their dialog's child
// windows, the system's file pickers and the files (converter_dialog_win.cpp); the tests over
// recorded controls and memory.
#pragma once

#include "converters/conversion.h"
#include "converters/converter_state.h"
#include "converters/converter_tables.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace converters {

extern const char StartStatus[];         // "Select Input and Output Data Files"
extern const char ReadyStatus[];         // "Click on the Convert button to proceed"
extern const char SelectOutputStatus[];  // "Select Output File"
extern const char SelectInputStatus[];   // "Select Input File"
extern const char AnalysingStatus[];     // "Analyzing Selected Data File"
extern const char ProcessingStatus[];    // "Processing file:", the input path follows directly

// The dialog's controls by id (resources/converter_ids.h). Texts are UTF-8.
class DialogControls {
public:
    virtual ~DialogControls() = default;
    virtual void SetText(int32_t id, const std::string& text) = 0;
    virtual std::string Text(int32_t id) = 0;
    virtual void Enable(int32_t id, bool enabled) = 0;
    virtual void Show(int32_t id, bool shown) = 0;
    virtual void SetChecked(int32_t id, bool checked) = 0;
    virtual bool Checked(int32_t id) = 0;
    // Replaces the entries of a list.
    virtual void FillList(int32_t id, const std::vector<std::string>& items) = 0;
    // Selects an entry; an index outside the list leaves none selected.
    virtual void SelectListItem(int32_t id, int32_t index) = 0;
    // The selected position, -1 when none is.
    virtual int32_t ListSelection(int32_t id) = 0;
};

// What the dialog reaches beyond its controls: the writers' host (status line, progress bar,
// message boxes, files), the system's file pickers and the settings file.
class ConverterDialogHost : public ConverterHost {
public:
    // The system's Open-file dialog (output false) or Save-file dialog (output true); true with
    // the chosen path when the user picked a file. An empty initialFolder opens in the current
    // folder; an empty proposedName proposes none.
    virtual bool PickFile(bool output, const PickerTexts& texts, const std::string& initialFolder,
                          const std::string& proposedName, std::string& path) = 0;
    // `ConverterSettingsFile`(save); the program ends whether or not it succeeded.
    virtual void SaveSettings() = 0;
};

// The XYZ dialog's choices that decide which of its controls are enabled.
struct XyzChoices {
    int32_t Positioning = 0;     // 0 lines W-E, 1 lines S-N, 2 GPS (above 2 counts as GPS)
    int32_t FileFormat = 3;      // 0-2 column layouts, 3 AGS Software (above 3 counts as AGS)
    bool InputAccepted = false;  // the picked input passed the analysis
    bool GpsOffered = true;      // no input analysed yet, or the last accepted one holds GGA
    bool ConvertOffered = false; // an accepted input and an output have been chosen
};

struct ControlEnabled {
    int32_t Id;
    bool Enabled;
};

constexpr size_t XyzSwitchedControls = 14;

// The enabled state of every control the XYZ dialog switches: the column options (1036-1040,
// 1047, 1048), the GPS parameters (1041, 1042, 1045), "Based on GPS Positions" (1017), the
// data-type list (1019), "&Output File" (1004) and "&Convert" (1001).
std::array<ControlEnabled, XyzSwitchedControls> XyzEnabling(const XyzChoices& choices);

// Which progress positions reach the bar: at most one per pixel of its width, and always 0 and
// the end, so a pass over a large file does not redraw the bar once per record.
class ProgressThrottle {
public:
    void Range(int32_t high, int32_t pixels);
    bool Passes(int32_t position);

private:
    int32_t High = 0;
    int32_t Pixels = 1;
    int64_t LastStep = -1;
};

// One converter dialog: the program's state, its controls and its host, and the dialog's own
// flags and working copies.
struct ConverterDialog {
    ConverterDialog(ConverterState& state, DialogControls& controls, ConverterDialogHost& host)
        : State(state), Controls(controls), Host(host)
    {
    }

    ConverterState& State;
    DialogControls& Controls;
    ConverterDialogHost& Host;

    // Result of the last input and output pick: 1 chosen, 0 not (cancelled or never asked).
    int32_t InputChosen = 0;
    int32_t OutputChosen = 0;
    // The XYZ build's working copies of the radio groups and of the user's last units and
    // coordinate choices (restored when the file format leaves "AGS Software").
    int32_t DialogPositioning = 0;
    int32_t DialogFileFormat = 3;
    int32_t DialogDelimiter = 0;
    int32_t DialogGateSelection = 0;
    int32_t DialogUnits = 0;
    int32_t DialogCoordinateType = 0;
    // Position in the data-type list -> `DataType`, filled by each accepted analysis.
    std::array<int32_t, DataTypeCount> DataTypeListMap{};
    int32_t DataTypeListCount = 0;
    // "&Convert" enabled; in the XYZ build also: the input passed the analysis, and
    // "Based on GPS Positions" is offered.
    bool ConvertOffered = false;
    bool InputAccepted = false;
    bool GpsOffered = true;

    // Dialog initialisation: lists filled and selected from the settings, radio groups and
    // check boxes set, the progress bar hidden, the enabling applied.
    void Init();
    // A command from control id with its notification code; true when the dialog is to end
    // (Exit, the close box or Esc).
    bool Command(int32_t id, int32_t notification);

    int32_t ChooseInputFile();
    int32_t ChooseOutputFile();
    void InputFileCommand();
    void OutputFileCommand();
    void ConvertCommand();
    void ExitCommand();
    // Copies the XYZ dialog's controls into the settings, each value range-checked.
    void ReadDialogSettings();

private:
    void XyzInputAnalysis();
    bool XyzCommand(int32_t id);
    void ApplyXyzEnabling();
    void CheckRadio(int32_t first, int32_t count, int32_t index);
    int32_t CheckedRadio(int32_t first, int32_t count);
    void SelectUnits(int32_t units);
    void SelectInList(int32_t id, int32_t count, int32_t index);
};

} // namespace converters
