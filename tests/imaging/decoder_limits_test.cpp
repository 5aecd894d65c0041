// What every decoder does with files whose headers promise more than memory can hold, and
// with paths that are no regular files.
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "common/byte_source.h"
#include "common/errors.h"
#include "imaging/bitmap.h"
#include "imaging/declared_size.h"
#include "imaging/jpeg_image.h"
#include "imaging/pixel_limit.h"
#include "imaging/tiff_file.h"
#include "support/jpeg_reference.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

using Bytes = std::vector<uint8_t>;

// A small JPEG made by libjpeg, with 1 (grey) or 3 components.
Bytes EncodeJpeg(int components) {
  const test::Picture flat{16, 16, components, Bytes(size_t{16} * 16 * components, 128)};
  return test::EncodeReference(flat, {.input = components == 1 ? JCS_GRAYSCALE : JCS_RGB});
}

// A small file that declares a huge picture.
Bytes JpegDeclaring(int components, uint16_t width, uint16_t height) {
  return test::WithDeclaredSize(EncodeJpeg(components), width, height);
}

void Put32(Bytes& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// A BMP with a BITMAPINFOHEADER and data_size bytes of zeros after the header (and palette).
Bytes BmpDeclaring(int32_t width, int32_t height, int bits, uint32_t compression,
                   size_t data_size) {
  const uint32_t palette = bits <= 8 ? (1u << bits) * 4 : 0;
  const uint32_t offset = 54 + palette;
  Bytes bytes(offset + data_size, 0);
  bytes[0] = 'B';
  bytes[1] = 'M';
  Put32(bytes, 2, static_cast<uint32_t>(bytes.size()));  // file size
  Put32(bytes, 10, offset);                              // data offset
  Put32(bytes, 14, 40);                                  // header size
  Put32(bytes, 18, static_cast<uint32_t>(width));
  Put32(bytes, 22, static_cast<uint32_t>(height));
  bytes[26] = 1;  // planes
  bytes[28] = static_cast<uint8_t>(bits);
  Put32(bytes, 30, compression);
  return bytes;
}

enum class Format { kJpeg, kBmp, kTiff };

void DecodeBytes(Format format, const Bytes& bytes) {
  TBitmap bitmap;
  switch (format) {
    case Format::kJpeg: {
      TJPEGImage jpeg;
      jpeg.LoadFromBytes(bytes);
      jpeg.AssignTo(bitmap);
      break;
    }
    case Format::kBmp:
      bitmap.LoadFromBmpBytes(bytes);
      break;
    case Format::kTiff: {
      TTIFFFile tiff;
      tiff.LoadFromBytes(bytes);
      break;
    }
  }
}

void DecodeFile(Format format, const std::string& path) {
  TBitmap bitmap;
  switch (format) {
    case Format::kJpeg: {
      TJPEGImage jpeg;
      jpeg.LoadFromFile(path);
      jpeg.AssignTo(bitmap);
      break;
    }
    case Format::kBmp:
      bitmap.LoadFromFile(path);
      break;
    case Format::kTiff: {
      TTIFFFile tiff;
      tiff.LoadFromFile(path);
      break;
    }
  }
}

struct HugeCase {
  const char* name;
  Format format;
  std::function<Bytes()> bytes;
  const char* message;
};

TEST(PixelLimit, EveryDecoderRefusesHeadersBeyondItBeforeAllocating) {
  const HugeCase cases[] = {
      // A 634-byte JPEG that declares 37800 x 37800 would need 4.3 GB.
      {"jpeg", Format::kJpeg, [] { return JpegDeclaring(3, 37800, 37800); },
       "Image too large: 37800 x 37800 pixels (at most 268435456 pixels can be read)"},
      // Greyscale counts at 24 bits: it is widened on the way.
      {"grey jpeg", Format::kJpeg, [] { return JpegDeclaring(1, 16385, 16384); },
       "Image too large: 16385 x 16384 pixels (at most 268435456 pixels can be read)"},
      // Run-length data long enough for the compression-ratio check.
      {"palette rle bmp", Format::kBmp, [] { return BmpDeclaring(16385, 16384, 8, 1, 270000); },
       "Image too large: 16385 x 16384 pixels (at most 268435456 pixels can be read)"},
      {"24-bit bmp", Format::kBmp, [] { return BmpDeclaring(20000, -20000, 24, 0, 100); },
       "Image too large: 20000 x 20000 pixels (at most 268435456 pixels can be read)"},
  };
  for (const HugeCase& c : cases) {
    const Bytes bytes = c.bytes();
    try {
      DecodeBytes(c.format, bytes);
      ADD_FAILURE() << c.name << ": no error";
    } catch (const EImageTooLarge& error) {
      EXPECT_EQ(std::string(error.what()), c.message) << c.name;
    } catch (const std::exception& error) {
      ADD_FAILURE() << c.name << ": " << error.what();
    }
  }
}

TEST(PixelLimit, CountsTheWorkingBitmapOf24BitRows) {
  EXPECT_EQ(WorkingBitmapBytes(1, 1), 4u);
  EXPECT_EQ(WorkingBitmapBytes(5, 2), 32u);
  EXPECT_TRUE(WithinPixelLimit(16384, 16384));
  EXPECT_FALSE(WithinPixelLimit(16385, 16384));
  // Row padding counts: fewer than 2^28 pixels, but more than the working bitmap's bytes.
  EXPECT_FALSE(WithinPixelLimit(16383, 16385));
  EXPECT_FALSE(WithinPixelLimit(uint64_t{1} << 40, uint64_t{1} << 40));
  // A header at the limit is accepted (only the header is read here).
  TJPEGImage jpeg;
  jpeg.LoadFromBytes(JpegDeclaring(1, 16384, 16384));
  EXPECT_EQ(jpeg.Width(), 16384);
}

TEST(RegularFilesOnly, DecodersRefuseFifosAndFoldersWithoutWaiting) {
  test::TempDir dir;
  const struct {
    Format format;
    const char* name;
  } formats[] = {{Format::kJpeg, "x.jpg"}, {Format::kBmp, "x.bmp"}, {Format::kTiff, "x.tif"}};
  for (const auto& f : formats) {
    const std::string fifo = dir / (std::string("fifo-") + f.name);
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string folder = dir / (std::string("folder-") + f.name);
    std::filesystem::create_directory(folder);
    for (const std::string& path : {fifo, folder}) {
      try {
        DecodeFile(f.format, path);
        ADD_FAILURE() << path << ": no error";
      } catch (const EFileError& error) {
        EXPECT_EQ(error.Reason(), "not a regular file") << path;
        EXPECT_NE(std::string(error.what()).find(path), std::string::npos) << error.what();
      }
    }
  }
}

TEST(DeclaredSize, IsReadFromTheHeaderAloneWhateverItDeclares) {
  const Bytes tiff = test::ReadBytes(test::SamplesDir() / "tiff" / "DudleyLeavittUtah.tiff");
  const Bytes jpeg = EncodeJpeg(3);
  TTIFFFile decoded;
  decoded.LoadFromBytes(tiff);
  const DeclaredSize tiff_size{static_cast<uint64_t>(decoded.Bitmap().Width()),
                               static_cast<uint64_t>(decoded.Bitmap().Height())};
  struct Case {
    const char* name;
    Bytes bytes;
    std::optional<DeclaredSize> expected;
  };
  const Case cases[] = {
      {"jpeg", jpeg, DeclaredSize{16, 16}},
      {"jpeg beyond the limit", JpegDeclaring(3, 37800, 30000), DeclaredSize{37800, 30000}},
      {"grey jpeg", JpegDeclaring(1, 640, 480), DeclaredSize{640, 480}},
      {"top-down bmp", BmpDeclaring(20000, -10000, 24, 0, 0), DeclaredSize{20000, 10000}},
      {"tiff", tiff, tiff_size},
      {"jpeg without a frame", {0xFF, 0xD8, 0xFF, 0xD9}, std::nullopt},
      {"cut jpeg", Bytes(jpeg.begin(), jpeg.begin() + 20), std::nullopt},
      {"cut tiff", Bytes(tiff.begin(), tiff.begin() + 12), std::nullopt},
      {"other", {'G', 'I', 'F', '8', '9', 'a'}, std::nullopt},
      {"empty", {}, std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ReadDeclaredSize(MemoryByteSource(c.bytes)), c.expected) << c.name;
  }
  test::TempDir dir;
  const std::string fifo = dir / "x.jpg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadDeclaredSize(fifo), std::nullopt);
  EXPECT_EQ(ReadDeclaredSize(dir / "missing.jpg"), std::nullopt);
  test::WriteBytes(dir.Path() / "y.jpg", EncodeJpeg(1));
  EXPECT_EQ(ReadDeclaredSize(dir / "y.jpg"), (DeclaredSize{16, 16}));
}

TEST(RegularFilesOnly, AReadErrorInsideTheJpegDecoderIsAFileError) {
  // /proc/self/mem is a regular file whose first bytes cannot be read.
  test::TempDir dir;
  const std::string link = dir / "io.jpg";
  std::filesystem::create_symlink("/proc/self/mem", link);
  try {
    DecodeFile(Format::kJpeg, link);
    ADD_FAILURE() << "no error";
  } catch (const EFileError& error) {
    EXPECT_EQ(error.Reason(), "Input/output error");
  }
}

}  // namespace
}  // namespace kelmora
