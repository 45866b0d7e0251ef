// The two comment dialogs' contents and their OK: the COMMENTS dialog edits the pending
// comments of the file being recorded, the COMMENTSVIEW dialog the comments of the file
// under review. Both rewrite comment pairs in place (the file length never changes).
#pragma once

#include "vlox/datafile/datafile.h"
#include "vlox/settings/textconv.h"

#include <cstdint>
#include <string>

// Order of the five comments of the COMMENTS dialog.
enum CommentsDialogField {
    CommentsFile = 0,
    CommentsLine = 1,
    CommentsStation = 2,
    CommentsPreviousRecord = 3,
    CommentsNextRecord = 4
};

struct CommentsDialogView {
    WideString Labels[5];
    std::string Texts[5];        // trimmed, narrow
    bool PreviousRecordEnabled;  // a reading was stored at this station
};

// Labels and texts of the COMMENTS dialog for the current line and station. A pair that OK
// writes over is shown with the text f holds there (f: the data file, or nullptr).
CommentsDialogView CommentsDialogContents(RecordFile* f, double surveyLine, double currentStation);

// OK of the COMMENTS dialog: the pending comments take the five texts (at most 112
// characters each); the file pair is written over at its offset, and the line, station
// and previous-record pairs where they belong to the current line, station and reading.
// The next-record comment is kept for the next store. f is the data file (nullptr: none,
// nothing is written). Answers false when a rewrite failed.
bool ApplyCommentsDialog(RecordFile* f, const std::string texts[5], double surveyLine, double currentStation);

// Comments of the file under review, as the review reader finds them: file, line, station
// and reading comment, each with its text, whether it holds text, whether its pair is in
// the file, and the byte offset of the pair.
struct ReviewCommentEntry {
    std::string Text;
    int32_t HasText = 0;
    int32_t Present = 0;
    int64_t Offset = 0;
};
enum ReviewCommentIndex {
    ReviewFileComment = 0,
    ReviewLineComment = 1,
    ReviewStationComment = 2,
    ReviewReadingComment = 3
};
extern ReviewCommentEntry ReviewComments[4];

struct CommentsViewContentsData {
    WideString Labels[4];
    std::string Texts[4];
};

// Labels and texts of the COMMENTSVIEW dialog.
CommentsViewContentsData CommentsViewContents(const WideString& reviewFileTitle, double reviewLineNumber,
                                              double reviewStationNumber, int32_t reviewRecordNumber);

// OK of the COMMENTSVIEW dialog: each text is kept and written over its pair (C1, C3, C5,
// C7) in the review file where the reader found that pair. Answers false when a rewrite
// failed.
bool ApplyCommentsView(RecordFile* reviewFile, const std::string texts[4]);
