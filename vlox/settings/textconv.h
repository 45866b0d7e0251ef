// Text conversion and timing helpers used by every part of V-LOX.
//
// File texts (configuration, data records, NMEA sentences) are 8-bit, one byte per
// character; the window interface is wide. WideChar is 16 bits on both builds (wchar_t on
// Windows, char16_t natively), so the portable code never depends on the size of wchar_t.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#ifdef _WIN32
using WideChar = wchar_t;
#define VLOX_WIDE(s) L##s
#else
using WideChar = char16_t;
#define VLOX_WIDE(s) u##s
#endif
static_assert(sizeof(WideChar) == 2, "wide texts are 16-bit units");

using WideString = std::basic_string<WideChar>;

// Copies each byte as one wide character, sign-extended (0x80-0xFF become 0xFF80-0xFFFF),
// as the stored texts have always been shown. dst must hold strlen(src) + 1 characters.
void NarrowToWide(const char* src, WideChar* dst);
// The same copy, zero-extended (0x80-0xFF become 0x0080-0x00FF): for NMEA sentences.
void BytesToWide(const char* src, WideChar* dst);
// Keeps the low byte of each wide character. dst must hold the source length + 1 bytes.
void WideToNarrow(const WideChar* src, char* dst);

// Conveniences over the same rules for code that holds std::string.
WideString NarrowToWide(const std::string& src);
std::string WideToNarrow(const WideString& src);

// printf into a string as long as the text needs: the C library's conversions, digit for
// digit the same on every build. A format the library refuses gives an empty text.
#if defined(__GNUC__)
__attribute__((format(printf, 1, 2)))
#endif
std::string
FormatText(const char* format, ...);

// Tick source: milliseconds since system start, 32-bit, wrapping (GetTickCount on Windows).
using TickSource = std::function<uint32_t()>;

// Busy-waits until the tick count has moved by more than ms (modulo 2^32, compared as a
// signed difference, so a wrap of the counter is crossed) and returns that difference.
// A negative or zero ms returns as soon as the difference exceeds it. No messages are
// pumped. The source is injected so tests need not wait.
int32_t DelayMsWith(int32_t ms, const TickSource& ticks);

// The program's busy wait on the system tick count (Windows builds only).
int32_t DelayMs(int32_t ms);

// Local calendar time, as the data-file records and the null-table headers stamp it.
struct LocalTime {
    int Year = 2000;
    int Month = 1;
    int Day = 1;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Milliseconds = 0;
};

// The local time now (Windows builds only: GetLocalTime).
LocalTime LocalTimeNow();
