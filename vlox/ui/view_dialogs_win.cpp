#include "vlox/ui/view_dialogs_win.h"

#include <commdlg.h>

#include <string>
#include <vector>

#include "resources/view_ids.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/curve_plot.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/profile_pens_win.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/dialog_fields_win.h"
#include "vlox/ui/enabling_win.h"
#include "vlox/ui/survey_dialog_win.h"
#include "vlox/ui/view_dialogs.h"

namespace {

// ---------------------------------------------------------------------------------------
// Controls

std::wstring Wide(const std::string& text)
{
    const WideString w = NarrowToWide(text);
    return std::wstring(w.begin(), w.end());
}

void FillList(HWND dialog, int id, const std::vector<std::string>& entries, int32_t selection)
{
    HWND list = GetDlgItem(dialog, id);
    if (list == nullptr)
        return;
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& e : entries)
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(e).c_str()));
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selection), 0);
}

// The list's selection; -1 without one or without the list.
int32_t ListSelection(HWND dialog, int id)
{
    HWND list = GetDlgItem(dialog, id);
    return list != nullptr ? static_cast<int32_t>(SendMessageW(list, CB_GETCURSEL, 0, 0)) : -1;
}

void Check(HWND dialog, int id, int32_t on)
{
    CheckDlgButton(dialog, id, on != 0 ? BST_CHECKED : BST_UNCHECKED);
}

int32_t Checked(HWND dialog, int id)
{
    return IsDlgButtonChecked(dialog, id) == BST_CHECKED ? 1 : 0;
}

// The state of a check box, -1 when the template has none.
int32_t CheckedIfThere(HWND dialog, int id)
{
    return GetDlgItem(dialog, id) != nullptr ? Checked(dialog, id) : -1;
}

void Enable(HWND dialog, int id, bool on)
{
    if (HWND c = GetDlgItem(dialog, id))
        EnableWindow(c, on ? TRUE : FALSE);
}

void SetText(HWND dialog, int id, const char* text)
{
    SetDlgItemTextW(dialog, id, Wide(text).c_str());
}

bool EndWith(HWND dialog, INT_PTR result)
{
    EndDialog(dialog, result);
    return true;
}

INT_PTR Open(const wchar_t* name, HWND owner, DLGPROC procedure)
{
    return DialogBoxParamW(hInstance != nullptr ? hInstance : GetModuleHandleW(nullptr), name, owner, procedure, 0);
}

// ---------------------------------------------------------------------------------------
// Plot Scale Setup

struct PlotScaleDialogState {
    ShownNumber Shown[6];
    int32_t Labels = 0;
    int32_t Unit = 0;
} ScaleDialog;

void ShowUnitLabels(HWND dialog, int32_t unit)
{
    const char* text = DisplayUnitCaption(unit);
    for (int id : {IDC_SCALE_AMPLITUDE_MIN_UNIT, IDC_SCALE_AMPLITUDE_MAX_UNIT, IDC_SCALE_LINEAR_MIN_UNIT,
                   IDC_SCALE_LINEAR_MAX_UNIT})
        SetText(dialog, id, text);
}

void EnableTimeRange(HWND dialog)
{
    const bool open = TimeRangeEditable(ScaleDialog.Labels, Checked(dialog, IDC_SCALE_TIME_AUTO));
    Enable(dialog, IDC_SCALE_TIME_MIN, open);
    Enable(dialog, IDC_SCALE_TIME_MAX, open);
}

void InitPlotScale(HWND dialog)
{
    const PlotScaleFields f = PlotScaleFieldsFrom(Settings, StationsPerProfileIndex);
    const double values[6] = {f.TimeMinMs, f.TimeMaxMs, f.AmplitudeMin, f.AmplitudeMax, f.LinearMin, f.LinearMax};
    for (int i = 0; i < 6; ++i)
        ScaleDialog.Shown[i] = SetFieldNumber(dialog, PlotScaleNumberFields[i].Id, values[i], 3);
    Check(dialog, IDC_SCALE_TIME_AUTO, f.TimeAutoScale);
    Check(dialog, IDC_SCALE_AMPLITUDE_AUTO, f.AmplitudeAutoScale);
    Enable(dialog, IDC_SCALE_AMPLITUDE_MIN, f.AmplitudeAutoScale == 0);
    Enable(dialog, IDC_SCALE_AMPLITUDE_MAX, f.AmplitudeAutoScale == 0);
    ScaleDialog.Labels = f.TimeAxisLabels;
    CheckRadioButton(dialog, IDC_SCALE_LABELS_MS, IDC_SCALE_LABELS_GATES,
                     f.TimeAxisLabels == 1 ? IDC_SCALE_LABELS_GATES : IDC_SCALE_LABELS_MS);
    EnableTimeRange(dialog);
    ScaleDialog.Unit = f.DisplayUnit >= 0 && f.DisplayUnit <= 5 ? f.DisplayUnit : 0;
    CheckRadioButton(dialog, IDC_SCALE_UNIT_FIRST, IDC_SCALE_UNIT_LAST, IDC_SCALE_UNIT_FIRST + ScaleDialog.Unit);
    ShowUnitLabels(dialog, ScaleDialog.Unit);
    Check(dialog, IDC_SCALE_TIME_MINOR_GRID, f.TimeMinorGrid);
    Check(dialog, IDC_SCALE_AMPLITUDE_MINOR_GRID, f.AmplitudeMinorGrid);
    std::vector<std::string> stations;
    for (int32_t n : StationsPerProfileChoices)
        stations.push_back(std::to_string(n));
    FillList(dialog, IDC_SCALE_STATIONS, stations, f.StationsIndex);
}

// The OK: false (nothing written, the field named) when a field is refused.
bool TakePlotScale(HWND dialog)
{
    PlotScaleFields f = PlotScaleFieldsFrom(Settings, StationsPerProfileIndex);
    double* values[6] = {&f.TimeMinMs, &f.TimeMaxMs, &f.AmplitudeMin, &f.AmplitudeMax, &f.LinearMin, &f.LinearMax};
    FieldsAtOk ok{dialog};
    for (int i = 0; i < 6; ++i)
        *values[i] =
            TakeKeptFieldNumber(ok, PlotScaleNumberFields[i].Id, PlotScaleNumberFields[i].Name, ScaleDialog.Shown[i]);
    if (RefuseField(dialog, ok.Refusal, "Plot Scale Setup"))
        return false;
    f.TimeMinorGrid = Checked(dialog, IDC_SCALE_TIME_MINOR_GRID);
    f.AmplitudeMinorGrid = Checked(dialog, IDC_SCALE_AMPLITUDE_MINOR_GRID);
    f.TimeAxisLabels = ScaleDialog.Labels;
    f.DisplayUnit = ScaleDialog.Unit;
    f.AmplitudeAutoScale = Checked(dialog, IDC_SCALE_AMPLITUDE_AUTO);
    f.TimeAutoScale = Checked(dialog, IDC_SCALE_TIME_AUTO);
    f.StationsIndex = ListSelection(dialog, IDC_SCALE_STATIONS);
    const int32_t refused = ApplyPlotScale(f, ReviewMode, Settings, StationsPerProfileIndex, StationsPerProfileWindow);
    if (RefuseField(dialog, RefusalOfLine(PlotScaleNumberFields, refused), "Plot Scale Setup"))
        return false;

    // The step buttons of the amplitude scale are for a scale set by hand.
    const bool stepping = Settings.AmplitudeAxisAutoScale == 0;
    for (int32_t command : {CmdTopOfScaleDown, CmdBottomOfScaleDown, CmdTopOfScaleUp, CmdBottomOfScaleUp})
        EnableButton(ButtonSlotOf(command), stepping);
    ComputeCurveScale();
    SettingsFile(SettingsSave);
    CurveBackgroundSaved = 0;
    return true;
}

// ---------------------------------------------------------------------------------------
// Map Options

struct MapOptionsDialogState {
    ShownNumber Size;
    ShownNumber Interval;
    int32_t Background = 0;
} MapDialog;

std::vector<std::string> MapStepEntries()
{
    std::vector<std::string> entries;
    for (int32_t i = 0; i < MapStepChoiceCount; ++i)
        entries.push_back(MapStepText(i));
    return entries;
}

void InitMapOptions(HWND dialog)
{
    const bool reviewing = ReviewMode != -1;
    const MapOptionsFields f = MapOptionsFieldsFrom(Settings, reviewing, ReviewMapSize);
    MapDialog.Size = SetFieldNumber(dialog, IDC_MAP_SIZE, f.MapSize, 2);
    MapDialog.Interval = SetFieldNumber(dialog, IDC_MAP_GRID_INTERVAL, f.GridInterval, 2);
    FillList(dialog, IDC_MAP_ZOOM_STEP, MapStepEntries(), f.ZoomIndex);
    FillList(dialog, IDC_MAP_PAN_STEP, MapStepEntries(), f.PanIndex);
    MapDialog.Background = f.Background >= 0 && f.Background <= 2 ? f.Background : 0;
    CheckRadioButton(dialog, IDC_MAP_BACKGROUND_FIRST, IDC_MAP_BACKGROUND_LAST,
                     IDC_MAP_BACKGROUND_FIRST + MapDialog.Background);
    Check(dialog, IDC_MAP_REFERENCE_POINT, f.ShowReferencePoint);
}

// The OK: false (nothing written, the field named) when a field is refused.
bool TakeMapOptions(HWND dialog)
{
    const bool reviewing = ReviewMode != -1;
    MapOptionsFields f = MapOptionsFieldsFrom(Settings, reviewing, ReviewMapSize);
    FieldsAtOk ok{dialog};
    f.MapSize = TakeKeptFieldNumber(ok, IDC_MAP_SIZE, MapOptionsNumberFields[0].Name, MapDialog.Size);
    f.GridInterval = TakeKeptFieldNumber(ok, IDC_MAP_GRID_INTERVAL, MapOptionsNumberFields[1].Name, MapDialog.Interval);
    if (RefuseField(dialog, ok.Refusal, "Map Options"))
        return false;
    f.ZoomIndex = ListSelection(dialog, IDC_MAP_ZOOM_STEP);
    f.PanIndex = ListSelection(dialog, IDC_MAP_PAN_STEP);
    f.Background = MapDialog.Background;
    f.ShowReferencePoint = Checked(dialog, IDC_MAP_REFERENCE_POINT);
    MapScaleState state;
    state.ReviewMapSize = ReviewMapSize;
    state.PixelsPerMetre = PixelsPerMetre;
    state.PreviousPixelsPerMetre = PreviousPixelsPerMetre;
    const int32_t refused = ApplyMapOptions(f, reviewing, MapPaneSize, Settings, state);
    if (RefuseField(dialog, RefusalOfLine(MapOptionsNumberFields, refused), "Map Options"))
        return false;
    ReviewMapSize = state.ReviewMapSize;
    PixelsPerMetre = state.PixelsPerMetre;
    PreviousPixelsPerMetre = state.PreviousPixelsPerMetre;
    MapZoomPercent = state.ZoomPercent;
    MapShiftStep = state.ShiftPercent;
    return true;
}

// ---------------------------------------------------------------------------------------
// GPS Port Setup and GPS Coordinates

const int GpsListIds[GpsListCount] = {IDC_GPS_INPUT,  IDC_GPS_NMEA,      IDC_GPS_PORT,      IDC_GPS_BAUD,
                                      IDC_GPS_PARITY, IDC_GPS_DATA_BITS, IDC_GPS_STOP_BITS, IDC_GPS_DISPLAY};

bool MonitorShown()
{
    return hWndMonitorGps != nullptr && IsWindowVisible(hWndMonitorGps) != FALSE;
}

void InitGpsPort(HWND dialog)
{
    const GpsPortFields f = GpsPortFieldsFrom(Settings);
    for (int32_t list = 0; list < GpsListCount; ++list)
        FillList(dialog, GpsListIds[list], GpsPortListEntries(list), f[list]);
}

// The map pens and view, the port, 50 ms, the reader, 100 ms: as after the splash.
void StartGpsReading(bool monitor)
{
    if (GpsMapHooks.CreateMapPens != nullptr)
        GpsMapHooks.CreateMapPens(0);
    if (GpsMapHooks.SetupMapView != nullptr)
        GpsMapHooks.SetupMapView();
    // A port that does not open has been reported; no reader is started on it.
    if (OpenGpsPort() != 1)
        return;
    DelayMs(50);
    if (monitor)
        StartGpsMonitorReader();
    else
        StartGpsReader();
    DelayMs(100);
}

void TakeGpsPort(HWND dialog)
{
    const bool monitor = MonitorShown();
    const SettingsValues before = Settings;
    GpsPortFields f{};
    for (int32_t list = 0; list < GpsListCount; ++list)
        f[list] = ListSelection(dialog, GpsListIds[list]);
    SettingsValues after = Settings;
    ApplyGpsPort(f, monitor, after);
    const GpsRestartPlan plan = PlanGpsRestart(monitor, before, after, ReaderThreadAlive(GpsThread));

    // The readers are asked to stop and waited for, and only then is the port closed: a
    // reader never reads a handle closed (and perhaps reused) under it.
    if (plan.StopReaders)
        CloseGpsPort();
    FreeGpsTrack();
    Settings = after;
    SettingsFile(SettingsSave);
    if (plan.StartMonitor || plan.StartReader)
        StartGpsReading(plan.StartMonitor);
    MapLayoutMode = 2;
}

// ---------------------------------------------------------------------------------------
// GPS Map Type

struct GpsMapTypeDialogState {
    int32_t Choice = 0;
    ShownNumber Corners[LoopFieldCount];
} GpsMapDialog;

const int GpsMapChoiceIds[GpsMapTypeCount] = {IDC_GPSMAP_GRID, IDC_GPSMAP_FIRST_STATION, IDC_GPSMAP_CORNERS};

std::vector<std::string> Narrow(const std::vector<WideString>& texts)
{
    std::vector<std::string> out;
    for (const WideString& t : texts)
        out.push_back(WideToNarrow(t));
    return out;
}

// The corner group is open for its own choice only; the zone and hemisphere for UTM corners.
void OpenGpsCorners(HWND dialog)
{
    const bool open = GpsMapDialog.Choice == GpsMapCornersEntered;
    for (int i = 0; i < LoopFieldCount; ++i)
        Enable(dialog, IDC_GPSMAP_CORNER_FIELD1 + i, open);
    Enable(dialog, IDC_GPSMAP_CORNER_TYPE, open);
    const bool utm = open && ListSelection(dialog, IDC_GPSMAP_CORNER_TYPE) != 0;
    Enable(dialog, IDC_GPSMAP_ZONE, utm);
    Enable(dialog, IDC_GPSMAP_HEMISPHERE, utm);
}

void InitGpsMapType(HWND dialog)
{
    const bool offered = GpsMapChoicesOffered(Settings);
    GpsMapDialog.Choice = GpsMapChoiceAtOpening(Settings);
    CheckRadioButton(dialog, IDC_GPSMAP_GRID, IDC_GPSMAP_CORNERS, GpsMapChoiceIds[GpsMapDialog.Choice]);
    Enable(dialog, IDC_GPSMAP_FIRST_STATION, offered);
    Enable(dialog, IDC_GPSMAP_CORNERS, offered);
    SetText(dialog, IDC_GPSMAP_NOTE, offered ? "" : GpsMapNoGpsNote);
    const LoopGroupView corners = LoopGroup(Settings, 3, Settings.TxCornerCoordinateType);
    for (int i = 0; i < LoopFieldCount; ++i)
        GpsMapDialog.Corners[i] =
            SetFieldNumber(dialog, IDC_GPSMAP_CORNER_FIELD1 + i, corners.Value[i], corners.Decimals);
    FillList(dialog, IDC_GPSMAP_CORNER_TYPE, Narrow(CornerTypeTexts()), Settings.TxCornerCoordinateType);
    FillList(dialog, IDC_GPSMAP_ZONE, Narrow(UtmZoneTexts()), Settings.TxCornerUtmZone - 1);
    FillList(dialog, IDC_GPSMAP_HEMISPHERE, Narrow(HemisphereTexts()), Settings.TxCornerHemisphere);
    OpenGpsCorners(dialog);
}

// OK: false, with the field named and nothing written, when the corners are refused.
bool TakeGpsMapType(HWND dialog)
{
    const char caption[] = "GPS Map Type";
    GpsCornerEntries e;
    e.CornerType = ListSelection(dialog, IDC_GPSMAP_CORNER_TYPE);
    e.Zone = ListSelection(dialog, IDC_GPSMAP_ZONE);
    e.Hemisphere = ListSelection(dialog, IDC_GPSMAP_HEMISPHERE);
    // The corner fields count only for their own choice: closed, they are not read.
    if (GpsMapDialog.Choice == GpsMapCornersEntered) {
        FieldsAtOk ok{dialog};
        const LoopGroupView group = LoopGroup(Settings, 3, e.CornerType);
        for (int i = 0; i < LoopFieldCount; ++i)
            e.Corner[i] =
                TakeKeptFieldNumber(ok, IDC_GPSMAP_CORNER_FIELD1 + i, LoopFieldName(group, i), GpsMapDialog.Corners[i]);
        if (RefuseField(dialog, ok.Refusal, caption))
            return false;
    }
    int32_t line = 0;
    const SurveyOkOutcome outcome = GpsMapTypeOk(GpsMapDialog.Choice, e, Settings, &line);
    if (ShowLoopRefusal(dialog, outcome,
                        GpsMapTypeRefusalOfLine(Settings, e.CornerType, line, FieldRefusalKind::OutOfRange), caption))
        return false;
    MapLayoutMode = MapLayoutFor(Settings.GpsMapType, Settings.GpsInput);
    // The corners may be the loop in use.
    ComputeTxLoopArea();
    return true;
}

// ---------------------------------------------------------------------------------------
// Profile Plot Attributes

struct ProfileDialogState {
    int32_t GateSet = 0;
    std::array<int32_t, CurveCount> OpeningColours{};
    std::array<int32_t, CurveCount> OpeningWidths{};
} ProfileDialog;

COLORREF CustomColours[16] = {};

void InitProfileAttributes(HWND dialog)
{
    const int32_t gateSet = ProfileDialog.GateSet;
    ProfileDialog.OpeningColours = Settings.LineColours;
    ProfileDialog.OpeningWidths = Settings.LineWidths;
    for (int32_t i = 0; i < ProfileEntryCount; ++i) {
        if (GetDlgItem(dialog, IDC_PROFILE_WIDTH_BASE + i) == nullptr)
            continue;
        std::vector<std::string> entries;
        for (int32_t k = 0; k < ProfileWidthChoices; ++k)
            entries.push_back(ProfileWidthText(i, k, gateSet));
        FillList(dialog, IDC_PROFILE_WIDTH_BASE + i, entries, ProfileWidthSelection(Settings.LineWidths[i]));
    }
    for (int32_t i = 0; i < ProfileGateCount; ++i) {
        Check(dialog, IDC_PROFILE_GATE_BASE + i, Settings.ProfileGateVisible[i]);
        if (gateSet == 2 && GetDlgItem(dialog, IDC_PROFILE_NUMBERS_BASE + i) != nullptr) {
            const bool open = NumbersGateEditable(i, gateSet, Settings.UserGateCount);
            Check(dialog, IDC_PROFILE_NUMBERS_BASE + i, open ? Settings.NumbersGateVisible[i] : 0);
            Enable(dialog, IDC_PROFILE_NUMBERS_BASE + i, open);
        }
    }
}

void TakeProfileAttributes(HWND dialog)
{
    ProfileAttributesReadout r;
    for (int32_t i = 0; i < ProfileGateCount; ++i) {
        r.GateVisible[i] = CheckedIfThere(dialog, IDC_PROFILE_GATE_BASE + i);
        r.NumbersVisible[i] = CheckedIfThere(dialog, IDC_PROFILE_NUMBERS_BASE + i);
    }
    for (int32_t i = 0; i < ProfileEntryCount; ++i)
        r.WidthSelection[i] = ListSelection(dialog, IDC_PROFILE_WIDTH_BASE + i);
    ApplyProfileAttributes(r, ProfileDialog.GateSet, Settings.UserGateCount, Settings);
    SettingsFile(SettingsSave);
    CreateProfilePens(1);
}

bool ProfileCommand(HWND dialog, int id, int code)
{
    if (id >= IDC_PROFILE_WIDTH_BASE && id < IDC_PROFILE_WIDTH_BASE + ProfileEntryCount) {
        if (code == CBN_SELCHANGE) {
            const int32_t i = id - IDC_PROFILE_WIDTH_BASE;
            Settings.LineWidths[i] = ProfileWidthOf(ListSelection(dialog, id), Settings.LineWidths[i]);
            InvalidateRect(dialog, nullptr, TRUE);
        }
        return true;
    }
    if (id >= IDC_PROFILE_SAMPLE_BASE && id < IDC_PROFILE_SAMPLE_BASE + ProfileEntryCount) {
        const int32_t i = id - IDC_PROFILE_SAMPLE_BASE;
        COLORREF colour = static_cast<COLORREF>(Settings.LineColours[i]);
        if (PickColour(dialog, colour))
            Settings.LineColours[i] = static_cast<int32_t>(colour & 0x00FFFFFF);
        InvalidateRect(dialog, nullptr, TRUE);
        return true;
    }
    switch (id) {
    case IDOK:
        TakeProfileAttributes(dialog);
        return EndWith(dialog, 0);
    case IDCANCEL:
        Settings.LineColours = ProfileDialog.OpeningColours;
        Settings.LineWidths = ProfileDialog.OpeningWidths;
        return EndWith(dialog, 0);
    default:
        return false;
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// The procedures

INT_PTR CALLBACK PlotScaleDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitPlotScale(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id == IDC_SCALE_LABELS_MS || id == IDC_SCALE_LABELS_GATES) {
            ScaleDialog.Labels = id == IDC_SCALE_LABELS_GATES ? 1 : 0;
            EnableTimeRange(dialog);
            return TRUE;
        }
        if (id >= IDC_SCALE_UNIT_FIRST && id <= IDC_SCALE_UNIT_LAST) {
            ScaleDialog.Unit = id - IDC_SCALE_UNIT_FIRST;
            ShowUnitLabels(dialog, ScaleDialog.Unit);
            return TRUE;
        }
        if (id == IDOK) {
            if (TakePlotScale(dialog))
                EndWith(dialog, 1);
            return TRUE;
        }
        if (id == IDCANCEL)
            return EndWith(dialog, 0);
        break;
    }
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK MapOptionsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitMapOptions(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        if (id >= IDC_MAP_BACKGROUND_FIRST && id <= IDC_MAP_BACKGROUND_LAST) {
            MapDialog.Background = id - IDC_MAP_BACKGROUND_FIRST;
            return TRUE;
        }
        if (id == IDOK) {
            if (TakeMapOptions(dialog))
                EndWith(dialog, 1);
            return TRUE;
        }
        if (id == IDCANCEL)
            return EndWith(dialog, 0);
        break;
    }
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK GpsPortDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitGpsPort(dialog);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            TakeGpsPort(dialog);
            return EndWith(dialog, 1);
        }
        if (LOWORD(wParam) == IDCANCEL)
            return EndWith(dialog, 0);
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK GpsCoordinatesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        FillList(dialog, IDC_GPS_COORDINATES_DISPLAY, GpsDisplayEntries(), Settings.GpsCoordinateDisplay);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            ApplyGpsCoordinates(ListSelection(dialog, IDC_GPS_COORDINATES_DISPLAY), Settings);
            SettingsFile(SettingsSave);
            return EndWith(dialog, 1);
        }
        if (LOWORD(wParam) == IDCANCEL)
            return EndWith(dialog, 0);
        break;
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK GpsMapTypeDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitGpsMapType(dialog);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        for (int32_t choice = 0; choice < GpsMapTypeCount; ++choice)
            if (id == GpsMapChoiceIds[choice]) {
                GpsMapDialog.Choice = choice;
                OpenGpsCorners(dialog);
                return TRUE;
            }
        if (id == IDC_GPSMAP_CORNER_TYPE && HIWORD(wParam) == CBN_SELCHANGE) {
            OpenGpsCorners(dialog);
            return TRUE;
        }
        if (id == IDOK) {
            if (TakeGpsMapType(dialog))
                EndWith(dialog, 1);
            return TRUE;
        }
        if (id == IDCANCEL)
            return EndWith(dialog, 0);
        break;
    }
    default:
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK ProfileAttributesDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitProfileAttributes(dialog);
        return TRUE;
    case WM_DRAWITEM:
        DrawLineStyleItem(dialog, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        return ProfileCommand(dialog, LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    default:
        break;
    }
    return FALSE;
}

void DrawLineStyleItem(HWND, const DRAWITEMSTRUCT* item)
{
    if (item == nullptr)
        return;
    const int32_t i = static_cast<int32_t>(item->CtlID) - IDC_PROFILE_SAMPLE_BASE;
    if (i < 0 || i >= ProfileEntryCount)
        return;
    HDC dc = item->hDC;
    const RECT r = item->rcItem;
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;

    HPEN sample = CreatePen(PS_SOLID, Settings.LineWidths[i], static_cast<COLORREF>(Settings.LineColours[i]));
    HPEN shadow = CreatePen(PS_SOLID, 3, GetSysColor(COLOR_BTNSHADOW));
    HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DLIGHT));
    HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW));
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));

    HGDIOBJ oldPen = SelectObject(dc, shadow);
    HGDIOBJ oldBrush = SelectObject(dc, white);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);

    SelectObject(dc, pressed ? dark : light);
    const POINT bevel[3] = {{r.left + 1, r.bottom - 3}, {r.left + 1, r.top + 1}, {r.right - 3, r.top + 1}};
    Polyline(dc, bevel, 3);
    if (pressed) {
        SelectObject(dc, light);
        const POINT lower[3] = {{r.left + 1, r.bottom - 3}, {r.right - 3, r.bottom - 3}, {r.right - 3, r.top + 1}};
        Polyline(dc, lower, 3);
    }
    SelectObject(dc, dark);
    const POINT edge[3] = {{r.left, r.bottom - 1},
                           pressed ? POINT{r.left, r.top} : POINT{r.right - 1, r.bottom - 1},
                           {r.right - 1, r.top}};
    Polyline(dc, edge, 3);

    SelectObject(dc, sample);
    if (pressed) {
        MoveToEx(dc, r.left + 3, r.top + 6, nullptr);
        LineTo(dc, r.right - 5, r.top + 14);
    } else {
        MoveToEx(dc, r.left + 3, r.top + 10, nullptr);
        LineTo(dc, r.right - 5, r.top + 10);
    }
    if ((item->itemState & ODS_FOCUS) != 0) {
        RECT focus{r.left + 3, r.top + 3, r.right - 4, r.bottom - 4};
        DrawFocusRect(dc, &focus);
    }

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(sample);
    DeleteObject(shadow);
    DeleteObject(light);
    DeleteObject(dark);
    DeleteObject(white);
}

bool PickColour(HWND owner, COLORREF& colour)
{
    CHOOSECOLORW choose{};
    choose.lStructSize = sizeof(choose);
    choose.hwndOwner = owner;
    choose.lpCustColors = CustomColours;
    choose.Flags = CC_ANYCOLOR;
    if (ChooseColorW(&choose) == FALSE)
        return false;
    colour = choose.rgbResult;
    return true;
}

INT_PTR PlotScaleDialog(HWND owner)
{
    return Open(L"SCALEPLOT", owner, PlotScaleDlgProc) == 1 ? 1 : 0;
}

INT_PTR MapOptionsDialog(HWND owner)
{
    return Open(L"MAPSCALE", owner, MapOptionsDlgProc) == 1 ? 1 : 0;
}

INT_PTR GpsPortDialog(HWND owner)
{
    return Open(L"GPSPORT", owner, GpsPortDlgProc) == 1 ? 1 : 0;
}

INT_PTR GpsCoordinatesDialog(HWND owner)
{
    return Open(L"GPSCOORDINATES", owner, GpsCoordinatesDlgProc) == 1 ? 1 : 0;
}

INT_PTR GpsMapTypeDialog(HWND owner)
{
    return Open(L"GPSSURVEYTYPE", owner, GpsMapTypeDlgProc) == 1 ? 1 : 0;
}

INT_PTR ProfileAttributesDialog(HWND owner, int32_t gateSet)
{
    ProfileDialog.GateSet = gateSet;
    const wchar_t* name = ProfileTemplateExtended(gateSet) ? L"PROFILESEXTENDED" : L"PROFILES";
    Open(name, owner, ProfileAttributesDlgProc);
    return 0;
}
