#include "imaging/declared_size.h"

#include <cstdlib>

#include "common/byte_reader.h"
#include "common/byte_source.h"
#include "common/errors.h"
#include "imaging/jpeg_image.h"
#include "imaging/tiff_directory.h"

namespace kelmora {
namespace {

constexpr uint16_t kTiffImageWidth = 256;
constexpr uint16_t kTiffImageLength = 257;
constexpr uint32_t kBmpCoreHeaderSize = 12;  // OS/2 1.x: 16-bit width and height

std::optional<DeclaredSize> BmpSize(std::span<const uint8_t> head) {
  const ByteReader reader(head);
  if (reader.U8(0) != 'B' || reader.U8(1) != 'M') return std::nullopt;
  if (reader.U32(14) == kBmpCoreHeaderSize) return DeclaredSize{reader.U16(18), reader.U16(20)};
  // A negative height means rows stored top-down; the size is its magnitude.
  const int64_t width = reader.S32(18);
  const int64_t height = reader.S32(22);
  if (width < 0) return std::nullopt;
  return DeclaredSize{static_cast<uint32_t>(width), static_cast<uint32_t>(std::llabs(height))};
}

}  // namespace

std::optional<DeclaredSize> ReadDeclaredSize(std::span<const uint8_t> head, ImageFormat format) {
  try {
    switch (format) {
      case ImageFormat::kJpeg: {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(head);  // reads the header only
        return DeclaredSize{static_cast<uint32_t>(jpeg.Width()),
                            static_cast<uint32_t>(jpeg.Height())};
      }
      case ImageFormat::kBmp:
        return BmpSize(head);
      case ImageFormat::kTiff: {
        const MemoryByteSource source(head);
        const TTIFFDirectory directory(source);
        return DeclaredSize{directory.TagValue(kTiffImageWidth),
                            directory.TagValue(kTiffImageLength)};
      }
    }
  } catch (const EKelmora&) {
    // A header that lies beyond the head or is malformed: the size is not known.
  }
  return std::nullopt;
}

uint64_t WorkingBitmapBytes(DeclaredSize size) {
  const uint64_t row = (uint64_t{size.width} * 3 + 3) / 4 * 4;
  return row * size.height;
}

}  // namespace kelmora
