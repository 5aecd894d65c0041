#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "common/byte_reader.h"

namespace kelmora {

// One 12-byte entry of an image file directory. The value field stays in the file: its
// position is kept so that every read of it goes through the bounds-checked reader.
struct TiffDirectoryEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  uint64_t value_position = 0;
};

// The header and the first image file directory of a TIFF stream, with the value access
// the reader needs. Only the first directory is read; the link to a next one is ignored.
class TiffDirectory {
 public:
  // Raises EGraphicFormat("TIFF: ...") for a wrong version or a header or directory that
  // lies outside the data.
  explicit TiffDirectory(std::span<const uint8_t> data);

  const ByteReader& Reader() const { return reader_; }
  bool BigEndian() const { return reader_.Order() == ByteOrder::kBig; }
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
  // Checks the element data of an entry against the file and returns where it starts.
  uint64_t ElementsPosition(const TiffDirectoryEntry& entry, uint64_t element_size) const;

  ByteReader reader_;
  std::vector<TiffDirectoryEntry> entries_;
};

}  // namespace kelmora
