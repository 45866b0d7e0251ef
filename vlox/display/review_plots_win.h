// The review on the screen: the review lists filled from the reader's tables, the reviewed
// reading read and converted, the review decay plot by processing, the profile plot with its
// station cursor, the numbers window's review column with the meter lines, and the live
// profile strip rebuilt from the data file. The arithmetic is portable (review_reader.h,
// review_selection.h, review_plot.h); this file draws and fills the controls.
#pragma once

#include "vlox/datafile/review_selection.h"
#include "vlox/datafile/review_shown.h"
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
// The selections with their lists in the station and record boxes; the place they pick is
// shown by the review routing.
void SelectReviewRepetition(int32_t entry);
void SelectReviewUserGateSet(int32_t entry);
void SelectReviewStation(int32_t station, int32_t repetition);
// The automatic amplitude scale of the review (or live) plot into the settings.
void AutoScaleReview();

// Makes the reading at offset, with its tag, the one shown (blank but for the listed gates when
// it cannot be read); only the review routing holds the key.
void ShowReviewReadingOnScreen(ShownReadingKey key, int64_t offset, int32_t tag, const RepetitionGates& listed);

// The numbers window's review column and the meter lines of the reading shown: its gate values
// unless it is excluded, its row 0 when it could be read.
void DrawReviewNumbers();
// state -1 "DISABLED", 0 "RESULT NOT VALID", 1 the two values with the dipole.
void DrawMeterReadings(HDC dc, int32_t state, double value1, double value2, char dipole);
// The review decay plot by `ProcessingChoice`. tellUser: the command (not a repaint) draws
// it, so the user-gate note of "Average" and "Avg.+All" may be shown.
void DrawReviewDecay(bool tellUser);
void DrawProfilePlot();
void SaveProfileCursorColumn(int32_t station);
void DrawProfileCursor(int32_t station);

// The reviewed reading's parameters for the parameter panel.
ReviewedPanelParameters ReviewedParametersOfReading();
