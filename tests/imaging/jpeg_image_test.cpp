#include "imaging/jpeg_image.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

#include "common/errors.h"
#include "support/jpeg_reference.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using test::ReadBytes;
using test::SamplesDir;
using test::TempDir;

using test::DecodeReference;
using test::EncodeReference;
using test::Picture;

std::vector<uint8_t> RgbOf(const TBitmap& bitmap) {
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* p = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x, p += 3) rgb.insert(rgb.end(), {p[2], p[1], p[0]});
  }
  return rgb;
}

// Edges, a gradient and texture, so that the codec has work to do.
Picture TestPicture(int width, int height) {
  Picture picture{width, height};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      picture.pixels.insert(picture.pixels.end(),
                            {static_cast<uint8_t>(x * 255 / std::max(1, width - 1)),
                             static_cast<uint8_t>((x / 5 + y / 3) % 2 ? 220 : 30),
                             static_cast<uint8_t>((x * y * 7 + y * 31) % 256)});
    }
  }
  return picture;
}

TBitmap ToBitmap(const Picture& picture) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(picture.width, picture.height);
  const uint8_t* p = picture.pixels.data();
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < picture.width; ++x, p += 3, row += 3) {
      row[0] = p[2];
      row[1] = p[1];
      row[2] = p[0];
    }
  }
  return bitmap;
}

// Marker and body of each segment before the first scan.
std::vector<std::pair<uint8_t, std::vector<uint8_t>>> HeaderSegments(
    const std::vector<uint8_t>& bytes) {
  std::vector<std::pair<uint8_t, std::vector<uint8_t>>> segments;
  for (size_t pos = 2; pos + 4 <= bytes.size() && bytes[pos] == 0xFF;) {
    const size_t length = size_t{bytes[pos + 2]} << 8 | bytes[pos + 3];
    segments.push_back({bytes[pos + 1], std::vector<uint8_t>(bytes.begin() + pos + 4,
                                                             bytes.begin() + pos + 2 + length)});
    if (bytes[pos + 1] == 0xDA) break;
    pos += 2 + length;
  }
  return segments;
}

std::vector<std::string> SampleJpegs() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SamplesDir() / "jpg")) {
    if (entry.path().extension() == ".jpg") {
      names.push_back(std::filesystem::relative(entry.path(), SamplesDir() / "jpg").string());
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

class SampleJpegTest : public testing::TestWithParam<std::string> {};

TEST_P(SampleJpegTest, DecodesToTheLibrarysPixelsInBitmapOrder) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile((SamplesDir() / "jpg" / GetParam()).string());
  const Picture expected = DecodeReference(ReadBytes(SamplesDir() / "jpg" / GetParam()));
  EXPECT_EQ(jpeg.Width(), expected.width);
  EXPECT_EQ(jpeg.Height(), expected.height);
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Format(), PixelFormat::k24Bit);
  ASSERT_EQ(bitmap.Width(), expected.width);
  ASSERT_EQ(bitmap.Height(), expected.height);
  EXPECT_TRUE(RgbOf(bitmap) == expected.pixels);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleJpegTest, testing::ValuesIn(SampleJpegs()),
                         [](const testing::TestParamInfo<std::string>& item) {
                           std::string name = item.param;
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return name;
                         });

TEST(JpegImageTest, GreyscaleDecodesToAtMost236GreyLevels) {
  Picture grey{256, 24, 1};
  for (int i = 0; i < 256 * 24; ++i) grey.pixels.push_back(static_cast<uint8_t>(i % 256));
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(EncodeReference(grey, {.input = JCS_GRAYSCALE, .quality = 100}));
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Format(), PixelFormat::k8Bit);
  const std::vector<PaletteEntry>& palette = bitmap.Palette();
  ASSERT_EQ(palette.size(), 236u);
  for (size_t i = 0; i < palette.size(); ++i) {
    EXPECT_TRUE(palette[i].red == palette[i].green && palette[i].green == palette[i].blue);
    EXPECT_TRUE(i == 0 || palette[i].red > palette[i - 1].red);
  }
  std::set<uint8_t> used;
  for (int32_t y = 0; y < bitmap.Height(); ++y)
    used.insert(bitmap.ScanLine(y), bitmap.ScanLine(y) + 256);
  EXPECT_GT(used.size(), 200u);  // the gradient really spans the levels

  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  const std::vector<uint8_t> rgb = RgbOf(bitmap);
  double error = 0;
  for (size_t i = 0; i < rgb.size(); ++i) error += std::abs(rgb[i] - static_cast<int>(i / 3 % 256));
  EXPECT_LT(error / static_cast<double>(rgb.size()), 2.0);
}

class EncodeQualityTest : public testing::TestWithParam<int> {};

TEST_P(EncodeQualityTest, MatchesLibjpegFedWithRgbRows) {
  const Picture picture = TestPicture(37, 23);
  TJPEGImage jpeg;
  jpeg.compression_quality = GetParam();
  jpeg.Assign(ToBitmap(picture));
  EXPECT_EQ(jpeg.SaveToBytes(), EncodeReference(picture, {.quality = GetParam()}));
  // 32-bit rows give the same file.
  TBitmap wide = ToBitmap(picture);
  wide.SetPixelFormat(PixelFormat::k32Bit);
  for (int32_t y = 0; y < wide.Height(); ++y) wide.ScanLine(y)[3] = 0x5A;
  jpeg.Assign(std::move(wide));
  EXPECT_EQ(jpeg.SaveToBytes(), EncodeReference(picture, {.quality = GetParam()}));
}

INSTANTIATE_TEST_SUITE_P(Qualities, EncodeQualityTest, testing::Values(1, 25, 75, 90, 100));

TEST(JpegImageTest, ReencodedSampleIsBaselineJfifWithoutMetadata) {
  // The sample carries EXIF and more; none of it may reach the output.
  TJPEGImage jpeg;
  jpeg.LoadFromFile((SamplesDir() / "jpg" / "Canon_40D.jpg").string());
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  jpeg.Assign(bitmap);
  const std::vector<uint8_t> bytes = jpeg.SaveToBytes();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_TRUE(bytes[0] == 0xFF && bytes[1] == 0xD8);
  EXPECT_TRUE(bytes[bytes.size() - 2] == 0xFF && bytes.back() == 0xD9);
  const auto segments = HeaderSegments(bytes);
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(segments[0].first, 0xE0);
  EXPECT_EQ(std::string(segments[0].second.begin(), segments[0].second.begin() + 5),
            std::string("JFIF\0", 5));
  std::vector<uint8_t> markers;
  for (const auto& [marker, body] : segments) {
    markers.push_back(marker);
    if (marker == 0xC0) {  // baseline frame: 8 bits, the size, three components
      EXPECT_EQ(body[0], 8);
      EXPECT_EQ(body[1] << 8 | body[2], bitmap.Height());
      EXPECT_EQ(body[3] << 8 | body[4], bitmap.Width());
      EXPECT_EQ(body[5], 3);
    }
  }
  // JFIF, quantisation tables, the frame, Huffman tables, the scan: nothing else.
  EXPECT_EQ(std::set<uint8_t>(markers.begin(), markers.end()),
            (std::set<uint8_t>{0xE0, 0xDB, 0xC0, 0xC4, 0xDA}));
}

TEST(JpegImageTest, PaletteBitmapsEncodeAsColourPictures) {
  for (PixelFormat format : {PixelFormat::k1Bit, PixelFormat::k8Bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(32, 16);
    bitmap.SetPalette({{200, 30, 40}, {20, 40, 220}});
    for (int32_t y = 0; y < 16; ++y) {  // right half index 1
      if (format == PixelFormat::k8Bit) {
        std::fill(bitmap.ScanLine(y) + 16, bitmap.ScanLine(y) + 32, 1);
      } else {
        bitmap.ScanLine(y)[2] = bitmap.ScanLine(y)[3] = 0xFF;
      }
    }
    TJPEGImage jpeg;
    jpeg.compression_quality = 95;
    jpeg.Assign(bitmap);
    const Picture decoded = DecodeReference(jpeg.SaveToBytes());
    const uint8_t* left = decoded.pixels.data() + 3 * (8 * 32 + 4);
    const uint8_t* right = decoded.pixels.data() + 3 * (8 * 32 + 27);
    EXPECT_NEAR(left[0], 200, 6);
    EXPECT_NEAR(left[2], 40, 6);
    EXPECT_NEAR(right[0], 20, 6);
    EXPECT_NEAR(right[2], 220, 6);
  }
}

TEST(JpegImageTest, FilesRoundTripAndLoadedDataIsSavedUnchanged) {
  TempDir dir;
  TJPEGImage out;
  out.Assign(ToBitmap(TestPicture(41, 17)));
  EXPECT_EQ(out.Width(), 41);
  out.SaveToFile(dir / "ein bild ä.jpg");
  TJPEGImage in;
  in.LoadFromFile(dir / "ein bild ä.jpg");
  EXPECT_EQ(in.Width(), 41);
  EXPECT_EQ(in.Height(), 17);
  EXPECT_EQ(in.SaveToBytes(), ReadBytes(dir.Path() / "ein bild ä.jpg"));

  EXPECT_THROW(in.LoadFromFile(dir / "missing.jpg"), EFileError);
  EXPECT_THROW(out.SaveToFile((dir.Path() / "no folder" / "x.jpg").string()), EFileError);
}

TEST(JpegImageTest, AssignedBitmapIsHeldAsACopy) {
  TBitmap source = ToBitmap(TestPicture(5, 3));
  TJPEGImage jpeg;
  jpeg.Assign(source);
  source.ScanLine(0)[0] ^= 0xFF;
  TBitmap back;
  jpeg.AssignTo(back);
  EXPECT_EQ(back.Width(), 5);
  EXPECT_EQ(back.ScanLine(0)[0], source.ScanLine(0)[0] ^ 0xFF);
}

struct BadData {
  std::string name;
  std::vector<uint8_t> bytes;
  int code;
  std::string explanation;  // libjpeg's own words for the code
};

void PrintTo(const BadData& c, std::ostream* out) {
  *out << c.name;
}

std::vector<BadData> BadDataCases() {
  std::vector<uint8_t> twelve_bit = ReadBytes(SamplesDir() / "jpg" / "Sony_HDR-HC3.jpg");
  // The frame's sample precision; walking the segments skips the EXIF thumbnail's frame.
  size_t pos = 2;
  while (twelve_bit[pos + 1] != 0xC0) pos += 2 + (twelve_bit[pos + 2] << 8 | twelve_bit[pos + 3]);
  twelve_bit[pos + 4] = 12;
  return {
      {"empty", {}, JERR_INPUT_EMPTY, "Empty input file"},
      {"not_jpeg",
       {'G', 'I', 'F', '8', '9', 'a', 1, 2},
       JERR_NO_SOI,
       "Not a JPEG file: starts with 0x47 0x49"},
      {"no_image", {0xFF, 0xD8, 0xFF, 0xD9}, JERR_NO_IMAGE, "JPEG datastream contains no image"},
      {"twelve_bit", twelve_bit, JERR_BAD_PRECISION, "Unsupported JPEG data precision 12"},
  };
}

class BadDataTest : public testing::TestWithParam<BadData> {};

TEST_P(BadDataTest, RaisesEjpegWithLibjpegsCodeAndKeepsTheObject) {
  TJPEGImage jpeg;
  jpeg.Assign(ToBitmap(TestPicture(7, 6)));
  try {
    jpeg.LoadFromBytes(GetParam().bytes);
    FAIL() << "no error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.Code(), GetParam().code);
    EXPECT_EQ(std::string(error.what()),
              "JPEG-Fehler #" + std::to_string(GetParam().code) + ": " + GetParam().explanation);
  }
  EXPECT_EQ(jpeg.Width(), 7);
  TBitmap back;
  jpeg.AssignTo(back);
  EXPECT_EQ(back.Height(), 6);
}

INSTANTIATE_TEST_SUITE_P(Data, BadDataTest, testing::ValuesIn(BadDataCases()),
                         [](const testing::TestParamInfo<BadData>& item) {
                           return item.param.name;
                         });

size_t LastScanStart(const std::vector<uint8_t>& bytes) {
  for (size_t i = bytes.size() - 2; i > 0; --i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) return i;
  }
  return 0;
}

TEST(JpegImageTest, ErrorWhileDecodingRowsLeavesTheTargetAlone) {
  std::vector<uint8_t> bytes = EncodeReference(TestPicture(24, 16), {.progressive = true});
  // The last scan names a component the frame lacks; libjpeg meets it only after the
  // header, when the bitmap is already made.
  bytes[LastScanStart(bytes) + 5] = 0x77;
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(bytes);
  TBitmap bitmap;
  bitmap.SetSize(2, 3);
  try {
    jpeg.AssignTo(bitmap);
    FAIL() << "no error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.Code(), JERR_BAD_COMPONENT_ID);
  }
  EXPECT_EQ(bitmap.Width(), 2);
}

TEST(JpegImageTest, ProgressiveFileWithEndlessScansIsRefused) {
  const std::vector<uint8_t> bytes = EncodeReference(TestPicture(24, 16), {.progressive = true});
  const auto repeat_last_scan = [&](int copies) {
    const size_t scan = LastScanStart(bytes);
    std::vector<uint8_t> out(bytes.begin(), bytes.end() - 2);
    for (int i = 0; i < copies; ++i) out.insert(out.end(), bytes.begin() + scan, bytes.end() - 2);
    out.insert(out.end(), {0xFF, 0xD9});
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(out);
    TBitmap bitmap;
    jpeg.AssignTo(bitmap);
    return bitmap.Width();
  };
  EXPECT_EQ(repeat_last_scan(3), 24);  // odd but harmless: warnings only
  EXPECT_THROW(repeat_last_scan(TJPEGImage::kMaxScans + 10), EJPEG);
}

TEST(JpegImageTest, EncodeErrorsRaiseEjpeg) {
  using Error = std::pair<int, std::string>;
  const auto error_for = [](TBitmap bitmap) {
    TJPEGImage jpeg;
    jpeg.Assign(std::move(bitmap));
    try {
      jpeg.SaveToBytes();
    } catch (const EJPEG& error) {
      return Error(error.Code(), error.what());
    }
    return Error(0, "");
  };
  const auto expected = [](int code, const std::string& explanation) {
    return Error(code, "JPEG-Fehler #" + std::to_string(code) + ": " + explanation);
  };
  EXPECT_EQ(error_for(TBitmap()),
            expected(JERR_EMPTY_IMAGE, "Empty JPEG image (DNL not supported)"));
  TBitmap wide;
  wide.SetSize(70000, 1);
  EXPECT_EQ(error_for(std::move(wide)),
            expected(JERR_IMAGE_TOO_BIG, "Maximum supported image dimension is 65500 pixels"));
}

TEST(JpegImageTest, DamagedDataDecodesAsLibjpegRecoversIt) {
  const std::vector<uint8_t> bytes =
      ReadBytes(SamplesDir() / "jpg" / "Reconyx_HC500_Hyperfire.jpg");
  const Picture full = DecodeReference(bytes);
  TBitmap bitmap;

  // Cut at 60%: the top third comes from data that is all there.
  TJPEGImage truncated;
  truncated.LoadFromBytes(
      std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() * 6 / 10));
  truncated.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Width(), full.width);
  ASSERT_EQ(bitmap.Height(), full.height);
  const std::vector<uint8_t> rgb = RgbOf(bitmap);
  const size_t top = static_cast<size_t>(full.width) * 3 * (full.height / 3);
  EXPECT_TRUE(std::equal(rgb.begin(), rgb.begin() + top, full.pixels.begin()));

  std::vector<uint8_t> corrupt = bytes;
  for (size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 400; i += 7) corrupt[i] = 0x5A;
  TJPEGImage damaged;
  damaged.LoadFromBytes(corrupt);
  damaged.AssignTo(bitmap);
  EXPECT_EQ(bitmap.Width(), full.width);
}

struct FourComponent {
  std::string name;
  J_COLOR_SPACE stored;
  bool adobe_inverted;  // Photoshop's convention: an Adobe marker and 255 meaning no ink
};

void PrintTo(const FourComponent& c, std::ostream* out) {
  *out << c.name;
}

class FourComponentTest : public testing::TestWithParam<FourComponent> {};

TEST_P(FourComponentTest, DecodesToTheColoursOfTheInk) {
  struct Patch {
    uint8_t ink[4];  // cyan, magenta, yellow, black
    uint8_t rgb[3];
  };
  const Patch patches[] = {
      {{0, 0, 0, 0}, {255, 255, 255}},   {{0, 255, 255, 0}, {255, 0, 0}},
      {{255, 0, 255, 0}, {0, 255, 0}},   {{0, 0, 0, 255}, {0, 0, 0}},
      {{0, 0, 0, 128}, {127, 127, 127}}, {{0, 128, 255, 64}, {191, 95, 0}},
  };
  constexpr int kSide = 16;
  const int count = static_cast<int>(std::size(patches));
  Picture cmyk{kSide * count, kSide, 4};
  for (int i = 0; i < kSide * kSide * count; ++i) {
    for (uint8_t ink : patches[i % (kSide * count) / kSide].ink) {
      cmyk.pixels.push_back(GetParam().adobe_inverted ? 255 - ink : ink);
    }
  }
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(EncodeReference(cmyk, {.input = JCS_CMYK,
                                            .stored = GetParam().stored,
                                            .quality = 100,
                                            .adobe_marker = GetParam().adobe_inverted}));
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Format(), PixelFormat::k24Bit);
  ASSERT_EQ(bitmap.Width(), kSide * count);
  for (int i = 0; i < count; ++i) {
    const uint8_t* p = bitmap.ScanLine(kSide / 2) + 3 * (i * kSide + kSide / 2);
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(p[2 - c], patches[i].rgb[c], 4) << "patch " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FourComponentTest,
                         testing::Values(FourComponent{"AdobeCmyk", JCS_CMYK, true},
                                         FourComponent{"AdobeYcck", JCS_YCCK, true},
                                         FourComponent{"PlainCmyk", JCS_CMYK, false}),
                         [](const testing::TestParamInfo<FourComponent>& item) {
                           return item.param.name;
                         });

std::vector<uint8_t> AllRows(const TBitmap& bitmap) {
  std::vector<uint8_t> bytes;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    bytes.insert(bytes.end(), bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.BytesPerRow());
  }
  return bytes;
}

// Decoding into a bitmap that held another picture gives exactly the bitmap a fresh decode
// gives: every byte, row padding and the rows of a file cut short included.
TEST(JpegImageTest, DecodeIntoGivesTheSameBitmapWhateverTheBitmapHeldBefore) {
  const std::string samples = (test::SamplesDir() / "jpg").string();
  std::vector<uint8_t> cut = test::ReadBytes(samples + "/Canon_PowerShot_S40.jpg");
  cut.resize(cut.size() / 2);
  Picture grey{37, 21, 1};
  for (int i = 0; i < 37 * 21; ++i) grey.pixels.push_back(static_cast<uint8_t>(i * 7 % 256));
  struct Source {
    const char* name;
    std::vector<uint8_t> bytes;
  };
  const std::vector<Source> sources = {
      {"large", test::ReadBytes(samples + "/Reconyx_HC500_Hyperfire.jpg")},
      {"small", test::ReadBytes(samples + "/Canon_40D.jpg")},
      {"cut short", cut},
      {"odd width", EncodeReference(TestPicture(37, 21), {})},
      {"grey, odd width", EncodeReference(grey, {.input = JCS_GRAYSCALE})},
  };
  TBitmap reused;
  // 0xFF everywhere first, so that any byte the decoder leaves shows.
  reused.Reshape(3000, 2000, PixelFormat::k24Bit);
  for (int32_t y = 0; y < reused.Height(); ++y) {
    std::fill_n(reused.ScanLine(y), reused.BytesPerRow(), uint8_t{0xFF});
  }
  for (const Source& source : sources) {
    SCOPED_TRACE(source.name);
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(source.bytes);
    TBitmap fresh;
    jpeg.AssignTo(fresh);
    jpeg.DecodeInto(reused);
    EXPECT_EQ(reused.Width(), fresh.Width());
    EXPECT_EQ(reused.Height(), fresh.Height());
    EXPECT_EQ(reused.Format(), fresh.Format());
    EXPECT_EQ(reused.Palette(), fresh.Palette());
    EXPECT_TRUE(AllRows(reused) == AllRows(fresh));
  }
}

}  // namespace
}  // namespace kelmora
