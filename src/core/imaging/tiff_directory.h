#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/byte_reader.h"
#include "common/byte_source.h"

namespace kelmora {

// One 12-byte entry of an image file directory. The value field stays in the directory's
// bytes: its position there is kept so that every read of it goes through the
// bounds-checked reader.
struct TiffDirectoryEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint64_t value_position = 0;
};

// The header and the first image file directory of a TIFF stream, with the value access
// the reader needs. Only the first directory is read; the link to a next one is ignored.
// The directory is held in memory; arrays stored elsewhere are read from the source when
// asked for, so the source must outlive the directory.
class TiffDirectory {
 public:
  // Raises EGraphicFormat("TIFF: ...") for a wrong version or a header or directory that
  // lies outside the data.
  explicit TiffDirectory(const ByteSource& source);

  bool BigEndian() const { return order_ == ByteOrder::kBig; }
  const std::vector<TiffDirectoryEntry>& Entries() const { return entries_; }

  // The first entry with the tag, or nullptr.
  const TiffDirectoryEntry* Find(uint16_t tag) const;
  bool Has(uint16_t tag) const { return Find(tag) != nullptr; }

  // 0 when the tag is absent or has no value; with one element the value itself (BYTE
  // masked to 8 bits, SHORT to 16); with several the 32-bit value field, an offset.
  uint32_t TagValue(uint16_t tag) const;

  // Sets array to the tag's elements and returns true; leaves it unchanged and returns
  // false when the tag is absent. Elements that fit the value field are read from it, as
  // TIFF stores them; longer arrays from the offset it holds. Elements of types other
  // than the 8-, 16- and 32-bit integers read as 0.
  bool ReadTagArray(uint16_t tag, std::vector<uint32_t>& array) const;

  // The same for RATIONAL and SRATIONAL elements (numerator / denominator, 0 for a zero
  // denominator); integer elements are taken as they are.
  bool ReadRationalArray(uint16_t tag, std::vector<double>& array) const;

 private:
  // The element data of an entry, from the value field or from the source; raises
  // EGraphicFormat when it lies outside the file.
  std::vector<uint8_t> ElementBytes(const TiffDirectoryEntry& entry, uint64_t element_size) const;
  ByteReader DirectoryReader() const { return ByteReader(directory_bytes_, order_); }

  const ByteSource& source_;
  ByteOrder order_ = ByteOrder::kLittle;
  std::vector<uint8_t> directory_bytes_;
  std::vector<TiffDirectoryEntry> entries_;
};

}  // namespace kelmora
