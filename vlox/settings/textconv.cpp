#include "vlox/settings/textconv.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

void NarrowToWide(const char* src, WideChar* dst)
{
    size_t n = std::strlen(src);
    for (size_t i = 0; i < n; ++i) {
        // Through signed char: bytes above 0x7F sign-extend, as the stored files expect.
        dst[i] = static_cast<WideChar>(static_cast<int16_t>(static_cast<signed char>(src[i])));
    }
    dst[n] = 0;
}

void BytesToWide(const char* src, WideChar* dst)
{
    size_t n = std::strlen(src);
    for (size_t i = 0; i < n; ++i)
        dst[i] = static_cast<WideChar>(static_cast<unsigned char>(src[i]));
    dst[n] = 0;
}

void WideToNarrow(const WideChar* src, char* dst)
{
    size_t n = 0;
    while (src[n] != 0)
        ++n;
    for (size_t i = 0; i < n; ++i)
        dst[i] = static_cast<char>(static_cast<uint16_t>(src[i]) & 0xFF);
    dst[n] = 0;
}

WideString NarrowToWide(const std::string& src)
{
    WideString out(src.size(), 0);
    for (size_t i = 0; i < src.size(); ++i)
        out[i] = static_cast<WideChar>(static_cast<int16_t>(static_cast<signed char>(src[i])));
    return out;
}

std::string WideToNarrow(const WideString& src)
{
    std::string out(src.size(), 0);
    for (size_t i = 0; i < src.size(); ++i)
        out[i] = static_cast<char>(static_cast<uint16_t>(src[i]) & 0xFF);
    return out;
}

int32_t DelayMsWith(int32_t ms, const TickSource& ticks)
{
    uint32_t start = ticks();
    for (;;) {
        int32_t elapsed = static_cast<int32_t>(ticks() - start);
        if (elapsed > ms)
            return elapsed;
    }
}

std::string FormatText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int n = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text;
    if (n > 0) {
        std::vector<char> buffer(static_cast<size_t>(n) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, again);
        text.assign(buffer.data(), static_cast<size_t>(n));
    }
    va_end(again);
    return text;
}
