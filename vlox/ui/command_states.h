// Which commands may act in the program's present state, and what the menu and the command
// buttons show of it. A command checks the state it needs itself, whatever brought it (a
// button, a menu item, a key or a message): the command handler asks `CommandAdmitted` before
// it runs a case. The enabling routines say which items they want enabled; what is shown is
// that and the admission of the item's command, so that no item offers a command that would
// do nothing, or act outside its state, whichever road led to the state.
#pragma once

#include <cstdint>

#include "vlox/common/screen_layout.h"
#include "vlox/measure/measure_cycle.h"
#include "vlox/ui/commands.h"
#include "vlox/ui/enabling.h"

struct CommandFacts {
    BoardRun Run = BoardRun::None;
    bool Reviewing = false;
    // A data file is the current one (also while it is set aside for its review).
    bool DataFileOpen = false;
    // Monitor runs: "Pause" is shown and the board is open.
    bool Monitoring = false;
};

// True when the command may act in that state: no run owns the board, or the command is that
// run's own way out, or it changes nothing of a reading or the settings; the Logging commands
// need exactly their state (Measure: monitoring with a data file open; Stop: a reading being
// taken or the automatic survey; STORE and Cancel: a reading complete); the review commands
// need a review, the live ones its absence. A value outside 0..66 is never admitted.
bool CommandAdmitted(int32_t command, const CommandFacts& facts);

// The enabled state that the enabling routines want for every main-menu item (by id, in
// FirstMenuId..LastMenuId) and command button (by slot), and the state shown: wanted and
// admitted. An item no routine has set yet is shown as it was found (`Found`).
class OfferedControls {
public:
    void FoundMenuItem(int32_t id, bool enabled);
    void FoundButton(int32_t slot, bool enabled);
    // A routine's wish, shown at once as the facts allow.
    void WantMenuItem(int32_t id, bool enabled, const CommandFacts& facts, EnablingSink& shown);
    void WantButton(int32_t slot, bool enabled, const CommandFacts& facts, EnablingSink& shown);
    // Every item shown again for the facts; only the items whose shown state changes are set.
    void Show(const CommandFacts& facts, EnablingSink& shown);

private:
    static constexpr int32_t MenuCount = LastMenuId - FirstMenuId + 1;
    struct Item {
        bool Wanted = true;
        bool Known = false;  // found or wanted
        bool Shown = false;  // as last set through the sink
    };
    Item* MenuItem(int32_t id);
    Item* Button(int32_t slot);
    static void Found(Item* i, bool enabled);
    static bool Want(Item& i, bool enabled, int32_t command, const CommandFacts& facts);
    static bool Refresh(Item& i, int32_t command, const CommandFacts& facts);

    Item menu_[MenuCount];
    Item buttons_[ButtonSlots];
};
