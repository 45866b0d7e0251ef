#include "vlox/datafile/comments.h"

#include "vlox/datafile/trim.h"

ReviewCommentEntry ReviewComments[4];

namespace {

WideString Label(const char* head, const std::string& value)
{
    WideString label = NarrowToWide(std::string(head) + value);
    TrimTextW(label, 3);
    return label;
}

std::string Shown(const std::string& comment)
{
    std::string t(comment.c_str());
    TrimText(t, 3);
    return t;
}

std::string Cut(const std::string& text)
{
    std::string t(text.c_str());
    if (t.size() > static_cast<size_t>(CommentLength))
        t.resize(CommentLength);
    return t;
}

// The offsets of the pairs that OK of the COMMENTS dialog writes over: a pair only while it
// still belongs to what the dialog names (the line and station last stored, a reading stored
// at this station); 0 for the others.
CommentOffsetTable RewritablePairs(double surveyLine, double currentStation)
{
    bool sameLine = surveyLine == LastStoredLine;
    bool sameStation = sameLine && currentStation == LastStoredStation;
    CommentOffsetTable o;
    o.File = CommentOffsets.File;
    o.Line = sameLine ? CommentOffsets.Line : 0;
    o.Station = sameStation ? CommentOffsets.Station : 0;
    o.PreviousRecord = sameStation && ReadingCounter != 0 ? CommentOffsets.PreviousRecord : 0;
    return o;
}

// A pair that OK writes over is shown as the file holds it: after a step back to the stored
// station the pending texts are empty, and an OK that did not show the pair would blank it.
void ShowStoredPair(RecordFile* f, int first, int64_t offset, std::string& shown)
{
    std::string stored;
    if (f != nullptr && offset != 0 && ReadCommentRecords(*f, first, offset, stored))
        shown = Shown(stored);
}

}  // namespace

CommentsDialogView CommentsDialogContents(RecordFile* f, double surveyLine, double currentStation)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    CommentsDialogView v;
    v.Labels[CommentsFile] = Label("Comment for File ", DataFileTitle);
    v.Labels[CommentsLine] = Label("Comment for Line ", FormatText("%-11.2f", surveyLine));
    v.Labels[CommentsStation] = Label("Comment for Station ", FormatText("%-11.2f", currentStation));
    v.Labels[CommentsPreviousRecord] = Label("Comment for Record ", FormatText("%3d", ReadingCounter));
    v.Labels[CommentsNextRecord] = Label("Apply Comment to Next Record ", FormatText("%3d", ReadingCounter + 1));
    v.Texts[CommentsFile] = Shown(CommentLines[FileCommentLine]);
    v.Texts[CommentsLine] = Shown(CommentLines[LineCommentLine]);
    v.Texts[CommentsStation] = Shown(CommentLines[StationCommentLine]);
    v.Texts[CommentsPreviousRecord] = Shown(RecordCommentLines[PreviousRecordComment]);
    v.Texts[CommentsNextRecord] = Shown(RecordCommentLines[NextRecordComment]);
    v.PreviousRecordEnabled = ReadingCounter != 0;
    CommentOffsetTable o = RewritablePairs(surveyLine, currentStation);
    ShowStoredPair(f, 1, o.File, v.Texts[CommentsFile]);
    ShowStoredPair(f, 3, o.Line, v.Texts[CommentsLine]);
    ShowStoredPair(f, 5, o.Station, v.Texts[CommentsStation]);
    ShowStoredPair(f, 7, o.PreviousRecord, v.Texts[CommentsPreviousRecord]);
    return v;
}

bool ApplyCommentsDialog(RecordFile* f, const std::string texts[5], double surveyLine, double currentStation)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    CommentLines[FileCommentLine] = Cut(texts[CommentsFile]);
    CommentLines[LineCommentLine] = Cut(texts[CommentsLine]);
    CommentLines[StationCommentLine] = Cut(texts[CommentsStation]);
    RecordCommentLines[PreviousRecordComment] = Cut(texts[CommentsPreviousRecord]);
    RecordCommentLines[NextRecordComment] = Cut(texts[CommentsNextRecord]);
    if (f == nullptr)
        return true;

    CommentOffsetTable o = RewritablePairs(surveyLine, currentStation);
    bool ok = true;
    if (o.File != 0)
        ok = WriteCommentRecords(*f, 1, 1, o.File, CommentLines[FileCommentLine]) && ok;
    if (o.Line != 0)
        ok = WriteCommentRecords(*f, 1, 3, o.Line, CommentLines[LineCommentLine]) && ok;
    if (o.Station != 0)
        ok = WriteCommentRecords(*f, 1, 5, o.Station, CommentLines[StationCommentLine]) && ok;
    if (o.PreviousRecord != 0)
        ok = WriteCommentRecords(*f, 1, 7, o.PreviousRecord, RecordCommentLines[PreviousRecordComment]) && ok;
    ok = f->Flush() && ok;
    return ok;
}

CommentsViewContentsData CommentsViewContents(const WideString& reviewFileTitle, double reviewLineNumber,
                                              double reviewStationNumber, int32_t reviewRecordNumber)
{
    CommentsViewContentsData v;
    v.Labels[ReviewFileComment] = VLOX_WIDE("Comment for File ") + reviewFileTitle;
    TrimTextW(v.Labels[ReviewFileComment], 3);
    v.Labels[ReviewLineComment] = Label("Comment for Line ", FormatText("%-11.2f", reviewLineNumber));
    v.Labels[ReviewStationComment] = Label("Comment for Station ", FormatText("%-11.2f", reviewStationNumber));
    v.Labels[ReviewReadingComment] = Label("Comment for Record ", FormatText("%-6d", reviewRecordNumber));
    for (int i = 0; i < 4; ++i)
        v.Texts[i] = Shown(ReviewComments[i].Text);
    return v;
}

bool ApplyCommentsView(RecordFile* reviewFile, const std::string texts[4])
{
    bool ok = true;
    for (int i = 0; i < 4; ++i) {
        ReviewCommentEntry& c = ReviewComments[i];
        c.Text = Cut(texts[i]);
        std::string trimmed = c.Text;
        TrimText(trimmed, 3);
        c.HasText = trimmed.empty() ? 0 : 1;
        if (reviewFile != nullptr && c.Present && c.Offset != 0)
            ok = WriteCommentRecords(*reviewFile, 1, 2 * i + 1, c.Offset, c.Text) && ok;
    }
    if (reviewFile != nullptr)
        ok = reviewFile->Flush() && ok;
    return ok;
}
