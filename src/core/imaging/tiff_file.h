#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/bitmap.h"

namespace kelmora {

// Decodes the first image of a TIFF file: both byte orders, strips, no compression,
// PackBits, LZW and Deflate, horizontal prediction; bilevel, 4-, 8- and 16-bit grey, 1-, 4-
// and 8-bit palette, RGB, CMYK, CIELab and YCbCr, each with or without extra samples.
// 16-bit samples are narrowed to their most significant byte. Grey and palette pictures
// give palette bitmaps, all others 24-bit ones.
class TTIFFFile {
 public:
  // Largest picture accepted (16384 x 16384): far beyond camera and scanner pictures, and
  // it keeps a damaged or hostile header from claiming gigabytes.
  static constexpr uint64_t kMaxPixels = uint64_t{1} << 28;

  // Raises EFileError when the file cannot be read, EGraphicFormat("TIFF: ...") when it
  // cannot be decoded; Bitmap() is then empty.
  void LoadFromFile(const std::string& path);
  void LoadFromBytes(std::span<const uint8_t> data);

  const TBitmap& Bitmap() const { return bitmap_; }
  TBitmap& Bitmap() { return bitmap_; }

 private:
  TBitmap bitmap_;
};

}  // namespace kelmora
