// The review reader: the lines, stations and readings of the reviewed file, the review lists
// and their selection, and the gate times of the reviewed reading, as the command handler
// routes the review controls to them. No file is read for review yet: the lists stay empty,
// every contents check passes and each value read is 0.
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
// The reviewed reading's gate centres and time-axis limits.
void BuildReviewGateTimes();

double ReviewLineNumberAt(int32_t line);
int32_t ReviewLineDirectionAt(int32_t line);
double ReviewStationValueAt(int32_t station);
int32_t ReviewRecordNumberAt(int32_t record);
int32_t ReviewRecordTagAt(int32_t record);
void SetReviewRecordTag(int32_t record, int32_t tag);
double ProfileStationAt(int32_t station);
int32_t ProfileRecordNumberAt(int32_t record);
int32_t ProfileRecordTagAt(int32_t record);
