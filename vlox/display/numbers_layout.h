// The numbers window's arithmetic: rows, areas, headings and value texts for a pane size and
// gate count. The Win32 side fills and writes what this computes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t MaxNumberRows = 40;

struct NumbersRect {
    int32_t Left, Top, Right, Bottom;
};

struct NumbersLayoutValues {
    int32_t RowHeight = 0;
    int32_t GroupGap = 0;
    int32_t TopShift = 0;
    int32_t ColumnWidth = 0;
    NumbersRect GateNumberArea{};
    NumbersRect ValueArea{};
    NumbersRect HeaderRect{};
    NumbersRect RowZeroValueRect{};
};

// The program-wide layout of the live numbers window (rewritten by the header drawing).
extern NumbersLayoutValues NumbersLayout;

// Layout for a pane of width x height, gateCount gates and componentCount columns. A gate or
// component count of 0 or less is taken as 1 so no division is by 0.
NumbersLayoutValues ComputeNumbersLayout(int32_t width, int32_t height, int32_t gateCount, int32_t componentCount);

// Top of row r (from 0).
int32_t NumberRowY(const NumbersLayoutValues& l, int32_t row);

// The gates listed, in order: all of them up to 40 with 40 gates or fewer; with more, those
// flagged visible, until 40 rows are filled.
std::vector<int32_t> ListedGates(int32_t gateCount, const int32_t* visible, int32_t visibleCount);

// A gate value: "%8.0f" from 100 in magnitude, "%8.1f" from 10, else "%8.2f". NaN and
// infinities print as the C library prints them, in the same width.
std::string GateValueText(double v);

// The areas a clear of the numbers column fills: the gate numbers and the values, and in
// review row 0's value too, which would otherwise name another reading than the boxes. Live,
// row 0 keeps the early-window value of the reading measured.
std::vector<NumbersRect> NumbersClearAreas(const NumbersLayoutValues& l, bool reviewing);

// Left of a value text of the given width in the first column.
int32_t ValueTextX(const NumbersLayoutValues& l, int32_t textWidth);

// Column headings for a component mode (0 Z ... 6 XY) and component count: column 1 always,
// column 2 from 2 components, column 3 with 3. Single-component modes shown with 3 columns
// repeat column 1's heading in column 2 and write "By" in column 3.
std::vector<std::string> ColumnHeadings(int32_t mode, int32_t componentCount);
