// The splash window's arithmetic and decisions, apart from its window: which picture a paint
// shows, where the picture sits, the positions of the slide that takes the start-up picture
// away, and what one close does. The window (splash_win.cpp) carries them out.
#pragma once

#include <cstdint>

// Values of SplashState.
constexpr int32_t SplashStartUp = 0;     // the start-up picture is showing
constexpr int32_t SplashDismissed = -1;  // slid away and hidden
constexpr int32_t SplashClosing = 3;     // the closing picture is showing (exit, reset)

// The two pictures, 1024 by 730 pixels each, 24 bits per pixel.
enum class SplashPicture : int32_t { None = 0, Open = 1, Close = 2 };

constexpr int32_t SplashPictureWidth = 1024;
constexpr int32_t SplashPictureHeight = 730;

// The picture a paint shows in a state: Open for 0, Close for 1 to 3; any other state keeps
// `last`, the picture of the previous paint (None before the first one).
SplashPicture SplashPictureForState(int32_t splashState, SplashPicture last);

// Resource name of a picture ("SPLASHOPEN", "SPLASHCLOSE"), or nullptr for None.
const char* SplashPictureResourceName(SplashPicture picture);

// Left edge of the picture in the window, pixels: (workAreaWidth - bitmapWidth) / 2,
// truncated towards zero. Negative for a work area narrower than the picture, which is then
// cropped equally on both sides. Computed in 64 bits, so no width overflows it.
int32_t SplashPictureX(int32_t workAreaWidth, int32_t bitmapWidth);

// The slide: step i moves the window's top to -(1 + 5 i), for every 1 + 5 i up to the work
// area height. A height below 1 gives no step.
constexpr int32_t SplashSlideFirstY = 1;
constexpr int32_t SplashSlideStepY = 5;
int32_t SplashSlideStepCount(int32_t workAreaHeight);
// Top of the window (negative, pixels) after step `step` (0-based).
int32_t SplashSlideTop(int32_t step);

// What one close (timer tick or mouse button) does.
struct SplashCloseSteps {
    bool SlideAway = false;                   // slide, hide, state -1, GPS input back, timer, capture
    bool StartGpsReader = false;              // open the GPS port and start the reader thread
    bool ReportCorruptConfiguration = false;  // the corrupt-configuration message and reset
};

// Only the start-up picture slides away, and only once. GPS starts when the input put back
// (`savedGpsInput`) is above 0 and no reader thread runs. A corrupt configuration is reported
// by every close, whatever the state.
SplashCloseSteps PlanSplashClose(int32_t splashState, int32_t savedGpsInput, bool gpsReaderRunning,
                                 int32_t configInvalid);
