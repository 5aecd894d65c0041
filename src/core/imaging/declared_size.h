#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace kelmora {

enum class ImageFormat { kJpeg, kBmp, kTiff };

struct DeclaredSize {
  uint32_t width = 0;
  uint32_t height = 0;
  bool operator==(const DeclaredSize&) const = default;
};

// The pixel size that the header at the start of an image file declares, without decoding
// anything: the JPEG frame header, the BMP information header or the first TIFF directory.
// `head` may be only the beginning of the file; nullopt when the size is not found in it
// or the header is malformed.
std::optional<DeclaredSize> ReadDeclaredSize(std::span<const uint8_t> head, ImageFormat format);

// Bytes of a 24-bit working bitmap of that size (rows padded to 4 bytes).
uint64_t WorkingBitmapBytes(DeclaredSize size);

}  // namespace kelmora
