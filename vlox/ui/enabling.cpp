#include "vlox/ui/enabling.h"

#include <cstddef>

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
    {{40001, 40001}, {Gray, Enable, Keep, Keep, Keep}},
    {{40027, 40027}, {Gray, Enable, Keep, Keep, Keep}},
    {{40025, 40025}, {Gray, Enable, Keep, Keep, Keep}},
    {{40006, 40007}, {Gray, Enable, Keep, Keep, Keep}},
    {{40052, 40055}, {Gray, Enable, Keep, Keep, Keep}},
    {{40088, 40088}, {Gray, Enable, Keep, Keep, Keep}},
    {{40010, 40010}, {Gray, Enable, Keep, Keep, Keep}},
    {{40020, 40023}, {Gray, Enable, Keep, Keep, Keep}},
    {{40012, 40012}, {Gray, Enable, Keep, Keep, Keep}},
    {{40030, 40031}, {Gray, Enable, Keep, Keep, Keep}},
    {{40032, 40032}, {Gray, Enable, Keep, Gray, EnableIfPauseShown}},
    {{40033, 40033}, {Enable, Gray, Gray, Gray, Keep}},
    {{40034, 40035}, {Gray, Gray, Enable, Gray, Keep}},
    {{40036, 40036}, {Gray, Enable, Keep, Gray, Enable}},
    {{40013, 40013}, {Gray, Enable, Keep, Keep, Keep}},
    {{40043, 40043}, {Gray, Enable, Keep, Keep, Keep}},
    {{40045, 40050}, {Gray, Enable, Keep, Keep, Keep}},
    {{40019, 40019}, {Gray, Enable, Keep, Keep, Keep}},
    {{40079, 40079}, {Keep, Keep, Keep, Keep, Gray}},
    {{40083, 40083}, {Keep, Keep, Keep, Keep, Gray}},
};

// Menu items on entering and leaving review: columns ReviewOff, ReviewOn.
struct ReviewRow {
    IdRange ids;
    Action action[2];
};

const ReviewRow kMenusForReview[] = {
    {{40013, 40013}, {Enable, Gray}},
    {{40014, 40014}, {Gray, Enable}},
    {{40024, 40024}, {Gray, Enable}},
    {{40015, 40015}, {Gray, Enable}},
    {{40086, 40086}, {Gray, Enable}},
    {{40016, 40017}, {Gray, Enable}},
    {{40026, 40026}, {Gray, Enable}},
    {{40018, 40018}, {Gray, Enable}},
    {{40006, 40007}, {Enable, Gray}},
    {{40069, 40069}, {Enable, Gray}},
    {{40088, 40088}, {Enable, Gray}},
    {{40030, 40036}, {Enable, Gray}},
    {{40002, 40002}, {Gray, Enable}},
    {{40003, 40003}, {Gray, Keep}},  // "Save &As" is never enabled by review
    {{40004, 40004}, {Gray, Enable}},
    {{40001, 40001}, {Enable, Gray}},
    {{40027, 40027}, {Enable, Gray}},
};

// Items of the internal-test list; the nulling items are set by the gate set instead.
const IdRange kMenusForTest[] = {
    {40001, 40001}, {40039, 40042}, {40025, 40025}, {40006, 40007}, {40052, 40055},
    {40069, 40069}, {40088, 40088}, {40010, 40010}, {40020, 40023}, {40012, 40012},
    {40031, 40031}, {40013, 40013}, {40043, 40043}, {40045, 40050}, {40056, 40056},
    {40019, 40019},
};
const IdRange kNullingMenus = {40058, 40060};

// Buttons enabled when idle and disabled when busy.
const IdRange kButtonsForState[] = {
    {4, 8}, {10, 10}, {12, 12}, {13, 13}, {17, 24}, {29, 29}, {33, 36}, {38, 41}, {43, 43},
};

// Buttons disabled while the internal test screen is open.
const IdRange kButtonsForTest[] = {
    {4, 8}, {9, 9}, {10, 10}, {12, 12}, {17, 24}, {33, 36}, {38, 41},
};
const IdRange kTestButtons = {45, 48};

template <class F>
void ForEachId(IdRange r, F f)
{
    for (int32_t id = r.first; id <= r.last; ++id)
        f(id);
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
        if (sink.IsButtonShown(ButtonIndexPause))
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
        ForEachId(r, [&](int32_t index) { sink.SetButtonEnabled(index, idle); });
    if (idle) {
        // STOP stays as it is: the callers hide it.
        sink.SetButtonShown(ButtonIndexMeasure, true);
        sink.SetButtonShown(ButtonIndexStore, false);
        sink.SetButtonShown(ButtonIndexCancel, false);
        sink.SetProgressBarShown(false);
    } else {
        sink.SetButtonShown(ButtonIndexMeasure, false);
        sink.SetButtonShown(ButtonIndexStop, true);
        sink.SetProgressBarShown(true);
    }
}

void ApplyControlsForTest(int32_t enable, EnablingSink& sink)
{
    if (enable != 0 && enable != 1)
        return;
    for (IdRange r : kButtonsForTest)
        ForEachId(r, [&](int32_t index) { sink.SetButtonEnabled(index, enable == 1); });
    if (enable == 0) {
        // The exit-test button is shown by the command that opens the test.
        ForEachId(kTestButtons, [&](int32_t index) { sink.SetButtonShown(index, true); });
    } else {
        ForEachId(kTestButtons, [&](int32_t index) { sink.SetButtonShown(index, false); });
        sink.SetButtonShown(ButtonIndexExitTest, false);
        sink.SetButtonShown(ButtonIndexStore, false);
        sink.SetButtonShown(ButtonIndexCancel, false);
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
    sink.SetMenuItemEnabled(40058, standard);
    sink.SetMenuItemEnabled(40059, standard);
    sink.SetMenuItemEnabled(40060, !standard);
}

void ApplyRestoreLoggingButtons(int32_t& repeatButtonHidden, EnablingSink& sink)
{
    sink.SetButtonShown(ButtonIndexInvert, true);
    if (repeatButtonHidden == 1) {
        sink.SetButtonShown(ButtonIndexRepeatLastStation, true);
        repeatButtonHidden = 0;
    }
}
