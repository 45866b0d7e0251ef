#include "vlox/datafile/review_shown.h"

#include "vlox/datafile/comments.h"

#include <algorithm>
#include <cstring>

namespace {

// Written in this file alone; everywhere else through the const names below.
ShownReadingData Shown;

}  // namespace

const ReviewReadingData& ReviewReading = Shown.Reading;
const double (&ReviewDisplayValues)[MaxGateCount] = Shown.Values;
const int64_t& ReviewShownOffset = Shown.Offset;
const int32_t& ReviewShownRead = Shown.Read;
const int32_t& ReviewShownTag = Shown.Tag;

ShownReadingData ReadReadingToShow(const ReviewContext& ctx, int64_t offset, int32_t tag, const RepetitionGates& listed)
{
    ShownReadingData s;
    s.Offset = offset;
    s.Tag = tag;
    if (listed.GateCount > 0) {
        s.Reading.RepRateIndex = listed.RateIndex;
        s.Reading.GateSet = listed.GateSet;
        s.Reading.GateCount = listed.GateCount;
    }
    ReviewReadingData r;
    if (offset < 0 || ctx.File == nullptr || ReadMeasurementRecord(*ctx.File, offset, r, s.Failure) == 0)
        return s;
    double centres[MaxGateCount], low = 0.0, high = 0.0;
    GateTimesOfReading(r, centres, low, high);
    if (ctx.Convert != nullptr)
        ctx.Convert(r, centres, s.Values);
    s.Reading = r;
    s.Read = 1;
    return s;
}

int32_t ShowReviewReading(ShownReadingKey key, const ReviewContext& ctx, int64_t offset, int32_t tag,
                          const RepetitionGates& listed)
{
    // One that cannot be read takes the place all the same: what is meant for this reading must
    // not land on the one shown before.
    SetShownReading(key, ReadReadingToShow(ctx, offset, tag, listed));
    if (Shown.Read == 0 && ctx.Report != nullptr && !Shown.Failure.Text.empty())
        ctx.Report(Shown.Failure);
    return Shown.Read;
}

void SetShownReading(ShownReadingKey, const ShownReadingData& s)
{
    Shown = s;
    // The review's gate tables (the frames and axes) are those of the reading shown, also of a
    // blank one: its frame stands on its own rate and gate set, not on the reading's before.
    BuildReviewGateTimes(Shown.Reading);
    ReviewCommentEntry& comment = ReviewComments[ReviewReadingComment];
    comment = ReviewCommentEntry{};
    if (Shown.Read == 0)
        return;
    comment.Text = Shown.Reading.Comment;
    comment.HasText = Shown.Reading.Comment.empty() ? 0 : 1;
    comment.Present = Shown.Reading.CommentPresent;
    comment.Offset = Shown.Reading.CommentOffset;
}

void CopyShownReadingToProfileRow(int32_t station)
{
    if (Shown.Read != 1 || station < 0 || station >= MaxReviewStations)
        return;
    const int32_t gates = Shown.Reading.GateCount < 0 ? 0 : std::min(Shown.Reading.GateCount, MaxGateCount);
    std::memcpy(ProfileValues[station], Shown.Values, sizeof(double) * static_cast<size_t>(gates));
}
