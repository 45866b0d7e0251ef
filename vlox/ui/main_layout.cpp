#include "vlox/ui/main_layout.h"

#include <algorithm>

namespace {

int32_t NonNegative(int32_t v)
{
    return v < 0 ? 0 : v;
}

PaneBox Box(int32_t x, int32_t y, int32_t width, int32_t height)
{
    return PaneBox{x, y, NonNegative(width), NonNegative(height)};
}

// A field whose top-left corner is given and whose size is that of its sample text.
FieldRect FieldAt(int32_t left, int32_t top, TextExtent e)
{
    return FieldRect{left, top, left + e.cx, top + e.cy};
}

ButtonPlace& Slot(MainLayout& out, int32_t id)
{
    return out.Buttons[ButtonSlotForId(id)];
}

void Place(MainLayout& out, int32_t id, PaneBox box, bool shown, bool enabled = true)
{
    ButtonPlace& b = Slot(out, id);
    b.box = box;
    b.shown = shown;
    b.enabled = enabled;
}

// The caption of every command button; a slot without a caption holds no button.
struct ButtonText {
    int32_t id;
    const char* caption;
};
const ButtonText kButtonCaptions[] = {
    {IDC_TEST, "Test"},
    {IDC_START_REVIEW, "Review"},
    {IDC_ANALYSIS, "Analysis"},
    {IDC_TRANSFER, "Transfer"},
    {IDC_EXIT, "E&xit"},
    {IDC_CREATE_DATA_FILE, "Create File"},
    {IDC_CLOSE_DATA_FILE, "Close File"},
    {IDC_MONITOR, "Monitor"},
    {IDC_PAUSE, "Pause"},
    {IDC_MEASURE, "MEASURE"},
    {IDC_STOP, "STOP"},
    {IDC_STORE_READING, "STORE"},
    {IDC_CANCEL_READING, "Cancel"},
    {IDC_TOP_OF_SCALE_DOWN, "Down"},
    {IDC_BOTTOM_OF_SCALE_DOWN, "Down"},
    {IDC_TOP_OF_SCALE_UP, "Up"},
    {IDC_BOTTOM_OF_SCALE_UP, "Up"},
    {IDC_PREVIOUS_STATION, "Prev. Station"},
    {IDC_PREVIOUS_LINE, "Prev. Line"},
    {IDC_NEXT_STATION, "Next Station"},
    {IDC_NEXT_LINE, "Next Line"},
    {IDC_PREVIOUS_RECORD, "Prev. Rcd."},
    {IDC_NEXT_RECORD, "Next Rcd."},
    {IDC_EXIT_REVIEW, "E&xit Review"},
    {IDC_PRINT, "Print"},
    {IDC_ENTER_COMMENT, "Comment"},
    {IDC_DISPLAY_COMMENTS, "Display Available Comments"},
    {IDC_OPEN_DATA_FILE, "New File"},
    {IDC_MANAGE_RECORDS, "Manage Rcds"},
    {IDC_AUTO_SCALE, "Auto Scale"},
    {IDC_ZOOM_IN, "Zoom+"},
    {IDC_ZOOM_OUT, "Zoom-"},
    {IDC_FIT_ALL, "Fit All"},
    {IDC_HIDE, "Hide L"},
    {IDC_SHIFT_MAP_LEFT, "Left"},
    {IDC_SHIFT_MAP_UP, "Up"},
    {IDC_SHIFT_MAP_DOWN, "Down"},
    {IDC_SHIFT_MAP_RIGHT, "Right"},
    {IDC_REPEAT_LAST_STATION, "Repeat Last Station"},
    {IDC_INVERT, "Invert"},
    {IDC_TEST_DC, "DC"},
    {IDC_TEST_100MS, "100"},
    {IDC_TEST_3MS, "3"},
    {IDC_TEST_01MS, "0.1"},
    {IDC_EXIT_TEST, "E&xit Test Mode"},
};

}  // namespace

std::string MainWindowTitle()
{
    return std::string("Tarnwel V-LOX   Version ") + VloxVersionText;
}

MainWindowPlacement ComputeMainWindowPlacement(int32_t screenWidth, int32_t screenHeight)
{
    MainWindowPlacement p;
    p.width = screenWidth;
    p.height = screenHeight - 38;
    if (screenWidth > 1280 || p.height >= 769) {
        p.width = 1024;
        p.height = 768;
        p.x = (screenWidth - 1024) / 2;
        p.y = std::max(0, (screenHeight - 768) / 2 - 38);
    }
    return p;
}

StatusPanelLayout ComputeStatusPanelLayout(int32_t panelLeft, int32_t mapPaneSize, int32_t curvePaneY,
                                           int32_t textLineHeight, TextExtent repetitionExtent, int32_t fileLabelWidth)
{
    const int32_t L = textLineHeight;
    const int32_t cx = repetitionExtent.cx;
    const int32_t cy = repetitionExtent.cy;
    StatusPanelLayout p;
    p.PanelLeft = panelLeft;
    p.LabelX = panelLeft + 5;
    p.PanelRight = panelLeft + mapPaneSize - 2;
    p.ValueX = p.LabelX + cx + 2;
    p.SurveyTitleY = curvePaneY + 4;
    p.FileRowY = p.SurveyTitleY + L + 6;
    p.LineRowY = p.FileRowY + L + 6;
    p.DirectionRowY = p.LineRowY + L + 3;
    p.StationRowY = p.DirectionRowY + L + 6;
    p.RecordRowY = p.StationRowY + L + 3;
    p.RcdModeRowY = p.RecordRowY + L + 3;
    p.ProfModeRowY = p.RcdModeRowY + L + 3;
    p.SurveyBoxBottom = p.RcdModeRowY + L + 37;
    p.SystemRowY[0] = p.SurveyBoxBottom + 5;
    p.ReviewRowY[0] = p.SurveyBoxBottom + 6;
    for (int i = 1; i < PanelSystemRowCount; ++i) {
        p.SystemRowY[i] = p.SystemRowY[i - 1] + L - 2;
        p.ReviewRowY[i] = p.ReviewRowY[i - 1] + L - 5;
    }
    p.SystemBoxBottom = p.ReviewRowY[14] + 4;

    auto valueRow = [&](int32_t y) { return FieldRect{p.ValueX, y, p.PanelRight, y + cy}; };
    p.ViewModeRect = FieldRect{p.LabelX, p.SurveyTitleY + 11, p.PanelRight, p.SurveyTitleY + 11 + cy};
    p.FileValueRect = valueRow(p.FileRowY);
    p.FileNameSpan = p.FileValueRect;
    if (fileLabelWidth > 0)
        p.FileNameSpan.left = std::min(p.ValueX, p.LabelX + fileLabelWidth);
    p.LineValueRect = valueRow(p.LineRowY);
    p.DirectionValueRect = valueRow(p.DirectionRowY);
    p.StationValueRect = valueRow(p.StationRowY);
    p.RecordValueRect = valueRow(p.RecordRowY);
    for (int k = 0; k < PanelLiveItemCount; ++k)
        p.PanelItemRectsLive[k] = valueRow(p.SystemRowY[k + 2]);
    for (int k = 0; k < PanelReviewItemCount; ++k)
        p.PanelItemRectsReview[k] = valueRow(p.ReviewRowY[k + 2]);
    p.SummaryPanelRect = FieldRect{p.LabelX, p.SystemRowY[2], p.PanelRight, p.SystemRowY[10] + cy};

    p.ReviewComboRowTop[0] = p.SurveyTitleY;
    p.ReviewComboRowTop[1] = p.LineRowY;
    p.ReviewComboRowTop[2] = p.StationRowY;
    p.ReviewComboRowTop[3] = p.RecordRowY;
    p.ReviewComboRowTop[4] = p.RcdModeRowY;
    p.ReviewComboRowTop[5] = p.ProfModeRowY;
    return p;
}

int32_t ComponentCountFor(int32_t selectedComponent)
{
    if (selectedComponent >= 0 && selectedComponent <= 2)
        return 1;
    if (selectedComponent == 3)
        return 3;
    return 2;
}

const char* ButtonCaption(int32_t slot)
{
    for (const ButtonText& b : kButtonCaptions) {
        if (ButtonSlotForId(b.id) == slot)
            return b.caption;
    }
    return "";
}

std::string ShownCaption(const char* caption)
{
    std::string shown;
    for (const char* c = caption; c != nullptr && *c != '\0'; ++c) {
        if (*c == '&' && c[1] != '\0')
            ++c;
        shown += *c;
    }
    return shown;
}

bool CaptionFits(int32_t textWidth, int32_t buttonWidth)
{
    return textWidth + 4 <= buttonWidth;
}

const int32_t ButtonCreationOrderFirst[] = {
    IDC_TEST,
    IDC_START_REVIEW,
    IDC_ANALYSIS,
    IDC_TRANSFER,
    IDC_EXIT,
    IDC_SHIFT_MAP_LEFT,
    IDC_SHIFT_MAP_UP,
    IDC_SHIFT_MAP_DOWN,
    IDC_SHIFT_MAP_RIGHT,
    IDC_CREATE_DATA_FILE,
    IDC_CLOSE_DATA_FILE,
    IDC_MONITOR,
    IDC_PAUSE,
    IDC_EXIT_TEST,
    IDC_MEASURE,
    IDC_STOP,
    IDC_STORE_READING,
    IDC_CANCEL_READING,
    IDC_TEST_DC,
    IDC_TEST_100MS,
    IDC_TEST_3MS,
    IDC_TEST_01MS,
};
const int32_t ButtonCreationOrderFirstCount =
    static_cast<int32_t>(sizeof(ButtonCreationOrderFirst) / sizeof(ButtonCreationOrderFirst[0]));

const int32_t ButtonCreationOrderSecond[] = {
    IDC_TOP_OF_SCALE_DOWN,
    IDC_BOTTOM_OF_SCALE_DOWN,
    IDC_TOP_OF_SCALE_UP,
    IDC_BOTTOM_OF_SCALE_UP,
    IDC_PREVIOUS_STATION,
    IDC_PREVIOUS_LINE,
    IDC_REPEAT_LAST_STATION,
    IDC_INVERT,
    IDC_NEXT_STATION,
    IDC_NEXT_LINE,
    IDC_PREVIOUS_RECORD,
    IDC_NEXT_RECORD,
    IDC_EXIT_REVIEW,
    IDC_PRINT,
    IDC_ENTER_COMMENT,
    IDC_DISPLAY_COMMENTS,
    IDC_OPEN_DATA_FILE,
    IDC_MANAGE_RECORDS,
    IDC_AUTO_SCALE,
    IDC_ZOOM_IN,
    IDC_ZOOM_OUT,
    IDC_FIT_ALL,
    IDC_HIDE,
};
const int32_t ButtonCreationOrderSecondCount =
    static_cast<int32_t>(sizeof(ButtonCreationOrderSecond) / sizeof(ButtonCreationOrderSecond[0]));

bool ButtonVisibleAtCreation(int32_t id)
{
    return id == IDC_MONITOR || id == IDC_NEXT_STATION || id == IDC_NEXT_LINE || id == IDC_AUTO_SCALE ||
           id == IDC_REPEAT_LAST_STATION || id == IDC_INVERT;
}

MainLayout ComputeMainLayout(const MainLayoutInput& in)
{
    MainLayout out;
    const int32_t W = in.WorkAreaWidth;
    const int32_t H = in.WorkAreaHeight;
    out.WorkAreaWidth = W;
    out.WorkAreaHeight = H;
    const int32_t BW = out.ButtonWidth;
    const int32_t gap = out.ButtonGap;
    auto normal = [&](const char* t) { return in.Measure ? in.Measure(t, false) : TextExtent{}; };
    auto bold = [&](const char* t) { return in.Measure ? in.Measure(t, true) : TextExtent{}; };

    for (int32_t slot = 0; slot < ButtonSlots; ++slot)
        out.Buttons[slot].exists = ButtonCaption(slot)[0] != '\0';

    // Counts.
    out.ComponentCount = ComponentCountFor(in.SelectedComponent);
    out.GateCount = in.GateSet == 2 ? in.UserGateCount : 20 + 10 * in.GateSet;

    // Button metrics.
    out.ButtonColumnX = W - PaneRightMargin - BW + 4;
    out.ButtonRowY = H - 5 * in.TextLineHeight - 12;
    out.ButtonHeight = NonNegative((H - 12 - gap - out.ButtonRowY) / 2);
    out.SmallButtonHeight = 2 * out.ButtonHeight / 3;
    out.ButtonRow2Y = out.ButtonRowY + out.ButtonHeight + gap;
    out.TopRowWidth = NonNegative((W - 20 - 20 - 9 * gap) / 10);
    const int32_t BH = out.ButtonHeight;
    const int32_t row1 = out.ButtonRowY;
    const int32_t row2 = out.ButtonRow2Y;

    // Panes.
    const int32_t numbersWidth = out.ComponentCount * 60 + 20;
    const int32_t curveHeight = row1 - CurvePaneY - 12;
    out.CurvePaneRect = Box(CurvePaneX, CurvePaneY, W - numbersWidth - CurvePaneX - PaneRightMargin - 12, curveHeight);
    out.NumbersPaneRect = Box(W - PaneRightMargin - numbersWidth, CurvePaneY, numbersWidth, curveHeight);
    out.CurveClientRect = FieldRect{0, 0, out.CurvePaneRect.width, out.CurvePaneRect.height};

    // Map pane and its buttons.
    const int32_t mapX = out.MapPaneX;
    const int32_t mapSize = out.MapPaneSize;
    out.MapPaneY = CurvePaneY + out.CurvePaneRect.height - 164 + 2;
    out.MapPane = Box(mapX, out.MapPaneY, mapSize, mapSize);
    out.MapClientRect = FieldRect{0, 0, mapSize, mapSize};
    const int32_t mapButtonHeight = BH / 2;
    const int32_t rowA = out.MapPaneY + mapSize + 20;
    const int32_t t = (mapSize - 1) / 3;
    Place(out, IDC_ZOOM_IN, Box(mapX, rowA, t - 1, mapButtonHeight), true);
    Place(out, IDC_ZOOM_OUT, Box(mapX + t + 1, rowA, t - 1, mapButtonHeight), true);
    Place(out, IDC_FIT_ALL, Box(mapX + 2 * t + 2, rowA, t - 1, mapButtonHeight), true);
    Place(out, IDC_HIDE, Box(mapX + 2 * t + 2, rowA, t - 1, mapButtonHeight), false);
    const int32_t rowB = rowA + BH / 2 + 2;
    const int32_t q = (mapSize - 1) / 4;
    Place(out, IDC_SHIFT_MAP_LEFT, Box(mapX, rowB, q - 1, mapButtonHeight), true);
    Place(out, IDC_SHIFT_MAP_UP, Box(mapX + q + 1, rowB, q - 1, mapButtonHeight), true);
    Place(out, IDC_SHIFT_MAP_DOWN, Box(mapX + 2 * q + 2, rowB, q - 1, mapButtonHeight), true);
    Place(out, IDC_SHIFT_MAP_RIGHT, Box(mapX + 3 * (q + 1), rowB, q - 1, mapButtonHeight), true);
    out.ListRecordsBox = Box(mapX + 10, out.MapPaneY, mapSize / 3, mapSize);

    // Text fields: the GPS block fixes where the stepping buttons start.
    const int32_t s = in.TextLineHeight - 1;
    {
        TextExtent e = normal("Map Size:");
        out.MessageLineRect =
            FieldRect{mapX + e.cx, out.MapPaneY + mapSize + 2, mapX + mapSize, out.MapPaneY + mapSize + 2 + e.cy};
    }
    GpsStatusRects& g = out.Gps;
    const int32_t L = out.CurvePaneRect.x + 2;
    const int32_t T = out.CurvePaneRect.y + out.CurvePaneRect.height + 15;
    {
        TextExtent e = normal("AGPS ");
        g.Indicator = FieldRect{L, T, L + e.cx + 3, T + e.cy};
        int32_t lampX = g.Indicator.right + 12;
        g.Lamps[0] = FieldRect{lampX, T - 2, lampX + 14, T - 2 + 14};
        lampX = g.Lamps[0].right + 8;
        g.Lamps[1] = FieldRect{lampX, T - 2, lampX + 14, T - 2 + 14};
    }
    g.PdopLabelX = L;
    g.PdopValue = FieldAt(L + normal("PDOP: ").cx, T + s, bold("88.8"));
    g.SatLabelX = g.PdopValue.right + 5;
    g.SatValue = FieldAt(g.SatLabelX + normal("Sat:").cx + 2, T + s, bold("12"));
    const TextExtent coord = bold("W123 28 45.8888   ");
    g.Coordinates[0] = FieldAt(L, T + 2 * s, coord);
    g.Coordinates[1] = FieldAt(L, T + 3 * s, coord);
    g.CountLabelX = L;
    g.GpsCountRect = FieldAt(L + normal("GPS#: ").cx, T + 4 * s, bold("99999"));
    g.ZoneValue = FieldAt(g.GpsCountRect.right + normal("Z:").cx + 11, T + 4 * s, bold("999"));
    // "Z:" stands 10 pixels left of its field, or further where it is wider than that.
    g.ZoneLabelX = g.ZoneValue.left - std::max(10, normal("Z:").cx + 2);
    out.GpsBlockRight = std::max(g.Coordinates[0].right, g.SatValue.right);
    {
        TextExtent e = bold("GPS Disabled");
        int32_t left = L + (out.GpsBlockRight - L + 4 - e.cx) / 2 - 4;
        g.Disabled = FieldRect{left, T + 2 * s, out.GpsBlockRight, T + 2 * s + e.cy};
    }
    out.StepButtonsX = out.GpsBlockRight + 10;
    const int32_t stepX = out.StepButtonsX;

    // Conductivity-meter block under the map buttons.
    out.MeterBoxRect = FieldRect{mapX, rowB + BH / 2 + 2, mapX + mapSize, H - 10};
    {
        TextExtent e = normal("SQ12MK2");
        out.MeterTitleRect = FieldRect{out.MeterBoxRect.left + 4, out.MeterBoxRect.top + 2, out.MeterBoxRect.right - 4,
                                       out.MeterBoxRect.top + 2 + e.cy};
        TextExtent v = bold("H 987654");
        out.MeterTextRect = FieldRect{out.MeterTitleRect.left, out.MeterTitleRect.bottom + 1, out.MeterTitleRect.right,
                                      out.MeterTitleRect.bottom + 1 + v.cy};
    }

    // Bottom buttons.
    const int32_t colX = out.ButtonColumnX;
    const int32_t measureX = colX - 6 - BW;
    const int32_t commentX = colX - (2 * BW + 20) + 4;
    const int32_t wideWidth = static_cast<int32_t>(1.25 * BW);
    Place(out, IDC_CREATE_DATA_FILE, Box(colX, row1, BW, BH), true);
    Place(out, IDC_CLOSE_DATA_FILE, Box(colX, row1, BW, BH), false);
    Place(out, IDC_MONITOR, Box(colX, row2, BW, BH), true);
    Place(out, IDC_PAUSE, Box(colX, row2, BW, BH), false);
    Place(out, IDC_EXIT_TEST, Box(colX, row2, BW, BH), false);
    Place(out, IDC_PRINT, Box(colX - 10 - BW, row1, BW, BH), false);
    Place(out, IDC_ENTER_COMMENT, Box(commentX, row1, BW - 15, BH), true, false);
    Place(out, IDC_AUTO_SCALE, Box(commentX, row2, BW - 15, BH), true);
    Place(out, IDC_EXIT_REVIEW, Box(colX, row2, BW, BH), false);
    Place(out, IDC_OPEN_DATA_FILE, Box(colX, row1, BW, BH), false);
    Place(out, IDC_MEASURE, Box(measureX, row1, BW, 2 * BH + gap), true, false);
    Place(out, IDC_STOP, Box(measureX, row1, BW, 2 * BH + gap), false);
    Place(out, IDC_STORE_READING, Box(measureX, row1, BW, BH), false);
    Place(out, IDC_CANCEL_READING, Box(measureX, row2, BW, BH), false);
    Place(out, IDC_NEXT_STATION, Box(stepX, row1, BW, BH), true);
    Place(out, IDC_NEXT_LINE, Box(stepX, row2, BW, BH), true);
    Place(out, IDC_REPEAT_LAST_STATION, Box(stepX + BW + 4, row1, wideWidth, BH), false);
    Place(out, IDC_INVERT, Box(stepX + BW + 4, row2, wideWidth, BH), true);
    const int32_t SBH = out.SmallButtonHeight;
    Place(out, IDC_PREVIOUS_RECORD, Box(stepX, row1, BW, SBH), false);
    Place(out, IDC_NEXT_RECORD, Box(stepX + BW + 2, row1, BW, SBH), false);
    Place(out, IDC_PREVIOUS_STATION, Box(stepX, row1 + SBH + 2, BW, SBH), false);
    Place(out, IDC_PREVIOUS_LINE, Box(stepX, row1 + 2 * (SBH + 2), BW, SBH), false);
    const int32_t testWidth = (colX - (2 * BW + 20) - 6 - stepX - BW - 10) / 4 - 2;
    for (int32_t k = 0; k < 4; ++k) {
        Place(out, IDC_TEST_DC + k, Box(stepX + BW + 10 + k * (testWidth + 2), row1 + 2 * SBH + 2, testWidth, SBH),
              false);
    }
    // The box under the curve pane frames the GPS block; the stepping buttons, the test band
    // and the nulling box stand right of it.
    out.LowerBoxRight = out.GpsBlockRight;

    // The review screen: "Next Station" and "Next Line" beside "Prev. Station" and "Prev.
    // Line", "Auto Scale" on row 2 left of the column of "Print". "Display Available
    // Comments" takes row 1 right of the small buttons, no wider than the room before
    // "Print"; "Manage Rcds" stands under "Print", so that neither covers "E&xit Review" or
    // "Next Line".
    out.ReviewNextStation = Box(stepX + BW + 2, row1 + SBH + 2, BW, SBH);
    out.ReviewNextLine = Box(stepX + BW + 2, row1 + 2 * (SBH + 2), BW, SBH);
    out.ReviewAutoScale = Box(colX - 2 * BW - 16, row2, BW, BH);
    const int32_t commentsX = stepX + 2 * (BW + 2);
    const int32_t printX = colX - 10 - BW;
    Place(out, IDC_DISPLAY_COMMENTS, Box(commentsX, row1, std::min(2 * BW + 10, printX - 2 - commentsX), BH), false);
    Place(out, IDC_MANAGE_RECORDS, Box(measureX, row2 + BH / 3, BW + 2, SBH), false);

    // Buttons the layout does not move keep their creation places; all hidden at start.
    for (int32_t id = IDC_TEST; id <= IDC_EXIT; ++id) {
        Place(out, id, Box(20 + (out.TopRowWidth + 5) * ButtonSlotForId(id), TopRowY, out.TopRowWidth, TopRowHeight),
              false);
    }
    const int32_t halfWidth = static_cast<int32_t>(0.5 * BW);
    const int32_t scaleHeight = 2 * BH / 3;
    const int32_t curveX = out.CurvePaneRect.x;
    Place(out, IDC_TOP_OF_SCALE_DOWN, Box(curveX, row1 + BH / 3, halfWidth, scaleHeight), false);
    Place(out, IDC_BOTTOM_OF_SCALE_DOWN, Box(curveX, row2 + BH / 3, halfWidth, scaleHeight), false);
    Place(out, IDC_TOP_OF_SCALE_UP, Box(curveX + halfWidth + 2, row1 + BH / 3, halfWidth, scaleHeight), false);
    Place(out, IDC_BOTTOM_OF_SCALE_UP, Box(curveX + halfWidth + 2, row2 + BH / 3, halfWidth, scaleHeight), false);

    // Progress bar with the busy strip above it.
    out.BarBox = Box(colX - 6 - BW - 20, row1, 15, 2 * BH + gap);
    out.BarLabelRect = FieldRect{out.BarBox.x, out.BarBox.y - 7, out.BarBox.x + 15, out.BarBox.y - 1};

    // Review combo boxes in the panel's value column.
    for (int i = 0; i < ReviewComboCount; ++i)
        out.ReviewCombos[i] = Box(in.PanelValueX, in.ReviewComboRowTop[i] - 5, ReviewComboWidth, ReviewComboDropHeight);

    out.MonitorGpsBox = Box(2, 2, W - 4, H - 4);
    out.SplashBoxAtCreation = Box(0, 0, 2 * W, 2 * H);
    out.SplashBox = Box(0, 0, W, H);
    return out;
}
