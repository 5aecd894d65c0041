#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "imaging/filters.h"
#include "imaging/resample.h"
#include "support/pictures.h"

namespace kelmora {
namespace {

std::vector<uint8_t> Scaled(TBitmap source, int32_t width, int32_t height, FilterFunction filter) {
  TBitmap dest;
  ResampleBitmap(source, dest, width, height, filter, 3.0f, nullptr, {.thread_count = 1});
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < dest.Height(); ++y) {
    bytes.insert(bytes.end(), dest.ScanLine(y), dest.ScanLine(y) + 3 * dest.Width());
  }
  return bytes;
}

// The weights of a geometry are kept from one picture to the next on the same thread; a
// sequence that reuses, mixes and pushes out geometries gives exactly what each call gives
// on a thread of its own, where nothing is kept.
TEST(ResampleTableCache, RepeatedGeometriesGiveWhatAFreshThreadGives) {
  struct Call {
    int32_t source_width, source_height, width, height;
    FilterFunction filter;
  };
  const std::vector<Call> calls = {
      {300, 200, 40, 27, Lanczos3Filter}, {300, 200, 40, 27, Lanczos3Filter},
      {300, 200, 40, 27, MitchellFilter}, {200, 300, 27, 40, Lanczos3Filter},
      {120, 120, 30, 30, Lanczos3Filter}, {300, 200, 90, 60, BoxFilter},
      {300, 200, 91, 60, BoxFilter},      {300, 201, 90, 60, BoxFilter},
      {60, 50, 61, 51, TriangleFilter},   {300, 200, 40, 27, Lanczos3Filter},
      {300, 200, 40, 27, MitchellFilter}, {120, 120, 30, 30, Lanczos3Filter},
  };
  uint32_t seed = 7;
  for (const Call& call : calls) {
    SCOPED_TRACE(std::to_string(call.source_width) + "x" + std::to_string(call.source_height) +
                 " -> " + std::to_string(call.width) + "x" + std::to_string(call.height));
    const TBitmap source = test::GrainyPicture(call.source_width, call.source_height, ++seed);
    const std::vector<uint8_t> here = Scaled(source, call.width, call.height, call.filter);
    std::vector<uint8_t> fresh;
    std::thread([&] { fresh = Scaled(source, call.width, call.height, call.filter); }).join();
    EXPECT_TRUE(here == fresh);
  }
}

}  // namespace
}  // namespace kelmora
