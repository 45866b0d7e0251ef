#include "vlox/ui/startup_stubs_win.h"

#include "vlox/settings/config_file.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/rate_tables.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/settings_file_win.h"
#include "vlox/display/splash_win.h"
#include "vlox/ui/main_window_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/measure/units.h"
#include "vlox/ui/acquisition_seams_win.h"
#include "vlox/ui/command_handler_win.h"

// The live loop's area, square metres; computed at start from the loop settings.
double TxLoopArea = 0.0;

// The loop's corners in metres when it was entered by GPS coordinates; the map draws them.
double TxCornerEasting[TxCornerCount] = {};
double TxCornerNorthing[TxCornerCount] = {};

namespace {
double LiveTxLoopArea()
{
    return TxLoopArea;
}
}  // namespace

void ClearNullTablesAtStart()
{
    ClearNullTables(NullTablesStore);
}

void ComputeTotalTurnOffDelayAtStart()
{
    TotalTurnOffDelay = ComputeTotalTurnOffDelay(Settings);
}

void LoadSettingsAtStart()
{
    // The reset that a corrupt file leads to closes what the program has open by then.
    ResetHooks.CloseGpsPort = CloseGpsLinkAtExit;
    ResetHooks.StopAcquisition = StopAcquisitionAtExit;
    ResetHooks.ShowClosingSplash = ShowClosingSplash;
    ResetHooks.EndProcess = EndProgramProcess;
    SettingsFile(SettingsLoad);
}

void ComputeTxLoopAreaAtStart()
{
    TxLoopArea = LoopArea(LoopGeometryFromSettings(Settings), TxCornerEasting, TxCornerNorthing);
    // The loop records of every stored reading carry the same area.
    DataFileInputs.TxLoopArea = LiveTxLoopArea;
}

void BuildGateTablesAtStart()
{
    BuildGateTables();
}

void BuildReviewGateTimesAtStart()
{
}

void SetNmeaFieldRolesAtStart()
{
    SetNmeaFieldRoles();
}

void CreateProfilePens(int32_t)
{
}

void ReportCorruptConfigurationAtSplash()
{
    CorruptMessageOwner = hWndMain;
    ReportCorruptConfiguration(0);
}

void CloseStationIndexFileAtExit()
{
    CloseStationIndexFile();
}

void StopAcquisitionAtExit()
{
    StopAcquisition();
}
