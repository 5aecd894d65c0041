#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "imaging/bitmap.h"

namespace kelmora {

// Windows BMP files (device-independent bitmaps): the BITMAPCOREHEADER of OS/2 1.x, the
// OS/2 2.x header and BITMAPINFOHEADER up to version 5; 1, 4, 8, 16, 24 and 32 bits;
// uncompressed, RLE8, RLE4 and bit fields; rows bottom-up or top-down. Raises
// EBitmapFormat ("BMP: ...") for a truncated, malformed or unsupported file; never reads
// outside the bytes and checks every declared size against them before allocating.
TBitmap DecodeBmp(std::span<const uint8_t> bytes);

// A BMP file with a BITMAPINFOHEADER, rows bottom-up, in the bitmap's own bit depth.
std::vector<uint8_t> EncodeBmp(const TBitmap& bitmap);

}  // namespace kelmora
