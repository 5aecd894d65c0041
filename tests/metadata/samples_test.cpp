// Every bundled camera sample read end to end: result, capture date (IFD0 DateTime, then
// DateTimeOriginal, then DateTimeDigitized) and, where an independent reader is installed,
// the same dates as it reports.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "common/day_number.h"
#include "metadata/exif_report.h"
#include "metadata/img_data.h"
#include "support/param_names.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

struct SampleCase {
  const char* file;  // below tests/data/samples/jpg
  bool read_result;
  const char* capture_date;  // "" when the file has no usable date
};

// Dates as exiftool 12.57 reports them by the same preference.
constexpr SampleCase kSamples[] = {
    {"Canon_40D.jpg", true, "2008-07-31 10:38:11"},
    {"Canon_40D_photoshop_import.jpg", true, "2008-07-31 10:05:49"},
    {"Canon_DIGITAL_IXUS_400.jpg", true, "2008-07-31 17:15:01"},
    {"Canon_PowerShot_S40.jpg", true, "2003-12-14 12:01:44"},
    {"Fujifilm_FinePix6900ZOOM.jpg", true, "2008-07-31 17:17:56"},
    {"Fujifilm_FinePix_E500.jpg", true, "2008-07-31 16:49:10"},
    {"Kodak_CX7530.jpg", true, "2008-07-31 10:39:26"},
    {"Konica_Minolta_DiMAGE_Z3.jpg", true, "2008-07-31 16:45:37"},
    {"Nikon_COOLPIX_P1.jpg", true, "2008-07-31 17:43:03"},
    {"Nikon_D70.jpg", true, "2008-07-31 10:03:44"},
    {"Olympus_C8080WZ.jpg", true, "2008-07-31 13:03:47"},
    {"PaintTool_sample.jpg", true, ""},
    {"Panasonic_DMC-FZ30.jpg", true, "2008-07-31 16:39:24"},
    {"Pentax_K10D.jpg", true, "2008-07-31 15:56:49"},
    {"Reconyx_HC500_Hyperfire.jpg", true, ""},
    {"Ricoh_Caplio_RR330.jpg", true, "2008-07-31 17:36:21"},
    {"Samsung_Digimax_i50_MP3.jpg", true, "2008-07-31 19:03:37"},
    {"Sony_HDR-HC3.jpg", true, "2008-07-31 17:20:21"},
    {"WWL_(Polaroid)_ION230.jpg", true, "2008-07-31 17:32:06"},
    {"exif-org/canon-ixus.jpg", true, "2001-06-09 15:17:32"},
    {"exif-org/fujifilm-dx10.jpg", true, "2001-04-12 20:33:14"},
    {"exif-org/fujifilm-finepix40i.jpg", true, "2000-08-04 18:22:57"},
    {"exif-org/fujifilm-mx1700.jpg", true, "2000-09-02 14:30:10"},
    {"exif-org/kodak-dc210.jpg", true, "2000-10-26 16:46:51"},
    {"exif-org/kodak-dc240.jpg", true, "1999-05-25 21:00:09"},
    {"exif-org/nikon-e950.jpg", true, "2001-04-06 11:51:40"},
    {"exif-org/olympus-c960.jpg", true, "2000-11-08 20:14:38"},
    // Two APP0 segments and an APP12 come first: no metadata among the first four.
    {"exif-org/olympus-d320l.jpg", false, ""},
    {"exif-org/ricoh-rdc5300.jpg", true, "2000-05-31 21:50:40"},
    {"exif-org/sanyo-vpcg250.jpg", true, "1998-01-01 00:00:00"},
    {"exif-org/sanyo-vpcsx550.jpg", true, "2000-11-18 21:14:19"},
    {"exif-org/sony-cybershot.jpg", true, "2000-09-30 10:59:45"},
    {"exif-org/sony-d700.jpg", true, "1998-12-01 14:22:36"},
    {"exif-org/sony-powershota5.jpg", true, ""},
};

std::string SamplePath(const SampleCase& sample) {
  return (test::SamplesDir() / "jpg" / sample.file).string();
}

std::string KelmoraCaptureDate(TimgData& meta) {
  if (!meta.ExifPresent() || !meta.ExifInfo) return "";
  const double date = meta.ExifInfo->CaptureDateTime();
  return date == 0 ? "" : FormatDayNumberText(date);
}

class SampleTest : public testing::TestWithParam<SampleCase> {};

TEST_P(SampleTest, ReadsWithTheExpectedCaptureDate) {
  const SampleCase& sample = GetParam();
  TimgData meta(DetailLevel::kAll);
  EXPECT_EQ(meta.ReadImageFile(SamplePath(sample)), sample.read_result);
  EXPECT_EQ(meta.StatusText, sample.read_result ? "<none>" : "Not an EXIF file");
  EXPECT_EQ(KelmoraCaptureDate(meta), sample.capture_date);
}

// The first of IFD0 ModifyDate, DateTimeOriginal and CreateDate that exiftool finds, in
// the "YYYY-MM-DD HH:MM:SS" form; nullopt when exiftool cannot be run.
std::optional<std::string> ExiftoolCaptureDate(const std::string& path) {
  const std::string command =
      "exiftool -q -q -f -d '%Y-%m-%d %H:%M:%S' -p "
      "'${IFD0:ModifyDate}|${ExifIFD:DateTimeOriginal}|${ExifIFD:CreateDate}' '" +
      path + "' 2>/dev/null";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  if (!pipe) return std::nullopt;
  std::string output;
  std::array<char, 256> chunk{};
  while (fgets(chunk.data(), chunk.size(), pipe.get()) != nullptr) output += chunk.data();
  if (output.empty()) return std::nullopt;
  size_t from = 0;
  while (from <= output.size()) {
    size_t to = output.find_first_of("|\n", from);
    if (to == std::string::npos) to = output.size();
    const std::string field = output.substr(from, to - from);
    // exiftool shows "-" for a missing tag and leaves a date it cannot parse unformatted.
    if (field != "-" && !field.empty()) {
      return field.size() == 19 && field[4] == '-' ? field : std::string();
    }
    from = to + 1;
  }
  return std::string();
}

bool ExiftoolInstalled() {
  return std::system("exiftool -ver >/dev/null 2>&1") == 0;
}

TEST_P(SampleTest, CaptureDateAgreesWithExiftool) {
  if (!ExiftoolInstalled()) GTEST_SKIP() << "exiftool is not installed";
  const SampleCase& sample = GetParam();
  const std::optional<std::string> expected = ExiftoolCaptureDate(SamplePath(sample));
  ASSERT_TRUE(expected.has_value());
  TimgData meta(DetailLevel::kAll);
  meta.ReadImageFile(SamplePath(sample));
  EXPECT_EQ(KelmoraCaptureDate(meta), *expected);
}

INSTANTIATE_TEST_SUITE_P(CameraSamples, SampleTest, testing::ValuesIn(kSamples),
                         [](const auto& item) { return test::TestNameOf(item.param.file); });

TEST(SampleSet, TableCoversEverySampleJpeg) {
  size_t files = 0;
  for (const auto& folder : {test::SamplesDir() / "jpg", test::SamplesDir() / "jpg" / "exif-org"}) {
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
      if (item.path().extension() == ".jpg") ++files;
    }
  }
  EXPECT_EQ(files, std::size(kSamples));
}

}  // namespace
}  // namespace kelmora
