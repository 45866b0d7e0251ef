#include "vlox/measure/internal_test_win.h"

void SetupInternalTest()
{
}

void SetTestPlotScale()
{
}

void SaveRestoreUserSettings(int32_t)
{
}

void DrawInternalTest(int32_t, int32_t)
{
}
