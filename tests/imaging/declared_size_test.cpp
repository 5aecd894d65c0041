#include "imaging/declared_size.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <ostream>
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

void PrintTo(const DecodedCase& c, std::ostream* out) {
  *out << c.file;
}

class DeclaredSizeTest : public testing::TestWithParam<DecodedCase> {};

// The header alone, a few small pieces of the file, gives the size the decoder makes.
TEST_P(DeclaredSizeTest, HeaderGivesTheDecodedSize) {
  const fs::path path = test::DataDir() / GetParam().file;
  const std::vector<uint8_t> file = test::ReadBytes(path);
  const TBitmap decoded = Decode(path, GetParam().format);
  size_t bytes_read = 0;
  const ReadFilePiece read = [&](uint64_t offset, size_t length) {
    const size_t end = static_cast<size_t>(std::min<uint64_t>(file.size(), offset + length));
    const size_t begin = static_cast<size_t>(std::min<uint64_t>(file.size(), offset));
    bytes_read += end - begin;
    return std::vector<uint8_t>(file.begin() + static_cast<ptrdiff_t>(begin),
                                file.begin() + static_cast<ptrdiff_t>(end));
  };
  const std::optional<DeclaredSize> size = ReadDeclaredSize(read, GetParam().format);
  EXPECT_LE(bytes_read, size_t{256} << 10);
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
