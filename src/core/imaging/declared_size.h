#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/byte_source.h"

namespace kelmora {

struct DeclaredSize {
  uint64_t width = 0;
  uint64_t height = 0;
  bool operator==(const DeclaredSize&) const = default;
};

// The picture size a file's header declares, read without decoding anything: the frame
// header of a JPEG, the info header of a BMP, the first directory of a TIFF, recognised by
// their first bytes. Lets a caller weigh a picture (WorkingBitmapBytes) before it is
// decoded. nullopt when the bytes are none of these or the header cannot be read; never
// raises for what the file holds.
std::optional<DeclaredSize> ReadDeclaredSize(const ByteSource& source);
// The same for a file; also nullopt when it cannot be opened or is no regular file.
std::optional<DeclaredSize> ReadDeclaredSize(const std::string& path);

}  // namespace kelmora
