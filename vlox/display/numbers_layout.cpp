#include "vlox/display/numbers_layout.h"

#include <cmath>

#include "vlox/settings/textconv.h"

NumbersLayoutValues NumbersLayout;

NumbersLayoutValues ComputeNumbersLayout(int32_t width, int32_t height, int32_t gateCount, int32_t componentCount)
{
    const int32_t n = gateCount > 0 ? gateCount : 1;
    const int32_t c = componentCount > 0 ? componentCount : 1;
    NumbersLayoutValues l;
    l.RowHeight = (height - 50) / (n < MaxNumberRows ? n : MaxNumberRows) - 1;
    l.GroupGap = n <= 20 ? 6 : 5;
    l.TopShift = n >= 40 ? -4 : 0;
    l.ColumnWidth = (width - 16) / c;
    l.GateNumberArea = {2, 50 + l.TopShift, 16, height};
    l.ValueArea = {16, 50 + l.TopShift, width, height};
    l.HeaderRect = {1, 0, width, 50};
    l.RowZeroValueRect = {16, 18, width, 30};
    return l;
}

int32_t NumberRowY(const NumbersLayoutValues& l, int32_t row)
{
    return row * l.RowHeight + l.ValueArea.Top + (row / 5) * l.GroupGap;
}

std::vector<int32_t> ListedGates(int32_t gateCount, const int32_t* visible, int32_t visibleCount)
{
    std::vector<int32_t> gates;
    if (gateCount <= 0)
        return gates;
    for (int32_t g = 0; g < gateCount && static_cast<int32_t>(gates.size()) < MaxNumberRows; ++g) {
        if (gateCount > MaxNumberRows && (visible == nullptr || g >= visibleCount || visible[g] != 1))
            continue;
        gates.push_back(g);
    }
    return gates;
}

std::string GateValueText(double v)
{
    const double m = std::fabs(v);
    const char* format = m >= 100.0 ? "%8.0f" : (m >= 10.0 ? "%8.1f" : "%8.2f");
    return FormatText(format, v);
}

std::vector<NumbersRect> NumbersClearAreas(const NumbersLayoutValues& l, bool reviewing)
{
    std::vector<NumbersRect> areas{l.GateNumberArea, l.ValueArea};
    if (reviewing)
        areas.push_back(l.RowZeroValueRect);
    return areas;
}

int32_t ValueTextX(const NumbersLayoutValues& l, int32_t textWidth)
{
    return 16 + l.ColumnWidth - textWidth - 9;
}

std::vector<std::string> ColumnHeadings(int32_t mode, int32_t componentCount)
{
    static const char* const table[7][3] = {{"Bz", "Bz", "By"}, {"Bx", "Bx", "By"}, {"By", "By", "By"},
                                            {"Bz", "Bx", "By"}, {"Bz", "Bx", ""},   {"Bz", "By", ""},
                                            {"Bx", "By", ""}};
    std::vector<std::string> headings;
    if (mode < 0 || mode > 6)
        return headings;
    headings.push_back(table[mode][0]);
    if (componentCount > 1)
        headings.push_back(table[mode][1]);
    if (componentCount == 3)
        headings.push_back(table[mode][2]);
    return headings;
}
