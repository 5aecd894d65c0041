#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/filters.h"

namespace kelmora {

// Called with (0, 100, position) before each unit of work of each of the four stages.
using ResampleProgress = std::function<void(int minimum, int maximum, int position)>;

enum class ResampleKernel { kAuto, kScalar, kAvx2, kAvx512 };

struct ResampleOptions {
  int thread_count = 0;  // 0: one thread per core, fewer for small pictures
  // kAuto takes the fastest kernel the processor has; a kernel it lacks falls back to the
  // next slower one. Every kernel gives the same bytes.
  ResampleKernel kernel = ResampleKernel::kAuto;
};

bool ResampleKernelAvailable(ResampleKernel kernel);

// Scales `source` into `dest` (dest_width x dest_height) with a two-pass separable filter:
// rows into an 8-bit intermediate picture, then its columns. `support` is the half-width of
// the filter window in source pixels when enlarging. The source is set to 24-bit on the way;
// dest becomes 24-bit. Weights are used as computed, never normalised, and every sum is
// truncated into 0..255, so the output is fixed to the bit whatever the thread count.
// A source with no pixels leaves dest resized but unwritten.
void ResampleBitmap(TBitmap& source, TBitmap& dest, int32_t dest_width, int32_t dest_height,
                    FilterFunction filter, float support, ResampleProgress progress = nullptr);
void ResampleBitmap(TBitmap& source, TBitmap& dest, int32_t dest_width, int32_t dest_height,
                    FilterFunction filter, float support, ResampleProgress progress,
                    const ResampleOptions& options);

struct Contributor {
  int32_t pixel;
  float weight;
};
using ContributorList = std::vector<Contributor>;

// The contributor list of every destination column (or row) when `source_extent` pixels
// are scaled to `dest_extent`: the non-zero weights of the window in source order, with
// indices mirrored at the borders.
std::vector<ContributorList> ComputeContributors(int32_t dest_extent, int32_t source_extent,
                                                 FilterFunction filter, float support);

// v >= hi gives hi, v < lo (or not a number) gives lo, otherwise v truncated toward zero.
int ClampTrunc(int lo, int hi, float v);

// Floor and ceiling of an extended real, saturated to +-2^62 (0 for not a number).
int64_t Floor(long double v);
int64_t Ceiling(long double v);

}  // namespace kelmora
