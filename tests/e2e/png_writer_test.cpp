#include "tests/e2e/harness/png_writer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

using e2e::Adler32;
using e2e::Crc32;
using e2e::DecodeStoredPng;
using e2e::EncodePng;
using e2e::RgbImage;

namespace {

const uint8_t* Bytes(const char* s)
{
    return reinterpret_cast<const uint8_t*>(s);
}

RgbImage Gradient(int width, int height)
{
    RgbImage image;
    image.width = width;
    image.height = height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            image.rgb.push_back(uint8_t(x));
            image.rgb.push_back(uint8_t(y));
            image.rgb.push_back(uint8_t(x + 3 * y));
        }
    return image;
}

// File size of a PNG with one IDAT of stored blocks: signature, IHDR, IDAT, IEND chunks.
size_t ExpectedSize(int width, int height)
{
    const size_t raw = (size_t(width) * 3 + 1) * size_t(height);
    const size_t blocks = (raw + 65534) / 65535;
    const size_t zlib = 2 + raw + 5 * blocks + 4;
    return 8 + (12 + 13) + (12 + zlib) + 12;
}

}  // namespace

TEST(PngChecksums, KnownValues)
{
    // The standard check values of CRC-32 and Adler-32.
    EXPECT_EQ(Crc32(Bytes("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(Bytes(""), 0), 0u);
    // Every PNG ends with this IEND chunk CRC.
    EXPECT_EQ(Crc32(Bytes("IEND"), 4), 0xAE426082u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia"), 9), 0x11E60398u);
    EXPECT_EQ(Adler32(Bytes(""), 0), 1u);
}

TEST(PngChecksums, ContinuedOverPartsEqualsWhole)
{
    const char* text = "The quick brown fox jumps over the lazy dog";
    const size_t n = std::strlen(text);
    EXPECT_EQ(Crc32(Bytes(text + 10), n - 10, Crc32(Bytes(text), 10)), Crc32(Bytes(text), n));
    EXPECT_EQ(Adler32(Bytes(text + 10), n - 10, Adler32(Bytes(text), 10)), Adler32(Bytes(text), n));
}

TEST(PngChecksums, AdlerOfLongRunMatchesStepwiseModulo)
{
    // Long runs of 0xFF are where deferred modulo reduction would overflow.
    std::vector<uint8_t> data(1 << 20, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(data.data(), data.size()), (b << 16) | a);
}

TEST(PngEncode, SmallImageRoundTrips)
{
    RgbImage image = Gradient(3, 2);
    std::vector<uint8_t> png = EncodePng(image);
    ASSERT_EQ(png.size(), ExpectedSize(3, 2));
    EXPECT_EQ(0, std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8));
    // IHDR: length 13, width 3, height 2, 8-bit RGB, deflate, filter 0, no interlace.
    const uint8_t ihdr[21] = {0, 0, 0, 13, 'I', 'H', 'D', 'R', 0, 0, 0, 3, 0, 0, 0, 2, 8, 2, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(png.data() + 8, ihdr, sizeof ihdr));
    RgbImage back;
    ASSERT_TRUE(DecodeStoredPng(png, &back));
    EXPECT_EQ(back.width, 3);
    EXPECT_EQ(back.height, 2);
    EXPECT_EQ(back.rgb, image.rgb);
}

TEST(PngEncode, StoredBlockBoundaries)
{
    // 28 x 771: the raw scan lines are exactly 65535 bytes, one full block; one row more
    // needs a second block. Both must read back whole.
    const int sizes[][2] = {{28, 771}, {28, 772}, {1024, 768}, {1, 1}};
    for (const auto& s : sizes) {
        RgbImage image = Gradient(s[0], s[1]);
        std::vector<uint8_t> png = EncodePng(image);
        EXPECT_EQ(png.size(), ExpectedSize(s[0], s[1])) << s[0] << "x" << s[1];
        RgbImage back;
        ASSERT_TRUE(DecodeStoredPng(png, &back)) << s[0] << "x" << s[1];
        EXPECT_EQ(back.rgb, image.rgb) << s[0] << "x" << s[1];
    }
}

TEST(PngEncode, RefusesBadImages)
{
    RgbImage image = Gradient(4, 4);
    struct Case {
        int width, height;
        size_t bytes;
    } cases[] = {{0, 4, 48}, {4, 0, 48}, {-4, 4, 48}, {4, -1, 48}, {65536, 1, 48}, {4, 4, 47}};
    for (const Case& c : cases) {
        RgbImage bad = image;
        bad.width = c.width;
        bad.height = c.height;
        bad.rgb.resize(c.bytes);
        EXPECT_TRUE(EncodePng(bad).empty()) << c.width << "x" << c.height << " " << c.bytes;
    }
}

TEST(PngDecode, RejectsDamagedFiles)
{
    std::vector<uint8_t> png = EncodePng(Gradient(5, 5));
    RgbImage untouched;
    untouched.width = 7;

    std::vector<uint8_t> flipped = png;
    flipped[60] ^= 0x01;  // a pixel byte inside IDAT: the chunk CRC no longer matches
    EXPECT_FALSE(DecodeStoredPng(flipped, &untouched));

    std::vector<uint8_t> cut(png.begin(), png.end() - 5);
    EXPECT_FALSE(DecodeStoredPng(cut, &untouched));

    std::vector<uint8_t> longer = png;
    longer.push_back(0);
    EXPECT_FALSE(DecodeStoredPng(longer, &untouched));

    EXPECT_FALSE(DecodeStoredPng({}, &untouched));
    EXPECT_EQ(untouched.width, 7);
}
