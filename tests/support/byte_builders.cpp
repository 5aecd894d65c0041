#include "support/byte_builders.h"

namespace kelmora::test {

std::string PackBytes(uint64_t value, int width, bool big_endian) {
  std::string out(static_cast<size_t>(width), '\0');
  for (int i = 0; i < width; ++i) {
    const int shift = 8 * (big_endian ? width - 1 - i : i);
    out[static_cast<size_t>(i)] = static_cast<char>((value >> shift) & 0xFF);
  }
  return out;
}

std::string JpegSegment(uint8_t marker, const std::string& payload) {
  return std::string{'\xFF', static_cast<char>(marker)} + PackBytes(payload.size() + 2, 2, true) +
         payload;
}

}  // namespace kelmora::test
