// ReadImageFile on arbitrary bytes as a .jpg file (through the whole --exif report), and the
// same bytes entered directly as an APP1 segment.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "common/errors.h"
#include "metadata/exif_report.h"
#include "metadata/img_data.h"

namespace {

constexpr size_t kMaxInput = 1 << 20;

const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/kelmora_img_data_jpg_fuzz_" + std::to_string(getpid()) + ".jpg";
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxInput) return 0;
  std::FILE* file = std::fopen(ScratchPath().c_str(), "wb");
  if (file == nullptr) return 0;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (written) static_cast<void>(kelmora::ExifReportText(ScratchPath()));
  std::remove(ScratchPath().c_str());

  kelmora::TimgData meta(kelmora::kDetailAll);
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
