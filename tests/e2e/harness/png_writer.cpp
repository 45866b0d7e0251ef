#include "tests/e2e/harness/png_writer.h"

#include <array>
#include <cstring>

namespace e2e {

namespace {

const uint8_t PngSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
const int MaxSide = 65535;
const size_t MaxStoredBlock = 65535;

const std::array<uint32_t, 256>& CrcTable()
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

void PutBe32(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v >> 24));
    out.push_back(uint8_t(v >> 16));
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

uint32_t GetBe32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

void PutChunk(std::vector<uint8_t>& out, const char type[4], const uint8_t* data, size_t size)
{
    PutBe32(out, uint32_t(size));
    size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0)
        out.insert(out.end(), data, data + size);
    PutBe32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    const auto& table = CrcTable();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler)
{
    const uint32_t mod = 65521;
    uint32_t a = adler & 0xFFFF;
    uint32_t b = adler >> 16;
    while (size > 0) {
        // 5552 bytes is the longest run whose sums cannot overflow 32 bits before the modulo.
        size_t n = size < 5552 ? size : 5552;
        size -= n;
        while (n-- > 0) {
            a += *data++;
            b += a;
        }
        a %= mod;
        b %= mod;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> EncodePng(const RgbImage& image)
{
    if (image.width < 1 || image.width > MaxSide || image.height < 1 || image.height > MaxSide)
        return {};
    const size_t rowBytes = size_t(image.width) * 3;
    if (image.rgb.size() < rowBytes * size_t(image.height))
        return {};

    // Raw scan lines: a filter byte 0 before each row.
    std::vector<uint8_t> raw;
    raw.reserve((rowBytes + 1) * size_t(image.height));
    for (int y = 0; y < image.height; ++y) {
        raw.push_back(0);
        const uint8_t* row = image.rgb.data() + rowBytes * size_t(y);
        raw.insert(raw.end(), row, row + rowBytes);
    }

    // zlib stream: CMF 0x78 (deflate, 32 KB window), FLG 0x01 (no dictionary, check bits),
    // then stored blocks of at most 65535 bytes, then the Adler-32 of the raw data.
    std::vector<uint8_t> z;
    z.reserve(raw.size() + raw.size() / MaxStoredBlock * 5 + 16);
    z.push_back(0x78);
    z.push_back(0x01);
    size_t pos = 0;
    do {
        size_t n = raw.size() - pos;
        if (n > MaxStoredBlock)
            n = MaxStoredBlock;
        const bool last = pos + n == raw.size();
        z.push_back(last ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + pos, raw.begin() + pos + n);
        pos += n;
    } while (pos < raw.size());
    PutBe32(z, Adler32(raw.data(), raw.size()));

    std::vector<uint8_t> png(PngSignature, PngSignature + 8);
    uint8_t ihdr[13];
    ihdr[0] = uint8_t(image.width >> 24);
    ihdr[1] = uint8_t(image.width >> 16);
    ihdr[2] = uint8_t(image.width >> 8);
    ihdr[3] = uint8_t(image.width);
    ihdr[4] = uint8_t(image.height >> 24);
    ihdr[5] = uint8_t(image.height >> 16);
    ihdr[6] = uint8_t(image.height >> 8);
    ihdr[7] = uint8_t(image.height);
    ihdr[8] = 8;   // bits per sample
    ihdr[9] = 2;   // colour type: RGB
    ihdr[10] = 0;  // deflate
    ihdr[11] = 0;  // adaptive filtering, filter 0 used throughout
    ihdr[12] = 0;  // no interlace
    PutChunk(png, "IHDR", ihdr, sizeof ihdr);
    PutChunk(png, "IDAT", z.data(), z.size());
    PutChunk(png, "IEND", nullptr, 0);
    return png;
}

bool DecodeStoredPng(const std::vector<uint8_t>& png, RgbImage* image)
{
    if (png.size() < 8 || std::memcmp(png.data(), PngSignature, 8) != 0)
        return false;
    int width = 0, height = 0;
    bool seenHeader = false, seenEnd = false;
    std::vector<uint8_t> z;
    size_t pos = 8;
    while (!seenEnd) {
        if (png.size() - pos < 12)
            return false;
        const uint32_t length = GetBe32(&png[pos]);
        if (length > png.size() - pos - 12)
            return false;
        const uint8_t* type = &png[pos + 4];
        const uint8_t* data = &png[pos + 8];
        if (Crc32(type, size_t(length) + 4) != GetBe32(data + length))
            return false;
        if (std::memcmp(type, "IHDR", 4) == 0) {
            if (seenHeader || length != 13)
                return false;
            const uint32_t w = GetBe32(data), h = GetBe32(data + 4);
            if (w < 1 || w > uint32_t(MaxSide) || h < 1 || h > uint32_t(MaxSide))
                return false;
            if (data[8] != 8 || data[9] != 2 || data[10] != 0 || data[11] != 0 || data[12] != 0)
                return false;
            width = int(w);
            height = int(h);
            seenHeader = true;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (!seenHeader)
                return false;
            z.insert(z.end(), data, data + length);
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            seenEnd = true;
        } else if (!(type[0] & 0x20)) {
            return false;  // an unknown critical chunk
        }
        pos += size_t(length) + 12;
    }
    if (!seenHeader || pos != png.size())
        return false;

    // zlib header, stored blocks, Adler-32.
    if (z.size() < 6 || z[0] != 0x78 || ((z[0] << 8) | z[1]) % 31 != 0 || (z[1] & 0x20))
        return false;
    std::vector<uint8_t> raw;
    size_t zp = 2;
    bool last = false;
    while (!last) {
        if (z.size() - zp < 5)
            return false;
        const uint8_t head = z[zp];
        if ((head & 0x06) != 0)
            return false;  // a compressed block: not what the writer makes
        last = head & 1;
        const size_t n = z[zp + 1] | (z[zp + 2] << 8);
        const size_t nn = z[zp + 3] | (z[zp + 4] << 8);
        if ((n ^ nn) != 0xFFFF || z.size() - zp - 5 < n)
            return false;
        raw.insert(raw.end(), z.begin() + zp + 5, z.begin() + zp + 5 + n);
        zp += 5 + n;
    }
    if (z.size() - zp != 4 || GetBe32(&z[zp]) != Adler32(raw.data(), raw.size()))
        return false;

    const size_t rowBytes = size_t(width) * 3;
    if (raw.size() != (rowBytes + 1) * size_t(height))
        return false;
    RgbImage out;
    out.width = width;
    out.height = height;
    out.rgb.reserve(rowBytes * size_t(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = raw.data() + (rowBytes + 1) * size_t(y);
        if (row[0] != 0)
            return false;
        out.rgb.insert(out.rgb.end(), row + 1, row + 1 + rowBytes);
    }
    *image = std::move(out);
    return true;
}

}  // namespace e2e
