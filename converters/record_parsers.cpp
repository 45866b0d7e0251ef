#include "converters/record_parsers.h"

#include "converters/gate_times.h"
#include "converters/number_text.h"

namespace converters {

namespace {

// A field's number and its integer.
double NumberAt(std::string_view record, int32_t first, int32_t last)
{
    return NumberOfField(Columns(record, first, last));
}

int32_t IntegerAt(std::string_view record, int32_t first, int32_t last)
{
    return IntegerOfField(Columns(record, first, last));
}

// A field's text without its leading and trailing blanks.
std::string TrimmedAt(std::string_view record, int32_t first, int32_t last)
{
    return TrimRight(TrimLeft(Columns(record, first, last)));
}

// A number text without trailing zeros, kept whole.
std::string WholeNumberText(std::string text)
{
    return TrimNumberText(text, -1);
}

// A field text shortened to width and right-aligned in it, as the LZ5 fields and the
// transmitter texts carry it.
std::string ShortField(std::string text, int32_t width)
{
    TrimNumberText(text, width);
    return PadNumberText(text, width);
}

bool IsBlank(std::string_view record, int32_t column)
{
    const std::string_view c = Columns(record, column, column);
    return c.empty() || c[0] == ' ';
}

const char* DirectionLetter(int32_t direction)
{
    static const char* const Letters[4] = {"N", "S", "E", "W"};
    return direction >= 0 && direction < 4 ? Letters[direction] : "";
}

// The LZ5 text of a loop side: the first characters of the side field (12 in the current
// layout, 13 in the earlier one), trimmed, right-aligned in 8; a text wider than its field is
// fitted to it.
std::string Lz5SideText(std::string_view record, int32_t first, bool currentLayout)
{
    const int32_t kept = currentLayout ? 12 : 13;
    const std::string text = TrimRight(TrimLeft(Columns(record, first, first + kept - 1)));
    if (text.size() > 8)
        return PadNumberText(FitNumberText(NumberOfField(text), 8), 8);
    return PadNumberText(text, 8);
}

// The loop sizes record: centre, sides, their texts and the area text of a square or a
// rectangle.
std::string ParseLoopSizes(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    if (p.FileLoopShape != 0 && p.FileLoopShape != 1) {
        p.LoopSideX = 0.0;
        p.LoopSideY = 0.0;
        return std::string();
    }
    const bool lz5 = state.ConverterMode == ModeLz5;
    const bool current = p.LoopLayoutFlag == 1;
    p.LoopCentreX = NumberAt(record, 3, 16);
    p.LoopCentreY = NumberAt(record, 17, 30);
    p.LoopCentreXText = ShortField(TrimmedAt(record, 3, 16), 8);
    p.LoopCentreYText = ShortField(TrimmedAt(record, 17, 30), 8);
    const double sideA = NumberAt(record, 31, 44);
    p.LoopSideXText = lz5 ? Lz5SideText(record, 31, current) : ShortField(TrimmedAt(record, 31, 44), 8);
    double sideB = sideA;
    if (p.FileLoopShape == 0) {
        p.LoopSideYText = p.LoopSideXText;
    } else {
        sideB = NumberAt(record, 45, 58);
        p.LoopSideYText = lz5 ? Lz5SideText(record, 45, current) : ShortField(TrimmedAt(record, 45, 58), 8);
    }
    p.LoopSideX = sideA;
    p.LoopSideY = sideB;
    return ShortField(DecimalText(sideA * sideB), 7);
}

} // namespace

std::string_view Columns(std::string_view record, int32_t first, int32_t last)
{
    if (first < 1 || last < first || static_cast<size_t>(first) > record.size())
        return std::string_view();
    const size_t start = static_cast<size_t>(first - 1);
    return record.substr(start, static_cast<size_t>(last - first + 1));
}

bool RecordNamesGps(std::string_view record)
{
    return Columns(record, 20, 22) == "GPS" || Columns(record, 19, 21) == "GPS";
}

bool IsGgaStartRecord(std::string_view record)
{
    return !record.empty() && record[0] == '@' && Columns(record, 5, 7) == "GGA";
}

int32_t RecordDigit(std::string_view record)
{
    return IntegerAt(record, 2, 2);
}

int32_t ParseHeaderRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const int32_t digit = RecordDigit(record);
    if (digit == 1) {
        const std::string_view word = Columns(record, 3, 8);
        return word == "V-LOX " || word == "TRAVIK" ? 1 : 0;
    }
    if (digit == 2) {
        static const char* const SyncTexts[3] = {"REF", "XTL", "GPS"};
        const int32_t sync = IntegerAt(record, 19, 20);
        if (sync >= 0 && sync < 3) {
            p.SyncSourceText = SyncTexts[sync];
            p.SyncSourceTextB = SyncTexts[sync];
        }
        if (state.ConverterMode == ModeLz5) {
            static const char* const TransmitterCodes[5] = {"      81", "    81.2", "      85",
                                                            "      89", "    89.4"};
            const int32_t code = IntegerAt(record, 22, 23);
            if (code >= 0 && code < 5)
                p.TransmitterCodeText = TransmitterCodes[code];
        }
        // Every build reads the survey layout: the TXT report names it too.
        p.FileSystemConfiguration = IntegerAt(record, 16, 17);
    }
    return 1;
}

int32_t ParseReadingRecord(std::string_view record)
{
    return RecordDigit(record) == 1 ? 1 : 0;
}

std::string ParseLineRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string full = TrimmedAt(record, 3, 16);
    std::string text = full;
    TrimNumberText(text, 4);
    p.FileLineDirection = IntegerAt(record, 19, 19);
    // Positions take the whole number; only the LZ5 field is shortened.
    p.LineNumber = NumberOfField(full);
    if (p.FileLineDirection == 0 || p.FileLineDirection == 1)
        p.GridX = p.LineNumber;
    else if (p.FileLineDirection == 2 || p.FileLineDirection == 3)
        p.GridY = p.LineNumber;
    const char* letter = DirectionLetter(p.FileLineDirection);
    p.LineLabel = WholeNumberText(full) + letter;
    p.LineText = PadNumberText(text + letter, 5);
    return p.LineText;
}

std::string ParseStationRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string full = TrimmedAt(record, 3, 16);
    p.StationNumber = NumberOfField(full);
    if (p.FileLineDirection == 0 || p.FileLineDirection == 1)
        p.GridY = p.StationNumber;
    else if (p.FileLineDirection == 2 || p.FileLineDirection == 3)
        p.GridX = p.StationNumber;
    p.StationLabel = WholeNumberText(full);
    p.StationText = ShortField(full, 6);
    return p.StationText;
}

int32_t ParseTransmitterRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string current = TrimmedAt(record, 3, 16);
    p.TxCurrentText = ShortField(current, 8);
    p.TxCurrent = NumberOfField(current);
    const std::string turnOff = TrimmedAt(record, 18, 31);
    p.TurnOffTimeUs = NumberOfField(turnOff);
    if (state.ConverterMode == ModeLz5)
        p.TurnOffTimeText = PadNumberText(FitNumberText(p.TurnOffTimeUs, 8), 8);
    else
        p.TurnOffTimeText = ShortField(turnOff, 8);
    p.FileTxTurns = IntegerAt(record, 36, 38);
    if (p.FileTxTurns == 0)
        p.FileTxTurns = 1;
    // Loop records of the earlier layout carry no shape code of their own: they follow this one.
    const int32_t shape = IntegerAt(record, 33, 34);
    p.FileLoopShape = shape;
    return shape;
}

std::string ParseLoopRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const int32_t digit = RecordDigit(record);
    if (digit == 1)
        p.LoopLayoutFlag = IsBlank(record, 6) && IsBlank(record, 10) && IsBlank(record, 14) &&
                                   IsBlank(record, 18)
                               ? 1
                               : 0;
    if (p.LoopLayoutFlag == 1) {
        if (digit == 1) {
            p.FileLoopShape = IntegerAt(record, 3, 5);
            p.LoopAreaText = TrimmedAt(record, 45, 58);
            return std::string();
        }
        if (digit == 2)
            return ParseLoopSizes(state, record);
        return "   12.1";
    }
    if (digit == 1)
        return ParseLoopSizes(state, record);
    return "   12.1";
}

int32_t ParseReceiverRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const int32_t mode = state.ConverterMode;
    const int32_t digit = RecordDigit(record);
    if (digit == 1) {
        p.FileMains = IntegerAt(record, 3, 5);
        p.FileRepRateIndex = IntegerAt(record, 7, 9);
        p.FileCoilType = IntegerAt(record, 11, 13);
        p.FileComponent = IntegerAt(record, 27, 29);
        const int32_t gainX = IntegerAt(record, 31, 33);
        const int32_t gainY = IntegerAt(record, 35, 37);
        const int32_t gainZ = IntegerAt(record, 39, 41);
        p.FileGateSet = IntegerAt(record, 43, 45);
        if (p.FileGateSet > 1)
            p.FileUserGateCount = IntegerAt(record, 52, 54);

        static const char* const Letters[3] = {"Z", "X", "Y"};
        const int32_t gains[3] = {gainZ, gainX, gainY};
        if (p.FileComponent >= 0 && p.FileComponent < 3) {
            const int32_t gain = gains[p.FileComponent];
            p.ComponentLetter = Letters[p.FileComponent];
            p.FileGainCode = mode == ModeXyz ? gain : gain + 1;
            // The gain text is one digit; a gain code outside 0..8 leaves it.
            if (gain >= 0 && gain <= 8)
                p.GainText = std::string(1, static_cast<char>('1' + gain));
        }
        SetFirstGateTexts(p, 0.0);
        p.RxAreaText = ReceiverAreaText(p.FileCoilType);
        if (mode == ModeLz5) {
            const int32_t averaging = IntegerAt(record, 23, 25);
            if (averaging == 0 || averaging == 1)
                p.AveragingCodeText = " 1";
            else if (averaging >= 2 && averaging <= 8)
                p.AveragingCodeText = std::string(" ") + static_cast<char>('0' + averaging);
        }
        if (p.FileGateSet < 2 && mode != ModeXyz)
            BuildGateTimeTable(p, p.FileRepRateIndex, p.FileGateSet);
        return digit;
    }
    p.FileOnTime = IntegerAt(record, 11, 13);
    p.FileReceiverDelayUs = NumberAt(record, 15, 28);
    p.FileFirstGateTimeUs = NumberAt(record, 30, 43);
    if (p.FileGateSet >= 2 && mode != ModeXyz)
        BuildGateTimeTable(p, p.FileRepRateIndex, p.FileGateSet);
    p.FileR2Value = NumberAt(record, 46, 58);
    if (mode != ModeXyz && p.FileOnTime > 0 && p.FileReceiverDelayUs != 0)
        SetFirstGateTexts(p, p.FileReceiverDelayUs);
    return digit;
}

int32_t GateRecordNumber(char c)
{
    if (c >= '1' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 10;
    return 0;
}

void ParseGateValueRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const int32_t mode = state.ConverterMode;
    const int32_t n = record.size() >= 2 ? GateRecordNumber(record[1]) : 0;
    if (n == 0)
        return;
    const int32_t gates = ReadingGateCount(p);
    if (mode == ModeLz5) {
        const std::string early = PadNumberText(FitNumberText(p.FileR2Value, 7), 8);
        p.Lz5GateTexts[0] = early;
        p.Lz5GateTextsEarly[0] = early;
    }
    for (int32_t i = 1; i <= 4; ++i) {
        const int32_t g = 4 * (n - 1) + i;
        if (g > gates)
            break;
        const int32_t first = 3 + 14 * (i - 1);
        const double value = NumberAt(record, first, first + 13);
        switch (mode) {
        case ModeUsf:
            p.GateValues[g] = ScaleUsfValue(p, state.Settings.UsfVoltageUnits, value);
            break;
        case ModeLz5: {
            const double scaled = ScaleGateValue(p, mode, state.Settings.OutputUnits, value, g);
            const std::string text = PadNumberText(FitNumberText(scaled, 7), 8);
            if (p.FileGateSet == 0 || g > 10)
                p.Lz5GateTexts[g] = text;
            else
                p.Lz5GateTextsEarly[g] = text;
            break;
        }
        default:
            p.GateValues[g] = ScaleGateValue(p, mode, state.Settings.OutputUnits, value, g);
            break;
        }
    }
}

void ResetParsedRecords(ConverterState& state)
{
    state.Parsed = ParsedRecords();
    if (state.ConverterMode != ModeXyz)
        state.Parsed.FileTxTurns = 1;
}

int32_t ReadingGateCount(const ParsedRecords& p)
{
    if (p.FileGateSet == 0)
        return 20;
    if (p.FileGateSet == 1)
        return 30;
    if (p.FileGateSet < 0)
        return 0;
    if (p.FileUserGateCount < 0)
        return 0;
    return p.FileUserGateCount > MaxGates ? MaxGates : p.FileUserGateCount;
}

} // namespace converters
