#include "vlox/ui/review_routing.h"

#include "vlox/ui/command_rules.h"
#include "vlox/ui/commands.h"
#include "vlox/datafile/review_state.h"

namespace {

// The selection of a combo box when it names one of count entries, else -1.
int32_t SelectionIn(ReviewOps& ops, int32_t controlId, int32_t count)
{
    const int32_t sel = ops.Selection(controlId);
    return ReviewSelectionInList(sel, count) ? sel : -1;
}

// Selects the repetition entry n (a standard repetition, or a user-gate set after them)
// when the list holds any.
void SelectRepetitionEntry(ReviewOps& ops, int32_t n)
{
    if (ReviewStandardEntryCount + ReviewUserGateEntryCount <= 0)
        return;
    ReviewRepetitionIndex = n;
    if (n < ReviewStandardEntryCount)
        ops.SelectReviewRepetition(n);
    else
        ops.SelectReviewUserGateSet(n);
}

// Station 0 of the profile plot with its cursor, and its first reading.
void FirstProfileStation(ReviewOps& ops)
{
    ReviewStationIndex = 0;
    ops.SaveProfileCursorColumn(0);
    ops.DrawProfileCursor(0);
    ReviewStationNumber = ops.ProfileStation(0);
    ReviewRecordIndex = 0;
    ReviewRecordNumber = ops.ProfileRecordNumber(0);
}

void ReadTagsFromRecordList(ReviewOps& ops)
{
    for (int32_t i = 0; i < ReviewRecordCount; ++i) {
        if (ops.RecordListSelected(i))
            ops.SetRecordTag(i, 1);
        else if (ops.RecordTag(i) != -1)
            ops.SetRecordTag(i, 0);
    }
}

void RefreshLineValues(ReviewOps& ops)
{
    ReviewLineNumber = ops.LineNumber(ReviewLineIndex);
    ReviewLineDirection = ops.LineDirection(ReviewLineIndex);
}

// The decay view's redraw by processing choice.
void RedrawDecayView(ReviewOps& ops)
{
    switch (ProcessingChoice) {
    case 0:
        ops.ShowDecayRecord(ReviewRecordIndex);
        ops.DrawReviewNumbers(false);
        ops.ClearDisplayArea(0);
        ops.DrawReviewDecay();
        ops.DrawFileStateField();
        RefreshLineValues(ops);
        ops.DrawLineDirectionField();
        ReviewStationNumber = ops.StationValue(ReviewStationIndex);
        ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
        ops.DrawParameterPanel();
        ops.InvalidateMap();
        ops.UpdateMainWindow();
        break;
    case 1: {
        for (int32_t i = 0; i < ReviewRecordCount; ++i)
            if (ops.RecordTag(i) == -1)
                ops.DeselectRecordListItem(i);
        ReadTagsFromRecordList(ops);
        const int32_t sel = SelectionIn(ops, ReviewRecordComboId, ReviewRecordCount);
        if (sel >= 0)
            ReviewRecordIndex = sel;
        ops.ShowDecayRecord(ReviewRecordIndex);
        if (ops.RecordTag(ReviewRecordIndex) == 1)
            ops.DrawReviewNumbers(false);
        else
            ops.ClearDisplayArea(2);
        ops.DrawParameterPanel();
        ops.ClearDisplayArea(0);
        ops.DrawReviewDecay();
        break;
    }
    case 2:
    case 3:
        // The averages are drawn, and the reading the boxes name is the one shown: the panel,
        // the comments, the edits and the page are its.
        ops.ShowDecayRecord(ReviewRecordIndex);
        ops.DrawParameterPanel();
        ops.ClearDisplayArea(0);
        ops.DrawReviewDecay();
        break;
    default:
        break;
    }
}

// The decay view after a station or line step: the station's first reading shown, with its
// numbers and parameters, and the plot by processing.
void ShowSteppedStation(ReviewOps& ops)
{
    ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
    ReviewStationNumber = ops.StationValue(ReviewStationIndex);
    ops.ShowDecayRecord(ReviewRecordIndex);
    ops.DrawReviewNumbers(false);
    ops.DrawParameterPanel();
    ops.ClearDisplayArea(0);
    ops.DrawReviewDecay();
    ops.InvalidateMap();
}

// Back from the profiles: the decay view takes the station and the reading the profile
// showed, with the line's stations and that station's readings in their boxes (the boxes
// held the profile's lists, and the indices pointed into them).
void BackToDecayLists(ReviewOps& ops)
{
    const int32_t station = ops.ProfileStationEntry(ReviewStationIndex);
    ReviewStationIndex = station >= 0 ? station : 0;
    ops.ReadLineStations(ReviewLineIndex);
    ops.FillStationList();
    ops.SetSelection(ReviewStationComboId, ReviewStationIndex);
    ReviewStationNumber = ops.StationValue(ReviewStationIndex);
    ops.ReadStationRecords(ReviewStationIndex);
    ops.FillRecordList();
    const int32_t shown = ops.ShownRecordEntry();
    ReviewRecordIndex = shown >= 0 ? shown : 0;
    ops.SetSelection(ReviewRecordComboId, ReviewRecordIndex);
    ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
}

// The review-view combo box. Sets redraw when the decay view is to be drawn.
void OnReviewViewChanged(ReviewOps& ops, int32_t sel, bool& redraw)
{
    const bool fromProfiles = ReviewMode == 1;
    ReviewViewChoice = sel;
    ReviewMode = sel;
    ops.FillProcessingList();
    ops.FillRepetitionList();
    if (sel == 0) {
        if (fromProfiles)
            BackToDecayLists(ops);
        redraw = true;
        return;
    }
    ops.ReadLineStations(ReviewLineIndex);
    const int32_t n = ops.CountStationRepetitions();
    ops.FillRepetitionList();
    if (ReviewStandardEntryCount + ReviewUserGateEntryCount > 0) {
        SelectRepetitionEntry(ops, n);
        // The record box shows the station's first reading: the index goes with it.
        FirstProfileStation(ops);
        return;
    }
    // Nothing to plot: back to the decay view.
    ops.Message("No profiles to draw for this survey line", "Profile Mode");
    ReviewMode = 0;
    ReviewViewChoice = 0;
    ops.FillProcessingList();
    ops.ReadStationRecords(0);
    ops.FillRecordList();
    ops.SetSelection(ReviewViewComboId, 0);
    ops.SetSelection(ReviewRecordComboId, ReviewRecordIndex);
    ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
    redraw = true;
}

void OnProcessingChanged(ReviewOps& ops, int32_t sel, bool& redraw)
{
    if (ReviewMode != 0) {
        ProfileProcessingChoice = sel;
        return;
    }
    ProcessingChoice = sel;
    if (sel == 1) {
        ops.ShowRecordList(1);
        ops.CopyRecordsToListBox();
    } else {
        ops.ShowRecordList(0);
    }
    redraw = true;
}

// Decay view controls. False when a contents check left review.
bool OnDecayControl(ReviewOps& ops, int32_t id, bool& redraw)
{
    switch (id) {
    case ReviewLineComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewLineCount);
        if (sel < 0)
            return true;
        ReviewLineIndex = sel;
        ReviewStationIndex = 0;
        ReviewRecordIndex = 0;
        RefreshLineValues(ops);
        ops.DrawLineDirectionField();
        ops.ReadLineStations(ReviewLineIndex);
        ops.FillStationList();
        if (ops.CheckReviewContents(2) == 0)
            return false;
        ops.ReadStationRecords(0);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        ReviewStationNumber = ops.StationValue(ReviewStationIndex);
        ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
        redraw = true;
        return true;
    }
    case ReviewStationComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewStationCount);
        if (sel < 0)
            return true;
        ReviewStationIndex = sel;
        ReviewStationNumber = ops.StationValue(sel);
        ReviewRecordIndex = 0;
        ops.ReadStationRecords(sel);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        ReviewRecordNumber = ops.RecordNumber(ReviewRecordIndex);
        redraw = true;
        return true;
    }
    case ReviewRecordComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewRecordCount);
        if (sel < 0)
            return true;
        ReviewRecordIndex = sel;
        if (ops.RecordTag(sel) != -1)
            ReviewRecordNumber = ops.RecordNumber(sel);
        redraw = true;
        return true;
    }
    case ReviewRecordListId:
        ReadTagsFromRecordList(ops);
        redraw = true;
        return true;
    default:
        return true;
    }
}

void OnProfileControl(ReviewOps& ops, int32_t id)
{
    switch (id) {
    case ReviewRepetitionComboId: {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel < 0)
            return;
        ops.ReadLineStations(ReviewLineIndex);
        ops.FillStationList();
        ReviewRepetitionIndex = sel;
        if (sel < ReviewStandardEntryCount)
            ops.SelectReviewRepetition(sel);
        else
            ops.SelectReviewUserGateSet(sel);
        FirstProfileStation(ops);
        return;
    }
    case ReviewLineComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewLineCount);
        if (sel < 0)
            return;
        ReviewLineIndex = sel;
        RefreshLineValues(ops);
        ops.ReadLineStations(sel);
        ops.FillStationList();
        const int32_t n = ops.CountStationRepetitions();
        ops.FillRepetitionList();
        SelectRepetitionEntry(ops, n);
        FirstProfileStation(ops);
        ops.DrawLineDirectionField();
        return;
    }
    case ReviewStationComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewListedStationCount);
        if (sel < 0)
            return;
        ops.RestoreProfileCursorColumn(ReviewStationIndex);
        ReviewStationIndex = sel;
        ops.SaveProfileCursorColumn(sel);
        ReviewStationNumber = ops.ProfileStation(sel);
        ReviewRecordIndex = 0;
        ReviewRecordNumber = ops.ProfileRecordNumber(0);
        ops.SelectReviewStation(sel, ReviewRepetitionIndex);
        ops.SaveProfileCursorColumn(sel);
        ops.DrawProfileCursor(sel);
        return;
    }
    case ReviewRecordComboId: {
        const int32_t sel = SelectionIn(ops, id, ProfileRecordCount);
        if (sel < 0)
            return;
        ReviewRecordIndex = sel;
        if (ops.ProfileRecordTag(sel) == -1)
            return;
        ReviewRecordNumber = ops.ProfileRecordNumber(sel);
        ops.ShowProfileRecord(sel, ReviewStationIndex);
        ops.DrawParameterPanel();
        ops.ClearDisplayArea(0);
        ops.DrawProfilePlot();
        ops.SaveProfileCursorColumn(ReviewStationIndex);
        ops.DrawProfileCursor(ReviewStationIndex);
        ops.DrawReviewNumbers(true);
        ops.DrawParameterPanel();
        return;
    }
    default:
        return;
    }
}

}  // namespace

bool RouteReviewNotification(uint32_t message, uint32_t wParam, ReviewOps& ops)
{
    const bool selectionChange = message == MsgCommand && ((wParam >> 16) & 0xFFFF) == SelectionChangeCode;
    const int32_t id = static_cast<int32_t>(wParam & 0xFFFF);
    bool redraw = false;

    if (selectionChange && id == ReviewViewComboId) {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel >= 0)
            OnReviewViewChanged(ops, sel, redraw);
    }
    if (selectionChange && id == ReviewProcessingComboId) {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel >= 0)
            OnProcessingChanged(ops, sel, redraw);
    }
    if (ReviewViewChoice == 0) {
        ops.EnableRepetitionCombo(false);
        if (selectionChange && !OnDecayControl(ops, id, redraw))
            return false;
    } else {
        ops.EnableRepetitionCombo(true);
        if (selectionChange)
            OnProfileControl(ops, id);
    }
    if (redraw)
        RedrawDecayView(ops);
    return true;
}

bool StepReviewStation(bool next, ReviewOps& ops)
{
    if (ReviewMode == 0) {
        if (!StepReviewIndex(next, ReviewStationCount, ReviewStationIndex))
            return true;
        ops.SetSelection(ReviewStationComboId, ReviewStationIndex);
        ReviewRecordIndex = 0;
        ops.ReadStationRecords(ReviewStationIndex);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        ShowSteppedStation(ops);
        return true;
    }
    if (ReviewMode == 1) {
        ops.RestoreProfileCursorColumn(ReviewStationIndex);
        if (!StepReviewIndex(next, ReviewListedStationCount, ReviewStationIndex)) {
            ops.DrawProfileCursor(ReviewStationIndex);
            return true;
        }
        ReviewStationNumber = ops.ProfileStation(ReviewStationIndex);
        ops.SetSelection(ReviewStationComboId, ReviewStationIndex);
        ReviewRecordIndex = 0;
        ReviewRecordNumber = ops.ProfileRecordNumber(0);
        ops.SelectReviewStation(ReviewStationIndex, ReviewRepetitionIndex);
        ops.SaveProfileCursorColumn(ReviewStationIndex);
        ops.DrawProfileCursor(ReviewStationIndex);
    }
    return true;
}

bool StepReviewLine(bool next, ReviewOps& ops)
{
    if (ReviewMode != 0 && ReviewMode != 1)
        return true;
    if (!StepReviewIndex(next, ReviewLineCount, ReviewLineIndex))
        return true;
    ops.SetSelection(ReviewLineComboId, ReviewLineIndex);
    if (ReviewMode == 0) {
        ReviewStationIndex = 0;
        ops.ReadLineStations(ReviewLineIndex);
        ops.FillStationList();
        if (ops.CheckReviewContents(2) == 0)
            return false;
        ReviewRecordIndex = 0;
        ops.ReadStationRecords(ReviewStationIndex);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        RefreshLineValues(ops);
        ops.DrawLineDirectionField();
        // The new line's first reading is shown as a station step shows it, so that the screen,
        // the boxes and every command that writes name the same reading.
        ShowSteppedStation(ops);
        return true;
    }
    RefreshLineValues(ops);
    ops.ReadLineStations(ReviewLineIndex);
    ops.FillStationList();
    const int32_t n = ops.CountStationRepetitions();
    ops.FillRepetitionList();
    SelectRepetitionEntry(ops, n);
    FirstProfileStation(ops);
    ops.DrawLineDirectionField();
    return true;
}
