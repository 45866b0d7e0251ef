#include "vlox/ui/status_panel.h"

#include "vlox/settings/rate_tables.h"

#include <algorithm>

namespace {

WideString WithoutExtension(const WideString& title)
{
    if (title.size() <= 4)
        return WideString();
    return title.substr(0, title.size() - 4);
}

}  // namespace

WideString FileFieldText(bool reviewing, const WideString& reviewFileTitle, bool dataFileOpen,
                         const WideString& dataFileTitle)
{
    if (reviewing)
        return WithoutExtension(reviewFileTitle);
    if (dataFileOpen)
        return WithoutExtension(dataFileTitle);
    return VLOX_WIDE("None");
}

FieldRect FileNameRect(const StatusPanelLayout& panel, int32_t textWidth)
{
    FieldRect r = panel.FileValueRect;
    if (r.left + textWidth > r.right)
        r.left = std::max(panel.FileNameSpan.left, r.right - textWidth);
    return r;
}

std::string LineNumberText(double line)
{
    return FormatText("%-11.2f", line);
}

std::string StationText(double station)
{
    return FormatText("%-11.2f", station);
}

std::string LineDirectionText(int32_t direction)
{
    static const char* const names[4] = {"North", "South", "East", "West"};
    if (direction < 0 || direction > 3)
        return std::string();
    return names[direction];
}

std::string RecordNumberText(int32_t record)
{
    return FormatText("%-6d", record);
}

std::string ViewModeText(int32_t surveyMode, int32_t graphView)
{
    if (surveyMode != 0)
        return graphView != 0 ? "Auto - Profile View" : "Auto - Decay View";
    return graphView != 0 ? "Manual - Profile View" : "Manual - Decay View";
}

std::string GpsCountText(int32_t count)
{
    return FormatText("%-5d", count);
}

bool InSummaryPanel(const FieldRect& panel, int32_t x, int32_t y)
{
    return x >= panel.left && x <= panel.right && y > panel.top && y < panel.bottom;
}

const int32_t NullingBoxGivesWay[NullingBoxGivesWayCount] = {IDC_NEXT_STATION, IDC_NEXT_LINE, IDC_REPEAT_LAST_STATION,
                                                             IDC_INVERT};

NullingBoxLayout NullingBoxFrame(const MainLayout& screen)
{
    NullingBoxLayout b;
    b.BoxLeft = screen.StepButtonsX + 4;
    b.BoxRight = screen.ButtonColumnX - (2 * screen.ButtonWidth + 20) - 6;
    const PaneBox& curve = screen.CurvePaneRect;
    b.Frame = FieldRect{b.BoxLeft - 4, curve.y + curve.height + 8, b.BoxRight + 4, screen.WorkAreaHeight - 10};
    b.TitleX = b.BoxLeft + 6;
    b.TitleY = screen.ButtonRowY;
    b.BarBottom = screen.WorkAreaHeight - 28;
    b.BarTop = screen.ButtonRowY + 16;
    return b;
}

NullingBoxLayout ComputeNullingBox(const MainLayout& screen, int32_t kind, int32_t (&selected)[RepRateCount],
                                   int32_t repRateIndex)
{
    NullingBoxLayout b = NullingBoxFrame(screen);
    int32_t listed[NullingColumnsMax] = {};
    int32_t n = 0;
    if (kind == 0) {
        for (int32_t r = 0; r < RepRateCount; ++r) {
            selected[r] = 1;
            listed[n++] = r;
        }
    } else if (kind == 1) {
        for (int32_t r = 0; r < RepRateCount; ++r)
            if (selected[r] == 1)
                listed[n++] = r;
    } else if (kind == 2) {
        if (repRateIndex >= 0 && repRateIndex < RepRateCount)
            listed[n++] = repRateIndex;
    }
    b.ColumnCount = n;
    b.ColumnWidth = n < 6 ? 20 : 15;
    const int32_t w = b.ColumnWidth;
    const int32_t free = b.BoxRight - b.BoxLeft - n * w;
    const int32_t gap = free / (n + 1);
    const int32_t margin = (free - (n + 1) * gap) / 2;
    for (int32_t i = 0; i < n; ++i) {
        b.ColumnX[i] = b.BoxLeft + margin + (i + 1) * gap + i * w;
        // The slowest listed rate (highest index) stands on the left.
        b.ColumnRate[i] = listed[n - 1 - i];
    }
    return b;
}

int32_t NullingLabelX(const NullingBoxLayout& box, int32_t column, int32_t textWidth, bool sixtyHz)
{
    if (column < 0 || column >= box.ColumnCount)
        return box.BoxLeft;
    int32_t x = box.ColumnX[column] + box.ColumnWidth / 2 - textWidth / 2;
    if (!sixtyHz && box.ColumnCount == 7) {
        if (column == 0)
            x -= 4;
        else if (column == 6)
            x += 4;
    }
    return x;
}

int32_t NullingBarFillTop(const NullingBoxLayout& box, double fraction)
{
    if (!(fraction > 0.0))
        fraction = 0.0;
    if (fraction > 1.0)
        fraction = 1.0;
    const int32_t h = box.BarBottom - box.BarTop;
    return box.BarBottom - static_cast<int32_t>(h * fraction);
}

const WideChar* MainsRateLabel(int32_t powerLineFrequency, int32_t repRateIndex)
{
    return powerLineFrequency != 0 ? RepRateLabels60Hz[repRateIndex] : RepRateLabels50Hz[repRateIndex];
}
