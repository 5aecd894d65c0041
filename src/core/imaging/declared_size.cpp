#include "imaging/declared_size.h"

#include <algorithm>
#include <cstdlib>

#include "common/byte_reader.h"
#include "common/errors.h"
#include "imaging/jpeg_image.h"

namespace kelmora {
namespace {

// JPEG metadata segments before the frame header rarely pass this; BMP headers are tiny.
constexpr size_t kHeadBytes = size_t{256} << 10;
constexpr uint16_t kTiffImageWidth = 256;
constexpr uint16_t kTiffImageLength = 257;
constexpr uint16_t kTiffShort = 3;
constexpr uint16_t kTiffLong = 4;
constexpr uint32_t kTiffEntryBytes = 12;
// Far more than any real first directory holds.
constexpr uint32_t kMaxTiffEntries = 4096;
constexpr uint32_t kBmpCoreHeaderSize = 12;  // OS/2 1.x: 16-bit width and height

std::optional<DeclaredSize> JpegSize(const ReadFilePiece& read) {
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(read(0, kHeadBytes));  // reads the header only
  return DeclaredSize{static_cast<uint32_t>(jpeg.Width()), static_cast<uint32_t>(jpeg.Height())};
}

std::optional<DeclaredSize> BmpSize(const ReadFilePiece& read) {
  const std::vector<uint8_t> head = read(0, 26);
  const ByteReader reader(head);
  if (reader.U8(0) != 'B' || reader.U8(1) != 'M') return std::nullopt;
  if (reader.U32(14) == kBmpCoreHeaderSize) return DeclaredSize{reader.U16(18), reader.U16(20)};
  // A negative height means rows stored top-down; the size is its magnitude.
  const int64_t width = reader.S32(18);
  const int64_t height = reader.S32(22);
  if (width < 0) return std::nullopt;
  return DeclaredSize{static_cast<uint32_t>(width), static_cast<uint32_t>(std::llabs(height))};
}

// The first directory's ImageWidth and ImageLength, each a SHORT or LONG held in the entry.
std::optional<DeclaredSize> TiffSize(const ReadFilePiece& read) {
  const std::vector<uint8_t> header = read(0, 8);
  ByteReader reader(header);
  if (reader.U8(0) == 'M' && reader.U8(1) == 'M') {
    reader.SetOrder(ByteOrder::kBig);
  } else if (reader.U8(0) != 'I' || reader.U8(1) != 'I') {
    return std::nullopt;
  }
  if (reader.U16(2) != 42) return std::nullopt;
  const uint64_t directory = reader.U32(4);
  const std::vector<uint8_t> count_bytes = read(directory, 2);
  const uint32_t count = ByteReader(count_bytes, reader.Order()).U16(0);
  if (count == 0 || count > kMaxTiffEntries) return std::nullopt;
  const std::vector<uint8_t> entry_bytes = read(directory + 2, size_t{count} * kTiffEntryBytes);
  const ByteReader entries(entry_bytes, reader.Order());
  std::optional<uint32_t> width;
  std::optional<uint32_t> height;
  for (uint32_t i = 0; i < count; ++i) {
    const uint64_t at = uint64_t{i} * kTiffEntryBytes;
    const uint16_t tag = entries.U16(at);
    if (tag != kTiffImageWidth && tag != kTiffImageLength) continue;
    const uint16_t type = entries.U16(at + 2);
    if (entries.U32(at + 4) != 1) return std::nullopt;
    uint32_t value = 0;
    if (type == kTiffShort) {
      value = entries.U16(at + 8);
    } else if (type == kTiffLong) {
      value = entries.U32(at + 8);
    } else {
      return std::nullopt;
    }
    (tag == kTiffImageWidth ? width : height) = value;
  }
  if (!width || !height) return std::nullopt;
  return DeclaredSize{*width, *height};
}

}  // namespace

std::optional<DeclaredSize> ReadDeclaredSize(const ReadFilePiece& read, ImageFormat format) {
  try {
    switch (format) {
      case ImageFormat::kJpeg:
        return JpegSize(read);
      case ImageFormat::kBmp:
        return BmpSize(read);
      case ImageFormat::kTiff:
        return TiffSize(read);
    }
  } catch (const EKelmora&) {
    // A header that is cut short, malformed or out of reach: the size is not known.
  }
  return std::nullopt;
}

std::optional<DeclaredSize> ReadDeclaredSize(std::span<const uint8_t> file, ImageFormat format) {
  const ReadFilePiece read = [file](uint64_t offset, size_t length) {
    if (offset >= file.size()) return std::vector<uint8_t>();
    const size_t end = static_cast<size_t>(std::min<uint64_t>(file.size(), offset + length));
    return std::vector<uint8_t>(file.begin() + static_cast<ptrdiff_t>(offset),
                                file.begin() + static_cast<ptrdiff_t>(end));
  };
  return ReadDeclaredSize(read, format);
}

uint64_t WorkingBitmapBytes(DeclaredSize size) {
  const uint64_t row = (uint64_t{size.width} * 3 + 3) / 4 * 4;
  return row * size.height;
}

}  // namespace kelmora
