// The review reader's and the review plots' operations that the command handler routes the
// review controls to. Placeholders until the review work builds them: the lists stay empty,
// the contents checks pass, nothing is drawn. That work replaces the bodies here (or moves
// them into its own module and deletes them here).
#pragma once

#include <cstdint>

void FillProcessingList();
void FillRepetitionList();
void ReadLineStationsOf(int32_t lineIndex);
void FillStationList();
void ReadStationRecordsOf(int32_t stationIndex);
void FillRecordList();
int32_t CheckReviewContents(int32_t level);
int32_t CountStationRepetitions();
void SelectReviewRepetition(int32_t entry);
void SelectReviewUserGateSet(int32_t entry);
void SelectReviewStation(int32_t station, int32_t repetition);

double ReviewLineNumberAt(int32_t line);
int32_t ReviewLineDirectionAt(int32_t line);
double ReviewStationValueAt(int32_t station);
int32_t ReviewRecordNumberAt(int32_t record);
int32_t ReviewRecordTagAt(int32_t record);
void SetReviewRecordTag(int32_t record, int32_t tag);
double ProfileStationAt(int32_t station);
int32_t ProfileRecordNumberAt(int32_t record);
int32_t ProfileRecordTagAt(int32_t record);

void ShowDecayRecord(int32_t record);
void ShowProfileRecord(int32_t record, int32_t station);
void DrawReviewNumbers(bool profileTags);
void DrawReviewDecay();
void DrawProfilePlot();
void SaveProfileCursorColumn(int32_t station);
void RestoreProfileCursorColumn(int32_t station);
void DrawProfileCursor(int32_t station);
