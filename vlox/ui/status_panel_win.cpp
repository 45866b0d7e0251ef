#include "vlox/ui/status_panel_win.h"

#include <string>

#include "vlox/common/gdi_guard_win.h"
#include "vlox/display/drawing_objects_win.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/main_window_win.h"

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

void TextAt(HDC dc, int32_t x, int32_t y, const char* text)
{
    const WideString wide = NarrowToWide(std::string(text));
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
}

// Writes text horizontally centred in r, at its top.
void TextCentred(HDC dc, const FieldRect& r, const char* text)
{
    const WideString wide = NarrowToWide(std::string(text));
    SIZE size{};
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    TextOutW(dc, (r.left + r.right - size.cx) / 2, r.top, wide.c_str(), static_cast<int>(wide.size()));
}

RECT ToRect(const FieldRect& r)
{
    return RECT{r.left, r.top, r.right, r.bottom};
}

const char* ViewModeText()
{
    if (Settings.SurveyMode != 0)
        return Settings.GraphView != 0 ? "Auto - Profile View" : "Auto - Decay View";
    return Settings.GraphView != 0 ? "Manual - Profile View" : "Manual - Decay View";
}

}  // namespace

void LayoutStatusPanel(HWND window)
{
    TextExtent repetition;
    {
        WindowDc dc(window);
        SelectGuard font(dc.get(), hFontNormal);
        SIZE size{};
        GetTextExtentPoint32W(dc.get(), L"Repetition:", 11, &size);
        repetition = TextExtent{static_cast<int32_t>(size.cx), static_cast<int32_t>(size.cy)};
    }
    // The panel is laid out before the map pane gets its final size: it uses the size at
    // creation, so that the panel's boxes end where the curve pane's frame begins.
    StatusPanelGeometry = ComputeStatusPanelLayout(PaneLeftMargin, MapPaneSizeAtCreation, CurvePaneRect.y,
                                                   TextLineHeight, repetition);
}

LRESULT CALLBACK PaintStatusPanel(HWND window, UINT, WPARAM, LPARAM)
{
    const StatusPanelLayout& p = StatusPanelGeometry;
    const MainLayout& m = MainScreenLayout;
    {
        PaintDc paint(window);
        HDC dc = paint.get();
        SelectGuard font(dc, hFontNormal);

        // Conductivity-meter box.
        {
            SelectGuard brush(dc, WhiteBrush());
            Rectangle(dc, m.MeterBoxRect.left, m.MeterBoxRect.top, m.MeterBoxRect.right, m.MeterBoxRect.bottom);
        }
        TextCentred(dc, m.MeterTitleRect, "SQ12-MK2");
        const RECT meterText = ToRect(m.MeterTextRect);
        FillRect(dc, &meterText, WhiteBrush());
        if (Settings.MeterInput == 0) {
            SelectGuard bold(dc, hFontBold);
            TextCentred(dc, m.MeterTextRect, "DISABLED");
        }

        // Frames around the curve and numbers panes.
        {
            SelectGuard brush(dc, PanelBrush());
            const PaneBox& c = m.CurvePaneRect;
            const PaneBox& n = m.NumbersPaneRect;
            RoundRect(dc, c.x - 4, c.y - 4, c.x + c.width + 4, c.y + c.height + 4, 10, 10);
            RoundRect(dc, n.x - 4, n.y - 4, n.x + n.width + 4, n.y + n.height + 4, 10, 10);
        }

        // Outer frame with two dots at its top corners.
        const int32_t W = WorkAreaWidth;
        const int32_t H = WorkAreaHeight;
        HPEN framePen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
        {
            SelectGuard pen(dc, framePen);
            const POINT frame[4] = {{6, 6}, {6, H - 6}, {W - 6, H - 6}, {W - 6, 6}};
            Polyline(dc, frame, 4);
        }
        DeleteObject(framePen);
        HPEN boxPen = CreatePen(PS_SOLID, 1, RGB(64, 64, 64));
        {
            SelectGuard pen(dc, boxPen);
            SelectGuard brush(dc, PanelBrush());
            Ellipse(dc, 6 - 3, 6 - 3, 6 + 3, 6 + 3);
            Ellipse(dc, W - 6 - 3, 6 - 3, W - 6 + 3, 6 + 3);

            SetBkMode(dc, TRANSPARENT);
            RoundRect(dc, p.PanelLeft - 4, m.CurvePaneRect.y - 4, p.PanelRight + 4, p.SurveyBoxBottom, 10, 10);
            RoundRect(dc, p.PanelLeft - 4, p.SystemRowY[0] - 4, p.PanelRight + 4, p.SystemBoxBottom, 10, 10);
            RoundRect(dc, m.CurvePaneRect.x - 4, m.CurvePaneRect.y + m.CurvePaneRect.height + 8, m.LowerBoxRight + 4,
                      H - 10, 10, 10);
        }
        DeleteObject(boxPen);

        // Survey box: title, view mode and labels (the values come with the data file).
        {
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, p.LabelX + 8, p.SurveyTitleY - 2, "   Survey Parameters");
        }
        TextAt(dc, p.LabelX, p.SurveyTitleY + 11, ViewModeText());
        const RECT fileValue = ToRect(p.FileValueRect);
        FillRect(dc, &fileValue, PanelBrush());
        TextAt(dc, p.LabelX, p.FileRowY, "File:   ");
        {
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, p.ValueX, p.FileRowY, "None");
        }
        TextAt(dc, p.LabelX, p.LineRowY, "Curr. Line:");
        TextAt(dc, p.LabelX, p.DirectionRowY, "Direction:");
        TextAt(dc, p.LabelX, p.StationRowY, "Station:      ");
        TextAt(dc, p.LabelX, p.RecordRowY, "Record:   ");

        // System box.
        {
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, p.LabelX + 8, p.SystemRowY[0], "System Parameters");
        }
        TextAt(dc, p.LabelX + 2, p.SystemRowY[1] - 4, "( click on any to change )");

        if (Settings.GpsInput < 1) {
            SelectGuard bold(dc, hFontBold);
            TextAt(dc, m.Gps.Disabled.left, m.Gps.Disabled.top, "GPS Disabled");
        }
    }
    UpdateWindow(window);
    return 0;
}

void RedrawNumbersHeader()
{
}
