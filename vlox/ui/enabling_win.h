// The enabling routines on the real menu and buttons of the main window. What they set is
// what they want; the screen shows an item enabled only while its command may act in the
// present state (command_states.h), and `ShowOfferedControls` shows every item again after
// the state has changed.
#pragma once

#include <windows.h>

#include <cstdint>

#include "vlox/ui/command_states.h"
#include "vlox/ui/enabling.h"

// Set to 1 by the commands that hide "Repeat Last Station" for review or the internal test.
extern int32_t RepeatButtonHidden;

// The state the commands need, read from the program-wide state.
CommandFacts CurrentCommandFacts();
// Takes the menu's and the buttons' states as they were made; once, after their creation.
void FindOfferedControls();
// Every menu item and command button shown again for the present state.
void ShowOfferedControls();

// One menu item by id, one command button by slot.
void SetMenuItem(UINT id, bool enabled);
void EnableButton(int32_t slot, bool enabled);

void EnableMenusForState(int32_t state);
void EnableMenusForReview(int32_t state);
void EnableControlsForState(int32_t state);
void EnableControlsForTest(int32_t enable);
void EnableMenusForTest(int32_t enable);
void EnableNullingMenus();
void RestoreLoggingButtons();
void GiveWay(const int32_t* ids, int32_t count, GivenWay& given);
void TakeBackPlaces(GivenWay& given);
