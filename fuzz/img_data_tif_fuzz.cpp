// ReadImageFile on arbitrary bytes as a .tif file, through the whole --exif report.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "metadata/exif_report.h"

namespace {

// The reader looks at the first 8 + 256000 bytes only.
constexpr size_t kMaxInput = 8 + 256000 + 1024;

const std::string& ScratchPath() {
  static const std::string path =
      "/tmp/kelmora_img_data_tif_fuzz_" + std::to_string(getpid()) + ".tif";
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
  return 0;
}
