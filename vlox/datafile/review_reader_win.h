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
// 0 no current data file, 1 a current data file set aside, 2 a file is under review.
extern int32_t DataFileState;
// 0 the current data file, 1 a file chosen from the list, -1 no review.
extern int32_t ReviewSource;

// The review file as a RecordFile.
HandleFile ReviewRecordFile();

// Opens path for review (reading and writing, no sharing; the file must exist) in place of
// any review file open. 1 when open.
int32_t OpenReviewFileAt(const std::wstring& path);
void CloseReviewFile();
// The open dialog "Open Data File" in `ReviewDirectory`; on OK the file is opened and its
// folder becomes `ReviewDirectory`. 1 when a file was chosen and opened.
int32_t ChooseReviewFile(HWND owner);
// How the open dialog is shown: GetOpenFileNameW unless a test answers for it.
using ReviewFileDialogFunction = BOOL(WINAPI*)(LPOPENFILENAMEW);
extern ReviewFileDialogFunction ReviewFileDialog;

// The recording data file closed while a review runs (DataFileState 1), and reopened at its
// end afterwards so that storing goes on where it stopped. 1 when open again.
void SetDataFileAside();
int32_t ReopenDataFileAtEnd();

// Shows a reader's message ("File Error") owned by the active window.
void ReportReviewMessage(const FileMessage& message);
