#include "imaging/bitmap.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

#include "common/errors.h"

namespace kelmora {
namespace {

constexpr PaletteEntry kRed{255, 0, 0};
constexpr PaletteEntry kGreen{0, 255, 0};
constexpr PaletteEntry kBlue{0, 0, 255};
constexpr PaletteEntry kWhite{255, 255, 255};
constexpr PaletteEntry kBlack{0, 0, 0};

PaletteEntry ColourAt(const TBitmap& bitmap, int32_t x, int32_t y) {
  const size_t step = bitmap.Format() == PixelFormat::k32Bit ? 4 : 3;
  const uint8_t* p = bitmap.ScanLine(y) + static_cast<size_t>(x) * step;
  return {p[2], p[1], p[0]};
}

void SetColour(TBitmap& bitmap, int32_t x, int32_t y, PaletteEntry colour) {
  uint8_t* p = bitmap.ScanLine(y) + static_cast<size_t>(x) * 3;
  p[0] = colour.blue;
  p[1] = colour.green;
  p[2] = colour.red;
}

std::vector<uint8_t> Row(const TBitmap& bitmap, int32_t y, size_t bytes) {
  return std::vector<uint8_t>(bitmap.ScanLine(y), bitmap.ScanLine(y) + bytes);
}

class StrideTest : public testing::TestWithParam<PixelFormat> {};

TEST_P(StrideTest, RowsArePaddedToFourBytes) {
  const PixelFormat format = GetParam();
  for (int32_t width = 1; width <= 41; ++width) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, 3);
    const int64_t row_bytes = (int64_t{width} * BitsPerPixel(format) + 7) / 8;
    const ptrdiff_t stride = bitmap.RowStride();
    EXPECT_EQ(stride % 4, 0) << width;
    EXPECT_GE(stride, row_bytes) << width;
    EXPECT_LT(stride, row_bytes + 4) << width;
    EXPECT_EQ(bitmap.ScanLine(2) - bitmap.ScanLine(1), stride) << width;
    EXPECT_EQ(bitmap.ScanLine(1) - bitmap.ScanLine(0), stride) << width;
  }
}

INSTANTIATE_TEST_SUITE_P(AllFormats, StrideTest,
                         testing::Values(PixelFormat::kDevice, PixelFormat::k1Bit,
                                         PixelFormat::k4Bit, PixelFormat::k8Bit,
                                         PixelFormat::k24Bit, PixelFormat::k32Bit));

TEST(BitmapTest, SetSizeKeepsFormatAndPaletteAndClearsPixels) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k8Bit);
  bitmap.SetPalette({kRed, kGreen});
  bitmap.SetSize(5, 4);
  bitmap.ScanLine(3)[4] = 1;
  bitmap.SetSize(6, 7);
  EXPECT_EQ(bitmap.Format(), PixelFormat::k8Bit);
  EXPECT_EQ(bitmap.Palette(), (std::vector<PaletteEntry>{kRed, kGreen}));
  for (int32_t y = 0; y < 7; ++y) EXPECT_EQ(Row(bitmap, y, 6), std::vector<uint8_t>(6, 0));
}

struct BadSize {
  int32_t width;
  int32_t height;
  PixelFormat format;
};

class BadSizeTest : public testing::TestWithParam<BadSize> {};

TEST_P(BadSizeTest, RaisesAndKeepsThePicture) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(GetParam().format);
  bitmap.SetSize(2, 2);
  bitmap.ScanLine(1)[0] = 9;
  EXPECT_THROW(bitmap.SetSize(GetParam().width, GetParam().height), EKelmora);
  EXPECT_EQ(bitmap.Width(), 2);
  EXPECT_EQ(bitmap.ScanLine(1)[0], 9);
}

constexpr int32_t kMaxInt = std::numeric_limits<int32_t>::max();

INSTANTIATE_TEST_SUITE_P(Sizes, BadSizeTest,
                         testing::Values(BadSize{-1, 10, PixelFormat::k24Bit},
                                         BadSize{10, -5, PixelFormat::k24Bit},
                                         BadSize{40000, 40000, PixelFormat::k24Bit},
                                         BadSize{kMaxInt, kMaxInt, PixelFormat::k32Bit},
                                         BadSize{kMaxInt, 3, PixelFormat::k24Bit},
                                         BadSize{3, kMaxInt, PixelFormat::k1Bit}));

TEST(BitmapTest, CopyIsIndependentAndMoveLeavesAnEmptyBitmap) {
  TBitmap original;
  original.SetPixelFormat(PixelFormat::k8Bit);
  original.SetSize(3, 2);
  original.SetPalette({kRed, kGreen, kBlue});
  original.ScanLine(1)[2] = 2;

  TBitmap copy;
  copy.SetSize(10, 10);
  copy = original;
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Format(), PixelFormat::k8Bit);
  EXPECT_EQ(copy.Palette(), original.Palette());
  copy.ScanLine(1)[2] = 0;
  copy.SetPalette({kWhite});
  EXPECT_EQ(original.ScanLine(1)[2], 2);
  EXPECT_EQ(original.Palette().size(), 3u);

  TBitmap moved = std::move(original);
  EXPECT_EQ(moved.ScanLine(1)[2], 2);
  EXPECT_EQ(original.Width(), 0);
  EXPECT_EQ(original.Height(), 0);
}

TEST(BitmapTest, LargePictureKeepsItsPixelsThroughCopyMoveAndConversion) {
  // Large enough for the memory path of camera pictures.
  TBitmap bitmap;
  bitmap.SetSize(2000, 1100);
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    EXPECT_EQ(bitmap.ScanLine(y)[5999], 0);
    SetColour(bitmap, 1999, y, {static_cast<uint8_t>(y), 7, static_cast<uint8_t>(y >> 8)});
  }
  TBitmap copy = bitmap;
  TBitmap moved = std::move(bitmap);
  moved.SetPixelFormat(PixelFormat::k32Bit);
  for (int32_t y = 0; y < moved.Height(); ++y) {
    const PaletteEntry expected{static_cast<uint8_t>(y), 7, static_cast<uint8_t>(y >> 8)};
    ASSERT_EQ(ColourAt(moved, 1999, y), expected) << y;
    ASSERT_EQ(ColourAt(copy, 1999, y), expected) << y;
  }
}

struct Expansion {
  PixelFormat format;
  std::vector<uint8_t> row;  // the packed indices of one row of four pixels
  std::vector<PaletteEntry> expected;
};

class PaletteExpansionTest : public testing::TestWithParam<Expansion> {};

TEST_P(PaletteExpansionTest, IndicesBecomeTheirColours) {
  const Expansion& c = GetParam();
  for (PixelFormat target : {PixelFormat::k24Bit, PixelFormat::k32Bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(c.format);
    bitmap.SetSize(4, 2);
    // Three entries only: the index 3 lies beyond the palette and shows black.
    bitmap.SetPalette({kRed, kGreen, kBlue});
    std::copy(c.row.begin(), c.row.end(), bitmap.ScanLine(1));
    bitmap.SetPixelFormat(target);
    ASSERT_EQ(bitmap.Format(), target);
    EXPECT_TRUE(bitmap.Palette().empty());
    for (int32_t x = 0; x < 4; ++x) {
      EXPECT_EQ(ColourAt(bitmap, x, 0), kRed) << x;  // row 0 stays index 0
      EXPECT_EQ(ColourAt(bitmap, x, 1), c.expected[static_cast<size_t>(x)]) << x;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Formats, PaletteExpansionTest,
    testing::Values(Expansion{PixelFormat::k1Bit, {0b0101'0000}, {kRed, kGreen, kRed, kGreen}},
                    Expansion{PixelFormat::k4Bit, {0x21, 0x03}, {kBlue, kGreen, kRed, kBlack}},
                    Expansion{PixelFormat::k8Bit, {2, 0, 3, 1}, {kBlue, kRed, kBlack, kGreen}}));

TEST(BitmapTest, ThirtyTwoBitDropsAndAddsTheFourthByte) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k32Bit);
  bitmap.SetSize(2, 1);
  const uint8_t pixels[] = {1, 2, 3, 200, 4, 5, 6, 100};
  std::copy(std::begin(pixels), std::end(pixels), bitmap.ScanLine(0));
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  EXPECT_EQ(Row(bitmap, 0, 6), (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));
  bitmap.SetPixelFormat(PixelFormat::k32Bit);
  EXPECT_EQ(Row(bitmap, 0, 8), (std::vector<uint8_t>{1, 2, 3, 0, 4, 5, 6, 0}));
}

TEST(BitmapTest, ColoursGoToTheNearestPaletteEntryOrToAGreyRamp) {
  TBitmap bitmap;
  bitmap.SetSize(4, 1);
  SetColour(bitmap, 0, 0, {250, 10, 5});
  SetColour(bitmap, 1, 0, {0, 0, 200});
  SetColour(bitmap, 2, 0, {20, 230, 30});
  SetColour(bitmap, 3, 0, {210, 220, 230});
  TBitmap grey = bitmap;

  bitmap.SetPalette({kRed, kGreen, kBlue});
  bitmap.SetPixelFormat(PixelFormat::k4Bit);
  EXPECT_EQ(Row(bitmap, 0, 2), (std::vector<uint8_t>{0x02, 0x12}));  // red blue green blue
  EXPECT_EQ(bitmap.Palette().size(), 3u);

  grey.SetPixelFormat(PixelFormat::k1Bit);
  EXPECT_EQ(grey.Palette(), (std::vector<PaletteEntry>{kBlack, kWhite}));
  EXPECT_EQ(grey.ScanLine(0)[0] & 0xF0, 0b0001'0000);  // only the light one is white
}

TEST(BitmapTest, WiderPaletteFormatKeepsIndicesAndNarrowerOneMapsColours) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k1Bit);
  bitmap.SetSize(9, 1);
  bitmap.SetPalette({kBlue, kWhite});
  bitmap.ScanLine(0)[0] = 0b0100'0001;
  bitmap.ScanLine(0)[1] = 0b1000'0000;
  bitmap.SetPixelFormat(PixelFormat::k8Bit);
  EXPECT_EQ(Row(bitmap, 0, 9), (std::vector<uint8_t>{0, 1, 0, 0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(bitmap.Palette(), (std::vector<PaletteEntry>{kBlue, kWhite}));

  // Down to 1 bit the first two entries remain, black and light grey; the near-white index
  // 2 takes the grey.
  TBitmap wide;
  wide.SetPixelFormat(PixelFormat::k8Bit);
  wide.SetSize(3, 1);
  wide.SetPalette({kBlack, {200, 200, 200}, {250, 250, 250}});
  const uint8_t indices[] = {2, 0, 1};
  std::copy(std::begin(indices), std::end(indices), wide.ScanLine(0));
  wide.SetPixelFormat(PixelFormat::k1Bit);
  EXPECT_EQ(wide.Palette().size(), 2u);
  EXPECT_EQ(wide.ScanLine(0)[0] & 0xE0, 0b1010'0000);
}

}  // namespace
}  // namespace kelmora
