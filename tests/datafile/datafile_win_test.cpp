// The data file on a real Windows file system (under Wine): created in C:\Vlox_Data\ with
// its companions, readings and sentences appended, comments and header edited through the
// Win32 entry points, then closed.
#include "vlox/datafile/comments.h"
#include "vlox/datafile/comments_win.h"
#include "vlox/datafile/datafile_win.h"
#include "vlox/datafile/editheader.h"
#include "vlox/datafile/naming.h"
#include "vlox/datafile/review_reader_win.h"
#include "vlox/datafile/store_inputs.h"
#include "vlox/settings/settings.h"

#include "datafile_ids.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <thread>
#include <vector>

namespace {

ReadingRecordResult Rows[4];

const ReadingRecordResult* TestResults()
{
    return Rows;
}

std::vector<std::wstring> Messages;

int WINAPI RecordMessage(HWND, const wchar_t* text, const wchar_t* caption, UINT)
{
    Messages.push_back(std::wstring(caption) + L": " + text);
    return IDOK;
}

std::string ReadAll(const std::wstring& path)
{
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return "<missing>";
    std::string bytes;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
        bytes.append(buf, got);
    CloseHandle(h);
    return bytes;
}

// The whole content of a file still open here (the companions are not shared).
std::string ReadThrough(HANDLE h)
{
    HandleFile f(h);
    int64_t back = f.Tell();
    std::string bytes(static_cast<size_t>(f.Size()), '\0');
    f.Seek(0);
    bytes.resize(f.Read(bytes.data(), bytes.size()));
    f.Seek(back);
    return bytes;
}

bool Exists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> Tags(const std::string& bytes)
{
    std::vector<std::string> tags;
    EXPECT_EQ(bytes.size() % 60, 0u);
    for (size_t at = 0; at + 60 <= bytes.size(); at += 60) {
        EXPECT_EQ(bytes.substr(at + 58, 2), "\r\n");
        std::string t = bytes.substr(at, 2);
        if (t[0] == '@' || t[0] == '#' || t[0] == '!' || t[0] == '?' || t[0] == '"')
            t.resize(1);
        tags.push_back(t);
    }
    return tags;
}

class DataFileWin : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateDirectoryW(L"C:\\Vlox_Data", nullptr);
        DataFileMessageBox = RecordMessage;
        Messages.clear();
        ResetDataFileState();
        Settings = SettingsValues{};
        CurrentStation = 0.0;
        NumberOfRecords = 1;
        GateCount = 30;
        MapLayoutMode = 2;
        DataFileInputs = DataFileSources{};
        DataFileInputs.ResultsA = TestResults;
        DataFileInputs.ResultsB = TestResults;
        for (int k = 0; k < 4; ++k) {
            Rows[k].Tick = 100u * k;
            for (int g = 0; g < 101; ++g)
                Rows[k].GateRow[g] = (k * 1000 + g) * 1e-9;
        }
    }
    void TearDown() override
    {
        CloseDataFile(1);
        DataFileMessageBox = MessageBoxW;
    }
};

const std::vector<std::string> ReadingTags{"W1", "T1", "P1", "P2", "R1", "R2", "V1", "V2", "V3",
                                           "V4", "V5", "V6", "V7", "V8", "C7", "C8", "Z1"};

}  // namespace

TEST_F(DataFileWin, CreateStoreAndCloseInTheDataFolder)
{
    const std::wstring path = L"C:\\Vlox_Data\\20261207_000.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    EXPECT_NE(DataFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileTitle, "20261207_000");
    EXPECT_EQ(DataFileWideTitle, L"20261207_000.VLX");
    EXPECT_EQ(Settings.DataDirectory, L"C:\\Vlox_Data\\");
    EXPECT_EQ(StationIndexFileName, L"C:\\Vlox_Data\\20261207_000.tmp");
    EXPECT_TRUE(Exists(L"C:\\Vlox_Data\\20261207_000.tmp"));
    // The null tables of the current mains frequency in full (609 records) and the
    // user-gates table (7 headers of 40 gates in 10 records each).
    std::string nlg = ReadThrough(NullingLogFile);
    EXPECT_EQ(nlg.size(), (609u + 7u * 11u) * 60u);
    EXPECT_EQ(nlg.substr(0, 7), "N0 160 ");

    ASSERT_EQ(StoreReading(), 1);
    ASSERT_EQ(StoreTextInDataFile("$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B", 4711, '@', '#'),
              1);
    ASSERT_EQ(StoreTextInDataFile("GSA not avaiable", 4712, '?', '"'), 1);
    CurrentStation = 5.0;
    ASSERT_EQ(StoreReading(), 1);
    EXPECT_TRUE(Messages.empty());

    std::string index = ReadThrough(StationIndexFile);
    EXPECT_EQ(index, "         0.000          0.000 0\r\n         0.000          5.000 0\r\n");

    std::wstring tmp = StationIndexFileName;
    CloseDataFile(1);
    EXPECT_EQ(DataFile, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Exists(tmp));
    EXPECT_TRUE(Exists(L"C:\\Vlox_Data\\20261207_000.NLG"));

    std::string bytes = ReadAll(path);
    std::vector<std::string> expected{"H1", "H2", "H3", "C1", "C2", "L1", "C3", "C4", "S1", "C5", "C6"};
    expected.insert(expected.end(), ReadingTags.begin(), ReadingTags.end());
    expected.insert(expected.end(), {"@", "#", "!", "?", "!", "S1", "C5", "C6"});
    expected.insert(expected.end(), ReadingTags.begin(), ReadingTags.end());
    EXPECT_EQ(Tags(bytes), expected);
    EXPECT_EQ(bytes.substr(60 + 24, 12), "20261207_000");
    EXPECT_EQ(bytes.substr(30 * 60 + 48, 10), "      4711");

    // The name is taken: a second creation there is refused.
    EXPECT_EQ(CreateDataFileAt(path.c_str()), 0);
    EXPECT_EQ(ReadAll(path), bytes);
}

TEST_F(DataFileWin, DefaultNamesCountUpInTheDataFolder)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t prefix[16];
    wsprintfW(prefix, L"%04d%02d%02d_", st.wYear, st.wMonth, st.wDay);
    for (int i = 0; i < 3; ++i) {
        wchar_t n[64];
        wsprintfW(n, L"C:\\Vlox_Data\\%s%03d.VLX", prefix, i);
        DeleteFileW(n);
    }
    wchar_t name[MAX_PATH];
    DefaultDataFileName(nullptr, name);
    EXPECT_EQ(std::wstring(name), std::wstring(prefix) + L"000");
    ASSERT_EQ(CreateDataFileAt((L"C:\\Vlox_Data\\" + std::wstring(name) + L".VLX").c_str()), 1);
    CloseDataFile(1);
    DefaultDataFileName(nullptr, name);
    EXPECT_EQ(std::wstring(name), std::wstring(prefix) + L"001");
}

// A data file named like its own station index keeps its data when it is closed.
TEST_F(DataFileWin, DataFileNamedTmpIsNotDeletedAtClose)
{
    const std::wstring path = L"C:\\Vlox_Data\\x.tmp";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    EXPECT_EQ(StationIndexFileName, L"C:\\Vlox_Data\\x.tmp.tmp");
    ASSERT_EQ(StoreReading(), 1);
    CloseDataFile(1);
    std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.size(), (11u + ReadingTags.size()) * 60u);
    EXPECT_FALSE(Exists(L"C:\\Vlox_Data\\x.tmp.tmp"));
    EXPECT_TRUE(Exists(L"C:\\Vlox_Data\\x.NLG"));
}

TEST_F(DataFileWin, StoringWithoutAFileIsRefusedWithAMessage)
{
    EXPECT_EQ(StoreReading(), 0);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(NoDataFileText)));
    EXPECT_EQ(ReadingCounter, 0);
    EXPECT_EQ(StoreTextInDataFile("$GPGGA", 1, '@', '#'), 0);
    EXPECT_EQ(Messages.size(), 1u);  // the GPS reader's sentences are dropped silently
}

TEST_F(DataFileWin, TwoFrequencyStoreLeavesTheSettingsAtTheSecondRate)
{
    const std::wstring path = L"C:\\Vlox_Data\\dual.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    Settings.TwoFrequencyMode = 1;
    Settings.FirstRepetitionChoice = 9;
    Settings.SecondRepetitionChoice = 2;
    ASSERT_EQ(StoreDualRepetitionReading(), 1);
    EXPECT_EQ(Settings.RepRateIndex, 2);
    EXPECT_EQ(Settings.GateSet, 0);
    EXPECT_EQ(Settings.GainZ, 5);
    EXPECT_EQ(RepetitionRate, 30.0);
    EXPECT_EQ(ReadingCounter, 2);
}

TEST_F(DataFileWin, CommentsDialogRewritesThePairsInPlace)
{
    const std::wstring path = L"C:\\Vlox_Data\\comments.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_EQ(StoreReading(), 1);
    int64_t length = HandleFile(DataFile).Size();

    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), L"COMMENTS", nullptr, CommentsDlgProc, 0);
    ASSERT_NE(dialog, nullptr);
    wchar_t label[128];
    GetDlgItemTextW(dialog, IDC_COMMENT_PREVIOUS_RECORD_LABEL, label, 128);
    EXPECT_EQ(std::wstring(label), L"Comment for Record   1");
    GetDlgItemTextW(dialog, IDC_COMMENT_FILE_LABEL, label, 128);
    EXPECT_EQ(std::wstring(label), L"Comment for File comments");
    SetDlgItemTextW(dialog, IDC_COMMENT_FILE, L"North block");
    SetDlgItemTextW(dialog, IDC_COMMENT_STATION, L"Fence 20 m east");
    SetDlgItemTextW(dialog, IDC_COMMENT_PREVIOUS_RECORD, std::wstring(150, L'r').c_str());
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    DestroyWindow(dialog);

    EXPECT_EQ(HandleFile(DataFile).Size(), length);
    EXPECT_EQ(HandleFile(DataFile).Tell(), length);
    CloseDataFile(1);
    std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.substr(180, 13), "C1North block");
    EXPECT_EQ(bytes.substr(540, 17), "C5Fence 20 m east");
    // The edit holds 112 characters at most.
    EXPECT_EQ(bytes.substr(25 * 60, 60), "C7" + std::string(56, 'r') + "\r\n");
    EXPECT_EQ(bytes.substr(26 * 60, 60), "C8" + std::string(56, 'r') + "\r\n");
}

TEST_F(DataFileWin, ReviewCommentsAndHeaderEditOnAnOpenFile)
{
    const std::wstring path = L"C:\\Vlox_Data\\review.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_EQ(StoreReading(), 1);
    CloseDataFile(1);

    HANDLE review = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(review, INVALID_HANDLE_VALUE);
    ReviewComments[ReviewFileComment] = {"", 0, 1, 180};
    ReviewComments[ReviewReadingComment] = {"", 0, 1, 25 * 60};
    CommentsViewRequest request;
    request.ReviewFile = review;
    request.ReviewFileTitle = L"review.VLX";
    request.ReviewRecordNumber = 1;
    HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), L"COMMENTSVIEW", nullptr, CommentsViewDlgProc,
                                     reinterpret_cast<LPARAM>(&request));
    ASSERT_NE(dialog, nullptr);
    wchar_t label[128];
    GetDlgItemTextW(dialog, IDC_VIEW_COMMENT_FILE_LABEL, label, 128);
    EXPECT_EQ(std::wstring(label), L"Comment for File review.VLX");
    SetDlgItemTextW(dialog, IDC_VIEW_COMMENT_RECORD, L"repeat");
    SetDlgItemTextW(dialog, IDC_VIEW_COMMENT_STATION, L"no pair in the file");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    DestroyWindow(dialog);

    // Edit the reading last read: its end is the file end.
    HandleFile f(review);
    f.Seek(f.Size());
    HeaderEditRequest = HeaderEditRequestData{};
    EditHeader(review);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"Edit Header: Nothing selected for edit");
    HeaderEditRequest.UpdateCurrent = 1;
    HeaderEditRequest.TxCurrent = 7.25;
    HeaderEditRequest.ChangePolarity = 1;
    EditHeader(review);
    EXPECT_EQ(Messages.size(), 1u);
    EXPECT_EQ(f.Tell(), f.Size());
    CloseHandle(review);
    ReviewComments[ReviewFileComment] = {};
    ReviewComments[ReviewReadingComment] = {};

    std::string bytes = ReadAll(path);
    EXPECT_EQ(bytes.size(), 28u * 60u);
    EXPECT_EQ(bytes.substr(25 * 60, 8), "C7repeat");
    EXPECT_EQ(bytes.substr(9 * 60, 60), "C5" + std::string(56, ' ') + "\r\n");
    EXPECT_EQ(bytes.substr(12 * 60 + 2, 14), "         7.250");
    EXPECT_EQ(bytes.substr(17 * 60 + 2, 14), "      -1000.00");
}

namespace {

// Drives the save dialog from a thread timer that its modal loop dispatches: each step runs
// once the dialog is up, in order.
enum class DialogStep { Accept, AcceptOtherFolder, Cancel };
std::vector<DialogStep> DialogScript;
size_t DialogStepsDone = 0;
std::wstring FileToMakeExist;

void CALLBACK DriveSaveDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = FindWindowW(L"#32770", L"Create Data File");
    if (dialog == nullptr || !IsWindowVisible(dialog) || DialogStepsDone >= DialogScript.size())
        return;
    DialogStep step = DialogScript[DialogStepsDone++];
    if (!FileToMakeExist.empty()) {
        // The name offered is taken by someone else while the dialog is up.
        HANDLE h = CreateFileW(FileToMakeExist.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
        FileToMakeExist.clear();
    }
    if (step == DialogStep::AcceptOtherFolder)
        SendMessageW(dialog, CDM_SETCONTROLTEXT, 0x47c, reinterpret_cast<LPARAM>(L"C:\\Vlox_Other\\chosen.VLX"));
    int button = step == DialogStep::Cancel ? IDCANCEL : IDOK;
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, button)));
}

int32_t CreateThroughDialog(std::vector<DialogStep> script)
{
    DialogScript = std::move(script);
    DialogStepsDone = 0;
    UINT_PTR timer = SetTimer(nullptr, 0, 50, DriveSaveDialog);
    int32_t result = CreateDataFile(nullptr);
    KillTimer(nullptr, timer);
    return result;
}

std::wstring TodaysName(int counter)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t n[64];
    wsprintfW(n, L"%04d%02d%02d_%03d.VLX", st.wYear, st.wMonth, st.wDay, counter);
    return n;
}

}  // namespace

TEST_F(DataFileWin, SaveDialogCreatesUnderTheDefaultName)
{
    CreateDirectoryW(L"C:\\Vlox_Dialog", nullptr);
    Settings.DataDirectory = L"C:\\Vlox_Dialog\\";
    ASSERT_EQ(CreateThroughDialog({DialogStep::Accept}), 1);
    // The dialog adds the extension (Wine writes it in lower case).
    EXPECT_TRUE(SameFileName(DataFileWidePath, L"C:\\Vlox_Dialog\\" + TodaysName(0))) << WideToNarrow(DataFileWidePath);
    EXPECT_TRUE(Messages.empty());
    CloseDataFile(1);
    EXPECT_EQ(ReadAll(L"C:\\Vlox_Dialog\\" + TodaysName(0)).size(), 5u * 60u);

    EXPECT_EQ(CreateThroughDialog({DialogStep::Cancel}), 0);
    EXPECT_EQ(DataFile, INVALID_HANDLE_VALUE);
}

TEST_F(DataFileWin, SaveDialogRefusesAnExistingNameAndAsksAgain)
{
    CreateDirectoryW(L"C:\\Vlox_Taken", nullptr);
    Settings.DataDirectory = L"C:\\Vlox_Taken\\";
    FileToMakeExist = L"C:\\Vlox_Taken\\" + TodaysName(0);
    EXPECT_EQ(CreateThroughDialog({DialogStep::Accept, DialogStep::Cancel}), 0);
    EXPECT_EQ(DialogStepsDone, 2u);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"WARNING: The file already exisits. Please enter another name");
    EXPECT_EQ(ReadAll(L"C:\\Vlox_Taken\\" + TodaysName(0)), "");
}

TEST_F(DataFileWin, SaveDialogInAnotherFolderMakesItTheDefault)
{
    CreateDirectoryW(L"C:\\Vlox_Other", nullptr);
    DeleteFileW(L"C:\\Vlox_Other\\chosen.VLX");
    ASSERT_EQ(CreateThroughDialog({DialogStep::AcceptOtherFolder}), 1);
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"WARNING: The default directory for data files is changed to:\r\nC:\\Vlox_Other\\");
    EXPECT_EQ(Settings.DataDirectory, L"C:\\Vlox_Other\\");
    EXPECT_EQ(DataFileTitle, "chosen");
}

namespace {

// Runs the messages posted to this thread, as the main loop would after the cycle returns.
void PumpPostedMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

// Pins: the cycle's automatic store must not open a modal box (its message loop re-enters the
// cycle); the same "File Error" box follows once the caller has returned, and only one while
// it is pending however often the store fails.
TEST_F(DataFileWin, StoreFromTheCycleReportsAfterItReturns)
{
    PumpPostedMessages();
    StoreErrorsPending = 0;
    EXPECT_EQ(StoreReading(StoreReportPosted), 0);
    EXPECT_EQ(StoreReading(StoreReportPosted), 0);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(StoreErrorsPending, 1);
    EXPECT_EQ(ReadingCounter, 0);
    PumpPostedMessages();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(NoDataFileText)));
    EXPECT_EQ(StoreErrorsPending, 0);
}

TEST_F(DataFileWin, FailedWriteFromTheCycleIsCutBackAndReportedLater)
{
    const std::wstring path = L"C:\\Vlox_Data\\cyclefail.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_EQ(StoreReading(), 1);
    const int32_t counted = ReadingCounter;
    // A file that cannot be written in its place: every write of the store fails.
    const std::wstring readOnly = L"C:\\Vlox_Data\\cyclefail.ro";
    HANDLE made = CreateFileW(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    HandleFile(made).Write(std::string(120, 'x'));
    CloseHandle(made);
    HANDLE writable = DataFile;
    DataFile = CreateFileW(readOnly.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(DataFile, INVALID_HANDLE_VALUE);
    HandleFile(DataFile).Seek(120);
    PumpPostedMessages();
    StoreErrorsPending = 0;
    Messages.clear();
    EXPECT_EQ(StoreReading(StoreReportPosted), 0);
    EXPECT_TRUE(Messages.empty());
    EXPECT_EQ(ReadingCounter, counted);
    CloseHandle(DataFile);
    DataFile = writable;
    EXPECT_EQ(ReadAll(readOnly), std::string(120, 'x'));
    PumpPostedMessages();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(StoreWriteErrorText)));
    // The Store command still shows its box at once.
    Messages.clear();
    CloseDataFile(1);
    EXPECT_EQ(StoreReading(), 0);
    EXPECT_EQ(Messages.size(), 1u);
}

// Pins: files named like the companions of a new data file, which the program did not make,
// are neither truncated nor deleted: the name is refused and the default name passes over it.
TEST_F(DataFileWin, StrayCompanionsAreNeverTouched)
{
    SYSTEMTIME st;
    GetLocalTime(&st);
    wchar_t first[64];
    wsprintfW(first, L"%04d%02d%02d_000", st.wYear, st.wMonth, st.wDay);
    const std::wstring stem = L"C:\\Vlox_Data\\" + std::wstring(first);
    for (const wchar_t* ext : {L".VLX", L".tmp", L".NLG"})
        DeleteFileW((stem + ext).c_str());
    DeleteFileW(L"C:\\Vlox_Data\\stray.VLX");
    const std::string strayText = "not V-LOX's\r\n";
    for (const std::wstring& stray :
         {std::wstring(L"C:\\Vlox_Data\\stray.tmp"), std::wstring(L"C:\\Vlox_Data\\stray.nlg"), stem + L".tmp"}) {
        HANDLE f = CreateFileW(stray.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        HandleFile(f).Write(strayText);
        CloseHandle(f);
    }
    EXPECT_EQ(CreateDataFileAt(L"C:\\Vlox_Data\\stray.VLX"), 0);
    EXPECT_FALSE(Exists(L"C:\\Vlox_Data\\stray.VLX"));
    wchar_t name[MAX_PATH];
    DefaultDataFileName(nullptr, name);
    EXPECT_NE(std::wstring(name), std::wstring(first));
    CloseDataFile(1);
    EXPECT_EQ(ReadAll(L"C:\\Vlox_Data\\stray.tmp"), strayText);
    EXPECT_EQ(ReadAll(L"C:\\Vlox_Data\\stray.nlg"), strayText);
    EXPECT_EQ(ReadAll(stem + L".tmp"), strayText);
}

// Pins: a sentence that cannot be written shows no box on the GPS reader's thread (which would
// stop GPS input until OK is pressed): the reader goes on, and one "File Error" box follows on
// the thread that created the data file, however often the write fails meanwhile.
TEST_F(DataFileWin, FailedSentenceWriteIsShownOnTheCreatingThread)
{
    const std::wstring path = L"C:\\Vlox_Data\\gpsfail.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    PumpPostedMessages();
    // A file that cannot be written in its place: every write fails.
    const std::wstring readOnly = L"C:\\Vlox_Data\\gpsfail.ro";
    HANDLE made = CreateFileW(readOnly.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    HandleFile(made).Write(std::string(120, 'x'));
    CloseHandle(made);
    HANDLE writable = DataFile;
    DataFile = CreateFileW(readOnly.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(DataFile, INVALID_HANDLE_VALUE);
    HandleFile(DataFile).Seek(120);
    int32_t results[3] = {1, 1, 1};
    std::thread reader([&] {
        for (int32_t& r : results)
            r = StoreTextInDataFile("$GPGGA,101500,4530.000,N", 7, '@', '#');
    });
    reader.join();
    EXPECT_EQ(results[0] + results[1] + results[2], 0);
    EXPECT_TRUE(Messages.empty());
    CloseHandle(DataFile);
    DataFile = writable;
    PumpPostedMessages();
    ASSERT_EQ(Messages.size(), 1u);
    EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(DataFileWriteErrorText)));
    EXPECT_EQ(ReadAll(readOnly), std::string(120, 'x'));
}

// Pins: a data file closed by the operator is never opened again (a review ending reopened it
// and the next readings went into it); a file only set aside for a review is.
TEST_F(DataFileWin, OnlyACurrentFileIsReopenedAfterAReview)
{
    const std::wstring path = L"C:\\Vlox_Data\\reopen.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    SetDataFileAside();
    EXPECT_EQ(DataFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DataFileState, 1);
    ASSERT_EQ(ReopenDataFileAtEnd(), 1);
    EXPECT_EQ(HandleFile(DataFile).Tell(), HandleFile(DataFile).Size());

    CloseDataFile(1);
    EXPECT_EQ(DataFileState, 0);
    EXPECT_EQ(ReopenDataFileAtEnd(), 0);
    EXPECT_EQ(DataFile, INVALID_HANDLE_VALUE);
    EXPECT_EQ(StoreReading(), 0);
    EXPECT_EQ(ReadAll(path).size(), 5u * 60u);
}

// Pins: the survey being recorded (and its companions, and a file under review) can be read
// by another program, a converter, meanwhile; none may write or delete it.
TEST_F(DataFileWin, OpenSurveysAreSharedForReadingOnly)
{
    const std::wstring path = L"C:\\Vlox_Data\\shared.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_EQ(StoreReading(), 1);
    auto sharedForReadingOnly = [](const std::wstring& file) {
        SCOPED_TRACE(std::string(file.begin(), file.end()));
        EXPECT_NE(ReadAll(file), "<missing>");
        HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
        if (writer != INVALID_HANDLE_VALUE)
            CloseHandle(writer);
        EXPECT_FALSE(DeleteFileW(file.c_str()));
    };
    const std::string recorded = ReadAll(path);
    EXPECT_EQ(Tags(recorded).size(), 5u + 6u + ReadingTags.size());
    sharedForReadingOnly(path);
    sharedForReadingOnly(StationIndexFileName);
    sharedForReadingOnly(NullingLogFileName);
    // Set aside for a review of it and open again afterwards.
    SetDataFileAside();
    ASSERT_EQ(OpenReviewFileAt(path), 1);
    EXPECT_EQ(ReviewFileReadOnly, 0);
    sharedForReadingOnly(path);
    CloseReviewFile();
    ASSERT_EQ(ReopenDataFileAtEnd(), 1);
    sharedForReadingOnly(path);
    EXPECT_EQ(ReadAll(path), recorded);
}

// Pins: a station index line that cannot be written (a full card) leaves the reading stored
// and is told once for the data file, at once for the Store command and after the return for
// the measurement cycle; a new data file is told again.
TEST_F(DataFileWin, AStationIndexThatCannotBeWrittenIsToldOncePerFile)
{
    for (const int32_t report : {StoreReportAtOnce, StoreReportPosted}) {
        SCOPED_TRACE(report == StoreReportAtOnce ? "Store command" : "measurement cycle");
        Messages.clear();
        CurrentStation = 0.0;
        const std::wstring path = L"C:\\Vlox_Data\\fullindex.VLX";
        CloseDataFile(1);
        DeleteFileW(path.c_str());
        DeleteFileW(L"C:\\Vlox_Data\\fullindex.NLG");
        ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
        // The index as a card that takes no more: its writes fail.
        CloseHandle(StationIndexFile);
        StationIndexFile = CreateFileW(StationIndexFileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(StationIndexFile, INVALID_HANDLE_VALUE);
        for (int station = 0; station < 2; ++station) {
            CurrentStation = 5.0 * station;
            EXPECT_EQ(StoreReading(report), 1);
            PumpPostedMessages();
        }
        ASSERT_EQ(Messages.size(), 1u);
        EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(StationIndexWriteErrorText)));
        EXPECT_EQ(Tags(ReadAll(path)).size(), 5u + 6u + 3u + 2u * ReadingTags.size());
        EXPECT_EQ(ReadAll(StationIndexFileName), "");
    }
}

// A file reviewed from a read-only card: the comments are shown, and OK writes nothing; a
// comment changed is answered with why.
TEST_F(DataFileWin, CommentsOfAReadOnlyFileAreShownNotWritten)
{
    const std::wstring path = L"C:\\Vlox_Data\\readonly.VLX";
    DeleteFileW(path.c_str());
    ASSERT_EQ(CreateDataFileAt(path.c_str()), 1);
    ASSERT_EQ(StoreReading(), 1);
    CloseDataFile(1);
    const std::string bytes = ReadAll(path);
    HANDLE review = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(review, INVALID_HANDLE_VALUE);
    ReviewComments[ReviewFileComment] = {"kept", 1, 1, 180};
    for (const wchar_t* typed : {L"kept", L"changed"}) {
        Messages.clear();
        CommentsViewRequest request;
        request.ReviewFile = review;
        request.ReadOnly = 1;
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), L"COMMENTSVIEW", nullptr, CommentsViewDlgProc,
                                         reinterpret_cast<LPARAM>(&request));
        ASSERT_NE(dialog, nullptr);
        SetDlgItemTextW(dialog, IDC_VIEW_COMMENT_FILE, typed);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        DestroyWindow(dialog);
        if (std::wstring(typed) == L"kept") {
            EXPECT_TRUE(Messages.empty());
        } else {
            ASSERT_EQ(Messages.size(), 1u);
            EXPECT_EQ(Messages[0], L"File Error: " + NarrowToWide(std::string(ReadOnlyReviewText)));
        }
    }
    CloseHandle(review);
    ReviewComments[ReviewFileComment] = {};
    EXPECT_EQ(ReadAll(path), bytes);
}
