#include "common/ascii_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace kelmora {
namespace {

TEST(AsciiCase, FoldsOnlyAsciiLetters) {
  struct Case {
    std::string_view a;
    std::string_view b;
    bool equal;
  };
  const Case cases[] = {
      {"DateTimeOriginal", "datetimeoriginal", true},
      {"[Main]", "[MAIN]", true},
      {"", "", true},
      {"abc", "abcd", false},
      {"@[`{", "@[`{", true},
      {"@", "`", false},  // 0x40 and 0x60 are not letters
      {"[", "{", false},
      {"\xC4", "\xE4", false},  // Windows-1252 umlauts keep their case
      {"\xC3\x84", "\xC3\xA4", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EqualIgnoringCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(ToLowerAscii(c.a) == ToLowerAscii(c.b), c.equal) << c.a << " / " << c.b;
  }
  EXPECT_EQ(ToLowerAscii("A.JPG \xC4Z"), "a.jpg \xC4z");
}

TEST(Trim, BlanksAreSpacesAndTabsControlsIncludeEveryByteUpToTheSpace) {
  struct Case {
    std::string_view text;
    std::string_view blanks_trimmed;
    std::string_view controls_trimmed;
  };
  const Case cases[] = {
      {" \tkey = value\t ", "key = value", "key = value"},
      {"\r\nline\r\n", "\r\nline\r\n", "line"},
      {std::string_view("\0text\0", 6), std::string_view("\0text\0", 6), "text"},
      {"   ", "", ""},
      {"", "", ""},
      {"a b", "a b", "a b"},
      {"\xA0x\xA0", "\xA0x\xA0", "\xA0x\xA0"},  // bytes above 0x7F are text
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TrimBlanks(c.text), c.blanks_trimmed);
    EXPECT_EQ(TrimSpaceAndControls(c.text), c.controls_trimmed);
  }
}

TEST(ParseDecimalInt, AcceptsLeadingBlanksASignAndDigitsWithinTheRange) {
  const std::pair<std::string_view, std::optional<int32_t>> cases[] = {
      {"0", 0},
      {" 257", 257},
      {"\t-4", -4},
      {"+12", 12},
      {"-2147483648", INT32_MIN},
      {"2147483647", INT32_MAX},
      {"2147483648", std::nullopt},
      {"-2147483649", std::nullopt},
      {"99999999999999999999", std::nullopt},
      {"12 ", std::nullopt},
      {"1e3", std::nullopt},
      {"0x10", std::nullopt},
      {"- 5", std::nullopt},
      {"-", std::nullopt},
      {" ", std::nullopt},
      {"", std::nullopt},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(ParseDecimalInt(text), expected) << text;
}

TEST(SplitLines, AnyLineEndEndsALine) {
  const std::pair<std::string_view, std::vector<std::string_view>> cases[] = {
      {"a\r\nb\nc\rd", {"a", "b", "c", "d"}},
      {"a\n", {"a"}},
      {"a\n\nb", {"a", "", "b"}},
      {"\r\n", {""}},
      {"", {}},
      {"last", {"last"}},
  };
  for (const auto& [text, lines] : cases) EXPECT_EQ(SplitLines(text), lines) << text;
}

TEST(SkipByteOrderMark, DropsEveryLeadingMarkOnly) {
  EXPECT_EQ(SkipByteOrderMark("\xEF\xBB\xBF[Main]"), "[Main]");
  EXPECT_EQ(SkipByteOrderMark("\xEF\xBB\xBF\xEF\xBB\xBFx"), "x");
  EXPECT_EQ(SkipByteOrderMark("x\xEF\xBB\xBF"), "x\xEF\xBB\xBF");
  EXPECT_EQ(SkipByteOrderMark("\xEF\xBB"), "\xEF\xBB");
}

}  // namespace
}  // namespace kelmora
