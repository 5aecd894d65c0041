#include "imaging/declared_size.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "imaging/bitmap.h"
#include "imaging/jpeg_image.h"
#include "imaging/tiff_file.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;

enum class ImageFormat { kJpeg, kBmp, kTiff };

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
  // Counts what the probe reads: a few small pieces, never the picture data.
  class CountingSource : public MemoryByteSource {
   public:
    using MemoryByteSource::MemoryByteSource;
    size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const override {
      const size_t got = MemoryByteSource::ReadAt(offset, out);
      bytes_read += got;
      return got;
    }
    mutable size_t bytes_read = 0;
  };
  const CountingSource source(file);
  const std::optional<DeclaredSize> size = ReadDeclaredSize(source);
  EXPECT_LE(source.bytes_read, size_t{256} << 10);
  ASSERT_TRUE(size.has_value());
  EXPECT_EQ(*size, (DeclaredSize{static_cast<uint64_t>(decoded.Width()),
                                 static_cast<uint64_t>(decoded.Height())}));
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

}  // namespace
}  // namespace kelmora
