// Turning a camera picture upright: every orientation on a 24-megapixel picture, against a
// plain copy of the same bytes as the floor.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>

#include "imaging/bitmap.h"
#include "imaging/orientation.h"

namespace kelmora {
namespace {

TBitmap CameraSizedPicture() {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(6000, 4000);
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    std::memset(bitmap.ScanLine(y), y & 255, bitmap.BytesPerRow());
  }
  return bitmap;
}

void BenchOrientUpright(benchmark::State& state) {
  const TBitmap picture = CameraSizedPicture();
  for (auto _ : state) {
    TBitmap bitmap = picture;
    OrientUpright(bitmap, static_cast<int32_t>(state.range(0)));
    benchmark::DoNotOptimize(bitmap.ScanLine(0));
  }
}
BENCHMARK(BenchOrientUpright)->DenseRange(1, 8)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmora

BENCHMARK_MAIN();
