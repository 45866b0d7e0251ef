// The parameter summary panel: the rows of the "System Parameters" box, live (the settings,
// which the popups change) or for a reviewed reading (its stored parameters, four more rows
// and a tighter spacing). The rows are computed here; parameter_panel_win.cpp draws them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/common/screen_layout.h"

// The parameters stored with a reviewed reading, as the panel shows them.
struct ReviewedPanelParameters {
    int32_t RepRateIndex = 0;
    int32_t CoilType = 0;
    int32_t RecordCount = 0;       // readings of the reviewed station
    int32_t ProcessingMethod = 0;  // 0 "Standard", 1 "Pruning"
    int32_t AveragingTimeIndex = 0;
    int32_t Component = 0;
    int32_t Gain = 0;  // code 0-6
    int32_t GateSet = 0;
    int32_t GateCount = 20;
    double FirstGateTimeUs = 0.0;
    int32_t OnTimeMeasurement = 0;
    double ReceiverDelayUs = 0.0;
    double TxCurrent = 0.0;
    double TurnOffTimeUs = 0.0;
    int32_t Read = 1;  // 0: the reading shown could not be read
};

struct ParameterPanelInput {
    bool Reviewing = false;  // ReviewMode is not -1
    const SettingsValues* Live = nullptr;
    int32_t GainCodeSent = 0;
    int32_t GateCount = 20;
    ReviewedPanelParameters Reviewed;
};

struct ParameterPanelRow {
    std::string Label;  // drawn in the normal font at LabelX on LabelY, not filled
    int32_t LabelY = 0;
    WideString Value;  // drawn in the bold font at the top left of ValueRect, after filling it
    FieldRect ValueRect;
    bool Clipped = false;  // clipped to ValueRect
};

// The rows in drawing order.
std::vector<ParameterPanelRow> ParameterPanelRows(const ParameterPanelInput& in, const StatusPanelLayout& panel);

// Single values, as the rows write them (names by index; an index outside its list gives an
// empty text).
WideString RepetitionLabel(int32_t powerLineFrequency, int32_t repRateIndex);
std::string AveragingTimeName(int32_t index);
std::string ComponentName(int32_t component);
std::string ProcessingName(int32_t method);
std::string DisplayUnitName(int32_t unit);
// A two-frequency choice (0-11): its rate index (0-6 itself, 7-11 minus 5) and gate count.
int32_t RateIndexOfChoice(int32_t choice);
int32_t GateCountOfChoice(int32_t choice);
// "%-2d" of the gain code + 1.
std::string GainText(int32_t gainCode);
// "20", "30", or "%d (%d us)" of the gate count and the first gate time truncated.
std::string GatesText(int32_t gateSet, int32_t gateCount, double firstGateTimeUs);
// "%3d" with the leading blanks removed.
std::string RecordsText(int32_t records);
// "%8.2f m": the map size field.
std::string MapSizeText(double metres);

// The map size under the map pane, as both its painters write it (the parameter panel and the
// status panel's field, both in the normal font): the size of the map shown there, the review
// map's while reviewing.
std::string MapSizeField(bool reviewing, double mapSize, double reviewMapSize);
