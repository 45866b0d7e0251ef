// The program-wide pens and brushes, made once at main-window creation and kept for the life
// of the program. Their users select them but never delete them.
#pragma once

#include <windows.h>

struct DrawingObjectSet {
    HBRUSH PanelBrush = nullptr;  // system colour COLOR_BTNFACE
    HBRUSH RedBrush = nullptr;
    HBRUSH GreenBrush = nullptr;
    HBRUSH WhiteBrush = nullptr;
    HPEN RedPen = nullptr;
    HPEN GreenPen = nullptr;
    HPEN BlackPen = nullptr;
    HPEN WhitePen = nullptr;
    HPEN GridPen = nullptr;       // 224, 224, 224
    HPEN DecadePen = nullptr;     // 192, 192, 192
    HPEN WideGreenPen = nullptr;  // 2 pixels
    HPEN WideBlackPen = nullptr;  // 5 pixels, printing
    HPEN GridPen6 = nullptr;      // printing
    HPEN GridPen8 = nullptr;
    HPEN GridPen12 = nullptr;
};

extern DrawingObjectSet DrawingObjects;

// Makes the set; a second call keeps the first set.
void CreateDrawingObjects();
