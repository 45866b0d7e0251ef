#include "vlox/settings/textconv.h"

#include <windows.h>

static uint32_t SystemTicks()
{
    return GetTickCount();
}

int32_t DelayMs(int32_t ms)
{
    return DelayMsWith(ms, SystemTicks);
}
