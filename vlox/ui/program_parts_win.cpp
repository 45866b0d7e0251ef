#include "vlox/ui/program_parts_win.h"

#include "vlox/common/program_windows_win.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/review_shown.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/display/map_window_win.h"
#include "vlox/display/monitor_gps_window_win.h"
#include "vlox/display/parameter_panel_win.h"
#include "vlox/display/review_plots_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/instruments/gps.h"
#include "vlox/instruments/gps_link_win.h"
#include "vlox/instruments/meter.h"
#include "vlox/measure/acquisition_state.h"
#include "vlox/measure/board_control_win.h"
#include "vlox/measure/measure_cycle_win.h"
#include "vlox/settings/settings_file.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/ui/acquisition_commands_win.h"
#include "vlox/ui/command_handler_win.h"
#include "vlox/ui/cycle_services_win.h"
#include "vlox/ui/status_panel_win.h"

namespace {

// The splash's close reports a corrupt configuration with the main window as its owner.
void ReportCorruptConfigurationAtSplash()
{
    CorruptMessageOwner = hWndMain;
    ReportCorruptConfiguration(0);
}

}  // namespace

void ConnectProgramParts()
{
    // The reset that a corrupt file leads to closes what the program has open by then.
    ResetHooks.CloseGpsPort = CloseGpsLinkAtExit;
    ResetHooks.StopAcquisition = [] { StopAcquisition(); };
    ResetHooks.ShowClosingSplash = ShowClosingSplash;
    ResetHooks.EndProcess = EndProgramProcess;

    // What a stored reading and a new file's header carry from the cycle, the instruments
    // and the live loop.
    DataFileInputs.ResultsA = [] { return static_cast<const ReadingRecordResult*>(ReadingResultsA); };
    DataFileInputs.ResultsB = [] { return static_cast<const ReadingRecordResult*>(ReadingResultsB); };
    DataFileInputs.ClearMonitorSums = [] {
        MonitorPassCount = 0;
        for (double& m : MonitorSums)
            m = 0.0;
    };
    DataFileInputs.Meter = MeterValuesForStore;
    DataFileInputs.GpsOrigin = GpsOriginForDataFile;
    DataFileInputs.ClearGpsPositionCount = ClearGpsPositionCount;
    DataFileInputs.TxLoopArea = [] { return TxLoopArea; };
    DataFileInputs.InvertOn = [] { return InvertOn; };

    // The GPS link stores and counts positions only while a reading is averaged, and plots
    // them only while the map takes them.
    GpsLinkInputs.ReadingAveraged = [] { return MeasureState == MeasureStateAveraging; };
    GpsLinkInputs.InternalTestMode = [] { return InternalTestMode.load(); };
    GpsMapHooks.MapGpsPlotOn = [] { return MapGpsPlotOn; };
    GpsMapHooks.PlotGpsPosition = [](HWND map, int32_t addToTrack, int32_t drawCross) {
        PlotGpsPosition(map, addToTrack, drawCross, nullptr);
    };
    GpsMapHooks.CreateMapPens = CreateMapPens;
    GpsMapHooks.SetupMapView = [] { SetupMapView(); };
    // A stored reading at a new station shows on the station map at once.
    DataFileInputs.StationMapChanged = [] { RedrawStationMap(hWndMap); };
    DataFileInputs.StationIndexChanged = ReadStationMapIndex;

    // The GPS monitor's Exit shows the command buttons it hid.
    MonitorGpsServices.RestoreCommandButtons = [] {
        for (int32_t i = 0; i < ButtonCount && i < ButtonSlots; ++i)
            if (ButtonVisible[i] == 1)
                ShowButton(i, true);
    };

    SplashServices.StartGpsReader = StartGpsReaderAfterSplash;
    SplashServices.ReportCorruptConfiguration = ReportCorruptConfigurationAtSplash;

    StatusPanelSources.GpsPositionCount = [] { return GpsFix.GpsPositionCount; };
    // The review's file, test mode and reading for the panel.
    StatusPanelSources.ReviewFileTitle = [] { return ReviewFileTitle.c_str(); };
    StatusPanelSources.ReviewTestMode = [] { return ReviewTestMode; };
    StatusPanelSources.ReviewedReadingGates = [](int32_t& gateCount, int32_t& component, int32_t& componentCount) {
        gateCount = ReviewReading.GateCount;
        component = ReviewReading.Component;
        componentCount = ReviewReading.ComponentCount;
    };
    ReviewedParametersSource = ReviewedParametersOfReading;

    MeasurementCycleServices = &ProgramCycleServices();
}
