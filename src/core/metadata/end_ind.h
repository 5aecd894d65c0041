#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelmora {

// A reader over bytes in a byte order. Positions are 1-based, as in the directory offsets of
// the EXIF reader (a TIFF offset plus the base of the walk). Every read is checked: a
// position whose bytes lie outside Buffer raises EOutOfBounds, never touches memory. The
// reader only views its bytes: they must outlive it.
class tEndInd {
 public:
  tEndInd() = default;
  tEndInd(std::string_view buffer, bool big_endian) : BigEndian(big_endian), Buffer(buffer) {}

  bool BigEndian = false;  // true: Motorola ("MM"), false: Intel ("II")
  std::string_view Buffer;

  uint16_t ReadU16At(int64_t position) const;
  // Four bytes combined like ReadU16At, returned as a signed 32-bit integer.
  int32_t ReadU32At(int64_t position) const;
};

// Up to count bytes of data from a 1-based position, clipped to the bytes that exist; a
// position before the first byte reads from the first byte.
std::string CopyAt(std::string_view data, int64_t position, int64_t count);

}  // namespace kelmora
