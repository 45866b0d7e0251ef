#include "vlox/ui/view_dialogs.h"

#include <cmath>

#include "resources/view_ids.h"
#include "vlox/display/curve_plot.h"
#include "vlox/settings/config_file.h"
#include "vlox/settings/textconv.h"

namespace {

bool InList(int32_t selection, int32_t count)
{
    return selection >= 0 && selection < count;
}

int32_t Flag(int32_t v)
{
    return v != 0 ? 1 : 0;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Plot Scale Setup

const int32_t StationsPerProfileChoices[StationsPerProfileChoiceCount] = {10, 20, 30, 40, 50, 70, 100, 150, 200, 300};
int32_t StationsPerProfileIndex = 4;

PlotScaleFields PlotScaleFieldsFrom(const SettingsValues& s, int32_t stationsIndex)
{
    PlotScaleFields f;
    f.TimeMinMs = s.TimeAxisMinMs;
    f.TimeMaxMs = s.TimeAxisMaxMs;
    f.AmplitudeMin = s.AmplitudeAxisMin;
    f.AmplitudeMax = s.AmplitudeAxisMax;
    f.LinearMin = s.LinearSectionMin;
    f.LinearMax = s.LinearSectionMax;
    f.TimeAxisLabels = s.TimeAxisLabels;
    f.DisplayUnit = s.DisplayUnit;
    f.TimeMinorGrid = s.TimeAxisMinorGrid;
    f.AmplitudeMinorGrid = s.AmplitudeAxisMinorGrid;
    f.TimeAutoScale = s.TimeAxisAutoScale;
    f.AmplitudeAutoScale = s.AmplitudeAxisAutoScale;
    f.StationsIndex = stationsIndex;
    return f;
}

bool TimeRangeEditable(int32_t timeAxisLabels, int32_t timeAutoScale)
{
    return timeAxisLabels == 0 && timeAutoScale == 0;
}

const DialogField PlotScaleNumberFields[6] = {
    {IDC_SCALE_TIME_MIN, "Time/Gate Axis Min", 15},       {IDC_SCALE_TIME_MAX, "Time/Gate Axis Max", 16},
    {IDC_SCALE_AMPLITUDE_MIN, "Amplitude Axis Min", 17},  {IDC_SCALE_AMPLITUDE_MAX, "Amplitude Axis Max", 18},
    {IDC_SCALE_LINEAR_MIN, "Linear Section Minimum", 74}, {IDC_SCALE_LINEAR_MAX, "Linear Section Maximum", 75}};

int32_t ApplyPlotScale(const PlotScaleFields& f, int32_t reviewMode, SettingsValues& settings, int32_t& stationsIndex,
                       int32_t& stationsPerWindow)
{
    SettingsValues s = settings;
    double tMin = f.TimeMinMs, tMax = f.TimeMaxMs, aMin = f.AmplitudeMin, aMax = f.AmplitudeMax;
    // The dialog keeps a top of at least 10 (only the scale steps go below it), then the
    // limits the plot maps its scale to, so the plot draws what is stored.
    if (aMax < 10.0)
        aMax = 10.0;
    MapScaleLimits(tMin, tMax, aMin, aMax);
    s.TimeAxisMinMs = tMin;
    s.TimeAxisMaxMs = tMax;
    s.AmplitudeAxisMin = aMin;
    s.AmplitudeAxisMax = aMax;
    s.TimeAxisMinorGrid = Flag(f.TimeMinorGrid);
    s.AmplitudeAxisMinorGrid = Flag(f.AmplitudeMinorGrid);
    s.TimeAxisLabels = s.TwoFrequencyMode != 0 && reviewMode == -1 ? 0 : Flag(f.TimeAxisLabels);
    if (InList(f.DisplayUnit, 6))
        s.DisplayUnit = f.DisplayUnit;
    s.LinearSectionMin = f.LinearMin <= -1.0 ? f.LinearMin : -1.0;
    s.LinearSectionMax = f.LinearMax >= 1.0 ? f.LinearMax : 1.0;
    s.AmplitudeAxisAutoScale = Flag(f.AmplitudeAutoScale);
    s.TimeAxisAutoScale = Flag(f.TimeAutoScale);
    const int32_t refused = AcceptLoadableSettings(settings, s);
    if (refused != 0)
        return refused;
    if (InList(f.StationsIndex, StationsPerProfileChoiceCount))
        stationsIndex = f.StationsIndex;
    if (InList(stationsIndex, StationsPerProfileChoiceCount))
        stationsPerWindow = StationsPerProfileChoices[stationsIndex];
    return 0;
}

// ---------------------------------------------------------------------------------------
// Map Options

const int32_t MapStepPercents[MapStepChoiceCount] = {2, 5, 10, 15, 20, 25, 30, 50, 100};

std::string MapStepText(int32_t index)
{
    if (!InList(index, MapStepChoiceCount))
        return std::string();
    return FormatText("%d %%", MapStepPercents[index]);
}

int32_t MapStepPercent(int32_t index)
{
    return InList(index, MapStepChoiceCount) ? MapStepPercents[index] : 10;
}

MapOptionsFields MapOptionsFieldsFrom(const SettingsValues& s, bool reviewing, double reviewMapSize)
{
    MapOptionsFields f;
    f.MapSize = reviewing ? reviewMapSize : s.MapSize;
    f.GridInterval = s.MapGridInterval;
    f.ZoomIndex = s.MapZoomStepIndex;
    f.PanIndex = s.MapPanStepIndex;
    f.Background = s.MapBackground;
    f.ShowReferencePoint = s.MapShowReferencePoint;
    return f;
}

const DialogField MapOptionsNumberFields[2] = {{IDC_MAP_SIZE, "Map Size", 491},
                                               {IDC_MAP_GRID_INTERVAL, "Grid Interval", 492}};

int32_t ApplyMapOptions(const MapOptionsFields& f, bool reviewing, int32_t mapPaneSide, SettingsValues& settings,
                        MapScaleState& mapState)
{
    SettingsValues s = settings;
    MapScaleState state = mapState;
    if (InList(f.Background, 3))
        s.MapBackground = f.Background;
    if (InList(f.ZoomIndex, MapStepChoiceCount))
        s.MapZoomStepIndex = f.ZoomIndex;
    if (InList(f.PanIndex, MapStepChoiceCount))
        s.MapPanStepIndex = f.PanIndex;

    // A map of no size has no scale: the size before stays.
    const bool sizeUsable = f.MapSize > 0.0 && std::isfinite(f.MapSize);
    if (sizeUsable && !reviewing) {
        s.MapSize = f.MapSize;
        state.PreviousPixelsPerMetre = state.PixelsPerMetre;
        state.PixelsPerMetre = LiveMapScale(mapPaneSide, s.MapSize);
    } else if (sizeUsable) {
        state.ReviewMapSize = f.MapSize;
    }

    double interval = std::fabs(f.GridInterval);
    if (!std::isfinite(interval) || !(s.MapSize / interval <= 20.0))
        interval = s.MapSize / 10.0;
    s.MapGridInterval = interval;

    s.MapShowReferencePoint = Flag(f.ShowReferencePoint);
    state.ZoomPercent = MapStepPercent(s.MapZoomStepIndex);
    state.ShiftPercent = MapStepPercent(s.MapPanStepIndex);
    const int32_t refused = AcceptLoadableSettings(settings, s);
    if (refused == 0)
        mapState = state;
    return refused;
}

// ---------------------------------------------------------------------------------------
// GPS Port Setup and GPS Coordinates

std::vector<std::string> GpsDisplayEntries()
{
    return {"Geodetic", "UTM meters", "UTM feet", "UTM US Ft"};
}

std::vector<std::string> GpsPortListEntries(int32_t list)
{
    switch (list) {
    case GpsListInput:
        return {"Disabled", "External", "Internal"};
    case GpsListNmea:
        return {"GGA/GSA", "GGA"};
    case GpsListPort: {
        std::vector<std::string> ports;
        for (int32_t n = 1; n <= 36; ++n)
            ports.push_back(FormatText("COM%d:", n));
        return ports;
    }
    case GpsListBaud:
        return {"4800", "9600", "19200", "38400", "57600", "115200"};
    case GpsListParity:
        return {"No", "Even", "Odd"};
    case GpsListDataBits:
        return {"7", "8"};
    case GpsListStopBits:
        return {"1", "2"};
    case GpsListDisplay:
        return GpsDisplayEntries();
    default:
        return {};
    }
}

namespace {

int32_t* GpsSetting(SettingsValues& s, int32_t list)
{
    switch (list) {
    case GpsListInput:
        return &s.GpsInput;
    case GpsListNmea:
        return &s.GpsNmeaData;
    case GpsListPort:
        return &s.GpsComPort;
    case GpsListBaud:
        return &s.GpsBaudRate;
    case GpsListParity:
        return &s.GpsParity;
    case GpsListDataBits:
        return &s.GpsDataBits;
    case GpsListStopBits:
        return &s.GpsStopBits;
    case GpsListDisplay:
        return &s.GpsCoordinateDisplay;
    default:
        return nullptr;
    }
}

}  // namespace

GpsPortFields GpsPortFieldsFrom(const SettingsValues& s)
{
    GpsPortFields f{};
    SettingsValues copy = s;
    for (int32_t list = 0; list < GpsListCount; ++list)
        f[list] = *GpsSetting(copy, list);
    return f;
}

void ApplyGpsPort(const GpsPortFields& f, bool monitorShown, SettingsValues& s)
{
    for (int32_t list = 0; list < GpsListCount; ++list) {
        if (list == GpsListInput && monitorShown)
            continue;
        if (InList(f[list], static_cast<int32_t>(GpsPortListEntries(list).size())))
            *GpsSetting(s, list) = f[list];
    }
    if (s.GpsInput != 1)
        s.GpsNmeaData = 0;
}

GpsRestartPlan PlanGpsRestart(bool monitorShown, const SettingsValues& before, const SettingsValues& after,
                              bool readerRunning)
{
    GpsRestartPlan plan;
    if (monitorShown) {
        plan.StopReaders = true;
        plan.StartMonitor = true;
        return plan;
    }
    plan.StopReaders = readerRunning && (before.GpsInput == 1 || before.GpsInput != after.GpsInput ||
                                         before.GpsComPort != after.GpsComPort);
    const bool running = readerRunning && !plan.StopReaders;
    plan.StartReader = !running && (after.GpsInput == 1 || after.GpsInput == 2);
    return plan;
}

void ApplyGpsCoordinates(int32_t selection, SettingsValues& s)
{
    if (InList(selection, static_cast<int32_t>(GpsDisplayEntries().size())))
        s.GpsCoordinateDisplay = selection;
}

// ---------------------------------------------------------------------------------------
// GPS Map Type

const char GpsMapNoGpsNote[] = "GPS input is disabled (GPS Port Setup): only the grid map can be shown.";

bool GpsMapChoicesOffered(const SettingsValues& s)
{
    return s.GpsInput != 0;
}

int32_t GpsMapChoiceAtOpening(const SettingsValues& s)
{
    return GpsMapChoicesOffered(s) && InList(s.GpsMapType, GpsMapTypeCount) ? s.GpsMapType : 0;
}

SurveyOkOutcome GpsMapTypeOk(int32_t choice, const GpsCornerEntries& corners, SettingsValues& s, int32_t* refusedLine)
{
    int32_t ignored = 0;
    int32_t& refused = refusedLine != nullptr ? *refusedLine : ignored;
    refused = 0;
    // Without GPS input the GPS choices are greyed and the operator chose nothing: a saved GPS
    // map stays for when the input is on again (the map is the grid meanwhile).
    if (!GpsMapChoicesOffered(s) || !InList(choice, GpsMapTypeCount))
        return SurveyOkAccepted;
    SettingsValues t = s;
    t.GpsMapType = choice;
    const bool takesCorners = choice == GpsMapCornersEntered;
    GpsCornerEntries e = corners;
    if (takesCorners) {
        const GpsCornerEntries kept = GpsCornersOf(s);
        if (!InList(e.CornerType, static_cast<int32_t>(CornerTypeTexts().size())))
            e.CornerType = kept.CornerType;
        if (!InList(e.Zone, static_cast<int32_t>(UtmZoneTexts().size())))
            e.Zone = kept.Zone;
        if (!InList(e.Hemisphere, static_cast<int32_t>(HemisphereTexts().size())))
            e.Hemisphere = kept.Hemisphere;
        ApplyGpsCorners(t, e);
    }
    const SurveyOkOutcome loads = CheckLoadable(t, refused);
    if (loads != SurveyOkAccepted)
        return loads;
    if (takesCorners) {
        // Checked as the loop they make, whichever loop shape is in use.
        SettingsValues loop = t;
        loop.TxLoopShape = 3;
        const SurveyOkOutcome outcome = CheckLoopGroup(loop, e.Corner, refused);
        if (outcome != SurveyOkAccepted)
            return outcome;
    }
    s = t;
    return SurveyOkAccepted;
}

FieldRefusal GpsMapTypeRefusalOfLine(const SettingsValues& s, int32_t cornerType, int32_t line, FieldRefusalKind kind)
{
    return LoopRefusalOfLine(s, 3, cornerType, IDC_GPSMAP_CORNER_FIELD1, line, kind);
}

// ---------------------------------------------------------------------------------------
// Profile Plot Attributes

std::string ProfileWidthText(int32_t entry, int32_t choice, int32_t gateSet)
{
    if (!InList(choice, ProfileWidthChoices))
        return std::string();
    if (entry < ProfileGateCount && gateSet == 2)
        return FormatText("%dpx", choice + 1);
    return choice == 0 ? std::string("1 pixel") : FormatText("%d pixels", choice + 1);
}

int32_t ProfileWidthSelection(int32_t width)
{
    if (width <= 1)
        return 0;
    return width >= ProfileWidthChoices ? ProfileWidthChoices - 1 : width - 1;
}

int32_t ProfileWidthOf(int32_t selection, int32_t width)
{
    return InList(selection, ProfileWidthChoices) ? selection + 1 : width;
}

bool ProfileTemplateExtended(int32_t gateSet)
{
    return gateSet == 2;
}

int32_t ProfileTemplateGates(bool extended)
{
    return extended ? ProfileGateCount : 30;
}

bool NumbersGateEditable(int32_t gate, int32_t gateSet, int32_t userGateCount)
{
    return gateSet == 2 && gate >= 0 && gate < userGateCount;
}

void ApplyProfileAttributes(const ProfileAttributesReadout& r, int32_t gateSet, int32_t userGateCount,
                            SettingsValues& s)
{
    for (int32_t i = 0; i < ProfileGateCount; ++i) {
        if (r.GateVisible[i] >= 0)
            s.ProfileGateVisible[i] = Flag(r.GateVisible[i]);
        if (r.NumbersVisible[i] >= 0 && NumbersGateEditable(i, gateSet, userGateCount))
            s.NumbersGateVisible[i] = Flag(r.NumbersVisible[i]);
    }
    for (int32_t i = 0; i < ProfileEntryCount; ++i)
        s.LineWidths[i] = ProfileWidthOf(r.WidthSelection[i], s.LineWidths[i]);
}
