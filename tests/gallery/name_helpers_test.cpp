#include <gtest/gtest.h>

#include "gallery/file_names.h"
#include "gallery/image_names.h"
#include "gallery/km_list_element.h"
#include "gallery/template_helpers.h"

namespace kelmora {
namespace {

std::string Converted(std::string name) {
  ConvertFileName(name);
  return name;
}

TEST(ConvertFileName, Windows1252AndUtf8GiveTheSameName) {
  const struct {
    std::string cp1252, utf8, expected;
  } cases[] = {
      {"Gr\xF6\xDF"
       "e",
       "Gr\xC3\xB6\xC3\x9F"
       "e",
       "groesse"},
      {"\xDC"
       "bersicht",
       "\xC3\x9C"
       "bersicht",
       "_bersicht"},
      {"Caf\xE9", "Caf\xC3\xA9", "caf_"},
      {"Cr\xE8me Br\xFBl\xE9"
       "e",
       "Cr\xC3\xA8me Br\xC3\xBBl\xC3\xA9"
       "e",
       "cr_me_brul_e"},
      {"\xE0\xE1\xE2\xE4|\xEC\xED\xEE|\xF2\xF3\xF4\xF6|\xF9\xFA\xFB\xFC",
       "\xC3\xA0\xC3\xA1\xC3\xA2\xC3\xA4|\xC3\xAC\xC3\xAD\xC3\xAE|\xC3\xB2\xC3\xB3\xC3\xB4\xC3\xB6|"
       "\xC3\xB9\xC3\xBA\xC3\xBB\xC3\xBC",
       "aaaae_iii_ooooe_uuuue"},
      {"\xC4\xD6\xE3\xE5\xE7\xF1\xFF", "\xC3\x84\xC3\x96\xC3\xA3\xC3\xA5\xC3\xA7\xC3\xB1\xC3\xBF",
       "_______"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Converted(c.cp1252), c.expected) << c.expected;
    EXPECT_EQ(Converted(c.utf8), c.expected) << c.expected;
  }
}

TEST(ConvertFileName, AsciiAndMalformedUtf8) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"abc0189xyz", "abc0189xyz"},
      {"scan.a", "scan_a"},
      {"My Photo-1", "my_photo_1"},
      {"IMG_01\t~", "img_01__"},
      {"\xE2\x82\xAC 5", "__5"},      // one code point beyond Latin-1 is one "_"
      {"\xF0\x9F\x93\xB7x", "_x"},    // so is a four-byte one
      {"\xC3\xA4\xC3", "___"},        // cut short: read byte by byte
      {"\xC0\xAF\xE4", "__ae"},       // overlong form
      {"\xED\xA0\x80\xFC", "i__ue"},  // surrogate
      {"\xF4\x90\x80\x80", "o___"},   // beyond U+10FFFF
  };
  for (const auto& [name, expected] : cases) EXPECT_EQ(Converted(name), expected) << name;
}

TEST(PathWithDelimiter, AddsOneSeparator) {
  EXPECT_EQ(PathWithDelimiter("/out"), "/out/");
  EXPECT_EQ(PathWithDelimiter("/out/"), "/out/");
  EXPECT_EQ(PathWithDelimiter(""), "");
}

TEST(ImageNames, ExtensionFilterAndKind) {
  const std::pair<std::string, std::optional<PictureKind>> cases[] = {
      {"IMG_01.JPG", PictureKind::kJpeg},
      {"holiday.jpeg", PictureKind::kJpeg},
      {"a.Bmp", PictureKind::kBmp},
      {"scan.a.tiff", PictureKind::kTiff},
      {"x.TIF", PictureKind::kTiff},
      {"x.jpe", std::nullopt},
      {"x.png", std::nullopt},
      {"jpg", std::nullopt},
      {"x.jpg.txt", std::nullopt},
      {"x.", std::nullopt},
  };
  for (const auto& [name, kind] : cases) {
    EXPECT_EQ(IsImageFile(name), kind.has_value()) << name;
    EXPECT_EQ(ImageKindOf(name), kind) << name;
  }
  EXPECT_EQ(WithoutLastExtension("scan.a.tiff"), "scan.a");
  EXPECT_EQ(WithoutLastExtension("plain"), "plain");
}

TEST(ReplaceMacro, ReplacesEveryOccurrenceOnce) {
  const struct {
    std::string line, macro, value, expected;
  } cases[] = {
      {"@cp@ of @cp@", "@cp@", "2", "2 of 2"},
      {"@CP@ @cp", "@cp@", "2", "@CP@ @cp"},
      {"x@title@y", "@title@", "a@title@b", "xa@title@by"},
      {"@cp@@", "@cp@", "x@cp", "x@cp@"},
      {"keep @title@ this", "@title@", "delete", ""},
      {"no macro", "@title@", "delete", "no macro"},
      {"", "@cp@", "1", ""},
      {"@cp@", "@cp@", "", ""},
  };
  for (auto c : cases) {
    ReplaceMacro(c.line, c.macro, c.value);
    EXPECT_EQ(c.line, c.expected) << c.macro << " -> " << c.value;
  }
}

TEST(ColorToHtml, PlainAndSystemColours) {
  const std::pair<Color, std::string> cases[] = {
      {0xFFFFFF, "#FFFFFF"},
      {0, "#000000"},
      {0xFF0000, "#0000FF"},
      {0x800080, "#800080"},
      {static_cast<Color>(0x80000005), "#FFFFFF"},  // window
      {static_cast<Color>(0x8000000F), "#F0F0F0"},  // button face
      {static_cast<Color>(0x8000000D), "#0078D7"},  // highlight
      {static_cast<Color>(0x8000001F), "#000000"},  // no such system colour
  };
  for (const auto& [color, html] : cases) EXPECT_EQ(ColorToHtml(color), html) << color;
}

TEST(HtmlEscape, EscapesMarkupCharactersAndBothQuotesOnly) {
  EXPECT_EQ(HtmlEscape("a&b<c>\"d' \xE4@x@"), "a&amp;b&lt;c&gt;&quot;d&#39; \xE4@x@");
}

}  // namespace
}  // namespace kelmora
