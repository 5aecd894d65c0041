#pragma once

#include <cstdint>
#include <limits>
#include <string>

namespace kelmora {

// Bytes of a bitmap of width x height in the 24-bit working format: three bytes per pixel,
// rows padded to a multiple of 4 bytes. Sizes that do not fit 64 bits give the largest value.
constexpr uint64_t WorkingBitmapBytes(uint64_t width, uint64_t height) {
  if (width > std::numeric_limits<uint64_t>::max() / 4) return std::numeric_limits<uint64_t>::max();
  const uint64_t stride = (width * 3 + 3) / 4 * 4;
  if (height != 0 && stride > std::numeric_limits<uint64_t>::max() / height) {
    return std::numeric_limits<uint64_t>::max();
  }
  return stride * height;
}

// The one limit on the pictures every decoder accepts, whatever the file's own bit depth
// (a greyscale JPEG or a palette BMP is widened to 24 bits on the way, so it counts at 24
// bits): 2^28 pixels, 16384 x 16384, a 768 MiB working bitmap. Far beyond camera and
// scanner pictures; a header promising more is a damaged or hostile file, refused before
// anything is allocated for it.
inline constexpr uint64_t kMaxImagePixels = uint64_t{1} << 28;
inline constexpr uint64_t kMaxWorkingBitmapBytes = WorkingBitmapBytes(16384, 16384);
static_assert(kMaxWorkingBitmapBytes == 3 * kMaxImagePixels);

// Whether a picture of that size stays within the limit.
constexpr bool WithinPixelLimit(uint64_t width, uint64_t height) {
  return WorkingBitmapBytes(width, height) <= kMaxWorkingBitmapBytes;
}

// Raises EImageTooLarge ("Image too large: ...") when the size is beyond the limit.
void CheckPixelLimit(uint64_t width, uint64_t height);

// The text of EOutOfMemory for a picture of that size (its declared size, from the header).
std::string NotEnoughMemoryText(uint64_t width, uint64_t height);

}  // namespace kelmora
