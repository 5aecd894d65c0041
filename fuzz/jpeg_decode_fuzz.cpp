#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "common/errors.h"
#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"

namespace {

// Larger inputs only repeat what smaller ones already reach.
constexpr size_t kMaxInput = size_t{1} << 20;
// The decoder's work grows with the declared picture, not with the input: a few bytes can
// declare 65500 x 65500 pixels. Larger pictures only cost the fuzzer time.
constexpr int64_t kMaxPixels = int64_t{1} << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  kelmora::TJPEGImage jpeg;
  kelmora::TBitmap bitmap;
  try {
    jpeg.LoadFromBytes(std::span<const uint8_t>(data, size));
    if (int64_t{jpeg.Width()} * jpeg.Height() > kMaxPixels) return 0;
    jpeg.AssignTo(bitmap);
  } catch (const kelmora::EKelmora&) {
    return 0;
  }
  if (bitmap.Width() != jpeg.Width() || bitmap.Height() != jpeg.Height()) std::abort();
  bitmap.SetPixelFormat(kelmora::PixelFormat::k24Bit);
  return 0;
}
