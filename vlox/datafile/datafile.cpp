#include "vlox/datafile/datafile.h"

#include <vector>

std::recursive_mutex DataFileLock;

std::string DataFilePath;
std::string DataFileTitle;
WideString DataFileWideTitle = VLOX_WIDE("CURRENT");

std::string CommentLines[3];
std::string RecordCommentLines[2];
CommentOffsetTable CommentOffsets;

int32_t ReadingCounter = 0;
int32_t AutoStoredCount = 0;
double TxCentreOffsetX = 0.0;
double TxCentreOffsetY = 0.0;

namespace {

bool WriteAll(RecordFile& f, const std::vector<std::string>& records)
{
    for (const std::string& r : records) {
        if (!f.Write(r))
            return false;
    }
    return true;
}

}  // namespace

bool WriteFileHeader(RecordFile& f, const FileHeaderFields& h, const LocalTime& now)
{
    bool ok = WriteAll(f, {FileIdRecord(h.GpsInput, now),
                           SurveyInfoRecord(h.OperatorName, h.SystemConfiguration, h.ReservedTypeCode,
                                            h.TransmitterType, h.DataFileTitle),
                           StartPositionRecord(h.GpsOriginEasting, h.GpsOriginNorthing, h.GpsNmeaData)});
    CommentOffsets.File = f.Tell();
    return ok;
}

bool WriteLineRecord(RecordFile& f, const ReadingParameters& p)
{
    bool ok = f.Write(LineRecord(p));
    CommentOffsets.Line = f.Tell();
    return ok;
}

bool WriteStationRecord(RecordFile& f, double currentStation)
{
    bool ok = f.Write(StationRecord(currentStation));
    CommentOffsets.Station = f.Tell();
    return ok;
}

bool WriteStationIndexLine(RecordFile& index, const ReadingParameters& p)
{
    return index.Write(StationIndexLine(p.SurveyLine, p.CurrentStation, p.LineDirection));
}

bool WriteReadingRecord(RecordFile& f, const ReadingParameters& p)
{
    return f.Write(ReadingRecord(ReadingCounter, p));
}

bool WriteTransmitterRecord(RecordFile& f, const ReadingParameters& p)
{
    return f.Write(TransmitterRecord(p));
}

bool WriteLoopRecords(RecordFile& f, const ReadingParameters& p)
{
    return WriteAll(f, LoopRecords(p));
}

bool WriteReceiverRecords(RecordFile& f, const ReadingParameters& p, double earlyWindowValue)
{
    return WriteAll(f, ReceiverRecords(p, earlyWindowValue));
}

bool WriteGateValueRecords(RecordFile& f, const ReadingParameters& p, const double* gateVolts, int gateCount,
                           const MeterValues& meter)
{
    bool ok = WriteAll(f, GateValueRecords(gateVolts, gateCount));
    if (ok && p.MeterInput == 1 && p.MeterModel == 0)
        ok = f.Write(MeterRecord(meter));
    CommentOffsets.Reading = f.Tell();
    if (CommentOffsets.PreviousRecord == 0)
        CommentOffsets.PreviousRecord = CommentOffsets.Reading;
    return ok;
}

bool WriteTimeStampRecord(RecordFile& f, const LocalTime& now, uint32_t tick)
{
    // The tick is the system's millisecond count read as signed 32-bit.
    return f.Write(TimeStampRecord(now, static_cast<int32_t>(tick)));
}

bool WriteCommentRecords(RecordFile& f, int mode, int first, int64_t offset, const std::string& text)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    std::vector<std::string> pair = CommentRecords(first, text);
    if (mode == 0)
        return WriteAll(f, pair);
    // Only a whole pair that lies inside the file is ever written over.
    if (offset <= 0 || offset + 2 * DataLineLength > f.Size())
        return false;
    int64_t back = f.Tell();
    bool ok = f.Seek(offset) && WriteAll(f, pair);
    bool restored = f.Seek(back);
    return ok && restored;
}

bool ReadCommentRecords(RecordFile& f, int first, int64_t offset, std::string& text)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    if (offset <= 0 || offset + 2 * DataLineLength > f.Size())
        return false;
    char pair[2 * DataLineLength];
    int64_t back = f.Tell();
    bool read = f.Seek(offset) && f.Read(pair, sizeof pair) == sizeof pair;
    bool restored = f.Seek(back);
    if (!read || !restored)
        return false;
    std::string found;
    for (int i = 0; i < 2; ++i) {
        const char* r = pair + i * DataLineLength;
        if (r[0] != 'C' || r[1] != static_cast<char>('0' + first + i) || r[DataLineLength - 2] != '\r' ||
            r[DataLineLength - 1] != '\n')
            return false;
        found.append(r + 2, DataLineLength - 4);
    }
    text = found;
    return true;
}

bool StoreTextInDataFile(RecordFile* f, const std::string& text, uint32_t tick, char firstTag, char continuationTag)
{
    if (f == nullptr)
        return false;
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    int64_t start = f->Tell();
    bool atEnd = start == f->Size();
    bool ok =
        WriteAll(*f, StoredTextRecords(text, static_cast<int32_t>(tick), firstTag, continuationTag)) && f->Flush();
    if (!ok) {
        // A half-written sentence would shift every later record off the 60-byte grid.
        if (atEnd)
            f->Truncate(start);
        f->Seek(start);
    }
    return ok;
}

void ResetDataFileState()
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    DataFilePath.clear();
    DataFileTitle.clear();
    DataFileWideTitle = VLOX_WIDE("CURRENT");
    for (std::string& c : CommentLines)
        c.clear();
    for (std::string& c : RecordCommentLines)
        c.clear();
    CommentOffsets = CommentOffsetTable{};
    LastStoredLine = NoStoredLine;
    LastStoredStation = 0.0;
    ReadingCounter = 0;
    AutoStoredCount = 0;
    TxCentreOffsetX = 0.0;
    TxCentreOffsetY = 0.0;
}
