#pragma once

// The resampler's inner loops, one set per instruction set. Every set computes each output
// channel as the same chain of single-precision fused multiply-adds in contributor order, so
// all sets give identical bytes; the vector sets only run many such chains side by side.

#include <cstddef>
#include <cstdint>

namespace kelmora::resample_detail {

// 24-bit rows: three bytes per pixel (blue, green, red), rows reached by index and stride.
struct Plane {
  uint8_t* row0 = nullptr;
  ptrdiff_t stride = 0;
  int32_t width = 0;
  int32_t height = 0;

  uint8_t* Row(int64_t y) const { return row0 + static_cast<ptrdiff_t>(y) * stride; }
};

// The contributor lists of one pass, list i at [i * stride, i * stride + count[i]). Slots
// past a list's count hold weight 0 and index 0, so a vector kernel may run a group of
// lists to the longest count of the group: a zero-weight tap adds exactly +0 to a sum.
// consecutive[i] is 1 when list i reads the pixels index[0], index[0] + 1, ... in turn (no
// mirrored or dropped taps), which lets a kernel walk them without reading the indices.
struct TableView {
  const int32_t* count = nullptr;
  const int32_t* index = nullptr;
  const float* weight = nullptr;
  const uint8_t* consecutive = nullptr;
  int64_t stride = 0;
  int32_t lists = 0;
};

// Filters source rows [y_begin, y_end) horizontally into the same rows of `dest`, whose
// width is the number of lists. `scratch` holds ScratchFloats(source width) floats, 64-byte
// aligned.
using HorizontalKernel = void (*)(const Plane& source, const Plane& dest, const TableView& table,
                                  int32_t y_begin, int32_t y_end, float* scratch);

// Filters destination rows [row_begin, row_end) vertically from `source`, only the bytes
// [byte_begin, byte_end) of each row.
using VerticalKernel = void (*)(const Plane& source, const Plane& dest, const TableView& table,
                                int32_t row_begin, int32_t row_end, int64_t byte_begin,
                                int64_t byte_end);

struct KernelSet {
  const char* name;
  int block_rows;  // source rows the horizontal kernel filters together
  HorizontalKernel horizontal;
  VerticalKernel vertical;
};

// Scratch floats per worker: every source pixel of one block of rows, as floats.
inline int64_t ScratchFloats(const KernelSet& set, int32_t source_width) {
  return static_cast<int64_t>(source_width) * 3 * set.block_rows;
}

KernelSet ScalarKernels();
bool Avx2Supported();
KernelSet Avx2Kernels();
bool Avx512Supported();
KernelSet Avx512Kernels();

}  // namespace kelmora::resample_detail
