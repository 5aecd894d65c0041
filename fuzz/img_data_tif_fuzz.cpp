// The metadata read of arbitrary bytes as a .tif file, through the whole --exif report.
#include <cstdint>
#include <span>

#include "metadata/exif_report.h"

namespace {

// The reader looks at the first 8 + 256000 bytes only.
constexpr size_t kMaxInput = 8 + 256000 + 1024;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  static_cast<void>(kelmora::ExifReportTextOfBytes("fuzz.tif", std::span(data, size)));
  return 0;
}
