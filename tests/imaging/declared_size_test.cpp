#include "imaging/declared_size.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"
#include "imaging/tiff_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

struct DecodedCase {
  const char* file;  // under tests/data
  ImageFormat format;
};

TBitmap Decode(const fs::path& path, ImageFormat format) {
  TBitmap bitmap;
  switch (format) {
    case ImageFormat::kJpeg: {
      TJPEGImage jpeg;
      jpeg.LoadFromFile(path.string());
      jpeg.AssignTo(bitmap);
      break;
    }
    case ImageFormat::kBmp:
      bitmap.LoadFromFile(path.string());
      break;
    case ImageFormat::kTiff: {
      TTIFFFile tiff;
      tiff.LoadFromFile(path.string());
      bitmap = std::move(tiff.Bitmap());
      break;
    }
  }
  return bitmap;
}

class DeclaredSizeTest : public testing::TestWithParam<DecodedCase> {};

// The header alone, read from the start of the file, gives the size the decoder makes.
TEST_P(DeclaredSizeTest, HeaderGivesTheDecodedSize) {
  const fs::path path = test::DataDir() / GetParam().file;
  std::vector<uint8_t> head = test::ReadBytes(path);
  const TBitmap decoded = Decode(path, GetParam().format);
  if (head.size() > 64 * 1024) head.resize(64 * 1024);
  const std::optional<DeclaredSize> size = ReadDeclaredSize(head, GetParam().format);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(*size, (DeclaredSize{static_cast<uint32_t>(decoded.Width()),
                                 static_cast<uint32_t>(decoded.Height())}));
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Samples, DeclaredSizeTest, testing::Values(
    DecodedCase{"samples/jpg/Canon_40D.jpg",          ImageFormat::kJpeg},
    DecodedCase{"samples/jpg/Fujifilm_FinePix_E500.jpg", ImageFormat::kJpeg},
    DecodedCase{"samples/tiff/Arbitro.tiff",          ImageFormat::kTiff},
    DecodedCase{"samples/tiff/DudleyLeavittUtah.tiff", ImageFormat::kTiff},
    DecodedCase{"bmp/rgb24_topdown.bmp",              ImageFormat::kBmp},
    DecodedCase{"bmp/pal8_core.bmp",                  ImageFormat::kBmp},
    DecodedCase{"bmp/rgb565_bitfields_v5.bmp",        ImageFormat::kBmp}));
// clang-format on

TEST(ReadDeclaredSize, UnknownWhenTheHeaderIsCutOrWrong) {
  const std::vector<uint8_t> jpeg = test::ReadBytes(test::SamplesDir() / "jpg/Canon_40D.jpg");
  const std::vector<uint8_t> bmp = test::ReadBytes(test::DataDir() / "bmp/rgb24_topdown.bmp");
  const struct {
    const char* name;
    std::vector<uint8_t> bytes;
    ImageFormat format;
  } cases[] = {
      {"empty", {}, ImageFormat::kJpeg},
      {"jpeg cut before its frame header", {jpeg.begin(), jpeg.begin() + 40}, ImageFormat::kJpeg},
      {"bmp cut in its header", {bmp.begin(), bmp.begin() + 20}, ImageFormat::kBmp},
      {"jpeg taken for a bmp", jpeg, ImageFormat::kBmp},
      {"bmp taken for a tiff", bmp, ImageFormat::kTiff},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(ReadDeclaredSize(c.bytes, c.format).has_value()) << c.name;
  }
}

TEST(WorkingBitmapBytes, RowsArePaddedToFourBytes) {
  EXPECT_EQ(WorkingBitmapBytes({1, 1}), 4u);
  EXPECT_EQ(WorkingBitmapBytes({4, 2}), 24u);
  EXPECT_EQ(WorkingBitmapBytes({37800, 37800}), uint64_t{113400} * 37800);
}

}  // namespace
}  // namespace kelmora
