#include "vlox/display/print_inputs.h"

#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/review_plot.h"
#include "vlox/settings/settings.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

PrintReading ReadingForPrint(const ReviewReadingData& r, const double* values, int32_t tag)
{
    PrintReading p;
    p.Tag = tag;
    p.RateIndex = r.RepRateIndex;
    p.GateSet = r.GateSet;
    p.GateCount = std::clamp(r.GateCount, 0, MaxGateCount);
    std::memcpy(p.Values.data(), values, sizeof(double) * MaxGateCount);
    double centres[MaxGateCount];
    GateTimesOfReading(r, centres, p.TimeAxisLow, p.TimeAxisHigh);
    std::memcpy(p.CentresMs.data(), centres, sizeof centres);
    return p;
}

// The decay page draws what the screen draws: the reading shown, and the readings and averages
// the last selection read, from memory.
void GatherDecay(PrintPageInputs& in)
{
    PrintDecaySource& d = in.Decay;
    d.Selected = ReadingForPrint(ReviewReading, ReviewDisplayValues, ReviewShownTag);
    d.SelectedIndex = ReviewRecordIndex;
    if (in.ProcessingChoice == 1 || in.ProcessingChoice == 3) {
        for (int32_t i = 0; i < std::min(ReviewRecordCount, MaxReviewRecords); ++i) {
            PrintReading p;
            p.Tag = -1;  // a reading that was not read is left out
            if (const StationDrawingReading* r = StationDrawingReadingOf(i); r != nullptr && r->Read == 1) {
                p.Tag = ReviewRecordTags[i];
                p.RateIndex = r->RateIndex;
                p.GateSet = r->GateSet;
                p.GateCount = r->GateCount;
                std::memcpy(p.Values.data(), r->Values, sizeof r->Values);
                std::memcpy(p.CentresMs.data(), r->CentresMs, sizeof r->CentresMs);
                p.TimeAxisLow = r->LowMs;
                p.TimeAxisHigh = r->HighMs;
            }
            d.Station.push_back(p);
        }
    }
    if (in.ProcessingChoice == 2 || in.ProcessingChoice == 3) {
        for (int32_t k = 0; k < ReviewSlotCount; ++k) {
            PrintAverageSlot& slot = d.Slots[static_cast<size_t>(k)];
            slot.Count = StationSlotAverageCounts[k];
            if (slot.Count <= 0)
                continue;
            std::memcpy(slot.Values.data(), StationSlotAverages[k], sizeof(double) * MaxGateCount);
            const int32_t gateSet = k >= 7 ? 1 : 0;
            double centres[MaxGateCount];
            StandardGateTimes(StationSlotRates[k], gateSet, centres, slot.TimeAxisLow, slot.TimeAxisHigh);
            std::memcpy(slot.CentresMs.data(), centres, sizeof centres);
        }
    }
}

void GatherProfile(PrintPageInputs& in)
{
    const int32_t n = std::clamp(ReviewListedStationCount, 0, MaxReviewStations);
    for (int32_t s = 0; s < n; ++s) {
        in.Profile.Stations.push_back(ProfileStations[s]);
        std::array<double, MaxGateCount> row{};
        std::memcpy(row.data(), ProfileValues[s], sizeof(double) * MaxGateCount);
        in.Profile.Values.push_back(row);
    }
    in.Profile.GateCount = ReviewGates();
    in.Decay.Selected = ReadingForPrint(ReviewReading, ReviewDisplayValues, ReviewShownTag);
}

void GatherHeader(PrintHeaderInfo& h, const WideString& fileTitle)
{
    const ReviewReadingData& r = ReviewReading;
    h.FileTitle = fileTitle;
    h.DateText = r.DateText;
    h.TimeText = r.TimeText;
    h.LineNumber = ReviewLineNumber;
    h.StationNumber = ReviewStationNumber;
    h.RecordNumber = ReviewRecordNumber;
    h.RecordCount = ReviewRecordCount;
    h.LoopSideX = r.SideX;
    h.LoopSideY = r.SideY;
    h.TransmitterType = ReviewHeader.TransmitterType;
    h.TxCurrent = r.TxCurrent;
    h.TurnOffTimeUs = r.TurnOffTimeUs;
    h.RepetitionRate = r.RepetitionRate;
    h.CoilType = r.CoilType;
    h.Processing = r.ProcessingMethod;
    h.AveragingIndex = r.AveragingTimeIndex;
    h.Component = r.Component;
    h.GainZ = r.GainZ;
    h.GainX = r.GainX;
    h.GainY = r.GainY;
    h.GateCount = r.GateCount;
    h.GateSet = r.GateSet;
    h.OnTimeFlag = r.OnTimeMeasurement;
    h.ReceiverDelayUs = r.ReceiverDelayUs;
    h.MainsFlag = r.PowerLineFrequency;
    h.OperatorName = NarrowToWide(ReviewHeader.OperatorName);
    h.EarlyWindowValue = r.EarlyWindowValue;
    h.NumbersGateVisible = Settings.NumbersGateVisible;
}

}  // namespace

PrintPageInputs GatherReviewPageInputs(const PrintDeviceCaps& caps, const WideString& fileTitle)
{
    PrintPageInputs in;
    in.Caps = caps;
    in.Scale.TimeAxisMinMs = Settings.TimeAxisMinMs;
    in.Scale.TimeAxisMaxMs = Settings.TimeAxisMaxMs;
    in.Scale.TimeAxisLabels = Settings.TimeAxisLabels;
    in.Scale.TimeAxisMinorGrid = Settings.TimeAxisMinorGrid;
    in.Scale.AmplitudeAxisMin = Settings.AmplitudeAxisMin;
    in.Scale.AmplitudeAxisMax = Settings.AmplitudeAxisMax;
    in.Scale.AmplitudeAxisMinorGrid = Settings.AmplitudeAxisMinorGrid;
    in.Scale.DisplayUnit = Settings.DisplayUnit;
    in.ReviewMode = ReviewMode;
    in.ProcessingChoice = ProcessingChoice;

    GatherHeader(in.Header, fileTitle);
    if (ReviewMode == 1)
        GatherProfile(in);
    else
        GatherDecay(in);
    return in;
}
