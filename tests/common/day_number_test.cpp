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

TEST(DayNumber, ValidatesCalendarDates) {
  EXPECT_TRUE(IsValidDate(2000, 2, 29));
  EXPECT_FALSE(IsValidDate(1900, 2, 29));
  EXPECT_FALSE(IsValidDate(2023, 4, 31));
  EXPECT_FALSE(IsValidDate(0, 1, 1));
}

TEST(RoundHalfEven, RoundsHalvesToTheEvenNeighbour) {
  const std::pair<long double, int32_t> cases[] = {{2.5L, 2},    {3.5L, 4},    {-2.5L, -2},
                                                   {2.4999L, 2}, {2.5001L, 3}, {1e12L, INT32_MAX}};
  for (const auto& [value, expected] : cases) EXPECT_EQ(RoundHalfEven(value), expected) << value;
}

}  // namespace
}  // namespace kelmora
