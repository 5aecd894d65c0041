#include "settings/window_limits.h"

#include <algorithm>
#include <cstdint>

#include "settings/ini_text.h"
#include "settings/settings_keys.h"

namespace kelmora {

void ApplyWindowLimits(KM_Class& settings) {
  for (const SettingsKey& entry : kSettingsKeys) {
    if (const auto* number = std::get_if<int32_t KM_Class::*>(&entry.field)) {
      int32_t& value = settings.**number;
      if (entry.limit == FieldLimit::kClamp) {
        value = std::clamp(value, entry.low, entry.high);
      } else if (entry.limit == FieldLimit::kListIndex &&
                 (value < entry.low || value > entry.high)) {
        value = -1;
      }
    } else if (const auto* text = std::get_if<std::string KM_Class::*>(&entry.field)) {
      if (entry.limit != FieldLimit::kPageExtension) continue;
      std::string& value = settings.**text;
      // Any other extension stays as typed: the combo box keeps text it has no entry for.
      for (std::string_view extension : kPageExtensions) {
        if (ini_text::EqualsNoCase(value, extension)) value = extension;
      }
    }
  }
  settings.LockInputPath = false;
  settings.LockOutputPath = false;
}

std::optional<int32_t> StrToIntStrict(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  }
  if (i == text.size()) return std::nullopt;
  int64_t value = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    int digit = 0;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    value = value * base + digit;
    if (value > int64_t{INT32_MAX} + 1) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace kelmora
