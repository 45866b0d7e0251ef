// The comment dialogs (templates COMMENTS and COMMENTSVIEW of resources/datafile.rc) and the
// header edit of a reviewed file, with their messages.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// COMMENTS "Enter Survey Comments": the comments of the file being recorded. Ends with 1
// after OK, 0 after Cancel.
INT_PTR CALLBACK CommentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// What COMMENTSVIEW shows besides the comments the review reader found: passed by pointer as
// the dialog's LPARAM.
struct CommentsViewRequest {
    HANDLE ReviewFile = INVALID_HANDLE_VALUE;
    std::wstring ReviewFileTitle;
    double ReviewLineNumber = 0.0;
    double ReviewStationNumber = 0.0;
    int32_t ReviewRecordNumber = 0;
    // The file is open for reading only: OK writes nothing, and tells why when a comment was
    // changed.
    int32_t ReadOnly = 0;
};

// COMMENTSVIEW "View and Edit Available Comments": the comments of the file under review.
// Ends with 1 after OK, 0 after Cancel.
INT_PTR CALLBACK CommentsViewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The two dialogs, modal, from the program's own resources.
INT_PTR ShowCommentsDialog(HWND owner);
INT_PTR ShowCommentsViewDialog(HWND owner, CommentsViewRequest& request);

// Rewrites the readings of the review file that `HeaderEditRequest` names, and tells the
// operator when nothing was selected or the file is not as expected. The file position is
// the same afterwards.
void EditHeader(HANDLE reviewFile);
