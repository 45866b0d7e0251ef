#include "vlox/display/map_window_win.h"

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/datafile.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/utm.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <mutex>
#include <new>

int32_t MapGpsPlotOn = 1;
int32_t MapCrossBoxSaved = 1;
int32_t MapBackgroundSaved = 0;
MapViewportValues MapViewport;
MapGridValues MapGrid;
GpsTrackValues GpsTrack;
double StationMapOriginX = 0.0;
double StationMapOriginY = 0.0;
double ReviewMapOriginX = 0.0;
double ReviewMapOriginY = 0.0;
double ReviewPixelsPerMetre = 1.0;
HANDLE ReviewMapFile = INVALID_HANDLE_VALUE;
int32_t MapZoomPercent = 10;
int32_t MapShiftStep = 10;

namespace {

uint64_t MachineFreeMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof(status);
    if (GlobalMemoryStatusEx(&status) == FALSE)
        return 0;
    return status.ullAvailPhys;
}

struct MapPenSet {
    HPEN CrossPen = nullptr;
    HPEN TrackPen = nullptr;
    HBRUSH TrackBrush = nullptr;
    HPEN MarkerPen = nullptr;
    HBRUSH MarkerBrush = nullptr;
};
MapPenSet MapPens;

const COLORREF TrackColour = RGB(255, 0, 0);
const COLORREF MarkerColour = RGB(0, 255, 0);

// The box under the cross and the picture of the pane kept around dialogs.
HBITMAP CrossBoxBitmap = nullptr;
HBITMAP MapBackgroundBitmap = nullptr;

HPEN PenOr(HPEN pen, int stock)
{
    return pen != nullptr ? pen : static_cast<HPEN>(GetStockObject(stock));
}

HBRUSH WhiteFill()
{
    return static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

void Line(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const POINT pts[2] = {{x0, y0}, {x1, y1}};
    Polyline(dc, pts, 2);
}

int32_t PaneWidth()
{
    return MapPaneSize;
}

// The pane's pixel of a track pixel.
POINT PanePointOf(PixelPoint p)
{
    return POINT{SaturateAdd(p.X, -static_cast<int64_t>(MapViewport.ViewLeft)),
                 SaturateAdd(p.Y, -static_cast<int64_t>(MapViewport.ViewTop))};
}

PixelPoint CurrentFixPixel(double pixelsPerMetre)
{
    return TrackPixelOf(GpsFix.GpsEasting, GpsFix.GpsNorthing, GpsFix.GpsOriginEasting, GpsFix.GpsOriginNorthing,
                        pixelsPerMetre, MapViewport.Cx, MapViewport.Cy);
}

// Copies the 9 x 9 box around a pane point into the cross-box bitmap (made anew).
void SaveCrossBox(HDC dc, int32_t x, int32_t y)
{
    HBITMAP fresh = CreateCompatibleBitmap(dc, MapCrossBox + 1, MapCrossBox + 1);
    if (fresh == nullptr)
        return;
    if (CrossBoxBitmap != nullptr)
        DeleteObject(CrossBoxBitmap);
    CrossBoxBitmap = fresh;
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr)
        return;
    {
        SelectGuard bitmap(memory, CrossBoxBitmap);
        BitBlt(memory, 0, 0, MapCrossBox, MapCrossBox, dc, x - MapCrossHalf, y - MapCrossHalf, SRCCOPY);
    }
    DeleteDC(memory);
}

void RestoreCrossBox(HDC dc, int32_t x, int32_t y)
{
    if (CrossBoxBitmap == nullptr)
        return;
    HDC memory = CreateCompatibleDC(dc);
    if (memory == nullptr)
        return;
    {
        SelectGuard bitmap(memory, CrossBoxBitmap);
        BitBlt(dc, x - MapCrossHalf, y - MapCrossHalf, MapCrossBox, MapCrossBox, memory, 0, 0, SRCCOPY);
    }
    DeleteDC(memory);
}

GridRange AllLines(const MapGridAxis& a)
{
    return GridRange{a.First, a.Last};
}

// Scrolling one axis: the picture moved by one block copy, the uncovered strip filled, the
// grid lines that came in drawn, the track points of the strip drawn again.
void ScrollAxis(HDC dc, bool horizontal, int32_t d)
{
    MapViewportValues& v = MapViewport;
    const ScrollStripPlan p = PlanScrollStrip(horizontal, d, v);
    if (p.Width > 0 && p.Height > 0)
        BitBlt(dc, p.DstX, p.DstY, p.Width, p.Height, dc, p.SrcX, p.SrcY, SRCCOPY);
    const RECT fill{p.FillLeft, p.FillTop, p.FillRight, p.FillBottom};
    FillRect(dc, &fill, WhiteFill());
    if (MapGrid.Valid && Settings.MapGridInterval > 0.0) {
        if (horizontal) {
            const GridRange fresh = ShiftGridAxis(MapGrid, MapGrid.Columns, d, v.PaneLeft, v.PaneRight);
            DrawMapGridVertical(dc, fresh, p.NewFrom, p.NewTo);
            DrawMapGridHorizontal(dc, AllLines(MapGrid.Rows), p.CrossFrom, p.CrossTo);
        } else {
            const GridRange fresh = ShiftGridAxis(MapGrid, MapGrid.Rows, d, v.PaneTop, v.PaneBottom);
            DrawMapGridHorizontal(dc, fresh, p.NewFrom, p.NewTo);
            DrawMapGridVertical(dc, AllLines(MapGrid.Columns), p.CrossFrom, p.CrossTo);
        }
    }
    DrawTrackPoints(dc, p.TrackX0, p.TrackY0, p.TrackX1, p.TrackY1, v.ViewLeft, v.ViewTop);
}

// ---------------------------------------------------------------------------------------
// Station and review maps.

SurveyMapView StationView()
{
    SurveyMapView v;
    v.OriginX = StationMapOriginX;
    v.OriginY = StationMapOriginY;
    v.Size = Settings.MapSize;
    v.PixelsPerMetre = PixelsPerMetre;
    return v;
}

void SetStationView(const SurveyMapView& v)
{
    StationMapOriginX = v.OriginX;
    StationMapOriginY = v.OriginY;
    Settings.MapSize = v.Size;
    PixelsPerMetre = v.PixelsPerMetre;
}

SurveyMapView ReviewView()
{
    SurveyMapView v;
    v.OriginX = ReviewMapOriginX;
    v.OriginY = ReviewMapOriginY;
    v.Size = ReviewMapSize;
    v.PixelsPerMetre = ReviewPixelsPerMetre;
    return v;
}

void SetReviewView(const SurveyMapView& v)
{
    ReviewMapOriginX = v.OriginX;
    ReviewMapOriginY = v.OriginY;
    ReviewMapSize = v.Size;
    ReviewPixelsPerMetre = v.PixelsPerMetre;
}

MapLoop SettingsLoop()
{
    MapLoop loop;
    loop.Shape = Settings.TxLoopShape;
    loop.CentreX = Settings.TxCentreX;
    loop.CentreY = Settings.TxCentreY;
    loop.SideX = Settings.TxLoopSideX;
    loop.SideY = Settings.TxLoopSideY;
    for (int c = 0; c < 4; ++c) {
        loop.CornerX[c] = Settings.TxCornerX[c];
        loop.CornerY[c] = Settings.TxCornerY[c];
    }
    // The square is drawn from its one side.
    if (loop.Shape == 0)
        loop.SideY = loop.SideX;
    return loop;
}

void DrawLoop(HDC dc, const SurveyMapView& view, const MapLoop& loop)
{
    const std::vector<double> pts = LoopOutline(loop);
    if (pts.empty())
        return;
    POINT poly[5];
    int n = 0;
    for (size_t i = 0; i + 1 < pts.size() && n < 5; i += 2) {
        const PixelPoint p = SurveyPixelOf(view, pts[i], pts[i + 1]);
        poly[n++] = POINT{p.X, p.Y};
    }
    SelectGuard pen(dc, PenOr(DrawingObjects.RedPen, BLACK_PEN));
    Polyline(dc, poly, n);
}

void DrawStationDot(HDC dc, PixelPoint p, int32_t r)
{
    Ellipse(dc, p.X - r, p.Y - r, p.X + r, p.Y + r);
}

void DrawChevron(HDC dc, int32_t direction, int32_t p, int32_t w, int32_t h)
{
    PixelPoint c[3];
    ChevronPoints(direction, p, w, h, c);
    const POINT pts[3] = {{c[0].X, c[0].Y}, {c[1].X, c[1].Y}, {c[2].X, c[2].Y}};
    SelectGuard pen(dc, PenOr(DrawingObjects.DecadePen, BLACK_PEN));
    Polyline(dc, pts, 3);
}

void DrawStationBackground(HDC dc, const SurveyMapView& view, int32_t w, int32_t h)
{
    if (Settings.MapBackground == 0) {
        const bool vertical = Settings.LineDirection == 0 || Settings.LineDirection == 1;
        for (const SurveyLineMark& m : SurveyLineMarks(view, Settings.SurveyLine, Settings.LineIncrement,
                                                       Settings.LineDirection, Settings.LineSequence, w, h)) {
            {
                SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
                if (vertical)
                    Line(dc, m.Pixel, 0, m.Pixel, h);
                else
                    Line(dc, 0, m.Pixel, w, m.Pixel);
            }
            DrawChevron(dc, m.Direction, m.Pixel, w, h);
        }
    } else if (Settings.MapBackground == 1) {
        SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
        for (int32_t y : StationGridPixels(view, Settings.MapGridInterval, false, h))
            Line(dc, 0, y, w, y);
        for (int32_t x : StationGridPixels(view, Settings.MapGridInterval, true, w))
            Line(dc, x, 0, x, h);
    }
}

// Shows a file error of the review map's scan: no owner, as the review reader's are.
void ShowMapFileError(const std::string& text)
{
    const WideString wide = NarrowToWide(text);
    MessageBoxW(nullptr, wide.c_str(), L"File Error", MB_OK);
}

// The GPS map uncovered (by the GPS monitor, a window moved over it) is drawn again from
// what it keeps: grid, the track in view and the cross. Before the first fix it stays blank.
void PaintGpsMap(HDC dc)
{
    const MapViewportValues& v = MapViewport;
    if (v.FirstPlotDone == 0)
        return;
    DrawWholeMapGrid(dc);
    DrawTrackPoints(dc, v.ViewLeft, v.ViewTop, v.ViewRight, v.ViewBottom, v.ViewLeft, v.ViewTop);
    DrawMapCross(dc, v.CrossX, v.CrossY);
}

// ---------------------------------------------------------------------------------------

LRESULT CALLBACK OnMapCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

LRESULT CALLBACK OnMapPaint(HWND window, UINT, WPARAM, LPARAM)
{
    PaintDc paint(window);
    if (ReviewMode == 0 || ReviewMode == 1)
        PaintReviewMap(paint.get(), ReviewMapFile);
    else if (ReviewMode == -1 && MapLayoutMode == 2)
        PaintStationMap(paint.get());
    else if (ReviewMode == -1 && MapLayoutMode == 1)
        PaintGpsMap(paint.get());
    return 0;
}

const MessageEntry MapMessageTable[] = {
    {WM_CREATE, OnMapCreate},
    {WM_PAINT, OnMapPaint},
};

}  // namespace

uint64_t (*MapFreeMemoryBytes)() = MachineFreeMemory;

LRESULT CALLBACK MapWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MapMessageTable), window, message, wParam, lParam);
}

int RegisterMapWndClass(HINSTANCE instance)
{
    WNDCLASSW wc{};
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MapWndProc;
    wc.cbWndExtra = 4;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = L"MapWnd";
    return RegisterClassW(&wc) != 0 ? 0 : 1;
}

void CreateMapPens(int32_t recreate)
{
    if (recreate == 1 || MapPens.CrossPen != nullptr) {
        // Made once unless asked again: a second start of GPS input keeps the first set.
        if (recreate != 1)
            return;
        const HGDIOBJ old[] = {MapPens.CrossPen, MapPens.TrackPen, MapPens.TrackBrush, MapPens.MarkerPen,
                               MapPens.MarkerBrush};
        for (HGDIOBJ o : old)
            if (o != nullptr)
                DeleteObject(o);
        MapPens = MapPenSet{};
    }
    MapPens.CrossPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 255));
    MapPens.TrackPen = CreatePen(PS_SOLID, 1, TrackColour);
    MapPens.TrackBrush = CreateSolidBrush(TrackColour);
    MapPens.MarkerPen = CreatePen(PS_SOLID, 1, MarkerColour);
    MapPens.MarkerBrush = CreateSolidBrush(MarkerColour);
}

int32_t SetupMapView()
{
    SetupViewport(MapViewport, MapPaneSize, MapPaneSize);
    int32_t made = -1;
    // Internal GPS input plots a track as well.
    if (Settings.GpsInput >= 1 && !GpsTrack.Made) {
        made = MakeTrack(GpsTrack, MapFreeMemoryBytes != nullptr ? MapFreeMemoryBytes() : 0);
        if (made > TrackMaxReductions)
            return made;
    }
    MapViewport.CrossX = MapViewport.Cx;
    MapViewport.CrossY = MapViewport.Cy;
    // A new view starts as the first fix does: the pane cleared and drawn afresh, so that no
    // box saved under the old view's cross is put back into the new one.
    MapViewport.FirstPlotDone = 0;
    PixelsPerMetre = static_cast<double>(MapPaneSize - 3) / Settings.MapSize;
    PreviousPixelsPerMetre = PixelsPerMetre;
    if (Settings.MapGridInterval > 0.0)
        ComputeMapGrid();
    return made;
}

void DrawMapCross(HDC dc, int32_t x, int32_t y)
{
    SelectGuard pen(dc, PenOr(MapPens.CrossPen, BLACK_PEN));
    Line(dc, x - 4, y, x + 5, y);
    Line(dc, x, y - 4, x, y + 5);
}

void DrawTrackSymbol(HDC dc, int32_t x, int32_t y, int32_t style, HPEN pen, HBRUSH brush, COLORREF colour)
{
    SelectGuard p(dc, PenOr(pen, BLACK_PEN));
    SelectGuard b(dc, brush != nullptr ? brush : GetStockObject(BLACK_BRUSH));
    const auto plus = [&](int32_t k) {
        Line(dc, x - k, y, x + k, y);
        Line(dc, x, y - k, x, y + k);
    };
    const auto box = [&](int32_t k) { Rectangle(dc, x - k, y - k, x + k, y + k); };
    switch (style) {
    case 0:
        SetPixel(dc, x, y, colour);
        break;
    case 1:
        plus(1);
        break;
    case 2:
        box(1);
        break;
    case 3:
        plus(2);
        box(1);
        break;
    case 4:
        box(2);
        break;
    case 5:
        plus(3);
        box(2);
        break;
    default:
        break;
    }
}

void DrawTrackPoints(HDC dc, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t offsetX, int32_t offsetY)
{
    for (const PixelPoint& p : TrackPointsInStrip(GpsTrack, x0, y0, x1, y1))
        DrawTrackSymbol(dc, SaturateAdd(p.X, -static_cast<int64_t>(offsetX)),
                        SaturateAdd(p.Y, -static_cast<int64_t>(offsetY)), TrackSymbolStyle, MapPens.TrackPen,
                        MapPens.TrackBrush, TrackColour);
}

void ComputeMapGrid()
{
    MapGrid = ComputeMapGridValues(Settings.MapSize, Settings.MapGridInterval, MapViewport);
}

void DrawMapGridVertical(HDC dc, GridRange lines, int32_t y0, int32_t y1)
{
    if (!MapGrid.Valid || lines.Empty())
        return;
    SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
    for (int64_t k = lines.First; k <= lines.Last; ++k) {
        const int32_t x = GridLinePixel(MapGrid, MapGrid.Columns, static_cast<int32_t>(k));
        Line(dc, x, y0, x, y1);
    }
}

void DrawMapGridHorizontal(HDC dc, GridRange lines, int32_t x0, int32_t x1)
{
    if (!MapGrid.Valid || lines.Empty())
        return;
    SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
    for (int64_t k = lines.First; k <= lines.Last; ++k) {
        const int32_t y = GridLinePixel(MapGrid, MapGrid.Rows, static_cast<int32_t>(k));
        Line(dc, x0, y, x1, y);
    }
}

void DrawWholeMapGrid(HDC dc)
{
    if (!(Settings.MapGridInterval > 0.0))
        return;
    DrawMapGridVertical(dc, AllLines(MapGrid.Columns), MapViewport.PaneTop, MapViewport.PaneBottom);
    DrawMapGridHorizontal(dc, AllLines(MapGrid.Rows), MapViewport.PaneLeft, MapViewport.PaneRight);
}

void PlotGpsPosition(HWND, int32_t addToTrack, int32_t drawCross, POINT* crossPosition)
{
    MapViewportValues& v = MapViewport;
    if (hWndMap == nullptr || v.PaneRight <= v.PaneLeft) {
        if (crossPosition != nullptr)
            *crossPosition = POINT{v.CrossX, v.CrossY};
        return;
    }
    if (v.FirstPlotDone == 0) {
        ClearDisplayArea(1);
        const POINT at = PanePointOf(CurrentFixPixel(PixelsPerMetre));
        v.CrossX = at.x;
        v.CrossY = at.y;
        WindowDc dc(hWndMap);
        if (dc) {
            DrawWholeMapGrid(dc.get());
            DrawTrackPoints(dc.get(), v.ViewLeft, v.ViewTop, v.ViewRight, v.ViewBottom, v.ViewLeft, v.ViewTop);
            SaveCrossBox(dc.get(), v.CrossX, v.CrossY);
            DrawMapCross(dc.get(), v.CrossX, v.CrossY);
        }
        v.FirstPlotDone = 1;
        if (crossPosition != nullptr)
            *crossPosition = POINT{v.CrossX, v.CrossY};
        return;
    }

    WindowDc window(hWndMap);
    if (!window)
        return;
    HDC dc = window.get();
    const PixelPoint p = CurrentFixPixel(PixelsPerMetre);
    if (MapCrossBoxSaved == 1)
        RestoreCrossBox(dc, v.CrossX, v.CrossY);
    else
        MapCrossBoxSaved = 1;
    if (addToTrack == 1)
        DrawTrackSymbol(dc, v.CrossX, v.CrossY, TrackSymbolStyle, MapPens.TrackPen, MapPens.TrackBrush, TrackColour);

    const int64_t oldLeft = v.ViewLeft;
    const int64_t oldTop = v.ViewTop;
    const GpsScrollPlan scroll = ScrollViewFor(v, p.X, p.Y);
    if (scroll.Recentre) {
        ClearDisplayArea(1);
        // The grid stays on the track plane across the jump; it is drawn again by the scrolls.
        ShiftGridAxis(MapGrid, MapGrid.Columns, SaturateAdd(v.ViewLeft, -oldLeft), v.PaneLeft, v.PaneRight);
        ShiftGridAxis(MapGrid, MapGrid.Rows, SaturateAdd(v.ViewTop, -oldTop), v.PaneTop, v.PaneBottom);
    } else {
        if (scroll.Dx != 0)
            ScrollAxis(dc, true, scroll.Dx);
        if (scroll.Dy != 0)
            ScrollAxis(dc, false, scroll.Dy);
    }
    const POINT at = PanePointOf(p);
    if (addToTrack == 1 && GpsTrack.Made) {
        // Two fixes on one pixel make one point.
        if (GpsTrack.Count == 0 || at.x != v.CrossX || at.y != v.CrossY)
            InsertTrackPoint(GpsTrack, p.X, p.Y);
    }
    SaveCrossBox(dc, at.x, at.y);
    if (drawCross == 1)
        DrawMapCross(dc, at.x, at.y);
    v.CrossX = at.x;
    v.CrossY = at.y;
    if (crossPosition != nullptr)
        *crossPosition = at;
}

int32_t GpsTrackPointCount()
{
    return GpsTrack.Count;
}

void DrawStationMarker(HWND mapWindow, POINT at)
{
    WindowDc dc(mapWindow);
    if (!dc)
        return;
    DrawTrackSymbol(dc.get(), at.x, at.y, TrackSymbolStyle, MapPens.MarkerPen, MapPens.MarkerBrush, MarkerColour);
}

void SaveRestoreMapBackground(HWND mapWindow, int32_t phase)
{
    if (mapWindow == nullptr)
        return;
    WindowDc window(mapWindow);
    if (!window)
        return;
    HDC memory = CreateCompatibleDC(window.get());
    if (memory == nullptr)
        return;
    const int32_t side = MapViewport.Side > 0 ? MapViewport.Side : MapPaneSize - 3;
    if (phase == 0 && MapBackgroundSaved == 0) {
        HBITMAP fresh = CreateCompatibleBitmap(window.get(), side + 1, side + 1);
        if (fresh != nullptr) {
            if (MapBackgroundBitmap != nullptr)
                DeleteObject(MapBackgroundBitmap);
            MapBackgroundBitmap = fresh;
            SelectGuard bitmap(memory, MapBackgroundBitmap);
            BitBlt(memory, 0, 0, side + 1, side + 1, window.get(), 0, 0, SRCCOPY);
            MapBackgroundSaved = 1;
        }
    } else if (MapBackgroundBitmap != nullptr) {
        SelectGuard bitmap(memory, MapBackgroundBitmap);
        BitBlt(window.get(), 0, 0, side + 1, side + 1, memory, 0, 0, SRCCOPY);
        MapBackgroundSaved = 0;
    }
    DeleteDC(memory);
}

void FreeGpsTrack()
{
    FreeTrack(GpsTrack);
}

void ResetLiveGpsMap()
{
    SuspendGpsReader();
    if (hWndMap != nullptr) {
        InvalidateRect(hWndMap, nullptr, TRUE);
        UpdateWindow(hWndMap);
    }
    ClearDisplayArea(1);
    if (Settings.MapGridInterval > 0.0) {
        WindowDc dc(hWndMap);
        if (dc)
            DrawWholeMapGrid(dc.get());
    }
    try {
        RemakeTrack(GpsTrack);
    } catch (const std::bad_alloc&) {
        FreeTrack(GpsTrack);
    }
    ResumeGpsReader();
    MapBackgroundSaved = 0;
}

void LoadGpsTrackFromFile(HWND mapWindow, int32_t keepScale)
{
    std::vector<StoredPosition> positions;
    {
        std::lock_guard<std::recursive_mutex> hold(DataFileLock);
        if (DataFile == INVALID_HANDLE_VALUE)
            return;
        HandleFile file(DataFile);
        positions = ReadStoredGgaPositions(file);
    }
    try {
        RemakeTrack(GpsTrack);
    } catch (const std::bad_alloc&) {
        FreeTrack(GpsTrack);
    }
    bool any = false;
    double easting = 0.0, northing = 0.0;
    for (const StoredPosition& s : positions) {
        int32_t zone = 0;
        if (LatLonToUtm(s.Latitude, s.Longitude, zone, northing, easting, 0) == 0)
            continue;
        any = true;
        if (GpsTrack.ReaderCount < GpsTrack.Capacity) {
            const PixelPoint p = TrackPixelOf(easting, northing, GpsFix.GpsOriginEasting, GpsFix.GpsOriginNorthing,
                                              PixelsPerMetre, MapViewport.Cx, MapViewport.Cy);
            if (InsertTrackPoint(GpsTrack, p.X, p.Y))
                ++GpsTrack.ReaderCount;
        }
    }
    if (any) {
        const auto pixel = [&](double ppm) {
            return TrackPixelOf(easting, northing, GpsFix.GpsOriginEasting, GpsFix.GpsOriginNorthing, ppm,
                                MapViewport.Cx, MapViewport.Cy);
        };
        PlaceViewAfterRebuild(MapViewport, pixel(PixelsPerMetre), pixel(PreviousPixelsPerMetre), keepScale);
    }
    if (MapLayoutMode == 1 && mapWindow != nullptr) {
        WindowDc dc(mapWindow);
        const MapViewportValues& v = MapViewport;
        if (dc)
            DrawTrackPoints(dc.get(), v.ViewLeft, v.ViewTop, v.ViewRight, v.ViewBottom, v.ViewLeft, v.ViewTop);
    }
}

void RebuildGpsMap()
{
    MapGpsPlotOn = 0;
    SuspendGpsReader();
    if (hWndMap != nullptr) {
        InvalidateRect(hWndMap, nullptr, TRUE);
        UpdateWindow(hWndMap);
    }
    ClearDisplayArea(1);
    if (Settings.MapGridInterval > 0.0) {
        ComputeMapGrid();
        WindowDc dc(hWndMap);
        if (dc)
            DrawWholeMapGrid(dc.get());
    }
    LoadGpsTrackFromFile(hWndMap, 1);
    GpsTrack.LastInsert = 0;
    ResumeGpsReader();
    MapBackgroundSaved = 0;
    MapCrossBoxSaved = 0;
    MapGpsPlotOn = 1;
}

// ---------------------------------------------------------------------------------------

void PaintStationMap(HDC dc)
{
    const int32_t w = PaneWidth();
    const int32_t h = PaneWidth();
    const SurveyMapView view = StationView();
    DrawStationBackground(dc, view, w, h);
    if (Settings.SystemConfiguration < 2)
        DrawLoop(dc, view, SettingsLoop());
    if (Settings.MapShowReferencePoint == 1) {
        const PixelPoint o = SurveyPixelOf(view, 0.0, 0.0);
        if (o.X > 0 && o.X < w && o.Y > 0 && o.Y < h) {
            SelectGuard pen(dc, PenOr(DrawingObjects.BlackPen, BLACK_PEN));
            Line(dc, o.X - 3, o.Y, o.X + 4, o.Y);
            Line(dc, o.X, o.Y - 3, o.X, o.Y + 4);
        }
    }
    SelectGuard brush(dc, WhiteFill());
    {
        SelectGuard pen(dc, PenOr(DrawingObjects.BlackPen, BLACK_PEN));
        for (const IndexedStation& s : StationMapStations) {
            double x = 0.0, y = 0.0;
            PlaceSurveyPoint(s.Line, s.Station, s.Direction, x, y);
            DrawStationDot(dc, SurveyPixelOf(view, x, y), 2);
        }
    }
    double x = 0.0, y = 0.0;
    PlaceSurveyPoint(Settings.SurveyLine, CurrentStation, Settings.LineDirection, x, y);
    SelectGuard pen(dc, PenOr(DrawingObjects.WideGreenPen, BLACK_PEN));
    DrawStationDot(dc, SurveyPixelOf(view, x, y), 4);
}

void ReadStationMapIndex()
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    StationMapStations.clear();
    if (StationIndexFile == INVALID_HANDLE_VALUE)
        return;
    HandleFile index(StationIndexFile);
    StationMapStations = ReadStationIndex(index);
}

void RedrawStationMap(HWND mapWindow)
{
    if (mapWindow == nullptr)
        return;
    WindowDc dc(mapWindow);
    if (dc)
        PaintStationMap(dc.get());
}

void FitStationMap(double marginFactor)
{
    StationFitInputs in;
    in.Loop = SettingsLoop();
    in.Line = Settings.SurveyLine;
    in.Station = CurrentStation;
    in.Direction = Settings.LineDirection;
    in.Factor = marginFactor;
    in.PaneWidth = PaneWidth();
    MapExtents index;
    IncludeStations(index, StationMapStations);
    SetStationView(FitStationMapView(in, index));
}

void ZoomStationMap(int32_t percent)
{
    SurveyMapView v = StationView();
    if (ZoomMapView(v, percent, Settings.TxLoopSideX, Settings.TxLoopSideY, PaneWidth()))
        SetStationView(v);
}

void PanStationMap(int32_t dxPercent, int32_t dyPercent)
{
    SurveyMapView v = StationView();
    PanMapView(v, dxPercent, dyPercent);
    SetStationView(v);
}

void KeepStationInView()
{
    double x = 0.0, y = 0.0;
    PlaceSurveyPoint(Settings.SurveyLine, CurrentStation, Settings.LineDirection, x, y);
    const PixelPoint steps = FollowSteps(SurveyPixelOf(StationView(), x, y), PaneWidth(), PaneWidth());
    if (steps.X != 0 || steps.Y != 0)
        PanStationMap(steps.X * MapShiftStep, steps.Y * MapShiftStep);
}

// ---------------------------------------------------------------------------------------

namespace {

// The review reader and the tag rewrite keep their own place in the file: the map reads it
// and puts the position back.
class FilePositionKept {
public:
    explicit FilePositionKept(HANDLE file) : file_(file)
    {
        LARGE_INTEGER zero{};
        kept_ = SetFilePointerEx(file_, zero, &position_, FILE_CURRENT) != 0;
    }
    ~FilePositionKept()
    {
        if (kept_)
            SetFilePointerEx(file_, position_, nullptr, FILE_BEGIN);
    }
    FilePositionKept(const FilePositionKept&) = delete;
    FilePositionKept& operator=(const FilePositionKept&) = delete;

private:
    HANDLE file_;
    LARGE_INTEGER position_{};
    bool kept_ = false;
};

}  // namespace

namespace {

// The lines and stations of the reviewed file, read when its review starts: the review map
// paints them from memory, reading no file.
ReviewMapContents ReviewMapRead;

}  // namespace

void ScanFileMapExtents(HANDLE file)
{
    ReviewMapFile = file;
    ReviewMapRead = ReviewMapContents{};
    if (file == INVALID_HANDLE_VALUE)
        return;
    HandleFile f(file);
    const FilePositionKept kept(file);
    ReviewMapRead = ReadReviewMapContents(f);
    SurveyMapView v = ReviewView();
    const ReviewExtentsResult r = ScanFileMapExtents(f, PaneWidth(), v);
    if (r.Error != 0) {
        ShowMapFileError(r.Message());
        return;
    }
    SetReviewView(v);
}

void PaintReviewMap(HDC dc, HANDLE file)
{
    if (file == INVALID_HANDLE_VALUE)
        return;
    const int32_t w = PaneWidth();
    const int32_t h = PaneWidth();
    const SurveyMapView view = ReviewView();
    const ReviewMapContents& c = ReviewMapRead;
    for (const ReviewMapContents::Line& l : c.Lines) {
        double x = 0.0, y = 0.0;
        PlaceSurveyPoint(l.Number, l.Number, l.Direction, x, y);
        const PixelPoint p = SurveyPixelOf(view, x, y);
        if (l.Direction == 0 || l.Direction == 1) {
            {
                SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
                Line(dc, p.X, 0, p.X, h);
            }
            DrawChevron(dc, l.Direction, p.X, w, h);
        } else if (l.Direction == 2 || l.Direction == 3) {
            {
                SelectGuard pen(dc, PenOr(DrawingObjects.GridPen, BLACK_PEN));
                Line(dc, 0, p.Y, w, p.Y);
            }
            DrawChevron(dc, l.Direction, p.Y, w, h);
        }
    }
    SelectGuard brush(dc, WhiteFill());
    const int oldMode = SetBkMode(dc, TRANSPARENT);
    {
        SelectGuard pen(dc, PenOr(DrawingObjects.BlackPen, BLACK_PEN));
        for (const IndexedStation& s : c.Stations) {
            double x = 0.0, y = 0.0;
            PlaceSurveyPoint(s.Line, s.Station, s.Direction, x, y);
            DrawStationDot(dc, SurveyPixelOf(view, x, y), 2);
        }
    }
    SetBkMode(dc, oldMode);
    {
        double x = 0.0, y = 0.0;
        PlaceSurveyPoint(ReviewLineNumber, ReviewStationNumber, ReviewLineDirection, x, y);
        SelectGuard pen(dc, PenOr(DrawingObjects.WideGreenPen, BLACK_PEN));
        DrawStationDot(dc, SurveyPixelOf(view, x, y), 4);
    }
    MapLoop loop = ShownReadingLoop();
    if (loop.Shape == 0)
        loop.SideY = loop.SideX;
    if (loop.Shape == 0 || loop.Shape == 1)
        DrawLoop(dc, view, loop);
}

void RedrawReviewMap(HWND mapWindow, HANDLE file)
{
    if (mapWindow == nullptr)
        return;
    WindowDc dc(mapWindow);
    if (dc)
        PaintReviewMap(dc.get(), file);
}

void FitReviewMap(double marginFactor)
{
    const ReviewMapContents contents = ReviewMapFile != INVALID_HANDLE_VALUE ? ReviewMapRead : ReviewMapContents{};
    MapLoop loop = ShownReadingLoop();
    if (loop.Shape == 0)
        loop.SideY = loop.SideX;
    SetReviewView(FitReviewMapView(loop, contents, marginFactor, PaneWidth()));
}

void ZoomReviewMap(int32_t percent)
{
    SurveyMapView v = ReviewView();
    const MapLoop loop = ShownReadingLoop();
    const double sideY = loop.Shape == 0 ? loop.SideX : loop.SideY;
    if (ZoomMapView(v, percent, loop.SideX, sideY, PaneWidth()))
        SetReviewView(v);
}

void PanReviewMap(int32_t dxPercent, int32_t dyPercent)
{
    SurveyMapView v = ReviewView();
    PanMapView(v, dxPercent, dyPercent);
    SetReviewView(v);
}
