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

LocalTime LocalTimeNow()
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    LocalTime t;
    t.Year = st.wYear;
    t.Month = st.wMonth;
    t.Day = st.wDay;
    t.Hour = st.wHour;
    t.Minute = st.wMinute;
    t.Second = st.wSecond;
    t.Milliseconds = st.wMilliseconds;
    return t;
}
