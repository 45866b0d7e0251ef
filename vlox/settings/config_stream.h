// Reading the configuration file: a byte stream read line by line (text lines up to LF) or
// in fixed 60-byte records, and the number conversions of its lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// A file's bytes and the read position in them.
struct ByteReader {
    const char* Data = nullptr;
    size_t Size = 0;
    size_t Pos = 0;
};

inline ByteReader MakeByteReader(std::string_view bytes)
{
    return ByteReader{bytes.data(), bytes.size(), 0};
}

constexpr int32_t ConfigLineBufferSize = 260;  // a setting line, CR included
constexpr int32_t VersionLineBufferSize = 9;   // the version line, CR included
constexpr int32_t TextLineEndOfFile = -1;      // the bytes ended before a LF
constexpr int32_t TextLineTooLong = -2;        // more bytes before the LF than the buffer holds

// Reads one line: bytes up to a LF; the byte before the LF (the CR) becomes the terminating
// NUL, so a line ended by a lone LF loses its last character, and a lone LF gives the empty
// text. Returns the count of characters before the CR, TextLineEndOfFile, or TextLineTooLong
// when the line (CR included) needs more than `capacity` bytes. The buffer is always
// terminated inside its capacity (capacity must be at least 1).
int32_t ReadTextLine(ByteReader& in, char* buffer, int32_t capacity);

// Reads `length` bytes into record; false (nothing consumed) when fewer remain.
bool ReadFixedRecord(ByteReader& in, char* record, size_t length);

// Decimal integer as the lines hold it: leading blanks, optional sign, digits; what follows
// is ignored; no digits give 0; values beyond 32 bits are held at the int32 limits.
int32_t ParseConfigInt(const char* text);
// Decimal floating-point number by the same rule: digits with an optional point and
// exponent, never hexadecimal (no digits give 0.0). May return a non-finite value ("inf",
// "nan", overflow); callers check.
double ParseConfigDouble(const char* text);
// The same conversions over a fixed field of `width` characters.
int32_t ParseFieldInt(const char* field, size_t width);
double ParseFieldDouble(const char* field, size_t width);
