// The command table and the resolution of a message into a command: every button id, every
// menu id of 40001..40088 and every key code, the highlight cycle, and the gate that lets a
// key run its command only while the command is offered. The table is checked against what
// the operator sees: the buttons' captions and the menu script's item texts.
#include "vlox/ui/commands.h"

#include "tests/ui/menu_resource.h"
#include "vlox/ui/main_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

// What the operator sees of each command: its button's caption ("" without a button), its
// main-menu item's text ("" without an item) and its key letter. GpsMapType's id is carried
// by no item (NoItem).
const char* const NoItem = nullptr;
struct Seen {
    int32_t command;
    const char* caption;
    const char* menuText;
    char key;
};
const Seen kSeen[] = {
    {CmdSurveyParameters, "", "S&urvey Parameters", 'F'},
    {CmdSystemParameters, "", "S&ystem Parameters", 'S'},
    {CmdScale, "", "&Scale", 'L'},
    {CmdGpsPortSetup, "", "&GPS Port Setup", 'T'},
    {CmdTest, "Test", "", 0},
    {CmdStartReview, "Review", "&Start Review Mode", 'V'},
    {CmdAnalysis, "Analysis", "&Analysis", 0},
    {CmdTransfer, "Transfer", "&Transfer", 'X'},
    {CmdExit, "E&xit", "E&xit", 'R'},
    {CmdCreateDataFile, "Create File", "&Create Data File", 'P'},
    {CmdCloseDataFile, "Close File", "C&lose Data File", 0},
    {CmdMonitor, "Monitor", "M&onitor", 'Z'},
    {CmdPause, "Pause", "&Pause", 'D'},
    {CmdMeasure, "MEASURE", "&Measure", 'O'},
    {CmdStop, "STOP", "&Stop", 0},
    {CmdStoreReading, "STORE", "S&tore Reading", 0},
    {CmdCancelReading, "Cancel", "C&ancel Reading", 0},
    {CmdTopOfScaleDown, "Down", "&Top of Scale Down", 0},
    {CmdBottomOfScaleDown, "Down", "B&ottom of Scale Down", 0},
    {CmdTopOfScaleUp, "Up", "Top of Scale &Up", 0},
    {CmdBottomOfScaleUp, "Up", "&Bottom of Scale Up", 0},
    {CmdPreviousStation, "Prev. Station", "&Previous Station", 0},
    {CmdPreviousLine, "Prev. Line", "P&revious Line", 0},
    {CmdNextStation, "Next Station", "&Next Station", 0},
    {CmdNextLine, "Next Line", "Next &Line", 0},
    {CmdPreviousRecord, "Prev. Rcd.", "", 0},
    {CmdNextRecord, "Next Rcd.", "", 0},
    {CmdExitReview, "E&xit Review", "E&xit Review Mode", 0},
    {CmdPrint, "Print", "&Print", 0},
    {CmdEnterComment, "Comment", "&Enter Comment", 0},
    {CmdDisplayComments, "Display Available Comments", "&Display Comments", 0},
    {CmdOpenDataFile, "New File", "&Open Data File", 0},
    {CmdManageRecords, "Manage Rcds", "&Manage Records", 0},
    {CmdAutoScale, "Auto Scale", "", 0},
    {CmdZoomIn, "Zoom+", "&Zoom In", 0},
    {CmdZoomOut, "Zoom-", "Zoom &Out", 0},
    {CmdFitAll, "Fit All", "&Fit All in Map", 0},
    {CmdHide, "Hide L", "", 0},
    {CmdShiftMapLeft, "Left", "Shift Map &Left", 0},
    {CmdShiftMapUp, "Up", "Shift Map &Up", 0},
    {CmdShiftMapDown, "Down", "Shift Map &Down", 0},
    {CmdShiftMapRight, "Right", "Shift Map &Right", 0},
    {CmdMapOptions, "", "&Map Size and Options", 0},
    {CmdFullNulling, "", "&Perform Full Nulling (Standard Gates)", 0},
    {CmdSelectiveNulling, "", "Perform &Selective Nulling (Standard Gates)", 0},
    {CmdTestDc, "DC", "Test &DC", 0},
    {CmdTest100ms, "100", "Test Time Constant &100 ms", 0},
    {CmdTest3ms, "3", "Test Time Constant &3 ms", 0},
    {CmdTest01ms, "0.1", "Test Time Constant &0.1 ms", 0},
    {CmdExitTest, "E&xit Test Mode", "E&xit Internal Test Mode", 0},
    {CmdAttributes, "", "&Attributes", 0},
    {CmdDecayView, "", "&Decay View", 0},
    {CmdProfileView, "", "&Profile View", 0},
    {CmdInversionAnalysis, "", "&Inversion Analysis", 0},
    {CmdGpsCoordinates, "", "GPS &Coordinates Display", 0},
    {CmdResetDefaults, "", "Reset to &Default Parameters", 0},
    {CmdExportUsf, "", "&USF Format", 0},
    {CmdExportLz5, "", "&Tarnwel LZ5", 0},
    {CmdExportXyz, "", "&XYZ Format", 0},
    {CmdExportTxt, "", "&TXT Text Format", 0},
    {CmdGpsMapType, "", NoItem, 0},
    {CmdUserGatesNulling, "", "Perform Nulling for Current Set of &User Defined Gates", 0},
    {CmdMonitorGps, "", "M&onitor GPS Receiver", 0},
    {CmdEditParameters, "", "&Edit Selected Parameters", 0},
    {CmdRepeatLastStation, "Repeat Last Station", "", 0},
    {CmdInvert, "Invert", "&Invert", 0},
    {CmdMeterSetup, "", "&SQ12-MK2 Setup", 0},
};

const std::map<int32_t, menu_resource::MenuItem>& Menu()
{
    static const std::map<int32_t, menu_resource::MenuItem> items = menu_resource::ParseMenu();
    return items;
}

CommandResolution Key(uint32_t code, int32_t highlighted = 0, int32_t gpsMonitor = 0)
{
    return ResolveMainCommand(MsgKeyDown, code, gpsMonitor, highlighted);
}

CommandGate GateOf(std::set<int32_t> enabledMenus, std::set<int32_t> usableButtons)
{
    CommandGate g;
    g.MenuItemEnabled = [enabledMenus](int32_t id) { return enabledMenus.count(id) == 1; };
    g.ButtonUsable = [usableButtons](int32_t slot) { return usableButtons.count(slot) == 1; };
    return g;
}

}  // namespace

// The table against the resources: each command's button is the one with its caption, its
// menu id the item with its text in the menu script, its key the letter the manual gives.
TEST(MainCommandTable, EachCommandOnItsButtonMenuItemAndKey)
{
    ASSERT_EQ(sizeof(kSeen) / sizeof(kSeen[0]), static_cast<size_t>(MainCommandCount));
    for (int32_t n = 0; n < MainCommandCount; ++n) {
        const MainCommandEntry& e = MainCommandTable[n];
        const Seen& seen = kSeen[n];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.command, n);
        EXPECT_EQ(seen.command, n);
        if (seen.caption[0] == '\0') {
            EXPECT_EQ(e.buttonId, 0);
        } else {
            ASSERT_NE(e.buttonId, 0);
            EXPECT_STREQ(ButtonCaption(ButtonSlotForId(e.buttonId)), seen.caption);
            EXPECT_EQ(ButtonSlotOf(e.command), ButtonSlotForId(e.buttonId));
        }
        if (seen.menuText == NoItem) {
            EXPECT_NE(e.menuId, 0);
            EXPECT_EQ(Menu().count(e.menuId), 0u) << e.menuId;
        } else if (seen.menuText[0] == '\0') {
            EXPECT_EQ(e.menuId, 0);
        } else {
            auto item = Menu().find(e.menuId);
            ASSERT_NE(item, Menu().end()) << e.menuId;
            EXPECT_EQ(item->second.text, seen.menuText);
        }
        EXPECT_EQ(e.key, seen.key);
    }
    EXPECT_STREQ(MainCommandTable[CmdMeterSetup].name, "CmdMeterSetup");
    EXPECT_EQ(ButtonSlotOf(CmdMapOptions), -1);
    EXPECT_EQ(ButtonSlotOf(NoCommand), -1);
    EXPECT_EQ(ButtonSlotOf(MainCommandCount), -1);
}

TEST(CommandForButton, EveryCreatedButtonRunsItsCommand)
{
    // Every slot that holds a button gives the command of its caption.
    std::map<std::string, std::set<int32_t>> byCaption;
    for (const Seen& s : kSeen)
        if (s.caption[0] != '\0')
            byCaption[s.caption].insert(s.command);
    for (int32_t slot = 0; slot < ButtonSlots; ++slot) {
        const std::string caption = ButtonCaption(slot);
        if (caption.empty())
            continue;
        const int32_t command = CommandForButton(ButtonFirstId + slot);
        EXPECT_EQ(byCaption[caption].count(command), 1u) << caption;
        EXPECT_EQ(ButtonSlotOf(command), slot) << caption;
    }
    // The two buttons whose slots belong to menu-only commands.
    EXPECT_EQ(CommandForButton(462), CmdRepeatLastStation);
    EXPECT_EQ(CommandForButton(463), CmdInvert);
    // Ids that are never created, and ids of other controls, give values that run nothing
    // (420-423 would give 0-3, but no such button exists).
    EXPECT_EQ(CommandForButton(420), 0);
    EXPECT_EQ(CommandForButton(464), 44);
    EXPECT_FALSE(IsMainCommand(CommandForButton(81)));
    EXPECT_FALSE(IsMainCommand(CommandForButton(600)));
    EXPECT_FALSE(IsMainCommand(CommandForButton(1242)));
    EXPECT_FALSE(IsMainCommand(CommandForButton(419)));
    EXPECT_FALSE(IsMainCommand(CommandForButton(487)));
}

TEST(CommandForMenu, EveryIdOfTheMenuRange)
{
    // Every item of the menu script runs the command of its text, or nothing.
    std::map<std::string, int32_t> byText;
    for (const Seen& s : kSeen)
        if (s.menuText != NoItem && s.menuText[0] != '\0')
            byText[s.menuText] = s.command;
    std::set<int32_t> itemsWithoutCommand;
    for (int32_t id = FirstMenuId; id <= LastMenuId; ++id) {
        auto item = Menu().find(id);
        if (item == Menu().end()) {
            EXPECT_EQ(CommandForMenu(id), id == 40082 ? CmdGpsMapType : NoCommand) << id;
            continue;
        }
        auto command = byText.find(item->second.text);
        if (command == byText.end()) {
            itemsWithoutCommand.insert(id);
            EXPECT_EQ(CommandForMenu(id), NoCommand) << id;
        } else {
            EXPECT_EQ(CommandForMenu(id), command->second) << item->second.text;
        }
    }
    // Items that yield no command ("Save As", "Decay Mode", "Print Comments", "About",
    // "Profile Mode"), and ids outside the range.
    EXPECT_EQ(itemsWithoutCommand, (std::set<int32_t>{40003, 40014, 40017, 40019, 40024}));
    EXPECT_EQ(CommandForMenu(40000), NoCommand);
    EXPECT_EQ(CommandForMenu(40089), NoCommand);
}

TEST(CommandForKey, LettersInBothCasesNavigationAndNothingElse)
{
    const std::map<char, int32_t> letters = {{'D', 12}, {'F', 0}, {'L', 2}, {'O', 13}, {'P', 9}, {'R', 8},
                                             {'S', 1},  {'T', 3}, {'V', 5}, {'X', 7},  {'Z', 11}};
    for (uint32_t code = 0; code < 0x10000; ++code) {
        const KeyLookup k = CommandForKey(code);
        uint32_t upper = code >= 'a' && code <= 'z' ? code - 32 : code;
        auto it = upper < 128 ? letters.find(static_cast<char>(upper)) : letters.end();
        if (code == 9 || code == 0x27 || code == 0x28) {
            EXPECT_EQ(k.action, KeyAction::Next) << code;
        } else if (code == 0x25 || code == 0x26) {
            EXPECT_EQ(k.action, KeyAction::Previous) << code;
        } else if (code == 13) {
            EXPECT_EQ(k.action, KeyAction::Press);
        } else if (it != letters.end()) {
            EXPECT_EQ(k.action, KeyAction::Letter) << code;
            EXPECT_EQ(k.command, it->second) << code;
        } else {
            EXPECT_EQ(k.action, KeyAction::None) << code;
        }
    }
    // F3 (0x72) shares its code with "r": it runs Exit.
    EXPECT_EQ(CommandForKey(0x72).command, CmdExit);
}

TEST(HighlightCycle, ForwardVisitsZeroToTwelveBackwardReachesMeasure)
{
    int32_t index = 0;
    std::set<int32_t> seen;
    for (int i = 0; i < 13; ++i) {
        index = NextHighlightedButton(index);
        seen.insert(index);
    }
    EXPECT_EQ(index, 0);
    EXPECT_EQ(seen.count(13), 0u);
    EXPECT_EQ(seen.size(), 13u);

    EXPECT_EQ(PreviousHighlightedButton(0), 13);
    EXPECT_EQ(PreviousHighlightedButton(13), 12);
    // Forward from "MEASURE" goes back to 0: never past the cycle into STOP, STORE, ... and
    // never off the end of the 50 button slots.
    EXPECT_EQ(NextHighlightedButton(13), 0);
    for (int32_t i = 0; i < 100; ++i) {
        index = NextHighlightedButton(index);
        ASSERT_GE(index, 0);
        ASSERT_LT(index, 13);
    }
}

TEST(ResolveMainCommand, ButtonsMenusAndOtherControls)
{
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 433, 0, 0).command, CmdMeasure);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 433, 0, 0).source, CommandSource::Button);
    // BN_CLICKED in the high word does not matter.
    EXPECT_EQ(ResolveMainCommand(MsgCommand, (0u << 16) | 462, 0, 0).command, CmdRepeatLastStation);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 40082, 0, 0).command, CmdGpsMapType);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 40082, 0, 0).source, CommandSource::Menu);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 40003, 0, 0).command, NoCommand);
    // A review combo's selection change and a popup item run nothing.
    EXPECT_FALSE(IsMainCommand(ResolveMainCommand(MsgCommand, (1u << 16) | 82, 0, 0).command));
    EXPECT_FALSE(IsMainCommand(ResolveMainCommand(MsgCommand, 1249, 0, 0).command));
}

TEST(ResolveMainCommand, MouseMovesWithModifiersRunNothing)
{
    for (uint32_t flags = 0; flags < 0x80; ++flags) {
        for (uint32_t message : {MsgMouseMove, MsgLButtonUp, MsgRButtonUp}) {
            const CommandResolution r = ResolveMainCommand(message, flags, 0, 5);
            EXPECT_FALSE(IsMainCommand(r.command)) << flags;
            EXPECT_EQ(r.highlightTo, -1);
        }
    }
}

TEST(ResolveMainCommand, KeysMoveTheHighlightOrRunTheirCommand)
{
    CommandResolution r = Key(9, 12);
    EXPECT_EQ(r.command, NoCommand);
    EXPECT_EQ(r.highlightFrom, 12);
    EXPECT_EQ(r.highlightTo, 0);
    r = Key(0x25, 0);
    EXPECT_EQ(r.highlightTo, 13);

    // Enter on the slots without a button still runs commands 0..3.
    for (int32_t slot = 0; slot < 14; ++slot) {
        r = Key(13, slot);
        EXPECT_EQ(r.command, slot);
        EXPECT_EQ(r.source, CommandSource::Enter);
    }
    r = Key('o');
    EXPECT_EQ(r.command, CmdMeasure);
    EXPECT_EQ(r.source, CommandSource::Key);
    // The dead-character message is looked up the same way.
    EXPECT_EQ(ResolveMainCommand(MsgDeadChar, 'Z', 0, 0).command, CmdMonitor);
    // A key without a meaning runs nothing (its code minus 420 is negative).
    EXPECT_FALSE(IsMainCommand(Key('A').command));
    // F1 (0x70) is the code of "p".
    EXPECT_EQ(Key(0x70).command, CmdCreateDataFile);
}

TEST(ResolveMainCommand, TheGpsMonitorHoldsTheKeysButNotButtonsOrMenus)
{
    EXPECT_FALSE(IsMainCommand(Key('R', 0, 2).command));
    EXPECT_EQ(Key(9, 3, 2).highlightTo, -1);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 428, 2, 0).command, CmdExit);
    EXPECT_EQ(ResolveMainCommand(MsgCommand, 40005, 2, 0).command, CmdExit);
}

// A key runs its command only while the command is offered: a letter needs its menu item,
// Enter the highlighted button (or, on a slot without a button, the menu item).
TEST(CommandAllowed, KeysFollowTheEnabledMenuItemsAndButtons)
{
    // No data file: "&Measure" is grayed and "MEASURE" disabled; "O" and Enter on it refused.
    const CommandGate noFile = GateOf({40005, 40006, 40030, 40001}, {9, 11});
    EXPECT_FALSE(CommandAllowed(Key('O'), 0, noFile));
    EXPECT_FALSE(CommandAllowed(Key(13, 13), 13, noFile));
    EXPECT_TRUE(CommandAllowed(Key('Z'), 0, noFile));
    EXPECT_TRUE(CommandAllowed(Key(13, 11), 11, noFile));
    // Slots 0-3 hold no button: Enter there follows the menu item.
    EXPECT_TRUE(CommandAllowed(Key(13, 0), 0, noFile));
    EXPECT_FALSE(CommandAllowed(Key(13, 1), 1, noFile));

    // During a reading the system parameters (and with them the gate set) are grayed.
    const CommandGate measuring = GateOf({40033, 40005}, {14});
    EXPECT_FALSE(CommandAllowed(Key('S'), 0, measuring));
    EXPECT_FALSE(CommandAllowed(Key('F'), 0, measuring));
    // A file open: "&Create Data File" grayed; "P" cannot open a second file.
    EXPECT_FALSE(CommandAllowed(Key('P'), 0, GateOf({40005}, {10})));
    // Exit stays offered.
    EXPECT_TRUE(CommandAllowed(Key('r'), 0, measuring));

    // Buttons and menu items are not checked: Windows sends nothing for disabled ones.
    EXPECT_TRUE(CommandAllowed(ResolveMainCommand(MsgCommand, 433, 0, 0), 0, GateOf({}, {})));
    EXPECT_TRUE(CommandAllowed(ResolveMainCommand(MsgCommand, 40032, 0, 0), 0, GateOf({}, {})));
    EXPECT_FALSE(CommandAllowed(ResolveMainCommand(MsgCommand, 81, 0, 0), 0, GateOf({}, {})));
}
