// The export of photos as cameras store them: turned upright when AutoRotate is set, and
// published without their GPS position when StripLocation is set. Without the two keys the
// export is the one of old settings files.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "gallery/gallery_fixture.h"
#include "gallery/image_export.h"
#include "imaging/filters.h"
#include "imaging/jpeg_image.h"
#include "imaging/orientation_oracle.h"
#include "imaging/resample.h"
#include "imaging/tiff_file.h"
#include "metadata/gps_strip.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

TBitmap Decoded(const fs::path& path, PictureKind kind) {
  TBitmap bitmap;
  if (kind == PictureKind::kTiff) {
    TTIFFFile tiff;
    tiff.LoadFromFile(path.string());
    return tiff.Bitmap();
  }
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path.string());
  jpeg.AssignTo(bitmap);
  return bitmap;
}

// The decoded picture turned upright by the test's own rotation.
TBitmap UprightByOracle(TBitmap bitmap, int orientation) {
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  return test::BitmapOf(test::UprightGrid(test::GridOf(bitmap), orientation), PixelFormat::k24Bit);
}

Bytes Encoded(const TBitmap& bitmap, int quality) {
  TJPEGImage jpeg;
  jpeg.compression_quality = quality;
  jpeg.Assign(bitmap);
  return jpeg.SaveToBytes();
}

Bytes ScaledAndEncoded(TBitmap source, ImageSize size, FilterFunction filter, int quality) {
  TBitmap target;
  ResampleBitmap(source, target, size.width, size.height, filter, 3.0f);
  return Encoded(target, quality);
}

ImageSize JpegSize(const std::string& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  return {jpeg.Width(), jpeg.Height()};
}

struct RotateCase {
  const char* name;
  const char* file;  // under tests/data/made
  PictureKind kind;
  int orientation;  // as the catalogue read it
  bool auto_rotate;
  ImageSize thumbnail;
  ImageSize normal;
  bool normal_is_copy;  // the source fits and is published as it is
};

// clang-format off
const RotateCase kRotateCases[] = {
  // 640 x 480 stored fits 800 x 600, but 480 x 640 upright does not.
  {"Jpeg6Upright",   "canon-ixus-orientation6.jpg",    PictureKind::kJpeg, 6, true,  {120, 160}, {450, 600}, false},
  {"Jpeg6AsStored",  "canon-ixus-orientation6.jpg",    PictureKind::kJpeg, 6, false, {160, 120}, {640, 480}, true},
  {"Jpeg8Upright",   "fujifilm-dx10-orientation8.jpg", PictureKind::kJpeg, 8, true,  {120, 160}, {450, 600}, false},
  {"Jpeg8AsStored",  "fujifilm-dx10-orientation8.jpg", PictureKind::kJpeg, 8, false, {160, 120}, {800, 600}, false},
  {"Tiff6Upright",   "dudley-orientation6.tiff",       PictureKind::kTiff, 6, true,  {160, 122}, {257, 196}, false},
  {"Tiff6AsStored",  "dudley-orientation6.tiff",       PictureKind::kTiff, 6, false, {122, 160}, {196, 257}, false},
  // An orientation the file cannot have turns nothing.
  {"InvalidIsOne",   "canon-ixus-orientation6.jpg",    PictureKind::kJpeg, 1, true,  {160, 120}, {640, 480}, true},
};
// clang-format on

class RotateExportTest : public testing::TestWithParam<RotateCase> {};

TEST_P(RotateExportTest, OutputsFollowTheUprightPicture) {
  const RotateCase& c = GetParam();
  test::TempDir dir;
  KM_Class settings = test::DefaultGallerySettings();
  settings.OutputPath = dir.Path().string();
  settings.CopyOrgSizedImages = true;
  settings.AutoRotate = c.auto_rotate;
  const fs::path source = test::DataDir() / "made" / c.file;
  KM_ListElement entry = test::MakeEntry(c.file);
  entry.FullPath = source.string();
  entry.ImageKind = c.kind;
  entry.details.orientation = c.orientation;
  ExportImage(settings, entry);

  const TBitmap decoded = Decoded(source, c.kind);
  const int turn = c.auto_rotate ? c.orientation : 1;
  const TBitmap upright = UprightByOracle(decoded, turn);
  EXPECT_EQ((ImageSize{entry.Width, entry.Height}), (ImageSize{upright.Width(), upright.Height()}));
  EXPECT_EQ(JpegSize(dir / entry.ThumbName), c.thumbnail);
  EXPECT_EQ(test::ReadBytes(dir / entry.ThumbName),
            ScaledAndEncoded(upright, c.thumbnail, Lanczos3Filter, 90));
  if (c.normal_is_copy) {
    EXPECT_EQ(test::ReadBytes(dir / entry.NormalName), test::ReadBytes(source));
  } else if (c.normal == ImageSize{upright.Width(), upright.Height()}) {
    EXPECT_EQ(test::ReadBytes(dir / entry.NormalName), Encoded(upright, 90));
  } else {
    EXPECT_EQ(JpegSize(dir / entry.NormalName), c.normal);
    EXPECT_EQ(test::ReadBytes(dir / entry.NormalName),
              ScaledAndEncoded(upright, c.normal, Lanczos3Filter, 90));
  }
  // A JPEG's full-size copy keeps its bytes and orientation tag; what Kelmora encodes
  // carries no orientation at all.
  if (c.kind == PictureKind::kJpeg) {
    EXPECT_EQ(test::ReadBytes(dir / entry.BigName), test::ReadBytes(source));
  } else {
    EXPECT_EQ(test::ReadBytes(dir / entry.BigName), Encoded(upright, 90));
  }
  EXPECT_EQ(test::ExiftoolOutput("-s3 -Orientation", dir / entry.ThumbName), "");
  if (!c.normal_is_copy) {
    EXPECT_EQ(test::ExiftoolOutput("-s3 -Orientation", dir / entry.NormalName), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RotateExportTest, testing::ValuesIn(kRotateCases),
                         [](const auto& item) { return std::string(item.param.name); });

TEST(LocationExportTest, PublishedCopiesCarryNoPositionOnlyWhenAsked) {
  const fs::path source = test::DataDir() / "made/nikon-e950-gps.jpg";  // 800 x 600: fits
  const Bytes original = test::ReadBytes(source);
  Bytes stripped = original;
  ASSERT_TRUE(StripGpsPosition(stripped));
  for (bool strip : {false, true}) {
    test::TempDir dir;
    KM_Class settings = test::DefaultGallerySettings();
    settings.OutputPath = dir.Path().string();
    settings.CopyOrgSizedImages = true;
    settings.StripLocation = strip;
    KM_ListElement entry = test::MakeEntry("gps.jpg");
    entry.FullPath = source.string();
    ExportImage(settings, entry);
    for (const std::string& name : {entry.BigName, entry.NormalName}) {
      EXPECT_EQ(test::ReadBytes(dir / name), strip ? stripped : original) << name;
      EXPECT_EQ(test::ExiftoolOutput("-a -s3 -GPSLatitude -GPSLongitude -GPSAltitude", dir / name)
                    .empty(),
                strip)
          << name;
    }
  }
}

}  // namespace
}  // namespace kelmora
