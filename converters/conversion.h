// What a writer needs from the converter's dialog, and the frame every writer runs in: the
// input opened and read as records, the readings of a pass told whole or damaged, the output
// created, the refusals and failures reported alike, and the end status. A writer returns 1
// when done, 0 when it refused the file (nothing written), -1 when a file could not be opened,
// created, read whole or written (the output is then incomplete, and the operator told).
#pragma once

#include "converters/converter_files.h"
#include "converters/converter_state.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace converters {

extern const char NextFileStatus[];      // "Select next file or click on the Exit button"
extern const char NotVlxFileText[];      // "It is not correct V-LOX file, click on the OK to proceed"
extern const char NotVlxFileCaption[];   // "Unknown Format"
extern const char FileErrorCaption[];    // "File Error"
extern const char DamagedFileCaption[];  // "Damaged File"

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

// The readings of one pass over the survey file, as its records come, so that a damaged file
// never gives a reading written with values that are not its own, nor a shorter output that
// looks complete. A writer hands every record to Begin, parses it, asks Sound before it writes
// anything taken from it and ReadingWhole at a time stamp, and ends the record with End.
//
// A reading is whole when, since its W record, it has had T1, P1 (and P2 in the current loop
// layout), R1, R2 and every gate-value record its gate count needs, none of them damaged, no
// damaged stretch of the file among them, and a sound time stamp; and when the file's header
// (H1, H2) was read sound, and its line and station are known: a damaged L1 or S1 leaves them
// unknown until the next sound one, after a damaged stretch the reading record's own station
// must be the station's, and a stretch that may have held a line record leaves the line
// unknown; and when none of its records came twice (a copied record, whose values would
// replace its own). A reading that is not whole is left out and counted. A reading the end of
// the file cuts off (a power cut during a store) is left out without a word, as is the last
// record when the file ends inside it; a reading still open when whole records of another kind
// follow it (the stored sentences after a store) was not cut off, and is damaged.
class ReadingWalk {
public:
    ReadingWalk(VlxRecords& records, ParsedRecords& parsed) : Records(records), Parsed(parsed) {}

    // Before record n is parsed: false for a damaged stretch or a cut last record (nothing to
    // parse or write there). Checks the fields the writers read from W and Z records themselves.
    bool Begin(int32_t n, std::string_view record);
    // The record begun has sound fields so far (the parser has noted no fault).
    bool Sound() const { return Parsed.FieldFault.empty(); }
    // At a time stamp: the reading it closes is whole.
    bool ReadingWhole() const;
    // The record begun is done with: it is taken into the reading.
    void End();
    // A reading went to the output.
    void ReadingWritten() { ++WrittenReadings; }
    // The end of the pass.
    void Finish();

    // Damage was met: a damaged stretch or record, or a reading left out.
    bool Damaged() const { return DamageMet; }
    // The operator's message: where the first damage is and what is wrong there, the readings
    // written before it and in all, the readings left out.
    std::string Report() const;

private:
    struct Reading {
        bool Open = false;  // since a W record, or since a stretch that may have eaten one
        bool HasW = false;
        bool Parts = false;  // a record of a reading came (not only sentences or comments)
        int64_t Line = 0;
        bool HasT = false, HasP1 = false, HasP2 = false, HasR1 = false, HasR2 = false;
        uint64_t PartRecords = 0;  // the T, P, R and U records that came (PartBit)
        uint64_t GateRecords = 0;  // bit k - 1 for record Vk
        bool Broken = false;       // damage inside it
        bool Followed = false;     // records that are no part of a reading came after it
    };
    std::string MissingPart() const;
    void Part(int64_t line);
    // A part record of a reading (T, P, R, U, V): one that came before within the reading is
    // a copy, and the reading damaged.
    void TakePart(int64_t line);
    void Close(bool whole, bool timeStampCame);
    void Note(int64_t line, const std::string& what);

    VlxRecords& Records;
    ParsedRecords& Parsed;
    // The record begun: its number, tag, record digit and the station of a W record.
    int32_t Current = 0;
    std::string Tag;
    int32_t Digit = 0;
    double ReadingStation = 0.0;
    Reading Now;
    bool HeaderRead[2] = {false, false};  // H1, H2 read sound
    bool LineKnown = true;
    bool StationKnown = true;
    bool StationToConfirm = false;  // after a stretch: the W record's station must match
    int32_t WrittenReadings = 0;
    int32_t LeftOutReadings = 0;
    bool DamageMet = false;
    int64_t DamageLine = 0;
    std::string DamageTag;  // the record damaged in a field or repeated, empty for the others
    std::string DamageWhat;
    int32_t WrittenBeforeDamage = 0;
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
    int32_t Refuse(const std::string& text, const std::string& caption, const std::string& status = NextFileStatus);
    // The end of a conversion: the output finished; a failed write gives the message "Cannot
    // write file ...", a failed read "Cannot read file ...", damage met by the writing pass's
    // walk its report (one message box, the first that applies), each with -1; otherwise 1.
    // All end with the status "Select next file ..." and progress 0.
    int32_t Finish(const ReadingWalk* walk = nullptr);

private:
    int32_t EndWith(int32_t result);
    ConverterState& State;
    ConverterHost& Host;
    std::unique_ptr<InputFile> Input;
    std::unique_ptr<VlxRecords> RecordsOf;
    std::unique_ptr<OutputFile> Output;
    std::unique_ptr<OutputText> Text;
};

}  // namespace converters
