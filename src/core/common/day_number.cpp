#include "common/day_number.h"

#include <cmath>
#include <cstdio>

namespace kelmora {
namespace {

// Days from 0001-01-01 to the given date (Gregorian), for day-number arithmetic.
long long DaysFromCivil(long long y, unsigned m, unsigned d) {
  y -= m <= 2;
  const long long era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<long long>(doe) - 719468;  // days since 1970-01-01
}

}  // namespace

CivilDate CivilFromDays(long long days) {
  const long long z = days + 719468;
  const long long era = (z >= 0 ? z : z - 146096) / 146097;
  const long long doe = z - era * 146097;
  const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long long mp = (5 * doy + 2) / 153;
  const long long day = doy - (153 * mp + 2) / 5 + 1;
  const long long month = mp < 10 ? mp + 3 : mp - 9;
  return {yoe + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

bool IsValidDate(int year, int month, int day) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  const int last = kDays[month - 1] + (month == 2 && leap ? 1 : 0);
  return day <= last;
}

double EncodeDayNumber(int year, int month, int day, int hour, int minute, double second) {
  const long long days =
      DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
      kDayNumberEpoch;
  const double fraction = (hour * 3600.0 + minute * 60.0 + second) / 86400.0;
  // Before the epoch the fraction counts away from zero, as in the day-number convention.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

double DayNumberFromTm(const std::tm& local) {
  return EncodeDayNumber(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min, local.tm_sec);
}

double FileTimeToDayNumber(std::time_t mtime) {
  std::tm local{};
  localtime_r(&mtime, &local);
  local.tm_sec -= local.tm_sec % 2;
  if (local.tm_sec > 58) local.tm_sec = 58;  // a leap second still rounds down to even
  return DayNumberFromTm(local);
}

std::string FormatDayNumberText(double day_number) {
  // Before the epoch the fraction counts away from zero, as in the day-number convention.
  const double whole = std::trunc(day_number);
  auto seconds = static_cast<long long>(std::llround(std::fabs(day_number - whole) * 86400.0));
  auto days = static_cast<long long>(whole);
  if (seconds >= 86400) {  // a fraction that rounds up to midnight of the next day
    seconds -= 86400;
    days += day_number < 0 ? -1 : 1;
  }
  const CivilDate date = CivilFromDays(days + kDayNumberEpoch);
  char text[128];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld", date.year,
                date.month, date.day, seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

}  // namespace kelmora
