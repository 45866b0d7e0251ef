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

} // namespace

CommentsDialogView CommentsDialogContents(double surveyLine, double currentStation)
{
    CommentsDialogView v;
    v.Labels[CommentsFile] = Label("Comment for File ", DataFileTitle);
    v.Labels[CommentsLine] = Label("Comment for Line ", FormatText("%-11.2f", surveyLine));
    v.Labels[CommentsStation] =
        Label("Comment for Station ", FormatText("%-11.2f", currentStation));
    v.Labels[CommentsPreviousRecord] =
        Label("Comment for Record ", FormatText("%3d", ReadingCounter));
    v.Labels[CommentsNextRecord] =
        Label("Apply Comment to Next Record ", FormatText("%3d", ReadingCounter + 1));
    v.Texts[CommentsFile] = Shown(CommentLines[FileCommentLine]);
    v.Texts[CommentsLine] = Shown(CommentLines[LineCommentLine]);
    v.Texts[CommentsStation] = Shown(CommentLines[StationCommentLine]);
    v.Texts[CommentsPreviousRecord] = Shown(RecordCommentLines[PreviousRecordComment]);
    v.Texts[CommentsNextRecord] = Shown(RecordCommentLines[NextRecordComment]);
    v.PreviousRecordEnabled = ReadingCounter != 0;
    return v;
}

bool ApplyCommentsDialog(RecordFile* f, const std::string texts[5], double surveyLine,
                         double currentStation)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    CommentLines[FileCommentLine] = Cut(texts[CommentsFile]);
    CommentLines[LineCommentLine] = Cut(texts[CommentsLine]);
    CommentLines[StationCommentLine] = Cut(texts[CommentsStation]);
    RecordCommentLines[PreviousRecordComment] = Cut(texts[CommentsPreviousRecord]);
    RecordCommentLines[NextRecordComment] = Cut(texts[CommentsNextRecord]);
    if (f == nullptr)
        return true;

    // A pair is written over only while it still belongs to what the dialog names: the
    // line and station last stored, and a reading stored at this station.
    bool sameLine = surveyLine == LastStoredLine;
    bool sameStation = sameLine && currentStation == LastStoredStation;
    bool ok = true;
    if (CommentOffsets.File != 0)
        ok = WriteCommentRecords(*f, 1, 1, CommentOffsets.File,
                                 CommentLines[FileCommentLine]) && ok;
    if (CommentOffsets.Line != 0 && sameLine)
        ok = WriteCommentRecords(*f, 1, 3, CommentOffsets.Line,
                                 CommentLines[LineCommentLine]) && ok;
    if (CommentOffsets.Station != 0 && sameStation)
        ok = WriteCommentRecords(*f, 1, 5, CommentOffsets.Station,
                                 CommentLines[StationCommentLine]) && ok;
    if (CommentOffsets.PreviousRecord != 0 && ReadingCounter != 0)
        ok = WriteCommentRecords(*f, 1, 7, CommentOffsets.PreviousRecord,
                                 RecordCommentLines[PreviousRecordComment]) && ok;
    ok = f->Flush() && ok;
    return ok;
}

CommentsViewContentsData CommentsViewContents(const WideString& reviewFileTitle,
                                              double reviewLineNumber,
                                              double reviewStationNumber,
                                              int32_t reviewRecordNumber)
{
    CommentsViewContentsData v;
    v.Labels[ReviewFileComment] = VLOX_WIDE("Comment for File ") + reviewFileTitle;
    TrimTextW(v.Labels[ReviewFileComment], 3);
    v.Labels[ReviewLineComment] =
        Label("Comment for Line ", FormatText("%-11.2f", reviewLineNumber));
    v.Labels[ReviewStationComment] =
        Label("Comment for Station ", FormatText("%-11.2f", reviewStationNumber));
    v.Labels[ReviewReadingComment] =
        Label("Comment for Record ", FormatText("%-6d", reviewRecordNumber));
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
