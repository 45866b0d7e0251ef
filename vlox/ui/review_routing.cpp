#include "vlox/ui/review_routing.h"

#include "vlox/ui/command_rules.h"
#include "vlox/ui/commands.h"
#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_state.h"

namespace {

// The selection of a combo box when it names one of count entries, else -1.
int32_t SelectionIn(ReviewOps& ops, int32_t controlId, int32_t count)
{
    const int32_t sel = ops.Selection(controlId);
    return ReviewSelectionInList(sel, count) ? sel : -1;
}

bool LineHasProfiles()
{
    return ReviewStandardEntryCount + ReviewUserGateEntryCount > 0;
}

// Selects the repetition entry n (a standard repetition, or a user-gate set after them); the
// place shown takes it.
void SelectRepetitionEntry(ReviewOps& ops, int32_t n)
{
    if (n < ReviewStandardEntryCount)
        ops.SelectReviewRepetition(n);
    else
        ops.SelectReviewUserGateSet(n);
}

// The profile of repetition entry n from its first listed station and that station's first
// reading.
void ShowFirstProfileStation(ReviewOps& ops, int32_t line, int32_t n)
{
    SelectRepetitionEntry(ops, n);
    ShowReviewPlace(ops, line, 0, 0, n);
}

// An excluded reading keeps its exclusion whatever the list shows chosen: Manage Records writes
// the tags back to the file, where a chosen one would turn up included.
void ReadTagsFromRecordList(ReviewOps& ops)
{
    for (int32_t i = 0; i < ReviewRecordCount; ++i)
        if (ops.RecordTag(i) != -1)
            ops.SetRecordTag(i, ops.RecordListSelected(i) ? 1 : 0);
}

// The decay view's drawing by processing around the reading shown (its numbers are drawn where
// it was shown).
void DrawDecayView(ReviewOps& ops)
{
    if (ProcessingChoice < 0 || ProcessingChoice > 3)
        return;
    ops.ClearDisplayArea(0);
    ops.DrawReviewDecay();
    if (ProcessingChoice == 0) {
        ops.DrawFileStateField();
        ops.UpdateMainWindow();
    }
}

// The decay view after a station or line step: the plot of the reading shown.
void DrawSteppedStation(ReviewOps& ops)
{
    ops.ClearDisplayArea(0);
    ops.DrawReviewDecay();
}

// The decay view's lists of a line: its stations, and its first station's readings. False
// when a contents check left review.
bool ReadDecayLists(ReviewOps& ops, int32_t line)
{
    ops.ReadLineStations(line);
    ops.FillStationList();
    if (ops.CheckReviewContents(2) == 0)
        return false;
    ops.ReadStationRecords(0);
    ops.FillRecordList();
    return ops.CheckReviewContents(3) != 0;
}

// A place the message is to show in the decay view, drawn once at its end.
struct DecayTarget {
    bool Show = false;
    int32_t Line = 0;
    int32_t Station = 0;
    int32_t Record = 0;
};

DecayTarget Here()
{
    return {true, ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex};
}

// The line has nothing to plot: the operator is told, and the decay view shows the line's
// station and reading given, with the line's stations and that station's readings in their
// boxes (reading the repetitions read every station). False when a contents check left review.
bool NoProfilesBackToDecays(ReviewOps& ops, int32_t line, int32_t station, int32_t record, DecayTarget& target)
{
    ops.Message("No profiles to draw for this survey line", "Profile Mode");
    ReviewMode = 0;
    ReviewViewChoice = 0;
    ops.FillProcessingList();
    ops.SetSelection(ReviewViewComboId, 0);
    ops.EnableRepetitionCombo(false);
    ops.FillStationList();
    if (ops.CheckReviewContents(2) == 0)
        return false;
    ops.ReadStationRecords(station);
    ops.FillRecordList();
    if (ops.CheckReviewContents(3) == 0)
        return false;
    // record -1: the reading shown, where the station still lists it.
    if (record < 0)
        record = ops.ShownRecordEntry();
    target = {true, line, station, record >= 0 && record < ReviewRecordCount ? record : 0};
    return true;
}

// The profile view of line: its counted repetition from the first listed station, or, when it
// has none, the decay view of the station and reading given. False when review was left.
bool ShowLineProfile(ReviewOps& ops, int32_t line, int32_t station, int32_t record, DecayTarget& target)
{
    ops.ReadLineStations(line);
    const int32_t n = ops.CountStationRepetitions();
    ops.FillRepetitionList();
    if (!LineHasProfiles())
        return NoProfilesBackToDecays(ops, line, station, record, target);
    ShowFirstProfileStation(ops, line, n);
    return true;
}

// Back from the profiles: the decay view takes the station and the reading the profile
// showed, with the line's stations and that station's readings in their boxes.
DecayTarget BackToDecayLists(ReviewOps& ops)
{
    const int32_t listed = ops.ProfileStationEntry(ReviewStationIndex);
    const int32_t station = listed >= 0 ? listed : 0;
    ops.ReadLineStations(ReviewLineIndex);
    ops.FillStationList();
    ops.ReadStationRecords(station);
    ops.FillRecordList();
    const int32_t shown = ops.ShownRecordEntry();
    return {true, ReviewLineIndex, station, shown >= 0 ? shown : 0};
}

// The review-view combo box. False when a contents check left review.
bool OnReviewViewChanged(ReviewOps& ops, int32_t sel, DecayTarget& target)
{
    const bool fromProfiles = ReviewMode == 1;
    ReviewViewChoice = sel;
    ReviewMode = sel;
    ops.FillProcessingList();
    ops.FillRepetitionList();
    if (sel == 0) {
        target = fromProfiles ? BackToDecayLists(ops) : Here();
        return true;
    }
    // The decay view's place stays where the line has nothing to plot.
    return ShowLineProfile(ops, ReviewLineIndex, ReviewStationIndex, ReviewRecordIndex, target);
}

void OnProcessingChanged(ReviewOps& ops, int32_t sel, DecayTarget& target)
{
    if (ReviewMode != 0) {
        ProfileProcessingChoice = sel;
        return;
    }
    ProcessingChoice = sel;
    ops.ShowRecordList(sel == 1 ? 1 : 0);
    target = Here();
}

// Decay view controls. False when a contents check left review.
bool OnDecayControl(ReviewOps& ops, int32_t id, DecayTarget& target)
{
    switch (id) {
    case ReviewLineComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewLineCount);
        if (sel < 0)
            return true;
        if (!ReadDecayLists(ops, sel))
            return false;
        target = {true, sel, 0, 0};
        return true;
    }
    case ReviewStationComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewStationCount);
        if (sel < 0)
            return true;
        ops.ReadStationRecords(sel);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        target = {true, ReviewLineIndex, sel, 0};
        return true;
    }
    case ReviewRecordComboId: {
        // An excluded reading too is the one shown and named: in "Single" without its curve.
        const int32_t sel = SelectionIn(ops, id, ReviewRecordCount);
        if (sel >= 0)
            target = {true, ReviewLineIndex, ReviewStationIndex, sel};
        return true;
    }
    case ReviewRecordListId:
        ReadTagsFromRecordList(ops);
        target = Here();
        return true;
    default:
        return true;
    }
}

// Profile view controls. False when a contents check left review.
bool OnProfileControl(ReviewOps& ops, int32_t id, DecayTarget& target)
{
    switch (id) {
    case ReviewRepetitionComboId: {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel < 0)
            return true;
        ops.ReadLineStations(ReviewLineIndex);
        ops.FillStationList();
        ShowFirstProfileStation(ops, ReviewLineIndex, sel);
        return true;
    }
    case ReviewLineComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewLineCount);
        return sel < 0 || ShowLineProfile(ops, sel, 0, 0, target);
    }
    case ReviewStationComboId: {
        const int32_t sel = SelectionIn(ops, id, ReviewListedStationCount);
        if (sel < 0)
            return true;
        ops.SelectReviewStation(sel, ReviewRepetitionIndex);
        ShowReviewPlace(ops, ReviewLineIndex, sel, 0, ReviewRepetitionIndex);
        return true;
    }
    case ReviewRecordComboId: {
        const int32_t sel = SelectionIn(ops, id, ProfileRecordCount);
        if (sel < 0)
            return true;
        // The profile lists only included readings; another is not shown, and the box stays
        // on the one that is.
        if (ops.ProfileRecordTag(sel) == -1) {
            ops.SetSelection(ReviewRecordComboId, ReviewRecordIndex);
            return true;
        }
        ShowReviewPlace(ops, ReviewLineIndex, ReviewStationIndex, sel, ReviewRepetitionIndex);
        return true;
    }
    default:
        return true;
    }
}

// The decay view of the target, when the message has one.
void ShowDecayTarget(ReviewOps& ops, const DecayTarget& target)
{
    if (!target.Show)
        return;
    ShowReviewPlace(ops, target.Line, target.Station, target.Record, ReviewRepetitionIndex);
    DrawDecayView(ops);
}

}  // namespace

void ShowReviewPlace(ReviewOps& ops, int32_t line, int32_t station, int32_t record, int32_t repetition)
{
    const bool profile = ReviewMode == 1;
    ReviewPlace place;
    place.LineIndex = line;
    place.StationIndex = station;
    place.RecordIndex = record;
    place.RepetitionIndex = repetition;
    place.LineNumber = ops.LineNumber(line);
    place.LineDirection = ops.LineDirection(line);
    place.StationNumber = profile ? ops.ProfileStation(station) : ops.StationValue(station);
    place.RecordNumber = profile ? ops.ProfileRecordNumber(record) : ops.RecordNumber(record);
    SetReviewPlace(ShownReadingKey{}, place);
    ops.SetSelection(ReviewLineComboId, line);
    ops.SetSelection(ReviewStationComboId, station);
    ops.SetSelection(ReviewRecordComboId, record);
    if (profile)
        ops.SetSelection(ReviewRepetitionComboId, repetition);
    // The record list of "Selected" names the station's readings too: filled again with the
    // station shown, so that choices made at another station never tag this one's readings; its
    // choices are the tags, an excluded reading never chosen.
    if (!profile && ProcessingChoice == 1) {
        ops.CopyRecordsToListBox();
        for (int32_t i = 0; i < ReviewRecordCount; ++i)
            if (ops.RecordTag(i) == -1)
                ops.DeselectRecordListItem(i);
        ReadTagsFromRecordList(ops);
    }
    const int32_t tag = profile ? ops.ProfileRecordTag(record) : ops.RecordTag(record);
    // A profile reading that cannot be read keeps its repetition's gates: the profile, its
    // numbers and its page stay whole. The decay view's lists give none.
    const RepetitionGates listed = profile ? RepetitionGatesOf(repetition) : RepetitionGates{};
    ops.ShowReading(ShownReadingKey{}, profile ? ops.ProfileRecordOffset(record) : ops.RecordOffset(record), tag,
                    listed);
    if (profile)
        CopyShownReadingToProfileRow(station);
    ops.DrawLineDirectionField();
    ops.DrawParameterPanel();
    // "Selected" shows the numbers of a chosen reading only; "Average" and "Avg.+All" those of
    // the averages, with the plot.
    if (profile || ProcessingChoice == 0 || (ProcessingChoice == 1 && tag == 1))
        ops.DrawReviewNumbers();
    else if (ProcessingChoice == 1)
        ops.ClearDisplayArea(2);
    ops.InvalidateMap();
    if (profile) {
        ops.ClearDisplayArea(0);
        ops.DrawProfilePlot();
        ops.SaveProfileCursorColumn(station);
        ops.DrawProfileCursor(station);
    }
}

bool ShowProfileAgain(ReviewOps& ops)
{
    // What is shown now; the reading shown stays until the place is shown again.
    const int32_t lineStation = ops.ProfileStationEntry(ReviewStationIndex);
    const double station = ReviewStationNumber;
    const bool userSet = ReviewRepetitionIndex >= ReviewStandardEntryCount;
    const int32_t slot = ReviewSlot;
    const int32_t userGates = ReviewUserGateCount;
    ops.ReadLineStations(ReviewLineIndex);
    ops.CountStationRepetitions();
    ops.FillRepetitionList();
    if (!LineHasProfiles()) {
        DecayTarget target;
        if (!NoProfilesBackToDecays(ops, ReviewLineIndex, lineStation >= 0 ? lineStation : 0, -1, target))
            return false;
        ShowDecayTarget(ops, target);
        return true;
    }
    const int32_t found = RepetitionEntryOf(slot, userGates, userSet);
    const int32_t entry = found >= 0 ? found : 0;
    ops.FillStationList();
    SelectRepetitionEntry(ops, entry);
    const int32_t k = NearestListedStation(lineStation, station);
    if (k > 0)
        ops.SelectReviewStation(k, entry);
    const int32_t shown = ops.ShownProfileRecordEntry();
    ShowReviewPlace(ops, ReviewLineIndex, k > 0 ? k : 0, shown >= 0 ? shown : 0, entry);
    return true;
}

bool RouteReviewNotification(uint32_t message, uint32_t wParam, ReviewOps& ops)
{
    const bool selectionChange = message == MsgCommand && ((wParam >> 16) & 0xFFFF) == SelectionChangeCode;
    const int32_t id = static_cast<int32_t>(wParam & 0xFFFF);
    DecayTarget target;

    if (selectionChange && id == ReviewViewComboId) {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel >= 0 && !OnReviewViewChanged(ops, sel, target))
            return false;
    }
    if (selectionChange && id == ReviewProcessingComboId) {
        const int32_t sel = SelectionIn(ops, id, ops.ItemCount(id));
        if (sel >= 0)
            OnProcessingChanged(ops, sel, target);
    }
    if (ReviewViewChoice == 0) {
        ops.EnableRepetitionCombo(false);
        if (selectionChange && !OnDecayControl(ops, id, target))
            return false;
    } else {
        ops.EnableRepetitionCombo(true);
        if (selectionChange && !OnProfileControl(ops, id, target))
            return false;
    }
    ShowDecayTarget(ops, target);
    return true;
}

bool StepReviewStation(bool next, ReviewOps& ops)
{
    int32_t to = ReviewStationIndex;
    if (ReviewMode == 0) {
        if (!StepReviewIndex(next, ReviewStationCount, to))
            return true;
        ops.ReadStationRecords(to);
        ops.FillRecordList();
        if (ops.CheckReviewContents(3) == 0)
            return false;
        ShowReviewPlace(ops, ReviewLineIndex, to, 0, ReviewRepetitionIndex);
        DrawSteppedStation(ops);
        return true;
    }
    if (ReviewMode == 1 && StepReviewIndex(next, ReviewListedStationCount, to)) {
        ops.SelectReviewStation(to, ReviewRepetitionIndex);
        ShowReviewPlace(ops, ReviewLineIndex, to, 0, ReviewRepetitionIndex);
    }
    return true;
}

bool StepReviewLine(bool next, ReviewOps& ops)
{
    if (ReviewMode != 0 && ReviewMode != 1)
        return true;
    int32_t to = ReviewLineIndex;
    if (!StepReviewIndex(next, ReviewLineCount, to))
        return true;
    if (ReviewMode == 1) {
        // The new line's profile, or its first station's decays when it has none.
        DecayTarget target;
        if (!ShowLineProfile(ops, to, 0, 0, target))
            return false;
        ShowDecayTarget(ops, target);
        return true;
    }
    if (!ReadDecayLists(ops, to))
        return false;
    // The new line's first reading is shown as a station step shows it.
    ShowReviewPlace(ops, to, 0, 0, ReviewRepetitionIndex);
    DrawSteppedStation(ops);
    return true;
}

void StepReviewRecord(bool next, ReviewOps& ops)
{
    int32_t to = ReviewRecordIndex;
    if (ReviewMode == 0) {
        if (!StepReviewIndex(next, ReviewRecordCount, to))
            return;
        ShowReviewPlace(ops, ReviewLineIndex, ReviewStationIndex, to, ReviewRepetitionIndex);
        DrawSteppedStation(ops);
    } else if (ReviewMode == 1) {
        // Only included readings are listed; another would not be shown, so the step stops.
        if (!StepReviewIndex(next, ProfileRecordCount, to) || ops.ProfileRecordTag(to) == -1)
            return;
        ShowReviewPlace(ops, ReviewLineIndex, ReviewStationIndex, to, ReviewRepetitionIndex);
    }
}
