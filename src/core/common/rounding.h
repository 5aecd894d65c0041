#pragma once

#include <cmath>
#include <cstdint>

namespace kelmora {

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4), computed in extended
// precision. Values beyond the int32 range saturate.
inline int32_t RoundHalfEven(long double value) {
  if (std::isnan(value)) return 0;
  long double r = std::nearbyintl(value);  // default rounding mode: to nearest, ties to even
  if (r > 2147483647.0L) return INT32_MAX;
  if (r < -2147483648.0L) return INT32_MIN;
  return static_cast<int32_t>(r);
}

}  // namespace kelmora
