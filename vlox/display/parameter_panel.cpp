#include "vlox/display/parameter_panel.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "vlox/datafile/trim.h"
#include "vlox/settings/rate_tables.h"

namespace {

// Truncated toward zero; NaN or out-of-range values give 0 rather than an undefined cast.
int32_t Truncated(double value)
{
    if (!(std::fabs(value) < static_cast<double>(std::numeric_limits<int32_t>::max())))
        return 0;
    return static_cast<int32_t>(value);
}

template <size_t N>
std::string Named(const char* const (&names)[N], int32_t index)
{
    if (index < 0 || index >= static_cast<int32_t>(N))
        return std::string();
    return names[index];
}

WideString Wide(const std::string& text)
{
    return NarrowToWide(text);
}

}  // namespace

WideString RepetitionLabel(int32_t powerLineFrequency, int32_t repRateIndex)
{
    if (repRateIndex < 0 || repRateIndex >= RepRateCount)
        return WideString();
    return powerLineFrequency != 0 ? RepRateLabels60Hz[repRateIndex] : RepRateLabels50Hz[repRateIndex];
}

std::string AveragingTimeName(int32_t index)
{
    static const char* const names[] = {"0.5 s", "1 s", "2 s", "4 s", "8 s", "15 s", "30 s", "60 s", "120 s"};
    return Named(names, index);
}

std::string ComponentName(int32_t component)
{
    static const char* const names[] = {"Z", "X", "Y"};
    return Named(names, component);
}

std::string ProcessingName(int32_t method)
{
    static const char* const names[] = {"Standard", "Pruning"};
    return Named(names, method);
}

std::string DisplayUnitName(int32_t unit)
{
    static const char* const names[] = {"nV/m2", "mV", "nT/s", "pT", "mS/m", "Ohm-m"};
    return Named(names, unit);
}

int32_t RateIndexOfChoice(int32_t choice)
{
    return choice >= 7 ? choice - 5 : choice;
}

int32_t GateCountOfChoice(int32_t choice)
{
    return choice >= 7 ? 30 : 20;
}

std::string GainText(int32_t gainCode)
{
    return FormatText("%-2d", gainCode + 1);
}

std::string GatesText(int32_t gateSet, int32_t gateCount, double firstGateTimeUs)
{
    if (gateSet == 0)
        return "20";
    if (gateSet == 1)
        return "30";
    if (gateSet == 2)
        return FormatText("%d (%d us)", gateCount, Truncated(firstGateTimeUs));
    return std::string();
}

std::string RecordsText(int32_t records)
{
    std::string text = FormatText("%3d", records);
    TrimText(text, 1);
    return text;
}

std::vector<ParameterPanelRow> ParameterPanelRows(const ParameterPanelInput& in, const StatusPanelLayout& panel)
{
    std::vector<ParameterPanelRow> rows;
    if (in.Live == nullptr)
        return rows;
    const SettingsValues& s = *in.Live;
    const int32_t mains = s.PowerLineFrequency;

    // Row k of the live or review column: its label's y and its value rectangle.
    auto add = [&](const char* label, int32_t k, WideString value, bool clipped) {
        ParameterPanelRow row;
        row.Label = label;
        if (in.Reviewing) {
            row.LabelY = panel.ReviewRowY[k];
            row.ValueRect = panel.PanelItemRectsReview[k - 2];
        } else {
            row.LabelY = panel.SystemRowY[k];
            row.ValueRect = panel.PanelItemRectsLive[k - 2];
        }
        row.Value = std::move(value);
        row.Clipped = clipped;
        rows.push_back(std::move(row));
    };

    if (in.Reviewing) {
        const ReviewedPanelParameters& r = in.Reviewed;
        const WideString coil =
            r.CoilType >= 0 && r.CoilType < CoilTypeCount ? WideString(CoilTypeNames[r.CoilType]) : WideString();
        // A reading shown that could not be read has no parameters to show.
        auto of = [&r](WideString v) { return r.Read != 0 ? v : WideString(); };
        add("Repetition:   ", 2, of(RepetitionLabel(mains, r.RepRateIndex)), false);
        add("Coil Type: ", 3, of(coil), false);
        add("Records: ", 4, Wide(RecordsText(r.RecordCount)), false);
        add("Process: ", 5, of(Wide(ProcessingName(r.ProcessingMethod))), false);
        add("Average: ", 6, of(Wide(AveragingTimeName(r.AveragingTimeIndex))), false);
        add("Compon.: ", 7, of(Wide(ComponentName(r.Component))), false);
        add("Gain:", 8, of(Wide(GainText(r.Gain))), false);
        add("Gates:", 9, of(Wide(GatesText(r.GateSet, r.GateCount, r.FirstGateTimeUs))), false);
        add("On Time:", 10, of(Wide(r.OnTimeMeasurement == 1 ? FormatText("%-.2f us", r.ReceiverDelayUs) : "No")),
            true);
        add("Units: ", 11, Wide(DisplayUnitName(s.DisplayUnit)), false);
        add("Tx Current:", 12, of(Wide(FormatText("%-.2f A", r.TxCurrent))), true);
        add("Turn Off:", 13, of(Wide(FormatText("%-.2f us", r.TurnOffTimeUs))), true);
        return rows;
    }

    const bool two = s.TwoFrequencyMode != 0;
    WideString repetition;
    if (two) {
        repetition = RepetitionLabel(mains, RateIndexOfChoice(s.FirstRepetitionChoice)) + VLOX_WIDE(" & ") +
                     RepetitionLabel(mains, RateIndexOfChoice(s.SecondRepetitionChoice));
    } else {
        repetition = RepetitionLabel(mains, s.RepRateIndex);
    }
    add("Repetition:   ", 2, repetition, false);
    add("Records: ", 3, Wide(RecordsText(s.RecordCountIndex + 1)), false);
    add("Average: ", 4, Wide(AveragingTimeName(s.AveragingTimeIndex)), false);
    add("Compon.: ", 5, Wide(ComponentName(s.SelectedComponent)), false);
    add("Gain:", 6,
        Wide(two ? GainText(s.FirstRepetitionGain) + " & " + GainText(s.SecondRepetitionGain)
                 : GainText(in.GainCodeSent)),
        false);
    std::string gates;
    if (two)
        gates = FormatText("%d", GateCountOfChoice(s.FirstRepetitionChoice)) + " & " +
                FormatText("%d", GateCountOfChoice(s.SecondRepetitionChoice));
    else
        gates = GatesText(s.GateSet, in.GateCount, s.FirstGateTimeUs);
    add("Gates:", 7, Wide(gates), false);
    add("Units: ", 8, Wide(DisplayUnitName(s.DisplayUnit)), false);
    add("Tx Current:", 9, Wide(FormatText("%-.2f A", s.TxCurrent)), true);
    add("Turn Off:", 10, Wide(FormatText("%-.2f us", s.TurnOffTimeUs)), true);
    return rows;
}

std::string MapSizeText(double metres)
{
    return FormatText("%8.2f m", metres);
}

std::string MapSizeField(bool reviewing, double mapSize, double reviewMapSize)
{
    return MapSizeText(reviewing ? reviewMapSize : mapSize);
}
