#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/errors.h"
#include "imaging/bitmap.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using test::DataDir;
using test::ReadBytes;

// Red, green, blue bytes of a 24-bit copy of the picture, top row first.
std::vector<uint8_t> Rgb(TBitmap bitmap) {
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x, p += 3) rgb.insert(rgb.end(), {p[2], p[1], p[0]});
  }
  return rgb;
}

struct SampleFile {
  std::string name;
  PixelFormat format;
  size_t palette_size;
};

void PrintTo(const SampleFile& c, std::ostream* out) {
  *out << c.name;
}

class BmpFileTest : public testing::TestWithParam<SampleFile> {};

// The files come from ImageMagick (see generate.sh); the .ppm next to each one is
// ImageMagick's own decoding, an independent expectation. All are 37 x 23 pixels.
TEST_P(BmpFileTest, DecodesLikeAnIndependentDecoderAndSurvivesARoundTrip) {
  const SampleFile& file = GetParam();
  TBitmap bitmap;
  bitmap.LoadFromFile((DataDir() / "bmp" / (file.name + ".bmp")).string());
  EXPECT_EQ(bitmap.Format(), file.format);
  EXPECT_EQ(bitmap.Palette().size(), file.palette_size);
  ASSERT_EQ(bitmap.Width(), 37);
  ASSERT_EQ(bitmap.Height(), 23);
  const std::vector<uint8_t> ppm = ReadBytes(DataDir() / "bmp" / (file.name + ".ppm"));
  const std::vector<uint8_t> expected(ppm.end() - 37 * 23 * 3, ppm.end());
  EXPECT_EQ(Rgb(bitmap), expected);

  TBitmap copy;
  copy.LoadFromBmpBytes(bitmap.SaveToBmpBytes());
  EXPECT_EQ(copy.Format(), bitmap.Format());
  EXPECT_EQ(copy.Palette(), bitmap.Palette());
  for (int32_t y = 0; y < copy.Height(); ++y) {
    ASSERT_TRUE(
        std::equal(copy.ScanLine(y), copy.ScanLine(y) + copy.BytesPerRow(), bitmap.ScanLine(y)))
        << "row " << y;
  }
}

INSTANTIATE_TEST_SUITE_P(Files, BmpFileTest,
                         testing::Values(SampleFile{"rgb24_v3", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb24_core", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb24_v5", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb24_topdown", PixelFormat::k24Bit, 0},
                                         SampleFile{"pal8_v3", PixelFormat::k8Bit, 256},
                                         SampleFile{"pal8_rle8", PixelFormat::k8Bit, 256},
                                         SampleFile{"pal8_core", PixelFormat::k8Bit, 256},
                                         SampleFile{"pal8_topdown", PixelFormat::k8Bit, 256},
                                         SampleFile{"pal4_v3", PixelFormat::k4Bit, 16},
                                         SampleFile{"pal4_rle4", PixelFormat::k4Bit, 16},
                                         SampleFile{"pal1_v3", PixelFormat::k1Bit, 2},
                                         SampleFile{"pal1_core", PixelFormat::k1Bit, 2},
                                         SampleFile{"rgb555_v3", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb555_bitfields_v5", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb565_bitfields_v3", PixelFormat::k24Bit, 0},
                                         SampleFile{"rgb565_bitfields_v5", PixelFormat::k24Bit, 0},
                                         SampleFile{"argb32_v3", PixelFormat::k32Bit, 0},
                                         SampleFile{"argb32_v4", PixelFormat::k32Bit, 0},
                                         SampleFile{"argb32_bitfields_v5", PixelFormat::k32Bit, 0},
                                         SampleFile{"rgba32_bitfields_v3", PixelFormat::k32Bit, 0}),
                         [](const testing::TestParamInfo<SampleFile>& item) {
                           return item.param.name;
                         });

// Hand-built files for what no encoder at hand writes, and for malformed input.
struct Bmp {
  int32_t width = 1;
  int32_t height = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t header_size = 40;
  uint32_t colours_used = 0;
  std::vector<uint32_t> masks = {};   // after a 40-byte header
  std::vector<uint8_t> palette = {};  // blue, green, red, reserved per entry
  std::vector<uint8_t> pixels = {};
  uint32_t data_offset = 0;  // 0: right after the palette
};

void Put(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

std::vector<uint8_t> Build(const Bmp& b) {
  std::vector<uint8_t> out = {'B', 'M'};
  out.resize(size_t{14} + b.header_size, 0);
  Put(out, 14, b.header_size, 4);
  Put(out, 18, static_cast<uint32_t>(b.width), 4);
  Put(out, 22, static_cast<uint32_t>(b.height), 4);
  Put(out, 26, 1, 2);  // planes
  Put(out, 28, b.bits, 2);
  if (b.header_size >= 40) {
    Put(out, 30, b.compression, 4);
    Put(out, 46, b.colours_used, 4);
  }
  for (uint32_t mask : b.masks) {
    out.resize(out.size() + 4);
    Put(out, out.size() - 4, mask, 4);
  }
  out.insert(out.end(), b.palette.begin(), b.palette.end());
  Put(out, 10, b.data_offset ? b.data_offset : static_cast<uint32_t>(out.size()), 4);
  out.insert(out.end(), b.pixels.begin(), b.pixels.end());
  Put(out, 2, static_cast<uint32_t>(out.size()), 4);
  return out;
}

std::vector<uint8_t> GreyPalette(int entries) {
  std::vector<uint8_t> palette;
  for (int i = 0; i < entries; ++i) {
    const auto level = static_cast<uint8_t>(i * 16);
    palette.insert(palette.end(), {level, level, level, 0});
  }
  return palette;
}

// Palette indices, top row first.
std::vector<std::vector<int>> Indices(const TBitmap& bitmap) {
  std::vector<std::vector<int>> rows;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    std::vector<int> row;
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      row.push_back(bitmap.Format() == PixelFormat::k8Bit ? p[x]
                                                          : (p[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(BmpTest, RunLengthCodesPlacePixelsWhereTheFormatSays) {
  TBitmap rle8;
  rle8.LoadFromBmpBytes(Build({.width = 6,
                               .height = 3,
                               .bits = 8,
                               .compression = 1,
                               .palette = GreyPalette(16),
                               .pixels = {
                                   3, 5,              // bottom row: three pixels of 5
                                   0, 3, 7, 8, 9, 0,  // absolute run of three, padded
                                   0, 0,              // end of line
                                   0, 2, 2, 1,        // delta: two right, one down
                                   2, 4,              // two pixels of 4 at x = 2
                                   9, 1,              // a run is cut at the right edge
                                   0, 1,              // end of bitmap
                               }}));
  ASSERT_EQ(rle8.Format(), PixelFormat::k8Bit);
  // The middle row was skipped by the delta and keeps index 0.
  EXPECT_EQ(Indices(rle8), (std::vector<std::vector<int>>{
                               {0, 0, 4, 4, 1, 1}, {0, 0, 0, 0, 0, 0}, {5, 5, 5, 7, 8, 9}}));

  TBitmap rle4;
  rle4.LoadFromBmpBytes(Build({.width = 7,
                               .height = 2,
                               .bits = 4,
                               .compression = 2,
                               .palette = GreyPalette(16),
                               .pixels = {
                                   5, 0x12,                    // 1 2 1 2 1
                                   0, 0,                       // end of line
                                   0, 5, 0xAB, 0xCD, 0xE0, 0,  // absolute run of five
                                   2, 0x33,
                                   // no end code: the picture is complete
                               }}));
  ASSERT_EQ(rle4.Format(), PixelFormat::k4Bit);
  EXPECT_EQ(Indices(rle4),
            (std::vector<std::vector<int>>{{10, 11, 12, 13, 14, 3, 3}, {1, 2, 1, 2, 1, 0, 0}}));
}

struct FieldCase {
  std::string name;
  uint16_t bits;
  std::vector<uint32_t> masks;  // red, green, blue[, alpha]
  uint32_t pixel;
  std::vector<uint8_t> expected;  // blue, green, red[, alpha] of the bitmap
};

void PrintTo(const FieldCase& c, std::ostream* out) {
  *out << c.name;
}

class BitFieldTest : public testing::TestWithParam<FieldCase> {};

TEST_P(BitFieldTest, FieldsWidenToEightBits) {
  const FieldCase& c = GetParam();
  Bmp bmp{.bits = c.bits, .compression = c.masks.size() == 4 ? 6u : 3u, .masks = c.masks};
  bmp.pixels.resize(4, 0);
  Put(bmp.pixels, 0, c.pixel, c.bits / 8);
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + c.expected.size()),
            c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Masks, BitFieldTest,
    testing::Values(
        // 4-4-4-4 (alpha unused at 16 bits): 0xF is full, 0x1 repeats to 0x11.
        FieldCase{"argb4444", 16, {0x0F00, 0x00F0, 0x000F, 0xF000}, 0x8F10, {0x00, 0x11, 0xFF}},
        // The top bit as red widens to 255; 5-bit 1 gives 8.
        FieldCase{"odd_order", 16, {0x8000, 0x7C00, 0x001F}, 0xFC01, {0x08, 0xFF, 0xFF}},
        // 10-bit fields keep their top eight bits; 2-bit alpha 2 gives 0xAA.
        FieldCase{"rgb10a2",
                  32,
                  {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                  (2u << 30) | (0x3FCu << 20) | (0x200u << 10) | 0x004u,
                  {0x01, 0x80, 0xFF, 0xAA}},
        // A missing mask leaves its colour dark.
        FieldCase{"no_green", 16, {0xF800, 0, 0x001F}, 0xFFFF, {0xFF, 0x00, 0xFF}}),
    [](const testing::TestParamInfo<FieldCase>& item) { return item.param.name; });

TEST(BmpTest, ShortPaletteAndMissingRowPaddingAreAccepted) {
  // Two entries (red, blue) for a 4-bit picture: index 3 shows black. The top row lacks
  // its padding.
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build({.width = 2,
                                 .height = 2,
                                 .bits = 4,
                                 .colours_used = 2,
                                 .palette = {0, 0, 255, 0, 255, 0, 0, 0},
                                 .pixels = {0x00, 0, 0, 0, 0x13}}));
  EXPECT_EQ(bitmap.Palette().size(), 2u);
  EXPECT_EQ(Rgb(bitmap), (std::vector<uint8_t>{0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 0}));
}

TEST(BmpTest, Os2VersionTwoHeaderReadsLikeTheWindowsOne) {
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build({.width = 2,
                                 .bits = 8,
                                 .header_size = 64,
                                 .palette = GreyPalette(4),
                                 .pixels = {3, 1, 0, 0}}));
  EXPECT_EQ(bitmap.Palette().size(), 4u);
  EXPECT_EQ(Indices(bitmap), (std::vector<std::vector<int>>{{3, 1}}));
}

struct Malformed {
  std::string name;
  std::vector<uint8_t> bytes;
  std::string message;
};

void PrintTo(const Malformed& c, std::ostream* out) {
  *out << c.name;
}

std::vector<uint8_t> Cut(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<Malformed> MalformedFiles() {
  const std::vector<uint8_t> sample = ReadBytes(DataDir() / "bmp" / "rgb24_v3.bmp");
  const std::vector<uint8_t> no_pixels{0, 0, 0, 0};
  const std::string truncated = "BMP: the file is truncated";
  return {
      {"empty", {}, "BMP: not a BMP file"},
      {"not_bmp", {'G', 'I', 'F', '8', '9', 'a'}, "BMP: not a BMP file"},
      {"header_cut", Cut(sample, 30), truncated},
      {"pixels_cut", Cut(sample, sample.size() - 10), truncated},
      {"offset_beyond_file", Build({.pixels = no_pixels, .data_offset = 1000}), truncated},
      {"header_size", Build({.header_size = 44, .pixels = no_pixels}),
       "BMP: unsupported header size 44"},
      {"zero_width", Build({.width = 0, .pixels = no_pixels}), "BMP: invalid width 0"},
      {"negative_width", Build({.width = -4, .pixels = no_pixels}), "BMP: invalid width -4"},
      {"zero_height", Build({.height = 0, .pixels = no_pixels}), "BMP: invalid height 0"},
      {"lowest_height", Build({.height = INT32_MIN, .pixels = no_pixels}),
       "BMP: invalid height -2147483648"},
      {"bit_depth", Build({.bits = 7, .pixels = no_pixels}), "BMP: unsupported bit depth 7"},
      {"jpeg_inside", Build({.compression = 4, .pixels = {0xFF, 0xD8}}),
       "BMP: embedded JPEG or PNG data is not supported"},
      {"unknown_compression", Build({.compression = 11, .pixels = no_pixels}),
       "BMP: unsupported compression 11"},
      {"rle8_at_24_bits", Build({.compression = 1, .pixels = {0, 1}}),
       "BMP: run-length compression does not fit 24 bits per pixel"},
      {"bitfields_at_8_bits",
       Build({.bits = 8,
              .compression = 3,
              .masks = {1, 2, 4},
              .palette = GreyPalette(2),
              .pixels = no_pixels}),
       "BMP: bit fields do not fit 8 bits per pixel"},
      {"masks_cut", Cut(Build({.bits = 16, .compression = 3, .masks = {1, 2, 4}}), 60), truncated},
      {"no_palette", Build({.bits = 8, .pixels = no_pixels}), "BMP: the palette is missing"},
      {"os2_huffman",
       Build({.bits = 1,
              .compression = 3,
              .header_size = 64,
              .palette = GreyPalette(2),
              .pixels = no_pixels}),
       "BMP: OS/2 compression 3 is not supported"},
      // 100000 x 100000 at 24 bits would take 30 GB; the file holds 4 bytes.
      {"huge_declared_size", Build({.width = 100000, .height = 100000, .pixels = no_pixels}),
       "Image too large: 100000 x 100000 pixels (at most 268435456 pixels can be read)"},
      // Within the pixel limit, but two bytes cannot describe so many pixels.
      {"rle_bomb",
       Build({.width = 16000,
              .height = 16000,
              .bits = 8,
              .compression = 1,
              .palette = GreyPalette(2),
              .pixels = {0, 1}}),
       "BMP: the compressed data is too short for 16000 x 16000 pixels"},
      {"rle_ends_early",
       Build({.width = 4,
              .height = 2,
              .bits = 8,
              .compression = 1,
              .palette = GreyPalette(2),
              .pixels = {4, 1, 0, 0}}),
       "BMP: the compressed data ends early"},
      {"rle_absolute_run_cut",
       Build({.width = 4,
              .bits = 8,
              .compression = 1,
              .palette = GreyPalette(2),
              .pixels = {0, 4, 1, 1}}),
       truncated},
  };
}

class MalformedBmpTest : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedBmpTest, RaisesAClearErrorAndKeepsTheBitmap) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  try {
    bitmap.LoadFromBmpBytes(GetParam().bytes);
    FAIL() << "no error";
  } catch (const EKelmora& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedBmpTest, testing::ValuesIn(MalformedFiles()),
                         [](const testing::TestParamInfo<Malformed>& item) {
                           return item.param.name;
                         });

TEST(BmpTest, MissingFileRaisesAFileError) {
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromFile((DataDir() / "bmp" / "no such file.bmp").string()), EFileError);
}

}  // namespace
}  // namespace kelmora
