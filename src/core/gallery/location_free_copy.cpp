#include "gallery/location_free_copy.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "common/errors.h"
#include "common/jpeg_markers.h"
#include "metadata/gps_strip.h"
#include "platform/atomic_file.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

// Far beyond the metadata of any camera file (at most 64 kB a segment); a walk that goes on
// longer is over a damaged file, whose GPS data, if any, is then not reached.
constexpr uint64_t kMaxHeadBytes = uint64_t{16} << 20;

// The segments before the first scan, where EXIF and XMP data live.
std::vector<uint8_t> ReadJpegHead(const RegularFile& file) {
  uint64_t position = 2;
  std::array<uint8_t, 4> marker{};
  while (position < kMaxHeadBytes && file.ReadAt(position, marker) == marker.size() &&
         marker[0] == 0xFF) {
    if (marker[1] == 0xFF) {  // fill byte before a marker
      ++position;
      continue;
    }
    // A scan or the end: the metadata is behind.
    if (marker[1] == kMarkerSos || marker[1] == kMarkerEoi) break;
    const uint64_t length = uint64_t{marker[2]} << 8 | marker[3];
    if (length < 2) break;
    position += 2 + length;
  }
  return file.ReadRange(0, std::min({position, kMaxHeadBytes, file.Size()}));
}

}  // namespace

void CopyWithoutLocation(const std::string& from, const std::string& to) {
  std::vector<uint8_t> head = ReadJpegHead(RegularFile(from));
  StripGpsPosition(head);
  CopyFileReplacing(from, to, head);
}

}  // namespace kelmora
