#pragma once

#include <cstdint>
#include <string>

namespace kelmora::test {

// value as width bytes (1 to 8) in the given byte order.
std::string PackBytes(uint64_t value, int width, bool big_endian);

// A JPEG segment: 0xFF, the marker, the big-endian length (counting itself), the payload.
std::string JpegSegment(uint8_t marker, const std::string& payload);

}  // namespace kelmora::test
