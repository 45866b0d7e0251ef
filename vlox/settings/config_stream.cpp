#include "vlox/settings/config_stream.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

int32_t ReadTextLine(ByteReader& in, char* buffer, int32_t capacity)
{
    int32_t n = 0;
    for (;;) {
        if (in.Pos >= in.Size) {
            buffer[n < capacity ? n : capacity - 1] = 0;
            return TextLineEndOfFile;
        }
        char c = in.Data[in.Pos++];
        if (c == '\n') {
            // A lone LF as the whole line has no CR before it to drop.
            if (n == 0) {
                buffer[0] = 0;
                return 0;
            }
            buffer[n - 1] = 0;
            return n - 1;
        }
        if (n >= capacity) {
            buffer[capacity - 1] = 0;
            return TextLineTooLong;
        }
        buffer[n++] = c;
    }
}

bool ReadFixedRecord(ByteReader& in, char* record, size_t length)
{
    if (in.Size - in.Pos < length)
        return false;
    std::memcpy(record, in.Data + in.Pos, length);
    in.Pos += length;
    return true;
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
    return std::strtod(text, nullptr);
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
