// The conductivity meter's frames, decoding, every-tenth rule, texts and setup lists; the
// serial port names and line settings of both links.
#include "vlox/instruments/meter.h"

#include "resources/instruments_ids.h"
#include "vlox/instruments/serial_line.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

std::vector<uint8_t> Frame(uint8_t first, uint8_t mode, uint16_t r1, uint16_t r2)
{
    std::vector<uint8_t> f = {
        first, mode, 1, 2, 3, 4, uint8_t(r1 >> 8), uint8_t(r1), uint8_t(r2 >> 8), uint8_t(r2), 5, 6, 7, 8, 0xFF, 0xFF};
    return f;
}

// Feeds bytes; returns the frames found.
std::vector<std::vector<uint8_t>> FeedAll(MeterFrameFinder& finder, const std::vector<uint8_t>& bytes)
{
    std::vector<std::vector<uint8_t>> frames;
    for (uint8_t b : bytes) {
        uint8_t frame[MeterFrameKept];
        if (FeedMeterByte(finder, b, frame))
            frames.emplace_back(frame, frame + MeterFrameKept);
    }
    return frames;
}

TEST(MeterFrames, TThirteenBytesAndTwoFFsAreOneFrame)
{
    MeterFrameFinder finder;
    const auto bytes = Frame('T', 4, 0x1234, 0x5678);
    const auto frames = FeedAll(finder, bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0], std::vector<uint8_t>(bytes.begin(), bytes.begin() + 14));
    EXPECT_EQ(finder.Count, 0);
    EXPECT_EQ(FeedAll(finder, Frame('t', 0, 1, 2)).size(), 1u);
}

TEST(MeterFrames, AnFFInsideTheDataDoesNotEndIt)
{
    MeterFrameFinder finder;
    // 0xFF then 0x00 in the channels, and an 0xFF as the 15th byte with a non-0xFF before.
    std::vector<uint8_t> bytes = Frame('T', 4, 0xFF00, 0x00FF);
    EXPECT_EQ(FeedAll(finder, bytes).size(), 1u);
    // A 0xFF 0xFF pair early in a frame (positions 6, 7) is no end: too few bytes before.
    bytes = Frame('T', 4, 0xFFFF, 0x1111);
    const auto frames = FeedAll(finder, bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][6], 0xFF);
}

TEST(MeterFrames, GarbageBetweenFramesIsSkipped)
{
    MeterFrameFinder finder;
    std::vector<uint8_t> bytes = {0x00, 0xFF, 'x', 0xFF, 0xFF, 'T', 9};
    const auto frame = Frame('T', 2, 32768, 0);
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    const auto frames = FeedAll(finder, bytes);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][1], 2);
}

TEST(MeterFrames, AWrongFirstByteIsNotTakenAndTheBufferKeepsFilling)
{
    MeterFrameFinder finder;
    EXPECT_TRUE(FeedAll(finder, Frame('X', 4, 1, 2)).empty());
    EXPECT_EQ(finder.Count, 16);
}

TEST(MeterFrames, TheBufferIsEmptiedPast181Bytes)
{
    MeterFrameFinder finder;
    std::vector<uint8_t> noise(181, 'a');
    EXPECT_TRUE(FeedAll(finder, noise).empty());
    EXPECT_EQ(finder.Count, 181);
    EXPECT_TRUE(FeedAll(finder, {'a'}).empty());
    EXPECT_EQ(finder.Count, 0);
    // A frame whose end would be byte 182 is lost with the buffer; the next one is found.
    MeterFrameFinder late;
    std::vector<uint8_t> bytes(166, 'a');
    auto frame = Frame('T', 4, 1, 2);
    bytes.insert(bytes.end(), frame.begin(), frame.end());  // ends at byte 182
    bytes.insert(bytes.end(), frame.begin(), frame.end());
    EXPECT_EQ(FeedAll(late, bytes).size(), 1u);
}

TEST(MeterFrames, BinaryNoiseStaysInsideTheBuffer)
{
    MeterFrameFinder finder;
    uint32_t seed = 99;
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 1664525u + 1013904223u;
        uint8_t frame[MeterFrameKept];
        if (FeedMeterByte(finder, static_cast<uint8_t>(seed >> 24), frame)) {
            EXPECT_TRUE(frame[0] == 'T' || frame[0] == 't');
        }
        ASSERT_GE(finder.Count, 0);
        ASSERT_LE(finder.Count, MeterBufferLimit);
    }
}

TEST(MeterDecode, TheWorkedValues)
{
    const struct {
        uint16_t r;
        double conductivity;
    } cases[] = {{32768, 0.0}, {0, -1280.0}, {65535, (65535 * 5 / 1024.0 - 160.0) * 8.0}, {33792, 40.0}};
    for (const auto& c : cases) {
        const auto bytes = Frame('T', 4, c.r, c.r);
        uint8_t frame[MeterFrameKept];
        std::copy(bytes.begin(), bytes.begin() + MeterFrameKept, frame);
        MeterReadingValues v;
        DecodeMeterFrame(frame, v);
        EXPECT_DOUBLE_EQ(v.Conductivity, c.conductivity) << c.r;
        EXPECT_DOUBLE_EQ(v.InPhase, c.conductivity * 0.028819) << c.r;
    }
}

TEST(MeterDecode, DipoleFromTheModeByte)
{
    for (int mode = 0; mode < 256; ++mode) {
        const auto bytes = Frame('T', static_cast<uint8_t>(mode), 0, 0);
        uint8_t frame[MeterFrameKept];
        std::copy(bytes.begin(), bytes.begin() + MeterFrameKept, frame);
        MeterReadingValues v;
        DecodeMeterFrame(frame, v);
        EXPECT_EQ(v.MeterDipole, mode < 4 ? 'H' : 'V') << mode;
    }
}

TEST(MeterCount, EveryTenthFrameWhileActiveAndRestartWhenInactive)
{
    MeterFrameCounter c;
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(CountMeterFrame(c, 1)) << i;
    EXPECT_TRUE(CountMeterFrame(c, 1));
    EXPECT_EQ(c.Count, 0);
    for (int i = 1; i <= 5; ++i)
        EXPECT_FALSE(CountMeterFrame(c, 1));
    EXPECT_FALSE(CountMeterFrame(c, 0));  // inactive: back to 0
    EXPECT_EQ(c.Count, 0);
    for (int i = 1; i <= 9; ++i)
        EXPECT_FALSE(CountMeterFrame(c, 1));
    EXPECT_TRUE(CountMeterFrame(c, 1));
}

TEST(MeterText, OneLineByDipole)
{
    EXPECT_EQ(MeterReadingText('H', 12.3456, -1.5), " HD    12.35      -1.50   ");
    EXPECT_EQ(MeterReadingText('V', 0.0, 1280.0), " VD    0.00       1280.00 ");
    EXPECT_EQ(MeterReadingText('x', -1280.0, -36.88832), " VD    -1280.00   -36.89  ");
    EXPECT_EQ(MeterReadingText('H', 12.345, -1.0), " HD    12.35      -1.00   ");
    EXPECT_EQ(MeterReadingText('V', 1.0, 2.0), " VD    1.00       2.00    ");
}

TEST(MeterStore, TheStoreTakesTheReadingUnderItsLock)
{
    {
        std::lock_guard<std::mutex> hold(MeterReadingLock);
        MeterReading.Conductivity = 3.25;
        MeterReading.InPhase = -0.5;
        MeterReading.MeterDipole = 'H';
        MeterReading.MeterStatus = 1;
    }
    const MeterValues v = MeterValuesForStore();
    EXPECT_EQ(v.Valid, 1);
    EXPECT_EQ(v.Dipole, 'H');
    EXPECT_EQ(v.Value1, 3.25);
    EXPECT_EQ(v.Value2, -0.5);
    std::lock_guard<std::mutex> hold(MeterReadingLock);
    MeterReading = MeterReadingValues{};
}

TEST(MeterSetup, ListsAndTheOkRule)
{
    EXPECT_STREQ(MeterInputChoices[1], "Enabled");
    EXPECT_STREQ(MeterModelChoices[0], "SQ12-MK2-1");
    EXPECT_EQ(MeterPortChoice(0), "COM1:");
    EXPECT_EQ(MeterPortChoice(35), "COM36:");
    EXPECT_STREQ(MeterSampleCounts[8], "100");
    EXPECT_EQ(MeterSampleChoice, 1);

    SettingsValues s;
    int32_t samples = 1;
    MeterSetupSelection sel = MeterSetupFromSettings(s, samples);
    EXPECT_EQ(sel.MeterInput, 0);
    EXPECT_EQ(sel.MeterSampleChoice, 1);
    sel.MeterInput = 1;
    sel.MeterComPort = 35;
    sel.MeterSampleChoice = 8;
    // Mended: "SQ12-MK2" (model 1) was taken and saved, and the next start, whose loader reads
    // model 0 only, reset every setting. The OK is refused on the type's line; nothing is
    // taken.
    sel.MeterModel = 1;
    EXPECT_EQ(ApplyMeterSetup(sel, s, samples), 498);
    EXPECT_TRUE(s == SettingsValues{});
    EXPECT_EQ(samples, 1);
    EXPECT_EQ(RefusalOfLine(MeterSetupFields, 498).Id, IDC_METER_TYPE);
    sel.MeterModel = 0;
    EXPECT_EQ(ApplyMeterSetup(sel, s, samples), 0);
    EXPECT_EQ(s.MeterInput, 1);
    EXPECT_EQ(s.MeterModel, 0);
    EXPECT_EQ(s.MeterComPort, 35);
    EXPECT_EQ(samples, 8);
    // A list without a selection (-1) or beyond its entries keeps the value.
    MeterSetupSelection none;
    none.MeterComPort = 36;
    ApplyMeterSetup(none, s, samples);
    EXPECT_EQ(s.MeterInput, 1);
    EXPECT_EQ(s.MeterComPort, 35);
    EXPECT_EQ(samples, 8);
}

TEST(SerialLine, PortNames)
{
    EXPECT_EQ(SerialPortDeviceName(PortNumberOf(4)), "COM5:");
    EXPECT_EQ(SerialPortDeviceName(PortNumberOf(8)), "COM9:");
    EXPECT_EQ(SerialPortDeviceName(PortNumberOf(9)), "\\\\.\\COM10");
    EXPECT_EQ(SerialPortDeviceName(12), "\\\\.\\COM12");
    EXPECT_EQ(SerialPortDeviceName(36), "\\\\.\\COM36");
    EXPECT_EQ(GpsPortOpenFailureText(12), "Cannot open COM12 for GPS");
    EXPECT_EQ(MeterPortOpenFailureText(1), "Cannot open COM1 for SQ12-MK2");
}

TEST(SerialLine, GpsLineFromTheSettings)
{
    SettingsValues s;
    SerialLineSettings l = GpsLineSettings(s);
    EXPECT_EQ(l.BaudRate, 4800u);
    EXPECT_EQ(l.Parity, ParityNone);
    EXPECT_EQ(l.DataBits, 8);
    EXPECT_EQ(l.StopBits, 1);
    EXPECT_TRUE(l.XonXoff);
    EXPECT_FALSE(l.DtrOn);
    EXPECT_FALSE(l.RtsOn);
    const uint32_t bauds[6] = {4800, 9600, 19200, 38400, 57600, 115200};
    for (int i = 0; i < 6; ++i) {
        s.GpsBaudRate = i;
        EXPECT_EQ(GpsLineSettings(s).BaudRate, bauds[i]);
    }
    s.GpsBaudRate = 6;  // outside the list: never read past it
    EXPECT_EQ(GpsLineSettings(s).BaudRate, 4800u);
    s.GpsBaudRate = -1;
    EXPECT_EQ(GpsLineSettings(s).BaudRate, 4800u);
    s.GpsParity = 2;
    s.GpsDataBits = 0;
    s.GpsStopBits = 1;
    l = GpsLineSettings(s);
    EXPECT_EQ(l.Parity, ParityOdd);
    EXPECT_EQ(l.DataBits, 7);
    EXPECT_EQ(l.StopBits, 2);
}

TEST(SerialLine, MeterLineIs19200EightNoneOne)
{
    const SerialLineSettings l = MeterLineSettings();
    EXPECT_EQ(l.BaudRate, 19200u);
    EXPECT_EQ(l.DataBits, 8);
    EXPECT_EQ(l.Parity, ParityNone);
    EXPECT_EQ(l.StopBits, 1);
    EXPECT_FALSE(l.XonXoff);
    EXPECT_TRUE(l.DtrOn);
    EXPECT_TRUE(l.RtsOn);
}

}  // namespace
