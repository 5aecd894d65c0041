#include "common/day_number.h"

#include <gtest/gtest.h>

#include "common/rounding.h"

namespace kelmora {
namespace {

TEST(DayNumber, CountsFromTheEndOf1899) {
  EXPECT_DOUBLE_EQ(EncodeDayNumber(1899, 12, 30, 0, 0, 0), 0.0);
  EXPECT_DOUBLE_EQ(EncodeDayNumber(1900, 1, 1, 0, 0, 0), 2.0);
  EXPECT_DOUBLE_EQ(EncodeDayNumber(2000, 1, 1, 12, 0, 0), 36526.5);
  EXPECT_DOUBLE_EQ(EncodeDayNumber(1899, 12, 29, 6, 0, 0), -1.25);
}

TEST(CivilFromDays, InvertsEncodeDayNumberAcrossCenturiesAndLeapDays) {
  const struct {
    int year, month, day;
  } cases[] = {{1970, 1, 1},  {1969, 12, 31}, {1899, 12, 30}, {1600, 2, 29}, {1900, 3, 1},
               {2000, 2, 29}, {2100, 2, 28},  {2100, 3, 1},   {1, 1, 1},     {9999, 12, 31}};
  for (const auto& c : cases) {
    const auto days = static_cast<long long>(EncodeDayNumber(c.year, c.month, c.day, 0, 0, 0));
    const CivilDate date = CivilFromDays(days + kDayNumberEpoch);
    EXPECT_EQ(date.year, c.year) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(date.month, c.month) << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(date.day, c.day) << c.year << "-" << c.month << "-" << c.day;
  }
}

TEST(DayNumber, ValidatesCalendarDates) {
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 4, 31));
  EXPECT_FALSE(IsValidDate(0, 1, 1));
}

// Civil dates both ways: each case encodes a date and formats the day number back.
struct DayCase {
  double day;
  const char* text;
};

class DayNumberTextTest : public testing::TestWithParam<DayCase> {};

TEST_P(DayNumberTextTest, FormatsTheCivilDate) {
  EXPECT_EQ(FormatDayNumberText(GetParam().day), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Days, DayNumberTextTest,
    testing::Values(DayCase{0, "1899-12-30 00:00:00"}, DayCase{36526.5, "2000-01-01 12:00:00"},
                    DayCase{-1.25, "1899-12-29 06:00:00"},
                    DayCase{EncodeDayNumber(2024, 2, 29, 23, 59, 59), "2024-02-29 23:59:59"},
                    DayCase{EncodeDayNumber(1900, 3, 1, 0, 0, 0), "1900-03-01 00:00:00"},
                    DayCase{EncodeDayNumber(1601, 3, 1, 0, 0, 1), "1601-03-01 00:00:01"},
                    DayCase{EncodeDayNumber(1, 1, 1, 0, 0, 0), "0001-01-01 00:00:00"},
                    DayCase{EncodeDayNumber(9999, 12, 31, 12, 0, 0), "9999-12-31 12:00:00"},
                    // 23:59:59.6 rounds up into the next day.
                    DayCase{EncodeDayNumber(2023, 12, 31, 23, 59, 59.6), "2024-01-01 00:00:00"}));

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  const std::pair<long double, int32_t> cases[] = {{2.5L, 2},    {3.5L, 4},    {-2.5L, -2},
                                                   {2.4999L, 2}, {2.5001L, 3}, {1e12L, INT32_MAX}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

}  // namespace
}  // namespace kelmora
