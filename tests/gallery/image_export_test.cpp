#include "gallery/image_export.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "common/errors.h"
#include "gallery/gallery_fixture.h"
#include "imaging/filters.h"
#include "imaging/jpeg_image.h"
#include "imaging/resample.h"
#include "imaging/tiff_file.h"
#include "support/pictures.h"
#include "support/test_support.h"

namespace kelmora {

// Sizes print as "width x height" in failure messages.
void PrintTo(const ImageSize& size, std::ostream* out) {
  *out << size.width << " x " << size.height;
}

namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::SamplesDir;
using test::TempDir;

struct ThumbnailCase {
  const char* name;
  int32_t width, height, max_size;
  ImageSize expected;
};

// clang-format off
const ThumbnailCase kThumbnailCases[] = {
  {"Landscape",              4000, 3000,  160, {160, 120}},
  {"Portrait",               3000, 4000,  160, {120, 160}},
  {"Square",                 2000, 2000,  160, {160, 160}},
  {"Vga",                     640,  480,  160, {160, 120}},
  {"SmallKeepsItsSize",       120,   90,  160, {120,  90}},
  {"BoundItselfFits",         160,  100,  160, {160, 100}},
  {"HalfGoesToEvenBelow",    6400,  100,  160, {160,   2}},  // 2.5
  {"HalfGoesToEvenBelowTall", 100, 6400,  160, {  2, 160}},
  {"HalfGoesToEvenAbove",    6400,  100,  480, {480,   8}},  // 7.5
  // The quotient and product are taken in extended precision from the double ratio: in
  // double these would be exact halves and round the other way.
  {"ExtendedQuotientAbove",   192,   27,  160, {160,  23}},  // 22.5000000000000012
  {"ExtendedQuotientBelow",   192,   33,  160, {160,  27}},  // 27.4999999999999992
  {"ExtendedProductAbove",      9,  320,  160, {  5, 160}},  // 4.5000000000000001
  {"ThinSideKeepsOnePixel",   480,    1,  160, {160,   1}},  // 0.33
  {"ThinTallKeepsOnePixel",     1,  480,  160, {  1, 160}},
};
// clang-format on

class ThumbnailSizeTest : public testing::TestWithParam<ThumbnailCase> {};

TEST_P(ThumbnailSizeTest, FollowsTheLongerSide) {
  const ThumbnailCase& c = GetParam();
  EXPECT_EQ(ThumbnailSize(c.width, c.height, c.max_size), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, ThumbnailSizeTest, testing::ValuesIn(kThumbnailCases),
                         [](const auto& item) { return std::string(item.param.name); });

struct ResizedCase {
  const char* name;
  int32_t width, height, max_width, max_height;
  ImageSize expected;
};

// clang-format off
const ResizedCase kResizedCases[] = {
  {"Landscape",                4000, 3000, 800, 600, {800, 600}},
  {"Portrait",                 3000, 4000, 800, 600, {450, 600}},
  {"SquareTakesTheHeight",     2000, 2000, 800, 600, {600, 600}},
  {"WidthExceeds",             1024,  768, 800, 600, {800, 600}},
  {"WidthOnlyExceeds",          896,  600, 800, 600, {800, 536}},
  {"OnePixelTooWide",           801,  600, 800, 600, {800, 599}},
  {"TallHeightExceeds",         650,  700, 800, 600, {557, 600}},
  {"HalfGoesToEven",           6400,  100, 800, 600, {800,  12}},  // 12.5
  {"ExtendedQuotientAbove",     832,  117, 800, 600, {800, 113}},  // 112.5000000000000062
  {"ExtendedQuotientBelow",     832,  143, 800, 600, {800, 137}},  // 137.4999999999999962
  {"ThinSideKeepsOnePixel",    4800,    1, 800, 600, {800,   1}},
  {"ThinTallKeepsOnePixel",       1, 4800, 800, 600, {  1, 600}},
  // The longer side's bound alone would overshoot the other bound (800 x 743, 800 x 640,
  // 743 x 800, 800 x 800); the other bound decides instead.
  {"WideButTooHigh",            700,  650, 800, 600, {646, 600}},
  {"WideButTooHighLarge",      1000,  800, 800, 600, {750, 600}},
  {"TallButTooWide",            650,  700, 600, 800, {600, 646}},
  {"SquareInTallBounds",       2000, 2000, 600, 800, {600, 600}},
};
// clang-format on

class ResizedImageSizeTest : public testing::TestWithParam<ResizedCase> {};

TEST_P(ResizedImageSizeTest, FitsBothBounds) {
  const ResizedCase& c = GetParam();
  const ImageSize size = ResizedImageSize(c.width, c.height, c.max_width, c.max_height);
  EXPECT_EQ(size, c.expected);
  EXPECT_LE(size.width, c.max_width);
  EXPECT_LE(size.height, c.max_height);
}

INSTANTIATE_TEST_SUITE_P(Cases, ResizedImageSizeTest, testing::ValuesIn(kResizedCases),
                         [](const auto& item) { return std::string(item.param.name); });

ImageSize JpegFileSize(const std::string& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  return {jpeg.Width(), jpeg.Height()};
}

// What an export must write when it scales: the decoded source, resampled with the given
// filter and a support of 3, encoded at the given quality.
std::vector<uint8_t> ScaledAndEncoded(TBitmap source, ImageSize size, FilterFunction filter,
                                      int quality) {
  TBitmap target;
  ResampleBitmap(source, target, size.width, size.height, filter, 3.0f);
  TJPEGImage jpeg;
  jpeg.compression_quality = quality;
  jpeg.Assign(target);
  return jpeg.SaveToBytes();
}

std::vector<uint8_t> Encoded(const TBitmap& bitmap, int quality) {
  TJPEGImage jpeg;
  jpeg.compression_quality = quality;
  jpeg.Assign(bitmap);
  return jpeg.SaveToBytes();
}

TBitmap DecodedJpeg(const std::string& path) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(path);
  TBitmap bitmap;
  jpeg.AssignTo(bitmap);
  return bitmap;
}

class ImageExportTest : public testing::Test {
 protected:
  ImageExportTest() {
    fs::create_directory(dir_.Path() / "in");
    fs::create_directory(dir_.Path() / "out");
    settings_ = test::DefaultGallerySettings();
    settings_.InputPath = dir_ / "in";
    settings_.OutputPath = dir_ / "out";
  }

  KM_ListElement Entry(const std::string& file_name, PictureKind kind = PictureKind::kJpeg) const {
    KM_ListElement entry = test::MakeEntry(file_name);
    entry.FullPath = In(file_name);
    entry.ImageKind = kind;
    return entry;
  }
  std::string In(const std::string& name) const { return (dir_.Path() / "in" / name).string(); }
  std::string Out(const std::string& name) const { return (dir_.Path() / "out" / name).string(); }
  std::vector<std::string> OutputFiles() const {
    std::vector<std::string> names;
    for (const auto& item : fs::directory_iterator(dir_.Path() / "out")) {
      names.push_back(item.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TempDir dir_;
  KM_Class settings_;
};

TEST_F(ImageExportTest, SmallJpegIsCopiedByteForByteAndItsThumbnailReencoded) {
  fs::copy_file(SamplesDir() / "jpg/exif-org/canon-ixus.jpg", In("canon.jpg"));
  KM_ListElement entry = Entry("canon.jpg");
  ExportImage(settings_, entry);

  EXPECT_EQ(entry.Width, 640);
  EXPECT_EQ(entry.Height, 480);
  EXPECT_EQ(ReadBytes(Out("n_canon.jpg")), ReadBytes(In("canon.jpg")));
  EXPECT_EQ(JpegFileSize(Out("t_canon.jpg")), (ImageSize{160, 120}));
  EXPECT_EQ(ReadBytes(Out("t_canon.jpg")),
            ScaledAndEncoded(DecodedJpeg(In("canon.jpg")), {160, 120}, Lanczos3Filter, 90));
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"n_canon.jpg", "t_canon.jpg"}));
}

TEST_F(ImageExportTest, TinyJpegKeepsItsSizeButTheThumbnailIsStillResampled) {
  test::WriteJpeg(In("tiny.jpg"), test::GrainyPicture(120, 90));
  KM_ListElement entry = Entry("tiny.jpg");
  ExportImage(settings_, entry);
  EXPECT_EQ(ReadBytes(Out("n_tiny.jpg")), ReadBytes(In("tiny.jpg")));
  EXPECT_EQ(ReadBytes(Out("t_tiny.jpg")),
            ScaledAndEncoded(DecodedJpeg(In("tiny.jpg")), {120, 90}, Lanczos3Filter, 90));
  EXPECT_NE(ReadBytes(Out("t_tiny.jpg")), ReadBytes(In("tiny.jpg")));
}

struct ScaledCase {
  const char* name;
  int32_t width, height;
  ImageSize thumbnail, resized;
};

// clang-format off
const ScaledCase kScaledCases[] = {
  {"Landscape",     1200,  900, {160, 120}, {800, 600}},
  {"Portrait",       900, 1200, {120, 160}, {450, 600}},
  {"WideButTooHigh", 700,  650, {160, 149}, {646, 600}},
  {"Panorama",      6400,  100, {160,   2}, {800,  12}},
};
// clang-format on

class ScaledExportTest : public ImageExportTest, public testing::WithParamInterface<ScaledCase> {};

TEST_P(ScaledExportTest, WritesBothSizesByTheRules) {
  const ScaledCase& c = GetParam();
  test::WriteJpeg(In("big.jpg"), test::GrainyPicture(c.width, c.height));
  KM_ListElement entry = Entry("big.jpg");
  ExportImage(settings_, entry);
  EXPECT_EQ((ImageSize{entry.Width, entry.Height}), (ImageSize{c.width, c.height}));
  EXPECT_EQ(JpegFileSize(Out("t_big.jpg")), c.thumbnail);
  EXPECT_EQ(JpegFileSize(Out("n_big.jpg")), c.resized);
}

INSTANTIATE_TEST_SUITE_P(Cases, ScaledExportTest, testing::ValuesIn(kScaledCases),
                         [](const auto& item) { return std::string(item.param.name); });

struct FilterCase {
  int32_t filter_index;
  FilterFunction expected;
};

class FilterChoiceTest : public ImageExportTest, public testing::WithParamInterface<FilterCase> {};

// The resized image uses the filter of FilterIndex (Lanczos3 outside the list), the
// thumbnail always Lanczos3; each output at its own quality.
TEST_P(FilterChoiceTest, ResizedImageUsesTheChosenFilterAndTheThumbnailLanczos3) {
  settings_.FilterIndex = GetParam().filter_index;
  settings_.QualityImages = 75;
  settings_.QualityThumbnails = 60;
  test::WriteJpeg(In("photo.jpg"), test::GrainyPicture(1000, 700));
  KM_ListElement entry = Entry("photo.jpg");
  ExportImage(settings_, entry);

  const TBitmap source = DecodedJpeg(In("photo.jpg"));
  EXPECT_EQ(ReadBytes(Out("n_photo.jpg")),
            ScaledAndEncoded(source, {800, 560}, GetParam().expected, 75));
  EXPECT_EQ(ReadBytes(Out("t_photo.jpg")),
            ScaledAndEncoded(source, {160, 112}, Lanczos3Filter, 60));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, FilterChoiceTest,
    testing::Values(FilterCase{0, SplineFilter}, FilterCase{1, BellFilter},
                    FilterCase{2, TriangleFilter}, FilterCase{3, BoxFilter},
                    FilterCase{4, HermiteFilter}, FilterCase{5, Lanczos3Filter},
                    FilterCase{6, MitchellFilter}, FilterCase{7, Lanczos3Filter},
                    FilterCase{-1, Lanczos3Filter}),
    [](const auto& item) {
      const int32_t index = item.param.filter_index;
      return index < 0 ? std::string("Minus1") : "Index" + std::to_string(index);
    });

TEST_F(ImageExportTest, BmpThatFitsIsEncodedAtImageQuality) {
  const TBitmap picture = test::GrainyPicture(640, 480);
  test::WriteBytes(In("scan.bmp"), picture.SaveToBmpBytes());
  settings_.QualityImages = 80;
  KM_ListElement entry = Entry("scan.bmp", PictureKind::kBmp);
  ExportImage(settings_, entry);
  EXPECT_EQ(ReadBytes(Out("n_scan.jpg")), Encoded(picture, 80));
  EXPECT_EQ(ReadBytes(Out("t_scan.jpg")),
            ScaledAndEncoded(picture, {160, 120}, Lanczos3Filter, 90));
}

TEST_F(ImageExportTest, TiffIsDecodedAndEncoded) {
  const fs::path sample = SamplesDir() / "tiff/DudleyLeavittUtah.tiff";
  fs::copy_file(sample, In("dudley.tif"));
  TTIFFFile tiff;
  tiff.LoadFromFile(sample.string());
  const TBitmap& picture = tiff.Bitmap();
  const ImageSize size{picture.Width(), picture.Height()};

  KM_ListElement entry = Entry("dudley.tif", PictureKind::kTiff);
  settings_.CopyOrgSizedImages = true;
  ExportImage(settings_, entry);
  EXPECT_EQ((ImageSize{entry.Width, entry.Height}), size);
  EXPECT_EQ(JpegFileSize(Out("t_dudley.jpg")),
            ThumbnailSize(size.width, size.height, settings_.MaxSizeThumbnails));
  // The picture fits 800 x 600, so both it and its full-size copy are encoded unscaled.
  ASSERT_LE(size.width, 800);
  ASSERT_LE(size.height, 600);
  EXPECT_EQ(ReadBytes(Out("n_dudley.jpg")), Encoded(picture, 90));
  EXPECT_EQ(ReadBytes(Out("b_dudley.jpg")), Encoded(picture, 90));
}

TEST_F(ImageExportTest, FullSizeCopyOfAJpegIsByteForByte) {
  test::WriteJpeg(In("big.jpg"), test::GrainyPicture(1200, 900));
  settings_.CopyOrgSizedImages = true;
  KM_ListElement entry = Entry("big.jpg");
  ExportImage(settings_, entry);
  EXPECT_EQ(ReadBytes(Out("b_big.jpg")), ReadBytes(In("big.jpg")));
  EXPECT_EQ(OutputFiles(), (std::vector<std::string>{"b_big.jpg", "n_big.jpg", "t_big.jpg"}));
}

TEST_F(ImageExportTest, FullSizeCopyOfABmpIsEncodedAtImageQuality) {
  const TBitmap picture = test::GrainyPicture(300, 200);
  test::WriteBytes(In("scan.bmp"), picture.SaveToBmpBytes());
  settings_.CopyOrgSizedImages = true;
  settings_.QualityImages = 70;
  KM_ListElement entry = Entry("scan.bmp", PictureKind::kBmp);
  ExportImage(settings_, entry);
  EXPECT_EQ(ReadBytes(Out("b_scan.jpg")), Encoded(picture, 70));
}

// A byte copy that fails is an error naming the file, like any other failed write: the
// pages link to the copy.
struct FailedCopyCase {
  const char* name;
  int32_t width, height;  // of the JPEG source
  bool full_size_copy;
  const char* blocked;  // the output with a folder in its way
};

void PrintTo(const FailedCopyCase& c, std::ostream* out) {
  *out << c.name;
}

class FailedCopyTest : public ImageExportTest,
                       public testing::WithParamInterface<FailedCopyCase> {};

TEST_P(FailedCopyTest, RaisesNamingTheCopy) {
  const FailedCopyCase& c = GetParam();
  test::WriteJpeg(In("pic.jpg"), test::GrainyPicture(c.width, c.height));
  settings_.CopyOrgSizedImages = c.full_size_copy;
  fs::create_directory(Out(c.blocked));
  KM_ListElement entry = Entry("pic.jpg");
  try {
    ExportImage(settings_, entry);
    FAIL() << "no error";
  } catch (const EFileError& error) {
    EXPECT_NE(std::string(error.what()).find(Out(c.blocked)), std::string::npos) << error.what();
  }
  EXPECT_TRUE(fs::is_directory(Out(c.blocked)));
  // Nothing else is left half-made in the folder.
  for (const std::string& name : OutputFiles()) {
    EXPECT_EQ(name.rfind(".km-", 0), std::string::npos) << name;
  }
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, FailedCopyTest, testing::Values(
    FailedCopyCase{"FullSizeCopy",     1200, 900, true,  "b_pic.jpg"},
    FailedCopyCase{"SmallJpegCopy",     640, 480, false, "n_pic.jpg"}),
    [](const auto& item) { return std::string(item.param.name); });
// clang-format on

TEST_F(ImageExportTest, ExistingOutputsAreReplaced) {
  test::WriteText(Out("n_canon.jpg"), "old");
  test::WriteText(Out("t_canon.jpg"), "old");
  fs::copy_file(SamplesDir() / "jpg/exif-org/canon-ixus.jpg", In("canon.jpg"));
  KM_ListElement entry = Entry("canon.jpg");
  ExportImage(settings_, entry);
  EXPECT_EQ(ReadBytes(Out("n_canon.jpg")), ReadBytes(In("canon.jpg")));
  EXPECT_EQ(JpegFileSize(Out("t_canon.jpg")), (ImageSize{160, 120}));
}

TEST_F(ImageExportTest, UndecodableSourceRaisesAndWritesNothing) {
  test::WriteText(In("broken.jpg"), "this is no picture");
  KM_ListElement entry = Entry("broken.jpg");
  EXPECT_THROW(ExportImage(settings_, entry), EJPEG);
  test::WriteBytes(In("broken.bmp"), {'B', 'M', 0, 0});
  KM_ListElement bmp = Entry("broken.bmp", PictureKind::kBmp);
  EXPECT_THROW(ExportImage(settings_, bmp), EKelmora);
  KM_ListElement missing = Entry("missing.tif", PictureKind::kTiff);
  EXPECT_THROW(ExportImage(settings_, missing), EFileError);
  EXPECT_TRUE(OutputFiles().empty());
}

TEST_F(ImageExportTest, OutputThatCannotBeWrittenRaises) {
  test::WriteJpeg(In("big.jpg"), test::GrainyPicture(1200, 900));
  settings_.OutputPath = (dir_.Path() / "no such folder").string();
  KM_ListElement entry = Entry("big.jpg");
  EXPECT_THROW(ExportImage(settings_, entry), EKelmora);
}

}  // namespace
}  // namespace kelmora
