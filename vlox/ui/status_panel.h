// What the status panel, its status strip and the nulling progress box show and where: the
// field texts and the box geometry as functions over plain values. The painters in
// status_panel_win.cpp and status_strip_win.cpp only draw what these return.
#pragma once

#include <cstdint>
#include <string>

#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"
#include "vlox/ui/main_layout.h"

// ---------------------------------------------------------------------------------------
// Field texts

// The file field: the title without its last four characters (the dot and a three-letter
// extension; a title of four characters or fewer shows as empty text); the reviewed file's
// title while reviewing, else the data file's while one is open, else "None".
WideString FileFieldText(bool reviewing, const WideString& reviewFileTitle, bool dataFileOpen,
                         const WideString& dataFileTitle);
// Where the file name of the given width is drawn: in FileValueRect when it fits there,
// else moved left as far as it needs within FileNameSpan (a name wider than the whole span
// starts at its left and is cut at the panel's right).
FieldRect FileNameRect(const StatusPanelLayout& panel, int32_t textWidth);
// "%-11.2f": the line and station fields.
std::string LineNumberText(double line);
std::string StationText(double station);
// "North", "South", "East", "West" for 0-3; empty for any other code.
std::string LineDirectionText(int32_t direction);
// "%-6d": the record field.
std::string RecordNumberText(int32_t record);
// "Auto - Profile View" ... "Manual - Decay View": Auto for a nonzero survey mode, Profile
// for a nonzero graph view.
std::string ViewModeText(int32_t surveyMode, int32_t graphView);
// "%-5d": the GPS position count.
std::string GpsCountText(int32_t count);

// The hand cursor and the popups answer inside the parameter summary panel: x in
// [left, right], y strictly between top and bottom.
bool InSummaryPanel(const FieldRect& panel, int32_t x, int32_t y);

// ---------------------------------------------------------------------------------------
// Nulling progress box (below the curve pane, left of the command column)
//
// The box takes the lower band from the stepping buttons to the room left of "Comment": the
// band of the test buttons alone is too narrow at 1024 by 768 for the title and seven
// labelled columns. Nulling steps no station and inverts nothing, so the buttons standing in
// that band give way while the box is up.

constexpr int32_t NullingBoxGivesWayCount = 4;
extern const int32_t NullingBoxGivesWay[NullingBoxGivesWayCount];  // control ids

constexpr int32_t NullingColumnsMax = 7;

struct NullingBoxLayout {
    int32_t BoxLeft = 0;
    int32_t BoxRight = 0;
    FieldRect Frame;  // the rounded frame, filled with the panel brush
    int32_t TitleX = 0;
    int32_t TitleY = 0;
    int32_t BarTop = 0;     // NullBarTop
    int32_t BarBottom = 0;  // NullBarBottom
    int32_t ColumnWidth = 20;
    int32_t ColumnCount = 0;
    int32_t ColumnX[NullingColumnsMax] = {};
    int32_t ColumnRate[NullingColumnsMax] = {};  // the rate index labelled under each column
};

// The box's frame and bars on the screen laid out (what the erase needs).
NullingBoxLayout NullingBoxFrame(const MainLayout& screen);

// The whole box for a run: kind 0 all seven rates (and every selected flag set to 1), 1 the
// rates whose selected flag is 1, 2 the current rate alone (an index outside 0..6 gives no
// column). Columns go left to right from the slowest listed rate to the fastest, 20 pixels
// wide when fewer than six, else 15, spaced evenly.
NullingBoxLayout ComputeNullingBox(const MainLayout& screen, int32_t kind, int32_t (&selected)[RepRateCount],
                                   int32_t repRateIndex);

// x of a column label of the given text width: centred under the column; in the 50 Hz
// family with seven columns the outer labels move 4 pixels outwards.
int32_t NullingLabelX(const NullingBoxLayout& box, int32_t column, int32_t textWidth, bool sixtyHz);

// Top of a column filled to fraction of its height (0 to 1; other values are held to that
// range, NaN counts as 0).
int32_t NullingBarFillTop(const NullingBoxLayout& box, double fraction);

// Rate label of the mains family as the nulling box and the panel show it: the 60 Hz family
// when powerLineFrequency is nonzero. Index must be 0..6.
const WideChar* MainsRateLabel(int32_t powerLineFrequency, int32_t repRateIndex);
