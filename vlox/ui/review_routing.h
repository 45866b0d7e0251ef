// The command handler's routing of the review controls' selection changes, and the station
// and line steps of the review screen: which reader, list and plot operations run, in which
// order, with which indices. The operations come through ReviewOps, so that the order is
// tested natively against a recorder; the main window gives the real controls and plots.
#pragma once

#include "vlox/datafile/review_shown.h"

#include <cstdint>

// Control ids of the review controls.
constexpr int32_t ReviewViewComboId = 81;
constexpr int32_t ReviewLineComboId = 82;
constexpr int32_t ReviewStationComboId = 83;
constexpr int32_t ReviewRecordComboId = 84;
constexpr int32_t ReviewProcessingComboId = 85;
constexpr int32_t ReviewRecordListId = 86;
constexpr int32_t ReviewRepetitionComboId = 87;

// CBN_SELCHANGE and LBN_SELCHANGE.
constexpr uint32_t SelectionChangeCode = 1;

class ReviewOps {
public:
    virtual ~ReviewOps() = default;

    // The review controls.
    virtual int32_t Selection(int32_t controlId) = 0;  // the combo box's selected item, -1 none
    virtual int32_t ItemCount(int32_t controlId) = 0;  // items in the combo box
    virtual void SetSelection(int32_t controlId, int32_t index) = 0;
    virtual void EnableRepetitionCombo(bool enable) = 0;
    virtual bool RecordListSelected(int32_t item) = 0;  // the record list box shows it selected
    virtual void DeselectRecordListItem(int32_t item) = 0;
    virtual void ShowRecordList(int32_t show) = 0;
    virtual void CopyRecordsToListBox() = 0;
    virtual void Message(const char* text, const char* caption) = 0;

    // The reader's lists and the selection operations.
    virtual void FillProcessingList() = 0;
    virtual void FillRepetitionList() = 0;
    virtual void ReadLineStations(int32_t lineIndex) = 0;
    virtual void FillStationList() = 0;
    virtual void ReadStationRecords(int32_t stationIndex) = 0;
    virtual void FillRecordList() = 0;
    // 1 when the file (level 1), line (2) or station (3) holds something; else review has
    // been left and 0 ends the command.
    virtual int32_t CheckReviewContents(int32_t level) = 0;
    virtual int32_t CountStationRepetitions() = 0;
    virtual void SelectReviewRepetition(int32_t entry) = 0;
    virtual void SelectReviewUserGateSet(int32_t entry) = 0;
    virtual void SelectReviewStation(int32_t station, int32_t repetition) = 0;

    // Values of the lists.
    virtual double LineNumber(int32_t line) = 0;
    virtual int32_t LineDirection(int32_t line) = 0;
    virtual double StationValue(int32_t station) = 0;
    virtual int32_t RecordNumber(int32_t record) = 0;
    virtual int32_t RecordTag(int32_t record) = 0;  // -1 excluded, 0 included, 1 also selected
    virtual void SetRecordTag(int32_t record, int32_t tag) = 0;
    virtual double ProfileStation(int32_t station) = 0;
    virtual int32_t ProfileRecordNumber(int32_t record) = 0;
    virtual int32_t ProfileRecordTag(int32_t record) = 0;
    // The W record offsets of the station's readings and of the profile's (-1 outside).
    virtual int64_t RecordOffset(int32_t record) = 0;
    virtual int64_t ProfileRecordOffset(int32_t record) = 0;
    // The entry of the line's station list that a listed profile station is (-1: none), and
    // the entry of the station's reading list, or of the profile's, that holds the reading
    // shown (-1: none).
    virtual int32_t ProfileStationEntry(int32_t station) = 0;
    virtual int32_t ShownRecordEntry() = 0;
    virtual int32_t ShownProfileRecordEntry() = 0;

    // Makes the reading at offset, with its tag, the one shown (ShowReviewReading); listed: the
    // gates of the list it is shown from.
    virtual void ShowReading(ShownReadingKey key, int64_t offset, int32_t tag, const RepetitionGates& listed) = 0;

    // Plots and fields.
    virtual void DrawReviewNumbers() = 0;
    virtual void ClearDisplayArea(int32_t area) = 0;
    virtual void DrawReviewDecay() = 0;
    virtual void DrawProfilePlot() = 0;
    virtual void SaveProfileCursorColumn(int32_t station) = 0;
    virtual void DrawProfileCursor(int32_t station) = 0;
    virtual void DrawFileStateField() = 0;
    virtual void DrawLineDirectionField() = 0;
    virtual void DrawParameterPanel() = 0;
    virtual void InvalidateMap() = 0;
    virtual void UpdateMainWindow() = 0;
};

// The one writer of the review selection and of the reading shown: makes the reading at (line,
// station, record) of the repetition entry the one shown. The entries are of the line list, and
// of the line's stations and the station's readings in the decay view, of the listed stations
// and their readings in the profile view (the decay view keeps the repetition given); the
// caller has read those lists. Sets the indices and the shown line, direction, station and
// record numbers, moves the boxes there (in "Selected" the record list too, whose choices are
// the tags), reads the reading with its tag (or records that it could not be read, keeping the
// gates of the profile's repetition), fills the parameter panel and the numbers window and has
// the map drawn again with its loop; in the profile view its values become the station's row
// and the profile is drawn with the cursor at the station. Whatever names the reading
// afterwards (the boxes, the comments, the edits, the page) names this one.
void ShowReviewPlace(ReviewOps& ops, int32_t line, int32_t station, int32_t record, int32_t repetition);

// The profile view after the file changed under it (tags, parameters) or the unit changed: the
// line's repetitions counted again and the profile read again, as a choice of it would. The
// same repetition when it is still offered (else the first); the station shown, or the listed
// one nearest to it; the reading shown, or that station's first. When the line has no profile
// left the operator is told and the decay view shows the station and reading shown. False when
// a contents check left review.
bool ShowProfileAgain(ReviewOps& ops);

// Step 1 of the command handler while reviewing (ReviewMode not -1): the selection changes
// of the review controls. Returns false when a contents check left review, which ends the
// whole message. A selection outside its list is ignored.
bool RouteReviewNotification(uint32_t message, uint32_t wParam, ReviewOps& ops);

// Previous (next false) and Next Station, Previous and Next Line on the review screen.
// Return false when a contents check left review. A line step in the profile view onto a line
// with nothing to plot tells so and shows that line's first station in the decay view.
bool StepReviewStation(bool next, ReviewOps& ops);
bool StepReviewLine(bool next, ReviewOps& ops);
// Previous and Next Record; at either end of the list nothing changes.
void StepReviewRecord(bool next, ReviewOps& ops);
