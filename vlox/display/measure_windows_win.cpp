#include "vlox/display/measure_windows_win.h"

#include "vlox/common/gdi_guard_win.h"
#include "vlox/common/message_table_win.h"

int32_t CurveBackgroundSaved = 0;

namespace {

LRESULT CALLBACK OnMeasureCreate(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

// Validates the window; the class brush has already cleared it.
LRESULT CALLBACK OnMeasurePaint(HWND window, UINT, WPARAM, LPARAM)
{
    PaintDc paint(window);
    return 0;
}

const MessageEntry MeasureMessageTable[] = {
    {WM_CREATE, OnMeasureCreate},
    {WM_PAINT, OnMeasurePaint},
};

}  // namespace

LRESULT CALLBACK MeasureWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DispatchThroughTable(MakeMessageTable(MeasureMessageTable), window, message, wParam, lParam);
}

void ComputeCurveScale()
{
}

void CreateBackBuffers()
{
}
