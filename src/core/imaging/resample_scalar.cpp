#include <algorithm>
#include <cmath>
#include <vector>

#include "imaging/resample.h"
#include "imaging/resample_kernels.h"

namespace kelmora::resample_detail {

namespace {

void HorizontalScalar(const Plane& source, const Plane& dest, const TableView& table,
                      int32_t y_begin, int32_t y_end, float* /*scratch*/) {
  for (int32_t y = y_begin; y < y_end; ++y) {
    const uint8_t* in = source.Row(y);
    uint8_t* out = dest.Row(y);
    for (int32_t i = 0; i < dest.width; ++i) {
      const int32_t* index = table.index + i * table.stride;
      const float* weight = table.weight + i * table.stride;
      float blue = 0, green = 0, red = 0;
      for (int32_t k = 0; k < table.count[i]; ++k) {
        const uint8_t* pixel = in + static_cast<ptrdiff_t>(index[k]) * 3;
        blue = std::fma(weight[k], static_cast<float>(pixel[0]), blue);
        green = std::fma(weight[k], static_cast<float>(pixel[1]), green);
        red = std::fma(weight[k], static_cast<float>(pixel[2]), red);
      }
      out[3 * i + 0] = static_cast<uint8_t>(ClampTrunc(0, 255, blue));
      out[3 * i + 1] = static_cast<uint8_t>(ClampTrunc(0, 255, green));
      out[3 * i + 2] = static_cast<uint8_t>(ClampTrunc(0, 255, red));
    }
  }
}

void VerticalScalar(const Plane& source, const Plane& dest, const TableView& table,
                    int32_t row_begin, int32_t row_end, int64_t byte_begin, int64_t byte_end) {
  // Tap by tap over a whole row keeps each sum's order and reads rows sequentially.
  std::vector<float> sums(static_cast<size_t>(byte_end - byte_begin));
  for (int32_t i = row_begin; i < row_end; ++i) {
    const int32_t* index = table.index + i * table.stride;
    const float* weight = table.weight + i * table.stride;
    std::fill(sums.begin(), sums.end(), 0.0f);
    for (int32_t k = 0; k < table.count[i]; ++k) {
      const uint8_t* in = source.Row(index[k]) + byte_begin;
      for (size_t b = 0; b < sums.size(); ++b) {
        sums[b] = std::fma(weight[k], static_cast<float>(in[b]), sums[b]);
      }
    }
    uint8_t* out = dest.Row(i) + byte_begin;
    for (size_t b = 0; b < sums.size(); ++b) {
      out[b] = static_cast<uint8_t>(ClampTrunc(0, 255, sums[b]));
    }
  }
}

}  // namespace

KernelSet ScalarKernels() {
  return {"scalar", 1, HorizontalScalar, VerticalScalar};
}

}  // namespace kelmora::resample_detail
