#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "common/byte_source.h"
#include "imaging/bitmap.h"

namespace kelmora {

// Windows BMP files (device-independent bitmaps): the BITMAPCOREHEADER of OS/2 1.x, the
// OS/2 2.x header and BITMAPINFOHEADER up to version 5; 1, 4, 8, 16, 24 and 32 bits;
// uncompressed, RLE8, RLE4 and bit fields; rows bottom-up or top-down. Raises
// EBitmapFormat ("BMP: ...") for a truncated, malformed or unsupported file and
// EImageTooLarge beyond the decoders' pixel limit; never reads outside the bytes and checks
// every declared size against them before allocating. The pixels are read where they lie,
// a row or a window of run-length data at a time.
TBitmap DecodeBmp(const ByteSource& source);
TBitmap DecodeBmp(std::span<const uint8_t> bytes);
// Also raises EFileError when the file cannot be read or is no regular file.
TBitmap DecodeBmpFile(const std::string& path);

// A BMP file with a BITMAPINFOHEADER, rows bottom-up, in the bitmap's own bit depth.
std::vector<uint8_t> EncodeBmp(const TBitmap& bitmap);

}  // namespace kelmora
