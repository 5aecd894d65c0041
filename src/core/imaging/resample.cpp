#include "imaging/resample.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstddef>
#include <exception>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "common/errors.h"
#include "common/rounding.h"
#include "imaging/resample_kernels.h"

namespace kelmora {

using resample_detail::KernelSet;
using resample_detail::Plane;
using resample_detail::TableView;

int ClampTrunc(int lo, int hi, float v) {
  if (v >= static_cast<float>(hi)) return hi;
  if (!(v >= static_cast<float>(lo))) return lo;
  return static_cast<int>(v);
}

namespace {

constexpr long double kSaturation = static_cast<long double>(int64_t{1} << 62);

// A whole-row scratch buffer larger than this (sources several hundred thousand pixels wide)
// sends the horizontal pass to the scalar kernel, which needs none.
constexpr int64_t kMaxScratchBytes = int64_t{64} << 20;

// Contributor slots of one pass; far beyond any picture, it stops a runaway window (an absurd
// support) before it exhausts memory.
constexpr int64_t kMaxTableSlots = int64_t{1} << 27;

// Below this many taps per extra thread, starting a thread costs more than it saves.
constexpr int64_t kTapsPerThread = int64_t{1} << 18;

// Columns per progress step of the vertical pass, which reports per destination column.
constexpr int32_t kProgressColumns = 16;

}  // namespace

int64_t Floor(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= kSaturation) return int64_t{1} << 62;
  if (v <= -kSaturation) return -(int64_t{1} << 62);
  const auto t = static_cast<int64_t>(v);
  return v - static_cast<long double>(t) < 0 ? t - 1 : t;
}

int64_t Ceiling(long double v) {
  if (std::isnan(v)) return 0;
  if (v >= kSaturation) return int64_t{1} << 62;
  if (v <= -kSaturation) return -(int64_t{1} << 62);
  const auto t = static_cast<int64_t>(v);
  return v - static_cast<long double>(t) > 0 ? t + 1 : t;
}

namespace {

// Geometry of one pass (horizontal or vertical). The scale, window and filter scale are
// single precision; the expressions that produce them run in extended precision.
struct PassPlan {
  int32_t dest_extent = 0;
  int32_t source_extent = 0;
  FilterFunction filter = nullptr;
  float scale = 1;
  float window = 0;
  float fscale = 1;
  // Beyond this distance from the center the filter is 0 whatever the window, so the taps
  // there would all be dropped; infinite for a filter outside the table.
  long double reach = std::numeric_limits<long double>::infinity();
};

PassPlan MakePlan(int32_t dest_extent, int32_t source_extent, FilterFunction filter,
                  float support) {
  PassPlan plan;
  plan.dest_extent = dest_extent;
  plan.source_extent = source_extent;
  plan.filter = filter;
  if (dest_extent < 1 || source_extent < 1) return plan;
  const long double ratio = source_extent == 1 ? static_cast<long double>(dest_extent)
                                               : static_cast<long double>(dest_extent - 1) /
                                                     static_cast<long double>(source_extent - 1);
  plan.scale = static_cast<float>(ratio);
  // One destination pixel from a wider source would make the scale 0 and the window
  // infinite; destination / source keeps the window finite and spans the whole source.
  if (plan.scale == 0) {
    plan.scale = static_cast<float>(static_cast<long double>(dest_extent) / source_extent);
  }
  if (plan.scale < 1) {
    plan.window = static_cast<float>(static_cast<long double>(support) / plan.scale);
    plan.fscale = static_cast<float>(1.0L / plan.scale);
  } else {
    plan.window = support;
    plan.fscale = 1;
  }
  for (const FilterInfo& info : kFilters) {
    if (info.function == filter) {
      // Margin: far more than one rounding of the filter argument to single precision.
      plan.reach =
          static_cast<long double>(info.natural_support) * plan.fscale * (1.0L + 1.0L / (1 << 20)) +
          1.0L;
    }
  }
  return plan;
}

float Center(const PassPlan& plan, int64_t i) {
  return static_cast<float>(static_cast<long double>(i) / plan.scale);
}

// The source positions j whose taps list `i` considers.
std::pair<int64_t, int64_t> TapRange(const PassPlan& plan, float center) {
  const long double c = center;
  int64_t first = Floor(c - plan.window);
  int64_t last = Ceiling(c + plan.window);
  if (std::isfinite(plan.reach)) {
    first = std::max(first, Floor(c - plan.reach));
    last = std::min(last, Ceiling(c + plan.reach));
  }
  return {first, last};
}

// Contributor lists of one pass, flattened for the kernels.
struct ContributorTable {
  std::vector<int32_t> count;
  std::vector<int32_t> index;
  std::vector<float> weight;
  std::vector<uint8_t> consecutive;
  int64_t stride = 0;

  TableView View() const {
    return {count.data(),       index.data(), weight.data(),
            consecutive.data(), stride,       static_cast<int32_t>(count.size())};
  }
};

int32_t FillList(const PassPlan& plan, int64_t i, int32_t* index, float* weight) {
  const float center = Center(plan, i);
  const auto [first, last] = TapRange(plan, center);
  const int64_t extent = plan.source_extent;
  int32_t count = 0;
  for (int64_t j = first; j <= last; ++j) {
    const auto argument = static_cast<float>(
        (static_cast<long double>(center) - static_cast<long double>(j)) / plan.fscale);
    const auto w =
        static_cast<float>(static_cast<long double>(plan.filter(argument)) / plan.fscale);
    if (w == 0) continue;
    // Mirror at the borders: -1 reads 1, extent reads extent - 1. A source narrower than
    // the window can still mirror outside itself; such taps read the nearest edge pixel.
    int64_t pixel = j < 0 ? -j : (j >= extent ? 2 * extent - j - 1 : j);
    pixel = std::clamp<int64_t>(pixel, 0, extent - 1);
    index[count] = static_cast<int32_t>(pixel);
    weight[count] = w;
    ++count;
  }
  return count;
}

// Runs work(part) for parts 0 .. parts - 1, part 0 on the calling thread. A thread that
// cannot be started leaves its part to the calling thread; an exception from any part is
// rethrown once all parts are done.
template <typename Work>
void RunOnThreads(int parts, const Work& work) {
  std::exception_ptr failure;
  std::mutex failure_mutex;
  auto run = [&](int part) {
    try {
      work(part);
    } catch (...) {
      std::lock_guard lock(failure_mutex);
      if (!failure) failure = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  std::vector<int> left_over;
  threads.reserve(static_cast<size_t>(parts));
  left_over.reserve(static_cast<size_t>(parts));
  for (int part = 1; part < parts; ++part) {
    try {
      threads.emplace_back(run, part);
    } catch (const std::system_error&) {
      left_over.push_back(part);
    }
  }
  run(0);
  for (int part : left_over) run(part);
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
}

// Hands out units [0, units) in chunks to whichever thread asks next, so a thread held up
// by the system does not leave the others waiting at the end. Each unit's result does not
// depend on which thread computes it.
class WorkQueue {
 public:
  WorkQueue(int64_t units, int64_t chunk) : units_(units), chunk_(chunk) {}

  bool Next(int64_t& begin, int64_t& end) {
    begin = next_.fetch_add(chunk_, std::memory_order_relaxed);
    if (begin >= units_) return false;
    end = std::min(units_, begin + chunk_);
    return true;
  }

 private:
  const int64_t units_;
  const int64_t chunk_;
  std::atomic<int64_t> next_{0};
};

// Sizes the table of a pass; FillTable then computes its lists, in any order.
ContributorTable ShapeTable(const PassPlan& plan) {
  ContributorTable table;
  if (plan.dest_extent < 1 || plan.source_extent < 1) return table;
  int64_t stride = 1;
  const auto max_stride = static_cast<uint64_t>(kMaxTableSlots / plan.dest_extent);
  for (int64_t i = 0; i < plan.dest_extent; ++i) {
    const auto [first, last] = TapRange(plan, Center(plan, i));
    if (last < first) continue;
    const uint64_t taps = static_cast<uint64_t>(last) - static_cast<uint64_t>(first) + 1;
    if (taps > max_stride) throw EKelmora("Picture too large to resample");
    stride = std::max(stride, static_cast<int64_t>(taps));
  }
  const auto lists = static_cast<size_t>(plan.dest_extent);
  table.stride = stride;
  table.count.assign(lists, 0);
  table.index.assign(lists * static_cast<size_t>(stride), 0);
  table.weight.assign(lists * static_cast<size_t>(stride), 0.0f);
  table.consecutive.assign(lists, 0);
  return table;
}

void FillTable(const PassPlan& plan, ContributorTable& table, int64_t i) {
  int32_t* index = table.index.data() + i * table.stride;
  const int32_t count = FillList(plan, i, index, table.weight.data() + i * table.stride);
  bool consecutive = true;
  for (int32_t k = 1; k < count; ++k) consecutive = consecutive && index[k] == index[0] + k;
  table.count[static_cast<size_t>(i)] = count;
  table.consecutive[static_cast<size_t>(i)] = consecutive ? 1 : 0;
}

// The contributor tables of the last eight geometries, for each thread (landscape and upright
// photos of one camera need six). A table depends only on its pass's extents, filter and
// support, so the weights (a sine per tap) are computed once per size, not per picture.
class TableCache {
 public:
  struct Key {
    int32_t dest_extent;
    int32_t source_extent;
    FilterFunction filter;
    float support;
    bool operator==(const Key&) const = default;
  };

  std::shared_ptr<const ContributorTable> Find(const Key& key) {
    for (Entry& entry : entries_) {
      if (entry.table && entry.key == key) {
        entry.used = ++clock_;
        return entry.table;
      }
    }
    return nullptr;
  }

  // Takes the place of an empty entry, or else of the one used longest ago.
  void Store(const Key& key, std::shared_ptr<const ContributorTable> table) {
    const size_t bytes = table->index.size() * (sizeof(int32_t) + sizeof(float));
    if (bytes > kMaxCachedTableBytes) return;
    Entry* place = &entries_[0];
    for (Entry& entry : entries_) {
      if (!entry.table) {
        place = &entry;
        break;
      }
      if (entry.used < place->used) place = &entry;
    }
    place->key = key;
    place->table = std::move(table);
    place->used = ++clock_;
  }

 private:
  static constexpr size_t kMaxCachedTableBytes = size_t{8} << 20;
  struct Entry {
    Key key{};
    std::shared_ptr<const ContributorTable> table;
    uint64_t used = 0;
  };
  std::array<Entry, 8> entries_{};
  uint64_t clock_ = 0;
};

TableCache& ThreadTableCache() {
  thread_local TableCache cache;
  return cache;
}

KernelSet SelectKernels(ResampleKernel wanted) {
  if (wanted == ResampleKernel::kAuto || wanted == ResampleKernel::kAvx512) {
    if (resample_detail::Avx512Supported()) return resample_detail::Avx512Kernels();
  }
  if (wanted != ResampleKernel::kScalar && resample_detail::Avx2Supported()) {
    return resample_detail::Avx2Kernels();
  }
  return resample_detail::ScalarKernels();
}

// Scratch memory that every kernel writes before it reads, so it is left uninitialised.
class AlignedFloats {
 public:
  explicit AlignedFloats(int64_t count) : storage_(new float[static_cast<size_t>(count) + 16]) {}
  float* Data() {
    const auto address = reinterpret_cast<uintptr_t>(storage_.get());
    return reinterpret_cast<float*>((address + 63) & ~uintptr_t{63});
  }

 private:
  std::unique_ptr<float[]> storage_;
};

// The 8-bit intermediate picture, laid out like a 24-bit bitmap. The horizontal pass writes
// every byte the vertical pass reads, so its memory is neither cleared nor taken from the
// system page by page for each picture.
class Intermediate {
 public:
  Intermediate(int32_t width, int32_t height) {
    const uint64_t stride = (uint64_t{3} * static_cast<uint64_t>(width) + 3) / 4 * 4;
    const uint64_t bytes = stride * static_cast<uint64_t>(height);
    if (bytes > TBitmap::kMaxPixelBytes) throw EKelmora("Picture too large to resample");
    pixels_.reset(new (std::nothrow) uint8_t[std::max<uint64_t>(bytes, 1)]);
    if (!pixels_) throw EKelmora("Out of memory for resampling");
    plane_ = {pixels_.get(), static_cast<ptrdiff_t>(stride), width, height};
  }
  const Plane& View() const { return plane_; }

 private:
  std::unique_ptr<uint8_t[]> pixels_;
  Plane plane_;
};

Plane PlaneOf(TBitmap& bitmap) {
  Plane plane;
  plane.width = bitmap.Width();
  plane.height = bitmap.Height();
  if (plane.width > 0 && plane.height > 0) {
    plane.row0 = bitmap.ScanLine(0);
    plane.stride = bitmap.RowStride();
  }
  return plane;
}

int64_t EstimatedTaps(const PassPlan& plan) {
  const long double taps = 2 * std::min<long double>(plan.window, plan.reach) + 1;
  if (!(taps >= 1)) return 1;
  return taps < kMaxTableSlots ? static_cast<int64_t>(taps) : kMaxTableSlots;
}

int ThreadCount(const ResampleOptions& options, const PassPlan& horizontal,
                const PassPlan& vertical, int32_t source_height) {
  if (options.thread_count > 0) return options.thread_count;
  const int cores = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
  const long double taps = static_cast<long double>(source_height) * horizontal.dest_extent *
                               static_cast<long double>(EstimatedTaps(horizontal)) +
                           static_cast<long double>(vertical.dest_extent) * horizontal.dest_extent *
                               static_cast<long double>(EstimatedTaps(vertical));
  return static_cast<int>(std::clamp<long double>(taps / kTapsPerThread, 1, cores));
}

void RunWithProgress(const PassPlan& horizontal_plan, const PassPlan& vertical_plan,
                     const KernelSet& kernels, const KernelSet& horizontal_kernels,
                     const Plane& source, const Plane& middle, const Plane& dest,
                     const ResampleProgress& progress) {
  auto report = [&](int64_t unit, int64_t units) {
    progress(0, 100,
             RoundHalfEven(static_cast<long double>(unit) / static_cast<long double>(units) * 100));
  };
  const int32_t dest_width = middle.width;
  {
    ContributorTable table = ShapeTable(horizontal_plan);
    for (int64_t i = 0; i < dest_width; ++i) {
      report(i, dest_width);
      FillTable(horizontal_plan, table, i);
    }
    AlignedFloats scratch(ScratchFloats(horizontal_kernels, source.width));
    const int32_t block = horizontal_kernels.block_rows;
    for (int32_t y0 = 0; y0 < source.height; y0 += block) {
      const int32_t y1 = std::min(source.height, y0 + block);
      for (int32_t y = y0; y < y1; ++y) report(y, source.height);
      if (dest_width > 0) {
        horizontal_kernels.horizontal(source, middle, table.View(), y0, y1, scratch.Data());
      }
    }
  }
  ContributorTable table = ShapeTable(vertical_plan);
  for (int64_t i = 0; i < dest.height; ++i) {
    report(i, dest.height);
    FillTable(vertical_plan, table, i);
  }
  for (int32_t x0 = 0; x0 < dest_width; x0 += kProgressColumns) {
    const int32_t x1 = std::min(dest_width, x0 + kProgressColumns);
    for (int32_t x = x0; x < x1; ++x) report(x, dest_width);
    kernels.vertical(middle, dest, table.View(), 0, dest.height, int64_t{3} * x0, int64_t{3} * x1);
  }
}

}  // namespace

bool ResampleKernelAvailable(ResampleKernel kernel) {
  switch (kernel) {
    case ResampleKernel::kAvx2:
      return resample_detail::Avx2Supported();
    case ResampleKernel::kAvx512:
      return resample_detail::Avx512Supported();
    case ResampleKernel::kAuto:
    case ResampleKernel::kScalar:
      return true;
  }
  return false;
}

std::vector<ContributorList> ComputeContributors(int32_t dest_extent, int32_t source_extent,
                                                 FilterFunction filter, float support) {
  const PassPlan plan = MakePlan(dest_extent, source_extent, filter, support);
  ContributorTable table = ShapeTable(plan);
  for (int64_t i = 0; i < static_cast<int64_t>(table.count.size()); ++i) FillTable(plan, table, i);
  std::vector<ContributorList> lists(table.count.size());
  for (size_t i = 0; i < lists.size(); ++i) {
    for (int32_t k = 0; k < table.count[i]; ++k) {
      const size_t slot = i * static_cast<size_t>(table.stride) + static_cast<size_t>(k);
      lists[i].push_back({table.index[slot], table.weight[slot]});
    }
  }
  return lists;
}

void ResampleBitmap(TBitmap& source, TBitmap& dest, int32_t dest_width, int32_t dest_height,
                    FilterFunction filter, float support, ResampleProgress progress) {
  ResampleBitmap(source, dest, dest_width, dest_height, filter, support, std::move(progress),
                 ResampleOptions{});
}

void ResampleBitmap(TBitmap& source, TBitmap& dest, int32_t dest_width, int32_t dest_height,
                    FilterFunction filter, float support, ResampleProgress progress,
                    const ResampleOptions& options) {
  if (&source == &dest) {
    // Resizing dest first would destroy the source; work from a copy instead.
    TBitmap copy(source);
    ResampleBitmap(copy, dest, dest_width, dest_height, filter, support, std::move(progress),
                   options);
    return;
  }
  dest.SetSize(dest_width, dest_height);
  const int32_t source_width = source.Width();
  const int32_t source_height = source.Height();
  if (source_width < 1 || source_height < 1) return;
  if (filter == nullptr) filter = Lanczos3Filter;

  // Dest's format is set while it is empty, so no pixels are converted needlessly.
  const Intermediate middle(dest_width, source_height);
  source.SetPixelFormat(PixelFormat::k24Bit);
  if (dest.Format() != PixelFormat::k24Bit) {
    dest.SetSize(0, 0);
    dest.SetPixelFormat(PixelFormat::k24Bit);
    dest.SetSize(dest_width, dest_height);
  }

  const PassPlan horizontal_plan = MakePlan(dest_width, source_width, filter, support);
  const PassPlan vertical_plan = MakePlan(dest_height, source_height, filter, support);
  const KernelSet kernels = SelectKernels(options.kernel);
  KernelSet horizontal_kernels = kernels;
  if (ScratchFloats(kernels, source_width) * int64_t{sizeof(float)} > kMaxScratchBytes) {
    horizontal_kernels = resample_detail::ScalarKernels();
  }
  const Plane source_plane = PlaneOf(source);
  const Plane dest_plane = PlaneOf(dest);

  if (progress) {
    RunWithProgress(horizontal_plan, vertical_plan, kernels, horizontal_kernels, source_plane,
                    middle.View(), dest_plane, progress);
    return;
  }
  if (dest_width < 1 || dest_height < 1) return;

  TableCache& cache = ThreadTableCache();
  const TableCache::Key horizontal_key{dest_width, source_width, filter, support};
  const TableCache::Key vertical_key{dest_height, source_height, filter, support};
  std::shared_ptr<const ContributorTable> cached_horizontal = cache.Find(horizontal_key);
  std::shared_ptr<const ContributorTable> cached_vertical = cache.Find(vertical_key);
  std::shared_ptr<ContributorTable> new_horizontal;
  std::shared_ptr<ContributorTable> new_vertical;
  if (!cached_horizontal) {
    new_horizontal = std::make_shared<ContributorTable>(ShapeTable(horizontal_plan));
  }
  if (!cached_vertical) {
    new_vertical = std::make_shared<ContributorTable>(ShapeTable(vertical_plan));
  }
  const ContributorTable& horizontal_table =
      cached_horizontal ? *cached_horizontal : *new_horizontal;
  const ContributorTable& vertical_table = cached_vertical ? *cached_vertical : *new_vertical;
  const int32_t block = horizontal_kernels.block_rows;
  const int64_t blocks = (int64_t{source_height} + block - 1) / block;
  const int threads = static_cast<int>(
      std::min<int64_t>(ThreadCount(options, horizontal_plan, vertical_plan, source_height),
                        std::max<int64_t>(blocks, dest_height)));
  std::vector<AlignedFloats> scratch;
  scratch.reserve(static_cast<size_t>(threads));
  for (int part = 0; part < threads; ++part) {
    scratch.emplace_back(ScratchFloats(horizontal_kernels, source_width));
  }

  // Both tables' lists, then the row blocks of the horizontal pass, then the destination
  // rows of the vertical pass, each stage handed out piecemeal to all threads.
  const int64_t horizontal_lists = new_horizontal ? dest_width : 0;
  const int64_t vertical_lists = new_vertical ? dest_height : 0;
  if (horizontal_lists + vertical_lists > 0) {
    WorkQueue lists(horizontal_lists + vertical_lists, 32);
    RunOnThreads(threads, [&](int) {
      int64_t begin, end;
      while (lists.Next(begin, end)) {
        for (int64_t i = begin; i < end; ++i) {
          if (i < horizontal_lists) {
            FillTable(horizontal_plan, *new_horizontal, i);
          } else {
            FillTable(vertical_plan, *new_vertical, i - horizontal_lists);
          }
        }
      }
    });
  }
  if (new_horizontal) cache.Store(horizontal_key, new_horizontal);
  // The same geometry in both directions (a square) shares one table.
  if (new_vertical && !(vertical_key == horizontal_key)) cache.Store(vertical_key, new_vertical);
  WorkQueue row_blocks(blocks, 1);
  WorkQueue dest_rows(dest_height, 4);
  RunOnThreads(threads, [&](int part) {
    int64_t begin, end;
    while (row_blocks.Next(begin, end)) {
      horizontal_kernels.horizontal(
          source_plane, middle.View(), horizontal_table.View(), static_cast<int32_t>(begin * block),
          static_cast<int32_t>(std::min<int64_t>(end * block, source_height)),
          scratch[static_cast<size_t>(part)].Data());
    }
  });
  RunOnThreads(threads, [&](int) {
    int64_t begin, end;
    while (dest_rows.Next(begin, end)) {
      kernels.vertical(middle.View(), dest_plane, vertical_table.View(),
                       static_cast<int32_t>(begin), static_cast<int32_t>(end), 0,
                       int64_t{3} * dest_width);
    }
  });
}

}  // namespace kelmora
