#include "imaging/resample.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "common/errors.h"
#include "imaging/resample_oracle.h"

namespace kelmora {
namespace {

using test::OracleContributors;
using test::OracleResample;

enum class Content { kNoise, kHardEdges };

TBitmap MakePicture(int32_t width, int32_t height, uint32_t seed,
                    Content content = Content::kNoise) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(width, height);
  std::mt19937 random(seed);
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int32_t b = 0; b < 3 * width; ++b) {
      // Hard edges between 0 and 255 make the filters overshoot both ways, so clamping and
      // truncation are exercised as much as the sums.
      row[b] = content == Content::kNoise ? static_cast<uint8_t>(random())
                                          : ((b / 3 / 4 + y / 3 + random() % 8 / 7) % 2 ? 255 : 0);
    }
  }
  return bitmap;
}

TBitmap GreyRow(const std::vector<uint8_t>& values) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(static_cast<int32_t>(values.size()), 1);
  for (size_t x = 0; x < values.size(); ++x) {
    for (size_t c = 0; c < 3; ++c) bitmap.ScanLine(0)[3 * x + c] = values[x];
  }
  return bitmap;
}

testing::AssertionResult SamePixels(const TBitmap& expected, const TBitmap& actual) {
  if (expected.Width() != actual.Width() || expected.Height() != actual.Height()) {
    return testing::AssertionFailure()
           << "size " << actual.Width() << " x " << actual.Height() << ", expected "
           << expected.Width() << " x " << expected.Height();
  }
  if (actual.Format() != PixelFormat::k24Bit) {
    return testing::AssertionFailure() << "not 24-bit";
  }
  for (int32_t y = 0; y < expected.Height(); ++y) {
    for (int32_t b = 0; b < 3 * expected.Width(); ++b) {
      const int want = expected.ScanLine(y)[b];
      const int got = actual.ScanLine(y)[b];
      if (want != got) {
        return testing::AssertionFailure() << "pixel (" << b / 3 << ", " << y << ") channel "
                                           << b % 3 << " is " << got << ", expected " << want;
      }
    }
  }
  return testing::AssertionSuccess();
}

// --- contributor lists -------------------------------------------------------------------

TEST(ResampleContributors, FourToTwoWithTriangleMirrorsAtBothBorders) {
  const auto lists = ComputeContributors(2, 4, TriangleFilter, 3.0f);
  ASSERT_EQ(lists.size(), 2u);
  const std::vector<float> weights = {1.0f / 9, 2.0f / 9, 1.0f / 3, 2.0f / 9, 1.0f / 9};
  // Center 0 takes pixels -2..2, so -1 and -2 mirror to 1 and 2 (pixel 0 is not repeated);
  // center 3 takes 1..5, so 4 and 5 mirror to 3 and 2 (the last pixel is repeated).
  const std::vector<std::vector<int32_t>> pixels = {{2, 1, 0, 1, 2}, {1, 2, 3, 3, 2}};
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_EQ(lists[i].size(), 5u) << "column " << i;
    for (size_t k = 0; k < 5; ++k) {
      EXPECT_EQ(lists[i][k].pixel, pixels[i][k]) << "column " << i << " tap " << k;
      EXPECT_FLOAT_EQ(lists[i][k].weight, weights[k]) << "column " << i << " tap " << k;
    }
  }
}

TEST(ResampleContributors, ThousandToHundredSpansThirtySourcePixelsEachSide) {
  // xscale = 99 / 999: window 30.27, weights divided by fscale 10.09.
  const auto lists = ComputeContributors(100, 1000, Lanczos3Filter, 3.0f);
  ASSERT_EQ(lists.size(), 100u);
  const ContributorList& first = lists[0];
  // Pixels -30..30: 30 / 10.09 is inside Lanczos3's support of 3, 31 / 10.09 outside.
  ASSERT_EQ(first.size(), 61u);
  const auto middle = first.size() / 2;
  EXPECT_EQ(first[middle].pixel, 0);
  EXPECT_NEAR(first[middle].weight, 99.0 / 999.0, 1e-7);
  EXPECT_EQ(first.front().pixel, 30);
  EXPECT_EQ(first.back().pixel, 30);
}

struct ListCase {
  int32_t dest;
  int32_t source;
  float support;
};

TEST(ResampleContributors, MatchTheRulesForEveryFilter) {
  const ListCase cases[] = {
      {2, 4, 3.0f},   {100, 1000, 3.0f}, {1000, 100, 3.0f}, {7, 7, 3.0f},  {1, 1, 3.0f},
      {9, 1, 3.0f},   {1, 9, 3.0f},      {3, 2, 3.0f},      {2, 3, 3.0f},  {160, 4000, 3.0f},
      {11, 5, 0.25f}, {5, 11, 0.7f},     {5, 11, 9.5f},     {6, 3, -1.0f}, {0, 5, 3.0f},
  };
  for (const ListCase& c : cases) {
    for (const FilterInfo& filter : kFilters) {
      SCOPED_TRACE(std::string(filter.name) + " " + std::to_string(c.source) + " -> " +
                   std::to_string(c.dest) + " support " + std::to_string(c.support));
      const auto expected = OracleContributors(c.dest, c.source, filter.function, c.support);
      const auto actual = ComputeContributors(c.dest, c.source, filter.function, c.support);
      ASSERT_EQ(actual.size(), expected.size());
      for (size_t i = 0; i < expected.size(); ++i) {
        ASSERT_EQ(actual[i].size(), expected[i].size()) << "list " << i;
        for (size_t k = 0; k < expected[i].size(); ++k) {
          EXPECT_EQ(actual[i][k].pixel, expected[i][k].pixel) << "list " << i << " tap " << k;
          EXPECT_EQ(actual[i][k].weight, expected[i][k].weight) << "list " << i << " tap " << k;
        }
      }
    }
  }
}

// --- whole pictures against the oracle -----------------------------------------------------

struct KernelCase {
  const char* name;
  ResampleKernel kernel;
  int threads;
  bool progress;
};

void PrintTo(const KernelCase& kernel, std::ostream* out) {
  *out << kernel.name;
}

struct SizeCase {
  int32_t source_width, source_height, dest_width, dest_height;
  Content content;
};

class ResampleMatchesOracle : public testing::TestWithParam<KernelCase> {};

TEST_P(ResampleMatchesOracle, ForEveryFilterAndSize) {
  const KernelCase& kernel = GetParam();
  if (!ResampleKernelAvailable(kernel.kernel)) GTEST_SKIP() << "processor lacks this kernel";
  const SizeCase sizes[] = {
      {17, 11, 5, 3, Content::kNoise},        // shrinking
      {97, 61, 13, 9, Content::kHardEdges},   //
      {250, 190, 80, 60, Content::kNoise},    // several row blocks and column tiles
      {40, 30, 40, 30, Content::kHardEdges},  // same size
      {5, 3, 37, 29, Content::kNoise},        // enlarging
      {23, 50, 70, 19, Content::kHardEdges},  // wider and shorter
      {1, 1, 7, 5, Content::kNoise},          // one-pixel source
      {1, 9, 6, 4, Content::kNoise},          //
      {2, 2, 9, 9, Content::kHardEdges},      // mirrors still outside the source
      {2, 7, 1, 3, Content::kNoise},          // one-pixel destination column
      {33, 17, 1, 1, Content::kNoise},        // scale 0 both ways
      {300, 7, 2, 40, Content::kHardEdges},   //
      {19, 21, 3, 100, Content::kNoise},      //
  };
  ResampleOptions options;
  options.kernel = kernel.kernel;
  options.thread_count = kernel.threads;
  uint32_t seed = 1;
  for (const SizeCase& size : sizes) {
    const TBitmap picture =
        MakePicture(size.source_width, size.source_height, seed++, size.content);
    for (const FilterInfo& filter : kFilters) {
      SCOPED_TRACE(std::string(filter.name) + " " + std::to_string(size.source_width) + "x" +
                   std::to_string(size.source_height) + " -> " + std::to_string(size.dest_width) +
                   "x" + std::to_string(size.dest_height));
      const TBitmap expected =
          OracleResample(picture, size.dest_width, size.dest_height, filter.function, 3.0f);
      TBitmap source = picture;
      TBitmap dest;
      ResampleProgress progress;
      if (kernel.progress) progress = [](int, int, int) {};
      ResampleBitmap(source, dest, size.dest_width, size.dest_height, filter.function, 3.0f,
                     progress, options);
      EXPECT_TRUE(SamePixels(expected, dest));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kernels, ResampleMatchesOracle,
    testing::Values(KernelCase{"scalar", ResampleKernel::kScalar, 1, false},
                    KernelCase{"scalar_3_threads", ResampleKernel::kScalar, 3, false},
                    KernelCase{"avx2", ResampleKernel::kAvx2, 1, false},
                    KernelCase{"avx2_3_threads", ResampleKernel::kAvx2, 3, false},
                    KernelCase{"avx512", ResampleKernel::kAvx512, 1, false},
                    KernelCase{"avx512_2_threads", ResampleKernel::kAvx512, 2, false},
                    KernelCase{"avx512_7_threads", ResampleKernel::kAvx512, 7, false},
                    KernelCase{"automatic", ResampleKernel::kAuto, 0, false},
                    KernelCase{"scalar_progress", ResampleKernel::kScalar, 0, true},
                    KernelCase{"avx2_progress", ResampleKernel::kAvx2, 0, true},
                    KernelCase{"avx512_progress", ResampleKernel::kAvx512, 0, true}),
    [](const testing::TestParamInfo<KernelCase>& param) { return std::string(param.param.name); });

// --- behaviour of the rules -------------------------------------------------------------------

TEST(ResampleBitmap, SameSizeIsIdentityForKernelsZeroAtWholePixels) {
  for (const FilterFunction filter : {BoxFilter, TriangleFilter, HermiteFilter}) {
    for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {37, 19}, {64, 33}}) {
      TBitmap source = MakePicture(width, height, static_cast<uint32_t>(width * height));
      const TBitmap original = source;
      TBitmap dest;
      ResampleBitmap(source, dest, width, height, filter, 3.0f);
      EXPECT_TRUE(SamePixels(original, dest)) << width << " x " << height;
    }
  }
}

TEST(ResampleBitmap, OnePixelSourceFillsTheDestination) {
  TBitmap source;
  source.SetPixelFormat(PixelFormat::k24Bit);
  source.SetSize(1, 1);
  source.ScanLine(0)[0] = 10;
  source.ScanLine(0)[1] = 200;
  source.ScanLine(0)[2] = 255;
  TBitmap dest;
  ResampleBitmap(source, dest, 7, 5, BoxFilter, 3.0f);
  ASSERT_EQ(dest.Width(), 7);
  ASSERT_EQ(dest.Height(), 5);
  for (int32_t y = 0; y < 5; ++y) {
    for (int32_t x = 0; x < 7; ++x) {
      EXPECT_EQ(dest.ScanLine(y)[3 * x + 0], 10);
      EXPECT_EQ(dest.ScanLine(y)[3 * x + 1], 200);
      EXPECT_EQ(dest.ScanLine(y)[3 * x + 2], 255);
    }
  }
}

TEST(ResampleBitmap, OneDestinationPixelFromAWiderSourceScalesByDestinationOverSource) {
  // Scale 1/5, window 15, fscale 5: Box keeps pixels -2..2, mirrored to 2, 1, 0, 1, 2, each
  // weighing 1/5: (0 + 10 + 50 + 10 + 0) / 5.
  TBitmap source = GreyRow({50, 10, 0, 0, 0});
  TBitmap dest;
  ResampleBitmap(source, dest, 1, 1, BoxFilter, 3.0f);
  ASSERT_EQ(dest.Width(), 1);
  EXPECT_EQ(dest.ScanLine(0)[0], 14);
}

TEST(ResampleBitmap, WeightsAreNotNormalised) {
  // 10 -> 3 with Box: fscale 4.5, so each tap weighs 2/9. Columns centred on whole pixels
  // take five taps (lighter), the middle one centred on 4.5 takes four (darker).
  TBitmap source = GreyRow(std::vector<uint8_t>(10, 100));
  TBitmap dest;
  ResampleBitmap(source, dest, 3, 1, BoxFilter, 3.0f);
  ASSERT_EQ(dest.Width(), 3);
  EXPECT_EQ(dest.ScanLine(0)[0], 111);
  EXPECT_EQ(dest.ScanLine(0)[3], 88);
  EXPECT_EQ(dest.ScanLine(0)[6], 111);
}

TEST(ResampleBitmap, EmptySourceLeavesTheDestinationResizedButUnwritten) {
  for (const auto& [width, height] : {std::pair{0, 5}, {4, 0}, {0, 0}}) {
    TBitmap source;
    source.SetPixelFormat(PixelFormat::k24Bit);
    source.SetSize(width, height);
    TBitmap dest;
    dest.SetPixelFormat(PixelFormat::k24Bit);
    dest.SetSize(2, 2);
    dest.ScanLine(0)[0] = 99;
    ResampleBitmap(source, dest, 7, 3, Lanczos3Filter, 3.0f);
    ASSERT_EQ(dest.Width(), 7);
    ASSERT_EQ(dest.Height(), 3);
    for (int32_t y = 0; y < 3; ++y) {
      for (int32_t b = 0; b < 21; ++b) EXPECT_EQ(dest.ScanLine(y)[b], 0);
    }
  }
}

TEST(ResampleBitmap, ZeroDestinationExtentGivesAnEmptyPicture) {
  TBitmap source = MakePicture(9, 4, 3);
  for (const auto& [width, height] : {std::pair{0, 3}, {5, 0}}) {
    TBitmap dest;
    ResampleBitmap(source, dest, width, height, Lanczos3Filter, 3.0f);
    EXPECT_EQ(dest.Width(), width);
    EXPECT_EQ(dest.Height(), height);
  }
}

TEST(ResampleBitmap, AbsurdSupportNeitherHangsNorReadsOutside) {
  const TBitmap picture = MakePicture(21, 13, 9);
  TBitmap source = picture;
  TBitmap dest;
  // Beyond its natural support a filter is 0, so an unbounded window changes nothing.
  ResampleBitmap(source, dest, 6, 30, Lanczos3Filter, std::numeric_limits<float>::infinity());
  EXPECT_TRUE(SamePixels(OracleResample(picture, 6, 30, Lanczos3Filter, 60.0f), dest));

  ResampleBitmap(source, dest, 6, 30, TriangleFilter, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(dest.Width(), 6);
  EXPECT_EQ(dest.Height(), 30);

  // A filter the resampler does not know could be non-zero anywhere: its window is refused
  // rather than swept.
  const FilterFunction everywhere = [](float) { return 1.0f; };
  EXPECT_THROW(ResampleBitmap(source, dest, 6, 30, everywhere, 1e30f), EKelmora);
}

TEST(ResampleBitmap, PaletteSourceIsWidenedTo24Bit) {
  TBitmap source;
  source.SetPixelFormat(PixelFormat::k8Bit);
  source.SetSize(23, 9);
  std::vector<PaletteEntry> palette(256);
  for (int i = 0; i < 256; ++i) {
    palette[static_cast<size_t>(i)] = {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i),
                                       static_cast<uint8_t>(i * 7)};
  }
  source.SetPalette(palette);
  for (int32_t y = 0; y < 9; ++y) {
    for (int32_t x = 0; x < 23; ++x) source.ScanLine(y)[x] = static_cast<uint8_t>(x * 11 + y);
  }
  TBitmap widened = source;
  widened.SetPixelFormat(PixelFormat::k24Bit);

  TBitmap dest;
  ResampleBitmap(source, dest, 8, 30, MitchellFilter, 3.0f);
  EXPECT_EQ(source.Format(), PixelFormat::k24Bit);
  EXPECT_TRUE(SamePixels(OracleResample(widened, 8, 30, MitchellFilter, 3.0f), dest));
}

TEST(ResampleBitmap, DestinationThatIsTheSourceGetsTheResampledSource) {
  TBitmap picture = MakePicture(31, 12, 5);
  const TBitmap expected = OracleResample(picture, 10, 20, SplineFilter, 3.0f);
  ResampleBitmap(picture, picture, 10, 20, SplineFilter, 3.0f);
  EXPECT_TRUE(SamePixels(expected, picture));
}

TEST(ResampleBitmap, ProgressReportsEveryUnitOfTheFourStagesInOrder) {
  TBitmap source = MakePicture(3, 5, 11);
  TBitmap dest;
  std::vector<int> positions;
  ResampleBitmap(source, dest, 8, 4, TriangleFilter, 3.0f, [&](int minimum, int maximum, int p) {
    EXPECT_EQ(minimum, 0);
    EXPECT_EQ(maximum, 100);
    positions.push_back(p);
  });
  // Per destination column, per source row, per destination row, per destination column;
  // halves go to the even neighbour (12.5 -> 12, 37.5 -> 38).
  const std::vector<int> columns = {0, 12, 25, 38, 50, 62, 75, 88};
  std::vector<int> expected = columns;
  for (int p : {0, 20, 40, 60, 80}) expected.push_back(p);
  for (int p : {0, 25, 50, 75}) expected.push_back(p);
  expected.insert(expected.end(), columns.begin(), columns.end());
  EXPECT_EQ(positions, expected);
}

// --- helpers ---------------------------------------------------------------------------------

TEST(ClampTrunc, ClampsThenTruncatesTowardZero) {
  struct Case {
    int lo, hi;
    float v;
    int expected;
  };
  const Case cases[] = {
      {0, 255, 255.9f, 255}, {0, 255, 254.99f, 254},
      {0, 255, -3.0f, 0},    {0, 255, 256.0f, 255},
      {0, 255, 255.0f, 255}, {0, 255, 0.999f, 0},
      {0, 255, -0.25f, 0},   {10, 20, 15.7f, 15},
      {-5, 5, -4.5f, -4},    {0, 255, std::numeric_limits<float>::quiet_NaN(), 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ClampTrunc(c.lo, c.hi, c.v), c.expected) << c.v;
  }
}

TEST(FloorAndCeiling, RoundTowardTheirSideIncludingNegatives) {
  struct Case {
    long double v;
    int64_t floor, ceiling;
  };
  const Case cases[] = {
      {2.5L, 2, 3},
      {-2.5L, -3, -2},
      {-2.0L, -2, -2},
      {0.0L, 0, 0},
      {1e-9L, 0, 1},
      {-1e-9L, -1, 0},
      {1e30L, int64_t{1} << 62, int64_t{1} << 62},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Floor(c.v), c.floor) << static_cast<double>(c.v);
    EXPECT_EQ(Ceiling(c.v), c.ceiling) << static_cast<double>(c.v);
  }
}

}  // namespace
}  // namespace kelmora
