#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"

namespace kelmora {

class RegularFile;

// A JPEG picture: compressed data to decode, or a bitmap to encode. One object serves a
// whole image export: it decodes the source, then takes the bitmap to write, which
// discards the source data. Every libjpeg error raises EJPEG ("JPEG-Fehler #<code>");
// libjpeg's warnings (recoverable corrupt data, a truncated scan) are not errors.
class TJPEGImage {
 public:
  // A progressive file with more scans than this is taken for a malformed one: real files
  // have about ten, and each scan costs a pass over the whole picture.
  static constexpr int kMaxScans = 1000;

  // 1..100; values outside are taken as the nearest end.
  int compression_quality = 90;

  // Takes compressed data and reads its header (Width, Height); raises EJPEG when the data
  // is not a JPEG, EImageTooLarge when the header declares more pixels than any decoder
  // accepts, and EFileError when the file cannot be read or is no regular file. A file is
  // kept open and read a piece at a time while it is decoded, never whole.
  void LoadFromFile(const std::string& path);
  void LoadFromBytes(std::span<const uint8_t> data);

  // Decodes at full scale with the accurate integer DCT and block smoothing: a colour
  // file (CMYK and YCCK included) gives a 24-bit bitmap, a greyscale file an 8-bit
  // palette bitmap of at most 236 grey levels. An object holding a bitmap hands over a
  // copy of it. Memory running out raises EOutOfMemory with the picture's size.
  void AssignTo(TBitmap& bitmap) const;
  // The same, decoding into the bitmap's own memory when it is large enough (TBitmap::
  // Reshape) instead of fresh memory: for a decoder that fills one bitmap picture after
  // picture. The result is the same as AssignTo's; after an error the bitmap holds no
  // useful picture.
  void DecodeInto(TBitmap& bitmap) const;

  // Takes a bitmap to encode and discards any compressed data.
  void Assign(const TBitmap& bitmap);
  void Assign(TBitmap&& bitmap);

  // Encodes the bitmap: baseline, sequential, JFIF, no other markers. An object holding
  // only compressed data writes that data unchanged.
  void SaveToFile(const std::string& path) const;
  std::vector<uint8_t> SaveToBytes() const;

  // Size of the loaded data (from its header) or of the assigned bitmap.
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }

 private:
  void TakeData(std::vector<uint8_t>&& data);
  void Decode(TBitmap& result) const;

  std::vector<uint8_t> data_;
  std::shared_ptr<const RegularFile> file_;
  std::optional<TBitmap> bitmap_;
  int32_t width_ = 0;
  int32_t height_ = 0;
};

// Encodes a bitmap the way TJPEGImage saves one (baseline, sequential, JFIF, no other
// markers) without taking a copy of it; quality 1..100, values outside taken as the nearest
// end.
std::vector<uint8_t> EncodeJpegBytes(const TBitmap& bitmap, int quality);

}  // namespace kelmora
