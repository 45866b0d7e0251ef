#include "vlox/datafile/review_reader_win.h"

#include "vlox/datafile/datafile.h"
#include "vlox/settings/settings.h"
#include "vlox/settings/textconv.h"

#include <commdlg.h>

#include <mutex>

HANDLE ReviewFile = INVALID_HANDLE_VALUE;
std::wstring ReviewFilePath;
std::wstring ReviewFileTitle = L"VIEW";
int32_t ReviewFileReadOnly = 0;
int32_t ReviewSource = -1;
ReviewFileDialogFunction ReviewFileDialog = GetOpenFileNameW;

namespace {

// Writing refused by the medium or the file, not by another program holding it.
bool WriteRefused(DWORD error)
{
    return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT || error == ERROR_FILE_READ_ONLY;
}

}  // namespace

HandleFile ReviewRecordFile()
{
    return HandleFile(ReviewFile);
}

int32_t OpenReviewFileAt(const std::wstring& path)
{
    CloseReviewFile();
    ReviewFile = OpenSurveyFile(path, OPEN_EXISTING);
    if (ReviewFile == INVALID_HANDLE_VALUE && WriteRefused(GetLastError())) {
        ReviewFile = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
        ReviewFileReadOnly = ReviewFile != INVALID_HANDLE_VALUE ? 1 : 0;
    }
    if (ReviewFile == INVALID_HANDLE_VALUE)
        return 0;
    ReviewFilePath = path;
    return 1;
}

void CloseReviewFile()
{
    if (ReviewFile != INVALID_HANDLE_VALUE)
        CloseHandle(ReviewFile);
    ReviewFile = INVALID_HANDLE_VALUE;
    ReviewFileReadOnly = 0;
}

int32_t ChooseReviewFile(HWND owner)
{
    wchar_t file[MAX_PATH] = L"";
    wchar_t title[MAX_PATH] = L"";
    const std::wstring initialFolder = Settings.ReviewDirectory;
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = L"V-LOX Files (*.VLX)\0*.VLX\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrFileTitle = title;
    ofn.nMaxFileTitle = MAX_PATH;
    ofn.lpstrInitialDir = initialFolder.c_str();
    ofn.lpstrTitle = L"Open Data File";
    ofn.lpstrDefExt = L"VLX";
    // Only a file that is there: an empty file made from a mistyped name would be left behind.
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!ReviewFileDialog(&ofn))
        return 0;
    if (OpenReviewFileAt(file) == 0)
        return 0;
    ReviewFileTitle = title;
    Settings.ReviewDirectory = std::wstring(file).substr(0, ofn.nFileOffset);
    return 1;
}

void SetDataFileAside()
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    if (DataFile == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(DataFile);
    DataFile = INVALID_HANDLE_VALUE;
    DataFileState = 1;
}

int32_t ReopenDataFileAtEnd()
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    if (DataFile != INVALID_HANDLE_VALUE)
        return 1;
    if (DataFileState == 0 || DataFileWidePath.empty())
        return 0;
    HANDLE h = OpenSurveyFile(DataFileWidePath, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE)
        return 0;
    LARGE_INTEGER zero{};
    SetFilePointerEx(h, zero, nullptr, FILE_END);
    DataFile = h;
    return 1;
}

namespace {

int32_t MessageScopes = 0;
bool MessageTold = false;

}  // namespace

ReviewMessageScope::ReviewMessageScope()
{
    if (MessageScopes++ == 0)
        MessageTold = false;
}

ReviewMessageScope::~ReviewMessageScope()
{
    --MessageScopes;
}

void ReportReviewMessage(const FileMessage& message)
{
    if (message.Text.empty() || (MessageScopes > 0 && MessageTold))
        return;
    MessageTold = MessageScopes > 0;
    DataFileMessageBox(GetActiveWindow(), NarrowToWide(message.Text).c_str(), NarrowToWide(message.Caption).c_str(),
                       MB_OK | MB_ICONERROR);
}
