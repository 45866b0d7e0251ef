// PNG images for the end-to-end screenshots, with no library: 8-bit RGB, every row with
// filter 0, the pixel data in stored (uncompressed) deflate blocks inside a zlib stream.
// A screenshot of a 1024 by 768 window is then about 2.3 MB, which is fine for tests.
//
// Portable: no windows.h; the reader is there so that tests can check a capture's size and
// pixels without a decoder library (it reads only what the writer writes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace e2e {

// CRC-32 of PNG chunks and zlib (polynomial 0xEDB88320). Pass the previous result to go on
// over more data; start with 0.
uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Adler-32 of the zlib stream. Pass the previous result to go on; start with 1.
uint32_t Adler32(const uint8_t* data, size_t size, uint32_t adler = 1);

// One image: width x height pixels, rows top to bottom, 3 bytes per pixel in the order
// red, green, blue, no padding between rows.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The PNG file bytes of image. Empty when a side is not 1 to 65535 pixels or rgb holds
// fewer than width x height x 3 bytes.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// Reads back a PNG as EncodePng writes it: checks the signature, every chunk's CRC, the
// IHDR (8-bit RGB, no interlace), the zlib header, stored blocks only, filter 0 on every row
// and the Adler-32. Returns false (and leaves image alone) on anything else.
bool DecodeStoredPng(const std::vector<uint8_t>& png, RgbImage* image);

}  // namespace e2e
