#include "imaging/orientation.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/orientation_oracle.h"

namespace kelmora {
namespace {

struct FormatCase {
  const char* name;
  PixelFormat format;
};

// A picture whose every pixel differs from every other, in the format of the case. Sizes
// span more than one tile of the production code and are odd in both directions.
TBitmap NumberedPicture(PixelFormat format, int32_t width, int32_t height) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(format);
  if (format == PixelFormat::k8Bit) {
    std::vector<PaletteEntry> palette;
    for (int i = 0; i < 256; ++i) palette.push_back({uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    bitmap.SetPalette(palette);
  }
  bitmap.SetSize(width, height);
  const int bytes = BitsPerPixel(format) / 8;
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const uint32_t n = uint32_t(y) * 7919u + uint32_t(x) * 104729u;
      for (int b = 0; b < bytes; ++b) bitmap.ScanLine(y)[x * bytes + b] = uint8_t(n >> (8 * b));
    }
  }
  return bitmap;
}

class OrientationTest : public testing::TestWithParam<int> {};

TEST_P(OrientationTest, MatchesTheOrientationsMeaningInEveryFormat) {
  const int orientation = GetParam();
  const FormatCase formats[] = {
      {"24-bit", PixelFormat::k24Bit},
      {"32-bit", PixelFormat::k32Bit},
      {"8-bit palette", PixelFormat::k8Bit},
  };
  const struct { int32_t width, height; } sizes[] = {{1, 1}, {5, 3}, {3, 5}, {131, 67}};
  for (const FormatCase& f : formats) {
    for (const auto& size : sizes) {
      TBitmap bitmap = NumberedPicture(f.format, size.width, size.height);
      const test::PixelGrid expected = test::UprightGrid(test::GridOf(bitmap), orientation);
      const std::vector<PaletteEntry> palette = bitmap.Palette();
      OrientUpright(bitmap, orientation);
      const std::string what = std::string(f.name) + " " + std::to_string(size.width) + "x" +
                               std::to_string(size.height);
      ASSERT_EQ(bitmap.Format(), f.format) << what;
      ASSERT_EQ(bitmap.Width(), expected.width) << what;
      ASSERT_EQ(bitmap.Height(), expected.height) << what;
      EXPECT_EQ(test::GridOf(bitmap).pixels, expected.pixels) << what;
      EXPECT_EQ(bitmap.Palette(), palette) << what;
    }
  }
}

// Pictures of less than a byte a pixel are turned as 8-bit palette pictures that look the
// same.
TEST_P(OrientationTest, NarrowPalettePicturesKeepTheirColours) {
  const int orientation = GetParam();
  for (PixelFormat format : {PixelFormat::k1Bit, PixelFormat::k4Bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetPalette({{0, 0, 0}, {255, 255, 255}, {10, 20, 30}, {40, 50, 60}});
    bitmap.SetSize(13, 6);
    for (int32_t y = 0; y < 6; ++y) {
      for (size_t b = 0; b < bitmap.BytesPerRow(); ++b)
        bitmap.ScanLine(y)[b] = uint8_t(y * 37 + b * 11);
    }
    TBitmap wide = bitmap;
    wide.SetPixelFormat(PixelFormat::k8Bit);
    const test::PixelGrid expected = test::UprightGrid(test::GridOf(wide), orientation);
    OrientUpright(bitmap, orientation);
    if (orientation == 1) {
      EXPECT_EQ(bitmap.Format(), format);  // untouched
      continue;
    }
    ASSERT_EQ(bitmap.Format(), PixelFormat::k8Bit);
    EXPECT_EQ(bitmap.Palette(), wide.Palette());
    EXPECT_EQ(test::GridOf(bitmap).pixels, expected.pixels);
  }
}

INSTANTIATE_TEST_SUITE_P(AllEight, OrientationTest, testing::Range(1, 9), [](const auto& item) {
  return "Orientation" + std::to_string(item.param);
});

TEST(Orientation, ValuesOutsideOneToEightChangeNothing) {
  for (int orientation : {0, 9, -1, 65535}) {
    TBitmap bitmap = NumberedPicture(PixelFormat::k24Bit, 4, 3);
    const test::PixelGrid before = test::GridOf(bitmap);
    OrientUpright(bitmap, orientation);
    EXPECT_EQ(bitmap.Width(), 4);
    EXPECT_EQ(test::GridOf(bitmap).pixels, before.pixels) << orientation;
  }
}

}  // namespace
}  // namespace kelmora
