// A converter host over memory for the tests, the fuzzer and the benchmark: the input's bytes,
// the output collected, and every status, progress and message recorded.
#pragma once

#include "converters/conversion.h"

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class MemoryHost : public converters::ConverterHost {
public:
    std::string Input;
    bool InputMissing = false;
    int64_t InputFailFrom = -1;  // reads reaching this byte fail (a bad place on the card)
    int64_t InputFailTo = -1;    // where the bad place ends (negative: at the file's end)
    int32_t InputReadsBeforeFailing = 0;
    bool OutputRefused = false;
    int64_t OutputFailAfter = -1;  // bytes the output takes before writes fail
    bool Record = true;            // keep statuses and progress (the benchmark does not)

    bool OutputCreated = false;
    std::string Output;
    std::vector<std::string> Statuses;
    std::vector<std::pair<std::string, std::string>> Messages;  // text, caption
    int32_t ProgressHigh = 0;
    int32_t ProgressPosition = 0;
    bool ProgressOutOfRange = false;

    void SetStatusText(const std::string& text) override;
    void SetProgressRange(int32_t high) override;
    void SetProgressPosition(int32_t position) override;
    void ShowMessage(const std::string& text, const std::string& caption) override;
    std::unique_ptr<converters::InputFile> OpenInput(const std::string& path) override;
    std::unique_ptr<converters::OutputFile> CreateOutput(const std::string& path) override;
};

// One conversion of a survey in memory by the writer of a mode, from that build's default
// settings (adjusted) and a prepared host; the output also split into lines without CR LF.
struct Converted {
    int32_t Result = 0;
    MemoryHost Host;
    std::vector<std::string> Lines;
};
Converted Convert(int32_t mode, const std::string& survey,
                  const std::function<void(converters::ConverterSettings&)>& adjust = nullptr,
                  const std::function<void(MemoryHost&)>& prepare = nullptr);
