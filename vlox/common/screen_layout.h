// The geometry of the one fixed screen as plain values: boxes and text fields in client
// pixels of the main window (origin top left), the rows of the status panel, and where every
// pane, button and status field lies with its start state. The main window computes it
// (vlox/ui/main_layout.h); every part that draws on the screen reads it.
#pragma once

#include <cstdint>

#include "resources/resource.h"

// A window's place: x, y, width, height.
struct PaneBox {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// A text field: left, top, right, bottom.
struct FieldRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

struct TextExtent {
    int32_t cx = 0;
    int32_t cy = 0;
};

// ---------------------------------------------------------------------------------------
// Fixed values of the layout.

constexpr int32_t PaneLeftMargin = 20;
constexpr int32_t PaneRightMargin = 20;
constexpr int32_t MapPaneSizeAtCreation = 164;  // 160 + 4; the layout adds 4 more
constexpr int32_t MapPaneSizeLaidOut = 168;
constexpr int32_t MapPaneXFixed = PaneLeftMargin - 4;
constexpr int32_t CurvePaneX = PaneLeftMargin + 160 + 10;
constexpr int32_t CurvePaneY = 9;
constexpr int32_t ButtonWidthFixed = 120;
constexpr int32_t ButtonGapFixed = 5;
constexpr int32_t SmallButtonGapFixed = 2;
constexpr int32_t TopRowY = 2;
constexpr int32_t TopRowHeight = 32;
constexpr int32_t ReviewComboWidth = 96;
constexpr int32_t ReviewComboDropHeight = 300;

// ---------------------------------------------------------------------------------------
// Status panel rows (the panel on the left of the main window).

constexpr int32_t PanelSystemRowCount = 20;
constexpr int32_t PanelLiveItemCount = 9;     // Repetition .. Turn Off
constexpr int32_t PanelReviewItemCount = 12;  // Repetition .. Turn Off, review set
constexpr int32_t ReviewComboCount = 6;       // ids 81, 82, 83, 84, 85, 87

struct StatusPanelLayout {
    int32_t PanelLeft = 0;
    int32_t LabelX = 0;
    int32_t PanelRight = 0;
    int32_t ValueX = 0;
    int32_t SurveyTitleY = 0;
    int32_t FileRowY = 0;
    int32_t LineRowY = 0;
    int32_t DirectionRowY = 0;
    int32_t StationRowY = 0;
    int32_t RecordRowY = 0;
    int32_t RcdModeRowY = 0;
    int32_t ProfModeRowY = 0;
    int32_t SurveyBoxBottom = 0;
    int32_t SystemRowY[PanelSystemRowCount] = {};
    int32_t ReviewRowY[PanelSystemRowCount] = {};
    int32_t SystemBoxBottom = 0;

    FieldRect ViewModeRect;
    FieldRect FileValueRect;
    // The room a file name may take when it is wider than FileValueRect: from just after
    // "File: " to the panel's right.
    FieldRect FileNameSpan;
    FieldRect LineValueRect;
    FieldRect DirectionValueRect;
    FieldRect StationValueRect;
    FieldRect RecordValueRect;
    FieldRect PanelItemRectsLive[PanelLiveItemCount];
    FieldRect PanelItemRectsReview[PanelReviewItemCount];

    // The parameter summary panel that the popups and the hand cursor hit-test: x in
    // [left, right], y strictly between top and bottom.
    FieldRect SummaryPanelRect;

    // Row tops beside which the review combo boxes 81, 82, 83, 84, 85 and 87 sit: the review
    // title, then the line, station, record, "Rcd Mode" and "Prof Mode" rows.
    int32_t ReviewComboRowTop[ReviewComboCount] = {};
};

// ---------------------------------------------------------------------------------------
// Panes, buttons and fields.

constexpr int32_t ButtonFirstId = IDC_BUTTON_BASE;
constexpr int32_t ButtonSlots = BUTTON_SLOT_COUNT;

// The slot in hButtons and in MainLayout::Buttons of a button's control id.
constexpr int32_t ButtonSlotForId(int32_t controlId)
{
    return controlId - ButtonFirstId;
}

// One command button: its place and start state. Slots 0-3 and 44 (ids 420-423 and 464)
// have no button: exists is false there.
struct ButtonPlace {
    bool exists = false;
    PaneBox box;
    bool shown = false;
    bool enabled = true;
};

// GPS status block under the curve pane.
struct GpsStatusRects {
    FieldRect Indicator;     // "AGPS "
    FieldRect Lamps[2];      // 14 by 14
    int32_t PdopLabelX = 0;  // "PDOP: " on row T + s
    FieldRect PdopValue;
    int32_t SatLabelX = 0;  // "Sat:"
    FieldRect SatValue;
    FieldRect Coordinates[2];  // rows T + 2s and T + 3s
    int32_t CountLabelX = 0;   // "GPS#: " on row T + 4s
    FieldRect GpsCountRect;
    int32_t ZoneLabelX = 0;  // "Z:"
    FieldRect ZoneValue;
    FieldRect Disabled;  // "GPS Disabled"
};

struct MainLayout {
    int32_t WorkAreaWidth = 0;  // the client size the layout was computed for
    int32_t WorkAreaHeight = 0;
    int32_t ComponentCount = 1;
    int32_t GateCount = 20;

    int32_t ButtonWidth = ButtonWidthFixed;
    int32_t ButtonGap = ButtonGapFixed;
    int32_t SmallButtonGap = SmallButtonGapFixed;
    int32_t ButtonColumnX = 0;
    int32_t ButtonRowY = 0;
    int32_t ButtonRow2Y = 0;
    int32_t ButtonHeight = 0;
    int32_t SmallButtonHeight = 0;
    int32_t StepButtonsX = 0;
    int32_t TopRowWidth = 0;

    int32_t MapPaneX = MapPaneXFixed;
    int32_t MapPaneY = 0;
    int32_t MapPaneSize = MapPaneSizeLaidOut;

    PaneBox CurvePaneRect;
    PaneBox NumbersPaneRect;
    PaneBox MapPane;
    PaneBox MonitorGpsBox;
    PaneBox SplashBoxAtCreation;  // twice the work area
    PaneBox SplashBox;            // the work area
    PaneBox BarBox;
    PaneBox ListRecordsBox;
    PaneBox ReviewCombos[ReviewComboCount];  // ids 81, 82, 83, 84, 85, 87

    ButtonPlace Buttons[ButtonSlots];  // index = control id - 420

    // Where the review screen puts the three live buttons it moves: "Next Station" and
    // "Next Line" join the small stepping buttons, "Auto Scale" moves along row 2 to the
    // left of the column of "Print".
    PaneBox ReviewNextStation;
    PaneBox ReviewNextLine;
    PaneBox ReviewAutoScale;

    FieldRect MessageLineRect;
    GpsStatusRects Gps;
    int32_t GpsBlockRight = 0;
    FieldRect MeterBoxRect;
    FieldRect MeterTitleRect;
    FieldRect MeterTextRect;
    FieldRect BarLabelRect;     // strip above the progress bar
    FieldRect CurveClientRect;  // (0, 0, curve width, curve height)
    FieldRect MapClientRect;    // (0, 0, 168, 168)
    int32_t LowerBoxRight = 0;  // right edge of the box under the curve pane: the GPS block's
};
