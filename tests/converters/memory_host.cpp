#include "memory_host.h"

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
    return std::make_unique<MemoryInputFile>(Input);
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
