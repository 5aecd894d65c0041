#include "imaging/tiff_directory.h"

#include "common/errors.h"

namespace kelmora {
namespace {

constexpr uint16_t kTIFFVersion = 42;
constexpr uint64_t kEntrySize = 12;

enum : uint16_t {
  kTypeByte = 1,
  kTypeAscii = 2,
  kTypeShort = 3,
  kTypeLong = 4,
  kTypeRational = 5,
  kTypeSByte = 6,
  kTypeSShort = 8,
  kTypeSLong = 9,
  kTypeSRational = 10,
  kTypeFloat = 11,
  kTypeDouble = 12,
  kTypeIFD = 13,
  kTypeLong8 = 16,
  kTypeSLong8 = 17,
  kTypeIFD8 = 18,
};

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

TiffDirectory::TiffDirectory(std::span<const uint8_t> data) : reader_(data) {
  if (!reader_.Contains(0, 8)) ThrowTruncated();
  // Only "MM" selects big-endian; any other marker is read as little-endian.
  if (data[0] == 'M' && data[1] == 'M') reader_.SetOrder(ByteOrder::kBig);
  if (reader_.U16(2) != kTIFFVersion) throw EGraphicFormat("TIFF: Unsupported version");
  const uint64_t directory = reader_.U32(4);
  if (!reader_.Contains(directory, 2)) ThrowTruncated();
  const uint64_t count = reader_.U16(directory);
  if (!reader_.Contains(directory + 2, count * kEntrySize)) ThrowTruncated();
  entries_.reserve(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t position = directory + 2 + i * kEntrySize;
    entries_.push_back({reader_.U16(position), reader_.U16(position + 2), reader_.U32(position + 4),
                        position + 8});
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
  if (entry->count == 1) {
    switch (entry->type) {
      case kTypeByte:
      case kTypeAscii:
      case kTypeSByte:
        return reader_.U8(entry->value_position);
      case kTypeShort:
      case kTypeSShort:
        return reader_.U16(entry->value_position);
      default:
        break;
    }
  }
  return reader_.U32(entry->value_position);
}

uint64_t TiffDirectory::ElementsPosition(const TiffDirectoryEntry& entry, uint64_t element_size) const {
  const uint64_t bytes = uint64_t{entry.count} * element_size;
  const uint64_t position = bytes <= 4 ? entry.value_position : reader_.U32(entry.value_position);
  if (!reader_.Contains(position, bytes)) ThrowTruncated();
  return position;
}

bool TiffDirectory::ReadTagArray(uint16_t tag, std::vector<uint32_t>& array) const {
  const TiffDirectoryEntry* entry = Find(tag);
  if (entry == nullptr) return false;
  const uint64_t size = ElementSize(entry->type);
  // Checking the data first also bounds the allocation by the file's size.
  const uint64_t position = ElementsPosition(*entry, size);
  array.assign(entry->count, 0);
  for (uint32_t i = 0; i < entry->count; ++i) {
    const uint64_t at = position + uint64_t{i} * size;
    switch (entry->type) {
      case kTypeByte:
      case kTypeAscii:
      case kTypeSByte:
        array[i] = reader_.U8(at);
        break;
      case kTypeShort:
      case kTypeSShort:
        array[i] = reader_.U16(at);
        break;
      case kTypeLong:
      case kTypeSLong:
        array[i] = reader_.U32(at);
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
  const uint64_t position = ElementsPosition(*entry, 8);
  array.assign(entry->count, 0.0);
  for (uint32_t i = 0; i < entry->count; ++i) {
    const uint64_t at = position + uint64_t{i} * 8;
    double numerator, denominator;
    if (entry->type == kTypeRational) {
      numerator = reader_.U32(at);
      denominator = reader_.U32(at + 4);
    } else {
      numerator = reader_.S32(at);
      denominator = reader_.S32(at + 4);
    }
    array[i] = denominator != 0 ? numerator / denominator : 0.0;
  }
  return true;
}

}  // namespace kelmora
