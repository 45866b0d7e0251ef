#include "converters/record_parsers.h"

#include "converters/gate_times.h"
#include "converters/number_text.h"

namespace converters {

namespace {

// The columns of a field and what they hold, as the operator would look for them.
std::string ColumnsHold(int32_t first, int32_t last)
{
    return first == last ? "column " + std::to_string(first) + " holds"
                         : "columns " + std::to_string(first) + "-" + std::to_string(last) + " hold";
}

// A field the converters read as a number must hold one, plainly written; otherwise the record
// is damaged and the first such field is noted. Returns its number.
double NumberAt(ParsedRecords& p, std::string_view record, int32_t first, int32_t last)
{
    const std::string_view field = Columns(record, first, last);
    const FieldNumber number = ReadFieldNumber(field);
    if (!number.Plain && p.FieldFault.empty()) {
        const std::string text = TrimRight(TrimLeft(field));
        p.FieldFault = text.empty() ? ColumnsHold(first, last) + " no number"
                                    : ColumnsHold(first, last) + " \"" + text + "\", which is no number";
    }
    return number.Value;
}

int32_t IntegerAt(ParsedRecords& p, std::string_view record, int32_t first, int32_t last)
{
    return RoundHalfEven(NumberAt(p, record, first, last));
}

// A number field's text without its leading and trailing blanks, checked.
std::string NumberTextAt(ParsedRecords& p, std::string_view record, int32_t first, int32_t last)
{
    NumberAt(p, record, first, last);
    return TrimRight(TrimLeft(Columns(record, first, last)));
}

// A number text without trailing zeros, kept whole.
std::string WholeNumberText(std::string text)
{
    return TrimNumberText(text, -1);
}

// A number text in a field of width characters, right-aligned: without trailing zeros, with
// fewer decimals when it is too wide, never with a leading digit cut; a whole part wider than
// the field takes the exponent form.
std::string ShortField(std::string text, int32_t width)
{
    TrimNumberText(text, width);
    if (text.size() > static_cast<size_t>(width))
        text = FitNumberText(NumberOfField(text), width);
    return PadNumberText(text, width);
}

// An LZ5 field that holds its number in plain digits (line, station, loop area): as
// ShortField, but a number whose whole part does not fit is noted for the LZ5 writer, which
// refuses the file; other programs read these fixed columns, and a number cut or in exponent
// form there reads as another one. A record whose fields hold no number is damage, never
// written, and not noted.
std::string Lz5NumberField(ParsedRecords& p, std::string text, int32_t width, const char* name)
{
    const std::string whole = WholeNumberText(text);
    TrimNumberText(text, width);
    if ((text.size() > static_cast<size_t>(width) || text.find_first_of("Ee") != std::string::npos) &&
        p.Lz5UnfitValue.empty() && p.FieldFault.empty())
        p.Lz5UnfitValue =
            std::string(name) + " " + whole + " does not fit its field of " + std::to_string(width) + " characters";
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
    p.LoopCentreX = NumberAt(p, record, 3, 16);
    p.LoopCentreY = NumberAt(p, record, 17, 30);
    p.LoopCentreXText = ShortField(NumberTextAt(p, record, 3, 16), 8);
    p.LoopCentreYText = ShortField(NumberTextAt(p, record, 17, 30), 8);
    const double sideA = NumberAt(p, record, 31, 44);
    p.LoopSideXText = lz5 ? Lz5SideText(record, 31, current) : ShortField(NumberTextAt(p, record, 31, 44), 8);
    double sideB = sideA;
    if (p.FileLoopShape == 0) {
        p.LoopSideYText = p.LoopSideXText;
    } else {
        sideB = NumberAt(p, record, 45, 58);
        p.LoopSideYText = lz5 ? Lz5SideText(record, 45, current) : ShortField(NumberTextAt(p, record, 45, 58), 8);
    }
    p.LoopSideX = sideA;
    p.LoopSideY = sideB;
    return Lz5NumberField(p, DecimalText(sideA * sideB), 7, "the loop area");
}

}  // namespace

std::string_view Columns(std::string_view record, int32_t first, int32_t last)
{
    if (first < 1 || last < first || static_cast<size_t>(first) > record.size())
        return std::string_view();
    const size_t start = static_cast<size_t>(first - 1);
    return record.substr(start, static_cast<size_t>(last) - static_cast<size_t>(first) + 1);
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
    return IntegerOfField(Columns(record, 2, 2));
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
        const int32_t sync = IntegerAt(p, record, 19, 20);
        if (sync >= 0 && sync < 3) {
            p.SyncSourceText = SyncTexts[sync];
            p.SyncSourceTextB = SyncTexts[sync];
        }
        if (state.ConverterMode == ModeLz5) {
            static const char* const TransmitterCodes[5] = {"      81", "    81.2", "      85", "      89", "    89.4"};
            const int32_t code = IntegerAt(p, record, 22, 23);
            if (code >= 0 && code < 5)
                p.TransmitterCodeText = TransmitterCodes[code];
        }
        // Every build reads the survey layout: the TXT report names it too.
        p.FileSystemConfiguration = IntegerAt(p, record, 16, 17);
    }
    return 1;
}

int32_t ParseReadingRecord(std::string_view record)
{
    return RecordDigit(record) == 1 ? 1 : 0;
}

void CheckReadingRecord(ParsedRecords& p, std::string_view record)
{
    const std::string_view digit = Columns(record, 2, 2);
    if (p.FieldFault.empty() && digit != "0" && digit != "1")
        p.FieldFault = ColumnsHold(2, 2) + " \"" + std::string(digit) + "\" where 0 or 1 belongs";
    NumberAt(p, record, 8, 21);
}

void CheckTimeStampRecord(ParsedRecords& p, std::string_view record)
{
    // Day, month, year; hours, minutes, seconds and milliseconds with their separators.
    static const struct {
        int32_t First, Last;
        char Separator;  // 0: digits
    } parts[] = {{4, 11, 0},    {13, 14, 0}, {15, 15, ':'}, {16, 17, 0},
                 {18, 18, ':'}, {19, 20, 0}, {21, 21, '.'}, {22, 24, 0}};
    for (const auto& part : parts) {
        const std::string_view field = Columns(record, part.First, part.Last);
        bool good = field.size() == static_cast<size_t>(part.Last) - static_cast<size_t>(part.First) + 1;
        for (char c : field)
            good = good && (part.Separator ? c == part.Separator : c >= '0' && c <= '9');
        if (!good && p.FieldFault.empty())
            p.FieldFault =
                ColumnsHold(part.First, part.Last) + " \"" + std::string(field) + "\" where " +
                (part.Separator ? "\"" + std::string(1, part.Separator) + "\" belongs" : std::string("digits belong"));
    }
    NumberAt(p, record, 26, 35);
}

std::string ParseLineRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string full = NumberTextAt(p, record, 3, 16);
    p.FileLineDirection = IntegerAt(p, record, 19, 19);
    // Positions take the whole number; only the LZ5 field is shortened.
    p.LineNumber = NumberOfField(full);
    if (p.FileLineDirection == 0 || p.FileLineDirection == 1)
        p.GridX = p.LineNumber;
    else if (p.FileLineDirection == 2 || p.FileLineDirection == 3)
        p.GridY = p.LineNumber;
    const char* letter = DirectionLetter(p.FileLineDirection);
    p.LineLabel = WholeNumberText(full) + letter;
    p.LineText = PadNumberText(TrimLeft(Lz5NumberField(p, full, 4, "the line")) + letter, 5);
    return p.LineText;
}

std::string ParseStationRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string full = NumberTextAt(p, record, 3, 16);
    p.StationNumber = NumberOfField(full);
    if (p.FileLineDirection == 0 || p.FileLineDirection == 1)
        p.GridY = p.StationNumber;
    else if (p.FileLineDirection == 2 || p.FileLineDirection == 3)
        p.GridX = p.StationNumber;
    p.StationLabel = WholeNumberText(full);
    p.StationText = Lz5NumberField(p, full, 6, "the station");
    return p.StationText;
}

int32_t ParseTransmitterRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const std::string current = NumberTextAt(p, record, 3, 16);
    p.TxCurrentText = ShortField(current, 8);
    p.TxCurrent = NumberOfField(current);
    const std::string turnOff = NumberTextAt(p, record, 18, 31);
    p.TurnOffTimeUs = NumberOfField(turnOff);
    if (state.ConverterMode == ModeLz5)
        p.TurnOffTimeText = PadNumberText(FitNumberText(p.TurnOffTimeUs, 8), 8);
    else
        p.TurnOffTimeText = ShortField(turnOff, 8);
    p.FileTxTurns = IntegerAt(p, record, 36, 38);
    if (p.FileTxTurns == 0)
        p.FileTxTurns = 1;
    // Loop records of the earlier layout carry no shape code of their own: they follow this one.
    const int32_t shape = IntegerAt(p, record, 33, 34);
    p.FileLoopShape = shape;
    return shape;
}

std::string ParseLoopRecord(ConverterState& state, std::string_view record)
{
    ParsedRecords& p = state.Parsed;
    const int32_t digit = RecordDigit(record);
    if (digit == 1)
        p.LoopLayoutFlag =
            IsBlank(record, 6) && IsBlank(record, 10) && IsBlank(record, 14) && IsBlank(record, 18) ? 1 : 0;
    if (p.LoopLayoutFlag == 1) {
        if (digit == 1) {
            p.FileLoopShape = IntegerAt(p, record, 3, 5);
            p.LoopAreaText = NumberTextAt(p, record, 45, 58);
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
        p.FileMains = IntegerAt(p, record, 3, 5);
        p.FileRepRateIndex = IntegerAt(p, record, 7, 9);
        p.FileCoilType = IntegerAt(p, record, 11, 13);
        p.FileComponent = IntegerAt(p, record, 27, 29);
        const int32_t gainX = IntegerAt(p, record, 31, 33);
        const int32_t gainY = IntegerAt(p, record, 35, 37);
        const int32_t gainZ = IntegerAt(p, record, 39, 41);
        p.FileGateSet = IntegerAt(p, record, 43, 45);
        if (p.FileGateSet > 1)
            p.FileUserGateCount = IntegerAt(p, record, 52, 54);

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
            const int32_t averaging = IntegerAt(p, record, 23, 25);
            if (averaging == 0 || averaging == 1)
                p.AveragingCodeText = " 1";
            else if (averaging >= 2 && averaging <= 8)
                p.AveragingCodeText = std::string(" ") + static_cast<char>('0' + averaging);
        }
        if (p.FileGateSet < 2 && mode != ModeXyz)
            BuildGateTimeTable(p, p.FileRepRateIndex, p.FileGateSet);
        return digit;
    }
    p.FileOnTime = IntegerAt(p, record, 11, 13);
    p.FileReceiverDelayUs = NumberAt(p, record, 15, 28);
    p.FileFirstGateTimeUs = NumberAt(p, record, 30, 43);
    if (p.FileGateSet >= 2 && mode != ModeXyz)
        BuildGateTimeTable(p, p.FileRepRateIndex, p.FileGateSet);
    p.FileR2Value = NumberAt(p, record, 46, 58);
    if (mode != ModeXyz && p.FileOnTime > 0 && p.FileReceiverDelayUs != 0)
        SetFirstGateTexts(p, p.FileReceiverDelayUs);
    return digit;
}

int32_t ParseRecordOfTag(ConverterState& state, std::string_view record)
{
    switch (record.empty() ? ' ' : record[0]) {
    case 'H':
        ParseHeaderRecord(state, record);
        break;
    case 'L':
        ParseLineRecord(state, record);
        break;
    case 'S':
        ParseStationRecord(state, record);
        break;
    case 'T':
        ParseTransmitterRecord(state, record);
        break;
    case 'P':
        ParseLoopRecord(state, record);
        break;
    case 'R':
        ParseReceiverRecord(state, record);
        break;
    case 'V':
        ParseGateValueRecord(state, record);
        break;
    case 'W':
        return ParseReadingRecord(record);
    default:
        break;
    }
    return -1;
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
        const double value = NumberAt(p, record, first, first + 13);
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

}  // namespace converters
