#include "vlox/ui/enabling.h"

#include <cstddef>

#include "resources/resource.h"
#include "vlox/common/screen_layout.h"

namespace {

// What a list does to one item in one state.
enum Action : uint8_t {
    Keep,
    Enable,
    Gray,
    EnableIfPauseShown,  // "&Measure" after a data file is created: only while monitoring
};

struct IdRange {
    int32_t first;
    int32_t last;
};

// Menu items per logging state, columns in LoggingState order.
struct StateRow {
    IdRange ids;
    Action action[5];
};

const StateRow kMenusForState[] = {
    {{IDM_CREATE_DATA_FILE, IDM_CREATE_DATA_FILE}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_CLOSE_DATA_FILE, IDM_CLOSE_DATA_FILE}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_TRANSFER, IDM_TRANSFER}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_SURVEY_PARAMETERS, IDM_SYSTEM_PARAMETERS}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_NEXT_STATION, IDM_PREVIOUS_LINE}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_INVERT, IDM_INVERT}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_SCALE, IDM_SCALE}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_TOP_OF_SCALE_UP, IDM_BOTTOM_OF_SCALE_DOWN}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_ATTRIBUTES, IDM_ATTRIBUTES}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_MONITOR, IDM_PAUSE}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_MEASURE, IDM_MEASURE}, {Gray, Enable, Keep, Gray, EnableIfPauseShown}},
    {{IDM_STOP, IDM_STOP}, {Enable, Gray, Gray, Gray, Keep}},
    {{IDM_STORE_READING, IDM_CANCEL_READING}, {Gray, Gray, Enable, Gray, Keep}},
    {{IDM_ENTER_COMMENT, IDM_ENTER_COMMENT}, {Gray, Enable, Keep, Gray, Enable}},
    {{IDM_START_REVIEW, IDM_START_REVIEW}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_MAP_OPTIONS, IDM_MAP_OPTIONS}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_ZOOM_IN, IDM_SHIFT_MAP_DOWN}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_ABOUT, IDM_ABOUT}, {Gray, Enable, Keep, Keep, Keep}},
    {{IDM_GPS_PORT_SETUP, IDM_GPS_PORT_SETUP}, {Keep, Keep, Keep, Keep, Gray}},
    {{IDM_MONITOR_GPS, IDM_MONITOR_GPS}, {Keep, Keep, Keep, Keep, Gray}},
};

// Menu items on entering and leaving review: columns ReviewOff, ReviewOn.
struct ReviewRow {
    IdRange ids;
    Action action[2];
};

const ReviewRow kMenusForReview[] = {
    {{IDM_START_REVIEW, IDM_START_REVIEW}, {Enable, Gray}},
    {{IDM_DECAY_MODE, IDM_DECAY_MODE}, {Gray, Enable}},
    {{IDM_PROFILE_MODE, IDM_PROFILE_MODE}, {Gray, Enable}},
    {{IDM_MANAGE_RECORDS, IDM_MANAGE_RECORDS}, {Gray, Enable}},
    {{IDM_EDIT_PARAMETERS, IDM_EDIT_PARAMETERS}, {Gray, Enable}},
    {{IDM_DISPLAY_COMMENTS, IDM_PRINT_COMMENTS}, {Gray, Enable}},
    {{IDM_ANALYSIS, IDM_ANALYSIS}, {Gray, Enable}},
    {{IDM_EXIT_REVIEW, IDM_EXIT_REVIEW}, {Gray, Enable}},
    {{IDM_SURVEY_PARAMETERS, IDM_SYSTEM_PARAMETERS}, {Enable, Gray}},
    {{IDM_RESET_DEFAULTS, IDM_RESET_DEFAULTS}, {Enable, Gray}},
    {{IDM_INVERT, IDM_INVERT}, {Enable, Gray}},
    {{IDM_MONITOR, IDM_ENTER_COMMENT}, {Enable, Gray}},
    {{IDM_OPEN_DATA_FILE, IDM_OPEN_DATA_FILE}, {Gray, Enable}},
    {{IDM_SAVE_AS, IDM_SAVE_AS}, {Gray, Keep}},  // "Save &As" is never enabled by review
    {{IDM_PRINT, IDM_PRINT}, {Gray, Enable}},
    {{IDM_CREATE_DATA_FILE, IDM_CREATE_DATA_FILE}, {Enable, Gray}},
    {{IDM_CLOSE_DATA_FILE, IDM_CLOSE_DATA_FILE}, {Enable, Gray}},
};

// Items of the internal-test list; the nulling items are set by the gate set instead.
const IdRange kMenusForTest[] = {
    {IDM_CREATE_DATA_FILE, IDM_CREATE_DATA_FILE},
    {IDM_EXPORT_TXT, IDM_EXPORT_XYZ},
    {IDM_TRANSFER, IDM_TRANSFER},
    {IDM_SURVEY_PARAMETERS, IDM_SYSTEM_PARAMETERS},
    {IDM_NEXT_STATION, IDM_PREVIOUS_LINE},
    {IDM_RESET_DEFAULTS, IDM_RESET_DEFAULTS},
    {IDM_INVERT, IDM_INVERT},
    {IDM_SCALE, IDM_SCALE},
    {IDM_TOP_OF_SCALE_UP, IDM_BOTTOM_OF_SCALE_DOWN},
    {IDM_ATTRIBUTES, IDM_ATTRIBUTES},
    {IDM_PAUSE, IDM_PAUSE},
    {IDM_START_REVIEW, IDM_START_REVIEW},
    {IDM_MAP_OPTIONS, IDM_MAP_OPTIONS},
    {IDM_ZOOM_IN, IDM_SHIFT_MAP_DOWN},
    {IDM_FIT_ALL, IDM_FIT_ALL},
    {IDM_ABOUT, IDM_ABOUT},
};
const IdRange kNullingMenus = {IDM_FULL_NULLING, IDM_USER_GATES_NULLING};

// Buttons (control ids) enabled when idle and disabled when busy.
const IdRange kButtonsForState[] = {
    {IDC_TEST, IDC_EXIT},          {IDC_CLOSE_DATA_FILE, IDC_CLOSE_DATA_FILE}, {IDC_PAUSE, IDC_PAUSE},
    {IDC_MEASURE, IDC_MEASURE},    {IDC_TOP_OF_SCALE_DOWN, IDC_NEXT_LINE},     {IDC_ENTER_COMMENT, IDC_ENTER_COMMENT},
    {IDC_AUTO_SCALE, IDC_FIT_ALL}, {IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_RIGHT},  {IDC_INVERT, IDC_INVERT},
};

// Buttons disabled while the internal test screen is open.
const IdRange kButtonsForTest[] = {
    {IDC_TEST, IDC_EXIT},
    {IDC_CREATE_DATA_FILE, IDC_CREATE_DATA_FILE},
    {IDC_CLOSE_DATA_FILE, IDC_CLOSE_DATA_FILE},
    {IDC_PAUSE, IDC_PAUSE},
    {IDC_TOP_OF_SCALE_DOWN, IDC_NEXT_LINE},
    {IDC_AUTO_SCALE, IDC_FIT_ALL},
    {IDC_SHIFT_MAP_LEFT, IDC_SHIFT_MAP_RIGHT},
};
const IdRange kTestButtons = {IDC_TEST_DC, IDC_TEST_01MS};

template <class F>
void ForEachId(IdRange r, F f)
{
    for (int32_t id = r.first; id <= r.last; ++id)
        f(id);
}

// The same over the button slots of a range of button ids.
template <class F>
void ForEachButtonSlot(IdRange r, F f)
{
    ForEachId(r, [&](int32_t id) { f(ButtonSlotForId(id)); });
}

void ApplyMenuAction(EnablingSink& sink, int32_t id, Action action)
{
    switch (action) {
    case Keep:
        break;
    case Enable:
        sink.SetMenuItemEnabled(id, true);
        break;
    case Gray:
        sink.SetMenuItemEnabled(id, false);
        break;
    case EnableIfPauseShown:
        if (sink.IsButtonShown(ButtonSlotForId(IDC_PAUSE)))
            sink.SetMenuItemEnabled(id, true);
        break;
    }
}

}  // namespace

void ApplyMenusForState(int32_t state, EnablingSink& sink)
{
    if (state < LogMeasuring || state > LogDataFileCreated)
        return;
    for (const StateRow& row : kMenusForState)
        ForEachId(row.ids, [&](int32_t id) { ApplyMenuAction(sink, id, row.action[state]); });
}

void ApplyMenusForReview(int32_t state, EnablingSink& sink)
{
    if (state != ReviewOff && state != ReviewOn)
        return;
    for (const ReviewRow& row : kMenusForReview)
        ForEachId(row.ids, [&](int32_t id) { ApplyMenuAction(sink, id, row.action[state]); });
}

void ApplyControlsForState(int32_t state, EnablingSink& sink)
{
    if (state != ButtonsBusy && state != ButtonsIdle)
        return;
    const bool idle = state == ButtonsIdle;
    for (IdRange r : kButtonsForState)
        ForEachButtonSlot(r, [&](int32_t slot) { sink.SetButtonEnabled(slot, idle); });
    if (idle) {
        // STOP stays as it is: the callers hide it.
        sink.SetButtonShown(ButtonSlotForId(IDC_MEASURE), true);
        sink.SetButtonShown(ButtonSlotForId(IDC_STORE_READING), false);
        sink.SetButtonShown(ButtonSlotForId(IDC_CANCEL_READING), false);
        sink.SetProgressBarShown(false);
    } else {
        sink.SetButtonShown(ButtonSlotForId(IDC_MEASURE), false);
        sink.SetButtonShown(ButtonSlotForId(IDC_STOP), true);
        sink.SetProgressBarShown(true);
    }
}

void ApplyControlsForTest(int32_t enable, EnablingSink& sink)
{
    if (enable != 0 && enable != 1)
        return;
    for (IdRange r : kButtonsForTest)
        ForEachButtonSlot(r, [&](int32_t slot) { sink.SetButtonEnabled(slot, enable == 1); });
    if (enable == 0) {
        // The exit-test button is shown by the command that opens the test.
        ForEachButtonSlot(kTestButtons, [&](int32_t slot) { sink.SetButtonShown(slot, true); });
    } else {
        ForEachButtonSlot(kTestButtons, [&](int32_t slot) { sink.SetButtonShown(slot, false); });
        sink.SetButtonShown(ButtonSlotForId(IDC_EXIT_TEST), false);
        sink.SetButtonShown(ButtonSlotForId(IDC_STORE_READING), false);
        sink.SetButtonShown(ButtonSlotForId(IDC_CANCEL_READING), false);
    }
}

void ApplyMenusForTest(int32_t enable, int32_t gateSet, EnablingSink& sink)
{
    if (enable != 0 && enable != 1)
        return;
    for (IdRange r : kMenusForTest)
        ForEachId(r, [&](int32_t id) { sink.SetMenuItemEnabled(id, enable == 1); });
    if (enable == 0)
        ForEachId(kNullingMenus, [&](int32_t id) { sink.SetMenuItemEnabled(id, false); });
    else
        ApplyNullingMenus(gateSet, sink);
}

void ApplyNullingMenus(int32_t gateSet, EnablingSink& sink)
{
    const bool standard = gateSet < 2;
    sink.SetMenuItemEnabled(IDM_FULL_NULLING, standard);
    sink.SetMenuItemEnabled(IDM_SELECTIVE_NULLING, standard);
    sink.SetMenuItemEnabled(IDM_USER_GATES_NULLING, !standard);
}

void ApplyRestoreLoggingButtons(int32_t& repeatButtonHidden, EnablingSink& sink)
{
    sink.SetButtonShown(ButtonSlotForId(IDC_INVERT), true);
    if (repeatButtonHidden == 1) {
        sink.SetButtonShown(ButtonSlotForId(IDC_REPEAT_LAST_STATION), true);
        repeatButtonHidden = 0;
    }
}

void ApplyGiveWay(const int32_t* ids, int32_t count, GivenWay& given, EnablingSink& sink)
{
    for (int32_t i = 0; i < count; ++i) {
        const int32_t slot = ButtonSlotForId(ids[i]);
        if (slot < 0 || slot >= ButtonSlots || given.Hidden[slot] || !sink.IsButtonShown(slot))
            continue;
        sink.SetButtonShown(slot, false);
        given.Hidden[slot] = true;
    }
}

void ApplyTakeBackPlaces(GivenWay& given, EnablingSink& sink)
{
    for (int32_t slot = 0; slot < ButtonSlots; ++slot) {
        if (!given.Hidden[slot])
            continue;
        sink.SetButtonShown(slot, true);
        given.Hidden[slot] = false;
    }
}
