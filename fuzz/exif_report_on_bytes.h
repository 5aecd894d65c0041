#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "metadata/exif_report.h"

namespace kelmora::fuzz {

// The metadata reader works on files, so the fuzz bytes go into a scratch file of this
// process (named with the extension that picks the reader) and through the whole --exif
// report.
inline void ExifReportOnBytes(const uint8_t* data, size_t size, const std::string& extension) {
  static const std::string path =
      "/tmp/kelmora_exif_report_fuzz_" + std::to_string(getpid()) + extension;
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return;
  const bool written = std::fwrite(data, 1, size, file) == size;
  std::fclose(file);
  if (written) static_cast<void>(ExifReportText(path));
  std::remove(path.c_str());
}

}  // namespace kelmora::fuzz
