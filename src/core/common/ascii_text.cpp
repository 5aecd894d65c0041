#include "common/ascii_text.h"

#include <algorithm>

namespace kelmora {
namespace {

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsSpaceOrControl(char c) {
  return static_cast<uint8_t>(c) <= ' ';
}

template <typename Predicate>
std::string_view TrimWhile(std::string_view text, Predicate drop) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && drop(text[begin])) ++begin;
  while (end > begin && drop(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

}  // namespace

std::string ToLowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = LowerAscii(c);
  return lower;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

std::string_view TrimBlanks(std::string_view text) {
  return TrimWhile(text, IsBlank);
}

std::string_view TrimSpaceAndControls(std::string_view text) {
  return TrimWhile(text, IsSpaceOrControl);
}

std::optional<int32_t> ParseDecimalInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
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

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view SkipByteOrderMark(std::string_view text) {
  constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
  while (text.starts_with(kUtf8Mark)) text.remove_prefix(kUtf8Mark.size());
  return text;
}

}  // namespace kelmora
