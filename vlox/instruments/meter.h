// The conductivity meter SQ12-MK2: frame search in the byte stream, decoding, the every-tenth
// frame rule, the texts of the meter block, the setup dialog's lists, and the shared reading.
// Portable; the port, the reader thread and the drawing are Win32 glue (meter_win.h).
#pragma once

#include "vlox/datafile/records.h"
#include "vlox/settings/setting_refusal.h"
#include "vlox/settings/settings.h"

#include <cstdint>
#include <mutex>
#include <string>

// A frame on the line: 'T' or 't', mode, 4 unused, two 16-bit channels high byte first, 4
// unused, 0xFF 0xFF.
constexpr int32_t MeterFrameLength = 16;
// The part of a frame kept in MeterFrame: from its first byte, without the two end bytes.
constexpr int32_t MeterFrameKept = 14;
// More bytes than this without a frame empty the receive buffer.
constexpr int32_t MeterBufferLimit = 181;
// Without a frame for this long the meter counts as silent: "NO CONNECTION".
constexpr uint32_t MeterSilenceMs = 500;
// While readings are active every tenth frame is decoded.
constexpr int32_t MeterDecodeInterval = 10;

// `MeterReading`: the last decoded values. The reader thread writes it and the store reads
// it; both go through MeterReadingLock, so a stored reading never mixes two frames.
struct MeterReadingValues {
    double Conductivity = 0.0;
    double InPhase = 0.0;
    char MeterDipole = 'V';                       // 'V' or 'H'
    int32_t MeterStatus = 0;                      // 1 after a decoded frame, 0 after MeterSilenceMs of silence
    uint8_t MeterFrame[MeterFrameKept + 1] = {};  // the last accepted frame, then a zero
};
extern MeterReadingValues MeterReading;
extern std::mutex MeterReadingLock;

// The samples choice of the setup dialog: an index into MeterSampleCounts, kept in memory only.
extern int32_t MeterSampleChoice;

// The receive buffer of the frame search.
struct MeterFrameFinder {
    uint8_t Buffer[MeterBufferLimit + 1] = {};
    int32_t Count = 0;
};

// Appends one byte. Answers true at a frame end (a 0xFF after a 0xFF, with 'T' or 't' 15 bytes
// before it); frame then gets the frame's first 14 bytes and the buffer is emptied. A buffer
// that passes MeterBufferLimit bytes is emptied without a frame.
bool FeedMeterByte(MeterFrameFinder& finder, uint8_t byte, uint8_t (&frame)[MeterFrameKept]);

// Conductivity, in-phase value and dipole of a frame; status and frame are left alone.
//   conductivity = (r1 x 5 / 1024 - 160) x 8, in-phase = (r2 x 5 / 1024 - 160) x 8 x 0.028819
// with r1, r2 the two channels; 'H' for a mode byte below 4, else 'V'.
void DecodeMeterFrame(const uint8_t (&frame)[MeterFrameKept], MeterReadingValues& reading);

// The every-tenth rule: answers true when this frame is to be decoded. Inactive readings keep
// the count at 0, so counting starts again when they resume.
struct MeterFrameCounter {
    int32_t Count = 0;
};
bool CountMeterFrame(MeterFrameCounter& counter, int32_t readingsActive);

// " HD    %-8.2f   %-8.2f" for the dipole 'H', otherwise " VD    %-8.2f   %-8.2f".
std::string MeterReadingText(char dipole, double conductivity, double inPhase);

// The values the U1 record stores, taken under the lock.
MeterValues MeterValuesForStore();

// The setup dialog's lists.
constexpr int32_t MeterPortChoiceCount = 36;  // "COM1:" to "COM36:"
constexpr int32_t MeterSampleChoiceCount = 9;
extern const char* const MeterInputChoices[2];
extern const char* const MeterModelChoices[2];
extern const char* const MeterSampleCounts[MeterSampleChoiceCount];
// "COM1:" for index 0.
std::string MeterPortChoice(int32_t index);

// The four selections of the dialog, -1 where a list has none.
struct MeterSetupSelection {
    int32_t MeterInput = -1;
    int32_t MeterModel = -1;
    int32_t MeterComPort = -1;
    int32_t MeterSampleChoice = -1;
};
// The dialog's start selections from the values in use.
MeterSetupSelection MeterSetupFromSettings(const SettingsValues& s, int32_t sampleChoice);
// OK: takes each selection that lies in its list; a list without a selection keeps its value.
// Nothing is taken when the configuration loader would refuse the settings (it reads model 0
// only, though the list offers "SQ12-MK2" too): the refused line comes back, 0 otherwise.
int32_t ApplyMeterSetup(const MeterSetupSelection& sel, SettingsValues& s, int32_t& sampleChoice);
// The dialog's lists with the configuration lines they land on: input, type, port.
extern const DialogField MeterSetupFields[3];
