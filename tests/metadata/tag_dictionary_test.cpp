#include "metadata/tag_dictionary.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "metadata/value_rendering.h"

namespace kelmora {
namespace {

struct RowCase {
  uint16_t tag;
  DirectoryKind kind;
  const char* name;
  const char* desc;
};

TEST(LookupTag, FindsRowsWithTheirNamesSpelledAsListed) {
  const RowCase cases[] = {
      {0x0001, DirectoryKind::kMain, "InteroperabilityIndex", "Interoperability Index"},
      {0x0122, DirectoryKind::kMain, "GrayReponseUnit", "Gray Reponse Unit"},
      {0x0123, DirectoryKind::kMain, "GrayReponseCurve", "Gray Reponse Curve"},
      {0x0124, DirectoryKind::kMain, "T4Options", "T4 Options"},
      {0x829D, DirectoryKind::kMain, "FNumber", "FNumber"},
      {0x83BB, DirectoryKind::kMain, "IPTC/NAA", "IPTC/NAA"},
      {0x8827, DirectoryKind::kMain, "ISOSpeedRatings", "ISOSpeed Ratings"},
      {0x9216, DirectoryKind::kMain, "TIFF/EPStandardID", "TIFF/ EPStandard ID"},
      {0xA216, DirectoryKind::kMain, "TIFF/EPStandardID", "TIFF/EPStandardID"},
      {0xA405, DirectoryKind::kMain, "FocalLengthin35mmFilm", "Focal Length in 35mm Film"},
      {0xA420, DirectoryKind::kMain, "ImageUniqueID", "Image Unique ID"},
      {0x0000, DirectoryKind::kGps, "GPSVersionID", "GPSVersion ID"},
      {0x0003, DirectoryKind::kGps, "GPSLongitudeRef", "GPSLongitude Ref"},
      {0x0017, DirectoryKind::kGps, "GPSDestBearingkRef", "GPSDest Bearingk Ref"},
      {0x001E, DirectoryKind::kGps, "GPSDifferential", "GPSDifferential"},
  };
  for (const auto& c : cases) {
    TTagEntry entry = LookupTag(c.tag, c.kind);
    EXPECT_EQ(entry.Tag, c.tag) << c.name;
    EXPECT_EQ(entry.Name, c.name);
    EXPECT_EQ(entry.Desc, c.desc);
    EXPECT_EQ(entry.Id, 0);
    EXPECT_TRUE(entry.Data.empty() && entry.Raw.empty());
  }
}

TEST(LookupTag, GivesTheDefaultRecordForTagsNotInTheDictionaryOfTheKind) {
  struct Case {
    uint16_t tag;
    DirectoryKind kind;
  };
  const Case cases[] = {
      {0x1234, DirectoryKind::kMain},
      {0x0000, DirectoryKind::kMain},
      {0xFFFF, DirectoryKind::kMain},
      {0x9003, DirectoryKind::kGps},  // a main tag in a GPS directory
      {0x001F, DirectoryKind::kGps},
      {0x0001, static_cast<DirectoryKind>(3)},
  };
  for (const auto& c : cases) {
    TTagEntry entry = LookupTag(c.tag, c.kind);
    EXPECT_EQ(entry.Tag, 0) << c.tag;
    EXPECT_EQ(entry.Name, "Unknown");
    EXPECT_EQ(entry.Desc, "Unknown");
    EXPECT_TRUE(entry.Code.empty() && entry.FormatS.empty() && entry.Callback == nullptr);
  }
  // GPS tag 1 is GPSLatitudeRef, main tag 1 InteroperabilityIndex: each kind has its own.
  EXPECT_EQ(LookupTag(0x0001, DirectoryKind::kGps).Name, "GPSLatitudeRef");
}

TEST(LookupTag, AttachesValueTablesFormatsAndRenderers) {
  EXPECT_EQ(LookupTag(0x0128, DirectoryKind::kMain).Code, "1:None Specified,2:Inch,3:Centimeter");
  EXPECT_EQ(LookupTag(0x829A, DirectoryKind::kMain).FormatS, "%s sec");
  EXPECT_EQ(LookupTag(0x9209, DirectoryKind::kMain).Callback, &FlashText);
  EXPECT_EQ(LookupTag(0x9101, DirectoryKind::kMain).Callback, &ComponentsText);
  EXPECT_EQ(LookupTag(0x9C9F, DirectoryKind::kMain).Callback, &UnicodeTagText);
  EXPECT_EQ(LookupTag(0x0005, DirectoryKind::kGps).Code, "0:Sealevel");
  EXPECT_EQ(LookupTag(0x0007, DirectoryKind::kGps).Callback, &GpsTimeText);
  for (uint16_t tag : {0x0002, 0x0004, 0x0014, 0x0016}) {
    EXPECT_EQ(LookupTag(tag, DirectoryKind::kGps).Callback, &GpsPositionText) << tag;
  }
}

TEST(Dictionaries, HoldEveryRowOnce) {
  std::set<uint16_t> main_tags;
  for (size_t i = 0; i < kMainDictionaryRows; ++i) main_tags.insert(MainDictionary[i].Tag);
  EXPECT_EQ(main_tags.size(), 250u);
  EXPECT_EQ(*main_tags.begin(), 0x0001);
  EXPECT_EQ(*main_tags.rbegin(), 0xA420);
  for (uint16_t tag = 0; tag < kGpsDictionaryRows; ++tag) {
    EXPECT_EQ(GpsDictionary[tag].Tag, tag);
    EXPECT_TRUE(GpsDictionary[tag].Name.starts_with("GPS"));
  }
}

TEST(FindDictionaryIndex, MatchesNamesIgnoringLetterCase) {
  const int index = FindDictionaryIndex("FocalLengthIn35mmFilm");
  ASSERT_GE(index, 0);
  EXPECT_EQ(MainDictionary[index].Tag, 0xA405);
  EXPECT_EQ(MainDictionaryEntry(index).Desc, "Focal Length in 35mm Film");
  EXPECT_EQ(FindDictionaryIndex("datetimeoriginal"), FindDictionaryIndex("DateTimeOriginal"));
  EXPECT_EQ(MainDictionary[FindDictionaryIndex("datetimeoriginal")].Tag, 0x9003);
  // Duplicate names: the first row wins.
  EXPECT_EQ(MainDictionary[FindDictionaryIndex("FocalPlaneResolutionUnit")].Tag, 0x9210);
  EXPECT_EQ(FindDictionaryIndex("FocalLength35"), -1);
  EXPECT_EQ(FindDictionaryIndex(""), -1);
  EXPECT_EQ(MainDictionaryEntry(-1).Name, "Unknown");
}

TEST(DisplayNameOf, PutsABlankBeforeEachWordThatFollowsNoCapital) {
  const std::pair<const char*, const char*> cases[] = {
      {"ExposureTime", "Exposure Time"},
      {"ISOSpeedRatings", "ISOSpeed Ratings"},
      {"FNumber", "FNumber"},
      {"T4Options", "T4 Options"},
      {"GPSLatitudeRef", "GPSLatitude Ref"},
      {"Unknown", "Unknown"},
      {"xRay", "xRay"},
      {"", ""},
      {"A", "A"},
      {"Special Mode", "Special  Mode"},
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(DisplayNameOf(name), expected) << name;
}

}  // namespace
}  // namespace kelmora
