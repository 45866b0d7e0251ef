// The converter programs' Win32 side: the program-wide state, the start, the dialog, and the
// dialog host that puts the writers' status and progress on the dialog and their files on
// disk. Texts and paths are UTF-8 in the portable core and wide here.
#pragma once

#include "converters/converter_dialog.h"

#include <windows.h>

#include <memory>
#include <string>

namespace converters {

// Program-wide state of the one converter a program runs: `ConverterMode`, the settings and
// the chosen paths; the folder the program started in (its settings file lives there).
extern ConverterState Converter;
extern std::string StartFolder;

std::wstring Utf8ToWide(const std::string& text);
std::string WideToUtf8(const std::wstring& text);

// `ConverterMain`: common controls, the settings, the dialog; returns when the dialog has
// ended.
int ConverterMain(int32_t mode);

// `ConverterSettingsFile`: operation 0 loads StartFolder + SettingsFileName (the defaults
// when that fails), any other value saves. 1 when the whole file was read or written, -1 when
// a file operation failed. The folder line is written in UTF-8; a line that is not UTF-8 (a
// file from a program that wrote the ANSI code page) is read in the ANSI code page.
int32_t ConverterSettingsFile(int32_t operation);

// The dialog's writers' host and pickers over its window.
class DialogHostWin : public ConverterDialogHost {
public:
    explicit DialogHostWin(HWND dialog) : Dialog(dialog) {}

    // Status line 1009, painted at once (the writers run inside the command handler).
    void SetStatusText(const std::string& text) override;
    // Progress bar 1008: a 32-bit range, so files of more than 65535 records fill it right;
    // positions throttled to the bar's pixels.
    void SetProgressRange(int32_t high) override;
    void SetProgressPosition(int32_t position) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    // The input opened for reading, shared with a program that may be writing it (V-LOX keeps
    // its data file open while it waits for the converter).
    std::unique_ptr<InputFile> OpenInput(const std::string& path) override;
    // The output created anew; refused (nullptr) when it names the input being converted,
    // which creating it would empty.
    std::unique_ptr<OutputFile> CreateOutput(const std::string& path) override;
    bool PickFile(bool output, const PickerTexts& texts, const std::string& initialFolder,
                  const std::string& proposedName, std::string& path) override;
    void SaveSettings() override;

private:
    HWND Dialog;
    ProgressThrottle Throttle;
    bool InputKnown = false;
    BY_HANDLE_FILE_INFORMATION InputIdentity{};
};

// `BuildConverterDialog`: the modal dialog of the build's layout, created in code; returns
// its end result (1 after Exit).
INT_PTR BuildConverterDialog(HWND parent);
INT_PTR CALLBACK ConverterDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

} // namespace converters
