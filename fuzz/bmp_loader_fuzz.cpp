#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "common/errors.h"
#include "imaging/bitmap.h"

namespace {

// Larger inputs only repeat what smaller ones already reach.
constexpr size_t kMaxInput = size_t{1} << 20;

bool SamePicture(const kelmora::TBitmap& a, const kelmora::TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height() || a.Format() != b.Format() ||
      a.Palette() != b.Palette()) {
    return false;
  }
  for (int32_t y = 0; y < a.Height(); ++y) {
    if (std::memcmp(a.ScanLine(y), b.ScanLine(y), a.BytesPerRow()) != 0) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  kelmora::TBitmap bitmap;
  try {
    bitmap.LoadFromBmpBytes(std::span<const uint8_t>(data, size));
  } catch (const kelmora::EKelmora&) {
    return 0;
  }
  // Whatever loads must save and load back to the same picture.
  kelmora::TBitmap again;
  again.LoadFromBmpBytes(bitmap.SaveToBmpBytes());
  if (!SamePicture(bitmap, again)) std::abort();
  bitmap.SetPixelFormat(kelmora::PixelFormat::k24Bit);
  return 0;
}
