#include "vlox/common/drawing_objects_win.h"

DrawingObjectSet DrawingObjects;

void CreateDrawingObjects()
{
    DrawingObjectSet& d = DrawingObjects;
    if (d.PanelBrush != nullptr)
        return;
    const COLORREF lightGrey = RGB(224, 224, 224);
    d.PanelBrush = CreateSolidBrush(GetSysColor(COLOR_BTNFACE));
    d.RedBrush = CreateSolidBrush(RGB(255, 0, 0));
    d.GreenBrush = CreateSolidBrush(RGB(0, 255, 0));
    d.WhiteBrush = CreateSolidBrush(RGB(255, 255, 255));
    d.RedPen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    d.GreenPen = CreatePen(PS_SOLID, 1, RGB(0, 255, 0));
    d.BlackPen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    d.WhitePen = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    d.GridPen = CreatePen(PS_SOLID, 1, lightGrey);
    d.DecadePen = CreatePen(PS_SOLID, 1, RGB(192, 192, 192));
    d.WideGreenPen = CreatePen(PS_SOLID, 2, RGB(0, 255, 0));
    d.WideBlackPen = CreatePen(PS_SOLID, 5, RGB(0, 0, 0));
    d.GridPen6 = CreatePen(PS_SOLID, 6, lightGrey);
    d.GridPen8 = CreatePen(PS_SOLID, 8, lightGrey);
    d.GridPen12 = CreatePen(PS_SOLID, 12, lightGrey);
}
