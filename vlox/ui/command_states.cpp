#include "vlox/ui/command_states.h"

namespace {

// What a command needs of the state.
enum Need : uint8_t {
    Free,         // changes nothing of a reading or the settings: views, maps, child programs, Exit
    Idle,         // no run owns the board: settings, scales, the GPS and meter set-ups
    IdleLive,     // and no review: survey settings, nulling, Invert, the reset, a review's start
    ReviewOnly,   // the review's own commands
    Step,         // a review step while reviewing, else a live step with no run
    CreateFile,   // idle live with no data file
    FileIdle,     // idle live with a data file: Close File, Enter Comment
    MonitorNeed,  // idle live with Monitor not running
    PauseNeed,    // idle live with Monitor running
    MeasureNeed,  // idle live with Monitor running and a data file
    StopNeed,     // a reading being taken, or the automatic survey
    Complete,     // a reading complete: STORE and Cancel
    TestNeed,     // live, free or with the test screen up: a test, Exit Test
};

constexpr Need kNeeds[MainCommandCount] = {
    IdleLive,     // 0 survey parameters
    IdleLive,     // 1 system parameters
    Idle,         // 2 scale
    Idle,         // 3 GPS port set-up
    Free,         // 4 runs nothing
    IdleLive,     // 5 start review
    Free,         // 6 analysis
    Free,         // 7 transfer
    Free,         // 8 exit
    CreateFile,   // 9
    FileIdle,     // 10 close data file
    MonitorNeed,  // 11
    PauseNeed,    // 12
    MeasureNeed,  // 13
    StopNeed,     // 14
    Complete,     // 15 store reading
    Complete,     // 16 cancel reading
    Idle,         // 17 top of scale down
    Idle,         // 18 bottom of scale down
    Idle,         // 19 top of scale up
    Idle,         // 20 bottom of scale up
    Step,         // 21 previous station
    Step,         // 22 previous line
    Step,         // 23 next station
    Step,         // 24 next line
    ReviewOnly,   // 25 previous record
    ReviewOnly,   // 26 next record
    ReviewOnly,   // 27 exit review
    ReviewOnly,   // 28 print
    FileIdle,     // 29 enter comment
    ReviewOnly,   // 30 display comments
    ReviewOnly,   // 31 open data file ("New File")
    ReviewOnly,   // 32 manage records
    Idle,         // 33 auto scale
    Free,         // 34 zoom in
    Free,         // 35 zoom out
    Free,         // 36 fit all
    Free,         // 37 runs nothing
    Free,         // 38 shift map left
    Free,         // 39 shift map up
    Free,         // 40 shift map down
    Free,         // 41 shift map right
    Idle,         // 42 map options
    IdleLive,     // 43 full nulling
    IdleLive,     // 44 selective nulling
    TestNeed,     // 45 test DC
    TestNeed,     // 46 test 100 ms
    TestNeed,     // 47 test 3 ms
    TestNeed,     // 48 test 0.1 ms
    TestNeed,     // 49 exit test
    Idle,         // 50 attributes
    Free,         // 51 decay view
    Free,         // 52 profile view
    Free,         // 53 inversion analysis
    Idle,         // 54 GPS coordinates
    IdleLive,     // 55 reset to defaults
    Free,         // 56 export USF
    Free,         // 57 export LZ5
    Free,         // 58 export XYZ
    Free,         // 59 export TXT
    Idle,         // 60 GPS map type
    IdleLive,     // 61 user gates nulling
    Idle,         // 62 monitor GPS receiver
    ReviewOnly,   // 63 edit parameters
    IdleLive,     // 64 repeat last station
    IdleLive,     // 65 invert
    Idle,         // 66 meter set-up
};

}  // namespace

bool CommandAdmitted(int32_t command, const CommandFacts& f)
{
    if (!IsMainCommand(command))
        return false;
    const bool idle = f.Run == BoardRun::None;
    const bool idleLive = idle && !f.Reviewing;
    switch (kNeeds[command]) {
    case Free:
        return true;
    case Idle:
        return idle;
    case IdleLive:
        return idleLive;
    case ReviewOnly:
        return f.Reviewing;
    case Step:
        return f.Reviewing || idle;
    case CreateFile:
        return idleLive && !f.DataFileOpen;
    case FileIdle:
        return idleLive && f.DataFileOpen;
    case MonitorNeed:
        return idleLive && !f.Monitoring;
    case PauseNeed:
        return idleLive && f.Monitoring;
    case MeasureNeed:
        return idleLive && f.Monitoring && f.DataFileOpen;
    case StopNeed:
        return f.Run == BoardRun::ReadingTaken || f.Run == BoardRun::AutoSurvey;
    case Complete:
        return f.Run == BoardRun::ReadingComplete;
    case TestNeed:
        return !f.Reviewing && (idle || f.Run == BoardRun::InternalTest);
    }
    return false;
}

namespace {

bool Admitted(int32_t command, const CommandFacts& facts)
{
    // An item that gives no command is shown as it is wanted.
    return !IsMainCommand(command) || CommandAdmitted(command, facts);
}

int32_t CommandOfSlot(int32_t slot)
{
    return CommandForButton(ButtonFirstId + slot);
}

}  // namespace

OfferedControls::Item* OfferedControls::MenuItem(int32_t id)
{
    return id >= FirstMenuId && id <= LastMenuId ? &menu_[id - FirstMenuId] : nullptr;
}

OfferedControls::Item* OfferedControls::Button(int32_t slot)
{
    return slot >= 0 && slot < ButtonSlots ? &buttons_[slot] : nullptr;
}

void OfferedControls::Found(Item* i, bool enabled)
{
    if (i == nullptr)
        return;
    i->Wanted = i->Shown = enabled;
    i->Known = true;
}

// Shown as wanted and admitted; set even when unchanged, since the routine's call is what sets
// the real item.
bool OfferedControls::Want(Item& i, bool enabled, int32_t command, const CommandFacts& facts)
{
    i.Wanted = enabled;
    i.Known = true;
    i.Shown = enabled && Admitted(command, facts);
    return i.Shown;
}

// True when the item's shown state changes for the facts.
bool OfferedControls::Refresh(Item& i, int32_t command, const CommandFacts& facts)
{
    const bool s = i.Wanted && Admitted(command, facts);
    if (!i.Known || s == i.Shown)
        return false;
    i.Shown = s;
    return true;
}

void OfferedControls::FoundMenuItem(int32_t id, bool enabled)
{
    Found(MenuItem(id), enabled);
}

void OfferedControls::FoundButton(int32_t slot, bool enabled)
{
    Found(Button(slot), enabled);
}

void OfferedControls::WantMenuItem(int32_t id, bool enabled, const CommandFacts& facts, EnablingSink& shown)
{
    Item* i = MenuItem(id);
    shown.SetMenuItemEnabled(id, i == nullptr ? enabled : Want(*i, enabled, CommandForMenu(id), facts));
}

void OfferedControls::WantButton(int32_t slot, bool enabled, const CommandFacts& facts, EnablingSink& shown)
{
    if (Item* i = Button(slot))
        shown.SetButtonEnabled(slot, Want(*i, enabled, CommandOfSlot(slot), facts));
}

void OfferedControls::Show(const CommandFacts& facts, EnablingSink& shown)
{
    for (int32_t id = FirstMenuId; id <= LastMenuId; ++id)
        if (Refresh(*MenuItem(id), CommandForMenu(id), facts))
            shown.SetMenuItemEnabled(id, MenuItem(id)->Shown);
    for (int32_t slot = 0; slot < ButtonSlots; ++slot)
        if (Refresh(buttons_[slot], CommandOfSlot(slot), facts))
            shown.SetButtonEnabled(slot, buttons_[slot].Shown);
}
