// The string table and qzDaGetErrorString's rules over it.
#include "qzdaapi32/error_text.h"

#include "qzdaapi32/requests.h"

#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>

TEST(ErrorText, TextsAreTheSystemsOwnSpellingIncluded)
{
    struct Case {
        QZSTATUS code;
        const char* text;
    };
    const Case cases[] = {
        {0, "No Error"},
        {36, "Not supported"},
        {39, "Invalid Device Handle"},
        {40, "Invalid Subsystem Handle"},
        {68, "Cannot enumerate this capability "},
        {78, "No Quenzor boards installed"},
        {80, "Invalid pulse type"},
        {14, "Invalid Pulse Type"},
        {122, "Invalid count.  Count exceeds maximum # of scans of the CGL."},
        {125, "A General Failure has occurred, see manual for possible explanations."},
        {131, "Invalid combination of Index and X4Scaling\n"},
        {202, "Invalid buffer handle (HBUF) passed to a library from an application."},
        {212, "Bufffer Not Locked"},
        {216, "Specififed IRQ in use"},
        {220, "Requested operation requires that valid samples in buffer be a multiple of 2"},
    };
    for (const Case& c : cases) {
        char buffer[128];
        ASSERT_EQ(FormatErrorString(c.code, buffer, sizeof buffer), buffer) << c.code;
        EXPECT_STREQ(buffer, c.text) << c.code;
    }
}

TEST(ErrorText, EveryCodeOfTheTableHasItsTextAndTheGapsHaveNone)
{
    std::set<uint32_t> codes;
#define ROW(code, name, text)                                                                                          \
    EXPECT_STREQ(StringTableText(code), text);                                                                         \
    EXPECT_EQ(static_cast<QZSTATUS>(name), QZSTATUS{code});                                                            \
    codes.insert(code);
    QZ_ERROR_TABLE(ROW)
#undef ROW
    EXPECT_EQ(codes.size(), 144u);
    for (uint32_t gap : {51u, 55u, 59u, 132u, 199u, 221u})
        EXPECT_EQ(StringTableText(gap), nullptr) << gap;
}

TEST(ErrorText, RequestCodesAreNamedInTheSameTable)
{
    char buffer[64];
    ASSERT_NE(FormatErrorString(16487, buffer, sizeof buffer), nullptr);
    EXPECT_STREQ(buffer, "QZDRV_CONFIG");
    EXPECT_STREQ(StringTableText(0x4000), "QZDRV_GETSSCAPS");
    EXPECT_STREQ(StringTableText(0x4001), "QZDRV_SETDMAUSAGE");
    EXPECT_STREQ(StringTableText(0x403C), "QZDRV_GETCHANNELRANGE");
    EXPECT_STREQ(StringTableText(0x403D), "QZDRV_PUTBUFFER");
    EXPECT_STREQ(StringTableText(0x4040), "QZDRV_FLUSHBUFFERS");
    EXPECT_STREQ(StringTableText(0x404E), "QZDRV_GETSTOPEDGE");
    EXPECT_STREQ(StringTableText(0x404F), "QZDRV_SETQUADRATURE");
    EXPECT_STREQ(StringTableText(0x4063), "QZDRV_NULL");
    EXPECT_STREQ(StringTableText(0x4076), "QZDRV_GETSINGLEVALUES");
    EXPECT_EQ(StringTableText(0x4050), nullptr);
    EXPECT_EQ(StringTableText(0x4077), nullptr);
    int named = 0;
    for (uint32_t code = 0x4000; code <= 0x4076; ++code)
        named += StringTableText(code) != nullptr ? 1 : 0;
    EXPECT_EQ(named, 100);
}

// The unknown-error text needs 39 characters of room; one less gives null.
TEST(ErrorText, UnknownCodeNeedsThirtyNineCharacters)
{
    char buffer[64];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(FormatErrorString(0xABCDEF01u, buffer, 39), buffer);
    EXPECT_STREQ(buffer, "QZ Unknown Error: 0xABCDEF01");
    ASSERT_EQ(FormatErrorString(1234, buffer, 39), buffer);
    EXPECT_STREQ(buffer, "QZ Unknown Error: 0x4D2");

    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatErrorString(1234, buffer, 38), nullptr);
    EXPECT_EQ(buffer[0], '#');
}

// Pins the mended fault: a size of 0 is refused and nothing is written.
TEST(ErrorText, NullBufferOrNoRoomIsRefusedWithoutWriting)
{
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    EXPECT_EQ(FormatErrorString(0, nullptr, 80), nullptr);
    EXPECT_EQ(FormatErrorString(0, buffer, 0), nullptr);
    EXPECT_EQ(FormatErrorString(0, buffer, -5), nullptr);
    EXPECT_EQ(buffer[0], '#');
    // Room for the terminator only: no text is loaded, and a short buffer gets no unknown text.
    EXPECT_EQ(FormatErrorString(0, buffer, 1), nullptr);
    EXPECT_EQ(buffer[0], '#');
}

TEST(ErrorText, LongTextIsCutToTheBuffer)
{
    char buffer[10];
    std::memset(buffer, '#', sizeof buffer);
    ASSERT_EQ(FormatErrorString(40, buffer, 8), buffer);
    EXPECT_STREQ(buffer, "Invalid");
    EXPECT_EQ(buffer[8], '#');
    ASSERT_EQ(FormatErrorString(40, buffer, 2), buffer);
    EXPECT_STREQ(buffer, "I");
}
