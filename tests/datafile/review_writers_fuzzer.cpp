// The review's in-place writers over any file. RewriteRecordTags with the W offsets the review
// index gives (as Manage Records writes them back, tags flipped) and with offsets the input's
// last bytes give (anywhere, unaligned, before the start, past the end), a full disk after as
// many bytes as the input says; ReadCommentRecords at every record and at those offsets. The
// file keeps its length and the position is put back; a tag write changes nothing but column 2
// of a W record, to '0' or '1'; a comment read gives the 112 characters of a whole Cn, Cn+1 pair
// at its offset or leaves the text as it was.
#include "vlox/datafile/datafile.h"
#include "vlox/datafile/editheader.h"
#include "vlox/datafile/review_reader.h"
#include "vlox/datafile/review_state.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// Offsets the input's last bytes give: whole records, a byte or two off, before the start.
std::vector<int64_t> InputOffsets(const uint8_t* data, size_t size)
{
    std::vector<int64_t> offsets;
    for (size_t i = 0; i < 8 && i < size; ++i) {
        const uint8_t b = data[size - 1 - i];
        offsets.push_back(static_cast<int64_t>(b >> 2) * 60 + (b & 3) - (i == 7 ? 120 : 0));
    }
    return offsets;
}

// The W offsets the review index holds for the first stations of the first lines.
std::vector<int64_t> IndexedReadings(MemoryFile& f)
{
    std::vector<int64_t> offsets;
    ResetReviewTables();
    FileMessage msg;
    if (ReadFileHeader(f, msg) == 0)
        return offsets;
    IndexLines(f);
    for (int32_t l = 0; l < ReviewLineCount && l < 3; ++l) {
        if (ReadLineStations(f, ReviewLineOffsets[l], msg) == 0)
            continue;
        for (int32_t s = 0; s < ReviewStationCount && s < 3; ++s)
            if (ReadStationRecords(f, ReviewStationOffsets[s], msg) != 0)
                for (int32_t r = 0; r < ReviewRecordCount; ++r)
                    offsets.push_back(ReviewRecordOffsets[r]);
    }
    return offsets;
}

void RewriteTags(MemoryFile& f, const std::vector<int64_t>& offsets, int64_t failAfter)
{
    if (offsets.empty())
        return;
    const std::string before = f.Bytes;
    const int64_t position = f.Position;
    std::vector<int32_t> tags;
    for (size_t i = 0; i < offsets.size(); ++i)
        tags.push_back(i % 2 == 0 ? -1 : 0);
    f.FailAfter = failAfter;
    FileMessage msg;
    const int32_t written =
        RewriteRecordTags(f, offsets.data(), tags.data(), static_cast<int32_t>(offsets.size()), msg);
    f.FailAfter = -1;
    Require(f.Bytes.size() == before.size() && f.Position == position);
    Require(written >= 0 && written <= static_cast<int32_t>(offsets.size()));
    Require(msg.Text.empty() || msg.Text == DataFileWriteErrorText);
    const std::set<int64_t> requested(offsets.begin(), offsets.end());
    for (size_t i = 0; i < before.size(); ++i) {
        if (f.Bytes[i] == before[i])
            continue;
        const int64_t record = static_cast<int64_t>(i) - 1;
        Require(requested.count(record) == 1 && before[i - 1] == 'W' && (f.Bytes[i] == '0' || f.Bytes[i] == '1'));
    }
}

void ReadComments(MemoryFile& f, int64_t offset)
{
    const std::string before = f.Bytes;
    const int64_t position = f.Position;
    for (int first = 1; first <= 7; first += 2) {
        std::string text = "untouched";
        const bool read = ReadCommentRecords(f, first, offset, text);
        Require(f.Bytes == before && f.Position == position);
        if (!read) {
            Require(text == "untouched");
            continue;
        }
        Require(text.size() == 112 && offset > 0);
        const size_t at = static_cast<size_t>(offset);
        Require(before.compare(at, 2, std::string("C") + static_cast<char>('0' + first)) == 0);
        Require(before.compare(at + 60, 2, std::string("C") + static_cast<char>('1' + first)) == 0);
        Require(text == before.substr(at + 2, 56) + before.substr(at + 62, 56));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    MemoryFile f;
    f.Bytes.assign(reinterpret_cast<const char*>(data), size);
    const std::vector<int64_t> inputOffsets = InputOffsets(data, size);
    f.Position = size > 0 ? static_cast<int64_t>(data[0]) * 60 % (static_cast<int64_t>(size) + 60) : 0;

    for (int64_t at = 0; at < static_cast<int64_t>(size); at += 60)
        ReadComments(f, at);
    for (int64_t at : inputOffsets)
        ReadComments(f, at);

    const int64_t failAfter = size > 1 && data[1] < 64 ? static_cast<int64_t>(data[1]) * 7 : -1;
    RewriteTags(f, IndexedReadings(f), failAfter);
    RewriteTags(f, inputOffsets, -1);
    return 0;
}
