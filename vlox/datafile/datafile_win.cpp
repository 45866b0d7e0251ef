#include "vlox/datafile/datafile_win.h"

#include "vlox/datafile/editheader.h"
#include "vlox/datafile/naming.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings_file_win.h"

#include <commdlg.h>

#include <atomic>
#include <mutex>

HANDLE DataFile = INVALID_HANDLE_VALUE;
HANDLE StationIndexFile = INVALID_HANDLE_VALUE;
HANDLE NullingLogFile = INVALID_HANDLE_VALUE;
std::wstring DataFileWidePath;
std::wstring StationIndexFileName;
std::wstring NullingLogFileName;
int32_t DataFileState = 0;

FileMessageBoxFunction DataFileMessageBox = MessageBoxW;
int32_t StoreErrorsPending = 0;
int32_t StationIndexFailureTold = 0;

HANDLE OpenSurveyFile(const std::wstring& path, DWORD creation)
{
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, creation,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

// HandleFile.

int64_t HandleFile::Tell()
{
    LARGE_INTEGER zero{}, pos{};
    if (!SetFilePointerEx(handle_, zero, &pos, FILE_CURRENT))
        return -1;
    return pos.QuadPart;
}

bool HandleFile::Seek(int64_t offset)
{
    if (offset < 0)
        return false;
    LARGE_INTEGER to{};
    to.QuadPart = offset;
    return SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) != 0;
}

size_t HandleFile::Read(char* buffer, size_t n)
{
    size_t total = 0;
    while (total < n) {
        DWORD got = 0;
        if (!ReadFile(handle_, buffer + total, static_cast<DWORD>(n - total), &got, nullptr) || got == 0)
            break;
        total += got;
    }
    return total;
}

bool HandleFile::Write(const char* bytes, size_t n)
{
    DWORD written = 0;
    return WriteFile(handle_, bytes, static_cast<DWORD>(n), &written, nullptr) && written == static_cast<DWORD>(n);
}

bool HandleFile::Flush()
{
    return FlushFileBuffers(handle_) != 0;
}

int64_t HandleFile::Size()
{
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size))
        return -1;
    return size.QuadPart;
}

bool HandleFile::Truncate(int64_t size)
{
    return Seek(size) && SetEndOfFile(handle_) != 0;
}

namespace {

void ShowMessage(HWND owner, const std::string& text, const char* caption, UINT type)
{
    DataFileMessageBox(owner, NarrowToWide(text).c_str(), NarrowToWide(std::string(caption)).c_str(), type);
}

std::wstring WithSeparator(const std::wstring& folder)
{
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/' || folder.back() == L':')
        return folder;
    return folder + L"\\";
}

void CloseHandleVariable(HANDLE& h)
{
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    h = INVALID_HANDLE_VALUE;
}

enum class Creation { Created, Exists, Failed };

// Creates the data file itself; never over an existing file.
Creation OpenNewDataFile(const wchar_t* path, HANDLE& file)
{
    file = OpenSurveyFile(path, CREATE_NEW);
    if (file != INVALID_HANDLE_VALUE)
        return Creation::Created;
    DWORD error = GetLastError();
    return (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) ? Creation::Exists : Creation::Failed;
}

// Never over an existing file: one that appeared since the name was checked is not the
// program's, and its name is forgotten so that the close does not delete it.
HANDLE CreateCompanion(std::wstring& name)
{
    HANDLE file = OpenSurveyFile(name, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE)
        name.clear();
    return file;
}

// The companions of path that exist already, one per line ("" when none).
std::wstring ExistingCompanions(const std::wstring& path)
{
    std::wstring found;
    for (const char* extension : CompanionExtensions) {
        const std::wstring name = CompanionFileName(path, NarrowToWide(std::string(extension)));
        if (GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES)
            found += L"\r\n" + name;
    }
    return found;
}

// The null tables of the current mains frequency in full, then the user-gates table.
void WriteNullingLogAtCreation()
{
    WriteNullingLog(NullTableToLogAll, Settings.PowerLineFrequency);
    std::string out;
    AppendUserGatesNullingTable(out, NullTablesStore, LocalTimeNow());
    AppendToNullingLog(out);
}

HWND StoreErrorTarget();

// Steps after the data file was created at path: companions, names, header, null tables,
// the new default folder. False (file and companions removed again) when the header could
// not be written.
bool FinishDataFile(const std::wstring& path, HANDLE file)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    CloseDataFile(1);
    DataFile = file;
    DataFileWidePath = path;
    DataFilePath = WideToNarrow(path);

    NullingLogFileName = CompanionFileName(path, std::wstring(L"NLG"));
    StationIndexFileName = CompanionFileName(path, std::wstring(L"tmp"));
    // Companions that cannot be created leave the data file as it is.
    NullingLogFile = CreateCompanion(NullingLogFileName);
    StationIndexFile = CreateCompanion(StationIndexFileName);
    if (DataFileInputs.StationIndexChanged)
        DataFileInputs.StationIndexChanged();

    size_t nameAt = FileNameOffset(path);
    DataFileTitle = FileTitleOf(DataFilePath);
    DataFileWideTitle = path.substr(nameAt);
    Settings.DataDirectory = path.substr(0, nameAt);

    StationIndexFailureTold = 0;
    if (DataFileInputs.ClearGpsPositionCount)
        DataFileInputs.ClearGpsPositionCount();
    HandleFile f(DataFile);
    if (!BeginDataFile(f, HeaderFieldsFromSettings(Settings, DataFileTitle), LocalTimeNow())) {
        CloseDataFile(1);
        DeleteFileW(path.c_str());
        if (!NullingLogFileName.empty())
            DeleteFileW(NullingLogFileName.c_str());
        DataFilePath.clear();
        DataFileWidePath.clear();
        return false;
    }
    WriteNullingLogAtCreation();
    SettingsFile(SettingsSave);
    // Made here, on the user-interface thread: the GPS reader's failures are shown through it.
    StoreErrorTarget();
    return true;
}

const ReadingRecordResult* Results(const ReadingRecordResult* (*source)())
{
    return source ? source() : nullptr;
}

// The operator's box for a failed store.
void ShowStoreFailure(StoreResult result)
{
    const char* text = result == StoreResult::NoDataFile ? NoDataFileText : StoreWriteErrorText;
    ShowMessage(GetActiveWindow(), text, FileErrorCaption, MB_OK | MB_ICONERROR);
}

const wchar_t StoreErrorWindowClass[] = L"VLOXSTOREERROR";
// Read by the GPS reader thread.
std::atomic<HWND> StoreErrorWindow{nullptr};

std::atomic<bool> SentenceErrorShowing{false};

LRESULT CALLBACK StoreErrorWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != StoreErrorMessage)
        return DefWindowProcW(window, message, wParam, lParam);
    if (wParam == SentenceWriteFailedReport) {
        ShowMessage(GetActiveWindow(), DataFileWriteErrorText, FileErrorCaption, MB_OK | MB_ICONERROR);
        SentenceErrorShowing = false;
        return 0;
    }
    if (wParam == StationIndexFailedReport) {
        ShowMessage(GetActiveWindow(), StationIndexWriteErrorText, FileErrorCaption, MB_OK | MB_ICONWARNING);
        return 0;
    }
    // Cleared before the box: its own message loop may take the next report.
    if (StoreErrorsPending > 0)
        --StoreErrorsPending;
    ShowStoreFailure(static_cast<StoreResult>(wParam));
    return 0;
}

// The message-only window of the thread that stores; made at the first posted report.
HWND StoreErrorTarget()
{
    if (StoreErrorWindow != nullptr && IsWindow(StoreErrorWindow))
        return StoreErrorWindow;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = StoreErrorWndProc;
    wc.hInstance = instance;
    wc.lpszClassName = StoreErrorWindowClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    StoreErrorWindow =
        CreateWindowExW(0, StoreErrorWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    return StoreErrorWindow;
}

// The station index of a stored reading could not be written: told once for the data file,
// at once or after the caller has returned.
void ReportStationIndexFailure(int32_t report)
{
    if (StationIndexFailureTold)
        return;
    StationIndexFailureTold = 1;
    if (report != StoreReportPosted) {
        ShowMessage(GetActiveWindow(), StationIndexWriteErrorText, FileErrorCaption, MB_OK | MB_ICONWARNING);
        return;
    }
    HWND target = StoreErrorTarget();
    if (target != nullptr)
        PostMessageW(target, StoreErrorMessage, StationIndexFailedReport, 0);
}

// Tells the operator why a store did not happen, at once or after the caller has returned;
// 1 when it did.
int32_t ReportStore(const StoreOutcome& out, int32_t report)
{
    if (out.Result == StoreResult::Stored) {
        if (out.IndexWriteFailed)
            ReportStationIndexFailure(report);
        if (out.NewStation && DataFileInputs.StationIndexChanged)
            DataFileInputs.StationIndexChanged();
        if (out.NewStation && MapLayoutMode == 2 && DataFileInputs.StationMapChanged)
            DataFileInputs.StationMapChanged();
        return 1;
    }
    if (report != StoreReportPosted) {
        ShowStoreFailure(out.Result);
        return 0;
    }
    if (StoreErrorsPending > 0)
        return 0;  // the operator is already being told
    // Without a window to post to the caller's 0 is the only report: never a box here.
    HWND target = StoreErrorTarget();
    if (target != nullptr && PostMessageW(target, StoreErrorMessage, static_cast<WPARAM>(out.Result), 0))
        ++StoreErrorsPending;
    return 0;
}

// Station index lines go to the companion only while the map shows the station map.
RecordFile* StationIndexSink(HandleFile& index)
{
    return (MapLayoutMode == 2 && StationIndexFile != INVALID_HANDLE_VALUE) ? &index : nullptr;
}

}  // namespace

void DefaultDataFileName(HWND, wchar_t* name)
{
    std::wstring folder = WithSeparator(Settings.DataDirectory);
    auto exists = [&](const std::string& candidate) {
        std::wstring full = folder + NarrowToWide(candidate);
        return GetFileAttributesW(full.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    std::wstring offered = NarrowToWide(DefaultDataFileName(LocalTimeNow(), exists));
    lstrcpynW(name, offered.c_str(), MAX_PATH);
}

int32_t CreateDataFile(HWND owner)
{
    wchar_t file[MAX_PATH];
    wchar_t title[MAX_PATH];
    DefaultDataFileName(owner, file);
    for (;;) {
        std::wstring initialFolder = Settings.DataDirectory;
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = owner;
        ofn.lpstrFilter = L"V-LOX Files (*.VLX)\0*.VLX\0";
        ofn.lpstrFile = file;
        ofn.nMaxFile = MAX_PATH;
        ofn.lpstrFileTitle = title;
        ofn.nMaxFileTitle = MAX_PATH;
        ofn.lpstrInitialDir = initialFolder.c_str();
        ofn.lpstrTitle = L"Create Data File";
        ofn.lpstrDefExt = L"VLX";
        ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
        if (!GetSaveFileNameW(&ofn))
            return 0;

        std::wstring path = file;
        std::wstring folder = path.substr(0, ofn.nFileOffset);
        if (folder != Settings.DataDirectory) {
            std::wstring text = L"The default directory for data files is changed to:\r\n" + folder;
            DataFileMessageBox(owner, text.c_str(), L"WARNING", MB_OK | MB_ICONINFORMATION);
        }
        const std::wstring strays = ExistingCompanions(path);
        if (!strays.empty()) {
            const std::wstring text = L"Files of this name are in the folder already:" + strays +
                                      L"\r\nThey are not overwritten. Please enter another name";
            DataFileMessageBox(owner, text.c_str(), L"WARNING", MB_OK | MB_ICONWARNING);
            continue;
        }
        HANDLE handle = INVALID_HANDLE_VALUE;
        switch (OpenNewDataFile(file, handle)) {
        case Creation::Created:
            if (FinishDataFile(path, handle))
                return 1;
            ShowMessage(owner, DataFileWriteErrorText, FileErrorCaption, MB_OK | MB_ICONERROR);
            return 0;
        case Creation::Exists:
            DataFileMessageBox(owner, L"The file already exisits. Please enter another name", L"WARNING",
                               MB_OK | MB_ICONWARNING);
            break;
        case Creation::Failed: {
            // Not an existing file: a read-only card or a missing folder.
            std::wstring text = L"The file cannot be created:\r\n" + path;
            DataFileMessageBox(owner, text.c_str(), L"File Error", MB_OK | MB_ICONERROR);
            break;
        }
        }
    }
}

int32_t CreateDataFileAt(const wchar_t* path)
{
    HANDLE handle = INVALID_HANDLE_VALUE;
    if (!ExistingCompanions(path).empty() || OpenNewDataFile(path, handle) != Creation::Created)
        return 0;
    return FinishDataFile(path, handle) ? 1 : 0;
}

// The store under the lock; the operator is told afterwards, outside it, so that the GPS
// reader is not held up while the message stands.
static StoreOutcome StoreUnderLock(bool dual, bool& nothingToStore)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    nothingToStore = false;
    if (DataFile == INVALID_HANDLE_VALUE)
        return {StoreResult::NoDataFile, false};
    const ReadingRecordResult* rowsA = Results(DataFileInputs.ResultsA);
    const ReadingRecordResult* rowsB = Results(DataFileInputs.ResultsB);
    if (rowsA == nullptr || (dual && rowsB == nullptr)) {
        nothingToStore = true;  // no measurement results to store
        return {StoreResult::NoDataFile, false};
    }
    HandleFile f(DataFile);
    HandleFile index(StationIndexFile);
    ReadingParameters p = ReadingParametersFromSettings(Settings, CurrentStation, NumberOfRecords);
    MeterValues meter = DataFileInputs.Meter ? DataFileInputs.Meter() : MeterValues{};
    if (!dual)
        return StoreReadingTo(&f, StationIndexSink(index), p, GateCount, rowsA, meter, LocalTimeNow);

    DualRepetitionChoice c;
    c.FirstRepetitionChoice = Settings.FirstRepetitionChoice;
    c.SecondRepetitionChoice = Settings.SecondRepetitionChoice;
    c.FirstRepetitionGain = Settings.FirstRepetitionGain;
    c.SecondRepetitionGain = Settings.SecondRepetitionGain;
    StoreOutcome out =
        StoreDualRepetitionReadingTo(&f, StationIndexSink(index), p, c, rowsA, rowsB, meter, LocalTimeNow);
    if (out.Result == StoreResult::Stored)
        ApplyRepetitionToSettings(p, Settings);
    return out;
}

int32_t StoreReading(int32_t report)
{
    bool nothingToStore = false;
    StoreOutcome out = StoreUnderLock(false, nothingToStore);
    return nothingToStore ? 0 : ReportStore(out, report);
}

int32_t StoreDualRepetitionReading(int32_t report)
{
    bool nothingToStore = false;
    StoreOutcome out = StoreUnderLock(true, nothingToStore);
    return nothingToStore ? 0 : ReportStore(out, report);
}

int32_t StoreTextInDataFile(const char* text, uint32_t tick, char firstTag, char continuationTag)
{
    bool ok;
    {
        std::lock_guard<std::recursive_mutex> hold(DataFileLock);
        if (DataFile == INVALID_HANDLE_VALUE)
            return 0;
        HandleFile f(DataFile);
        ok = StoreTextInDataFile(&f, std::string(text), tick, firstTag, continuationTag);
    }
    // The GPS reader calls this: the box is shown by the thread that made the data file, so
    // that the reader goes on reading while it stands. One box at a time, as the reader may
    // fail once a second.
    if (!ok && !SentenceErrorShowing.exchange(true)) {
        HWND target = StoreErrorWindow.load();
        if (target == nullptr || !PostMessageW(target, StoreErrorMessage, SentenceWriteFailedReport, 0))
            SentenceErrorShowing = false;
    }
    return ok ? 1 : 0;
}

void UpdateLoopCentre()
{
    UpdateLoopCentreOf(Settings.SystemConfiguration, Settings.LineDirection, Settings.SurveyLine, CurrentStation,
                       Settings.TxCentreX, Settings.TxCentreY);
}

void CloseDataFile(int32_t closeStationIndex)
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    DataFileState = 0;
    CloseHandleVariable(DataFile);
    CloseHandleVariable(NullingLogFile);
    if (closeStationIndex)
        CloseStationIndexFile();
}

void CloseStationIndexFile()
{
    std::lock_guard<std::recursive_mutex> hold(DataFileLock);
    CloseHandleVariable(StationIndexFile);
    if (DataFileInputs.StationIndexChanged)
        DataFileInputs.StationIndexChanged();
    // The index is a scratch file; the data file is never deleted in its place.
    if (!StationIndexFileName.empty() && !SameFileName(StationIndexFileName, DataFileWidePath))
        DeleteFileW(StationIndexFileName.c_str());
    StationIndexFileName.clear();
}

int32_t AppendToNullingLog(const std::string& text)
{
    if (NullingLogFile == INVALID_HANDLE_VALUE)
        return 0;
    HandleFile f(NullingLogFile);
    return (f.Write(text) && f.Flush()) ? 1 : 0;
}

int32_t WriteNullingLog(int32_t op, int32_t mains)
{
    std::string out;
    AppendNullingTable(out, op, mains, NullTablesStore, NullRateSelected, LocalTimeNow());
    return AppendToNullingLog(out);
}
