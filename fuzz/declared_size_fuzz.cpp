#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/declared_size.h"

namespace {

// The probe reads only the start of a file.
constexpr size_t kMaxInput = size_t{256} << 10;

}  // namespace

// The first byte picks the format; the rest is the head of a file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0 || size > kMaxInput) return 0;
  const auto format = static_cast<kelmora::ImageFormat>(data[0] % 3);
  const std::span<const uint8_t> head(data + 1, size - 1);
  if (const auto declared = kelmora::ReadDeclaredSize(head, format)) {
    kelmora::WorkingBitmapBytes(*declared);
  }
  return 0;
}
