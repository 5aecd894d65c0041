#include "common/utf8.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/param_names.h"

namespace kelmora {
namespace {

struct Utf8Case {
  const char* name;
  std::string_view text;
  size_t first_length;  // Utf8SequenceLength(text, 0)
  std::vector<uint32_t> code_points;
  bool valid;
};

class Utf8Test : public testing::TestWithParam<Utf8Case> {};

TEST_P(Utf8Test, MeasuresAndDecodesStrictly) {
  const Utf8Case& c = GetParam();
  EXPECT_EQ(Utf8SequenceLength(c.text, 0), c.first_length);
  std::vector<uint32_t> code_points;
  EXPECT_EQ(DecodeUtf8(c.text, code_points), c.valid);
  if (c.valid) {
    EXPECT_EQ(code_points, c.code_points);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Sequences, Utf8Test,
    testing::Values(Utf8Case{"ascii", "Az", 1, {'A', 'z'}, true},
                    Utf8Case{"two_bytes", "\xC3\xA4", 2, {0xE4}, true},
                    Utf8Case{"three_bytes", "\xE2\x82\xAC", 3, {0x20AC}, true},
                    Utf8Case{"four_bytes", "\xF0\x9F\x98\x80", 4, {0x1F600}, true},
                    Utf8Case{"highest", "\xF4\x8F\xBF\xBF", 4, {0x10FFFF}, true},
                    Utf8Case{"empty", "", 0, {}, true},
                    Utf8Case{"overlong_two", "\xC0\xAF", 0, {}, false},
                    Utf8Case{"overlong_three", "\xE0\x80\xAF", 0, {}, false},
                    Utf8Case{"overlong_four", "\xF0\x8F\xBF\xBF", 0, {}, false},
                    Utf8Case{"surrogate", "\xED\xA0\x80", 0, {}, false},
                    Utf8Case{"above_unicode", "\xF4\x90\x80\x80", 0, {}, false},
                    Utf8Case{"lone_continuation", "\x80", 0, {}, false},
                    Utf8Case{"cut_short", "\xE2\x82", 0, {}, false},
                    Utf8Case{"windows_1252", "\xE4rger", 0, {}, false},
                    Utf8Case{"bad_after_good", "a\xC3", 1, {}, false}),
    test::NameOfCase());

TEST(Utf8SequenceLength, PastTheEndIsZero) {
  EXPECT_EQ(Utf8SequenceLength("ab", 2), 0u);
  EXPECT_EQ(Utf8SequenceLength("a\xC3\xA4", 1), 2u);
}

}  // namespace
}  // namespace kelmora
