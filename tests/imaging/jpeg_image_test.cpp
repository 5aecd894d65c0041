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
#include "support/test_support.h"

namespace kelmora {
namespace {

using test::ReadBytes;
using test::SamplesDir;
using test::TempDir;

// libjpeg used directly, as the independent reference for what the wrapper must do.
struct Reference {
  int width = 0;
  int height = 0;
  int components = 0;
  std::vector<uint8_t> pixels;
};

struct EncodeOptions {
  J_COLOR_SPACE input = JCS_RGB;
  J_COLOR_SPACE stored = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for the input
  int quality = 90;
  bool progressive = false;
  bool adobe_marker = true;
};

std::vector<uint8_t> EncodeReference(const Reference& picture, const EncodeOptions& options) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = picture.components;
  info.in_color_space = options.input;
  jpeg_set_defaults(&info);
  if (options.stored != JCS_UNKNOWN) jpeg_set_colorspace(&info, options.stored);
  info.write_Adobe_marker = options.adobe_marker ? info.write_Adobe_marker : FALSE;
  jpeg_set_quality(&info, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  const size_t stride = static_cast<size_t>(picture.width) * picture.components;
  for (int y = 0; y < picture.height; ++y) {
    auto row = const_cast<JSAMPROW>(picture.pixels.data() + stride * static_cast<size_t>(y));
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

Reference DecodeReference(const std::vector<uint8_t>& bytes) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Reference picture{
      static_cast<int>(info.output_width), static_cast<int>(info.output_height), 3, {}};
  picture.pixels.resize(static_cast<size_t>(picture.width) * 3 * picture.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.pixels.data() + static_cast<size_t>(info.output_scanline) * 3 *
                                               static_cast<size_t>(picture.width);
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return picture;
}

// The picture of a 24-bit bitmap in red-green-blue order, as libjpeg delivers it.
std::vector<uint8_t> RgbOf(const TBitmap& bitmap) {
  std::vector<uint8_t> rgb;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      rgb.insert(rgb.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
    }
  }
  return rgb;
}

// A picture with edges, gradients and texture, so that the codec has work to do.
Reference TestPicture(int width, int height) {
  Reference picture{width, height, 3, {}};
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const auto r = static_cast<uint8_t>((x * 255) / std::max(1, width - 1));
      const auto g = static_cast<uint8_t>(((x / 5 + y / 3) % 2) ? 220 : 30);
      const auto b = static_cast<uint8_t>((x * y * 7 + y * 31) % 256);
      picture.pixels.insert(picture.pixels.end(), {r, g, b});
    }
  }
  return picture;
}

TBitmap ToBitmap(const Reference& picture) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(picture.width, picture.height);
  for (int y = 0; y < picture.height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int x = 0; x < picture.width; ++x) {
      const uint8_t* p = picture.pixels.data() + 3 * (static_cast<size_t>(y) * picture.width + x);
      row[3 * x] = p[2];
      row[3 * x + 1] = p[1];
      row[3 * x + 2] = p[0];
    }
  }
  return bitmap;
}

struct Segment {
  uint8_t marker;
  std::vector<uint8_t> body;
};

// The marker segments before the first scan.
std::vector<Segment> HeaderSegments(const std::vector<uint8_t>& bytes) {
  std::vector<Segment> segments;
  size_t pos = 2;
  while (pos + 4 <= bytes.size() && bytes[pos] == 0xFF) {
    const uint8_t marker = bytes[pos + 1];
    const size_t length = static_cast<size_t>(bytes[pos + 2]) << 8 | bytes[pos + 3];
    segments.push_back(
        {marker, std::vector<uint8_t>(bytes.begin() + pos + 4, bytes.begin() + pos + 2 + length)});
    if (marker == 0xDA) break;
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
  const std::vector<uint8_t> bytes = ReadBytes(SamplesDir() / "jpg" / GetParam());
  TJPEGImage jpeg;
  jpeg.LoadFromFile((SamplesDir() / "jpg" / GetParam()).string());
  const Reference expected = DecodeReference(bytes);
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
  Reference grey{256, 24, 1, {}};
  for (int y = 0; y < grey.height; ++y) {
    for (int x = 0; x < grey.width; ++x) grey.pixels.push_back(static_cast<uint8_t>(x));
  }
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(EncodeReference(grey, {.input = JCS_GRAYSCALE, .quality = 100}));
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Format(), PixelFormat::k8Bit);
  ASSERT_EQ(bitmap.Width(), 256);
  const std::vector<PaletteEntry>& palette = bitmap.Palette();
  ASSERT_EQ(palette.size(), 236u);
  for (size_t i = 0; i < palette.size(); ++i) {
    EXPECT_EQ(palette[i].red, palette[i].green);
    EXPECT_EQ(palette[i].red, palette[i].blue);
    if (i > 0) {
      EXPECT_GT(palette[i].red, palette[i - 1].red);
    }
  }
  std::set<uint8_t> used;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    used.insert(bitmap.ScanLine(y), bitmap.ScanLine(y) + bitmap.Width());
  }
  EXPECT_LE(used.size(), 236u);
  EXPECT_GT(used.size(), 200u);  // the gradient really spans the levels

  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  double error = 0;
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    for (int32_t x = 0; x < bitmap.Width(); ++x) {
      const uint8_t* p = bitmap.ScanLine(y) + 3 * x;
      ASSERT_EQ(p[0], p[1]);
      ASSERT_EQ(p[1], p[2]);
      error += std::abs(p[0] - x);
    }
  }
  EXPECT_LT(error / (256.0 * 24), 2.0);
}

class EncodeQualityTest : public testing::TestWithParam<int> {};

TEST_P(EncodeQualityTest, MatchesLibjpegFedWithRgbRows) {
  const Reference picture = TestPicture(37, 23);
  TJPEGImage jpeg;
  jpeg.CompressionQuality = GetParam();
  jpeg.Assign(ToBitmap(picture));
  EXPECT_EQ(jpeg.SaveToBytes(), EncodeReference(picture, {.quality = GetParam()}));
}

INSTANTIATE_TEST_SUITE_P(Qualities, EncodeQualityTest, testing::Values(1, 25, 75, 90, 100));

TEST(JpegImageTest, QualityOutsideTheRangeTakesTheNearestEnd) {
  const TBitmap bitmap = ToBitmap(TestPicture(16, 16));
  const auto encode = [&](int quality) {
    TJPEGImage jpeg;
    jpeg.CompressionQuality = quality;
    jpeg.Assign(bitmap);
    return jpeg.SaveToBytes();
  };
  EXPECT_EQ(encode(0), encode(1));
  EXPECT_EQ(encode(-7), encode(1));
  EXPECT_EQ(encode(1000), encode(100));
  EXPECT_NE(encode(1), encode(100));
}

TEST(JpegImageTest, ReencodedSampleIsBaselineJfifWithoutMetadata) {
  // The sample carries EXIF and more; none of it may reach the output.
  TJPEGImage jpeg;
  jpeg.LoadFromFile((SamplesDir() / "jpg" / "Canon_40D.jpg").string());
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  jpeg.Assign(bitmap);
  const std::vector<uint8_t> bytes = jpeg.SaveToBytes();
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  EXPECT_EQ(bytes[bytes.size() - 2], 0xFF);
  EXPECT_EQ(bytes[bytes.size() - 1], 0xD9);
  const std::vector<Segment> segments = HeaderSegments(bytes);
  ASSERT_FALSE(segments.empty());
  EXPECT_EQ(segments[0].marker, 0xE0);
  EXPECT_EQ(std::string(segments[0].body.begin(), segments[0].body.begin() + 5),
            std::string("JFIF\0", 5));
  int frames = 0;
  for (const Segment& segment : segments) {
    const uint8_t m = segment.marker;
    EXPECT_FALSE(m >= 0xE1 && m <= 0xEF) << "APP" << (m - 0xE0);
    EXPECT_NE(m, 0xFE) << "comment";
    EXPECT_FALSE(m >= 0xC1 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC)
        << "not baseline: " << int{m};
    if (m == 0xC0) {
      ++frames;
      EXPECT_EQ(segment.body[0], 8);  // precision
      EXPECT_EQ(segment.body[1] << 8 | segment.body[2], bitmap.Height());
      EXPECT_EQ(segment.body[3] << 8 | segment.body[4], bitmap.Width());
      EXPECT_EQ(segment.body[5], 3);  // components
    }
  }
  EXPECT_EQ(frames, 1);
}

TEST(JpegImageTest, PaletteBitmapsEncodeAsColourPictures) {
  for (PixelFormat format : {PixelFormat::k1Bit, PixelFormat::k8Bit}) {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(32, 16);
    bitmap.SetPalette({{200, 30, 40}, {20, 40, 220}});
    // Left half index 0, right half index 1.
    for (int32_t y = 0; y < 16; ++y) {
      for (int32_t x = 16; x < 32; ++x) {
        if (format == PixelFormat::k8Bit) {
          bitmap.ScanLine(y)[x] = 1;
        } else {
          bitmap.ScanLine(y)[x / 8] = 0xFF;
        }
      }
    }
    TJPEGImage jpeg;
    jpeg.CompressionQuality = 95;
    jpeg.Assign(bitmap);
    const std::vector<uint8_t> bytes = jpeg.SaveToBytes();
    const Reference decoded = DecodeReference(bytes);
    const auto near = [&](int x, int y, PaletteEntry colour) {
      const uint8_t* p = decoded.pixels.data() + 3 * (static_cast<size_t>(y) * 32 + x);
      return std::abs(p[0] - colour.red) <= 6 && std::abs(p[1] - colour.green) <= 6 &&
             std::abs(p[2] - colour.blue) <= 6;
    };
    EXPECT_TRUE(near(4, 8, {200, 30, 40}));
    EXPECT_TRUE(near(27, 8, {20, 40, 220}));
    for (const Segment& segment : HeaderSegments(bytes)) {
      if (segment.marker == 0xC0) {
        EXPECT_EQ(segment.body[5], 3);
      }
    }
  }
}

TEST(JpegImageTest, ThirtyTwoBitEncodesLikeItsTwentyFourBitPicture) {
  TBitmap wide = ToBitmap(TestPicture(21, 13));
  TJPEGImage jpeg;
  jpeg.Assign(wide);
  const std::vector<uint8_t> expected = jpeg.SaveToBytes();
  wide.SetPixelFormat(PixelFormat::k32Bit);
  for (int32_t y = 0; y < wide.Height(); ++y) {
    for (int32_t x = 0; x < wide.Width(); ++x) wide.ScanLine(y)[4 * x + 3] = 0x5A;
  }
  jpeg.Assign(wide);
  EXPECT_EQ(jpeg.SaveToBytes(), expected);
}

TEST(JpegImageTest, FileRoundTripKeepsTheSize) {
  TempDir dir;
  TJPEGImage out;
  out.Assign(ToBitmap(TestPicture(41, 17)));
  EXPECT_EQ(out.Width(), 41);
  EXPECT_EQ(out.Height(), 17);
  out.SaveToFile(dir / "ein bild ä.jpg");
  TJPEGImage in;
  in.LoadFromFile(dir / "ein bild ä.jpg");
  EXPECT_EQ(in.Width(), 41);
  EXPECT_EQ(in.Height(), 17);
  TBitmap bitmap;
  in.AssignTo(bitmap);
  EXPECT_EQ(bitmap.Width(), 41);
}

TEST(JpegImageTest, LoadedDataIsSavedUnchangedAndAnAssignedBitmapIsHandedBack) {
  const std::vector<uint8_t> bytes = ReadBytes(SamplesDir() / "jpg" / "Nikon_D70.jpg");
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(bytes);
  EXPECT_EQ(jpeg.SaveToBytes(), bytes);

  TBitmap source = ToBitmap(TestPicture(5, 3));
  jpeg.Assign(source);
  source.ScanLine(0)[0] ^= 0xFF;  // the object holds its own copy
  TBitmap back;
  jpeg.AssignTo(back);
  EXPECT_EQ(back.Width(), 5);
  EXPECT_EQ(back.ScanLine(0)[0], source.ScanLine(0)[0] ^ 0xFF);
}

struct BadData {
  std::string name;
  std::vector<uint8_t> bytes;
  int code;
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
      {"empty", {}, JERR_INPUT_EMPTY},
      {"not_jpeg", {'G', 'I', 'F', '8', '9', 'a', 1, 2}, JERR_NO_SOI},
      {"no_image", {0xFF, 0xD8, 0xFF, 0xD9}, JERR_NO_IMAGE},
      {"twelve_bit", twelve_bit, JERR_BAD_PRECISION},
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
    EXPECT_EQ(std::string(error.what()), "JPEG-Fehler #" + std::to_string(GetParam().code));
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

std::vector<uint8_t> ProgressiveJpeg() {
  return EncodeReference(TestPicture(24, 16), {.progressive = true});
}

size_t LastScanStart(const std::vector<uint8_t>& bytes) {
  for (size_t i = bytes.size() - 2; i > 0; --i) {
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) return i;
  }
  return 0;
}

TEST(JpegImageTest, ErrorWhileDecodingRowsLeavesTheTargetAlone) {
  std::vector<uint8_t> bytes = ProgressiveJpeg();
  // The last scan names a component the frame does not have; libjpeg meets it only after
  // the header, while the picture is being decoded.
  const size_t scan = LastScanStart(bytes);
  ASSERT_GT(scan, 0u);
  bytes[scan + 5] = 0x77;
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
  EXPECT_EQ(bitmap.Height(), 3);
}

std::vector<uint8_t> WithRepeatedLastScan(const std::vector<uint8_t>& bytes, int copies) {
  const size_t scan = LastScanStart(bytes);
  std::vector<uint8_t> out(bytes.begin(), bytes.end() - 2);
  for (int i = 0; i < copies; ++i) out.insert(out.end(), bytes.begin() + scan, bytes.end() - 2);
  out.insert(out.end(), {0xFF, 0xD9});
  return out;
}

TEST(JpegImageTest, ProgressiveFileWithEndlessScansIsRefused) {
  const std::vector<uint8_t> bytes = ProgressiveJpeg();
  TBitmap bitmap;
  TJPEGImage few;
  few.LoadFromBytes(WithRepeatedLastScan(bytes, 3));  // odd but harmless: warnings only
  few.AssignTo(bitmap);
  EXPECT_EQ(bitmap.Width(), 24);

  TJPEGImage endless;
  endless.LoadFromBytes(WithRepeatedLastScan(bytes, TJPEGImage::kMaxScans + 10));
  EXPECT_THROW(endless.AssignTo(bitmap), EJPEG);
}

TEST(JpegImageTest, EncodeErrorsRaiseEjpeg) {
  TJPEGImage jpeg;
  jpeg.Assign(TBitmap());
  try {
    jpeg.SaveToBytes();
    FAIL() << "no error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.Code(), JERR_EMPTY_IMAGE);
  }
  TBitmap wide;
  wide.SetSize(70000, 1);
  jpeg.Assign(std::move(wide));
  try {
    jpeg.SaveToBytes();
    FAIL() << "no error";
  } catch (const EJPEG& error) {
    EXPECT_EQ(error.Code(), JERR_IMAGE_TOO_BIG);
  }
}

TEST(JpegImageTest, FileProblemsRaiseFileErrors) {
  TempDir dir;
  TJPEGImage jpeg;
  EXPECT_THROW(jpeg.LoadFromFile(dir / "missing.jpg"), EFileError);
  jpeg.Assign(ToBitmap(TestPicture(4, 4)));
  EXPECT_THROW(jpeg.SaveToFile((dir.Path() / "no folder" / "x.jpg").string()), EFileError);
}

TEST(JpegImageTest, TruncatedFileDecodesWhatItHolds) {
  const std::vector<uint8_t> bytes =
      ReadBytes(SamplesDir() / "jpg" / "Reconyx_HC500_Hyperfire.jpg");
  const Reference full = DecodeReference(bytes);
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(std::vector<uint8_t>(bytes.begin(), bytes.begin() + bytes.size() * 6 / 10));
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  ASSERT_EQ(bitmap.Width(), full.width);
  ASSERT_EQ(bitmap.Height(), full.height);
  // The top third comes from data that is all there.
  const size_t top = static_cast<size_t>(full.width) * 3 * (full.height / 3);
  const std::vector<uint8_t> rgb = RgbOf(bitmap);
  EXPECT_TRUE(std::equal(rgb.begin(), rgb.begin() + top, full.pixels.begin()));
}

TEST(JpegImageTest, CorruptScanDataStillDecodes) {
  std::vector<uint8_t> bytes = ReadBytes(SamplesDir() / "jpg" / "Canon_PowerShot_S40.jpg");
  for (size_t i = bytes.size() / 2; i < bytes.size() / 2 + 400; i += 7) bytes[i] = 0x5A;
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(bytes);
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  EXPECT_EQ(bitmap.Width(), jpeg.Width());
  EXPECT_EQ(bitmap.Height(), jpeg.Height());
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
    uint8_t c, m, y, k;
    PaletteEntry rgb;
  };
  const Patch patches[] = {
      {0, 0, 0, 0, {255, 255, 255}},   {0, 255, 255, 0, {255, 0, 0}},
      {255, 0, 255, 0, {0, 255, 0}},   {0, 0, 0, 255, {0, 0, 0}},
      {0, 0, 0, 128, {127, 127, 127}}, {0, 128, 255, 64, {191, 95, 0}},
  };
  constexpr int kSide = 16;
  const int count = static_cast<int>(std::size(patches));
  Reference cmyk{kSide * count, kSide, 4, {}};
  for (int y = 0; y < kSide; ++y) {
    for (const Patch& patch : patches) {
      for (int x = 0; x < kSide; ++x) {
        for (uint8_t ink : {patch.c, patch.m, patch.y, patch.k}) {
          cmyk.pixels.push_back(GetParam().adobe_inverted ? 255 - ink : ink);
        }
      }
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
    const PaletteEntry& want = patches[i].rgb;
    EXPECT_NEAR(p[2], want.red, 4) << "patch " << i;
    EXPECT_NEAR(p[1], want.green, 4) << "patch " << i;
    EXPECT_NEAR(p[0], want.blue, 4) << "patch " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, FourComponentTest,
                         testing::Values(FourComponent{"AdobeCmyk", JCS_CMYK, true},
                                         FourComponent{"AdobeYcck", JCS_YCCK, true},
                                         FourComponent{"PlainCmyk", JCS_CMYK, false}),
                         [](const testing::TestParamInfo<FourComponent>& item) {
                           return item.param.name;
                         });

}  // namespace
}  // namespace kelmora
