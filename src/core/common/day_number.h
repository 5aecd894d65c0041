#pragma once

#include <ctime>
#include <string>

namespace kelmora {

// Dates are day numbers counted from 30 December 1899 (day 0), the fraction being the time
// of day.
double EncodeDayNumber(int year, int month, int day, int hour, int minute, double second);

// A local broken-down time as a day number.
double DayNumberFromTm(const std::tm& local);

// The day number of a file modification time in local time, seconds rounded down to even
// (the two-second resolution of packed file dates).
double FileTimeToDayNumber(std::time_t mtime);

// Day 0 of the day numbers, 1899-12-30, in days since 1970-01-01.
inline constexpr long long kDayNumberEpoch = -25569;

struct CivilDate {
  long long year;
  long long month;  // 1 ... 12
  long long day;    // 1 ... 31
};

// The proleptic Gregorian date of a count of days since 1970-01-01.
CivilDate CivilFromDays(long long days);

// True when the date exists in the proleptic Gregorian calendar.
bool IsValidDate(int year, int month, int day);

// A day number as "YYYY-MM-DD HH:MM:SS", seconds rounded to the nearest.
std::string FormatDayNumberText(double day_number);

}  // namespace kelmora
