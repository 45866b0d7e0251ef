#include "vlox/display/splash.h"

SplashPicture SplashPictureForState(int32_t splashState, SplashPicture last)
{
    if (splashState == SplashStartUp)
        return SplashPicture::Open;
    if (splashState >= 1 && splashState <= 3)
        return SplashPicture::Close;
    return last;
}

const char* SplashPictureResourceName(SplashPicture picture)
{
    switch (picture) {
    case SplashPicture::Open:
        return "SPLASHOPEN";
    case SplashPicture::Close:
        return "SPLASHCLOSE";
    case SplashPicture::None:
        break;
    }
    return nullptr;
}

int32_t SplashPictureX(int32_t workAreaWidth, int32_t bitmapWidth)
{
    // C++ division truncates towards zero, as the placement wants for odd negative widths.
    const int64_t room = static_cast<int64_t>(workAreaWidth) - bitmapWidth;
    return static_cast<int32_t>(room / 2);
}

int32_t SplashSlideStepCount(int32_t workAreaHeight)
{
    if (workAreaHeight < SplashSlideFirstY)
        return 0;
    return (workAreaHeight - SplashSlideFirstY) / SplashSlideStepY + 1;
}

int32_t SplashSlideTop(int32_t step)
{
    return -(SplashSlideFirstY + SplashSlideStepY * step);
}

SplashCloseSteps PlanSplashClose(int32_t splashState, int32_t savedGpsInput, bool gpsReaderRunning,
                                 int32_t configInvalid)
{
    SplashCloseSteps steps;
    steps.SlideAway = splashState == SplashStartUp;
    steps.StartGpsReader = steps.SlideAway && savedGpsInput > 0 && !gpsReaderRunning;
    steps.ReportCorruptConfiguration = configInvalid == 1;
    return steps;
}
