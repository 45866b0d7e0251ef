#include "vlox/instruments/nmea.h"

#include <cstdlib>
#include <cstring>

namespace {

// Start and length of field n, or false when the sentence has too few separators.
bool FindField(const char* s, size_t length, int32_t n, char separator, size_t& start, size_t& count)
{
    if (n < 1)
        return false;
    size_t pos = 0;
    for (int32_t field = 1; field < n; ++field) {
        const void* next = std::memchr(s + pos, separator, length - pos);
        if (next == nullptr)
            return false;
        pos = static_cast<size_t>(static_cast<const char*>(next) - s) + 1;
    }
    const void* end = std::memchr(s + pos, separator, length - pos);
    start = pos;
    count = (end != nullptr ? static_cast<size_t>(static_cast<const char*>(end) - s) : length) - pos;
    return true;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

int32_t GetNmeaField(const char* sentence, int32_t n, char separator, char* out, size_t outSize)
{
    if (sentence == nullptr || out == nullptr)
        return 0;
    size_t start = 0, count = 0;
    if (!FindField(sentence, std::strlen(sentence), n, separator, start, count) || count + 1 > outSize)
        return 0;
    std::memcpy(out, sentence + start, count);
    out[count] = '\0';
    return 1;
}

int32_t GetNmeaField(const std::string& sentence, int32_t n, char separator, std::string& out)
{
    size_t start = 0, count = 0;
    if (!FindField(sentence.data(), sentence.size(), n, separator, start, count))
        return 0;
    out.assign(sentence, start, count);
    return 1;
}

uint8_t NmeaChecksum(const std::string& line)
{
    uint8_t sum = 0;
    for (size_t i = 1; i < line.size() && line[i] != '*'; ++i)
        sum ^= static_cast<uint8_t>(line[i]);
    return sum;
}

NmeaCheck CheckNmeaSentence(const std::string& line)
{
    if (line.empty() || line[0] != '$')
        return NmeaCheck::NoDollar;
    const size_t star = line.find('*');
    if (star == std::string::npos)
        return NmeaCheck::NoStar;
    const int high = star + 1 < line.size() ? HexDigit(line[star + 1]) : -1;
    const int low = star + 2 < line.size() ? HexDigit(line[star + 2]) : -1;
    if (high < 0 || low < 0 || ((high << 4) | low) != NmeaChecksum(line))
        return NmeaCheck::BadChecksum;
    return NmeaCheck::Good;
}

NmeaByteResult FeedNmeaByte(NmeaLineAssembler& a, uint8_t byte, uint32_t now, std::string& line, uint32_t& startTick)
{
    if (byte == '$') {
        a.SentenceStartTick = now;
        a.Buffer.assign(1, '$');
        a.Overlong = false;
        return NmeaByteResult::Pending;
    }
    if (byte == '\n') {
        if (a.Buffer.empty() && !a.Overlong)
            return NmeaByteResult::Pending;
        std::string done;
        done.swap(a.Buffer);
        const bool overlong = a.Overlong;
        a.Overlong = false;
        if (!done.empty() && done.back() == '\r')
            done.pop_back();
        if (overlong || done.size() > NmeaLineLimit)
            return NmeaByteResult::LineDropped;
        // A bare CR LF carries nothing to show.
        if (done.empty())
            return NmeaByteResult::Pending;
        startTick = done[0] == '$' ? a.SentenceStartTick : now;
        line.swap(done);
        return NmeaByteResult::LineReady;
    }
    if (byte == 0)
        return NmeaByteResult::Pending;
    if (a.Buffer.size() > static_cast<size_t>(NmeaWrapLength)) {
        a.Buffer.clear();
        a.Overlong = true;
    }
    a.Buffer.push_back(static_cast<char>(byte));
    return NmeaByteResult::Pending;
}

bool ParseNmeaInteger(const std::string& field, int32_t& value)
{
    size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        ++i;
    const size_t digitsFrom = i;
    while (i < field.size() && IsDigit(field[i]))
        ++i;
    // Nine digits always fit in 32 bits.
    if (i == digitsFrom || i != field.size() || i - digitsFrom > 9)
        return false;
    value = static_cast<int32_t>(std::strtol(field.c_str(), nullptr, 10));
    return true;
}

bool ParseNmeaNumber(const std::string& field, double& value)
{
    size_t i = 0;
    if (i < field.size() && (field[i] == '+' || field[i] == '-'))
        ++i;
    size_t digits = 0;
    while (i < field.size() && IsDigit(field[i]))
        ++i, ++digits;
    if (i < field.size() && field[i] == '.') {
        ++i;
        while (i < field.size() && IsDigit(field[i]))
            ++i, ++digits;
    }
    if (digits == 0 || i != field.size())
        return false;
    value = std::strtod(field.c_str(), nullptr);
    return true;
}
