// Win32 side of the review reader: the file under review, the open dialog that picks it,
// the data file set aside while another file (or it) is reviewed, and the reader's messages.
#pragma once

#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/editheader.h"

#include <windows.h>

#include <cstdint>
#include <string>

// The file under review (INVALID_HANDLE_VALUE when none), its full path and the name shown
// for it (with its extension; "VIEW" before any review).
extern HANDLE ReviewFile;
extern std::wstring ReviewFilePath;
extern std::wstring ReviewFileTitle;
// 1 when the file under review could be opened for reading only (a write-protected card):
// it is reviewed, and the commands that would change it are refused.
extern int32_t ReviewFileReadOnly;
// 0 the current data file, 1 a file chosen from the list, -1 no review.
extern int32_t ReviewSource;

// The review file as a RecordFile.
HandleFile ReviewRecordFile();

// Opens path for review in place of any review file open: for reading and writing, or, where
// writing is refused (a write-protected card or file), for reading only (ReviewFileReadOnly).
// Other programs may read it meanwhile. The file must exist. 1 when open.
int32_t OpenReviewFileAt(const std::wstring& path);
void CloseReviewFile();
// The open dialog "Open Data File" in `ReviewDirectory`; on OK the file is opened and its
// folder becomes `ReviewDirectory`. 1 when a file was chosen and opened.
int32_t ChooseReviewFile(HWND owner);
// How the open dialog is shown: GetOpenFileNameW unless a test answers for it.
using ReviewFileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);
extern ReviewFileDialogFunction ReviewFileDialog;

// The recording data file closed while a review runs (DataFileState 1), and reopened at its
// end afterwards so that storing goes on where it stopped. 1 when open again; 0 when there
// is no current data file (none made, or closed by the operator) or it cannot be opened.
void SetDataFileAside();
int32_t ReopenDataFileAtEnd();

// Shows a reader's message ("File Error") owned by the active window. While a command runs
// (a ReviewMessageScope is open) only its first message is shown: the steps of one selection
// that meet one damaged reading tell it once.
void ReportReviewMessage(const FileMessage& message);
class ReviewMessageScope {
public:
    ReviewMessageScope();
    ~ReviewMessageScope();
    ReviewMessageScope(const ReviewMessageScope&) = delete;
    ReviewMessageScope& operator=(const ReviewMessageScope&) = delete;
};
