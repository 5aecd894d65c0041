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

struct Picture {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> rgb;
};

// The expected pixels: ImageMagick's decoding of each file, stored next to it.
Picture ReadPpm(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadBytes(DataDir() / "bmp" / name);
  size_t pos = 0;
  const auto next_number = [&] {
    while (pos < bytes.size() && (bytes[pos] < '0' || bytes[pos] > '9')) ++pos;
    int value = 0;
    while (pos < bytes.size() && bytes[pos] >= '0' && bytes[pos] <= '9') {
      value = value * 10 + (bytes[pos++] - '0');
    }
    return value;
  };
  Picture picture;
  pos = 2;  // "P6"
  picture.width = next_number();
  picture.height = next_number();
  next_number();  // 255
  ++pos;          // the single white space before the pixels
  picture.rgb.assign(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end());
  return picture;
}

Picture AsRgb(TBitmap bitmap) {
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  Picture picture{bitmap.Width(), bitmap.Height(), {}};
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      picture.rgb.insert(picture.rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
  }
  return picture;
}

struct SampleFile {
  std::string name;
  PixelFormat format;
  size_t palette_size;
};

void PrintTo(const SampleFile& file, std::ostream* out) {
  *out << file.name;
}

class BmpFileTest : public testing::TestWithParam<SampleFile> {};

TEST_P(BmpFileTest, DecodesLikeAnIndependentDecoder) {
  const SampleFile& file = GetParam();
  TBitmap bitmap;
  bitmap.LoadFromFile((DataDir() / "bmp" / (file.name + ".bmp")).string());
  EXPECT_EQ(bitmap.Format(), file.format);
  EXPECT_EQ(bitmap.Palette().size(), file.palette_size);
  const Picture expected = ReadPpm(file.name + ".ppm");
  const Picture actual = AsRgb(bitmap);
  ASSERT_EQ(actual.width, expected.width);
  ASSERT_EQ(actual.height, expected.height);
  EXPECT_EQ(actual.rgb, expected.rgb);
}

TEST_P(BmpFileTest, SurvivesARoundTrip) {
  TBitmap original;
  original.LoadFromBmpBytes(ReadBytes(DataDir() / "bmp" / (GetParam().name + ".bmp")));
  TBitmap copy;
  copy.LoadFromBmpBytes(original.SaveToBmpBytes());
  EXPECT_EQ(copy.Format(), original.Format());
  EXPECT_EQ(copy.Palette(), original.Palette());
  ASSERT_EQ(copy.Height(), original.Height());
  for (int32_t y = 0; y < copy.Height(); ++y) {
    ASSERT_EQ(
        std::vector<uint8_t>(copy.ScanLine(y), copy.ScanLine(y) + copy.BytesPerRow()),
        std::vector<uint8_t>(original.ScanLine(y), original.ScanLine(y) + original.BytesPerRow()))
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
  int64_t data_offset = -1;  // -1: right after the palette
};

void Put(std::vector<uint8_t>& out, size_t at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + static_cast<size_t>(i)] = (value >> (8 * i)) & 0xFF;
}

std::vector<uint8_t> Build(const Bmp& b) {
  std::vector<uint8_t> out(14 + b.header_size, 0);
  out[0] = 'B';
  out[1] = 'M';
  Put(out, 14, b.header_size, 4);                    // 14: header size
  Put(out, 18, static_cast<uint32_t>(b.width), 4);   // 18: width
  Put(out, 22, static_cast<uint32_t>(b.height), 4);  // 22: height
  Put(out, 26, 1, 2);                                // 26: planes
  Put(out, 28, b.bits, 2);                           // 28: bits per pixel
  if (b.header_size >= 40) {
    Put(out, 30, b.compression, 4);   // 30: compression
    Put(out, 46, b.colours_used, 4);  // 46: colours used
  }
  for (uint32_t mask : b.masks) {
    out.resize(out.size() + 4);
    Put(out, out.size() - 4, mask, 4);
  }
  out.insert(out.end(), b.palette.begin(), b.palette.end());
  const uint32_t offset =
      b.data_offset < 0 ? static_cast<uint32_t>(out.size()) : static_cast<uint32_t>(b.data_offset);
  Put(out, 10, offset, 4);  // 10: offset of the pixels
  out.insert(out.end(), b.pixels.begin(), b.pixels.end());
  Put(out, 2, static_cast<uint32_t>(out.size()), 4);  // 2: file size
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

std::vector<std::vector<uint8_t>> Indices(const TBitmap& bitmap) {
  std::vector<std::vector<uint8_t>> rows;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    std::vector<uint8_t> row;
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* p = bitmap.ScanLine(y);
      row.push_back(bitmap.Format() == PixelFormat::k8Bit ? p[x]
                                                          : (p[x / 2] >> (x % 2 ? 0 : 4)) & 15);
    }
    rows.push_back(row);
  }
  return rows;
}

TEST(BmpTest, Rle8CodesPlacePixelsWhereTheFormatSays) {
  Bmp bmp{.width = 6, .height = 3, .bits = 8, .compression = 1, .palette = GreyPalette(16)};
  bmp.pixels = {
      3, 5,              // bottom row: three pixels of 5
      0, 3, 7, 8, 9, 0,  // an absolute run of three, padded to an even length
      0, 0,              // end of line
      0, 2, 2, 1,        // delta: two right, one down (to the top row)
      2, 4,              // two pixels of 4 at x = 2
      9, 1,              // a run past the right edge is cut there
      0, 1,              // end of bitmap
  };
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  ASSERT_EQ(bitmap.Format(), PixelFormat::k8Bit);
  // The middle row was skipped by the delta and keeps index 0.
  EXPECT_EQ(Indices(bitmap), (std::vector<std::vector<uint8_t>>{
                                 {0, 0, 4, 4, 1, 1}, {0, 0, 0, 0, 0, 0}, {5, 5, 5, 7, 8, 9}}));
}

TEST(BmpTest, Rle4RunsAlternateTheirTwoIndices) {
  Bmp bmp{.width = 7, .height = 2, .bits = 4, .compression = 2, .palette = GreyPalette(16)};
  bmp.pixels = {
      5, 0x12,                       // 1 2 1 2 1
      0, 0,                          // end of line
      0, 5,    0xAB, 0xCD, 0xE0, 0,  // absolute run of five indices (three bytes, padded)
      2, 0x33,
      // no end-of-bitmap code: the picture is complete
  };
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  ASSERT_EQ(bitmap.Format(), PixelFormat::k4Bit);
  EXPECT_EQ(Indices(bitmap),
            (std::vector<std::vector<uint8_t>>{{10, 11, 12, 13, 14, 3, 3}, {1, 2, 1, 2, 1, 0, 0}}));
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
        // 1-5-5-5 with the top bit as red: 1 bit widens to 0 or 255.
        FieldCase{
            "odd_order", 16, {0x8000, 0x7C00, 0x001F}, 0x8000 | (31 << 10) | 1, {0x08, 0xFF, 0xFF}},
        // 10-bit fields keep their top eight bits; alpha 2 bits: 2 -> 0xAA.
        FieldCase{"rgb10a2",
                  32,
                  {0x3FF00000, 0x000FFC00, 0x000003FF, 0xC0000000},
                  (2u << 30) | (0x3FCu << 20) | (0x200u << 10) | 0x004u,
                  {0x01, 0x80, 0xFF, 0xAA}},
        // A missing mask leaves its colour dark.
        FieldCase{"no_green", 16, {0xF800, 0, 0x001F}, 0xFFFF, {0xFF, 0x00, 0xFF}}),
    [](const testing::TestParamInfo<FieldCase>& item) { return item.param.name; });

TEST(BmpTest, ShortPaletteShowsBlackBeyondIt) {
  // Two entries declared for a 4-bit picture; index 3 has no entry.
  Bmp bmp{.width = 2, .bits = 4, .colours_used = 2};
  bmp.palette = {0, 0, 255, 0, 255, 0, 0, 0};  // red, blue
  bmp.pixels = {0x13, 0, 0, 0};
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  EXPECT_EQ(bitmap.Palette().size(), 2u);
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + 6),
            (std::vector<uint8_t>{255, 0, 0, 0, 0, 0}));
}

TEST(BmpTest, LastRowMayLackItsPadding) {
  Bmp bmp{.width = 1, .height = 2};
  bmp.pixels = {1, 2, 3, 0, 4, 5, 6};  // the second (top) row has no padding byte
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  EXPECT_EQ(std::vector<uint8_t>(bitmap.ScanLine(0), bitmap.ScanLine(0) + 3),
            (std::vector<uint8_t>{4, 5, 6}));
}

struct Malformed {
  std::string name;
  std::vector<uint8_t> bytes;
  std::string message;
};

void PrintTo(const Malformed& c, std::ostream* out) {
  *out << c.name;
}

std::vector<uint8_t> Truncate(std::vector<uint8_t> bytes, size_t size) {
  bytes.resize(size);
  return bytes;
}

std::vector<Malformed> MalformedFiles() {
  const std::vector<uint8_t> rle_bomb = Build({.width = 30000,
                                               .height = 30000,
                                               .bits = 8,
                                               .compression = 1,
                                               .palette = GreyPalette(2),
                                               .pixels = {0, 1}});
  const std::vector<uint8_t> sample = ReadBytes(DataDir() / "bmp" / "rgb24_v3.bmp");
  return {
      {"empty", {}, "BMP: not a BMP file"},
      {"not_bmp", {'G', 'I', 'F', '8', '9', 'a'}, "BMP: not a BMP file"},
      {"header_cut", Truncate(sample, 30), "BMP: the file is truncated"},
      {"pixels_cut", Truncate(sample, sample.size() - 10), "BMP: the file is truncated"},
      {"offset_beyond_file", Build({.pixels = {1, 2, 3, 0}, .data_offset = 1000}),
       "BMP: the file is truncated"},
      {"header_size", Build({.header_size = 44, .pixels = {0, 0, 0, 0}}),
       "BMP: unsupported header size 44"},
      {"zero_width", Build({.width = 0, .pixels = {0, 0, 0, 0}}), "BMP: invalid width 0"},
      {"negative_width", Build({.width = -4, .pixels = {0, 0, 0, 0}}), "BMP: invalid width -4"},
      {"zero_height", Build({.height = 0, .pixels = {0, 0, 0, 0}}), "BMP: invalid height 0"},
      {"lowest_height", Build({.height = INT32_MIN, .pixels = {0, 0, 0, 0}}),
       "BMP: invalid height -2147483648"},
      {"bit_depth", Build({.bits = 7, .pixels = {0, 0, 0, 0}}), "BMP: unsupported bit depth 7"},
      {"jpeg_inside", Build({.compression = 4, .pixels = {0xFF, 0xD8}}),
       "BMP: embedded JPEG or PNG data is not supported"},
      {"unknown_compression", Build({.compression = 11, .pixels = {0, 0, 0, 0}}),
       "BMP: unsupported compression 11"},
      {"rle8_at_24_bits", Build({.compression = 1, .pixels = {0, 1}}),
       "BMP: run-length compression does not fit 24 bits per pixel"},
      {"bitfields_at_8_bits",
       Build({.bits = 8,
              .compression = 3,
              .masks = {1, 2, 4},
              .palette = GreyPalette(2),
              .pixels = {0, 0, 0, 0}}),
       "BMP: bit fields do not fit 8 bits per pixel"},
      {"masks_cut", Truncate(Build({.bits = 16, .compression = 3, .masks = {1, 2, 4}}), 60),
       "BMP: the file is truncated"},
      {"no_palette", Build({.bits = 8, .pixels = {0, 0, 0, 0}}), "BMP: the palette is missing"},
      // 100000 x 100000 at 24 bits would need 30 GB; the file holds 4 bytes.
      {"huge_declared_size", Build({.width = 100000, .height = 100000, .pixels = {0, 0, 0, 0}}),
       "BMP: the file is truncated"},
      {"rle_bomb", rle_bomb, "BMP: the compressed data is too short for 30000 x 30000 pixels"},
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
              .height = 1,
              .bits = 8,
              .compression = 1,
              .palette = GreyPalette(2),
              .pixels = {0, 4, 1, 1}}),
       "BMP: the file is truncated"},
      {"os2_huffman",
       Build({.bits = 1,
              .compression = 3,
              .header_size = 64,
              .palette = GreyPalette(2),
              .pixels = {0, 0, 0, 0}}),
       "BMP: OS/2 compression 3 is not supported"},
  };
}

class MalformedBmpTest : public testing::TestWithParam<Malformed> {};

TEST_P(MalformedBmpTest, RaisesAClearErrorAndKeepsTheBitmap) {
  TBitmap bitmap;
  bitmap.SetSize(3, 2);
  try {
    bitmap.LoadFromBmpBytes(GetParam().bytes);
    FAIL() << "no error";
  } catch (const EBitmapFormat& error) {
    EXPECT_EQ(std::string(error.what()), GetParam().message);
  }
  EXPECT_EQ(bitmap.Width(), 3);
  EXPECT_EQ(bitmap.Height(), 2);
}

INSTANTIATE_TEST_SUITE_P(Files, MalformedBmpTest, testing::ValuesIn(MalformedFiles()),
                         [](const testing::TestParamInfo<Malformed>& item) {
                           return item.param.name;
                         });

TEST(BmpTest, Os2VersionTwoHeaderReadsLikeTheWindowsOne) {
  Bmp bmp{.width = 2, .bits = 8, .header_size = 64, .palette = GreyPalette(4)};
  bmp.pixels = {3, 1, 0, 0};
  TBitmap bitmap;
  bitmap.LoadFromBmpBytes(Build(bmp));
  EXPECT_EQ(bitmap.Palette().size(), 4u);
  EXPECT_EQ(Indices(bitmap), (std::vector<std::vector<uint8_t>>{{3, 1}}));
}

TEST(BmpTest, MissingFileRaisesAFileError) {
  TBitmap bitmap;
  EXPECT_THROW(bitmap.LoadFromFile((DataDir() / "bmp" / "no such file.bmp").string()), EFileError);
}

}  // namespace
}  // namespace kelmora
