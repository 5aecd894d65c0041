#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "common/byte_source.h"
#include "imaging/bitmap.h"

namespace kelmora {

// Decodes the first image of a TIFF file: both byte orders, strips, no compression,
// PackBits, LZW and Deflate, horizontal prediction; bilevel, 4-, 8- and 16-bit grey, 1-, 4-
// and 8-bit palette, RGB, CMYK, CIELab and YCbCr, each with or without extra samples.
// 16-bit samples are narrowed to their most significant byte. Grey and palette pictures
// give palette bitmaps, all others 24-bit ones.
class TTIFFFile {
 public:
  // Raises EFileError when the file cannot be read or is no regular file,
  // EGraphicFormat("TIFF: ...") when it cannot be decoded, EImageTooLarge when it is beyond
  // the pixel limit of every decoder; Bitmap() is then empty. The file is read piece by
  // piece (its directory, then one strip at a time), never whole.
  void LoadFromFile(const std::string& path);
  void LoadFromBytes(std::span<const uint8_t> data);
  void LoadFromSource(const ByteSource& source);

  const TBitmap& Bitmap() const { return bitmap_; }
  TBitmap& Bitmap() { return bitmap_; }

 private:
  TBitmap bitmap_;
};

}  // namespace kelmora
