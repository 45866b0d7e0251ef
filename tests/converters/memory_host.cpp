#include "memory_host.h"

#include "converters/converter_settings.h"
#include "converters/writers.h"

using namespace converters;

void MemoryHost::SetStatusText(const std::string& text)
{
    if (Record)
        Statuses.push_back(text);
}

void MemoryHost::SetProgressRange(int32_t high)
{
    ProgressHigh = high;
}

void MemoryHost::SetProgressPosition(int32_t position)
{
    ProgressPosition = position;
    if (position < 0 || position > ProgressHigh)
        ProgressOutOfRange = true;
}

void MemoryHost::ShowMessage(const std::string& text, const std::string& caption)
{
    Messages.emplace_back(text, caption);
}

std::unique_ptr<InputFile> MemoryHost::OpenInput(const std::string&)
{
    if (InputMissing)
        return nullptr;
    auto file = std::make_unique<MemoryInputFile>(Input);
    file->FailFrom = InputFailFrom;
    file->FailTo = InputFailTo;
    file->ReadsBeforeFailing = InputReadsBeforeFailing;
    return file;
}

std::unique_ptr<OutputFile> MemoryHost::CreateOutput(const std::string&)
{
    if (OutputRefused)
        return nullptr;
    OutputCreated = true;
    Output.clear();
    auto file = std::make_unique<MemoryOutputFile>(Output);
    file->FailAfter = OutputFailAfter;
    return file;
}

Converted Convert(int32_t mode, const std::string& survey, const std::function<void(ConverterSettings&)>& adjust,
                  const std::function<void(MemoryHost&)>& prepare)
{
    Converted c;
    ConverterState state;
    state.ConverterMode = mode;
    DefaultConverterSettings(state.Settings, mode);
    if (adjust)
        adjust(state.Settings);
    state.InputPath = "D:\\Survey\\line.VLX";
    state.OutputPath = "D:\\Survey\\line.out";
    c.Host.Input = survey;
    if (prepare)
        prepare(c.Host);
    c.Result = RunConverterWriter(state, c.Host);
    std::string line;
    for (char ch : c.Host.Output) {
        if (ch == '\n') {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            c.Lines.push_back(line);
            line.clear();
        } else {
            line += ch;
        }
    }
    return c;
}
