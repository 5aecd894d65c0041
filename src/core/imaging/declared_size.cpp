#include "imaging/declared_size.h"

#include <array>
#include <vector>

#include "common/byte_reader.h"
#include "common/errors.h"
#include "common/jpeg_markers.h"
#include "imaging/tiff_directory.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

constexpr uint16_t kTagImageWidth = 256;
constexpr uint16_t kTagImageLength = 257;
// Real files reach their frame header within a few dozen segments (a long ICC profile
// takes some more); a walk longer than this is over a damaged or hostile file.
constexpr int kMaxJpegSteps = 4096;

// Start-of-frame markers: every frame type except DHT (C4), JPG (C8) and DAC (CC).
bool IsFrameMarker(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Walks the segments before the first scan to the frame header; each step reads only a
// segment's marker and length.
std::optional<DeclaredSize> JpegSize(const ByteSource& source) {
  uint64_t position = 2;
  std::array<uint8_t, 9> bytes{};
  for (int step = 0;
       step < kMaxJpegSteps && source.ReadAt(position, std::span<uint8_t>(bytes).first(4)) == 4;
       ++step) {
    if (bytes[0] != 0xFF) return std::nullopt;
    const uint8_t marker = bytes[1];
    if (marker == 0xFF) {  // fill byte before a marker
      ++position;
      continue;
    }
    if (marker == kMarkerSos || marker == kMarkerEoi)
      return std::nullopt;  // scan or end before a frame
    const uint64_t length = uint64_t{bytes[2]} << 8 | bytes[3];
    if (IsFrameMarker(marker)) {
      if (source.ReadAt(position, bytes) != bytes.size()) return std::nullopt;
      // FF Cn, length (2), precision (1), height (2), width (2)
      return DeclaredSize{uint64_t{bytes[7]} << 8 | bytes[8], uint64_t{bytes[5]} << 8 | bytes[6]};
    }
    if (length < 2) return std::nullopt;
    position += 2 + length;
  }
  return std::nullopt;
}

std::optional<DeclaredSize> BmpSize(const ByteReader& head) {
  const uint32_t header_size = head.U32(14);
  if (header_size == 12) return DeclaredSize{head.U16(18), head.U16(20)};
  const int64_t width = head.S32(18);
  const int64_t height = head.S32(22);
  if (width <= 0 || height == 0) return std::nullopt;
  return DeclaredSize{static_cast<uint64_t>(width),
                      static_cast<uint64_t>(height < 0 ? -height : height)};
}

std::optional<DeclaredSize> TiffSize(const ByteSource& source) {
  const TiffDirectory directory(source);
  const uint64_t width = directory.TagValue(kTagImageWidth);
  const uint64_t height = directory.TagValue(kTagImageLength);
  if (width == 0 || height == 0) return std::nullopt;
  return DeclaredSize{width, height};
}

}  // namespace

std::optional<DeclaredSize> ReadDeclaredSize(const ByteSource& source) {
  try {
    std::array<uint8_t, 26> head_bytes{};
    const size_t got = source.ReadAt(0, head_bytes);
    const ByteReader head(std::span<const uint8_t>(head_bytes).first(got));
    if (got >= 2 && head_bytes[0] == 0xFF && head_bytes[1] == kMarkerSoi) return JpegSize(source);
    if (got >= 2 && head_bytes[0] == 'B' && head_bytes[1] == 'M') return BmpSize(head);
    const bool tiff = got >= 4 && ((head_bytes[0] == 'I' && head_bytes[1] == 'I') ||
                                   (head_bytes[0] == 'M' && head_bytes[1] == 'M'));
    if (tiff) return TiffSize(source);
  } catch (const EKelmora&) {
    // A header that ends early or cannot be read declares nothing.
  }
  return std::nullopt;
}

std::optional<DeclaredSize> ReadDeclaredSize(const std::string& path) {
  try {
    return ReadDeclaredSize(RegularFile(path));
  } catch (const EKelmora&) {
    return std::nullopt;
  }
}

}  // namespace kelmora
