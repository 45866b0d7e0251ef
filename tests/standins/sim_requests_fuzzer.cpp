// The simulated board takes whatever a caller sends: option text, and records of any length and
// content for every request and subsystem, on top of a valid set-up so that the checks of a
// configuration and the streaming behind it are reached. Nothing may crash or read or write
// past a record.
#include "standins/qzdrvsim/sim_board.h"

#include "qzdaapi32/driver_request.h"
#include "qzdaapi32/qzdaapi32.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const uint32_t kCodes[] = {
#define QZ_IOCTL_CODE_ROW(code, name) code,
    QZ_IOCTL_TABLE(QZ_IOCTL_CODE_ROW)
#undef QZ_IOCTL_CODE_ROW
        0x222430u,
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    if (data[0] == 0) {
        SimSettings settings;
        const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
        ParseSimOptions(text.c_str(), settings);
        return 0;
    }
    auto board = std::make_unique<SimBoard>();
    InitSimBoard(*board);
    board->settings.SpeedUp = 0.0;
    int32_t targets[6];
    const char* paths[6] = {"\\\\.\\QzSimBrd0",        "\\\\.\\QzSimBrd0\\AD0", "\\\\.\\QzSimBrd0\\DIN0",
                            "\\\\.\\QzSimBrd0\\DOUT0", "\\\\.\\QzSimBrd0\\CT0", "\\\\.\\QzSimBrd0\\CT1"};
    for (int i = 0; i < 6; ++i)
        SimOpen(*board, paths[i], true, false, true, &targets[i]);
    std::vector<SimCompletion> done;
    std::vector<std::vector<uint8_t>> buffers;
    size_t at = 1;
    uint64_t id = 1;
    while (at + 3 <= size) {
        const int32_t target = targets[data[at] % 6];
        const uint32_t code = kCodes[data[at + 1] % (sizeof kCodes / sizeof kCodes[0])];
        const size_t length = data[at + 2] % 8 == 0 ? data[at + 2] : kRequestBytes;
        at += 3;
        if (data[at - 1] == 0xFF) {
            // A read of a few samples into a buffer that lives until the end.
            buffers.emplace_back(static_cast<size_t>(data[at - 2]) * 2 + 2);
            SimQueueRead(*board, target, buffers.back().data(), static_cast<uint32_t>(buffers.back().size()), true,
                         id++, 0.0, done);
            continue;
        }
        const size_t bytes = code == QZIOCTL_CONFIG ? 320 + 24 * 16 : length;
        std::vector<uint8_t> record(bytes + 1, 0);
        const size_t take = std::min(bytes, size - at);
        std::memcpy(record.data(), data + at, take);
        at += take;
        SimIoControl(*board, target, code, record.data(), static_cast<uint32_t>(bytes), record.data(),
                     static_cast<uint32_t>(bytes), true, id++, 0.0, done);
        SimAdvance(*board, 0.0, done);
    }
    for (int i = 0; i < 6; ++i)
        SimClose(*board, targets[i], done);
    return 0;
}
