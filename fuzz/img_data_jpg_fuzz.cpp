// The metadata read of arbitrary bytes as a .jpg file (through the whole --exif report), and the
// same bytes entered directly as an APP1 segment.
#include <cstdint>
#include <string>

#include <span>

#include "common/errors.h"
#include "metadata/exif_report.h"
#include "metadata/img_data.h"

namespace {

constexpr size_t kMaxInput = 1 << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  static_cast<void>(kelmora::ExifReportTextOfBytes("fuzz.jpg", std::span(data, size)));

  kelmora::TimgData meta(kelmora::DetailLevel::kAll);
  try {
    meta.ParseExifBytes(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const kelmora::EKelmora&) {
    return 0;  // a damaged first directory: the scan reports the file as unreadable
  }
  if (meta.ExifInfo) {
    static_cast<void>(meta.ExifInfo->CaptureDateTime());
    static_cast<void>(meta.ExifInfo->TagIntByName("FocalLength"));
  }
  return 0;
}
