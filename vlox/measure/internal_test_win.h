// The internal test mode on the program's state: the test's settings, the user's settings
// saved and restored around it, and the text block with the verdict on the main window.
#pragma once

#include <cstdint>

void SetupInternalTest();
void SetTestPlotScale();
// 0 saves the user's settings, 1 restores them.
void SaveRestoreUserSettings(int32_t restore);
// test 0..3; mode 0 show, 1 clear, 2 show the result.
void DrawInternalTest(int32_t test, int32_t mode);
