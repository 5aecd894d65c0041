#include "gallery/location_free_copy.h"

#include <cstdint>
#include <vector>

#include "common/errors.h"
#include "metadata/gps_strip.h"
#include "platform/file_system.h"

namespace kelmora {

bool CopyWithoutLocation(const std::string& from, const std::string& to) {
  std::vector<uint8_t> bytes;
  try {
    bytes = ReadFileBytes(from);
  } catch (const EKelmora&) {
    return false;
  }
  StripGpsPosition(bytes);
  return WriteFileAtomically(to, std::string(bytes.begin(), bytes.end()));
}

}  // namespace kelmora
