#include "vlox/ui/acquisition_seams_win.h"

int32_t ProfileDrawn = 0;
int32_t MapGpsPlotOn = 1;
int32_t MapCrossBoxSaved = 0;
int32_t SimStationStep = 0;
int32_t SimTrackRestart = 0;

void ScrollProfile()
{
}

void ScaleProfileAxis()
{
}

void DrawLiveProfileFrame()
{
}

void PlotGpsPosition(HWND, int32_t, int32_t, POINT* crossPosition)
{
    if (crossPosition != nullptr)
        *crossPosition = POINT{0, 0};
}

int32_t GpsTrackPointCount()
{
    return 0;
}

void DrawStationMarker(HWND, POINT)
{
}

void KeepStationInView()
{
}

void RedrawStationMap(HWND)
{
}

void SaveRestoreMapBackground(HWND, int32_t)
{
}

void FreeGpsTrack()
{
}

void ResetLiveGpsMap()
{
}

int32_t ParameterPopupMenu(int32_t, int32_t)
{
    return 0;
}

int32_t TestPanelPopupMenu(int32_t, int32_t)
{
    return 0;
}

void ApplyPopupChoice(int32_t)
{
}

int32_t DynamicBuildVariant = 0;

InstrumentCommandLinkSet InstrumentCommandLinks;
