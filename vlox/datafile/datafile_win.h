// Win32 side of the survey data file: the file handles, creation through the save dialog
// (or at a given path), storing readings and GPS sentences into the open file, closing, and
// the operator's messages about them.
#pragma once

#include "vlox/datafile/fileio.h"
#include "vlox/datafile/store.h"

#include <windows.h>

#include <cstdint>
#include <string>

// Handles of the data file and its companions; INVALID_HANDLE_VALUE when closed.
extern HANDLE DataFile;
extern HANDLE StationIndexFile;
extern HANDLE NullingLogFile;
// Full names: the data file (wide, as chosen) and the companions (the station index is
// deleted when the data file is closed).
extern std::wstring DataFileWidePath;
extern std::wstring StationIndexFileName;
extern std::wstring NullingLogFileName;
// 0 no current data file (none made, or closed), 1 a current data file (set aside while
// another file is reviewed), 2 a file is under review. Only a current file is ever reopened.
extern int32_t DataFileState;

// Opens a survey file or a companion for reading and writing (creation: CREATE_NEW or
// OPEN_EXISTING). Other programs may read it meanwhile (a converter exports the survey being
// recorded); none may write or delete it.
HANDLE OpenSurveyFile(const std::wstring& path, DWORD creation);

// A RecordFile over a Win32 file handle (read, write, seek, flush, truncate).
class HandleFile : public RecordFile {
public:
    explicit HandleFile(HANDLE h) : handle_(h) {}
    int64_t Tell() override;
    bool Seek(int64_t offset) override;
    size_t Read(char* buffer, size_t n) override;
    bool Write(const char* bytes, size_t n) override;
    bool Flush() override;
    int64_t Size() override;
    bool Truncate(int64_t size) override;
    using RecordFile::Write;

private:
    HANDLE handle_;
};

// Shows the operator a message; MessageBoxW unless a test puts its own recorder here.
using FileMessageBoxFunction = int(WINAPI*)(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);
extern FileMessageBoxFunction DataFileMessageBox;

// Fills name (260 characters) with the default name of a new data file in `DataDirectory`:
// the date, "_" and the first counter whose file and companions do not exist, without
// extension.
void DefaultDataFileName(HWND owner, wchar_t* name);

// The save dialog "Create Data File", then the new file with its companions. A name whose
// file or companions exist is refused with a message and asked again. Returns 1 when a file
// was created, 0 when the user cancelled.
int32_t CreateDataFile(HWND owner);

// Everything CreateDataFile does after the dialog, at a path given (tests, scripts): the
// file is created (never over an existing one), its companions, header and null tables
// written, the data folder taken as the new default and the settings saved. Returns 1 when
// created, 0 when the file or one of its companions exists or it cannot be created (no
// message shown).
int32_t CreateDataFileAt(const wchar_t* path);

// How a store tells the operator that it failed: with the box at once (the Store command),
// or with the box posted to be shown once the caller has returned (the measurement cycle,
// where a modal box would run a nested message loop that re-enters the cycle).
constexpr int32_t StoreReportAtOnce = 0;
constexpr int32_t StoreReportPosted = 1;

// Stores the current reading (one rate), or the two-frequency reading, from the results
// the measurement left. Returns 1 when stored; 0 when refused (no data file) or when a
// write failed, after telling the operator ("File Error") as report says: nothing is then
// counted. A station index line that cannot be written leaves the reading stored; the
// operator is told so, as report says, the first time for the data file.
int32_t StoreReading(int32_t report = StoreReportAtOnce);
int32_t StoreDualRepetitionReading(int32_t report = StoreReportAtOnce);

// The message that carries a posted store failure to the data file's message-only window
// (wParam: the StoreResult), and the number of posted reports not yet shown (one at most:
// a failing automatic store does not pile up boxes).
constexpr UINT StoreErrorMessage = WM_APP + 0x2A1;
// Its wParam for a failed GPS sentence write and for a failed station index line (the others
// are a StoreResult).
constexpr WPARAM SentenceWriteFailedReport = 100;
constexpr WPARAM StationIndexFailedReport = 101;
extern int32_t StoreErrorsPending;
// The operator has been told that the station index of the current data file could not be
// written: once per data file, the readings go on being stored.
extern int32_t StationIndexFailureTold;

// Appends a GPS sentence (tags '@' and '#') or a placeholder text (tags '?' and '"') to the
// open data file with its tick. Returns 1 when written; 0 with no data file (silently) or
// after a failed write, which is posted to the thread that created the data file and shown
// there (once while the message is up); the caller is never held by a box. Any thread.
int32_t StoreTextInDataFile(const char* text, uint32_t tick, char firstTag, char continuationTag);

// Moves the loop centre with the receiver after a station or line step (settings).
void UpdateLoopCentre();

// Closes the data file and the null-table log; with closeStationIndex also closes the
// station index file and deletes it (never the data file itself). The file is no longer the
// current one (DataFileState 0): nothing reopens it.
void CloseDataFile(int32_t closeStationIndex);
// Closes and deletes the station index file (program end).
void CloseStationIndexFile();

// Appends text (null-table records) to the open NLG file; 1 when written.
int32_t AppendToNullingLog(const std::string& text);
// Appends the standard null-table block of one mains setting to the open NLG file: op 1 the
// slots of the rates just nulled (`NullRateSelected`), op 2 all 12 slots. 1 when written;
// 0 with no data file open.
int32_t WriteNullingLog(int32_t op, int32_t mains);
