// The EXIF directory walk over hand-built TIFF structures: positions, special tags, the
// capture-date preference, damaged and looping directories.
#include "metadata/image_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/day_number.h"
#include "common/errors.h"
#include "metadata/img_data.h"
#include "support/param_names.h"
#include "support/tiff_builder.h"

namespace kelmora {
namespace {

using Entry = test::TiffEntry;
using test::TiffBuilder;

// An APP1 segment's Data: the length field, "Exif\0\0", the TIFF data.
std::string ExifSegment(const std::string& tiff,
                        const std::string& header = std::string("Exif\0\0", 6)) {
  const size_t size = 2 + header.size() + tiff.size();
  return std::string{char(size >> 8), char(size)} + header + tiff;
}

std::unique_ptr<TimgData> Parse(const std::string& tiff, DetailLevel mode = DetailLevel::kAll) {
  auto meta = std::make_unique<TimgData>(mode);
  meta->ParseExifBytes(ExifSegment(tiff));
  return meta;
}

// --- Capture date -----------------------------------------------------------------------

struct DateCase {
  const char* name;
  const char* date_time;  // IFD0 0x0132, "" = absent
  const char* original;   // Exif 0x9003
  const char* digitized;  // Exif 0x9004
  double expected;
};

class CaptureDateTest : public testing::TestWithParam<std::tuple<DateCase, bool>> {};

TEST_P(CaptureDateTest, PrefersDateTimeThenOriginalThenDigitized) {
  const auto& [c, big_endian] = GetParam();
  TiffBuilder b(big_endian);
  std::vector<Entry> exif;
  if (*c.original) exif.push_back(b.Ascii(0x9003, c.original));
  if (*c.digitized) exif.push_back(b.Ascii(0x9004, c.digitized));
  const int exif_dir = 1;
  std::vector<Entry> ifd0 = {b.Ascii(0x010F, "Maker")};
  if (*c.date_time) ifd0.push_back(b.Ascii(0x0132, c.date_time));
  ifd0.push_back(b.Pointer(0x8769, exif_dir));
  b.AddDirectory(ifd0);
  b.AddDirectory(exif);
  auto meta = Parse(b.Build());
  EXPECT_DOUBLE_EQ(meta->ExifInfo->CaptureDateTime(), c.expected) << c.name;
}

const double k2004 = EncodeDayNumber(2004, 5, 6, 7, 8, 9);
const double k2010 = EncodeDayNumber(2010, 1, 2, 3, 4, 5);
const double k2011 = EncodeDayNumber(2011, 12, 31, 23, 59, 59);

INSTANTIATE_TEST_SUITE_P(
    Preference, CaptureDateTest,
    testing::Combine(testing::Values(DateCase{"all three", "2004:05:06 07:08:09",
                                              "2010:01:02 03:04:05", "2011:12:31 23:59:59", k2004},
                                     DateCase{"original and digitized", "", "2010:01:02 03:04:05",
                                              "2011:12:31 23:59:59", k2010},
                                     DateCase{"digitized only", "", "", "2011:12:31 23:59:59",
                                              k2011},
                                     DateCase{"zero DateTime decides", "0000:00:00 00:00:00",
                                              "2010:01:02 03:04:05", "", 0},
                                     DateCase{"none", "", "", "", 0}),
                     testing::Bool()),
    [](const auto& item) {
      return test::TestNameOf(std::get<0>(item.param).name) +
             (std::get<1>(item.param) ? "_big_endian" : "_little_endian");
    });

struct TextDateCase {
  const char* text;
  double expected;
};

class ExifTextTest : public testing::TestWithParam<TextDateCase> {};

TEST_P(ExifTextTest, ConvertsOnlyValidDates) {
  EXPECT_DOUBLE_EQ(TImageInfo::ExifTextToDateTime(GetParam().text), GetParam().expected)
      << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ExifTextTest,
    testing::Values(TextDateCase{"2004:05:06 07:08:09", k2004},
                    TextDateCase{"2004-05-06T07.08.09", k2004},  // separators are not tested
                    TextDateCase{"2004:05:06 07:08:09 trailing", k2004},
                    TextDateCase{"2004:05:06 07:08:0", 0},  // 18 characters
                    TextDateCase{"2004:00:06 07:08:09", 0}, TextDateCase{"2004:05:00 07:08:09", 0},
                    TextDateCase{"2004:05:06 24:00:00", 0}, TextDateCase{"2004:05:06 07:60:09", 0},
                    TextDateCase{"2001:02:29 07:08:09", 0},
                    TextDateCase{"2000:02:29 00:00:00", EncodeDayNumber(2000, 2, 29, 0, 0, 0)},
                    TextDateCase{"2004:0x:06 07:08:09", 0},
                    TextDateCase{"    :  :     :  :  ", 0}));

// --- Directory layout and special tags -------------------------------------------------

TEST(WalkDirectory, ZeroIfd0OffsetStartsBehindTheHeader) {
  TiffBuilder b(false);
  b.AddDirectory({b.Ascii(0x010F, "Brand")});
  auto meta = Parse(b.Build(0));
  EXPECT_EQ(meta->ExifInfo->CameraMake, "Brand");
}

TEST(WalkDirectory, SkipsEntriesWithoutBytes) {
  TiffBuilder b(false);
  Entry no_count = b.Ascii(0x010F, "Brand");
  no_count.count = 0;
  Entry bad_type = b.Ascii(0x0110, "Model");
  bad_type.type = 13;
  b.AddDirectory({no_count, bad_type, b.Short(0x0112, {6})});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(info.CameraMake, "");
  EXPECT_EQ(info.CameraModel, "");
  ASSERT_EQ(info.TagCount(), 1);
  EXPECT_EQ(info.TagList[0].Name, "Orientation");
  EXPECT_EQ(info.InfoText, "\r\nOrientation = CounterClockwise 90°");
}

TEST(WalkDirectory, FourByteValuesLiveInTheEntryLongerOnesBehindIt) {
  TiffBuilder b(true);
  b.AddDirectory({b.Ascii(0x010F, "abc"), b.Ascii(0x0110, "abcd")});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(info.CameraMake, "abc");
  EXPECT_EQ(info.CameraModel, "abcd");
  // Entry 1 begins at position 9 + 8 + 2; its value field is 8 bytes further.
  EXPECT_EQ(info.TagList[0].Offset, 9 + 8 + 2 + 8);
  // The 5-byte value follows the directory: 2 + 2 * 12 + 4 bytes behind its start.
  EXPECT_EQ(info.TagList[1].Offset, 9 + 8 + 2 + 24 + 4);
  EXPECT_EQ(info.TagList[1].Raw, std::string("abcd\0", 5));
}

TEST(WalkDirectory, OversizedDirectoryContributesNothing) {
  TiffBuilder b(false);
  b.AddDirectory({b.Ascii(0x010F, "Brand")});
  std::string tiff = b.Build();
  tiff[8] = '\xFF';  // 0x13FF entries cannot fit in the segment
  tiff[9] = '\x13';
  auto meta = Parse(tiff);
  EXPECT_EQ(meta->StatusText, "Illegally sized directory");
  EXPECT_EQ(meta->ExifInfo->TagCount(), 0);
  EXPECT_EQ(meta->ExifInfo->CameraMake, "");
}

TEST(WalkDirectory, UserCommentDropsItsPrefixAndLastByte) {
  struct Case {
    std::string value;
    std::string expected;
  };
  for (const Case& c : {Case{std::string("ASCII\0\0\0Hello\0", 14), "Hello"},
                        Case{std::string("ASCII\0\0\0Hello", 13), "Hell"},
                        Case{std::string("ASCII\0\0\0  Hi \0", 14), "Hi"}}) {
    TiffBuilder b(false);
    b.AddDirectory({b.Undefined(0x9286, c.value)});
    auto meta = Parse(b.Build());
    EXPECT_EQ(meta->ExifInfo->UserCommentText, c.expected);
    EXPECT_EQ(meta->ExifInfo->UserCommentLen, int32_t(c.value.size()) - 9);
    EXPECT_EQ(meta->ExifInfo->TagTextByName("UserComment"), c.expected);
  }
}

TEST(WalkDirectory, GpsVersionIsListedButNeverInTheTagList) {
  TiffBuilder b(false);
  b.AddDirectory({b.Pointer(0x8825, 1)});
  b.AddDirectory({{0x0000, 1, 4, std::string("\2\2\0\0", 4)}, b.Ascii(0x0001, "N")});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_NE(info.InfoText.find("\r\nGPSVersion ID = 2, 2, 0, 0"), std::string::npos);
  EXPECT_EQ(info.FindTagIndex("GPSVersionID"), -1);
  EXPECT_GE(info.FindTagIndex("gpslatituderef"), 0);
}

TEST(WalkDirectory, PointerLineComesFirstInTheListingButLastInTheTagList) {
  TiffBuilder b(false);
  b.AddDirectory({b.Pointer(0x8769, 1), b.Short(0x0112, {1})});
  b.AddDirectory({b.Short(0x9209, {0x19})});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  // The Exif directory follows IFD0's two entries: 8 + 2 + 2 * 12 + 4.
  EXPECT_EQ(info.InfoText.substr(0, info.InfoText.find("\r\nOrientation")),
            "\r\nExif Offset = 38\r\nFlash = On, auto mode");
  ASSERT_EQ(info.TagCount(), 3);
  EXPECT_EQ(info.TagList[0].Name, "Flash");
  EXPECT_EQ(info.TagList[1].Name, "ExifOffset");
  EXPECT_EQ(info.FlashValue, 0x19);
}

TEST(WalkDirectory, LaterSizesOverwriteEarlierOnes) {
  TiffBuilder b(false);
  b.AddDirectory({b.Long(0x0100, 4000), b.Short(0x0101, {3000}), b.Pointer(0x8769, 1)});
  b.AddDirectory({b.Short(0xA002, {640}), b.Long(0xA003, 480)});
  auto meta = Parse(b.Build());
  EXPECT_EQ(meta->ExifInfo->Width, 640);
  EXPECT_EQ(meta->ExifInfo->Height, 480);
}

struct ModeCase {
  DetailLevel mode;
  bool listing;
  bool records;
};

class DetailModeTest : public testing::TestWithParam<ModeCase> {};

TEST_P(DetailModeTest, BuildsWhatTheModeAsksForAndTheSpecialValuesAlways) {
  TiffBuilder b(false);
  b.AddDirectory({b.Ascii(0x0132, "2004:05:06 07:08:09"), b.Long(0x0100, 800)});
  auto meta = Parse(b.Build(), GetParam().mode);
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(!info.InfoText.empty(), GetParam().listing);
  EXPECT_EQ(info.TagCount() > 0, GetParam().records);
  EXPECT_EQ(info.Width, 800);
  EXPECT_DOUBLE_EQ(info.CaptureDateTime(), k2004);
}

INSTANTIATE_TEST_SUITE_P(Modes, DetailModeTest,
                         testing::Values(ModeCase{DetailLevel::kInfoText, true, false},
                                         ModeCase{DetailLevel::kTagList, false, false},
                                         ModeCase{DetailLevel::kAll, true, true},
                                         ModeCase{DetailLevel::kNone, false, false},
                                         // not a set of flags: both bits still build neither
                                         ModeCase{static_cast<DetailLevel>(6), false, false}));

TEST(TagLookups, FindByNameIgnoringCase) {
  TiffBuilder b(false);
  b.AddDirectory({b.Rational(0x011A, 7, 2), b.Ascii(0x010F, "Brand")});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(info.FindTagIndex("xresolution"), 0);
  EXPECT_EQ(info.FindTagIndex("NoSuchTag"), -1);
  EXPECT_EQ(info.TagTextByName("MAKE"), "Brand");
  EXPECT_EQ(info.TagTextByName("NoSuchTag"), "");
  EXPECT_EQ(info.TagByName("NoSuchTag").Tag, 0);
  EXPECT_EQ(info.TagByName("Make").Tag, 0x010F);
  EXPECT_DOUBLE_EQ(info.TagValueByName("XResolution"), 3.5);
  EXPECT_EQ(info.TagIntByName("XResolution"), 4);  // halves to the even neighbour
  EXPECT_DOUBLE_EQ(info.TagValueByName("NoSuchTag"), 0);
}

// --- Damaged data ---------------------------------------------------------------------------

TEST(WalkDirectory, BadHeadersWalkNothing) {
  TiffBuilder b(false);
  b.AddDirectory({b.Ascii(0x0132, "2004:05:06 07:08:09")});
  const std::string tiff = b.Build();
  struct Case {
    std::string segment;
    const char* status;
  };
  std::string bad_order = ExifSegment(tiff);
  bad_order[8] = 'X';
  for (const Case& c :
       {Case{ExifSegment(tiff, std::string("Exig\0\0", 6)), "Incorrect Exif header"},
        Case{bad_order, "Invalid Exif alignment marker"}}) {
    TimgData meta(DetailLevel::kAll);
    meta.ParseExifBytes(c.segment);
    EXPECT_EQ(meta.StatusText, c.status);
    EXPECT_EQ(meta.ExifInfo->TagCount(), 0);
    EXPECT_DOUBLE_EQ(meta.ExifInfo->CaptureDateTime(), 0);
  }
}

TEST(WalkDirectory, Ifd0ReadOutsideTheDataFailsTheWalk) {
  TiffBuilder b(false);
  b.AddDirectory({b.Ascii(0x010F, "Brand")});
  EXPECT_THROW(Parse(b.Build(5000)), EKelmora);  // IFD0 beyond the segment
  std::string truncated = b.Build();
  truncated.resize(truncated.size() - 12);  // the entry is cut off
  EXPECT_THROW(Parse(truncated), EKelmora);
}

TEST(WalkDirectory, DamagedSubDirectoryLosesOnlyItself) {
  TiffBuilder b(false);
  Entry wild = b.Pointer(0x8769, -1);
  wild.sub_dir = -1;
  wild.offset = 0x7FFFFFF0;                 // far outside the data
  Entry flash_text = b.Ascii(0x9209, "x");  // the Flash renderer rejects a non-number
  b.AddDirectory({wild, b.Pointer(0xA005, 1), b.Pointer(0x8825, 2), b.Ascii(0x010F, "Brand")});
  b.AddDirectory({b.Ascii(0x0110, "Seen"), flash_text, b.Ascii(0x0131, "Lost")});
  b.AddDirectory({b.Ascii(0x0001, "N")});
  auto meta = Parse(b.Build());
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(info.CameraMake, "Brand");
  EXPECT_EQ(info.CameraModel, "Seen");
  EXPECT_EQ(info.FindTagIndex("Software"), -1);
  EXPECT_GE(info.FindTagIndex("GPSLatitudeRef"), 0);
}

TEST(WalkDirectory, PointersBackIntoTheWalkEndOnlyThatWalk) {
  TiffBuilder b(true);
  // IFD0 points at itself, Exif points back at IFD0, at itself and into its own entries.
  b.AddDirectory({b.Pointer(0x8769, 0), b.Pointer(0x014A, 1), b.Ascii(0x010F, "Brand")});
  Entry into_itself = b.Pointer(0xA005, 1);
  b.AddDirectory({b.Pointer(0x8825, 0), b.Pointer(0xA005, 1), into_itself, b.Short(0x9209, {1})});
  std::string tiff = b.Build();
  auto meta = Parse(tiff);
  const TImageInfo& info = *meta->ExifInfo;
  EXPECT_EQ(info.CameraMake, "Brand");
  EXPECT_EQ(info.FlashValue, 1);
  EXPECT_EQ(info.InfoText.find("Flash"), info.InfoText.rfind("Flash"));  // walked once
}

TEST(WalkDirectory, DeepAndBranchingPointerGraphsStayBounded) {
  // 200 directories, each pointing at every later one: unbounded recursion or revisits
  // would take longer than any test run.
  TiffBuilder b(false);
  constexpr int kDirs = 200;
  for (int d = 0; d < kDirs; ++d) {
    std::vector<Entry> entries;
    for (int next = d + 1; next < kDirs && entries.size() < 40; ++next) {
      entries.push_back(b.Pointer(0x8769, next));
    }
    entries.push_back(b.Short(0x9209, {uint16_t(d)}));
    b.AddDirectory(entries);
  }
  auto meta = Parse(b.Build());
  EXPECT_EQ(meta->ExifInfo->FlashValue, 0);  // IFD0's own entry comes last and is reached
}

TEST(WalkDirectory, OverlappingHugeValuesKeepMemoryBounded) {
  // 5000 entries naming the same 60 KB as their value: 300 MB if every copy were kept.
  TiffBuilder b(false);
  const std::string big(60000, 'a');
  std::vector<Entry> entries;
  for (int i = 0; i < 5000; ++i) {
    Entry e{0x010E, 7, uint32_t(big.size()), ""};
    e.offset = 8 + 2 + 12 * 5000 + 4;
    entries.push_back(e);
  }
  b.AddDirectory(entries);
  std::string tiff = b.Build() + big;
  TimgData meta(DetailLevel::kAll);
  std::string segment = ExifSegment(tiff);
  try {
    meta.ParseExifBytes(segment);
  } catch (const EKelmora&) {
    // Giving up on such data is fine; keeping it all is not.
  }
  uint64_t kept = meta.ExifInfo->InfoText.size();
  for (const TTagEntry& tag : meta.ExifInfo->TagList) kept += tag.Raw.size() + tag.Data.size();
  EXPECT_LT(kept, uint64_t{64} << 20);
}

}  // namespace
}  // namespace kelmora
