// NMEA framing, checksum and fields: the receiver's worked examples and malformed input
// (binary noise, truncated sentences, missing fields, wrong checksums).
#include "vlox/instruments/nmea.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const std::string ExampleGga = "$GPGGA,101500,4530.000,N,07530.000,W,1,05,1.2,100.0,M,-34.0,M,,*7B";

struct Fed {
    std::string line;
    uint32_t tick;
    NmeaByteResult result;
};

// Feeds bytes at ticks base, base+1, ... and collects what ends.
std::vector<Fed> FeedAll(NmeaLineAssembler& a, const std::string& bytes, uint32_t base = 1000)
{
    std::vector<Fed> out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::string line;
        uint32_t tick = 0;
        const NmeaByteResult r =
            FeedNmeaByte(a, static_cast<uint8_t>(bytes[i]), base + static_cast<uint32_t>(i), line, tick);
        if (r != NmeaByteResult::Pending)
            out.push_back({line, tick, r});
    }
    return out;
}

TEST(NmeaChecksum, TheWorkedExampleIsGoodAndOneDigitOffIsNot)
{
    EXPECT_EQ(NmeaChecksum(ExampleGga), 0x7B);
    EXPECT_EQ(CheckNmeaSentence(ExampleGga), NmeaCheck::Good);
    std::string wrong = ExampleGga;
    wrong.back() = 'C';
    EXPECT_EQ(CheckNmeaSentence(wrong), NmeaCheck::BadChecksum);
    // Lower-case hexadecimal is the same number.
    std::string lower = ExampleGga;
    lower.back() = 'b';
    EXPECT_EQ(CheckNmeaSentence(lower), NmeaCheck::Good);
}

TEST(NmeaChecksum, MalformedLinesAreNamedByTheirFault)
{
    const struct {
        std::string line;
        NmeaCheck expected;
    } cases[] = {
        {"", NmeaCheck::NoDollar},
        {"GPGGA,1*00", NmeaCheck::NoDollar},
        {" $GPGGA*56", NmeaCheck::NoDollar},
        {"$GPGGA,101500,4530.000", NmeaCheck::NoStar},
        {"$", NmeaCheck::NoStar},
        {"$GPGGA*", NmeaCheck::BadChecksum},    // no digits
        {"$GPGGA*5", NmeaCheck::BadChecksum},   // one digit
        {"$GPGGA*G6", NmeaCheck::BadChecksum},  // not hexadecimal
        {"$*00", NmeaCheck::Good},              // nothing between: XOR 0
        {"$GPGGA*56", NmeaCheck::Good},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckNmeaSentence(c.line), c.expected) << c.line;
}

TEST(NmeaFields, FieldOneIsTheAddressAndTheLastRunsToTheEnd)
{
    char out[32] = "untouched";
    ASSERT_EQ(GetNmeaField(ExampleGga.c_str(), 1, ',', out, sizeof out), 1);
    EXPECT_STREQ(out, "$GPGGA");
    ASSERT_EQ(GetNmeaField(ExampleGga.c_str(), 3, ',', out, sizeof out), 1);
    EXPECT_STREQ(out, "4530.000");
    ASSERT_EQ(GetNmeaField(ExampleGga.c_str(), 14, ',', out, sizeof out), 1);
    EXPECT_STREQ(out, "");  // an empty field is a field
    ASSERT_EQ(GetNmeaField(ExampleGga.c_str(), 15, ',', out, sizeof out), 1);
    EXPECT_STREQ(out, "*7B");
}

TEST(NmeaFields, TooFewFieldsOrNoRoomLeaveTheOutputUntouched)
{
    char out[8] = "keep";
    EXPECT_EQ(GetNmeaField(ExampleGga.c_str(), 16, ',', out, sizeof out), 0);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(GetNmeaField(ExampleGga.c_str(), 0, ',', out, sizeof out), 0);
    EXPECT_EQ(GetNmeaField(ExampleGga.c_str(), -3, ',', out, sizeof out), 0);
    EXPECT_EQ(GetNmeaField(nullptr, 1, ',', out, sizeof out), 0);
    EXPECT_STREQ(out, "keep");
    // "4530.000" needs 9 bytes with its terminator: 8 are not enough, nothing is cut.
    EXPECT_EQ(GetNmeaField(ExampleGga.c_str(), 3, ',', out, sizeof out), 0);
    EXPECT_STREQ(out, "keep");
    char exact[9];
    EXPECT_EQ(GetNmeaField(ExampleGga.c_str(), 3, ',', exact, sizeof exact), 1);
    EXPECT_STREQ(exact, "4530.000");
    // No separator at all: field 1 is the whole sentence, field 2 does not exist.
    EXPECT_EQ(GetNmeaField("$GPTXT", 1, ',', exact, sizeof exact), 1);
    EXPECT_STREQ(exact, "$GPTXT");
    EXPECT_EQ(GetNmeaField("$GPTXT", 2, ',', exact, sizeof exact), 0);
    // A trailing separator makes one more, empty field.
    std::string s;
    EXPECT_EQ(GetNmeaField(std::string("a,"), 2, ',', s), 1);
    EXPECT_EQ(s, "");
    EXPECT_EQ(GetNmeaField(std::string("a,"), 3, ',', s), 0);
}

TEST(NmeaFields, OtherSeparators)
{
    std::string s = "x";
    EXPECT_EQ(GetNmeaField(std::string("12*7B"), 2, '*', s), 1);
    EXPECT_EQ(s, "7B");
}

TEST(NmeaAssembly, CrLfLineKeepsItsTextAndTheTickOfItsDollar)
{
    NmeaLineAssembler a;
    const auto out = FeedAll(a, ExampleGga + "\r\n", 500);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].result, NmeaByteResult::LineReady);
    EXPECT_EQ(out[0].line, ExampleGga);
    EXPECT_EQ(out[0].tick, 500u);
    EXPECT_EQ(CheckNmeaSentence(out[0].line), NmeaCheck::Good);
}

// Pins the mend: only a CR is removed before the LF, so a receiver that ends its lines with
// LF alone keeps the sentence's last checksum digit and its sentences stay good.
TEST(NmeaAssembly, LfOnlyInputKeepsItsChecksum)
{
    NmeaLineAssembler a;
    const auto out = FeedAll(a, ExampleGga + "\n" + ExampleGga + "\n");
    ASSERT_EQ(out.size(), 2u);
    for (const Fed& f : out) {
        EXPECT_EQ(f.line, ExampleGga);
        EXPECT_EQ(CheckNmeaSentence(f.line), NmeaCheck::Good);
    }
}

TEST(NmeaAssembly, DollarRestartsTheLineAndALineWithoutOneIsTimedAtItsEnd)
{
    NmeaLineAssembler a;
    const std::string noise = "garbage$GPGGA,1,2$GPGSA,A*";
    const auto out = FeedAll(a, noise + "\r\nno dollar here\r\n", 0);
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].line, "$GPGSA,A*");
    EXPECT_EQ(out[0].tick, static_cast<uint32_t>(noise.find("$GPGSA")));
    EXPECT_EQ(out[1].line, "no dollar here");
    const uint32_t lfTick = static_cast<uint32_t>(noise.size() + 2 + std::strlen("no dollar here\r\n") - 1);
    EXPECT_EQ(out[1].tick, lfTick);
}

TEST(NmeaAssembly, BareLineEndsCarryNothing)
{
    NmeaLineAssembler a;
    EXPECT_TRUE(FeedAll(a, "\r\n\n\r\n").empty());
    // A CR inside a line is kept: only the one before the LF goes.
    const auto out = FeedAll(a, "$A\rB\r\r\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].line, "$A\rB\r");
}

// Pins the mend: lines are kept with bounds. A line longer than NmeaLine can hold is dropped
// whole at its LF (never cut to a shorter "sentence"), and so is one that wrapped.
TEST(NmeaAssembly, OverlongLinesAreDroppedNeverCut)
{
    NmeaLineAssembler a;
    const std::string at127 = "$" + std::string(126, 'A');
    const std::string at128 = "$" + std::string(127, 'A');
    auto out = FeedAll(a, at127 + "\r\n" + at128 + "\r\n");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].result, NmeaByteResult::LineReady);
    EXPECT_EQ(out[0].line, at127);
    EXPECT_EQ(out[1].result, NmeaByteResult::LineDropped);

    // 500 bytes without a line end wrap twice; the tail is not a line of its own.
    out = FeedAll(a, "$" + std::string(500, 'B') + "\n" + ExampleGga + "\n");
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].result, NmeaByteResult::LineDropped);
    EXPECT_EQ(out[1].line, ExampleGga);
    EXPECT_LE(a.Buffer.capacity(), 1024u);
}

TEST(NmeaAssembly, NulBytesAreSkipped)
{
    NmeaLineAssembler a;
    std::string withNul = ExampleGga;
    withNul.insert(10, 1, '\0');
    const auto out = FeedAll(a, withNul + "\r\n");
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].line, ExampleGga);
}

TEST(NmeaAssembly, BinaryNoiseNeverGivesMoreThanALineOfBoundedLength)
{
    NmeaLineAssembler a;
    uint32_t seed = 12345;
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 1103515245u + 12345u;
        std::string line;
        uint32_t tick = 0;
        if (FeedNmeaByte(a, static_cast<uint8_t>(seed >> 16), 0, line, tick) == NmeaByteResult::LineReady) {
            EXPECT_FALSE(line.empty());
            EXPECT_LE(line.size(), NmeaLineLimit);
            EXPECT_EQ(line.find('\0'), std::string::npos);
        }
        ASSERT_LE(a.Buffer.size(), static_cast<size_t>(NmeaWrapLength) + 1);
    }
}

TEST(NmeaNumbers, WholeFieldsOnly)
{
    int32_t i = -7;
    EXPECT_TRUE(ParseNmeaInteger("05", i));
    EXPECT_EQ(i, 5);
    EXPECT_TRUE(ParseNmeaInteger("-3", i));
    EXPECT_EQ(i, -3);
    i = -7;
    for (const char* bad : {"", "+", "1.5", "5x", " 5", "1234567890"})
        EXPECT_FALSE(ParseNmeaInteger(bad, i)) << bad;
    EXPECT_EQ(i, -7);

    double d = -7.0;
    EXPECT_TRUE(ParseNmeaNumber("1.2", d));
    EXPECT_DOUBLE_EQ(d, 1.2);
    EXPECT_TRUE(ParseNmeaNumber(".5", d));
    EXPECT_DOUBLE_EQ(d, 0.5);
    EXPECT_TRUE(ParseNmeaNumber("-34.0", d));
    EXPECT_DOUBLE_EQ(d, -34.0);
    d = -7.0;
    for (const char* bad : {"", ".", "-", "1.2.3", "1e5", "nan", "inf", "2.5*39"})
        EXPECT_FALSE(ParseNmeaNumber(bad, d)) << bad;
    EXPECT_EQ(d, -7.0);
}

}  // namespace
