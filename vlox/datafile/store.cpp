#include "vlox/datafile/store.h"

namespace {

const std::string BlankComment(CommentLength, ' ');

// What a store changes besides the file, kept so that a failed write takes it all back.
struct RecordingSnapshot {
    double lastLine = LastStoredLine;
    double lastStation = LastStoredStation;
    int32_t counter = ReadingCounter;
    int32_t autoCount = AutoStoredCount;
    CommentOffsetTable offsets = CommentOffsets;
    std::string records[2] = {RecordCommentLines[0], RecordCommentLines[1]};

    void Restore() const
    {
        LastStoredLine = lastLine;
        LastStoredStation = lastStation;
        ReadingCounter = counter;
        AutoStoredCount = autoCount;
        CommentOffsets = offsets;
        RecordCommentLines[0] = records[0];
        RecordCommentLines[1] = records[1];
    }
};

// Step 1 of a store: L1 and S1 with their comment pairs when the line or station changed
// (exact comparisons of the stored values). Sets newStation when S1 was written.
bool WriteLineAndStation(RecordFile& f, const ReadingParameters& p, bool& newStation)
{
    newStation = false;
    bool ok = true;
    if (p.SurveyLine != LastStoredLine) {
        ReadingCounter = 0;
        ok = ok && WriteLineRecord(f, p);
        ok = ok && WriteCommentRecords(f, 0, 3, 0, CommentLines[LineCommentLine]);
        LastStoredLine = p.SurveyLine;
        newStation = true;
    } else if (p.CurrentStation != LastStoredStation) {
        ReadingCounter = 0;
        newStation = true;
    }
    if (newStation) {
        ok = ok && WriteStationRecord(f, p.CurrentStation);
        ok = ok && WriteCommentRecords(f, 0, 5, 0, CommentLines[StationCommentLine]);
        LastStoredStation = p.CurrentStation;
    }
    return ok;
}

// One W1 .. Z1 group.
bool WriteOneRecord(RecordFile& f, const ReadingParameters& p, int gateCount, const ReadingRecordResult& row,
                    const MeterValues& meter, const LocalClock& clock)
{
    ++ReadingCounter;
    bool ok = WriteReadingRecord(f, p) && WriteTransmitterRecord(f, p) && WriteLoopRecords(f, p) &&
              WriteReceiverRecords(f, p, row.EarlyWindowValue) &&
              WriteGateValueRecords(f, p, row.GateRow, gateCount, meter) &&
              WriteCommentRecords(f, 0, 7, 0, RecordCommentLines[NextRecordComment]) &&
              WriteTimeStampRecord(f, clock(), row.Tick);
    CommentOffsets.PreviousRecord = CommentOffsets.Reading;
    return ok;
}

// After a store the next-record comment becomes the previous-record comment.
void MoveRecordComments()
{
    RecordCommentLines[PreviousRecordComment] = RecordCommentLines[NextRecordComment];
    RecordCommentLines[NextRecordComment] = BlankComment;
}

// Flushes a finished group, or takes it back from the file and the state after a failure.
StoreOutcome FinishStore(RecordFile& f, RecordFile* stationIndex, const ReadingParameters& p, bool ok, bool newStation,
                         int64_t start, bool startAtEnd, const RecordingSnapshot& before)
{
    ok = ok && f.Flush();
    if (!ok) {
        if (startAtEnd)
            f.Truncate(start);
        f.Seek(start);
        before.Restore();
        return {StoreResult::WriteFailed, false};
    }
    // The station map lists only stations whose reading is in the file.
    StoreOutcome out{StoreResult::Stored, newStation};
    if (newStation && stationIndex != nullptr)
        out.IndexWriteFailed = !WriteStationIndexLine(*stationIndex, p);
    return out;
}

}  // namespace

bool BeginDataFile(RecordFile& f, const FileHeaderFields& h, const LocalTime& now)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    ClearComments(1);
    CommentOffsets = CommentOffsetTable{};
    ReadingCounter = 0;
    bool ok = WriteFileHeader(f, h, now) && WriteCommentRecords(f, 0, 1, 0, CommentLines[FileCommentLine]) && f.Flush();
    LastStoredLine = NoStoredLine;
    return ok;
}

StoreOutcome StoreReadingTo(RecordFile* f, RecordFile* stationIndex, const ReadingParameters& p, int gateCount,
                            const ReadingRecordResult* rows, const MeterValues& meter, const LocalClock& clock)
{
    if (f == nullptr)
        return {StoreResult::NoDataFile, false};
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    RecordingSnapshot before;
    int64_t start = f->Tell();
    bool startAtEnd = start == f->Size();

    bool newStation = false;
    bool ok = WriteLineAndStation(*f, p, newStation);
    if (p.SurveyMode == 1) {
        ok = ok && WriteOneRecord(*f, p, gateCount, rows[1], meter, clock);
        if (ok)
            ++AutoStoredCount;
    } else {
        for (int k = 1; ok && k <= p.NumberOfRecords; ++k)
            ok = WriteOneRecord(*f, p, gateCount, rows[k], meter, clock);
    }
    MoveRecordComments();
    return FinishStore(*f, stationIndex, p, ok, newStation, start, startAtEnd, before);
}

void SelectRepetitionChoice(ReadingParameters& p, int32_t choice, int32_t gain)
{
    if (choice <= 6) {
        p.RepRateIndex = choice;
        p.GateSet = 0;
    } else {
        p.RepRateIndex = choice - 5;
        p.GateSet = 1;
    }
    switch (p.SelectedComponent) {
    case 1:
        p.GainX = gain;
        break;
    case 2:
        p.GainY = gain;
        break;
    default:
        p.GainZ = gain;
        break;
    }
}

StoreOutcome StoreDualRepetitionReadingTo(RecordFile* f, RecordFile* stationIndex, ReadingParameters& p,
                                          const DualRepetitionChoice& c, const ReadingRecordResult* rowsA,
                                          const ReadingRecordResult* rowsB, const MeterValues& meter,
                                          const LocalClock& clock)
{
    if (f == nullptr)
        return {StoreResult::NoDataFile, false};
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    RecordingSnapshot before;
    ReadingParameters entry = p;
    int64_t start = f->Tell();
    bool startAtEnd = start == f->Size();

    bool newStation = false;
    bool ok = WriteLineAndStation(*f, p, newStation);
    for (int k = 1; ok && k <= p.NumberOfRecords; ++k) {
        SelectRepetitionChoice(p, c.FirstRepetitionChoice, c.FirstRepetitionGain);
        ok = WriteOneRecord(*f, p, 20 + 10 * p.GateSet, rowsA[k], meter, clock);
        SelectRepetitionChoice(p, c.SecondRepetitionChoice, c.SecondRepetitionGain);
        ok = ok && WriteOneRecord(*f, p, 20 + 10 * p.GateSet, rowsB[k], meter, clock);
    }
    MoveRecordComments();
    StoreOutcome out = FinishStore(*f, stationIndex, p, ok, newStation, start, startAtEnd, before);
    if (out.Result != StoreResult::Stored)
        p = entry;
    return out;
}

void UpdateLoopCentreOf(int32_t systemConfiguration, int32_t lineDirection, double surveyLine, double currentStation,
                        double& txCentreX, double& txCentreY)
{
    if (systemConfiguration == 1)
        return;
    switch (lineDirection) {
    case 0:
    case 1:
        txCentreX = surveyLine + TxCentreOffsetX;
        txCentreY = currentStation + TxCentreOffsetY;
        break;
    case 2:
    case 3:
        txCentreX = currentStation + TxCentreOffsetX;
        txCentreY = surveyLine + TxCentreOffsetY;
        break;
    default:
        break;
    }
}

void ClearComments(int level)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    if (level == 1) {
        CommentOffsets.File = 0;
        CommentOffsets.Line = 0;
        CommentLines[FileCommentLine].clear();
        CommentLines[LineCommentLine].clear();
    } else if (level == 2) {
        CommentLines[LineCommentLine].clear();
    }
    CommentLines[StationCommentLine].clear();
    RecordCommentLines[PreviousRecordComment].clear();
    RecordCommentLines[NextRecordComment].clear();
}
