#include "vlox/ui/status_strip_win.h"

#include <windows.h>

#include "vlox/common/drawing_objects_win.h"
#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/program_windows_win.h"
#include "vlox/common/screen_state.h"
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_state.h"
#include "vlox/display/map_window_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/ui/command_rules.h"
#include "vlox/ui/enabling_win.h"

NullingBoxLayout NullingBox;

namespace {

HBRUSH Brush(HBRUSH made, int stock)
{
    return made != nullptr ? made : static_cast<HBRUSH>(GetStockObject(stock));
}

HBRUSH PanelBrush()
{
    return DrawingObjects.PanelBrush != nullptr ? DrawingObjects.PanelBrush : GetSysColorBrush(COLOR_BTNFACE);
}

// The buttons standing where the nulling box is drawn, hidden while it is up.
GivenWay NullingBoxPlaces;

void FillField(HDC dc, const FieldRect& f, HBRUSH brush)
{
    const RECT r{f.left, f.top, f.right, f.bottom};
    FillRect(dc, &r, brush);
}

}  // namespace

void SetBusyIndicator(int32_t on)
{
    if (hWndMain == nullptr)
        return;
    WindowDc dc(hWndMain);
    if (dc)
        FillField(dc.get(), MainScreenLayout.BarLabelRect,
                  on != 0 ? Brush(DrawingObjects.RedBrush, BLACK_BRUSH) : PanelBrush());
}

void DrawNullingProgress(int32_t kind, int32_t erase)
{
    if (hWndMain == nullptr)
        return;
    if (erase == 0) {
        // The buttons under the box go first, and the window repaints where they stood
        // before the box is drawn: a later repaint would wipe the box's title and columns.
        GiveWay(NullingBoxGivesWay, NullingBoxGivesWayCount, NullingBoxPlaces);
        UpdateWindow(hWndMain);
    }
    WindowDc window(hWndMain);
    if (!window)
        return;
    HDC dc = window.get();
    if (erase != 0) {
        NullingBox = NullingBoxFrame(MainScreenLayout);
        FillField(dc, NullingBox.Frame, PanelBrush());
        TakeBackPlaces(NullingBoxPlaces);
        return;
    }
    NullingBox = ComputeNullingBox(MainScreenLayout, kind, NullRateSelected, Settings.RepRateIndex);
    const NullingBoxLayout& b = NullingBox;

    SelectGuard brush(dc, PanelBrush());
    RoundRect(dc, b.Frame.left, b.Frame.top, b.Frame.right, b.Frame.bottom, 10, 10);
    SetBkMode(dc, TRANSPARENT);
    SelectGuard font(dc, hFontNormal);
    const WideString title = NarrowToWide(NullingProgressTitle(NullingEstimateSeconds));
    TextOutW(dc, b.TitleX, b.TitleY, title.c_str(), static_cast<int>(title.size()));

    const bool sixtyHz = Settings.PowerLineFrequency != 0;
    for (int32_t i = 0; i < b.ColumnCount; ++i) {
        {
            SelectGuard white(dc, Brush(DrawingObjects.WhiteBrush, WHITE_BRUSH));
            Rectangle(dc, b.ColumnX[i], b.BarBottom, b.ColumnX[i] + b.ColumnWidth, b.BarTop);
        }
        const WideChar* label = MainsRateLabel(Settings.PowerLineFrequency, b.ColumnRate[i]);
        const int length = static_cast<int>(wcslen(label));
        SIZE size{};
        GetTextExtentPoint32W(dc, label, length, &size);
        TextOutW(dc, NullingLabelX(b, i, size.cx, sixtyHz), b.BarBottom + 2, label, length);
    }
}

void DrawNullingProgressBar(int32_t column, double fraction)
{
    if (hWndMain == nullptr || column < 0 || column >= NullingBox.ColumnCount)
        return;
    WindowDc window(hWndMain);
    if (!window)
        return;
    HDC dc = window.get();
    const NullingBoxLayout& b = NullingBox;
    SelectGuard brush(dc, Brush(DrawingObjects.GreenBrush, GRAY_BRUSH));
    Rectangle(dc, b.ColumnX[column], b.BarBottom, b.ColumnX[column] + b.ColumnWidth, NullingBarFillTop(b, fraction));
}

void PreserveMapBackground(int32_t phase)
{
    if (phase == 0) {
        MapGpsPlotOn = 0;
        SaveRestoreMapBackground(hWndMap, 0);
    } else if (phase == 1) {
        if (hWndMap != nullptr) {
            InvalidateRect(hWndMap, nullptr, TRUE);
            UpdateWindow(hWndMap);
        }
        SaveRestoreMapBackground(hWndMap, 1);
        MapGpsPlotOn = 1;
    }
}

void ShowRecordList(int32_t show)
{
    if (show == 1) {
        if (hWndMap != nullptr)
            ShowWindow(hWndMap, SW_HIDE);
        if (hListRecords != nullptr)
            ShowWindow(hListRecords, SW_SHOW);
    } else if (show == 0) {
        if (hListRecords != nullptr) {
            SendMessageW(hListRecords, LB_RESETCONTENT, 0, 0);
            ShowWindow(hListRecords, SW_HIDE);
        }
        if (hWndMap != nullptr)
            ShowWindow(hWndMap, SW_SHOW);
    }
}

void CopyRecordsToListBox(int32_t)
{
    if (hListRecords == nullptr || hComboRecord == nullptr)
        return;
    SendMessageW(hListRecords, LB_RESETCONTENT, 0, 0);
    const LRESULT items = SendMessageW(hComboRecord, CB_GETCOUNT, 0, 0);
    for (int32_t i = 0; i < ReviewRecordCount && i < items; ++i) {
        // An item text is at most 127 characters; a longer one is not copied.
        const LRESULT length = SendMessageW(hComboRecord, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        wchar_t text[128] = {};
        if (length >= 0 && length < 128)
            SendMessageW(hComboRecord, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        SendMessageW(hListRecords, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    // The readings already chosen stay chosen; with none, the reading in the record box is.
    bool chosen = false;
    for (int32_t i = 0; i < ReviewRecordCount && i < items && i < MaxReviewRecords; ++i)
        if (ReviewRecordTags[i] == 1) {
            SendMessageW(hListRecords, LB_SETSEL, TRUE, i);
            chosen = true;
        }
    const LRESULT selected = SendMessageW(hComboRecord, CB_GETCURSEL, 0, 0);
    if (!chosen && selected >= 0)
        SendMessageW(hListRecords, LB_SETSEL, TRUE, selected);
}
