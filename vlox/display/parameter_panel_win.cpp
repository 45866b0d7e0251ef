#include "vlox/display/parameter_panel_win.h"

#include <windows.h>

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/drawing_objects_win.h"
#include "vlox/settings/settings.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/review_state.h"

ReviewedPanelParameters (*ReviewedParametersSource)() = nullptr;

namespace {

HBRUSH PanelBrush()
{
    return DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE);
}

void Text(HDC dc, int32_t x, int32_t y, const WideString& text)
{
    TextOutW(dc, x, y, text.c_str(), static_cast<int>(text.size()));
}

}  // namespace

void DrawParameterPanel()
{
    if (hWndMain == nullptr)
        return;
    ParameterPanelInput in;
    in.Reviewing = ReviewMode != -1;
    in.Live = &Settings;
    in.GainCodeSent = GainCodeSent;
    in.GateCount = GateCount;
    if (in.Reviewing && ReviewedParametersSource != nullptr)
        in.Reviewed = ReviewedParametersSource();
    const std::vector<ParameterPanelRow> rows = ParameterPanelRows(in, StatusPanelGeometry);

    WindowDc window(hWndMain);
    if (!window)
        return;
    HDC dc = window.get();
    SetBkMode(dc, TRANSPARENT);
    SelectGuard brush(dc, PanelBrush());
    SelectGuard font(dc, hFontNormal);
    const int32_t labelX = StatusPanelGeometry.LabelX;
    for (const ParameterPanelRow& row : rows) {
        Text(dc, labelX, row.LabelY, NarrowToWide(row.Label));
        const RECT r{row.ValueRect.left, row.ValueRect.top, row.ValueRect.right, row.ValueRect.bottom};
        FillRect(dc, &r, PanelBrush());
        SelectGuard bold(dc, hFontBold);
        ExtTextOutW(dc, r.left, r.top, row.Clipped ? ETO_CLIPPED : 0, row.Clipped ? &r : nullptr, row.Value.c_str(),
                    static_cast<UINT>(row.Value.size()), nullptr);
    }

    // The size of the map shown, under the map pane.
    const MainLayout& m = MainScreenLayout;
    Text(dc, m.MapPaneX, m.MapPaneY + m.MapPaneSize + 2, VLOX_WIDE("Map Size:"));
    PaintMapSizeField(dc);
}

void PaintMapSizeField(HDC dc)
{
    const std::string field = MapSizeField(ReviewMode != -1, Settings.MapSize, ReviewMapSize);
    const FieldRect& line = MainScreenLayout.MessageLineRect;
    const RECT r{line.left, line.top, line.right, line.bottom};
    SetBkMode(dc, TRANSPARENT);
    FillRect(dc, &r, PanelBrush());
    SelectGuard font(dc, hFontNormal);
    const WideString size = NarrowToWide(field);
    ExtTextOutW(dc, r.left, r.top, ETO_CLIPPED, &r, size.c_str(), static_cast<UINT>(size.size()), nullptr);
}
