// Output names from arbitrary file-name bytes: always a web-safe name, never a crash.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "gallery/file_names.h"
#include "gallery/image_names.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string name(reinterpret_cast<const char*>(data), size);
  std::string converted = name;
  kelmora::ConvertFileName(converted);
  for (char c : converted) {
    if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_')) std::abort();
  }
  if (converted.size() < (name.empty() ? 0 : 1) || converted.size() > 2 * name.size()) {
    std::abort();
  }
  if (kelmora::IsImageFile(name) != kelmora::ImageKindOf(name).has_value()) std::abort();
  if (kelmora::WithoutLastExtension(name).size() > name.size()) std::abort();
  return 0;
}
