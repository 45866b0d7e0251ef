// NMEA 0183 from the GPS receiver, in layers: line assembly from the serial bytes, the
// sentence check ('$', '*', checksum), then fields split at a separator. Portable: the reader
// threads feed bytes in, the handlers and the map's track reader take fields out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The longest line kept: `NmeaLine` and `GgaCopy` hold 127 characters and a terminator.
// NMEA sentences are at most 82 characters; anything longer is noise and is dropped.
constexpr size_t NmeaLineLimit = 127;
// The assembler restarts a line that already holds more than this many characters.
constexpr int32_t NmeaWrapLength = 200;

// Copies field n (1-based; field 1 is everything before the first separator, the last field
// runs to the end of the string) of a terminated sentence into out, terminated, and returns 1.
// Returns 0 and leaves out untouched when the sentence has fewer than n - 1 separators, when
// n is below 1, when sentence or out is null, or when the field and its terminator do not fit
// in outSize bytes.
int32_t GetNmeaField(const char* sentence, int32_t n, char separator, char* out, size_t outSize);
// The same over std::string (no size limit on out).
int32_t GetNmeaField(const std::string& sentence, int32_t n, char separator, std::string& out);

enum class NmeaCheck {
    Good,        // '$' first, a '*', and the checksum after it matches
    NoDollar,    // does not begin with '$'
    NoStar,      // no '*'
    BadChecksum  // the two characters after the first '*' are not the XOR of the characters
                 // between '$' and '*' as hexadecimal (upper or lower case), or are missing
};

// Judges one line without its CR LF.
NmeaCheck CheckNmeaSentence(const std::string& line);

// XOR of the characters after the leading '$' up to the first '*' (or the end).
uint8_t NmeaChecksum(const std::string& line);

// Line assembly byte by byte, as both GPS reader threads do it: '$' starts a sentence (the
// line restarts with it and its tick is noted); LF ends the line; other bytes are appended,
// and a line that already holds more than NmeaWrapLength characters restarts first.
// A CR just before the LF is removed, and only a CR: LF-only input keeps its checksum. A
// line that wrapped or is longer than NmeaLineLimit is dropped whole at its LF, never cut.
// NUL bytes are line noise and are skipped (they leave an XOR checksum unchanged, and would
// cut the sentence short wherever it is handled as a C string).
struct NmeaLineAssembler {
    std::string Buffer;
    bool Overlong = false;           // the current line wrapped: dropped at its LF
    uint32_t SentenceStartTick = 0;  // tick of the last '$'
};

enum class NmeaByteResult {
    Pending,     // the line goes on
    LineReady,   // line and startTick hold a finished line (never empty)
    LineDropped  // a line too long to keep ended here
};

// Feeds one byte received at tick now. On LineReady, line gets the line without CR LF and
// startTick the tick of its '$', or now for a line without a leading '$'.
NmeaByteResult FeedNmeaByte(NmeaLineAssembler& a, uint8_t byte, uint32_t now, std::string& line, uint32_t& startTick);

// Numbers in fields, as the receiver writes them. Each writes value and answers true only when
// the field is a whole number (optional sign, digits, and for the second an optional
// fraction); an empty or malformed field answers false and leaves value untouched.
bool ParseNmeaInteger(const std::string& field, int32_t& value);
bool ParseNmeaNumber(const std::string& field, double& value);
