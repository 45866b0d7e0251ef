#include "vlox/datafile/review_selection.h"

#include "vlox/datafile/comments.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/settings/rate_tables.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

int32_t StationSlotCounts[MaxReviewStations][ReviewSlotCount];
int32_t StationUserGateCounts[MaxReviewStations][RepRateCount][MaxGateCount + 1];
int32_t SlotStationCounts[ReviewSlotCount];
int32_t UserGateSetStationCounts[RepRateCount][MaxGateCount + 1];
int32_t ReviewSlot = 0;
int32_t ReviewUserGateCount = 0;
double ProfileStations[MaxReviewStations];
int32_t ProfileStationOffsets[MaxReviewStations];
double ProfileValues[MaxReviewStations][MaxGateCount];
int32_t ProfileRecordNumbers[MaxReviewRecords];
int32_t ProfileRecordTags[MaxReviewRecords];
int64_t ProfileRecordOffsets[MaxReviewRecords];
double StationSlotAverages[ReviewSlotCount][MaxGateCount];
int32_t StationSlotAverageCounts[ReviewSlotCount];
int32_t StationSlotRates[ReviewSlotCount];
int32_t UserGateReadingsSkipped = 0;
int32_t ReviewRepetitionMains = 1;
StationDrawingReading StationDrawingReadings[MaxReviewRecords];
int32_t StationDrawingCount = 0;

namespace {

void Report(const ReviewContext& ctx, const FileMessage& msg)
{
    if (ctx.Report != nullptr && !msg.Text.empty())
        ctx.Report(msg);
}

int32_t StationCount()
{
    return ReviewStationCount < 0 ? 0
                                  : (ReviewStationCount > MaxReviewStations ? MaxReviewStations : ReviewStationCount);
}

int32_t RecordCount()
{
    return ReviewRecordCount < 0 ? 0 : (ReviewRecordCount > MaxReviewRecords ? MaxReviewRecords : ReviewRecordCount);
}

bool ReadStation(const ReviewContext& ctx, int32_t s)
{
    FileMessage msg;
    if (ReadStationRecords(*ctx.File, ReviewStationOffsets[s], msg) == 1)
        return true;
    Report(ctx, msg);
    return false;
}

// The reading at offset, read only (no conversion). False after the message.
bool ReadOnly(const ReviewContext& ctx, int64_t offset, ReviewReadingData& r)
{
    FileMessage msg;
    if (ReadMeasurementRecord(*ctx.File, offset, r, msg) == 1)
        return true;
    Report(ctx, msg);
    return false;
}

RepetitionGates GatesOfSlot(int32_t slot)
{
    if (slot >= 7)
        return {slot - 5, 1, 30};
    return {slot, 0, 20};
}

bool Matches(const ReviewReadingData& r, const RepetitionGates& m, bool countToo)
{
    if (r.RepRateIndex != m.RateIndex || r.GateSet != m.GateSet)
        return false;
    return !countToo || r.GateCount == m.GateCount;
}

// Steps 3-5 of a selection: the listed stations, their profile rows and the readings of the
// first listed station; the routine that shows places shows the first of them.
int32_t SelectProfile(const ReviewContext& ctx, const RepetitionGates& m, bool userSet,
                      const int32_t (&count)[MaxReviewStations])
{
    ReviewListedStationCount = 0;
    for (int32_t s = 0; s < StationCount(); ++s) {
        if (count[s] <= 0)
            continue;
        ProfileStations[ReviewListedStationCount] = ReviewStationValues[s];
        ProfileStationOffsets[ReviewListedStationCount] = s;
        ++ReviewListedStationCount;
    }
    for (int32_t k = 0; k < ReviewListedStationCount; ++k) {
        if (!ReadStation(ctx, ProfileStationOffsets[k]))
            continue;
        for (int32_t i = 0; i < RecordCount(); ++i) {
            ReviewReadingData r;
            if (!ReadOnly(ctx, ReviewRecordOffsets[i], r) || !Matches(r, m, userSet))
                continue;
            // At its own gate times: the review's tables belong to the reading shown.
            double centres[MaxGateCount], low = 0.0, high = 0.0, values[MaxGateCount] = {};
            GateTimesOfReading(r, centres, low, high);
            if (ctx.Convert != nullptr)
                ctx.Convert(r, centres, values);
            std::memcpy(ProfileValues[k], values, sizeof values);
            break;
        }
    }
    return SelectReviewStation(ctx, 0, userSet ? ReviewStandardEntryCount : 0);
}

// Whether the decay drawing by processing needs the station's reading of tag.
bool DrawingNeedsReading(int32_t processing, bool gateLabels, int32_t tag)
{
    switch (processing) {
    case 1:
        return gateLabels || tag == 1;
    case 2:
    case 3:
        return tag != -1;
    default:
        return false;
    }
}

}  // namespace

int32_t SlotOf(int32_t repRateIndex, int32_t gateSet)
{
    if (repRateIndex < 0 || repRateIndex >= RepRateCount)
        return -1;
    if (gateSet == 0 || (gateSet == 1 && repRateIndex <= 1))
        return repRateIndex;
    if (gateSet == 1)
        return repRateIndex + 5;
    return -1;
}

std::string SlotLabel(int32_t slot, int32_t mains)
{
    static const char* const labels60[ReviewSlotCount] = {"285Hz/20", "75Hz/20",   "30Hz/20",   "7.5Hz/20",
                                                          "3Hz/20",   "0.75Hz/20", "0.3Hz/20",  "30Hz/30",
                                                          "7.5Hz/30", "3Hz/30",    "0.75Hz/30", "0.3Hz/30"};
    static const char* const labels50[ReviewSlotCount] = {"237.5Hz/20", "62.5Hz/20",  "25Hz/20",    "6.25Hz/20",
                                                          "2.5Hz/20",   "0.625Hz/20", "0.25Hz/20",  "25Hz/30",
                                                          "6.25Hz/30",  "2.5Hz/30",   "0.625Hz/30", "0.25Hz/30"};
    if (slot < 0 || slot >= ReviewSlotCount)
        return std::string();
    return mains == 1 ? labels60[slot] : labels50[slot];
}

std::string UserGateSetLabel(int32_t repRateIndex, int32_t gateCount, int32_t mains)
{
    if (repRateIndex < 0 || repRateIndex >= RepRateCount)
        return std::string();
    char text[32];
    std::snprintf(text, sizeof text, "%dHz/%d", static_cast<int>(RepRateValue(mains, repRateIndex)),
                  static_cast<int>(gateCount));
    return text;
}

std::string StationListText(double station)
{
    char text[400];
    std::snprintf(text, sizeof text, "%f", station);
    std::string t(text);
    while (!t.empty() && t.back() == '0')
        t.pop_back();
    if (!t.empty() && t.back() == '.')
        t.pop_back();
    while (!t.empty() && t.back() == ' ')
        t.pop_back();
    return t;
}

std::string RecordListText(int32_t number, int32_t tag)
{
    std::string t = std::to_string(number);
    if (tag == -1)
        t += "X";
    return t;
}

void ResetReviewSelection()
{
    std::memset(StationSlotCounts, 0, sizeof StationSlotCounts);
    std::memset(StationUserGateCounts, 0, sizeof StationUserGateCounts);
    std::memset(SlotStationCounts, 0, sizeof SlotStationCounts);
    std::memset(UserGateSetStationCounts, 0, sizeof UserGateSetStationCounts);
    std::memset(StationSlotAverageCounts, 0, sizeof StationSlotAverageCounts);
    ReviewListedStationCount = 0;
    ProfileRecordCount = 0;
    ReviewStandardEntryCount = 0;
    ReviewUserGateEntryCount = 0;
    UserGateReadingsSkipped = 0;
    StationDrawingCount = 0;
}

int32_t ReadStationDrawing(const ReviewContext& ctx, int32_t processing, bool gateLabels, FileMessage& firstFailure)
{
    int32_t failed = 0;
    StationDrawingCount = RecordCount();
    for (int32_t i = 0; i < StationDrawingCount; ++i) {
        StationDrawingReading& d = StationDrawingReadings[i];
        d = StationDrawingReading{};
        if (!DrawingNeedsReading(processing, gateLabels, ReviewRecordTags[i]))
            continue;
        d.Offset = ReviewRecordOffsets[i];
        ReviewReadingData r;
        FileMessage msg;
        if (ReadMeasurementRecord(*ctx.File, d.Offset, r, msg) == 0) {
            if (failed++ == 0)
                firstFailure = msg;
            continue;
        }
        d.Read = 1;
        d.RateIndex = r.RepRateIndex;
        d.GateSet = r.GateSet;
        d.GateCount = r.GateCount < 0 ? 0 : (r.GateCount > MaxGateCount ? MaxGateCount : r.GateCount);
        GateTimesOfReading(r, d.CentresMs, d.LowMs, d.HighMs);
        if (ctx.Convert != nullptr)
            ctx.Convert(r, d.CentresMs, d.Values);
    }
    AverageStationRecords();
    return failed;
}

const StationDrawingReading* StationDrawingReadingOf(int32_t i)
{
    if (i < 0 || i >= StationDrawingCount || i >= RecordCount())
        return nullptr;
    const StationDrawingReading& d = StationDrawingReadings[i];
    return d.Offset >= 0 && d.Offset == ReviewRecordOffsets[i] ? &d : nullptr;
}

int32_t CountStationRepetitions(const ReviewContext& ctx)
{
    const int32_t stations = StationCount();
    std::memset(StationSlotCounts, 0, sizeof StationSlotCounts);
    std::memset(StationUserGateCounts, 0, sizeof StationUserGateCounts);
    for (int32_t s = 0; s < stations; ++s) {
        if (!ReadStation(ctx, s))
            continue;
        for (int32_t i = 0; i < RecordCount(); ++i) {
            if (ReviewRecordTags[i] == -1)
                continue;
            ReviewReadingData r;
            if (!ReadOnly(ctx, ReviewRecordOffsets[i], r))
                continue;
            ReviewRepetitionMains = r.PowerLineFrequency;
            if (r.GateSet == 2)
                ++StationUserGateCounts[s][r.RepRateIndex][r.GateCount];
            else if (const int32_t slot = SlotOf(r.RepRateIndex, r.GateSet); slot >= 0)
                ++StationSlotCounts[s][slot];
        }
    }
    bool any = false;
    for (int32_t k = 0; k < ReviewSlotCount; ++k) {
        SlotStationCounts[k] = 0;
        for (int32_t s = 0; s < stations; ++s)
            if (StationSlotCounts[s][k] > 0)
                ++SlotStationCounts[k];
        any = any || SlotStationCounts[k] > 0;
    }
    for (int32_t r = 0; r < RepRateCount; ++r)
        for (int32_t n = 0; n <= MaxGateCount; ++n) {
            UserGateSetStationCounts[r][n] = 0;
            for (int32_t s = 0; s < stations; ++s)
                if (StationUserGateCounts[s][r][n] > 0)
                    ++UserGateSetStationCounts[r][n];
            any = any || UserGateSetStationCounts[r][n] > 0;
        }
    return any ? 0 : -1;
}

std::vector<std::string> RepetitionListLabels(int32_t mains)
{
    std::vector<std::string> labels;
    ReviewStandardEntryCount = 0;
    ReviewUserGateEntryCount = 0;
    for (int32_t k = 0; k < ReviewSlotCount; ++k)
        if (SlotStationCounts[k] > 1) {
            labels.push_back(SlotLabel(k, mains));
            ++ReviewStandardEntryCount;
        }
    for (int32_t r = 0; r < RepRateCount; ++r)
        for (int32_t n = 1; n <= MaxGateCount; ++n)
            if (UserGateSetStationCounts[r][n] > 1) {
                labels.push_back(UserGateSetLabel(r, n, mains));
                ++ReviewUserGateEntryCount;
            }
    return labels;
}

int32_t SelectReviewRepetition(const ReviewContext& ctx, int32_t choice)
{
    if (choice < 0 || choice >= ReviewStandardEntryCount)
        return 0;
    int32_t listed = -1;
    for (int32_t k = 0; k < ReviewSlotCount; ++k)
        if (SlotStationCounts[k] > 1 && ++listed == choice) {
            ReviewSlot = k;
            break;
        }
    if (listed != choice)
        return 0;
    int32_t count[MaxReviewStations] = {};
    for (int32_t s = 0; s < StationCount(); ++s)
        count[s] = StationSlotCounts[s][ReviewSlot];
    return SelectProfile(ctx, GatesOfSlot(ReviewSlot), false, count);
}

int32_t SelectReviewUserGateSet(const ReviewContext& ctx, int32_t choice)
{
    const int32_t index = choice - ReviewStandardEntryCount;
    if (index < 0 || index >= ReviewUserGateEntryCount)
        return 0;
    int32_t listed = -1;
    for (int32_t r = 0; r < RepRateCount && listed != index; ++r)
        for (int32_t n = 1; n <= MaxGateCount; ++n)
            if (UserGateSetStationCounts[r][n] > 1 && ++listed == index) {
                ReviewSlot = r;
                ReviewUserGateCount = n;
                break;
            }
    if (listed != index)
        return 0;
    int32_t count[MaxReviewStations] = {};
    for (int32_t s = 0; s < StationCount(); ++s)
        count[s] = StationUserGateCounts[s][ReviewSlot][ReviewUserGateCount];
    return SelectProfile(ctx, RepetitionGates{ReviewSlot, 2, ReviewUserGateCount}, true, count);
}

int32_t SelectReviewStation(const ReviewContext& ctx, int32_t k, int32_t choice)
{
    ProfileRecordCount = 0;
    if (k < 0 || k >= ReviewListedStationCount || !ReadStation(ctx, ProfileStationOffsets[k]))
        return 0;
    const RepetitionGates m = RepetitionGatesOf(choice);
    for (int32_t i = 0; i < RecordCount(); ++i) {
        if (ReviewRecordTags[i] == -1)
            continue;
        ReviewReadingData r;
        if (!ReadOnly(ctx, ReviewRecordOffsets[i], r) || !Matches(r, m, true))
            continue;
        ProfileRecordNumbers[ProfileRecordCount] = ReviewRecordNumbers[i];
        ProfileRecordTags[ProfileRecordCount] = ReviewRecordTags[i];
        ProfileRecordOffsets[ProfileRecordCount] = ReviewRecordOffsets[i];
        ++ProfileRecordCount;
    }
    return ProfileRecordCount > 0 ? 1 : 0;
}

RepetitionGates RepetitionGatesOf(int32_t choice)
{
    return choice >= ReviewStandardEntryCount ? RepetitionGates{ReviewSlot, 2, ReviewUserGateCount}
                                              : GatesOfSlot(ReviewSlot);
}

int32_t RepetitionEntryOf(int32_t slot, int32_t userGateCount, bool userSet)
{
    int32_t entry = 0;
    for (int32_t k = 0; k < ReviewSlotCount; ++k)
        if (SlotStationCounts[k] > 1) {
            if (!userSet && k == slot)
                return entry;
            ++entry;
        }
    for (int32_t r = 0; r < RepRateCount; ++r)
        for (int32_t n = 1; n <= MaxGateCount; ++n)
            if (UserGateSetStationCounts[r][n] > 1) {
                if (userSet && r == slot && n == userGateCount)
                    return entry;
                ++entry;
            }
    return -1;
}

int32_t NearestListedStation(int32_t lineStation, double station)
{
    int32_t nearest = -1;
    for (int32_t k = 0; k < ReviewListedStationCount && k < MaxReviewStations; ++k) {
        if (ProfileStationOffsets[k] == lineStation)
            return k;
        const double d = std::fabs(ProfileStations[k] - station);
        const double best = nearest < 0 ? 0.0 : std::fabs(ProfileStations[nearest] - station);
        if (nearest < 0 || d < best || (d == best && ProfileStations[k] < ProfileStations[nearest]))
            nearest = k;
    }
    return nearest;
}

void AverageStationRecords()
{
    std::memset(StationSlotAverages, 0, sizeof StationSlotAverages);
    std::memset(StationSlotAverageCounts, 0, sizeof StationSlotAverageCounts);
    std::memset(StationSlotRates, 0, sizeof StationSlotRates);
    UserGateReadingsSkipped = 0;
    for (int32_t i = 0; i < RecordCount(); ++i) {
        const StationDrawingReading* d = StationDrawingReadingOf(i);
        if (ReviewRecordTags[i] == -1 || d == nullptr || d->Read == 0)
            continue;
        if (d->GateSet == 2) {
            ++UserGateReadingsSkipped;
            continue;
        }
        const int32_t slot = SlotOf(d->RateIndex, d->GateSet);
        if (slot < 0)
            continue;
        StationSlotRates[slot] = d->RateIndex;
        ++StationSlotAverageCounts[slot];
        for (int32_t g = 0; g < d->GateCount; ++g)
            StationSlotAverages[slot][g] += d->Values[g];
    }
    for (int32_t k = 0; k < ReviewSlotCount; ++k)
        if (StationSlotAverageCounts[k] > 0)
            for (double& v : StationSlotAverages[k])
                v /= StationSlotAverageCounts[k];
}

void ReviewAxisLimits(double smallest, double largest, double& axisMin, double& axisMax)
{
    if (!std::isfinite(smallest) || !std::isfinite(largest)) {
        axisMin = 0.0;
        axisMax = 1.0;
        return;
    }
    if (smallest > -1.0 && smallest < 1.0) {
        axisMin = smallest >= 0.0 ? 0.0 : -1.0;
    } else {
        const double step = std::pow(10.0, std::trunc(std::log10(std::fabs(smallest))));
        // The first multiple of the step strictly below the value.
        double k = std::floor(smallest / step);
        if (k * step >= smallest)
            k -= 1.0;
        axisMin = k * step;
    }
    if (largest > -1.0 && largest < 1.0) {
        axisMax = largest >= 0.0 ? 1.0 : 0.0;
    } else {
        const double step = std::pow(10.0, std::trunc(std::log10(std::fabs(largest))));
        // Counting up from the step itself: the first multiple strictly above the value.
        axisMax = largest < step ? step : (std::floor(largest / step) + 1.0) * step;
    }
    if (!std::isfinite(axisMin))
        axisMin = -std::numeric_limits<double>::max();
    if (!std::isfinite(axisMax))
        axisMax = std::numeric_limits<double>::max();
}

void AutoScaleReview(int32_t reviewMode, const double* liveValues, int32_t liveCount, double& axisMin, double& axisMax)
{
    double smallest = 0.0, largest = 0.0;
    bool first = true, source = true;
    auto take = [&](double v) {
        if (!std::isfinite(v))
            return;
        if (first || v < smallest)
            smallest = v;
        if (first || v > largest)
            largest = v;
        first = false;
    };
    if (reviewMode == -1) {
        for (int32_t g = 0; liveValues != nullptr && g < liveCount && g < MaxGateCount; ++g)
            take(liveValues[g]);
    } else if (reviewMode == 1) {
        const int32_t gates = ReviewReading.GateCount < MaxGateCount ? ReviewReading.GateCount : MaxGateCount;
        for (int32_t s = 0; s < ReviewListedStationCount; ++s)
            for (int32_t g = 0; g < gates; ++g)
                take(ProfileValues[s][g]);
    } else {
        switch (ProcessingChoice) {
        case 0:
            for (int32_t g = 0; g < ReviewReading.GateCount && g < MaxGateCount; ++g)
                take(ReviewDisplayValues[g]);
            break;
        case 1:
            for (int32_t i = 0; i < RecordCount(); ++i) {
                const StationDrawingReading* d = StationDrawingReadingOf(i);
                if (ReviewRecordTags[i] != 1 || d == nullptr || d->Read == 0)
                    continue;
                for (int32_t g = 0; g < d->GateCount; ++g)
                    take(d->Values[g]);
            }
            break;
        case 2:
        case 3:
            for (int32_t k = 0; k < ReviewSlotCount; ++k)
                if (StationSlotAverageCounts[k] > 0)
                    for (double v : StationSlotAverages[k])
                        take(v);
            break;
        default:
            source = false;
            break;
        }
    }
    if (source && largest < 10.0)
        largest = 10.0;
    ReviewAxisLimits(smallest, largest, axisMin, axisMax);
}

int32_t SeekPastReading(RecordFile& f, int64_t offset, FileMessage& msg)
{
    ReviewReadingData r;
    return offset >= 0 ? ReadMeasurementRecord(f, offset, r, msg) : 0;
}

int32_t EntryOfOffset(const int64_t* offsets, int32_t count, int64_t offset)
{
    for (int32_t i = 0; offsets != nullptr && i < count; ++i)
        if (offsets[i] == offset)
            return i;
    return -1;
}
