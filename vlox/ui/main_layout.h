// The main window's layout: where the window goes on the screen, and the computation of the
// rows of the status panel and of every pane, button, review control and status field of the
// one fixed screen (vlox/common/screen_layout.h), with its start state. Pure arithmetic over
// plain values; the Win32 side only applies it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "vlox/common/screen_layout.h"

// Measures a text in the panel's normal (labels) or bold (values) font.
using TextMeasure = std::function<TextExtent(const std::string& text, bool bold)>;

// ---------------------------------------------------------------------------------------
// Main window on the screen.

constexpr const char* VloxVersionText = "1.42";

// "Tarnwel V-LOX   Version 1.42" (three blanks before "Version").
std::string MainWindowTitle();

struct MainWindowPlacement {
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Full screen less 38 pixels for the task bar; on a screen wider than 1280 or taller than
// 806 (reduced height 769 or more) a 1024 by 768 window centred, never above the top edge.
MainWindowPlacement ComputeMainWindowPlacement(int32_t screenWidth, int32_t screenHeight);

// panelLeft: the left margin; mapPaneSize: the map pane's side when the panel is laid out;
// curvePaneY: top of the curve pane; textLineHeight: L; repetitionExtent: the extent of
// "Repetition:" in the normal panel font (cx, cy); fileLabelWidth: the width of "File: " in
// that font (0: the file name never starts left of the value column).
StatusPanelLayout ComputeStatusPanelLayout(int32_t panelLeft, int32_t mapPaneSize, int32_t curvePaneY,
                                           int32_t textLineHeight, TextExtent repetitionExtent,
                                           int32_t fileLabelWidth = 0);

struct MainLayoutInput {
    int32_t WorkAreaWidth = 0;   // client width
    int32_t WorkAreaHeight = 0;  // client height
    int32_t TextLineHeight = 0;
    int32_t SelectedComponent = 0;
    int32_t GateSet = 0;
    int32_t UserGateCount = 20;
    // From the status panel: the value column and the rows of the review combo boxes.
    int32_t PanelValueX = 0;
    int32_t ReviewComboRowTop[ReviewComboCount] = {};
    TextMeasure Measure;
};

// ComponentCount for the component setting: 1 for a single component (0, 1, 2), 3 for the
// three-component setting 3, 2 for any other value.
int32_t ComponentCountFor(int32_t selectedComponent);

// Computes the whole screen. Widths and heights that the arithmetic would make negative on a
// very small work area are 0, so that no window gets a negative size.
MainLayout ComputeMainLayout(const MainLayoutInput& in);

// Captions of the command buttons by slot (index = id - 420); empty where no button exists.
const char* ButtonCaption(int32_t slot);
// The text a caption shows: without the "&" that marks its access key ("&&" shows one).
std::string ShownCaption(const char* caption);
// A caption shows whole on a button when its text and the button's border (2 pixels either
// side) fit its width; a caption that does not fit in the buttons' own font takes the panel's
// normal font.
bool CaptionFits(int32_t textWidth, int32_t buttonWidth);

// The order in which the creation handler makes the command buttons (ids).
extern const int32_t ButtonCreationOrderFirst[];  // before the progress bar
extern const int32_t ButtonCreationOrderFirstCount;
extern const int32_t ButtonCreationOrderSecond[];  // after the progress bar
extern const int32_t ButtonCreationOrderSecondCount;

// Buttons visible when created (before the layout applies the start state).
bool ButtonVisibleAtCreation(int32_t id);
