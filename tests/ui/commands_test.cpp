// The command table and the resolution of a message into a command: every button id, every
// menu id of 40001..40088 and every key code, the highlight cycle, and the gate that lets a
// key run its command only while the command is offered.
#include "vlox/ui/commands.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

struct Expected {
    int32_t command;
    int32_t button;
    int32_t menu;
    char key;
};

// The command table as the operator's manual of the menus and buttons lists it.
const Expected kTable[] = {
    {0, 0, 40006, 'F'},   {1, 0, 40007, 'S'},   {2, 0, 40010, 'L'},   {3, 0, 40079, 'T'},
    {4, 424, 0, 0},       {5, 425, 40013, 'V'}, {6, 426, 40026, 0},   {7, 427, 40025, 'X'},
    {8, 428, 40005, 'R'}, {9, 429, 40001, 'P'}, {10, 430, 40027, 0},  {11, 431, 40030, 'Z'},
    {12, 432, 40031, 'D'}, {13, 433, 40032, 'O'}, {14, 434, 40033, 0}, {15, 435, 40034, 0},
    {16, 436, 40035, 0},  {17, 437, 40021, 0},  {18, 438, 40023, 0},  {19, 439, 40020, 0},
    {20, 440, 40022, 0},  {21, 441, 40053, 0},  {22, 442, 40055, 0},  {23, 443, 40052, 0},
    {24, 444, 40054, 0},  {25, 445, 0, 0},      {26, 446, 0, 0},      {27, 447, 40018, 0},
    {28, 448, 40004, 0},  {29, 449, 40036, 0},  {30, 450, 40016, 0},  {31, 451, 40002, 0},
    {32, 452, 40015, 0},  {33, 453, 0, 0},      {34, 454, 40045, 0},  {35, 455, 40046, 0},
    {36, 456, 40056, 0},  {37, 457, 0, 0},      {38, 458, 40047, 0},  {39, 459, 40049, 0},
    {40, 460, 40050, 0},  {41, 461, 40048, 0},  {42, 0, 40043, 0},    {43, 0, 40058, 0},
    {44, 0, 40059, 0},    {45, 465, 40062, 0},  {46, 466, 40063, 0},  {47, 467, 40064, 0},
    {48, 468, 40065, 0},  {49, 469, 40066, 0},  {50, 0, 40012, 0},    {51, 0, 40067, 0},
    {52, 0, 40068, 0},    {53, 0, 40071, 0},    {54, 0, 40081, 0},    {55, 0, 40069, 0},
    {56, 0, 40041, 0},    {57, 0, 40040, 0},    {58, 0, 40042, 0},    {59, 0, 40039, 0},
    {60, 0, 40082, 0},    {61, 0, 40060, 0},    {62, 0, 40083, 0},    {63, 0, 40086, 0},
    {64, 462, 0, 0},      {65, 463, 40088, 0},  {66, 0, 40084, 0},
};

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

TEST(MainCommandTable, SixtySevenCommandsWithTheirButtonMenuAndKey)
{
    ASSERT_EQ(sizeof(kTable) / sizeof(kTable[0]), static_cast<size_t>(MainCommandCount));
    for (int32_t n = 0; n < MainCommandCount; ++n) {
        const MainCommandEntry& e = MainCommandTable[n];
        SCOPED_TRACE(e.name);
        EXPECT_EQ(e.command, n);
        EXPECT_EQ(e.buttonId, kTable[n].button);
        EXPECT_EQ(e.menuId, kTable[n].menu);
        EXPECT_EQ(e.key, kTable[n].key);
    }
    EXPECT_STREQ(MainCommandTable[CmdMeterSetup].name, "CmdMeterSetup");
}

TEST(CommandForButton, EveryCreatedButtonRunsItsCommand)
{
    for (const Expected& e : kTable) {
        if (e.button == 0)
            continue;
        EXPECT_EQ(CommandForButton(e.button), e.command) << e.button;
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
    std::map<int32_t, int32_t> byMenu;
    for (const Expected& e : kTable)
        if (e.menu != 0)
            byMenu[e.menu] = e.command;
    for (int32_t id = FirstMenuId; id <= LastMenuId; ++id) {
        auto it = byMenu.find(id);
        EXPECT_EQ(CommandForMenu(id), it == byMenu.end() ? NoCommand : it->second) << id;
    }
    // Items that yield no command, the id without an item, and ids outside the range.
    for (int32_t id : {40003, 40014, 40017, 40019, 40024})
        EXPECT_EQ(CommandForMenu(id), NoCommand) << id;
    EXPECT_EQ(CommandForMenu(40082), CmdGpsMapType);
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
