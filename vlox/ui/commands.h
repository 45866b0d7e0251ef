// The main window's internal commands. One table of `MainCommand` carries each command's
// button id, menu id and key; the command handler resolves a message into at most one
// command through the three lookups below. Portable: no window here, only numbers, so that
// every button id, key and menu id is table-tested natively.
#pragma once

#include <cstdint>
#include <functional>

#include "resources/resource.h"

enum MainCommand : int32_t {
    CmdSurveyParameters = 0,
    CmdSystemParameters = 1,
    CmdScale = 2,
    CmdGpsPortSetup = 3,
    CmdTest = 4,
    CmdStartReview = 5,
    CmdAnalysis = 6,
    CmdTransfer = 7,
    CmdExit = 8,
    CmdCreateDataFile = 9,
    CmdCloseDataFile = 10,
    CmdMonitor = 11,
    CmdPause = 12,
    CmdMeasure = 13,
    CmdStop = 14,
    CmdStoreReading = 15,
    CmdCancelReading = 16,
    CmdTopOfScaleDown = 17,
    CmdBottomOfScaleDown = 18,
    CmdTopOfScaleUp = 19,
    CmdBottomOfScaleUp = 20,
    CmdPreviousStation = 21,
    CmdPreviousLine = 22,
    CmdNextStation = 23,
    CmdNextLine = 24,
    CmdPreviousRecord = 25,
    CmdNextRecord = 26,
    CmdExitReview = 27,
    CmdPrint = 28,
    CmdEnterComment = 29,
    CmdDisplayComments = 30,
    CmdOpenDataFile = 31,
    CmdManageRecords = 32,
    CmdAutoScale = 33,
    CmdZoomIn = 34,
    CmdZoomOut = 35,
    CmdFitAll = 36,
    CmdHide = 37,
    CmdShiftMapLeft = 38,
    CmdShiftMapUp = 39,
    CmdShiftMapDown = 40,
    CmdShiftMapRight = 41,
    CmdMapOptions = 42,
    CmdFullNulling = 43,
    CmdSelectiveNulling = 44,
    CmdTestDc = 45,
    CmdTest100ms = 46,
    CmdTest3ms = 47,
    CmdTest01ms = 48,
    CmdExitTest = 49,
    CmdAttributes = 50,
    CmdDecayView = 51,
    CmdProfileView = 52,
    CmdInversionAnalysis = 53,
    CmdGpsCoordinates = 54,
    CmdResetDefaults = 55,
    CmdExportUsf = 56,
    CmdExportLz5 = 57,
    CmdExportXyz = 58,
    CmdExportTxt = 59,
    CmdGpsMapType = 60,
    CmdUserGatesNulling = 61,
    CmdMonitorGps = 62,
    CmdEditParameters = 63,
    CmdRepeatLastStation = 64,
    CmdInvert = 65,
    CmdMeterSetup = 66,
};

constexpr int32_t MainCommandCount = 67;
constexpr int32_t NoCommand = -99;

// True for 0..66: the values that run a case.
constexpr bool IsMainCommand(int32_t command)
{
    return command >= 0 && command < MainCommandCount;
}

// One command: its button's control id (0 when it has no button), its menu item id (0 when
// no menu item carries it; 40082 is an id without an item) and its key letter (upper case,
// 0 when none; the lower-case letter's code runs it too).
struct MainCommandEntry {
    int32_t command;
    const char* name;
    int32_t buttonId;
    int32_t menuId;
    char key;
};

extern const MainCommandEntry MainCommandTable[MainCommandCount];

// Window messages that reach the command handler (the Windows values, so that the resolution
// runs without windows.h).
constexpr uint32_t MsgKeyDown = 0x0100;
constexpr uint32_t MsgDeadChar = 0x0103;
constexpr uint32_t MsgCommand = 0x0111;
constexpr uint32_t MsgMouseMove = 0x0200;
constexpr uint32_t MsgLButtonUp = 0x0202;
constexpr uint32_t MsgRButtonUp = 0x0205;

constexpr int32_t FirstMenuId = IDM_CREATE_DATA_FILE;
constexpr int32_t LastMenuId = IDM_INVERT;

// The command a control id gives: its button slot (id - 420), except the buttons
// "Repeat Last Station" (462, command 64) and "Invert" (463, command 65). Any other id gives a
// value outside 0..66 (or a test command 45..49 for the test buttons), which runs nothing.
int32_t CommandForButton(int32_t controlId);

// The button slot of a command's button (in hButtons), or -1 for a command without a button.
int32_t ButtonSlotOf(int32_t command);

// The command of a main-menu id in 40001..40088, or NoCommand for an id no item carries
// (40082 gives 60). Ids outside that range also give NoCommand.
int32_t CommandForMenu(int32_t menuId);

// What a key does. Next and Previous move the keyboard highlight over the command buttons;
// Press runs the highlighted button's command; Letter runs the command of a letter.
enum class KeyAction { None, Next, Previous, Press, Letter };
struct KeyLookup {
    KeyAction action = KeyAction::None;
    int32_t command = NoCommand;  // for Letter
};
KeyLookup CommandForKey(uint32_t keyCode);

// The keyboard highlight cycle over the button slots 0..13: forward from 12 (and from 13,
// which only the backward step reaches) wraps to 0; backward from 0 wraps to 13 ("MEASURE").
constexpr int32_t HighlightSlotCount = 14;
int32_t NextHighlightedButton(int32_t index);
int32_t PreviousHighlightedButton(int32_t index);

// How a command was reached; keys and Enter are checked against the enabled state.
enum class CommandSource { None, Button, Key, Enter, Menu };

struct CommandResolution {
    int32_t command = NoCommand;
    CommandSource source = CommandSource::None;
    // Set when a navigation key moved the highlight: the slot to un-highlight and the slot
    // to highlight; both -1 otherwise.
    int32_t highlightFrom = -1;
    int32_t highlightTo = -1;
};

// Button, key and menu steps of the command handler for one message. wParam is the
// message's first parameter (its low word is the control or menu id of WM_COMMAND);
// gpsMonitorState nonzero skips the keys; highlightedButton is the slot Enter presses.
CommandResolution ResolveMainCommand(uint32_t message, uint32_t wParam, int32_t gpsMonitorState,
                                     int32_t highlightedButton);

// Whether the main window's menu item or command button currently allows a command: the
// command handler asks the real menu and buttons, a test its own table.
struct CommandGate {
    std::function<bool(int32_t menuId)> MenuItemEnabled;
    std::function<bool(int32_t buttonIndex)> ButtonUsable;  // exists, shown and enabled
};

// A key or Enter runs its command only while the way the operator would otherwise give it
// is open: a letter needs its menu item enabled; Enter needs the highlighted button shown
// and enabled, or, on the slots 0..3 that hold no button, the command's menu item enabled.
// Buttons and menu items themselves are not checked here (Windows sends nothing for a
// disabled one).
bool CommandAllowed(const CommandResolution& r, int32_t highlightedButton, const CommandGate& gate);
