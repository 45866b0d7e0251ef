#include "vlox/instruments/meter.h"

#include "resources/instruments_ids.h"
#include "vlox/settings/config_file.h"

#include <cstdio>
#include <cstring>

MeterReadingValues MeterReading;
std::mutex MeterReadingLock;
int32_t MeterSampleChoice = 1;

const char* const MeterInputChoices[2] = {"Disabled", "Enabled"};
const char* const MeterModelChoices[2] = {"SQ12-MK2-1", "SQ12-MK2"};
const char* const MeterSampleCounts[MeterSampleChoiceCount] = {"1", "2", "5", "10", "20", "40", "60", "80", "100"};

bool FeedMeterByte(MeterFrameFinder& f, uint8_t byte, uint8_t (&frame)[MeterFrameKept])
{
    f.Buffer[f.Count++] = byte;
    if (f.Count > MeterBufferLimit) {
        f.Count = 0;
        return false;
    }
    const int32_t p = f.Count - 1;
    if (byte != 0xFF || p < MeterFrameLength - 1)
        return false;
    const uint8_t first = f.Buffer[p - (MeterFrameLength - 1)];
    if (f.Buffer[p - 1] != 0xFF || (first != 'T' && first != 't'))
        return false;
    std::memcpy(frame, f.Buffer + p - (MeterFrameLength - 1), MeterFrameKept);
    f.Count = 0;
    return true;
}

void DecodeMeterFrame(const uint8_t (&frame)[MeterFrameKept], MeterReadingValues& reading)
{
    const int32_t r1 = (frame[6] << 8) | frame[7];
    const int32_t r2 = (frame[8] << 8) | frame[9];
    reading.Conductivity = ((r1 * 5) / 1024.0 - 160.0) * 8.0;
    reading.InPhase = ((r2 * 5) / 1024.0 - 160.0) * 8.0 * 0.028819;
    reading.MeterDipole = frame[1] < 4 ? 'H' : 'V';
}

bool CountMeterFrame(MeterFrameCounter& counter, int32_t readingsActive)
{
    ++counter.Count;
    if (readingsActive != 1) {
        counter.Count = 0;
        return false;
    }
    if (counter.Count < MeterDecodeInterval)
        return false;
    counter.Count = 0;
    return true;
}

std::string MeterReadingText(char dipole, double conductivity, double inPhase)
{
    return FormatText(dipole == 'H' ? " HD    %-8.2f   %-8.2f" : " VD    %-8.2f   %-8.2f", conductivity, inPhase);
}

MeterValues MeterValuesForStore()
{
    std::lock_guard<std::mutex> hold(MeterReadingLock);
    MeterValues v;
    v.Valid = MeterReading.MeterStatus;
    v.Dipole = MeterReading.MeterDipole;
    v.Value1 = MeterReading.Conductivity;
    v.Value2 = MeterReading.InPhase;
    return v;
}

std::string MeterPortChoice(int32_t index)
{
    return "COM" + std::to_string(index + 1) + ":";
}

MeterSetupSelection MeterSetupFromSettings(const SettingsValues& s, int32_t sampleChoice)
{
    MeterSetupSelection sel;
    sel.MeterInput = s.MeterInput;
    sel.MeterModel = s.MeterModel;
    sel.MeterComPort = s.MeterComPort;
    sel.MeterSampleChoice = sampleChoice;
    return sel;
}

const DialogField MeterSetupFields[3] = {{IDC_METER_INPUT, "SQ12-MK2 Input", 497},
                                         {IDC_METER_TYPE, "SQ12-MK2 Type", 498},
                                         {IDC_METER_PORT, "SQ12-MK2 Port", 499}};

int32_t ApplyMeterSetup(const MeterSetupSelection& sel, SettingsValues& s, int32_t& sampleChoice)
{
    SettingsValues chosen = s;
    if (sel.MeterInput >= 0 && sel.MeterInput < 2)
        chosen.MeterInput = sel.MeterInput;
    if (sel.MeterModel >= 0 && sel.MeterModel < 2)
        chosen.MeterModel = sel.MeterModel;
    if (sel.MeterComPort >= 0 && sel.MeterComPort < MeterPortChoiceCount)
        chosen.MeterComPort = sel.MeterComPort;
    const int32_t refused = AcceptLoadableSettings(s, chosen);
    if (refused == 0 && sel.MeterSampleChoice >= 0 && sel.MeterSampleChoice < MeterSampleChoiceCount)
        sampleChoice = sel.MeterSampleChoice;
    return refused;
}
