#include "imaging/tiff_directory.h"

#include "common/errors.h"

namespace kelmora {
namespace {

constexpr uint16_t kTIFFVersion = 42;
constexpr uint64_t kEntrySize = 12;

constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr uint16_t kTypeSByte = 6;
constexpr uint16_t kTypeSShort = 8;
constexpr uint16_t kTypeSLong = 9;
constexpr uint16_t kTypeSRational = 10;
constexpr uint16_t kTypeFloat = 11;
constexpr uint16_t kTypeDouble = 12;
constexpr uint16_t kTypeIFD = 13;
constexpr uint16_t kTypeLong8 = 16;
constexpr uint16_t kTypeSLong8 = 17;
constexpr uint16_t kTypeIFD8 = 18;

// Bytes per element; needed for every type so that the inline-or-offset decision is the
// one TIFF makes, even for types whose values this reader does not use.
uint64_t ElementSize(uint16_t type) {
  switch (type) {
    case kTypeShort:
    case kTypeSShort:
      return 2;
    case kTypeLong:
    case kTypeSLong:
    case kTypeFloat:
    case kTypeIFD:
      return 4;
    case kTypeRational:
    case kTypeSRational:
    case kTypeDouble:
    case kTypeLong8:
    case kTypeSLong8:
    case kTypeIFD8:
      return 8;
    default:
      return 1;
  }
}

[[noreturn]] void ThrowTruncated() {
  throw EGraphicFormat("TIFF: Unexpected end of file");
}

}  // namespace

TiffDirectory::TiffDirectory(const ByteSource& source) : source_(source) {
  const uint64_t size = source.Size();
  if (size < 8) ThrowTruncated();
  const std::vector<uint8_t> header_bytes = source.ReadRange(0, 8);
  ByteReader header(header_bytes);
  // Only "MM" selects big-endian; any other marker is read as little-endian.
  if (header_bytes[0] == 'M' && header_bytes[1] == 'M') order_ = ByteOrder::kBig;
  header.SetOrder(order_);
  if (header.U16(2) != kTIFFVersion) throw EGraphicFormat("TIFF: Unsupported version");
  const uint64_t directory = header.U32(4);
  if (directory > size || size - directory < 2) ThrowTruncated();
  const std::vector<uint8_t> count_bytes = source.ReadRange(directory, 2);
  const uint64_t count = ByteReader(count_bytes, order_).U16(0);
  if (size - directory - 2 < count * kEntrySize) ThrowTruncated();
  directory_bytes_ = source.ReadRange(directory + 2, count * kEntrySize);
  const ByteReader reader = DirectoryReader();
  entries_.reserve(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t position = i * kEntrySize;
    entries_.push_back(
        {reader.U16(position), reader.U16(position + 2), reader.U32(position + 4), position + 8});
  }
}

const TiffDirectoryEntry* TiffDirectory::Find(uint16_t tag) const {
  for (const TiffDirectoryEntry& entry : entries_) {
    if (entry.tag == tag) return &entry;
  }
  return nullptr;
}

uint32_t TiffDirectory::TagValue(uint16_t tag) const {
  const TiffDirectoryEntry* entry = Find(tag);
  if (entry == nullptr || entry->count == 0) return 0;
  const ByteReader reader = DirectoryReader();
  if (entry->count == 1) {
    switch (entry->type) {
      case kTypeByte:
      case kTypeAscii:
      case kTypeSByte:
        return reader.U8(entry->value_position);
      case kTypeShort:
      case kTypeSShort:
        return reader.U16(entry->value_position);
      default:
        break;
    }
  }
  return reader.U32(entry->value_position);
}

std::vector<uint8_t> TiffDirectory::ElementBytes(const TiffDirectoryEntry& entry,
                                                 uint64_t element_size) const {
  const uint64_t bytes = uint64_t{entry.count} * element_size;
  const ByteReader reader = DirectoryReader();
  if (bytes <= 4) {
    const auto inline_bytes = reader.Bytes(entry.value_position, bytes);
    return std::vector<uint8_t>(inline_bytes.begin(), inline_bytes.end());
  }
  const uint64_t position = reader.U32(entry.value_position);
  // Checking against the file first also bounds the allocation by the file's size.
  if (position > source_.Size() || bytes > source_.Size() - position) ThrowTruncated();
  return source_.ReadRange(position, bytes);
}

bool TiffDirectory::ReadTagArray(uint16_t tag, std::vector<uint32_t>& array) const {
  const TiffDirectoryEntry* entry = Find(tag);
  if (entry == nullptr) return false;
  const uint64_t size = ElementSize(entry->type);
  const std::vector<uint8_t> bytes = ElementBytes(*entry, size);
  const ByteReader reader(bytes, order_);
  array.assign(entry->count, 0);
  for (uint32_t i = 0; i < entry->count; ++i) {
    const uint64_t at = uint64_t{i} * size;
    switch (entry->type) {
      case kTypeByte:
      case kTypeAscii:
      case kTypeSByte:
        array[i] = reader.U8(at);
        break;
      case kTypeShort:
      case kTypeSShort:
        array[i] = reader.U16(at);
        break;
      case kTypeLong:
      case kTypeSLong:
        array[i] = reader.U32(at);
        break;
      default:
        break;
    }
  }
  return true;
}

bool TiffDirectory::ReadRationalArray(uint16_t tag, std::vector<double>& array) const {
  const TiffDirectoryEntry* entry = Find(tag);
  if (entry == nullptr) return false;
  if (entry->type != kTypeRational && entry->type != kTypeSRational) {
    std::vector<uint32_t> integers;
    ReadTagArray(tag, integers);
    array.assign(integers.begin(), integers.end());
    return true;
  }
  const std::vector<uint8_t> bytes = ElementBytes(*entry, 8);
  const ByteReader reader(bytes, order_);
  array.assign(entry->count, 0.0);
  for (uint32_t i = 0; i < entry->count; ++i) {
    const uint64_t at = uint64_t{i} * 8;
    double numerator, denominator;
    if (entry->type == kTypeRational) {
      numerator = reader.U32(at);
      denominator = reader.U32(at + 4);
    } else {
      numerator = reader.S32(at);
      denominator = reader.S32(at + 4);
    }
    array[i] = denominator != 0 ? numerator / denominator : 0.0;
  }
  return true;
}

}  // namespace kelmora
