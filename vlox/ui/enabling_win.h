// The enabling routines on the real menu and buttons of the main window.
#pragma once

#include <cstdint>

#include "vlox/ui/enabling.h"

// Set to 1 by the commands that hide "Repeat Last Station" for review or the internal test.
extern int32_t RepeatButtonHidden;

void EnableMenusForState(int32_t state);
void EnableMenusForReview(int32_t state);
void EnableControlsForState(int32_t state);
void EnableControlsForTest(int32_t enable);
void EnableMenusForTest(int32_t enable);
void EnableNullingMenus();
void RestoreLoggingButtons();
void GiveWay(const int32_t* ids, int32_t count, GivenWay& given);
void TakeBackPlaces(GivenWay& given);
