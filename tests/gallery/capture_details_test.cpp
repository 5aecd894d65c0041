#include "gallery/capture_details.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/day_number.h"
#include "gallery/gallery_fixture.h"
#include "gallery/km_list.h"

namespace kelmora {
namespace {

TEST(CaptureDetails, DateTextIsDayAndMinute) {
  const struct {
    double day_number;
    std::string text;
  } cases[] = {
      {EncodeDayNumber(2004, 5, 6, 7, 8, 9), "2004-05-06 07:08"},
      {EncodeDayNumber(2004, 5, 6, 7, 8, 59), "2004-05-06 07:08"},  // seconds are dropped
      {EncodeDayNumber(1999, 12, 31, 23, 59, 59), "1999-12-31 23:59"},
      {EncodeDayNumber(2024, 2, 29, 0, 0, 0), "2024-02-29 00:00"},
      {EncodeDayNumber(1900, 1, 1, 12, 0, 0), "1900-01-01 12:00"},
      {0, ""},
      {-3.5, ""},
      {1e300, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CaptureDateText(c.day_number), c.text) << c.day_number;
}

TEST(CaptureDetails, CameraTextNamesTheMakeOnce) {
  const struct {
    std::string make, model, text;
  } cases[] = {
      {"Canon", "Canon EOS 40D", "Canon EOS 40D"},
      {"CANON", "Canon PowerShot S40", "Canon PowerShot S40"},
      {"NIKON", "E950", "NIKON E950"},
      {"NIKON CORPORATION", "NIKON D70", "NIKON CORPORATION NIKON D70"},
      {"", "X100", "X100"},
      {"Ricoh", "", "Ricoh"},
      {"", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(CameraText(c.make, c.model), c.text) << c.make;
}

TEST(CaptureDetails, ExposureTextShowsThePartsPresent) {
  auto details = [](ExifRational time, ExifRational f, int64_t iso, ExifRational focal) {
    CaptureDetails d;
    d.exposure_time = time;
    d.f_number = f;
    d.iso = iso;
    d.focal_length = focal;
    return d;
  };
  const struct {
    CaptureDetails details;
    std::string text;
  } cases[] = {
      {details({1, 250}, {8, 1}, 100, {50, 1}),
       "1/250 s \xC2\xB7 f/8 \xC2\xB7 ISO 100 \xC2\xB7 50 mm"},
      {details({10, 2500}, {28, 10}, 0, {58, 10}), "1/250 s \xC2\xB7 f/2.8 \xC2\xB7 5.8 mm"},
      {details({2, 1}, {}, 0, {}), "2 s"},
      {details({13, 10}, {}, 0, {}), "1.3 s"},
      {details({1, 3}, {}, 0, {}), "1/3 s"},
      {details({3, 10}, {}, 0, {}), "0.3 s"},
      {details({3, 1000}, {}, 0, {}), "1/333 s"},
      {details({}, {56, 10}, 0, {}), "f/5.6"},
      {details({}, {}, 400, {}), "ISO 400"},
      {details({0, 0}, {8, 0}, 0, {-5, 1}), ""},  // no denominator, no value
      {details({}, {}, 0, {}), ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExposureText(c.details), c.text) << c.text;
}

TEST(CaptureDetails, OnlyOrientationsOneToEightAreUsed) {
  for (int64_t value = -1; value <= 10; ++value) {
    EXPECT_EQ(UsableOrientation(value), value >= 1 && value <= 8 ? value : 1) << value;
  }
  EXPECT_EQ(UsableOrientation(65536 + 6), 1);
}

// The three macros on image and thumbnail pages, escaped like every value from a file.
TEST(CaptureDetails, MacrosShowTheCurrentImagesDetails) {
  KM_Class settings = test::DefaultGallerySettings();
  KM_List list(settings);
  KM_ListElement& first = list.AddEntry(test::MakeEntry("a.jpg"));
  first.details.capture_date = EncodeDayNumber(2010, 11, 12, 13, 14, 15);
  first.details.camera_make = "A&B";
  first.details.camera_model = "<Cam>";
  first.details.exposure_time = {1, 60};
  first.details.iso = 200;
  list.AddEntry(test::MakeEntry("b.jpg"));  // no EXIF data

  const std::vector<std::string> templ = {"[@capture_date@|@camera@|@exposure@]"};
  std::vector<std::string> page;
  list.ProcessTemplate(templ, page, 2, 1, "image");
  EXPECT_EQ(page, std::vector<std::string>{
                      "[2010-11-12 13:14|A&amp;B &lt;Cam&gt;|1/60 s \xC2\xB7 ISO 200]"});
  list.ProcessTemplate(templ, page, 2, 2, "image");
  EXPECT_EQ(page, std::vector<std::string>{"[||]"});

  settings.SubtitleIndex = SubtitleKind::kCaptureDate;
  settings.ColsCount = 2;
  settings.RowsCount = 1;
  list.ProcessTemplate({"@thumbtable@"}, page, 1, 1, "page");
  ASSERT_EQ(page.size(), 13u);
  EXPECT_EQ(page[4], "    <br>2010-11-12 13:14");
  EXPECT_EQ(page[9], "    <br>");
}

}  // namespace
}  // namespace kelmora
