#include <cstddef>
#include <cstdint>
#include <span>

#include "common/errors.h"
#include "imaging/tiff_file.h"

// Feeds arbitrary bytes to the TIFF reader: it must either decode them or raise EKelmora,
// never read or write outside its buffers.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Larger inputs only make each run slower without reaching new code.
  if (size > 256 * 1024) return 0;
  try {
    kelmora::TTIFFFile tiff;
    tiff.LoadFromBytes(std::span<const uint8_t>(data, size));
  } catch (const kelmora::EKelmora&) {
  }
  return 0;
}
