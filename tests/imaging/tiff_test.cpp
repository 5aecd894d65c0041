#include "imaging/tiff_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "common/errors.h"
#include "imaging/tiff_colour.h"
#include "support/test_support.h"
#include "support/tiff_builder.h"

namespace kelmora {
namespace {

constexpr uint16_t kByte = 1;
constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;

// A TIFF of one picture with the given entries; strip data goes right after the header and
// the StripOffsets entry is filled in with where it landed.
class PictureTiff {
 public:
  explicit PictureTiff(bool big_endian = false) : big_(big_endian) {}

  PictureTiff& Set(uint16_t tag, uint16_t type, std::vector<uint32_t> values) {
    if (tag == 273) place_strips_ = false;
    entries_[tag] = {type, std::move(values)};
    return *this;
  }
  PictureTiff& Set(uint16_t tag, uint32_t value) { return Set(tag, kShort, {value}); }
  PictureTiff& Remove(uint16_t tag) {
    entries_.erase(tag);
    return *this;
  }
  // A picture of width x height with the given samples, bits and photometric, one strip per
  // element of strips.
  PictureTiff& Image(uint32_t width, uint32_t height, uint32_t samples, uint32_t bits,
                     uint32_t photometric, std::vector<std::vector<uint8_t>> strips,
                     uint32_t rows_per_strip = 0) {
    Set(256, width).Set(257, height).Set(277, samples).Set(262, photometric).Set(259, 1);
    Set(258, kShort, std::vector<uint32_t>(samples, bits));
    Set(278, rows_per_strip ? rows_per_strip : height);
    std::vector<uint32_t> counts;
    for (const auto& strip : strips) counts.push_back(static_cast<uint32_t>(strip.size()));
    Set(279, kLong, counts);
    Set(273, kLong, std::vector<uint32_t>(strips.size(), 0));
    place_strips_ = true;
    strips_ = std::move(strips);
    return *this;
  }

  std::vector<uint8_t> Build() {
    test::TiffBuilder tiff(big_);
    std::vector<uint32_t> offsets;
    for (const auto& strip : strips_) {
      offsets.push_back(tiff.AddBlob(std::string(strip.begin(), strip.end())));
    }
    if (place_strips_) entries_[273].values = offsets;
    std::vector<test::TiffEntry> directory;
    for (const auto& [tag, entry] : entries_) {
      directory.push_back(tiff.Values(tag, entry.type, entry.values));
    }
    tiff.AddDirectory(std::move(directory));
    const std::string bytes = tiff.Build();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }

 private:
  struct Entry {
    uint16_t type;
    std::vector<uint32_t> values;
  };

  bool big_;
  bool place_strips_ = false;
  std::map<uint16_t, Entry> entries_;
  std::vector<std::vector<uint8_t>> strips_;
};

TBitmap Decode(const std::vector<uint8_t>& bytes) {
  TTIFFFile tiff;
  tiff.LoadFromBytes(bytes);
  return tiff.Bitmap();
}

std::string ErrorOf(const std::vector<uint8_t>& bytes) {
  try {
    Decode(bytes);
  } catch (const EKelmora& e) {
    return e.what();
  }
  return "no error";
}

// Red, green, blue of a pixel, whatever the bitmap's format.
std::array<int, 3> Rgb(const TBitmap& bitmap, int x, int y) {
  TBitmap copy = bitmap;
  copy.SetPixelFormat(PixelFormat::k24Bit);
  const uint8_t* p = copy.ScanLine(y) + 3 * x;
  return {p[2], p[1], p[0]};
}

uint32_t RgbChecksum(TBitmap bitmap) {
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  uLong crc = crc32(0, nullptr, 0);
  std::vector<uint8_t> row(3 * static_cast<size_t>(bitmap.Width()));
  for (int y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    for (size_t i = 0; i < row.size(); i += 3) {
      row[i] = p[i + 2];
      row[i + 1] = p[i + 1];
      row[i + 2] = p[i];
    }
    crc = crc32(crc, row.data(), static_cast<uInt>(row.size()));
  }
  return static_cast<uint32_t>(crc);
}

std::filesystem::path Expected(const std::string& name) {
  return test::DataDir() / "tiff-expected" / name;
}

TBitmap DecodeFile(const std::filesystem::path& path) {
  TTIFFFile tiff;
  tiff.LoadFromFile(path.string());
  return tiff.Bitmap();
}

TEST(TIFFFile, DecodesLikeAnIndependentDecoder) {
  // Samples (LZW with prediction, both byte orders, with and without alpha) and the same
  // picture rewritten with every scheme, as grey, palette, bilevel and YCbCr.
  std::ifstream list(Expected("expected.txt"));
  std::string line;
  int checked = 0;
  while (std::getline(list, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string file;
    int width, height;
    uint32_t crc;
    fields >> file >> width >> height >> std::hex >> crc;
    SCOPED_TRACE(file);
    const TBitmap bitmap = DecodeFile(test::DataDir() / file);
    ASSERT_EQ(bitmap.Width(), width);
    ASSERT_EQ(bitmap.Height(), height);
    EXPECT_EQ(RgbChecksum(bitmap), crc);
    ++checked;
  }
  EXPECT_EQ(checked, 18);
}

TEST(TIFFFile, KeepsGreyAndPaletteAsPaletteBitmaps) {
  EXPECT_EQ(DecodeFile(Expected("grey8-lzw-predicted-be.tiff")).Format(), PixelFormat::k8Bit);
  EXPECT_EQ(DecodeFile(Expected("palette8-packbits.tiff")).Format(), PixelFormat::k8Bit);
  EXPECT_EQ(DecodeFile(Expected("bilevel-packbits.tiff")).Format(), PixelFormat::k1Bit);
  EXPECT_EQ(DecodeFile(Expected("arbitro-lzw-le.tiff")).Format(), PixelFormat::k24Bit);
}

// Files written by raw2tiff from values given by a formula: low-bit-first fill order, two
// strip byte counts held in the value field, 16-bit prediction.
TEST(TIFFFile, DecodesEncoderFilesOfKnownSamples) {
  struct Case {
    const char* file;
    std::function<std::array<int, 3>(int x, int y)> pixel;
  };
  const Case cases[] = {
      {"rgb16-lzw-predicted.tiff",
       [](int x, int y) {
         std::array<int, 3> rgb;
         for (int c = 0; c < 3; ++c) rgb[c] = ((x * 4099 + y * 30011 + c * 12007) & 0xFFFF) >> 8;
         return rgb;
       }},
      {"cmyk-deflate.tiff",
       [](int x, int y) {
         uint8_t ink[4], bgr[3];
         for (int c = 0; c < 4; ++c) ink[c] = static_cast<uint8_t>(x * 23 + y * 41 + c * 67);
         CMYKToBGR(ink[0], ink[1], ink[2], ink[3], bgr);
         return std::array<int, 3>{bgr[2], bgr[1], bgr[0]};
       }},
      {"cielab-none.tiff",
       [](int x, int y) {
         uint8_t lab[3], bgr[3];
         for (int c = 0; c < 3; ++c) lab[c] = static_cast<uint8_t>(x * 29 + y * 53 + c * 97);
         CIELabToBGR(lab[0], static_cast<int8_t>(lab[1]), static_cast<int8_t>(lab[2]), bgr);
         return std::array<int, 3>{bgr[2], bgr[1], bgr[0]};
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    const TBitmap bitmap = DecodeFile(Expected(c.file));
    for (int y = 0; y < bitmap.Height(); ++y) {
      for (int x = 0; x < bitmap.Width(); ++x)
        ASSERT_EQ(Rgb(bitmap, x, y), c.pixel(x, y)) << x << "," << y;
    }
  }
}

TEST(TIFFFile, RejectsWhatItCannotDecodeWithAClearMessage) {
  const std::pair<const char*, const char*> cases[] = {
      {"arbitro-jpeg.tiff", "TIFF: Unsupported compression scheme"},
      {"bilevel-g4.tiff", "TIFF: Unsupported compression scheme"},
      {"arbitro-planar.tiff", "TIFF: Unsupported planar configuration"},
      {"arbitro-tiled.tiff", "TIFF: Unsupported tiled image"},
  };
  for (const auto& [file, message] : cases) {
    EXPECT_EQ(ErrorOf(test::ReadBytes(Expected(file))), message) << file;
  }
}

std::vector<uint8_t> Rgb2x2(bool big_endian) {
  return PictureTiff(big_endian)
      .Image(2, 2, 3, 8, 2, {{10, 20, 30, 40, 50, 60}, {70, 80, 90, 100, 110, 120}}, 1)
      .Build();
}

TEST(TIFFFile, BothByteOrdersGiveTheSamePicture) {
  const TBitmap little = Decode(Rgb2x2(false));
  const TBitmap big = Decode(Rgb2x2(true));
  ASSERT_EQ(big.Format(), PixelFormat::k24Bit);
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 2; ++x) EXPECT_EQ(Rgb(big, x, y), Rgb(little, x, y));
  }
  EXPECT_EQ(Rgb(big, 1, 1), (std::array<int, 3>{100, 110, 120}));
}

TEST(TIFFFile, OneStripHoldsTheWholePictureWhateverRowsPerStripSays) {
  const TBitmap bitmap = Decode(PictureTiff().Image(1, 3, 1, 8, 1, {{5, 6, 7}}, 1).Build());
  EXPECT_EQ(Rgb(bitmap, 0, 2), (std::array<int, 3>{7, 7, 7}));
}

TEST(TIFFFile, ShortOrMissingStripsLeaveOnlyTheirOwnRowsEmpty) {
  // Three PackBits strips of one row each; the last one's literal run is cut short.
  auto builder =
      PictureTiff().Image(2, 3, 1, 8, 1, {{1, 1, 2}, {1, 3, 4}, {1, 5}}, 1).Set(259, 32773);
  const TBitmap shortened = Decode(builder.Build());
  EXPECT_EQ(Rgb(shortened, 1, 1)[0], 4);
  EXPECT_EQ(Rgb(shortened, 0, 2)[0], 5);
  EXPECT_EQ(Rgb(shortened, 1, 2)[0], 0);
  // The middle strip lies beyond the end of the file.
  const TBitmap gap = Decode(builder.Set(273, kLong, {8, 0xFFFFFF00u, 14}).Build());
  EXPECT_EQ(Rgb(gap, 1, 0)[0], 2);
  EXPECT_EQ(Rgb(gap, 1, 1)[0], 0);
  EXPECT_EQ(Rgb(gap, 0, 2)[0], 5);
}

TEST(TIFFFile, BuildsGreyAndPalettePalettes) {
  struct Case {
    uint32_t bits, photometric;
    std::vector<uint8_t> row;  // two pixels
    int first, second;         // their grey levels
  };
  const Case cases[] = {
      {1, 0, {0x40}, 255, 0},
      {1, 1, {0x40}, 0, 255},
      {4, 0, {0x0F}, 240, 0},
      {4, 1, {0x0F}, 0, 240},
      {8, 0, {0, 200}, 255, 55},
      {8, 1, {0, 200}, 0, 200},
      {16, 1, {0x34, 0x12, 0xFF, 0xAB}, 0x12, 0xAB},  // little-endian, narrowed
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, photometric " << c.photometric);
    const TBitmap bitmap =
        Decode(PictureTiff().Image(2, 1, 1, c.bits, c.photometric, {c.row}).Build());
    EXPECT_EQ(Rgb(bitmap, 0, 0)[1], c.first);
    EXPECT_EQ(Rgb(bitmap, 1, 0)[1], c.second);
  }
}

TEST(TIFFFile, ReadsTheColourMap) {
  std::vector<uint32_t> map(3 * 16, 0);
  map[3] = 0xFFFF;       // red of entry 3
  map[16 + 3] = 0x8000;  // green
  map[32 + 3] = 0x01FF;  // blue
  auto builder = PictureTiff(true).Image(2, 1, 1, 4, 3, {{0x30}});
  const TBitmap bitmap = Decode(builder.Set(320, kShort, map).Build());
  EXPECT_EQ(bitmap.Format(), PixelFormat::k4Bit);
  EXPECT_EQ(Rgb(bitmap, 0, 0), (std::array<int, 3>{255, 128, 1}));
  EXPECT_EQ(Rgb(bitmap, 1, 0), (std::array<int, 3>{0, 0, 0}));
}

TEST(TIFFFile, ConvertsCMYKAndCIELabPixels) {
  struct Case {
    uint32_t photometric, samples;
    std::vector<uint8_t> pixel;
    std::array<int, 3> rgb;
  };
  const Case cases[] = {
      {5, 4, {0, 0, 0, 0}, {255, 255, 255}},
      {5, 4, {255, 0, 0, 0}, {0, 255, 255}},
      {5, 4, {100, 0, 0, 200}, {0, 55, 55}},
      {8, 3, {255, 0, 0}, {252, 252, 252}},
      {8, 3, {128, 0, 0}, {47, 47, 47}},
      {8, 3, {10, 0, 0}, {1, 1, 1}},
      {8, 3, {128, 20, static_cast<uint8_t>(-20)}, {63, 39, 80}},
      {2, 4, {1, 2, 3, 99}, {1, 2, 3}},  // the extra sample is skipped
      {1, 2, {77, 0}, {77, 77, 77}},     // grey with alpha
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.pixel));
    EXPECT_EQ(Rgb(Decode(PictureTiff().Image(1, 1, c.samples, 8, c.photometric, {c.pixel}).Build()),
                  0, 0),
              c.rgb);
  }
}

TEST(TIFFFile, UndoesPredictionWithinEachRow) {
  // 8-bit RGB: differences per sample; 4-bit grey: per nibble, wrapping at 16.
  auto rgb = PictureTiff().Image(3, 1, 3, 8, 2, {{10, 20, 30, 1, 2, 3, 255, 0, 1}}).Set(317, 2);
  const TBitmap colour = Decode(rgb.Build());
  EXPECT_EQ(Rgb(colour, 2, 0), (std::array<int, 3>{10, 22, 34}));
  auto grey = PictureTiff().Image(4, 2, 1, 4, 1, {{0x1F, 0x11, 0x21, 0x11}}).Set(317, 2);
  const TBitmap nibbles = Decode(grey.Build());
  const int expected[2][4] = {{1, 0, 1, 2}, {2, 3, 4, 5}};
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(Rgb(nibbles, x, y)[0], 16 * expected[y][x]) << x << "," << y;
  }
}

TEST(TIFFFile, DefaultsAndShortArraysFollowTIFF) {
  // No Compression tag means uncompressed; two SHORT strip offsets sit in the value field.
  auto builder = PictureTiff().Image(1, 2, 1, 8, 1, {{9}, {8}}, 1).Remove(259);
  std::vector<uint8_t> bytes = builder.Set(273, kShort, {8, 9}).Set(279, kShort, {1, 1}).Build();
  const TBitmap bitmap = Decode(bytes);
  EXPECT_EQ(Rgb(bitmap, 0, 0)[0], 9);
  EXPECT_EQ(Rgb(bitmap, 0, 1)[0], 8);
}

TEST(TIFFFile, ReportsMalformedFilesWithTheirMessage) {
  using Edit = std::function<void(PictureTiff&)>;
  const std::pair<Edit, const char*> cases[] = {
      {[](PictureTiff& b) { b.Set(256, kLong, {65536}); }, "TIFF: Illegal image dimensions"},
      {[](PictureTiff& b) { b.Set(257, 0); }, "TIFF: Illegal image dimensions"},
      {[](PictureTiff& b) { b.Set(256, kLong, {65537}); }, "TIFF: Illegal image dimensions"},
      {[](PictureTiff& b) {
         b.Set(258, kShort, {2, 2, 2});
       },
       "TIFF: Unsupported Bits Per Sample"},
      {[](PictureTiff& b) {
         b.Set(258, kShort, {4, 4, 4});
       },
       "TIFF: Unsupported Bits Per Sample"},
      {[](PictureTiff& b) { b.Set(277, 1).Set(258, kShort, {3}); },
       "TIFF: Unsupported Bits Per Sample"},
      {[](PictureTiff& b) { b.Set(262, 5); }, "TIFF: Unsupported photometric interpretation"},
      {[](PictureTiff& b) { b.Set(262, 6).Set(277, 4); },
       "TIFF: Unsupported photometric interpretation"},
      {[](PictureTiff& b) { b.Set(277, 17); }, "TIFF: Unsupported samples per pixel"},
      {[](PictureTiff& b) { b.Set(259, 7); }, "TIFF: Unsupported compression scheme"},
      {[](PictureTiff& b) { b.Set(259, 5).Set(256, 0); }, "TIFF: Illegal image dimensions"},
      {[](PictureTiff& b) { b.Set(256, 65535).Set(257, 65535); },
       "Image too large: 65535 x 65535 pixels (at most 268435456 pixels can be read)"},
      {[](PictureTiff& b) {
         b.Set(262, 6).Set(530, kShort, {3, 1});
       },
       "TIFF: Unsupported YCbCr subsampling"},
  };
  for (const auto& [edit, message] : cases) {
    PictureTiff builder;
    builder.Image(2, 2, 3, 8, 2, {std::vector<uint8_t>(12, 1)});
    edit(builder);
    EXPECT_EQ(ErrorOf(builder.Build()), message);
  }
}

TEST(TIFFFile, ReportsBrokenHeadersAndDirectories) {
  std::vector<uint8_t> bytes = Rgb2x2(true);
  const uint32_t directory = bytes[4] << 24 | bytes[5] << 16 | bytes[6] << 8 | bytes[7];
  std::vector<uint8_t> version = bytes;
  version[3] = 43;
  EXPECT_EQ(ErrorOf(version), "TIFF: Unsupported version");
  EXPECT_EQ(ErrorOf({'I', 'I', 42}), "TIFF: Unexpected end of file");
  EXPECT_EQ(ErrorOf(std::vector<uint8_t>(bytes.begin(), bytes.begin() + directory + 20)),
            "TIFF: Unexpected end of file");
  // A strip table claiming a million entries in a small file.
  auto builder = PictureTiff().Image(2, 2, 3, 8, 2, {{1}, {2}}, 1);
  std::vector<uint8_t> table = builder.Build();
  for (size_t i = 8; i + 12 <= table.size(); ++i) {
    if (table[i] == 0x11 && table[i + 1] == 0x01 && table[i + 2] == kLong) {  // tag 273
      table[i + 6] = 0x0F;
      break;
    }
  }
  EXPECT_EQ(ErrorOf(table), "TIFF: Unexpected end of file");
}

TEST(TIFFFile, ReportsAMissingFileAndLeavesNoPicture) {
  TTIFFFile tiff;
  tiff.LoadFromBytes(Rgb2x2(false));
  EXPECT_THROW(tiff.LoadFromFile((test::TempDir() / "missing.tif")), EFileError);
  EXPECT_EQ(tiff.Bitmap().Width(), 0);
}

}  // namespace
}  // namespace kelmora
