#include "metadata/value_rendering.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <optional>

#include "common/errors.h"
#include "common/rounding.h"
#include "common/text_format.h"
#include "metadata/image_info.h"
#include "metadata/tag_dictionary.h"

namespace kelmora {

namespace {

constexpr size_t kMaxRenderedValues = 8;
constexpr size_t kMaxPrintableCharacters = 50;
// Each step of splitting a list of rationals keeps at most this many characters.
constexpr size_t kMaxRationalListPiece = 64;
// Diagonal of a 36 x 24 mm film frame.
constexpr double kFilmDiagonalMm = 43.26661531;

bool IsIntegerType(uint16_t type) {
  return type == 1 || type == 3 || type == 4 || type == 6 || type == 8 || type == 9;
}

// The bytes of raw as one integer in the given byte order; bytes beyond the eighth push the
// first ones out of the 64-bit accumulator, and only the low 32 bits are kept.
int32_t AssembleInteger(std::string_view raw, bool big_endian) {
  uint64_t value = 0;
  if (big_endian) {
    for (char c : raw) value = (value << 8) | static_cast<uint8_t>(c);
  } else {
    for (auto it = raw.rbegin(); it != raw.rend(); ++it) {
      value = (value << 8) | static_cast<uint8_t>(*it);
    }
  }
  return static_cast<int32_t>(static_cast<uint32_t>(value));
}

template <typename Float, typename Bits>
double FloatOf(std::string_view raw, bool big_endian) {
  if (raw.size() < sizeof(Bits)) return 0;
  Bits bits = 0;
  for (size_t i = 0; i < sizeof(Bits); ++i) {
    size_t index = big_endian ? i : sizeof(Bits) - 1 - i;
    bits = static_cast<Bits>((bits << 8) | static_cast<uint8_t>(raw[index]));
  }
  return static_cast<double>(std::bit_cast<Float>(bits));
}

// Applies a pattern with one floating-point conversion such as "F%0.1f" or "%5.2f mm". The
// patterns come from Kelmora's own tables; anything but a plain %f, %e or %g conversion is
// copied as it stands rather than handed to printf.
std::string FormatNumber(std::string_view pattern, double value) {
  size_t percent = pattern.find('%');
  if (percent == std::string_view::npos) return std::string(pattern);
  size_t i = percent + 1;
  while (i < pattern.size() &&
         std::string_view("-+ 0#").find(pattern[i]) != std::string_view::npos) {
    ++i;
  }
  size_t digits = 0;
  while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9' && digits < 2) ++i, ++digits;
  if (i < pattern.size() && pattern[i] == '.') {
    ++i;
    digits = 0;
    while (i < pattern.size() && pattern[i] >= '0' && pattern[i] <= '9' && digits < 2) {
      ++i, ++digits;
    }
  }
  if (i >= pattern.size() || std::string_view("feg").find(pattern[i]) == std::string_view::npos) {
    return std::string(pattern);
  }
  std::string conversion(pattern.substr(percent, i + 1 - percent));
  char buffer[512];
  int length = std::snprintf(buffer, sizeof buffer, conversion.c_str(), value);
  std::string formatted =
      length < 0 ? std::string() : std::string(buffer, std::min<size_t>(length, sizeof buffer - 1));
  return std::string(pattern.substr(0, percent)) + formatted + std::string(pattern.substr(i + 1));
}

bool IsContinuation(uint8_t c) {
  return (c & 0xC0) == 0x80;
}

// Length of the valid UTF-8 sequence of two or more bytes at text[i], or 0.
size_t Utf8SequenceAt(std::string_view text, size_t i) {
  uint8_t lead = static_cast<uint8_t>(text[i]);
  size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                  : lead >= 0xE0 && lead <= 0xEF ? 3
                  : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                 : 0;
  if (length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if (!IsContinuation(static_cast<uint8_t>(text[i + k]))) return 0;
  }
  return length;
}

std::string AppendFormatted(const char* pattern, double a, double b, double c) {
  char buffer[256];
  int length = std::snprintf(buffer, sizeof buffer, pattern, a, b, c);
  return length < 0 ? std::string()
                    : std::string(buffer, std::min<size_t>(length, sizeof buffer - 1));
}

}  // namespace

std::optional<int32_t> ParseDecimalInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value > INT32_MAX || value < INT32_MIN) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string_view TrimBlanks(std::string_view text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && static_cast<uint8_t>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<uint8_t>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [&](char x, char y) { return lower(x) == lower(y); });
}

std::pair<std::string_view, std::string_view> SplitRationalList(std::string_view text) {
  size_t separator = text.find(", ");
  if (separator == std::string_view::npos) return {text, std::string_view()};
  return {text.substr(0, separator), text.substr(separator + 1, kMaxRationalListPiece)};
}

int TypeSize(uint16_t type) {
  static constexpr int kSizes[13] = {0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8};
  return type < 13 ? kSizes[type] : 0;
}

double NumericValueOf(std::string_view raw, uint16_t type, bool big_endian) {
  if (IsIntegerType(type)) return AssembleInteger(raw, big_endian);
  if (type == 5 || type == 10) {
    if (raw.size() < 8) return 0;
    int32_t numerator = AssembleInteger(raw.substr(0, 4), big_endian);
    int32_t denominator = AssembleInteger(raw.substr(4, 4), big_endian);
    return denominator == 0 ? 0.0 : static_cast<double>(numerator) / denominator;
  }
  if (type == 11) return FloatOf<float, uint32_t>(raw, big_endian);
  if (type == 12) return FloatOf<double, uint64_t>(raw, big_endian);
  return 0;
}

std::string RenderValue(std::string_view raw, uint16_t type, std::string_view code,
                        std::string_view format, bool big_endian) {
  const size_t size = static_cast<size_t>(TypeSize(type));
  if (size == 0) return "0";
  const size_t count = std::min(raw.size() / size, kMaxRenderedValues);
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (!text.empty()) text += ", ";
    std::string_view value = raw.substr(i * size, size);
    if (IsIntegerType(type)) {
      std::string number = std::to_string(AssembleInteger(value, big_endian));
      text += code.empty() ? number : DecodeValueTable(code, number);
    } else if (type == 5 || type == 10) {
      text += std::to_string(AssembleInteger(value.substr(0, 4), big_endian)) + "/" +
              std::to_string(AssembleInteger(value.substr(4, 4), big_endian));
      if (!code.empty()) text += DecodeValueTable(code, text);
    } else if (type == 11 || type == 12) {
      text += "-9999.99";
    } else {
      text += "?";
    }
  }
  if (format.empty()) return text;
  if (format.find("%s") != std::string_view::npos) return FormatText(format, {text});
  return FormatNumber(format, NumericValueOf(raw, type, big_endian));
}

std::string DecodeValueTable(std::string_view code, std::string_view value_text) {
  std::string key = "," + std::string(TrimBlanks(value_text)) + ":";
  std::string table = "," + std::string(code) + ",";
  size_t found = table.find(key);
  if (found == std::string::npos) return "";
  size_t start = found + key.size();
  return table.substr(start, table.find(',', start) - start);
}

std::string PrintableText(std::string_view text) {
  std::string result;
  size_t characters = 0;
  for (size_t i = 0; i < text.size() && characters < kMaxPrintableCharacters; ++characters) {
    // A valid UTF-8 sequence is one character and is never cut.
    size_t length = std::max<size_t>(Utf8SequenceAt(text, i), 1);
    for (size_t k = 0; k < length; ++k, ++i) {
      uint8_t c = static_cast<uint8_t>(text[i]);
      result += c < 32 ? '.' : static_cast<char>(c);
    }
  }
  return result;
}

double RatioOfText(std::string_view text) {
  size_t slash = text.find('/');
  if (slash == std::string_view::npos) return 0;
  std::optional<int32_t> numerator = ParseDecimalInt(text.substr(0, slash));
  std::optional<int32_t> denominator = ParseDecimalInt(text.substr(slash + 1));
  if (!numerator || !denominator || *denominator == 0) return 0;
  return static_cast<double>(*numerator) / *denominator;
}

std::string ListField(std::string_view text, int k) {
  if (k < 1) return "";
  size_t start = 0;
  for (int field = 1; field < k; ++field) {
    size_t comma = text.find(',', start);
    if (comma == std::string_view::npos) return "";
    start = comma + 1;
  }
  size_t end = text.find(',', start);
  return std::string(text.substr(start, end == std::string_view::npos ? end : end - start));
}

std::string ComponentsText(const std::string& text) {
  static constexpr const char* kNames[] = {"", "Y", "Cb", "Cr", "R", "G", "B"};
  std::string result;
  // The text of an UNDEFINED value starts with a double quote; the components follow it.
  for (size_t i = 1; i < 5 && i < text.size(); ++i) {
    uint8_t c = static_cast<uint8_t>(text[i]);
    if (c >= 1 && c <= 6) result += kNames[c];
  }
  return result;
}

std::string ShutterSpeedText(const std::string& text) {
  // An APEX time value: the exposure lasts 2^-x seconds.
  double x = RatioOfText(text);
  double seconds = 1.0 / std::exp(x * std::log(2.0));
  std::string result = FormatNumber("%4.4f sec", seconds);
  if (seconds <= 0.5) {
    result += " (1/" + std::to_string(RoundHalfEven(1.0L / seconds)) + ")";
  }
  return result;
}

std::string FlashText(const std::string& text) {
  std::optional<int32_t> parsed = ParseDecimalInt(text);
  if (!parsed) throw EConvertError("'" + text + "' is not a valid integer value");
  const int32_t a = *parsed;
  std::string result = (a & 1) ? "On" : "Off";
  switch (a & 6) {
    case 2:
      result += ", UNKNOWN";
      break;
    case 4:
      result += ", no strobe return";
      break;
    case 6:
      result += ", strobe return";
      break;
    default:
      break;
  }
  switch (a & 24) {
    case 8:
      result += ", forced";
      break;
    case 16:
      result += ", surpressed";
      break;
    case 24:
      result += ", auto mode";
      break;
    default:
      break;
  }
  if (a & 32) result += ", no flash function";
  if (a & 64) result += ", red-eye reduction";
  return result;
}

std::string UserCommentTail(const std::string& text) {
  return text.size() > 8 ? text.substr(8) : std::string();
}

std::string UnicodeTagText(const std::string& text) {
  // The text lists the bytes of little-endian UTF-16; the odd fields hold the low bytes.
  const int commas = static_cast<int>(std::count(text.begin(), text.end(), ','));
  std::string result;
  for (int k = 1; k <= commas; k += 2) {
    std::optional<int32_t> value = ParseDecimalInt(ListField(text, k));
    if (value && (*value & 0xFF) != 0) result += static_cast<char>(*value & 0xFF);
  }
  return result;
}

std::string GpsPositionText(const std::string& text) {
  auto [degrees_text, rest] = SplitRationalList(text);
  auto [minutes_text, seconds_rest] = SplitRationalList(rest);
  double degrees = RatioOfText(degrees_text);
  double minutes = RatioOfText(minutes_text);
  double seconds = RatioOfText(SplitRationalList(seconds_rest).first);
  // Minutes written as a decimal fraction carry the seconds in that fraction.
  if (seconds == 0) {
    double whole = std::trunc(minutes);
    seconds = (minutes - whole) * 100 * 0.6;
    minutes = whole;
  }
  return AppendFormatted("%0.0f Degrees %0.0f Minutes %0.0f Seconds", degrees, minutes, seconds);
}

std::string GpsTimeText(const std::string& text) {
  auto [hours_text, rest] = SplitRationalList(text);
  auto [minutes_text, seconds_rest] = SplitRationalList(rest);
  return AppendFormatted("%0.0f:%0.0f:%0.0f", RatioOfText(hours_text), RatioOfText(minutes_text),
                         RatioOfText(SplitRationalList(seconds_rest).first));
}

void AddDerivedFocalLength(TImageInfo& info) {
  if (info.FindTagIndex("FocalLengthin35mmFilm") >= 0) return;
  int32_t unit = info.TagIntByName("FocalPlaneResolutionUnit");
  if (unit < 1) unit = info.TagIntByName("ResolutionUnit");
  const double mm_per_unit = unit == 2 ? 25.4 : unit == 3 ? 10.0 : 0.0;
  const double focal_length = info.TagValueByName("FocalLength");
  if (mm_per_unit == 0 || focal_length == 0) return;
  const int32_t x_resolution = info.TagIntByName("FocalPlaneXResolution");
  const int32_t y_resolution = info.TagIntByName("FocalPlaneYResolution");
  const double width = x_resolution > 0 ? info.Width * mm_per_unit / x_resolution : 0.0;
  const double height = y_resolution > 0 ? info.Height * mm_per_unit / y_resolution : 0.0;
  if (width * height <= 0) return;
  const double focal_length35 =
      focal_length * kFilmDiagonalMm / std::sqrt(width * width + height * height);

  TTagEntry entry = MainDictionaryEntry(FindDictionaryIndex("FocalLengthIn35mmFilm"));
  entry.Data = FormatNumber("%5.2f", focal_length35);
  entry.Raw.clear();
  entry.Size = 0;
  entry.FormatS = "%s mm";
  entry.Type = 10;
  info.AddTag(entry);
  info.InfoText += "\r\n" + entry.Desc + " = " + entry.Data;
}

}  // namespace kelmora
