#include "vlox/datafile/comments_win.h"

#include "datafile_ids.h"
#include "vlox/datafile/comments.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/editheader.h"
#include "vlox/settings/settings.h"

#include <algorithm>
#include <mutex>

namespace {

const int CommentEdits[5] = {IDC_COMMENT_FILE, IDC_COMMENT_LINE, IDC_COMMENT_STATION, IDC_COMMENT_PREVIOUS_RECORD,
                             IDC_COMMENT_NEXT_RECORD};
const int CommentLabels[5] = {IDC_COMMENT_FILE_LABEL, IDC_COMMENT_LINE_LABEL, IDC_COMMENT_STATION_LABEL,
                              IDC_COMMENT_PREVIOUS_RECORD_LABEL, IDC_COMMENT_NEXT_RECORD_LABEL};
const int ViewEdits[4] = {IDC_VIEW_COMMENT_FILE, IDC_VIEW_COMMENT_LINE, IDC_VIEW_COMMENT_STATION,
                          IDC_VIEW_COMMENT_RECORD};
const int ViewLabels[4] = {IDC_VIEW_COMMENT_FILE_LABEL, IDC_VIEW_COMMENT_LINE_LABEL, IDC_VIEW_COMMENT_STATION_LABEL,
                           IDC_VIEW_COMMENT_RECORD_LABEL};

void ShowFileError(HWND owner, const char* text)
{
    DataFileMessageBox(owner, NarrowToWide(std::string(text)).c_str(), L"File Error", MB_OK | MB_ICONERROR);
}

void SetComment(HWND dialog, int edit, const std::string& text)
{
    SendDlgItemMessageW(dialog, edit, EM_LIMITTEXT, CommentLength, 0);
    SetDlgItemTextW(dialog, edit, NarrowToWide(text).c_str());
}

// An edit's text as stored: at most 112 characters, the low byte of each.
std::string GetComment(HWND dialog, int edit)
{
    wchar_t buffer[CommentLength + 1] = {};
    GetDlgItemTextW(dialog, edit, buffer, CommentLength + 1);
    return WideToNarrow(WideString(buffer));
}

void InitComments(HWND dialog)
{
    CommentsDialogView v;
    {
        std::lock_guard<std::recursive_mutex> hold(DataFileLock);
        HandleFile f(DataFile);
        v = CommentsDialogContents(DataFile != INVALID_HANDLE_VALUE ? &f : nullptr, Settings.SurveyLine,
                                   CurrentStation);
    }
    for (int i = 0; i < 5; ++i) {
        SetDlgItemTextW(dialog, CommentLabels[i], v.Labels[i].c_str());
        SetComment(dialog, CommentEdits[i], v.Texts[i]);
    }
    // No reading stored at this station: there is no record to comment on yet.
    EnableWindow(GetDlgItem(dialog, IDC_COMMENT_PREVIOUS_RECORD_LABEL), v.PreviousRecordEnabled);
    EnableWindow(GetDlgItem(dialog, IDC_COMMENT_PREVIOUS_RECORD), v.PreviousRecordEnabled);
}

void ApplyComments(HWND dialog)
{
    std::string texts[5];
    for (int i = 0; i < 5; ++i)
        texts[i] = GetComment(dialog, CommentEdits[i]);
    bool ok;
    {
        std::lock_guard<std::recursive_mutex> hold(DataFileLock);
        HandleFile f(DataFile);
        ok = ApplyCommentsDialog(DataFile != INVALID_HANDLE_VALUE ? &f : nullptr, texts, Settings.SurveyLine,
                                 CurrentStation);
    }
    if (!ok)
        ShowFileError(dialog, DataFileWriteErrorText);
}

void InitCommentsView(HWND dialog, const CommentsViewRequest& r)
{
    CommentsViewContentsData v =
        CommentsViewContents(r.ReviewFileTitle, r.ReviewLineNumber, r.ReviewStationNumber, r.ReviewRecordNumber);
    for (int i = 0; i < 4; ++i) {
        SetDlgItemTextW(dialog, ViewLabels[i], v.Labels[i].c_str());
        SetComment(dialog, ViewEdits[i], v.Texts[i]);
    }
}

void ApplyCommentsViewDialog(HWND dialog, const CommentsViewRequest& r)
{
    std::string texts[4];
    for (int i = 0; i < 4; ++i)
        texts[i] = GetComment(dialog, ViewEdits[i]);
    if (r.ReadOnly) {
        const CommentsViewContentsData shown =
            CommentsViewContents(r.ReviewFileTitle, r.ReviewLineNumber, r.ReviewStationNumber, r.ReviewRecordNumber);
        if (!std::equal(texts, texts + 4, shown.Texts))
            ShowFileError(dialog, ReadOnlyReviewText);
        return;
    }
    HandleFile f(r.ReviewFile);
    if (!ApplyCommentsView(r.ReviewFile != INVALID_HANDLE_VALUE ? &f : nullptr, texts))
        ShowFileError(dialog, DataFileWriteErrorText);
}

}  // namespace

INT_PTR CALLBACK CommentsDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitComments(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ApplyComments(dialog);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

INT_PTR CALLBACK CommentsViewDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        if (lParam != 0)
            InitCommentsView(dialog, *reinterpret_cast<CommentsViewRequest*>(lParam));
        return TRUE;
    case WM_COMMAND: {
        auto* r = reinterpret_cast<CommentsViewRequest*>(GetWindowLongPtrW(dialog, DWLP_USER));
        switch (LOWORD(wParam)) {
        case IDOK:
            if (r != nullptr)
                ApplyCommentsViewDialog(dialog, *r);
            EndDialog(dialog, 1);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, 0);
            return TRUE;
        }
        break;
    }
    }
    return FALSE;
}

INT_PTR ShowCommentsDialog(HWND owner)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"COMMENTS", owner, CommentsDlgProc, 0);
}

INT_PTR ShowCommentsViewDialog(HWND owner, CommentsViewRequest& request)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), L"COMMENTSVIEW", owner, CommentsViewDlgProc,
                           reinterpret_cast<LPARAM>(&request));
}

void EditHeader(HANDLE reviewFile)
{
    HandleFile f(reviewFile);
    FileMessage m = EditHeaderRecords(f, HeaderEditRequest);
    if (!m.Text.empty())
        DataFileMessageBox(GetActiveWindow(), NarrowToWide(m.Text).c_str(), NarrowToWide(m.Caption).c_str(),
                           MB_OK | MB_ICONEXCLAMATION);
}
