// The acquisition settings as the operator changes them: the popup menus of the status
// panel's "System Parameters" rows, the three one-value dialogs (turn-off time, transmitter
// current, records per measurement) and the turn-off limit that every one of them keeps.
// Pure rules over the program-wide settings; the windows, menus and message boxes are the
// caller's (acquisition_dialogs_win.cpp, status_panel_win.cpp).
#pragma once

#include "vlox/common/screen_layout.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <cstdint>
#include <string>
#include <vector>

// ---------------------------------------------------------------------------------------
// Turn-off limit.

// The lowest combined turn-off delay the settings allow: the limit of RepRateIndex, or in
// two-frequency mode of the faster of the two chosen rates (the stricter one).
double TurnOffLimitFor(const SettingsValues& s);

// The warning when the combined delay falls below limit: two lines, the second with the
// format's own blank before the number (so two blanks stand before it).
WideString TurnOffLimitWarning(double limit);
extern const char TurnOffLimitCaption[];  // "V-LOX Warning"

// TotalTurnOffDelay and GateSampleOffset from the settings (a sample period not above 0 counts
// as 2.083333333333 us).
void RecomputeTurnOffValues(double samplePeriodUs);

// Raises TurnOffTimeUs just enough that the combined delay of s is not below limit.
void RaiseTurnOffToLimit(SettingsValues& s, double limit);

// True when value goes into the data file's number fields ("%14.3f") without losing more
// than decimals; entries beyond that are refused at OK (dialog_fields.h, TooWide).
bool FitsRecordField(double value);

// ---------------------------------------------------------------------------------------
// Popup rows of the status panel.

enum PanelRow : int32_t {
    PanelRowNone = -1,
    PanelRowRepetition = 0,
    PanelRowRecords,
    PanelRowAverage,
    PanelRowComponent,
    PanelRowGain,
    PanelRowGates,
    PanelRowUnits,
    PanelRowTxCurrent,
    PanelRowTurnOff,
};

// The live row under a click (ends included), or PanelRowNone; x must lie in
// [LabelX, PanelRight].
int32_t PanelRowAt(const StatusPanelLayout& panel, int32_t x, int32_t y);

// A refusal of a row: its message and caption, or empty texts when the row may be changed.
struct PopupRefusal {
    std::string Text;
    std::string Caption;
};
PopupRefusal PopupRowRefusal(int32_t row, int32_t twoFrequencyMode, int32_t gateSet);

// The popup menu resource of a row (0 for the rows that open a dialog, and for no row).
int32_t PopupMenuForRow(int32_t row, int32_t powerLineFrequency);

// What applying a popup choice needs of the windows, the board and the map.
class PopupChoiceHost {
public:
    virtual ~PopupChoiceHost() = default;
    virtual void PreserveMap(int32_t phase) = 0;
    // BuildGateTables and the curve scale after a rate or gate-set change.
    virtual void RebuildGateTables() = 0;
    virtual void ClearCurveBackground() = 0;
    virtual void InvalidateMain() = 0;
    virtual void RestartAcquisition() = 0;
    // The turn-off limit warning (no owner).
    virtual void Warn(const WideString& text) = 0;
    // The Gain value of the internal test's panel redrawn in place with code + 1.
    virtual void RedrawTestGain(int32_t code) = 0;
    virtual void Delay(int32_t ms) = 0;
};

// Applies a popup item id to the settings: rate 1242-1248, averaging time 1251-1259, gates
// 1261-1262, coil type 1271-1281, records 1284-1289, component 1301-1303, gain 1311-1317,
// unit 1321-1326, processing method 1331-1332 (0 "Standard", 1 "Pruning"); other ids change
// nothing but still preserve and restore the map.
void ApplyPopupChoiceWith(int32_t id, PopupChoiceHost& host);

// ---------------------------------------------------------------------------------------
// The one-value dialogs.

// The list of counts " 1" .. " 9", "10" .. "100" (records per measurement, user gates).
std::vector<WideString> CountListTexts();

// OK of "Turn Off Time": the entered value, the value at opening. Returns 0, or the limit
// when the entry was refused (the old value stays, the caller shows the warning).
double TurnOffDialogOk(double entered, double valueAtOpening, double samplePeriodUs);

// OK of "Tx Current".
void TxCurrentDialogOk(double entered);

// OK of "Records per Measurement" with the list's selection.
void RecordsDialogOk(int32_t selection);

// The monitor pass values and sums reset after any change of rate or gate set.
void ResetMonitorSums();
