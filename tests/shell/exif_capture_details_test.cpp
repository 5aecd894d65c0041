#include "shell/exif_capture_details.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "gallery/km_list.h"
#include "metadata/image_info.h"
#include "shell/exif_metadata_reader.h"
#include "support/test_support.h"

namespace kelmora {
namespace {

// exiftool's numeric values of one folder's files, by file name: orientation, make, model,
// exposure time, f-number, ISO, focal length and the three dates ("-" where a file has none).
std::map<std::string, std::vector<std::string>> ExiftoolValues(
    const std::filesystem::path& folder) {
  const std::string table = test::ExiftoolOutput(
      "-n -T -f -FileName -IFD0:Orientation -IFD0:Make -IFD0:Model -ExifIFD:ExposureTime "
      "-ExifIFD:FNumber -ExifIFD:ISO -ExifIFD:FocalLength -IFD0:ModifyDate "
      "-ExifIFD:DateTimeOriginal -ExifIFD:CreateDate",
      folder);
  std::map<std::string, std::vector<std::string>> values;
  std::istringstream lines(table);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> fields;
    std::istringstream cells(line);
    std::string cell;
    while (std::getline(cells, cell, '\t')) fields.push_back(cell);
    if (fields.size() == 11) values[fields[0]] = {fields.begin() + 1, fields.end()};
  }
  return values;
}

void ExpectNear(const ExifRational& value, const std::string& expected, const std::string& what) {
  if (expected == "-") {
    EXPECT_FALSE(value.Present()) << what;
    return;
  }
  const double number = std::stod(expected);
  if (number <= 0) return;  // exiftool shows a zero value; Kelmora leaves it out
  ASSERT_TRUE(value.Present()) << what;
  EXPECT_NEAR(value.Value(), number, number * 1e-4) << what;
}

// Every sample photo scanned by the catalogue has the orientation, camera and exposure values
// exiftool reads from it.
TEST(ExifCaptureDetails, ScannedSamplesAgreeWithExiftool) {
  int oriented = 0;
  int files = 0;
  for (const std::filesystem::path& folder :
       {test::SamplesDir() / "jpg", test::SamplesDir() / "jpg/exif-org",
        test::SamplesDir() / "tiff", test::DataDir() / "made"}) {
    const auto expected = ExiftoolValues(folder);
    KM_Class settings;
    settings.InputPath = folder.string();
    ExifMetadataReader reader;
    KM_List list(settings, reader);
    ASSERT_GT(list.ScanInputFolder(), 0) << folder;
    for (int i = 0; i < list.Count(); ++i) {
      const KM_ListElement& entry = list.Entry(i);
      const auto found = expected.find(entry.FileName);
      ASSERT_NE(found, expected.end()) << entry.FileName;
      const std::vector<std::string>& v = found->second;
      const CaptureDetails& d = entry.details;
      const std::string& what = entry.FileName;
      const int orientation = v[0] == "-" ? 1 : std::stoi(v[0]);
      EXPECT_EQ(d.orientation, orientation >= 1 && orientation <= 8 ? orientation : 1) << what;
      EXPECT_EQ(d.camera_make, v[1] == "-" ? "" : v[1]) << what;
      EXPECT_EQ(d.camera_model, v[2] == "-" ? "" : v[2]) << what;
      ExpectNear(d.exposure_time, v[3], what + " exposure");
      ExpectNear(d.f_number, v[4], what + " f-number");
      EXPECT_EQ(d.iso, v[5] == "-" ? 0 : std::stoll(v[5])) << what;
      ExpectNear(d.focal_length, v[6], what + " focal length");
      // The capture date is the first of the three dates present, as the sort takes it.
      const auto date =
          std::find_if(v.begin() + 7, v.end(), [](const auto& t) { return t != "-"; });
      EXPECT_DOUBLE_EQ(d.capture_date, date == v.end() ? 0 : TImageInfo::ExifTextToDateTime(*date))
          << what;
      if (d.orientation != 1) ++oriented;
      ++files;
    }
  }
  EXPECT_GT(files, 40);
  EXPECT_EQ(oriented, 3);  // the made files with orientations 6, 8 and 6
}

}  // namespace
}  // namespace kelmora
