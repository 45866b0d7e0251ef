#include "vlox/ui/program_parts_win.h"

#include "vlox/datafile/store_inputs.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter_win.h"
#include "vlox/ui/acquisition_seams_win.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/ui/status_panel_win.h"

namespace {

GpsSentenceCopy& CopyOf(int32_t kind)
{
    return kind == 0 ? GgaCopy : GsaCopy;
}

bool SentenceFresh(int32_t kind)
{
    return CopyOf(kind).Fresh.load() != 0;
}

void ClearFreshFlags()
{
    GgaCopy.Fresh = 0;
    GsaCopy.Fresh = 0;
}

void SetCopyHold(int32_t hold)
{
    GpsCopyHold = hold;
}

bool CopySentence(int32_t kind, std::string& text, uint32_t& tick)
{
    ReadGpsSentenceCopy(CopyOf(kind), text, tick);
    return !text.empty();
}

// Both readers end, and are waited for, before the port closes.
void StopGpsReaders()
{
    CloseGpsLinkAtExit();
}

bool StartMonitorReader()
{
    if (OpenGpsPort() == 0)
        return false;
    return StartGpsMonitorReader() == 1;
}

bool MeterRunning()
{
    return MeterThread != INVALID_HANDLE_VALUE;
}

void StartMeter()
{
    StartMeterReader();
}

void SetMeterActive(int32_t active)
{
    MeterReadingsActive = active;
}

INT_PTR MeterSetupDialog(HWND owner)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"SQ12SETUP", owner, MeterSetupDlgProc, 0);
}

int32_t PositionCount()
{
    return GpsFix.GpsPositionCount;
}

int32_t CurrentMeasureStateValue()
{
    return MeasureState;
}

int32_t CurrentTestMode()
{
    return InternalTestMode;
}

int32_t PlotOn()
{
    return MapGpsPlotOn;
}

int32_t InvertSwitch()
{
    return InvertOn;
}

}  // namespace

void ConnectInstrumentCommandLinks()
{
    InstrumentCommandLinkSet& l = InstrumentCommandLinks;
    l.SentenceFresh = SentenceFresh;
    l.ClearFreshFlags = ClearFreshFlags;
    l.SetCopyHold = SetCopyHold;
    l.CopySentence = CopySentence;
    l.StopGpsReaders = StopGpsReaders;
    l.StartGpsMonitorReader = StartMonitorReader;
    l.MeterReaderRunning = MeterRunning;
    l.OpenMeterPort = OpenMeterPort;
    l.StartMeterReader = StartMeter;
    l.StopMeterReader = StopMeterReader;
    l.SetMeterReadingsActive = SetMeterActive;
    l.MeterSetupDialog = MeterSetupDialog;

    StatusPanelSources.GpsPositionCount = PositionCount;
    GpsLinkInputs.MeasureState = CurrentMeasureStateValue;
    GpsLinkInputs.InternalTestMode = CurrentTestMode;
    GpsMapHooks.MapGpsPlotOn = PlotOn;
    DataFileInputs.InvertOn = InvertSwitch;
}
