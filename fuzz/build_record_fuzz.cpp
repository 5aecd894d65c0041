#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "gallery/build_record.h"

// A record read from an output folder may hold anything. What it keeps must be plain file
// names, and writing it out and reading it again must give the same record.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const kelmora::BuildRecord record = kelmora::BuildRecord::FromText(text);
  for (const kelmora::RecordedFile& file : record.files) {
    if (!kelmora::IsRecordableName(file.name)) std::abort();
    record.Find(file.name);
  }
  if (!(kelmora::BuildRecord::FromText(record.Text()).files == record.files)) std::abort();
  return 0;
}
