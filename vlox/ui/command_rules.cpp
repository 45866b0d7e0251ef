#include "vlox/ui/command_rules.h"

#include <limits>

int32_t ReversedLineDirection(int32_t direction)
{
    switch (direction) {
    case 0:
        return 1;
    case 1:
        return 0;
    case 2:
        return 3;
    case 3:
        return 2;
    default:
        return direction;
    }
}

void StepStation(bool next, const SettingsValues& s, double& currentStation, int32_t& readingCounter)
{
    readingCounter = 0;
    if (next)
        currentStation += s.StationIncrement;
    else
        currentStation -= s.StationIncrement;
}

void StepLine(bool next, SettingsValues& s, double& currentStation, int32_t& readingCounter)
{
    readingCounter = 0;
    if (next)
        s.SurveyLine += s.LineIncrement;
    else
        s.SurveyLine -= s.LineIncrement;
    if (s.LineSequence == 0) {
        s.StationIncrement = -s.StationIncrement;
        s.LineDirection = ReversedLineDirection(s.LineDirection);
    } else if (s.LineSequence == 1) {
        currentStation = s.StartStation;
    }
}

void AdvanceStationAfterStore(const SettingsValues& s, double& currentStation, int32_t& readingCounter,
                              int32_t& previousReadingCounter)
{
    previousReadingCounter = readingCounter;
    readingCounter = 0;
    currentStation += s.StationIncrement;
}

void RepeatLastStation(const SettingsValues& s, double& currentStation, int32_t& readingCounter,
                       int32_t previousReadingCounter)
{
    readingCounter = previousReadingCounter;
    currentStation -= s.StationIncrement;
}

bool StepReviewIndex(bool next, int32_t count, int32_t& index)
{
    if (next) {
        if (index >= count - 1)
            return false;
        ++index;
        return true;
    }
    if (index <= 0)
        return false;
    --index;
    return true;
}

bool ReviewSelectionInList(int32_t selection, int32_t count)
{
    return selection >= 0 && selection < count;
}

int32_t AutoTriggerIntervalForMeasure(int32_t averagingTimeMs, int32_t autoTriggerIntervalMs)
{
    if (static_cast<uint32_t>(averagingTimeMs) >= static_cast<uint32_t>(autoTriggerIntervalMs))
        return 0;
    return autoTriggerIntervalMs;
}

const double NullingTimeFactors[RepRateCount] = {4, 15, 35, 200, 600, 2500, 6500};

namespace {

double RateEstimate(const int32_t (&targetRow)[StackTargetSlots], int32_t r)
{
    return 14.0 * NullingTimeFactors[r] * targetRow[r] / 1000.0;
}

}  // namespace

double FullNullingEstimate(const int32_t (&targetRow)[StackTargetSlots])
{
    double seconds = 0.0;
    for (int32_t r = 0; r < RepRateCount; ++r)
        seconds += RateEstimate(targetRow, r);
    return seconds;
}

double SelectiveNullingEstimate(const int32_t (&targetRow)[StackTargetSlots], const int32_t (&selected)[RepRateCount])
{
    // Counted from 0 for every run: a second run must not add to the first one's estimate.
    double seconds = 0.0;
    for (int32_t r = RepRateCount - 1; r >= 0; --r) {
        if (selected[r] == 1)
            seconds += RateEstimate(targetRow, r);
    }
    return seconds;
}

double UserGatesNullingEstimate(const int32_t (&targetRow)[StackTargetSlots], int32_t repRateIndex)
{
    if (repRateIndex < 0 || repRateIndex >= RepRateCount)
        return 0.0;
    return static_cast<double>(targetRow[repRateIndex]) * NullingTimeFactors[repRateIndex];
}

int32_t NullingMainsHz(int32_t powerLineFrequency)
{
    return powerLineFrequency == 0 ? 50 : 60;
}

int32_t EstimateWholeSeconds(double seconds)
{
    if (!(seconds > 0.0))
        return 0;
    if (seconds >= static_cast<double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(seconds);
}

std::string NullingConfirmText(NullingKind kind, int32_t mainsHz, double estimateSeconds)
{
    if (kind == NullingKind::UserGates)
        return FormatText("%s\r\n%d Hz\r\n%s", "Ready to perform User Gates setup nulling for ", mainsHz,
                          "power line frequency.");
    const bool full = kind == NullingKind::Full;
    const char* ready = full ? "Ready to perform full nulling for " : "Ready to perform selective nulling for ";
    const char* estimated = full ? "Estimated time approx. " : "Estimated time (based on Average) approx. ";
    const int32_t total = EstimateWholeSeconds(estimateSeconds);
    if (estimateSeconds >= 60.0) {
        const int32_t minutes = total / 60;
        const int32_t seconds = total - 60 * minutes;
        return FormatText("%s %d Hz  %s\r\n%s %2d:%02d min", ready, mainsHz, "power line frequency.", estimated,
                          minutes, seconds);
    }
    return FormatText("%s %d Hz  %s\r\n%s %4d s", ready, mainsHz, "power line frequency.", estimated, total);
}

std::string NullingProgressTitle(double estimateSeconds)
{
    const int32_t total = EstimateWholeSeconds(estimateSeconds);
    if (estimateSeconds >= 60.0) {
        const int32_t minutes = total / 60;
        return FormatText("Nulling Progress (approx. %2d:%02d min)", minutes, total - 60 * minutes);
    }
    return FormatText("Nulling Progress (approx.  %4d s)", total);
}

void StoreGpsSentences(int32_t gpsInput, int32_t gpsNmeaData, uint32_t readingEndTick, uint32_t averagingStartTick,
                       StoreGpsOps& ops)
{
    if (gpsInput <= 0)
        return;
    // After a long reading only sentences received from now on describe where it ended.
    if (readingEndTick - averagingStartTick > StaleSentenceMs)
        ops.ClearFresh();
    // A port that is not open sends nothing: waiting would only freeze the screen.
    const bool canArrive = ops.SentencesCanArrive();
    if (canArrive && !ops.Fresh(0))
        ops.WaitFresh(0, GgaWaitMs);
    const bool withGsa = gpsNmeaData == 0;
    if (canArrive && withGsa && !ops.Fresh(1))
        ops.WaitFresh(1, GsaWaitMs);

    ops.SetCopyHold(1);
    const int32_t kinds = withGsa ? 2 : 1;
    for (int32_t kind = 0; kind < kinds; ++kind) {
        std::string text;
        uint32_t tick = 0;
        if (ops.Fresh(kind) && ops.Copy(kind, text, tick))
            ops.Store(text, tick, '@', '#');
        else
            ops.Store(kind == 0 ? GgaMissingText : GsaMissingText, ops.Now(), '?', '"');
    }
    ops.SetCopyHold(0);
    ops.ClearFresh();
}

namespace {

const ChildProgram kChildPrograms[] = {
    {53, "IXV-LOX.exe", "Inversion analysis"},  {56, "ConvertVLXtoUSF.exe", "USF Format"},
    {57, "ConvertVLXtoLZ5.exe", "LZ5 format"},  {58, "ConvertVLXtoXYZ.exe", "XYZ format"},
    {59, "ConvertVLXtoTXT.exe", "Text format"},
};

}  // namespace

const ChildProgram* ChildProgramFor(int32_t command)
{
    for (const ChildProgram& p : kChildPrograms)
        if (p.command == command)
            return &p;
    return nullptr;
}

std::string ChildProgramMissingText(const ChildProgram& program)
{
    return std::string(program.file) + " not found";
}
