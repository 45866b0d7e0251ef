// What a writer needs from the converter's dialog, and the frame every writer runs in: the
// input opened and read as records, the output created, the refusals and failures reported
// alike, and the end status. A writer returns 1 when done, 0 when it refused the file (nothing
// written), -1 when a file could not be opened, created or written.
#pragma once

#include "converters/converter_files.h"
#include "converters/converter_state.h"

#include <cstdint>
#include <memory>
#include <string>

namespace converters {

extern const char NextFileStatus[];     // "Select next file or click on the Exit button"
extern const char NotVlxFileText[];     // "It is not correct V-LOX file, click on the OK to proceed"
extern const char NotVlxFileCaption[];  // "Unknown Format"
extern const char FileErrorCaption[];   // "File Error"

// The dialog and the file system as the writers see them. The Win32 programs implement it
// over the dialog's status line (1009), progress bar (1008), message boxes and the files;
// the tests record the calls and keep the files in memory. Texts and paths are UTF-8.
class ConverterHost {
public:
    virtual ~ConverterHost() = default;
    virtual void SetStatusText(const std::string& text) = 0;
    // The progress bar's range 0..high, and its position.
    virtual void SetProgressRange(int32_t high) = 0;
    virtual void SetProgressPosition(int32_t position) = 0;
    // A message box with an OK button, shown before the writer goes on.
    virtual void ShowMessage(const std::string& text, const std::string& caption) = 0;
    // The input opened for reading and the output created (an existing file replaced);
    // nullptr when that fails.
    virtual std::unique_ptr<InputFile> OpenInput(const std::string& path) = 0;
    virtual std::unique_ptr<OutputFile> CreateOutput(const std::string& path) = 0;
};

class ConversionRun {
public:
    ConversionRun(ConverterState& state, ConverterHost& host) : State(state), Host(host) {}

    // Opens the input and counts its records; false after the message "Cannot open file ..."
    // (caption "File Error") and the end status.
    bool OpenInput();
    // Creates the output; false after the message "Cannot create file ..." and the end status.
    bool CreateOutput();
    VlxRecords& Records() { return *RecordsOf; }
    OutputText& Out() { return *Text; }
    int32_t Count() const { return RecordsOf ? RecordsOf->Count() : 0; }

    void Status(const std::string& text) { Host.SetStatusText(text); }
    void ProgressRange(int32_t high) { Host.SetProgressRange(high); }
    void Progress(int32_t position) { Host.SetProgressPosition(position); }

    // The input opens with an H1 record that passes the signature check: a file that is not
    // a survey file at all (empty, or another program's) is refused like a foreign signature,
    // never converted to an empty output reported as done.
    bool StartsAsSurveyFile();
    // Every H1 record of the input passes the signature check; otherwise the message "It is not
    // correct V-LOX file, ..." has been shown and the run ended (Refuse). Called before the
    // output is created, so a rejected input is never converted.
    bool SignaturesAccepted();

    // A refused file: the message box, the status, progress 0; returns 0.
    int32_t Refuse(const std::string& text, const std::string& caption,
                   const std::string& status = NextFileStatus);
    // The end of a conversion: the output finished; a failed write gives the message "Cannot
    // write file ..." and -1; otherwise 1. Both end with the status "Select next file ..." and
    // progress 0.
    int32_t Finish();

private:
    int32_t EndWith(int32_t result);
    ConverterState& State;
    ConverterHost& Host;
    std::unique_ptr<InputFile> Input;
    std::unique_ptr<VlxRecords> RecordsOf;
    std::unique_ptr<OutputFile> Output;
    std::unique_ptr<OutputText> Text;
};

} // namespace converters
