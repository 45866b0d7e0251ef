#include "vlox/ui/status_panel_win.h"

#include <string>

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/datafile.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/measure_windows_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/status_panel.h"

StatusPanelSourceSet StatusPanelSources;

namespace {

HBRUSH PanelBrush()
{
    return DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE);
}

HBRUSH WhiteBrush()
{
    return DrawingObjects.WhiteBrush != nullptr ? DrawingObjects.WhiteBrush
                                                : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
}

RECT ToRect(const FieldRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

void Fill(HDC dc, const FieldRect& r, HBRUSH brush)
{
    const RECT rect = ToRect(r);
    FillRect(dc, &rect, brush);
}

void TextAt(HDC dc, int32_t x, int32_t y, const WideString& text)
{
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

void TextAt(HDC dc, int32_t x, int32_t y, const std::string& text)
{
    TextAt(dc, x, y, NarrowToWide(text));
}

void TextClipped(HDC dc, const FieldRect& r, const WideString& text)
{
    const RECT rect = ToRect(r);
    ExtTextOutW(dc, r.left, r.top, ETO_CLIPPED, &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
}

// Writes text horizontally centred in r, at its top.
void TextCentred(HDC dc, const FieldRect& r, const wchar_t* text)
{
    const int length = static_cast<int>(wcslen(text));
    SIZE size{};
    GetTextExtentPoint32W(dc, text, length, &size);
    TextOutW(dc, (r.left + r.right - size.cx) / 2, r.top, text, length);
}

bool Reviewing()
{
    return ReviewMode != -1;
}

void PaintFileState(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontBold);
    Fill(dc, p.FileNameSpan, PanelBrush());
    const wchar_t* reviewTitle = StatusPanelSources.ReviewFileTitle ? StatusPanelSources.ReviewFileTitle() : L"VIEW";
    const WideString text = FileFieldText(Reviewing(), reviewTitle != nullptr ? WideString(reviewTitle) : WideString(),
                                          DataFile != INVALID_HANDLE_VALUE, DataFileWideTitle);
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TextClipped(dc, FileNameRect(p, static_cast<int32_t>(size.cx)), text);
}

void PaintLineNumber(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontBold);
    Fill(dc, p.LineValueRect, PanelBrush());
    TextClipped(dc, p.LineValueRect,
                NarrowToWide(LineNumberText(Reviewing() ? ReviewLineNumber : Settings.SurveyLine)));
}

void PaintLineDirection(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontNormal);
    Fill(dc, p.DirectionValueRect, PanelBrush());
    TextClipped(dc, p.DirectionValueRect,
                NarrowToWide(LineDirectionText(Reviewing() ? ReviewLineDirection : Settings.LineDirection)));
}

void PaintStation(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontBold);
    Fill(dc, p.StationValueRect, PanelBrush());
    TextAt(dc, p.StationValueRect.left, p.StationValueRect.top, StationText(CurrentStation));
}

void PaintViewMode(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontNormal);
    Fill(dc, p.ViewModeRect, PanelBrush());
    TextAt(dc, p.LabelX, p.SurveyTitleY + 11, ViewModeText(Settings.SurveyMode, Settings.GraphView));
}

void PaintRecordNumber(HDC dc)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontBold);
    Fill(dc, p.RecordValueRect, PanelBrush());
    TextAt(dc, p.RecordValueRect.left, p.RecordValueRect.top,
           RecordNumberText(Reviewing() ? ReviewRecordNumber : ReadingCounter));
}

// Runs a painter on a device context of the window.
void OnWindowDc(HWND window, void (*paint)(HDC))
{
    if (window == nullptr)
        return;
    WindowDc dc(window);
    if (dc)
        paint(dc.get());
}

void PaintMeterBox(HDC dc, const MainLayout& m)
{
    {
        SelectGuard brush(dc, WhiteBrush());
        Rectangle(dc, m.MeterBoxRect.left, m.MeterBoxRect.top, m.MeterBoxRect.right, m.MeterBoxRect.bottom);
    }
    TextCentred(dc, m.MeterTitleRect, L"SQ12-MK2");
    Fill(dc, m.MeterTextRect, WhiteBrush());
    if (Settings.MeterInput == 0) {
        SelectGuard bold(dc, hFontBold);
        TextCentred(dc, m.MeterTextRect, L"DISABLED");
    }
}

void PaintGpsFields(HDC dc, const MainLayout& m)
{
    const GpsStatusRects& g = m.Gps;
    if (Settings.GpsInput < 1) {
        SelectGuard bold(dc, hFontBold);
        TextAt(dc, g.Disabled.left, g.Disabled.top, std::string("GPS Disabled"));
        return;
    }
    Fill(dc, g.PdopValue, PanelBrush());
    TextAt(dc, g.PdopLabelX, g.PdopValue.top, std::string(Settings.GpsNmeaData != 0 ? "HDOP: " : "PDOP: "));
    Fill(dc, g.SatValue, PanelBrush());
    TextAt(dc, g.SatLabelX, g.SatValue.top, std::string("Sat: "));
    Fill(dc, g.GpsCountRect, PanelBrush());
    TextAt(dc, g.CountLabelX, g.GpsCountRect.top, std::string("GPS#:"));
    const int32_t count = StatusPanelSources.GpsPositionCount ? StatusPanelSources.GpsPositionCount() : 0;
    TextClipped(dc, g.GpsCountRect, NarrowToWide(GpsCountText(count)));
    if (Settings.GpsCoordinateDisplay > 0) {
        TextAt(dc, g.ZoneLabelX, g.ZoneValue.top, std::string("Z:"));
        // A UTM display leaves the count box empty after a repaint.
        Fill(dc, g.GpsCountRect, PanelBrush());
    }
}

}  // namespace

HPEN PanelFramePen()
{
    static HPEN pen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
    return pen;
}

void LayoutStatusPanel(HWND window)
{
    TextExtent repetition;
    int32_t fileLabel = 0;
    {
        WindowDc dc(window);
        SelectGuard font(dc.get(), hFontNormal);
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), L"Repetition:", 11, &size);
        repetition = TextExtent{static_cast<int32_t>(size.cx), static_cast<int32_t>(size.cy)};
        GetTextExtentPoint32W(dc.get(), L"File: ", 6, &size);
        fileLabel = static_cast<int32_t>(size.cx);
    }
    // The panel is laid out before the map pane gets its final size: it uses the size at
    // creation, so that the panel's boxes end where the curve pane's frame begins.
    StatusPanelGeometry = ComputeStatusPanelLayout(PaneLeftMargin, MapPaneSizeAtCreation, CurvePaneRect.y,
                                                   TextLineHeight, repetition, fileLabel);
}

LRESULT CALLBACK PaintStatusPanel(HWND window, UINT, WPARAM, LPARAM)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    const MainLayout& m = MainScreenLayout;
    {
        PaintDc paint(window);
        HDC dc = paint.get();
        SelectGuard font(dc, hFontNormal);

        PaintMeterBox(dc, m);

        // Pane frames, with the context's own outline pen.
        SelectGuard panelBrush(dc, PanelBrush());
        const PaneBox& c = m.CurvePaneRect;
        const PaneBox& n = m.NumbersPaneRect;
        RoundRect(dc, c.x - 4, c.y - 4, c.x + c.width + 4, c.y + c.height + 4, 10, 10);
        RoundRect(dc, n.x - 4, n.y - 4, n.x + n.width + 4, n.y + n.height + 4, 10, 10);

        // Outer frame with two dots at its top corners; the same pen outlines the boxes. The
        // pen is the program's own, selected here and put back when the paint ends.
        const int32_t W = WorkAreaWidth;
        const int32_t H = WorkAreaHeight;
        SelectGuard pen(dc, PanelFramePen());
        const POINT frame[4] = {{6, 6}, {6, H - 6}, {W - 6, H - 6}, {W - 6, 6}};
        Polyline(dc, frame, 4);
        Ellipse(dc, 6 - 3, 6 - 3, 6 + 3, 6 + 3);
        Ellipse(dc, W - 6 - 3, 6 - 3, W - 6 + 3, 6 + 3);

        SetBkMode(dc, TRANSPARENT);
        RoundRect(dc, p.PanelLeft - 4, c.y - 4, p.PanelRight + 4, p.SurveyBoxBottom, 10, 10);
        RoundRect(dc, p.PanelLeft - 4, p.SystemRowY[0] - 4, p.PanelRight + 4, p.SystemBoxBottom, 10, 10);
        RoundRect(dc, c.x - 4, c.y + c.height + 8, m.LowerBoxRight + 4, H - 10, 10, 10);

        // Title.
        if (Reviewing()) {
            const bool test = StatusPanelSources.ReviewTestMode && StatusPanelSources.ReviewTestMode() != 0;
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, p.LabelX, p.SurveyTitleY, std::string(test ? "Review: Internal Test" : "Review:"));
        } else {
            {
                SelectGuard bold(dc, hFontBold);
                TextAt(dc, p.LabelX + 8, p.SurveyTitleY - 2, std::string("   Survey Parameters"));
            }
            TextAt(dc, p.LabelX, p.SurveyTitleY + 11, ViewModeText(Settings.SurveyMode, Settings.GraphView));
        }

        // Survey box rows; in review the review code paints line, station and record.
        Fill(dc, p.FileNameSpan, PanelBrush());
        TextAt(dc, p.LabelX, p.FileRowY, std::string("File:   "));
        PaintFileState(dc);
        TextAt(dc, p.LabelX, p.LineRowY, std::string("Curr. Line:"));
        if (!Reviewing())
            PaintLineNumber(dc);
        TextAt(dc, p.LabelX, p.DirectionRowY, std::string("Direction:"));
        PaintLineDirection(dc);
        TextAt(dc, p.LabelX, p.StationRowY, std::string("Station:      "));
        if (!Reviewing())
            PaintStation(dc);
        TextAt(dc, p.LabelX, p.RecordRowY, std::string("Record:   "));
        if (!Reviewing()) {
            PaintRecordNumber(dc);
        } else {
            TextAt(dc, p.LabelX, p.RcdModeRowY, std::string("Rcd Mode"));
            const bool test = StatusPanelSources.ReviewTestMode && StatusPanelSources.ReviewTestMode() != 0;
            if (!test)
                TextAt(dc, p.LabelX, p.ProfModeRowY, std::string("Prof Mode"));
        }

        // System box title and hint.
        {
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, p.LabelX + 8, p.SystemRowY[0], std::string("System Parameters"));
        }
        TextAt(dc, p.LabelX + 2, p.SystemRowY[1] - 4,
               std::string(Reviewing() ? "     ( for current record )  " : "( click on any to change )"));

        PaintGpsFields(dc, m);
    }
    DrawParameterPanel();
    UpdateWindow(window);
    return 0;
}

void DrawFileStateField(HWND window)
{
    OnWindowDc(window, PaintFileState);
}

void DrawLineNumberField(HWND window)
{
    OnWindowDc(window, PaintLineNumber);
}

void DrawLineDirectionField(HWND window)
{
    OnWindowDc(window, PaintLineDirection);
}

void DrawStationField(HWND window)
{
    OnWindowDc(window, PaintStation);
}

void DrawViewModeField(HWND window)
{
    OnWindowDc(window, PaintViewMode);
}

void DrawRecordNumberField(HWND window)
{
    // While reviewing the record box stands in the field's place and shows the record.
    if (Reviewing())
        return;
    OnWindowDc(window, PaintRecordNumber);
}

void DrawMapSizeField(HWND window)
{
    OnWindowDc(window, PaintMapSizeField);
}

void RedrawNumbersHeader()
{
    if (hWndNumbers == nullptr)
        return;
    int32_t gateCount = GateCount;
    int32_t component = Settings.SelectedComponent;
    int32_t componentCount = ComponentCount;
    if (Reviewing() && StatusPanelSources.ReviewedReadingGates)
        StatusPanelSources.ReviewedReadingGates(gateCount, component, componentCount);
    WindowDc dc(hWndNumbers);
    if (dc)
        DrawNumbersHeader(dc.get(), gateCount, component, componentCount);
}
