#include "converters/conversion.h"

#include "converters/record_parsers.h"

namespace converters {

const char NextFileStatus[] = "Select next file or click on the Exit button";
const char NotVlxFileText[] = "It is not correct V-LOX file, click on the OK to proceed";
const char NotVlxFileCaption[] = "Unknown Format";
const char FileErrorCaption[] = "File Error";

bool ConversionRun::OpenInput()
{
    Input = Host.OpenInput(State.InputPath);
    if (!Input) {
        Refuse("Cannot open file " + State.InputPath + ", click on the OK to proceed", FileErrorCaption);
        return false;
    }
    RecordsOf = std::make_unique<VlxRecords>(*Input);
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
    if (Count() > 0) {
        const std::string_view first = Records().Record(1);
        if (first[0] == 'H' && RecordDigit(first) == 1 && ParseHeaderRecord(State, first) == 1)
            return true;
    }
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

int32_t ConversionRun::Finish()
{
    if (Text && !Text->Finish()) {
        Host.ShowMessage("Cannot write file " + State.OutputPath +
                             ", the output is incomplete, click on the OK to proceed",
                         FileErrorCaption);
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

} // namespace converters
