#include "vlox/datafile/editheader.h"

#include "vlox/datafile/records.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

HeaderEditRequestData HeaderEditRequest;

const char FileErrorCaption[] = "File Error";
const char DataFileWriteErrorText[] = "Error writing to the data file.";
const char StoreWriteErrorText[] =
    "Error writing to the data file (disk full or card removed?). The reading was not stored.";
const char NoDataFileText[] = "No data file is open. Create a data file to store readings.";
const char StationIndexWriteErrorText[] =
    "Error writing to the station index file (disk full or card removed?). The reading was stored, but the "
    "station map may miss stations.";
const char ReadOnlyReviewText[] =
    "This file is read-only (a write-protected card or file): it can be reviewed, but its readings cannot be "
    "changed.";

namespace {

constexpr size_t RecordSize = DataLineLength;

struct Editor {
    RecordFile& f;
    const HeaderEditRequestData& r;
    std::string currentText;
    std::string turnOffText;
    std::string coilText;
    FileMessage message;

    bool Failed() const { return !message.Text.empty(); }

    // The line number the messages show: the position after the failed read / 60 + 1.
    void Fail(const char* format)
    {
        char buf[96];
        std::snprintf(buf, sizeof buf, format, static_cast<int>(f.Tell() / DataLineLength + 1));
        message = {buf, FileErrorCaption};
    }

    size_t Read(char* rec) { return f.Read(rec, RecordSize); }

    // Reads one record that must be whole and carry tag; short and wrong-tag messages.
    bool Expect(char* rec, const char* tag, const char* shortText, const char* tagText)
    {
        if (Read(rec) < RecordSize) {
            Fail(shortText);
            return false;
        }
        if (std::strncmp(rec, tag, 2) != 0) {
            Fail(tagText);
            return false;
        }
        return true;
    }

    bool Rewrite(int64_t offset, const char* rec)
    {
        if (!f.Seek(offset) || !f.Write(rec, RecordSize)) {
            message = {DataFileWriteErrorText, FileErrorCaption};
            return false;
        }
        return true;
    }

    // T1 just read at offset: new current and turn-off time as flagged.
    bool EditTransmitter(char* rec, int64_t offset)
    {
        if (!r.UpdateCurrent && !r.UpdateTurnOffTime)
            return true;
        if (r.UpdateCurrent)
            std::memcpy(rec + 2, currentText.data(), 14);
        if (r.UpdateTurnOffTime)
            std::memcpy(rec + 17, turnOffText.data(), 14);
        return Rewrite(offset, rec);
    }

    // R1 just read at offset: new coil code as flagged.
    bool EditReceiver(char* rec, int64_t offset)
    {
        if (!r.UpdateCoilType)
            return true;
        std::memcpy(rec + 10, coilText.data(), 3);
        return Rewrite(offset, rec);
    }

    // From after R1: on to the first V record (at most 50 records), then every consecutive
    // V record negated. The first other record is left unread.
    bool NegateFollowingGateValues()
    {
        char rec[RecordSize];
        bool found = false;
        for (int i = 0; i < 50 && !found; ++i) {
            if (Read(rec) < RecordSize) {
                Fail("56-Error in file line %d");
                return false;
            }
            found = rec[0] == 'V';
        }
        while (found) {
            int64_t offset = f.Tell() - static_cast<int64_t>(RecordSize);
            NegateGateValueRecord(rec);
            if (!Rewrite(offset, rec))
                return false;
            if (Read(rec) < RecordSize) {
                Fail("56-Error in file line %d");
                return false;
            }
            if (rec[0] != 'V') {
                f.Seek(f.Tell() - static_cast<int64_t>(RecordSize));
                found = false;
            }
        }
        return true;
    }

    void CurrentReading(int64_t p)
    {
        char rec[RecordSize];
        int64_t t1 = -1;
        for (int i = 1; i <= 20; ++i) {
            int64_t offset = p - static_cast<int64_t>(RecordSize) * i;
            if (offset < 0 || !f.Seek(offset))
                break;
            if (Read(rec) < RecordSize) {
                Fail("E1-Error in file line %d");
                return;
            }
            if (std::strncmp(rec, "T1", 2) == 0) {
                t1 = offset;
                break;
            }
        }
        if (t1 < 0) {
            message = {"E2-Error line T1 not found", FileErrorCaption};
            return;
        }
        int shape = std::atoi(std::string(rec + 32, 2).c_str());
        if (!EditTransmitter(rec, t1))
            return;
        if (!r.UpdateCoilType && !r.ChangePolarity)
            return;
        f.Seek(t1 + static_cast<int64_t>(RecordSize));

        if (!Expect(rec, "P1", "E3-Error in file line %d", "E4-Error in file line %d"))
            return;
        // Files of the older loop layout carry the values in P1 and fewer P records.
        bool older = shape != 3 && std::memchr(rec + 2, '.', 28) != nullptr;
        int more = older ? (shape == 2 ? 1 : 0) : (shape == 2 || shape == 3 ? 2 : 1);
        const char* tags[] = {"P2", "P3"};
        for (int i = 0; i < more; ++i) {
            if (!Expect(rec, tags[i], "E5-Error in file line %d", "E6-Error in file line %d"))
                return;
        }
        if (!Expect(rec, "R1", "E7-Error in file line %d", "E8-Error in file line %d"))
            return;
        if (!EditReceiver(rec, f.Tell() - static_cast<int64_t>(RecordSize)))
            return;
        if (r.ChangePolarity)
            NegateFollowingGateValues();
    }

    void WholeFile(int64_t p, bool upToP)
    {
        char rec[RecordSize];
        f.Seek(0);
        for (;;) {
            int64_t offset = f.Tell();
            if (upToP && offset >= p)
                return;
            size_t n = Read(rec);
            if (n == 0)
                return;
            if (n < RecordSize) {
                Fail("E3-Error in file line %d");
                return;
            }
            if (std::strncmp(rec, "T1", 2) == 0) {
                if (!EditTransmitter(rec, offset))
                    return;
            } else if (std::strncmp(rec, "R1", 2) == 0) {
                if (!EditReceiver(rec, offset))
                    return;
                if (r.ChangePolarity && !NegateFollowingGateValues())
                    return;
            }
        }
    }
};

}  // namespace

void NegateGateValueRecord(char* record)
{
    for (int field = 0; field < 4; ++field) {
        char* text = record + 2 + 14 * field;
        if (text[13] == ' ')
            continue;
        double value = std::strtod(std::string(text, 14).c_str(), nullptr);
        if (std::isnan(value))
            continue;
        char buf[400];
        std::snprintf(buf, sizeof buf, "%14.2f", -value);
        // Not clamped: a longer text keeps its first 14 characters, so that a second
        // change of polarity gives back the first text.
        std::memcpy(text, buf, 14);
    }
}

FileMessage EditHeaderRecords(RecordFile& f, const HeaderEditRequestData& request)
{
    if (!request.UpdateCurrent && !request.UpdateTurnOffTime && !request.UpdateCoilType && !request.ChangePolarity)
        return {"Nothing selected for edit", "Edit Header"};

    Editor e{f,
             request,
             FixedField(request.TxCurrent, 14, 3),
             FixedField(request.TurnOffTimeUs, 14, 3),
             IntField(request.CoilType, 3),
             {}};
    int64_t p = f.Tell();
    if (request.Range == 0)
        e.CurrentReading(p);
    else
        e.WholeFile(p, request.Range == 1);
    if (!f.Flush() && !e.Failed())
        e.message = {DataFileWriteErrorText, FileErrorCaption};
    f.Seek(p);
    return e.message;
}
