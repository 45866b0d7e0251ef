#include "converters/conversion.h"

#include "converters/number_text.h"
#include "converters/record_parsers.h"

namespace converters {

const char NextFileStatus[] = "Select next file or click on the Exit button";
const char NotVlxFileText[] = "It is not correct V-LOX file, click on the OK to proceed";
const char NotVlxFileCaption[] = "Unknown Format";
const char FileErrorCaption[] = "File Error";
const char DamagedFileCaption[] = "Damaged File";

namespace {

// The bit of a reading's T, U, R or P record among its parts, as the parsers take them: every
// T record is the transmitter's, an R record other than R1 is R2, P records by their digit.
uint64_t PartBit(char tag, int32_t digit)
{
    switch (tag) {
    case 'T':
        return 1;
    case 'U':
        return 2;
    case 'R':
        return digit == 1 ? 4 : 8;
    case 'P':
        return uint64_t{16} << (digit >= 0 && digit <= 9 ? digit : 10);
    default:
        return 0;
    }
}

// "1 reading was", "3 readings were".
std::string Readings(int32_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

bool ReadingWalk::Begin(int32_t n, std::string_view record)
{
    Current = n;
    Tag.assign(record.substr(0, 2));
    if (Tag.size() == 2 && Tag[1] == ' ')
        Tag.pop_back();
    Parsed.FieldFault.clear();
    if (Records.CutShort(n)) {
        Tag.clear();
        return false;
    }
    const std::string& damage = Records.Damage(n);
    if (!damage.empty()) {
        Tag.clear();
        const int64_t line = Records.LineOf(n);
        Note(line, damage);
        // The stretch may have eaten the start of a reading: what follows up to the next
        // reading record is no reading of its own.
        if (!Now.Open) {
            Now = Reading();
            Now.Open = true;
            Now.Line = line;
        }
        Now.Broken = true;
        StationToConfirm = true;
        if (Records.MayHoldLineRecord(n)) {
            LineKnown = false;
            StationKnown = false;
        }
        return false;
    }
    Digit = RecordDigit(record);
    switch (record[0]) {
    case 'W':
        CheckReadingRecord(Parsed, record);
        ReadingStation = NumberOfField(Columns(record, 8, 21));
        break;
    case 'Z':
        CheckTimeStampRecord(Parsed, record);
        break;
    case 'V':
        Digit = GateRecordNumber(record[1]);
        if (Digit == 0)
            Parsed.FieldFault = "column 2 holds \"" + std::string(Columns(record, 2, 2)) +
                                "\" where the number of a gate-value record belongs";
        break;
    default:
        break;
    }
    return true;
}

std::string ReadingWalk::MissingPart() const
{
    if (!Now.HasW)
        return "W1";
    if (!Now.HasT)
        return "T1";
    if (!Now.HasP1)
        return "P1";
    if (Parsed.LoopLayoutFlag == 1 && !Now.HasP2)
        return "P2";
    if (!Now.HasR1)
        return "R1";
    if (!Now.HasR2)
        return "R2";
    const int32_t records = (ReadingGateCount(Parsed) + 3) / 4;
    for (int32_t k = 1; k <= records; ++k)
        if ((Now.GateRecords & (uint64_t{1} << (k - 1))) == 0)
            return std::string("V") + static_cast<char>(k <= 9 ? '0' + k : 'A' + k - 10);
    return std::string();
}

bool ReadingWalk::ReadingWhole() const
{
    return Now.Open && !Now.Broken && Sound() && HeaderRead[0] && HeaderRead[1] && LineKnown && StationKnown &&
           MissingPart().empty();
}

void ReadingWalk::Note(int64_t line, const std::string& what)
{
    if (DamageMet)
        return;
    DamageMet = true;
    DamageLine = line;
    DamageWhat = what;
    WrittenBeforeDamage = WrittenReadings;
}

void ReadingWalk::Part(int64_t line)
{
    if (!Now.Open) {
        Now = Reading();
        Now.Open = true;
        Now.Line = line;
    }
    Now.Parts = true;
    if (!Sound())
        Now.Broken = true;
}

void ReadingWalk::TakePart(int64_t line)
{
    const bool gate = Tag[0] == 'V';
    const uint64_t bit = gate ? (Digit >= 1 && Digit <= 64 ? uint64_t{1} << (Digit - 1) : 0) : PartBit(Tag[0], Digit);
    const bool again = Now.Open && (((gate ? Now.GateRecords : Now.PartRecords) & bit) != 0);
    Part(line);
    (gate ? Now.GateRecords : Now.PartRecords) |= bit;
    if (again) {
        if (!DamageMet)
            DamageTag = Tag;
        Note(line, "it repeats a part of the reading that begins at line " + std::to_string(Now.Line));
        Now.Broken = true;
    }
}

void ReadingWalk::Close(bool whole, bool timeStampCame)
{
    if (!whole && (Now.HasW || Now.Parts)) {
        ++LeftOutReadings;
        // Damage inside it, or a damaged line or station record, was told where it was met;
        // what is missing is told here.
        const std::string missing = MissingPart();
        if (!Now.Broken) {
            if (!Now.HasW)
                Note(Now.Line, "the records of a reading there have no reading record (W1) before them");
            else if (!missing.empty())
                Note(Now.Line, "the reading that begins there has no " + missing + " record");
            else if (!timeStampCame)
                Note(Now.Line, "the reading that begins there has no time stamp (Z1)");
            else if (!HeaderRead[0] || !HeaderRead[1])
                Note(Now.Line, std::string("the file has no ") + (HeaderRead[0] ? "H2" : "H1") + " record before it");
            else
                Note(Now.Line, "the reading that begins there has no station record (S1) of its line before it");
        }
    }
    Now = Reading();
}

void ReadingWalk::End()
{
    if (Tag.empty())
        return;
    const int64_t line = Records.LineOf(Current);
    const bool sound = Sound();
    if (!sound && !DamageMet) {
        Note(line, Parsed.FieldFault);
        DamageTag = Tag;
    }
    switch (Tag[0]) {
    case 'H':
        if (Now.Open)
            Close(false, false);
        // The header's texts go into every reading's output.
        if (Digit == 1 || Digit == 2)
            HeaderRead[Digit - 1] = sound;
        break;
    case 'L':
        if (Now.Open)
            Close(false, false);
        // Its station record follows it.
        LineKnown = sound;
        StationKnown = false;
        break;
    case 'S':
        if (Now.Open)
            Close(false, false);
        StationKnown = sound && LineKnown;
        StationToConfirm = false;
        break;
    case 'W':
        if (Now.Open)
            Close(false, false);
        Now = Reading();
        Now.Open = true;
        Now.HasW = true;
        Now.Parts = true;
        Now.Line = line;
        Now.Broken = !sound;
        // After a damaged stretch a station record may have been lost: the reading record
        // carries its station.
        if (sound && StationToConfirm) {
            if (ReadingStation != Parsed.StationNumber)
                StationKnown = false;
            StationToConfirm = false;
        }
        break;
    case 'T':
        TakePart(line);
        Now.HasT = true;
        break;
    case 'P':
        TakePart(line);
        Now.HasP1 = Now.HasP1 || Digit == 1;
        Now.HasP2 = Now.HasP2 || Digit == 2;
        break;
    case 'R':
        TakePart(line);
        (Digit == 1 ? Now.HasR1 : Now.HasR2) = true;
        break;
    case 'V':
    case 'U':
        TakePart(line);
        break;
    case 'Z': {
        const bool whole = ReadingWhole();
        Part(line);
        Close(whole, true);
        break;
    }
    case 'C':
        break;
    default:
        // A stored sentence or placeholder: a store writes them after a reading's time stamp,
        // never inside a reading.
        if (Now.Open)
            Now.Followed = true;
        break;
    }
    Tag.clear();
}

void ReadingWalk::Finish()
{
    // A reading the end of the file cuts off is the one a power cut interrupted: left out
    // without a word, unless damage was met inside it or records followed it.
    if (Now.Open && (Now.HasW || Now.Parts)) {
        if (Now.Broken)
            ++LeftOutReadings;
        else if (Now.Followed)
            Close(false, false);
    }
    Now = Reading();
}

std::string ReadingWalk::Report() const
{
    std::string text = "The file is damaged at line " + std::to_string(DamageLine);
    if (!DamageTag.empty())
        text += " (record " + DamageTag + ")";
    text += ": " + DamageWhat + ".\n";
    text += Readings(WrittenBeforeDamage, "reading was", "readings were") + " written before it, " +
            std::to_string(WrittenReadings) + " in all";
    if (LeftOutReadings > 0)
        text += "; " + Readings(LeftOutReadings, "damaged reading was", "damaged readings were") + " left out";
    return text + ".\nThe output is incomplete, click on the OK to proceed";
}

bool ConversionRun::OpenInput()
{
    Input = Host.OpenInput(State.InputPath);
    if (!Input) {
        Refuse("Cannot open file " + State.InputPath + ", click on the OK to proceed", FileErrorCaption);
        return false;
    }
    RecordsOf = std::make_unique<VlxRecords>(*Input);
    if (RecordsOf->ReadFailed() && RecordsOf->Count() == 0) {
        Refuse("Cannot read file " + State.InputPath + ", click on the OK to proceed", FileErrorCaption);
        return false;
    }
    return true;
}

bool ConversionRun::CreateOutput()
{
    Output = Host.CreateOutput(State.OutputPath);
    if (!Output) {
        Refuse("Cannot create file " + State.OutputPath + ", click on the OK to proceed", FileErrorCaption);
        return false;
    }
    Text = std::make_unique<OutputText>(*Output);
    return true;
}

bool ConversionRun::StartsAsSurveyFile()
{
    // The signature where the file starts, even when its framing is damaged there (CR-only
    // line ends): such a file is a damaged survey, told as such, not one of another kind.
    const std::string_view first = Records().FirstRecordText();
    if (first.size() >= 8 && first[0] == 'H' && RecordDigit(first) == 1 && ParseHeaderRecord(State, first) == 1)
        return true;
    Refuse(NotVlxFileText, NotVlxFileCaption);
    return false;
}

bool ConversionRun::SignaturesAccepted()
{
    VlxRecords& records = Records();
    for (int32_t i = 1; i <= records.Count(); ++i) {
        const std::string_view r = records.Record(i);
        if (r[0] == 'H' && RecordDigit(r) == 1 && ParseHeaderRecord(State, r) == 0) {
            Refuse(NotVlxFileText, NotVlxFileCaption);
            return false;
        }
    }
    return true;
}

int32_t ConversionRun::Refuse(const std::string& text, const std::string& caption, const std::string& status)
{
    Host.ShowMessage(text, caption);
    Host.SetStatusText(status);
    Host.SetProgressPosition(0);
    return 0;
}

int32_t ConversionRun::Finish(const ReadingWalk* walk)
{
    if (Text && !Text->Finish()) {
        Host.ShowMessage("Cannot write file " + State.OutputPath +
                             ", the output is incomplete, click on the OK to proceed",
                         FileErrorCaption);
        return EndWith(-1);
    }
    if (RecordsOf && RecordsOf->ReadFailed()) {
        Host.ShowMessage("Cannot read file " + State.InputPath +
                             ", the output is incomplete, click on the OK to proceed",
                         FileErrorCaption);
        return EndWith(-1);
    }
    if (walk && walk->Damaged()) {
        Host.ShowMessage(walk->Report(), DamagedFileCaption);
        return EndWith(-1);
    }
    return EndWith(1);
}

int32_t ConversionRun::EndWith(int32_t result)
{
    Host.SetStatusText(NextFileStatus);
    Host.SetProgressPosition(0);
    return result;
}

}  // namespace converters
