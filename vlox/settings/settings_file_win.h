// Win32 side of the configuration file: the start folder, the handle of the open file and the
// owner of the corrupt-configuration message.
#pragma once

#include "vlox/settings/null_tables.h"
#include "vlox/settings/settings_file.h"

#include <windows.h>

#include <string>

// The program's folder at start (set by the main window's creation); the configuration file
// lives there.
extern wchar_t StartDirectory[MAX_PATH];
// The current folder saved while the configuration file is worked on.
extern wchar_t SavedDirectory[MAX_PATH];
// The configuration file while one operation works on it, INVALID_HANDLE_VALUE otherwise.
extern HANDLE ConfigFile;
// Owner window of the corrupt-configuration message (the main window).
extern HWND CorruptMessageOwner;
// The line of the loaded file that made it corrupt (0: none known), for the message.
extern int32_t ConfigRefusedLine;

// The file-system calls of the configuration file's save, in one place so that a test can make
// any step fail.
struct ConfigFileCalls {
    decltype(&CreateFileW) Create = CreateFileW;
    decltype(&WriteFile) Write = WriteFile;
    decltype(&FlushFileBuffers) Flush = FlushFileBuffers;
    decltype(&MoveFileExW) Move = MoveFileExW;
};
extern ConfigFileCalls ConfigFileSystem;

// The operator's box for a save that failed or was refused (the last saved file is kept);
// tests replace it.
using ConfigMessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
extern ConfigMessageBoxFunction ConfigMessageBox;
inline constexpr const wchar_t ConfigSaveFailureText[] =
    L"The settings could not be saved (disk full or not writable). The settings saved before are kept.";
// A save whose text the next start would refuse is not written; the box names the line.
std::wstring ConfigSaveRefusedText(int32_t line);

// Where a refused configuration file is kept, beside the new one: "VLOXTARNWEL.INI.bad" in
// the start folder, or "VLOXTARNWEL.INI.bad2", "...bad3" and so on when that exists.
std::wstring RefusedConfigurationAside();
// The corrupt-configuration message, naming the refused line (when known) and saying where
// the old file is kept.
std::wstring CorruptConfigurationText(const std::wstring& aside, int32_t refusedLine);
