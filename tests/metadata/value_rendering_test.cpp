#include "metadata/value_rendering.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "common/errors.h"
#include "metadata/image_info.h"
#include "metadata/tag_dictionary.h"
#include "support/byte_builders.h"

namespace kelmora {
namespace {

constexpr bool kBig = true;
constexpr bool kLittle = false;

std::string Shorts(std::initializer_list<uint16_t> values, bool big_endian = kLittle) {
  std::string out;
  for (uint16_t v : values) out += test::PackBytes(v, 2, big_endian);
  return out;
}

std::string Longs(std::initializer_list<int32_t> values, bool big_endian = kLittle) {
  std::string out;
  for (int32_t v : values) out += test::PackBytes(static_cast<uint32_t>(v), 4, big_endian);
  return out;
}

std::string Rationals(std::initializer_list<std::pair<int32_t, int32_t>> values,
                      bool big_endian = kLittle) {
  std::string out;
  for (auto [n, d] : values) out += Longs({n, d}, big_endian);
  return out;
}

// The generic rendering the EXIF reader applies to a dictionary row.
std::string RenderAs(uint16_t tag, std::string_view raw, uint16_t type, bool big_endian = kLittle) {
  TTagEntry row = LookupTag(tag, DirectoryKind::kMain);
  return RenderValue(raw, type, row.Code, row.FormatS, big_endian);
}

struct RenderCase {
  const char* what;
  uint16_t tag;
  std::string raw;
  uint16_t type;
  bool big_endian;
  std::string expected;
};

TEST(RenderValue, RendersByTypeValueTableAndFormat) {
  const RenderCase cases[] = {
      {"listed orientation", 0x0112, Shorts({6}), 3, kLittle, "CounterClockwise 90°"},
      {"unlisted orientation", 0x0112, Shorts({2}), 3, kLittle, ""},
      {"big-endian short", 0x0112, Shorts({8}, kBig), 3, kBig, "Clockwise 90°"},
      {"several shorts", 0x0102, Shorts({1, 2, 3}), 3, kLittle, "1, 2, 3"},
      {"only eight values", 0x0102, std::string(20, '\x07'), 1, kLittle, "7, 7, 7, 7, 7, 7, 7, 7"},
      {"signed short not sign-extended", 0x0102, Shorts({0xFFFF}), 8, kLittle, "65535"},
      {"signed long", 0x0102, Longs({-5}, kBig), 9, kBig, "-5"},
      {"partial value dropped", 0x0102, Shorts({4}) + "\x01", 3, kLittle, "4"},
      {"rational with %5.2f", 0x011A, Rationals({{72, 1}}), 5, kLittle, "72.00"},
      {"wide rational with %5.2f", 0x011B, Rationals({{300, 1}}, kBig), 5, kBig, "300.00"},
      {"APEX aperture as stored", 0x9202, Rationals({{5, 1}}), 5, kLittle, "F5.0"},
      {"exposure time as text", 0x829A, Rationals({{1, 60}}), 5, kLittle, "1/60 sec"},
      {"signed rational", 0x9204, Rationals({{-1, 3}}), 10, kLittle, "-1/3"},
      {"focal length pattern", 0x920A, Rationals({{63, 10}}), 5, kLittle, " 6.30 mm"},
      {"first item of a table with blanks", 0x0106, Shorts({1}), 3, kLittle, "Monochrome"},
      {"later item of a table with blanks", 0x0106, Shorts({2}), 3, kLittle, ""},
      {"float", 0x0102, test::PackBytes(0x3FC00000, 4, kLittle), 11, kLittle, "-9999.99"},
      {"ascii", 0x0102, "abc", 2, kLittle, "?, ?, ?"},
      {"unknown type", 0x0102, "abcd", 13, kLittle, "0"},
      {"type 0", 0x0102, "abcd", 0, kLittle, "0"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(RenderAs(c.tag, c.raw, c.type, c.big_endian), c.expected) << c.what;
  }
}

TEST(RenderValue, SeparatesValuesOnlyOnceTextExists) {
  // 2 is not in the orientation table: it renders as nothing, but after the first text it
  // still gets its separator.
  EXPECT_EQ(RenderAs(0x0112, Shorts({1, 2, 3}), 3), "Normal, , Rotated 180°");
  EXPECT_EQ(RenderAs(0x0112, Shorts({2, 1}), 3), "Normal");
}

struct NumericCase {
  const char* what;
  std::string raw;
  uint16_t type;
  bool big_endian;
  double expected;
};

TEST(NumericValueOf, AssemblesAllBytesInTheByteOrder) {
  const NumericCase cases[] = {
      {"short", Shorts({300}), 3, kLittle, 300},
      {"two shorts little-endian", Shorts({1, 2}), 3, kLittle, 0x00020001},
      {"two shorts big-endian", Shorts({1, 2}, kBig), 3, kBig, 0x00010002},
      {"sshort not sign-extended", Shorts({0xFFFE}), 8, kLittle, 65534},
      {"slong", Longs({-7}, kBig), 9, kBig, -7},
      {"more than eight bytes keep the low 32 bits", "\x01\x02\x03\x04\x05\x06\x07\x08\x09", 1,
       kBig, 0x06070809},
      {"rational", Rationals({{1, 4}}), 5, kLittle, 0.25},
      {"srational", Rationals({{-3, 2}}, kBig), 10, kBig, -1.5},
      {"zero denominator", Rationals({{5, 0}}), 5, kLittle, 0},
      {"short rational", Longs({5}), 5, kLittle, 0},
      {"float", test::PackBytes(0x3FC00000, 4, kBig), 11, kBig, 1.5},
      {"double", test::PackBytes(0x4004000000000000, 8, kLittle), 12, kLittle, 2.5},
      {"short double", test::PackBytes(0x40040000, 4, kLittle), 12, kLittle, 0},
      {"ascii", "12", 2, kLittle, 0},
      {"undefined", "12", 7, kLittle, 0},
      {"unknown type", "12", 14, kLittle, 0},
      {"empty", "", 4, kLittle, 0},
  };
  for (const auto& c : cases) {
    EXPECT_DOUBLE_EQ(NumericValueOf(c.raw, c.type, c.big_endian), c.expected) << c.what;
  }
}

struct TableCase {
  std::string_view code;
  std::string_view value;
  std::string_view expected;
};

TEST(DecodeValueTable, FindsTheTrimmedValueAmongItems) {
  const TableCase cases[] = {
      {"1:None Specified,2:Inch,3:Centimeter", "2", "Inch"},
      {"1:None Specified,2:Inch,3:Centimeter", " 3 ", "Centimeter"},
      {"1:None Specified,2:Inch,3:Centimeter", "4", ""},
      {"11:Weak,13:Normal,15:Strong", "1", ""},
      {"65535:Low,0:Normal,1:High", "65535", "Low"},
      {"0=Normal,1:Macro;", "0", ""},
      {"0=Normal,1:Macro;", "1", "Macro;"},
      {"1:Monochrome, 2:RGB, 6:YCbCr", "2", ""},
      {"", "1", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DecodeValueTable(c.code, c.value), c.expected) << c.code << " / " << c.value;
  }
}

TEST(PrintableText, CutsAtFiftyCharactersAndMasksControlCharacters) {
  EXPECT_EQ(PrintableText("a\tb\x01"
                          "c\x7F"),
            "a.b.c\x7F");
  EXPECT_EQ(PrintableText(std::string(60, 'x')), std::string(50, 'x'));
  EXPECT_EQ(PrintableText("caf\xE9"), "caf\xE9");  // Windows-1252 bytes pass unchanged
  // A UTF-8 character counts once and is never cut in two.
  std::string umlauts;
  for (int i = 0; i < 60; ++i) umlauts += "\xC3\xBC";
  std::string fifty;
  for (int i = 0; i < 50; ++i) fifty += "\xC3\xBC";
  EXPECT_EQ(PrintableText(umlauts), fifty);
  EXPECT_EQ(PrintableText(std::string(49, 'x') + "\xC3\xBC!"), std::string(49, 'x') + "\xC3\xBC");
}

TEST(RatioOfText, DividesTwoIntegersAndGivesZeroOnAnyFailure) {
  const std::pair<const char*, double> cases[] = {
      {"1/4", 0.25}, {" 7/ 2", 3.5},       {"-3/2", -1.5},  {"7", 0},
      {"a/2", 0},    {"7 /2", 0},          {"1/0", 0},      {"", 0},
      {"/", 0},      {"99999999999/1", 0}, {"5/1, 6/1", 0},
  };
  for (const auto& [text, expected] : cases) EXPECT_DOUBLE_EQ(RatioOfText(text), expected) << text;
}

TEST(ListField, CountsCommaSeparatedFieldsFromOne) {
  EXPECT_EQ(ListField("92, 2, 0", 1), "92");
  EXPECT_EQ(ListField("92, 2, 0", 3), " 0");
  EXPECT_EQ(ListField("92, 2, 0", 4), "");
  EXPECT_EQ(ListField("92, 2, 0", 0), "");
  EXPECT_EQ(ListField("", 1), "");
}

TEST(ShutterSpeedText, ShowsTheApexTimeInSecondsAndAsAFraction) {
  const std::pair<const char*, const char*> cases[] = {
      {"7/1", "0.0078 sec (1/128)"}, {"8/1", "0.0039 sec (1/256)"}, {"1/1", "0.5000 sec (1/2)"},
      {"0/1", "1.0000 sec"},         {"-2/1", "4.0000 sec"},        {"garbage", "1.0000 sec"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ShutterSpeedText(text), expected) << text;
}

TEST(FlashText, NamesTheFiringAndModeBits) {
  const std::pair<const char*, const char*> cases[] = {
      {"0", "Off"},
      {"1", "On"},
      {"65", "On, red-eye reduction"},
      {"32", "Off, no flash function"},
      {"25", "On, auto mode"},
      {"3", "On, UNKNOWN"},
      {"5", "On, no strobe return"},
      {"7", "On, strobe return"},
      {"9", "On, forced"},
      {"16", "Off, surpressed"},
      {"95", "On, strobe return, auto mode, red-eye reduction"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(FlashText(text), expected) << text;
}

TEST(FlashText, FailsOnTextThatIsNoInteger) {
  EXPECT_THROW(FlashText("1, 0"), EConvertError);
  EXPECT_THROW(FlashText(""), EConvertError);
  EXPECT_THROW(FlashText("\"?\""), EConvertError);
}

TEST(ComponentsText, MapsTheFourComponentCodes) {
  EXPECT_EQ(ComponentsText(std::string("\"\x01\x02\x03\"", 5)), "YCbCr");
  EXPECT_EQ(ComponentsText(std::string("\"\x04\x05\x06\x00\"", 6)), "RGB");
  EXPECT_EQ(ComponentsText(std::string("\"\x01\x02\x03\x01\x02\"", 7)), "YCbCrY");
  EXPECT_EQ(ComponentsText("\""), "");
}

TEST(UnicodeTagText, TakesTheLowBytesOfTheFirstFourCharacters) {
  const std::string title("T\0i\0t\0l\0e\0", 10);
  EXPECT_EQ(UnicodeTagText(RenderValue(title, 1, "", "", kLittle)), "Titl");
  EXPECT_EQ(UnicodeTagText(RenderValue(std::string("H\0i\0", 4), 1, "", "", kLittle)), "Hi");
  // The last field is never examined: three bytes give one character.
  EXPECT_EQ(UnicodeTagText(RenderValue(std::string("H\0i", 3), 1, "", "", kLittle)), "H");
  EXPECT_EQ(UnicodeTagText("72"), "");
}

TEST(UserCommentTail, DropsTheEightByteCodePrefix) {
  EXPECT_EQ(UserCommentTail(std::string("ASCII\0\0\0Hello", 13)), "Hello");
  EXPECT_EQ(UserCommentTail("short"), "");
}

TEST(GpsPositionText, ShowsDegreesMinutesAndSeconds) {
  const std::pair<std::string, const char*> cases[] = {
      {"48/1, 51/1, 30/1", "48 Degrees 51 Minutes 30 Seconds"},
      {"48/1, 5130/100, 0/1", "48 Degrees 51 Minutes 18 Seconds"},
      {RenderValue(Rationals({{11, 1}, {3456, 100}, {0, 1}}, kBig), 5, "", "", kBig),
       "11 Degrees 34 Minutes 34 Seconds"},
      {"48/1", "48 Degrees 0 Minutes 0 Seconds"},
      {"", "0 Degrees 0 Minutes 0 Seconds"},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(GpsPositionText(text), expected) << text;
}

TEST(GpsTimeText, ShowsHoursMinutesAndSecondsWithoutLeadingZeros) {
  EXPECT_EQ(GpsTimeText("7/1, 8/1, 9/1"), "7:8:9");
  EXPECT_EQ(GpsTimeText("14/1, 30/1, 1250/100"), "14:30:12");
  EXPECT_EQ(GpsTimeText("14/1"), "14:0:0");
}

// A TImageInfo holding the records a walk over a camera's EXIF data would have made.
class DerivedFocalLength : public ::testing::Test {
 protected:
  void Add(uint16_t tag, uint16_t type, std::string raw) {
    TTagEntry record = LookupTag(tag, DirectoryKind::kMain);
    record.Type = type;
    record.Size = static_cast<int32_t>(raw.size());
    record.Raw = std::move(raw);
    info_.AddTag(record);
  }
  void AddSensor(int32_t unit, uint16_t unit_tag = 0xA210) {
    Add(0x920A, 5, Rationals({{6, 1}}));
    Add(unit_tag, 3, Shorts({static_cast<uint16_t>(unit)}));
    Add(0xA20E, 5, Rationals({{5000, 1}}));
    Add(0xA20F, 5, Rationals({{5000, 1}}));
    info_.Width = 3600;
    info_.Height = 2700;
  }

  TImageInfo info_{DetailLevel::kAll};
};

TEST_F(DerivedFocalLength, ComesFromTheSensorDiagonal) {
  AddSensor(3);  // 7.2 x 5.4 mm, diagonal 9 mm
  AddDerivedFocalLength(info_);
  ASSERT_EQ(info_.TagCount(), 5);
  const TTagEntry& derived = info_.TagList.back();
  EXPECT_EQ(derived.Tag, 0xA405);
  EXPECT_EQ(derived.Name, "FocalLengthin35mmFilm");
  EXPECT_EQ(derived.Data, "28.84");
  EXPECT_EQ(derived.FormatS, "%s mm");
  EXPECT_EQ(derived.Type, 10);
  EXPECT_TRUE(derived.Raw.empty());
  EXPECT_EQ(info_.InfoText, "\r\nFocal Length in 35mm Film = 28.84");
}

TEST_F(DerivedFocalLength, FallsBackToTheImageResolutionUnit) {
  Add(0x0128, 3, Shorts({2}));
  AddSensor(0);  // inch: 3600 px at 5000 px/inch = 18.288 mm wide
  AddDerivedFocalLength(info_);
  EXPECT_EQ(info_.TagList.back().Data, "11.36");
}

TEST_F(DerivedFocalLength, IsNotAddedWhenTheFileStatesIt) {
  AddSensor(3);
  Add(0xA405, 3, Shorts({35}));
  AddDerivedFocalLength(info_);
  EXPECT_EQ(info_.TagCount(), 5);
  EXPECT_EQ(info_.InfoText, "");
}

TEST_F(DerivedFocalLength, NeedsAKnownUnitAndBothResolutions) {
  AddSensor(1);
  AddDerivedFocalLength(info_);
  EXPECT_EQ(info_.TagCount(), 4);

  TImageInfo no_height(DetailLevel::kAll);
  no_height.TagList = info_.TagList;
  no_height.TagList[1].Raw = Shorts({3});
  no_height.TagList.pop_back();  // no FocalPlaneYResolution
  no_height.Width = 3600;
  no_height.Height = 2700;
  AddDerivedFocalLength(no_height);
  EXPECT_EQ(no_height.TagCount(), 3);
}

}  // namespace
}  // namespace kelmora
