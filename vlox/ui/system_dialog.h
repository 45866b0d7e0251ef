// "System Parameters": the receiver and transmitter settings. The working copies the open
// dialog keeps, the enabled state of its controls derived from them, the list texts, and
// the OK that writes the settings and derives the values that hang on them.
#pragma once

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/dialog_fields.h"

#include <cstdint>
#include <vector>

struct SystemDialogModel {
    int32_t Rate = 0;
    int32_t GateSet = 0;
    int32_t Component = 0;
    int32_t Gain[3] = {};  // Z, X, Y
    int32_t OnTime = 0;
    int32_t Survey = 0;
    int32_t SurveyAtOpening = 0;
    int32_t TwoFrequency = 0;  // the check box; the setting is written at OK only
    int32_t DataFileOpen = 0;
    double TurnOffAtOpening = 0.0;
    double ReceiverDelayAtOpening = 0.0;
};

// The copies as the dialog opens on s.
SystemDialogModel OpenSystemDialog(const SettingsValues& s, bool dataFileOpen);

// Which controls are enabled (and the hint shown), from the copies alone.
struct SystemControlState {
    bool RateList = true;
    bool GateRadios = true;
    bool Gate30 = true;
    bool UserGateFields = false;
    bool TwoFrequencyCheck = true;
    bool TwoFrequencyLists = false;
    bool Hint = false;  // "(Select Rates and Gains)"
    bool SurveyRadios = true;
    bool AutoTriggerList = false;
    bool ReceiverDelay = false;
    int32_t GainRow = 0;  // the enabled gain row's component, -1 for none
};
SystemControlState SystemControls(const SystemDialogModel& m);

// The handlers that change more than their own copy.
void SystemRateChosen(SystemDialogModel& m, int32_t rate);
void SystemGateChosen(SystemDialogModel& m, int32_t gateSet);
void SystemTwoFrequencyToggled(SystemDialogModel& m, bool on);

// List ids of the dialog whose texts SystemListTexts gives.
enum SystemList : int32_t {
    SystemListRate,
    SystemListCoil,
    SystemListCount,  // records per measurement and user gates
    SystemListProcessing,
    SystemListAveraging,
    SystemListComponent,
    SystemListRepetitionChoice,
    SystemListGain,
    SystemListTransmitter,
    SystemListAutoTrigger,
};
std::vector<WideString> SystemListTexts(int32_t list, int32_t powerLineFrequency);

// What the controls hold at OK.
struct SystemDialogEntries {
    int32_t Rate = 0, Coil = 0, Records = 0, Processing = 0, Averaging = 0, Component = 0;
    int32_t FirstChoice = 0, SecondChoice = 0, FirstGain = 0, SecondGain = 0;
    int32_t UserGateCountSelection = 0, Transmitter = 0, AutoTrigger = 0;
    double FirstGateTimeUs = 0.0, ReceiverDelayUs = 0.0, TxCurrent = 0.0, TurnOffTimeUs = 0.0, TxTurns = 0.0;
};

struct SystemOkResult {
    // Nothing written: a value too wide for the data file (TooWide), or one the configuration
    // loader would refuse (OutOfRange), on configuration line RefusedLine.
    bool Refused = false;
    FieldRefusalKind RefusedKind = FieldRefusalKind::None;
    int32_t RefusedLine = 0;
    double WarnedLimit = 0.0;    // the turn-off limit warned about, 0 for none
    bool FirstGateKept = false;  // a first gate time not above 0: the one before stays
};

// The OK: writes Settings and the derived values (gate tables rebuilt), corrects the
// combined turn-off delay onto the limit. The settings are checked by the configuration
// loader before anything is written.
SystemOkResult SystemDialogOk(const SystemDialogModel& m, const SystemDialogEntries& e, double samplePeriodUs,
                              int32_t internalTestMode);

// The dialog's number fields, with the configuration lines they land on: first gate time,
// receiver delay, current, turns, turn-off time.
extern const DialogField SystemNumberFields[5];

// What the operator is told when the first gate time is not above 0: "Value out of range.
// The first gate time stays <old, "%.2f"> us".
std::string FirstGateKeptText(double kept);

// UserGatesNullingValid from the stored user-gates table and the live settings.
void CheckUserGatesNulling();
