#pragma once

// The resampling rules transcribed as plainly as possible: one channel, one tap at a time,
// no vectors, no threads, no shortcuts. The production resampler must match it bit for bit.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/filters.h"

namespace kelmora::test {

struct OracleTap {
  int32_t pixel;
  float weight;
};

inline int64_t OracleFloor(long double v) {
  const auto t = static_cast<int64_t>(v);
  return v - static_cast<long double>(t) < 0 ? t - 1 : t;
}

inline int64_t OracleCeiling(long double v) {
  const auto t = static_cast<int64_t>(v);
  return v - static_cast<long double>(t) > 0 ? t + 1 : t;
}

inline uint8_t OracleClampTrunc(float v) {
  if (v >= 255) return 255;
  if (v < 0) return 0;
  return static_cast<uint8_t>(static_cast<int>(v));
}

inline std::vector<std::vector<OracleTap>> OracleContributors(int32_t dest_extent,
                                                              int32_t source_extent,
                                                              FilterFunction filter,
                                                              float support) {
  std::vector<std::vector<OracleTap>> lists(static_cast<size_t>(std::max(dest_extent, 0)));
  if (dest_extent < 1) return lists;
  float scale =
      source_extent == 1
          ? static_cast<float>(static_cast<long double>(dest_extent))
          : static_cast<float>(static_cast<long double>(dest_extent - 1) / (source_extent - 1));
  if (scale == 0) scale = static_cast<float>(static_cast<long double>(dest_extent) / source_extent);
  float window = support;
  float fscale = 1;
  if (scale < 1) {
    window = static_cast<float>(static_cast<long double>(support) / scale);
    fscale = static_cast<float>(1.0L / scale);
  }
  for (int32_t i = 0; i < dest_extent; ++i) {
    const auto center = static_cast<float>(static_cast<long double>(i) / scale);
    const int64_t left = OracleFloor(static_cast<long double>(center) - window);
    const int64_t right = OracleCeiling(static_cast<long double>(center) + window);
    for (int64_t j = left; j <= right; ++j) {
      const auto x = static_cast<float>((static_cast<long double>(center) - j) / fscale);
      const auto weight = static_cast<float>(static_cast<long double>(filter(x)) / fscale);
      if (weight == 0) continue;
      int64_t n = j;
      if (j < 0) n = -j;
      if (j >= source_extent) n = 2 * int64_t{source_extent} - j - 1;
      n = std::clamp<int64_t>(n, 0, source_extent - 1);
      lists[static_cast<size_t>(i)].push_back({static_cast<int32_t>(n), weight});
    }
  }
  return lists;
}

// `source` must be 24-bit.
inline TBitmap OracleResample(const TBitmap& source, int32_t dest_width, int32_t dest_height,
                              FilterFunction filter, float support) {
  TBitmap dest;
  dest.SetPixelFormat(PixelFormat::k24Bit);
  dest.SetSize(dest_width, dest_height);
  const int32_t width = source.Width();
  const int32_t height = source.Height();
  if (width < 1 || height < 1) return dest;
  TBitmap middle;
  middle.SetPixelFormat(PixelFormat::k24Bit);
  middle.SetSize(dest_width, height);

  const auto columns = OracleContributors(dest_width, width, filter, support);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t i = 0; i < dest_width; ++i) {
      for (int c = 0; c < 3; ++c) {
        float sum = 0;
        for (const OracleTap& tap : columns[static_cast<size_t>(i)]) {
          const float value = source.ScanLine(y)[3 * tap.pixel + c];
          sum = std::fma(tap.weight, value, sum);
        }
        middle.ScanLine(y)[3 * i + c] = OracleClampTrunc(sum);
      }
    }
  }

  const auto rows = OracleContributors(dest_height, height, filter, support);
  for (int32_t x = 0; x < dest_width; ++x) {
    for (int32_t i = 0; i < dest_height; ++i) {
      for (int c = 0; c < 3; ++c) {
        float sum = 0;
        for (const OracleTap& tap : rows[static_cast<size_t>(i)]) {
          const float value = middle.ScanLine(tap.pixel)[3 * x + c];
          sum = std::fma(tap.weight, value, sum);
        }
        dest.ScanLine(i)[3 * x + c] = OracleClampTrunc(sum);
      }
    }
  }
  return dest;
}

}  // namespace kelmora::test
