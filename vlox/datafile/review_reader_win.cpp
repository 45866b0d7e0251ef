#include "vlox/datafile/review_reader_win.h"

void FillProcessingList() {}
void FillRepetitionList() {}
void ReadLineStationsOf(int32_t) {}
void FillStationList() {}
void ReadStationRecordsOf(int32_t) {}
void FillRecordList() {}
int32_t CheckReviewContents(int32_t)
{
    return 1;
}
int32_t CountStationRepetitions()
{
    return 0;
}
void SelectReviewRepetition(int32_t) {}
void SelectReviewUserGateSet(int32_t) {}
void SelectReviewStation(int32_t, int32_t) {}
void BuildReviewGateTimes() {}

double ReviewLineNumberAt(int32_t)
{
    return 0.0;
}
int32_t ReviewLineDirectionAt(int32_t)
{
    return 0;
}
double ReviewStationValueAt(int32_t)
{
    return 0.0;
}
int32_t ReviewRecordNumberAt(int32_t)
{
    return 0;
}
int32_t ReviewRecordTagAt(int32_t)
{
    return 0;
}
void SetReviewRecordTag(int32_t, int32_t) {}
double ProfileStationAt(int32_t)
{
    return 0.0;
}
int32_t ProfileRecordNumberAt(int32_t)
{
    return 0;
}
int32_t ProfileRecordTagAt(int32_t)
{
    return 0;
}
