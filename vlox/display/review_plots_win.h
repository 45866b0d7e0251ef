// The review on the screen: the review lists filled from the reader's tables, the reviewed
// reading read and converted, the review decay plot by processing, the profile plot with its
// station cursor, the numbers window's review column with the meter lines, and the live
// profile strip rebuilt from the data file. The arithmetic is portable (review_reader.h,
// review_selection.h, review_plot.h); this file draws and fills the controls.
#pragma once

#include "vlox/datafile/review_selection.h"
#include "vlox/display/parameter_panel.h"

#include <windows.h>

#include <cstdint>

// The review file, the conversion in `DisplayUnit` and the reader's messages.
ReviewContext ProgramReviewContext();

// The review lists.
void FillLineList();
void FillStationList();  // the stations of the line
void FillRecordList();   // the readings of the station
void FillProcessingList();
void FillRepetitionList();
// The reader's tables for line i and station i (of the selected line), with the messages.
void ReadLineStationsOf(int32_t lineIndex);
void ReadStationRecordsOf(int32_t stationIndex);
int32_t CountStationRepetitions();
// The selections with what they show (numbers, parameter panel, profile plot).
void SelectReviewRepetition(int32_t entry);
void SelectReviewUserGateSet(int32_t entry);
void SelectReviewStation(int32_t station, int32_t repetition);
// The automatic amplitude scale of the review (or live) plot into the settings.
void AutoScaleReview();

// Show record r: read into ReviewReading, gate times, conversion into ReviewDisplayValues.
// An entry outside the list shows no reading.
void ShowDecayRecord(int32_t record);
// The reviewed reading converted again into `DisplayUnit` (its gate times built again), so a
// change of unit shows at once.
void ConvertReviewedReading();
// The profile list's reading r, its values copied into the profile row of station.
void ShowProfileRecord(int32_t record, int32_t station);
// The profile of the chosen repetition read again after the file was changed under it (every
// row may have changed) with its lists in the boxes, listed station station's readings listed:
// the entry of the reading shown before (the first when it is no longer listed), -1 none.
int32_t RereadProfile(int32_t station);

// The numbers window's review column (profileTags: the tags of the profile list) and the
// meter lines of the reviewed reading.
void DrawReviewNumbers(bool profileTags);
// state -1 "DISABLED", 0 "RESULT NOT VALID", 1 the two values with the dipole.
void DrawMeterReadings(HDC dc, int32_t state, double value1, double value2, char dipole);
// The review decay plot by `ProcessingChoice`. tellUser: the command (not a repaint) draws
// it, so the user-gate note of "Average" and "Avg.+All" may be shown.
void DrawReviewDecay(bool tellUser);
void DrawProfilePlot();
void SaveProfileCursorColumn(int32_t station);
void RestoreProfileCursorColumn(int32_t station);
void DrawProfileCursor(int32_t station);

// The reviewed reading's parameters for the parameter panel.
ReviewedPanelParameters ReviewedParametersOfReading();
