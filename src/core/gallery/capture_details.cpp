#include "gallery/capture_details.h"

#include <cmath>
#include <cstdio>
#include <string_view>
#include <vector>

#include "common/day_number.h"

namespace kelmora {
namespace {

constexpr std::string_view kPartSeparator = " \xC2\xB7 ";  // a middle dot in UTF-8
// 9999-12-31 as a day number: no later date is written.
constexpr double kLastDayNumber = 2958466.0;

// A value with at most one decimal, without a trailing ".0": 8 -> "8", 2.8 -> "2.8".
std::string ShortDecimal(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.1f", value);
  std::string result = text;
  if (result.size() > 2 && result.compare(result.size() - 2, 2, ".0") == 0) {
    result.resize(result.size() - 2);
  }
  return result;
}

int64_t GreatestCommonDivisor(int64_t a, int64_t b) {
  while (b != 0) {
    const int64_t rest = a % b;
    a = b;
    b = rest;
  }
  return a;
}

// A unit fraction as it is ("1/250 s", "1/2 s"), whole seconds as a number, other values
// as decimal seconds from a quarter second on and as the nearest unit fraction below.
std::string ExposureTimeText(const ExifRational& time) {
  const int64_t divisor = GreatestCommonDivisor(time.numerator, time.denominator);
  const int64_t numerator = time.numerator / divisor;
  const int64_t denominator = time.denominator / divisor;
  if (denominator == 1) return std::to_string(numerator) + " s";
  if (numerator == 1) return "1/" + std::to_string(denominator) + " s";
  const double seconds = time.Value();
  if (seconds >= 0.25) return ShortDecimal(seconds) + " s";
  return "1/" + std::to_string(std::llround(1.0 / seconds)) + " s";
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (prefix.size() > text.size()) return false;
  for (size_t i = 0; i < prefix.size(); ++i) {
    char a = text[i];
    char b = prefix[i];
    if (a >= 'A' && a <= 'Z') a = static_cast<char>(a + 32);
    if (b >= 'A' && b <= 'Z') b = static_cast<char>(b + 32);
    if (a != b) return false;
  }
  return true;
}

}  // namespace

int32_t UsableOrientation(int64_t value) {
  return value >= 1 && value <= 8 ? static_cast<int32_t>(value) : 1;
}

bool OrientationSwapsSides(int32_t orientation) {
  return orientation >= 5 && orientation <= 8;
}

std::string CaptureDateText(double day_number) {
  if (!std::isfinite(day_number) || day_number <= 0 || day_number >= kLastDayNumber) return {};
  // Whole seconds first, so 10:11:59.9999... is not shown as 10:11 by a rounding error
  // of the day fraction, then the seconds are dropped.
  const auto seconds = static_cast<int64_t>(std::llround(day_number * 86400.0));
  const int64_t days = seconds / 86400;
  const int64_t second_of_day = seconds % 86400;
  const CivilDate date = CivilFromDays(days + kDayNumberEpoch);
  char text[64];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld", date.year, date.month,
                date.day, static_cast<long long>(second_of_day / 3600),
                static_cast<long long>(second_of_day % 3600 / 60));
  return text;
}

std::string CameraText(const std::string& make, const std::string& model) {
  if (make.empty()) return model;
  if (model.empty()) return make;
  if (StartsWithIgnoringCase(model, make)) return model;
  return make + " " + model;
}

std::string ExposureText(const CaptureDetails& details) {
  std::vector<std::string> parts;
  if (details.exposure_time.Present()) parts.push_back(ExposureTimeText(details.exposure_time));
  if (details.f_number.Present()) parts.push_back("f/" + ShortDecimal(details.f_number.Value()));
  if (details.iso > 0) parts.push_back("ISO " + std::to_string(details.iso));
  if (details.focal_length.Present()) {
    parts.push_back(ShortDecimal(details.focal_length.Value()) + " mm");
  }
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += kPartSeparator;
    text += part;
  }
  return text;
}

}  // namespace kelmora
