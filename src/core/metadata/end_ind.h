#pragma once

#include <cstdint>
#include <string>

namespace kelmora {

// Bytes plus their byte order. Positions are 1-based, as in the directory offsets of the
// EXIF reader (a TIFF offset plus the base of the walk). Every read is checked: a position
// whose bytes lie outside Buffer raises EOutOfBounds, never touches memory.
class tEndInd {
 public:
  virtual ~tEndInd() = default;

  bool BigEndian = false;  // true: Motorola ("MM"), false: Intel ("II")
  std::string Buffer;

  uint16_t ReadU16At(int64_t position) const;
  // Four bytes combined like ReadU16At, returned as a signed 32-bit integer.
  int32_t ReadU32At(int64_t position) const;
};

// Up to count bytes of data from a 1-based position, clipped to the bytes that exist; a
// position before the first byte reads from the first byte.
std::string CopyAt(const std::string& data, int64_t position, int64_t count);

}  // namespace kelmora
