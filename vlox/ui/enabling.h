// Enabling of menu items and command buttons per operating state. Each routine is a fixed
// list and one loop over it; it touches only the items it lists, so the visible state is the
// sum of the calls made so far. The lists drive an EnablingSink: the main window's sink sets
// the real menu and buttons, a test's sink records the calls.
#pragma once

#include <cstdint>

#include "vlox/common/screen_layout.h"

enum LoggingState : int32_t {
    LogMeasuring = 0,
    LogReady = 1,
    LogReadingComplete = 2,
    LogNoDataFile = 3,
    LogDataFileCreated = 4,
};

enum ReviewMenuState : int32_t {
    ReviewOff = 0,
    ReviewOn = 1,
};

enum ButtonState : int32_t {
    ButtonsBusy = 0,
    ButtonsIdle = 1,
};

class EnablingSink {
public:
    virtual ~EnablingSink() = default;
    virtual void SetMenuItemEnabled(int32_t id, bool enabled) = 0;
    // Buttons by slot (ButtonSlotForId); slots without a button (0-3, 44) are ignored by the
    // sink.
    virtual void SetButtonEnabled(int32_t slot, bool enabled) = 0;
    virtual void SetButtonShown(int32_t slot, bool shown) = 0;
    virtual void SetProgressBarShown(bool shown) = 0;
    virtual bool IsButtonShown(int32_t slot) const = 0;
};

// Each takes the state as an int so that an out-of-range value, which changes nothing, can be
// passed and tested.
void ApplyMenusForState(int32_t state, EnablingSink& sink);
void ApplyMenusForReview(int32_t state, EnablingSink& sink);
void ApplyControlsForState(int32_t state, EnablingSink& sink);
void ApplyControlsForTest(int32_t enable, EnablingSink& sink);
void ApplyMenusForTest(int32_t enable, int32_t gateSet, EnablingSink& sink);
void ApplyNullingMenus(int32_t gateSet, EnablingSink& sink);
// Shows "Invert" and, when repeatButtonHidden is 1, "Repeat Last Station"; clears the flag.
void ApplyRestoreLoggingButtons(int32_t& repeatButtonHidden, EnablingSink& sink);

// Buttons that give way to something put over their places (the nulling box, the exit
// button of the test screen): the shown ones among the ids are hidden and noted, and taking
// the places back shows exactly those again. Giving way twice keeps the first note.
struct GivenWay {
    bool Hidden[ButtonSlots] = {};  // by slot
};
void ApplyGiveWay(const int32_t* ids, int32_t count, GivenWay& given, EnablingSink& sink);
void ApplyTakeBackPlaces(GivenWay& given, EnablingSink& sink);
