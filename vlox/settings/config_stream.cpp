#include "vlox/settings/config_stream.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

int32_t ReadTextLine(ByteReader& in, char* buffer, int32_t capacity)
{
    int32_t n = 0;
    // The line ends at a LF, or at the end of the bytes (a last line whose CR LF an editor
    // dropped is a whole line all the same); a CR before the end is not part of it.
    auto end = [&]() -> int32_t {
        if (n > 0 && buffer[n - 1] == '\r') {
            buffer[n - 1] = 0;
            return n - 1;
        }
        if (n >= capacity) {
            buffer[capacity - 1] = 0;
            return TextLineTooLong;
        }
        buffer[n] = 0;
        return n;
    };
    for (;;) {
        if (in.Pos >= in.Size) {
            if (n == 0) {
                buffer[0] = 0;
                return TextLineEndOfFile;
            }
            return end();
        }
        const char c = in.Data[in.Pos++];
        if (c == '\n')
            return end();
        if (n >= capacity) {
            buffer[capacity - 1] = 0;
            return TextLineTooLong;
        }
        buffer[n++] = c;
    }
}

bool ReadRecordLine(ByteReader& in, char* record, size_t length)
{
    char line[ConfigLineBufferSize];
    const int32_t n = ReadTextLine(in, line, ConfigLineBufferSize);
    if (n < 0 || length < 2 || static_cast<size_t>(n) > length - 2)
        return false;
    std::memcpy(record, line, static_cast<size_t>(n));
    std::memset(record + n, ' ', length - 2 - static_cast<size_t>(n));
    record[length - 2] = '\r';
    record[length - 1] = '\n';
    return true;
}

void SkipByteOrderMark(ByteReader& in)
{
    static const char mark[] = "\xEF\xBB\xBF";
    if (in.Size - in.Pos >= 3 && std::memcmp(in.Data + in.Pos, mark, 3) == 0)
        in.Pos += 3;
}

int32_t LineNumberAt(const ByteReader& in)
{
    int32_t line = 1;
    for (size_t i = 0; i < in.Pos && i < in.Size; ++i)
        if (in.Data[i] == '\n')
            ++line;
    return line;
}

int32_t ParseConfigInt(const char* text)
{
    errno = 0;
    long long v = std::strtoll(text, nullptr, 10);
    if (v > INT32_MAX)
        return INT32_MAX;
    if (v < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

double ParseConfigDouble(const char* text)
{
    // Only the decimal number at the front goes to strtod, which would also read hexadecimal.
    const char* p = text;
    while (std::isspace(static_cast<unsigned char>(*p)))
        ++p;
    const char* start = p;
    if (*p == '+' || *p == '-')
        ++p;
    int digits = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        ++p;
        ++digits;
    }
    if (*p == '.') {
        ++p;
        while (std::isdigit(static_cast<unsigned char>(*p))) {
            ++p;
            ++digits;
        }
    }
    if (digits == 0) {
        // "inf" and "nan" come back non-finite, for the loader to refuse.
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
        return c == 'i' || c == 'n' ? std::strtod(start, nullptr) : 0.0;
    }
    if (*p == 'e' || *p == 'E') {
        const char* e = p + 1;
        if (*e == '+' || *e == '-')
            ++e;
        if (std::isdigit(static_cast<unsigned char>(*e))) {
            while (std::isdigit(static_cast<unsigned char>(*e)))
                ++e;
            p = e;
        }
    }
    return std::strtod(std::string(start, p).c_str(), nullptr);
}

int32_t ParseFieldInt(const char* field, size_t width)
{
    std::string copy(field, width);
    return ParseConfigInt(copy.c_str());
}

double ParseFieldDouble(const char* field, size_t width)
{
    std::string copy(field, width);
    return ParseConfigDouble(copy.c_str());
}
