#include "vlox/ui/commands.h"

#include "vlox/common/screen_layout.h"

const MainCommandEntry MainCommandTable[MainCommandCount] = {
    {CmdSurveyParameters, "CmdSurveyParameters", 0, IDM_SURVEY_PARAMETERS, 'F'},
    {CmdSystemParameters, "CmdSystemParameters", 0, IDM_SYSTEM_PARAMETERS, 'S'},
    {CmdScale, "CmdScale", 0, IDM_SCALE, 'L'},
    {CmdGpsPortSetup, "CmdGpsPortSetup", 0, IDM_GPS_PORT_SETUP, 'T'},
    {CmdTest, "CmdTest", IDC_TEST, 0, 0},
    {CmdStartReview, "CmdStartReview", IDC_START_REVIEW, IDM_START_REVIEW, 'V'},
    {CmdAnalysis, "CmdAnalysis", IDC_ANALYSIS, IDM_ANALYSIS, 0},
    {CmdTransfer, "CmdTransfer", IDC_TRANSFER, IDM_TRANSFER, 'X'},
    {CmdExit, "CmdExit", IDC_EXIT, IDM_EXIT, 'R'},
    {CmdCreateDataFile, "CmdCreateDataFile", IDC_CREATE_DATA_FILE, IDM_CREATE_DATA_FILE, 'P'},
    {CmdCloseDataFile, "CmdCloseDataFile", IDC_CLOSE_DATA_FILE, IDM_CLOSE_DATA_FILE, 0},
    {CmdMonitor, "CmdMonitor", IDC_MONITOR, IDM_MONITOR, 'Z'},
    {CmdPause, "CmdPause", IDC_PAUSE, IDM_PAUSE, 'D'},
    {CmdMeasure, "CmdMeasure", IDC_MEASURE, IDM_MEASURE, 'O'},
    {CmdStop, "CmdStop", IDC_STOP, IDM_STOP, 0},
    {CmdStoreReading, "CmdStoreReading", IDC_STORE_READING, IDM_STORE_READING, 0},
    {CmdCancelReading, "CmdCancelReading", IDC_CANCEL_READING, IDM_CANCEL_READING, 0},
    {CmdTopOfScaleDown, "CmdTopOfScaleDown", IDC_TOP_OF_SCALE_DOWN, IDM_TOP_OF_SCALE_DOWN, 0},
    {CmdBottomOfScaleDown, "CmdBottomOfScaleDown", IDC_BOTTOM_OF_SCALE_DOWN, IDM_BOTTOM_OF_SCALE_DOWN, 0},
    {CmdTopOfScaleUp, "CmdTopOfScaleUp", IDC_TOP_OF_SCALE_UP, IDM_TOP_OF_SCALE_UP, 0},
    {CmdBottomOfScaleUp, "CmdBottomOfScaleUp", IDC_BOTTOM_OF_SCALE_UP, IDM_BOTTOM_OF_SCALE_UP, 0},
    {CmdPreviousStation, "CmdPreviousStation", IDC_PREVIOUS_STATION, IDM_PREVIOUS_STATION, 0},
    {CmdPreviousLine, "CmdPreviousLine", IDC_PREVIOUS_LINE, IDM_PREVIOUS_LINE, 0},
    {CmdNextStation, "CmdNextStation", IDC_NEXT_STATION, IDM_NEXT_STATION, 0},
    {CmdNextLine, "CmdNextLine", IDC_NEXT_LINE, IDM_NEXT_LINE, 0},
    {CmdPreviousRecord, "CmdPreviousRecord", IDC_PREVIOUS_RECORD, 0, 0},
    {CmdNextRecord, "CmdNextRecord", IDC_NEXT_RECORD, 0, 0},
    {CmdExitReview, "CmdExitReview", IDC_EXIT_REVIEW, IDM_EXIT_REVIEW, 0},
    {CmdPrint, "CmdPrint", IDC_PRINT, IDM_PRINT, 0},
    {CmdEnterComment, "CmdEnterComment", IDC_ENTER_COMMENT, IDM_ENTER_COMMENT, 0},
    {CmdDisplayComments, "CmdDisplayComments", IDC_DISPLAY_COMMENTS, IDM_DISPLAY_COMMENTS, 0},
    {CmdOpenDataFile, "CmdOpenDataFile", IDC_OPEN_DATA_FILE, IDM_OPEN_DATA_FILE, 0},
    {CmdManageRecords, "CmdManageRecords", IDC_MANAGE_RECORDS, IDM_MANAGE_RECORDS, 0},
    {CmdAutoScale, "CmdAutoScale", IDC_AUTO_SCALE, 0, 0},
    {CmdZoomIn, "CmdZoomIn", IDC_ZOOM_IN, IDM_ZOOM_IN, 0},
    {CmdZoomOut, "CmdZoomOut", IDC_ZOOM_OUT, IDM_ZOOM_OUT, 0},
    {CmdFitAll, "CmdFitAll", IDC_FIT_ALL, IDM_FIT_ALL, 0},
    {CmdHide, "CmdHide", IDC_HIDE, 0, 0},
    {CmdShiftMapLeft, "CmdShiftMapLeft", IDC_SHIFT_MAP_LEFT, IDM_SHIFT_MAP_LEFT, 0},
    {CmdShiftMapUp, "CmdShiftMapUp", IDC_SHIFT_MAP_UP, IDM_SHIFT_MAP_UP, 0},
    {CmdShiftMapDown, "CmdShiftMapDown", IDC_SHIFT_MAP_DOWN, IDM_SHIFT_MAP_DOWN, 0},
    {CmdShiftMapRight, "CmdShiftMapRight", IDC_SHIFT_MAP_RIGHT, IDM_SHIFT_MAP_RIGHT, 0},
    {CmdMapOptions, "CmdMapOptions", 0, IDM_MAP_OPTIONS, 0},
    {CmdFullNulling, "CmdFullNulling", 0, IDM_FULL_NULLING, 0},
    {CmdSelectiveNulling, "CmdSelectiveNulling", 0, IDM_SELECTIVE_NULLING, 0},
    {CmdTestDc, "CmdTestDc", IDC_TEST_DC, IDM_TEST_DC, 0},
    {CmdTest100ms, "CmdTest100ms", IDC_TEST_100MS, IDM_TEST_100MS, 0},
    {CmdTest3ms, "CmdTest3ms", IDC_TEST_3MS, IDM_TEST_3MS, 0},
    {CmdTest01ms, "CmdTest01ms", IDC_TEST_01MS, IDM_TEST_01MS, 0},
    {CmdExitTest, "CmdExitTest", IDC_EXIT_TEST, IDM_EXIT_TEST, 0},
    {CmdAttributes, "CmdAttributes", 0, IDM_ATTRIBUTES, 0},
    {CmdDecayView, "CmdDecayView", 0, IDM_DECAY_VIEW, 0},
    {CmdProfileView, "CmdProfileView", 0, IDM_PROFILE_VIEW, 0},
    {CmdInversionAnalysis, "CmdInversionAnalysis", 0, IDM_INVERSION_ANALYSIS, 0},
    {CmdGpsCoordinates, "CmdGpsCoordinates", 0, IDM_GPS_COORDINATES, 0},
    {CmdResetDefaults, "CmdResetDefaults", 0, IDM_RESET_DEFAULTS, 0},
    {CmdExportUsf, "CmdExportUsf", 0, IDM_EXPORT_USF, 0},
    {CmdExportLz5, "CmdExportLz5", 0, IDM_EXPORT_LZ5, 0},
    {CmdExportXyz, "CmdExportXyz", 0, IDM_EXPORT_XYZ, 0},
    {CmdExportTxt, "CmdExportTxt", 0, IDM_EXPORT_TXT, 0},
    {CmdGpsMapType, "CmdGpsMapType", 0, IDM_GPS_MAP_TYPE, 0},
    {CmdUserGatesNulling, "CmdUserGatesNulling", 0, IDM_USER_GATES_NULLING, 0},
    {CmdMonitorGps, "CmdMonitorGps", 0, IDM_MONITOR_GPS, 0},
    {CmdEditParameters, "CmdEditParameters", 0, IDM_EDIT_PARAMETERS, 0},
    {CmdRepeatLastStation, "CmdRepeatLastStation", IDC_REPEAT_LAST_STATION, 0, 0},
    {CmdInvert, "CmdInvert", IDC_INVERT, IDM_INVERT, 0},
    {CmdMeterSetup, "CmdMeterSetup", 0, IDM_METER_SETUP, 0},
};

int32_t CommandForButton(int32_t controlId)
{
    // The two buttons whose slots (42, 43) belong to menu-only commands.
    if (controlId == IDC_REPEAT_LAST_STATION)
        return CmdRepeatLastStation;
    if (controlId == IDC_INVERT)
        return CmdInvert;
    return ButtonSlotForId(controlId);
}

int32_t ButtonSlotOf(int32_t command)
{
    if (!IsMainCommand(command) || MainCommandTable[command].buttonId == 0)
        return -1;
    return ButtonSlotForId(MainCommandTable[command].buttonId);
}

int32_t CommandForMenu(int32_t menuId)
{
    if (menuId < FirstMenuId || menuId > LastMenuId)
        return NoCommand;
    for (const MainCommandEntry& e : MainCommandTable) {
        if (e.menuId == menuId)
            return e.command;
    }
    return NoCommand;
}

KeyLookup CommandForKey(uint32_t keyCode)
{
    switch (keyCode) {
    case 9:
    case 0x27:
    case 0x28:
        return {KeyAction::Next, NoCommand};
    case 0x25:
    case 0x26:
        return {KeyAction::Previous, NoCommand};
    case 13:
        return {KeyAction::Press, NoCommand};
    default:
        break;
    }
    // Upper-case letters and their lower-case codes (which are also the codes of some
    // keypad and function keys).
    uint32_t letter = keyCode;
    if (letter >= 'a' && letter <= 'z')
        letter -= 'a' - 'A';
    if (letter >= 'A' && letter <= 'Z') {
        for (const MainCommandEntry& e : MainCommandTable) {
            if (e.key != 0 && static_cast<uint32_t>(e.key) == letter)
                return {KeyAction::Letter, e.command};
        }
    }
    return {};
}

int32_t NextHighlightedButton(int32_t index)
{
    const int32_t next = index + 1;
    // 13 is reached only backwards; beyond it there is no slot of the cycle.
    if (next >= HighlightSlotCount - 1 || next < 0)
        return 0;
    return next;
}

int32_t PreviousHighlightedButton(int32_t index)
{
    const int32_t previous = index - 1;
    if (previous < 0 || previous >= HighlightSlotCount)
        return HighlightSlotCount - 1;
    return previous;
}

CommandResolution ResolveMainCommand(uint32_t message, uint32_t wParam, int32_t gpsMonitorState,
                                     int32_t highlightedButton)
{
    CommandResolution r;
    const int32_t lowWord = static_cast<int32_t>(wParam & 0xFFFF);

    // Every message first reads as a button: ids of other controls, keys and mouse flags
    // give values outside 0..66.
    r.command = CommandForButton(lowWord);
    if (message == MsgCommand && IsMainCommand(r.command))
        r.source = CommandSource::Button;

    if (gpsMonitorState == 0 && (message == MsgKeyDown || message == MsgDeadChar)) {
        const KeyLookup key = CommandForKey(wParam);
        switch (key.action) {
        case KeyAction::Next:
        case KeyAction::Previous:
            r.highlightFrom = highlightedButton;
            r.highlightTo = key.action == KeyAction::Next ? NextHighlightedButton(highlightedButton)
                                                          : PreviousHighlightedButton(highlightedButton);
            r.command = NoCommand;
            r.source = CommandSource::None;
            break;
        case KeyAction::Press:
            r.command = highlightedButton;
            r.source = CommandSource::Enter;
            break;
        case KeyAction::Letter:
            r.command = key.command;
            r.source = CommandSource::Key;
            break;
        case KeyAction::None:
            break;
        }
    }

    if (lowWord >= FirstMenuId && lowWord <= LastMenuId) {
        r.command = CommandForMenu(lowWord);
        r.source = IsMainCommand(r.command) ? CommandSource::Menu : CommandSource::None;
    }
    return r;
}

bool CommandAllowed(const CommandResolution& r, int32_t highlightedButton, const CommandGate& gate)
{
    if (!IsMainCommand(r.command))
        return false;
    const MainCommandEntry& e = MainCommandTable[r.command];
    const bool menuOpen = e.menuId != 0 && gate.MenuItemEnabled && gate.MenuItemEnabled(e.menuId);
    switch (r.source) {
    case CommandSource::Key:
        return menuOpen;
    case CommandSource::Enter: {
        const bool slotHasButton = highlightedButton >= 4 && highlightedButton < HighlightSlotCount;
        if (slotHasButton)
            return gate.ButtonUsable && gate.ButtonUsable(highlightedButton);
        return menuOpen;
    }
    default:
        return true;
    }
}
