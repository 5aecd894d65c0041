#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmora::test {

// One directory entry; a value longer than four bytes is placed behind its directory.
struct TiffEntry {
  uint16_t tag = 0;
  uint16_t type = 0;
  uint32_t count = 0;
  std::string bytes;    // the value in file byte order
  int sub_dir = -1;     // >= 0: a LONG pointing at that directory of the builder
  int64_t offset = -1;  // >= 0: a value offset written as it is (bytes are not stored)
};

// Builds TIFF-structured data: the 8-byte header, the blobs (strip data) in order, then the
// directories in order, each followed by its long values. Directory 0 is IFD0; without
// blobs it starts at offset 8.
class TiffBuilder {
 public:
  explicit TiffBuilder(bool big_endian) : big_endian_(big_endian) {}

  bool BigEndian() const { return big_endian_; }
  std::string U16(uint16_t v) const;
  std::string U32(uint32_t v) const;

  TiffEntry Ascii(uint16_t tag, const std::string& text) const;
  TiffEntry Short(uint16_t tag, const std::vector<uint16_t>& values) const;
  TiffEntry Long(uint16_t tag, uint32_t value) const;
  TiffEntry Rational(uint16_t tag, uint32_t num, uint32_t den) const;
  TiffEntry Undefined(uint16_t tag, const std::string& bytes) const;
  TiffEntry Pointer(uint16_t tag, int dir) const;
  // BYTE (1), SHORT (3) or LONG (4) values of the given type.
  TiffEntry Values(uint16_t tag, uint16_t type, const std::vector<uint32_t>& values) const;

  int AddDirectory(std::vector<TiffEntry> entries);
  // Adds bytes placed behind the header and returns their file offset.
  uint32_t AddBlob(const std::string& bytes);

  // The TIFF data; ifd0_offset -1 writes the offset of directory 0.
  std::string Build(int64_t ifd0_offset = -1) const;

 private:
  bool big_endian_;
  std::string blobs_;
  std::vector<std::vector<TiffEntry>> dirs_;
};

}  // namespace kelmora::test
