#include "vlox/ui/commands.h"

const MainCommandEntry MainCommandTable[MainCommandCount] = {
    {CmdSurveyParameters, "CmdSurveyParameters", 0, 40006, 'F'},
    {CmdSystemParameters, "CmdSystemParameters", 0, 40007, 'S'},
    {CmdScale, "CmdScale", 0, 40010, 'L'},
    {CmdGpsPortSetup, "CmdGpsPortSetup", 0, 40079, 'T'},
    {CmdTest, "CmdTest", 424, 0, 0},
    {CmdStartReview, "CmdStartReview", 425, 40013, 'V'},
    {CmdAnalysis, "CmdAnalysis", 426, 40026, 0},
    {CmdTransfer, "CmdTransfer", 427, 40025, 'X'},
    {CmdExit, "CmdExit", 428, 40005, 'R'},
    {CmdCreateDataFile, "CmdCreateDataFile", 429, 40001, 'P'},
    {CmdCloseDataFile, "CmdCloseDataFile", 430, 40027, 0},
    {CmdMonitor, "CmdMonitor", 431, 40030, 'Z'},
    {CmdPause, "CmdPause", 432, 40031, 'D'},
    {CmdMeasure, "CmdMeasure", 433, 40032, 'O'},
    {CmdStop, "CmdStop", 434, 40033, 0},
    {CmdStoreReading, "CmdStoreReading", 435, 40034, 0},
    {CmdCancelReading, "CmdCancelReading", 436, 40035, 0},
    {CmdTopOfScaleDown, "CmdTopOfScaleDown", 437, 40021, 0},
    {CmdBottomOfScaleDown, "CmdBottomOfScaleDown", 438, 40023, 0},
    {CmdTopOfScaleUp, "CmdTopOfScaleUp", 439, 40020, 0},
    {CmdBottomOfScaleUp, "CmdBottomOfScaleUp", 440, 40022, 0},
    {CmdPreviousStation, "CmdPreviousStation", 441, 40053, 0},
    {CmdPreviousLine, "CmdPreviousLine", 442, 40055, 0},
    {CmdNextStation, "CmdNextStation", 443, 40052, 0},
    {CmdNextLine, "CmdNextLine", 444, 40054, 0},
    {CmdPreviousRecord, "CmdPreviousRecord", 445, 0, 0},
    {CmdNextRecord, "CmdNextRecord", 446, 0, 0},
    {CmdExitReview, "CmdExitReview", 447, 40018, 0},
    {CmdPrint, "CmdPrint", 448, 40004, 0},
    {CmdEnterComment, "CmdEnterComment", 449, 40036, 0},
    {CmdDisplayComments, "CmdDisplayComments", 450, 40016, 0},
    {CmdOpenDataFile, "CmdOpenDataFile", 451, 40002, 0},
    {CmdManageRecords, "CmdManageRecords", 452, 40015, 0},
    {CmdAutoScale, "CmdAutoScale", 453, 0, 0},
    {CmdZoomIn, "CmdZoomIn", 454, 40045, 0},
    {CmdZoomOut, "CmdZoomOut", 455, 40046, 0},
    {CmdFitAll, "CmdFitAll", 456, 40056, 0},
    {CmdHide, "CmdHide", 457, 0, 0},
    {CmdShiftMapLeft, "CmdShiftMapLeft", 458, 40047, 0},
    {CmdShiftMapUp, "CmdShiftMapUp", 459, 40049, 0},
    {CmdShiftMapDown, "CmdShiftMapDown", 460, 40050, 0},
    {CmdShiftMapRight, "CmdShiftMapRight", 461, 40048, 0},
    {CmdMapOptions, "CmdMapOptions", 0, 40043, 0},
    {CmdFullNulling, "CmdFullNulling", 0, 40058, 0},
    {CmdSelectiveNulling, "CmdSelectiveNulling", 0, 40059, 0},
    {CmdTestDc, "CmdTestDc", 465, 40062, 0},
    {CmdTest100ms, "CmdTest100ms", 466, 40063, 0},
    {CmdTest3ms, "CmdTest3ms", 467, 40064, 0},
    {CmdTest01ms, "CmdTest01ms", 468, 40065, 0},
    {CmdExitTest, "CmdExitTest", 469, 40066, 0},
    {CmdAttributes, "CmdAttributes", 0, 40012, 0},
    {CmdDecayView, "CmdDecayView", 0, 40067, 0},
    {CmdProfileView, "CmdProfileView", 0, 40068, 0},
    {CmdInversionAnalysis, "CmdInversionAnalysis", 0, 40071, 0},
    {CmdGpsCoordinates, "CmdGpsCoordinates", 0, 40081, 0},
    {CmdResetDefaults, "CmdResetDefaults", 0, 40069, 0},
    {CmdExportUsf, "CmdExportUsf", 0, 40041, 0},
    {CmdExportLz5, "CmdExportLz5", 0, 40040, 0},
    {CmdExportXyz, "CmdExportXyz", 0, 40042, 0},
    {CmdExportTxt, "CmdExportTxt", 0, 40039, 0},
    {CmdGpsMapType, "CmdGpsMapType", 0, 40082, 0},
    {CmdUserGatesNulling, "CmdUserGatesNulling", 0, 40060, 0},
    {CmdMonitorGps, "CmdMonitorGps", 0, 40083, 0},
    {CmdEditParameters, "CmdEditParameters", 0, 40086, 0},
    {CmdRepeatLastStation, "CmdRepeatLastStation", 462, 0, 0},
    {CmdInvert, "CmdInvert", 463, 40088, 0},
    {CmdMeterSetup, "CmdMeterSetup", 0, 40084, 0},
};

int32_t CommandForButton(int32_t controlId)
{
    const int32_t command = controlId - FirstButtonId;
    // The two buttons whose slots (42, 43) belong to menu-only commands.
    if (command == 42)
        return CmdRepeatLastStation;
    if (command == 43)
        return CmdInvert;
    return command;
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
