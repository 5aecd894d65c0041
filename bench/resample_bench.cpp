// Resampling a 12-megapixel picture to the gallery's two sizes (800 x 600 resized image,
// 160 x 120 thumbnail) with Lanczos3 and support 3, as the image export does it.
//   args: destination width, destination height, threads (0 = all cores), kernel

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <thread>

#include "imaging/resample.h"

namespace kelmora {
namespace {

// Smooth shapes, fine texture and sensor-like noise: photo-like content. (The resampler's
// speed does not depend on the pixel values, but the picture should still look real.)
const TBitmap& CameraPicture() {
  static const TBitmap kPicture = [] {
    TBitmap bitmap;
    bitmap.SetPixelFormat(PixelFormat::k24Bit);
    bitmap.SetSize(4000, 3000);
    std::mt19937 random(12);
    std::normal_distribution<float> noise(0.0f, 6.0f);
    for (int32_t y = 0; y < bitmap.Height(); ++y) {
      uint8_t* row = bitmap.ScanLine(y);
      for (int32_t x = 0; x < bitmap.Width(); ++x) {
        const float base = 120 + 60 * std::sin(x * 0.004f) * std::cos(y * 0.003f) +
                           25 * std::sin((x + 2 * y) * 0.05f);
        for (int c = 0; c < 3; ++c) {
          const float value = base + 30 * (c - 1) * std::cos(y * 0.001f) + noise(random);
          row[3 * x + c] = static_cast<uint8_t>(std::fmin(255.0f, std::fmax(0.0f, value)));
        }
      }
    }
    return bitmap;
  }();
  return kPicture;
}

void BenchResample(benchmark::State& state) {
  TBitmap source = CameraPicture();
  ResampleOptions options;
  options.thread_count = static_cast<int>(state.range(2));
  options.kernel = static_cast<ResampleKernel>(state.range(3));
  if (!ResampleKernelAvailable(options.kernel)) {
    state.SkipWithError("processor lacks this kernel");
    return;
  }
  TBitmap dest;
  for (auto _ : state) {
    ResampleBitmap(source, dest, static_cast<int32_t>(state.range(0)),
                   static_cast<int32_t>(state.range(1)), Lanczos3Filter, 3.0f, nullptr, options);
    benchmark::DoNotOptimize(dest.ScanLine(0));
  }
  state.counters["threads"] = options.thread_count > 0
                                  ? options.thread_count
                                  : static_cast<double>(std::thread::hardware_concurrency());
}

// Both sizes of one picture, as the export makes them.
void BenchResampleBothSizes(benchmark::State& state) {
  TBitmap source = CameraPicture();
  ResampleOptions options;
  options.thread_count = static_cast<int>(state.range(0));
  TBitmap resized;
  TBitmap thumbnail;
  for (auto _ : state) {
    ResampleBitmap(source, resized, 800, 600, Lanczos3Filter, 3.0f, nullptr, options);
    ResampleBitmap(source, thumbnail, 160, 120, Lanczos3Filter, 3.0f, nullptr, options);
    benchmark::DoNotOptimize(resized.ScanLine(0));
    benchmark::DoNotOptimize(thumbnail.ScanLine(0));
  }
}

constexpr auto kAuto = static_cast<int64_t>(ResampleKernel::kAuto);
constexpr auto kAvx2 = static_cast<int64_t>(ResampleKernel::kAvx2);
constexpr auto kScalar = static_cast<int64_t>(ResampleKernel::kScalar);

BENCHMARK(BenchResample)
    ->ArgNames({"width", "height", "threads", "kernel"})
    ->Args({800, 600, 1, kAuto})
    ->Args({800, 600, 0, kAuto})
    ->Args({160, 120, 1, kAuto})
    ->Args({160, 120, 0, kAuto})
    ->Args({800, 600, 1, kAvx2})
    ->Args({160, 120, 1, kAvx2})
    ->Args({800, 600, 1, kScalar})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BenchResampleBothSizes)
    ->ArgNames({"threads"})
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
