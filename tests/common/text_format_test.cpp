#include "common/text_format.h"

#include <gtest/gtest.h>

namespace kelmora {
namespace {

struct FormatCase {
  const char* pattern;
  std::initializer_list<FormatArg> args;
  const char* expected;
};

TEST(FormatText, FillsPlaceholdersInOrderAndNeverReadsMissingArguments) {
  const FormatCase cases[] = {
      {"Image %d of %d", {int64_t{3}, int64_t{20}}, "Image 3 of 20"},
      {"Incorrect path for input: \"%s\"",
       {std::string_view("/in")},
       "Incorrect path for input: \"/in\""},
      {"%s %s %s", {std::string_view("a")}, "a %s %s"},
      {"no placeholders", {std::string_view("x"), int64_t{1}}, "no placeholders"},
      {"100%% of %d", {int64_t{7}}, "100% of 7"},
      {"%n%x%", {std::string_view("x")}, "%n%x%"},
      {"%d", {std::string_view("text for a number")}, "text for a number"},
      {"%s", {int64_t{-42}}, "-42"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatText(c.pattern, c.args), c.expected) << c.pattern;
  }
}

}  // namespace
}  // namespace kelmora
