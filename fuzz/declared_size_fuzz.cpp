#include <cstddef>
#include <cstdint>
#include <span>

#include "common/byte_source.h"
#include "imaging/declared_size.h"

namespace {

// Larger inputs only repeat what smaller ones already reach.
constexpr size_t kMaxInput = size_t{1} << 20;

}  // namespace

// The header probe reads inside the bytes and never raises, whatever they hold.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  kelmora::ReadDeclaredSize(kelmora::MemoryByteSource(std::span<const uint8_t>(data, size)));
  return 0;
}
