#include "shell/window_limits.h"

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>

#include "common/ascii_text.h"
#include "imaging/filters.h"
#include "settings/settings_keys.h"

namespace kelmora {

namespace {

int32_t LimitedNumber(int32_t value, const SettingsKey& entry) {
  if (entry.limit == FieldLimit::kClamp) return std::clamp(value, entry.low, entry.high);
  if (entry.limit == FieldLimit::kFilterIndex && (value < 0 || value >= std::ssize(kFilters))) {
    return -1;
  }
  return value;
}

}  // namespace

void ApplyWindowLimits(KM_Class& settings) {
  for (const SettingsKey& entry : kSettingsKeys) {
    std::visit(
        [&](auto member) {
          auto& value = settings.*member;
          using Field = std::remove_reference_t<decltype(value)>;
          if constexpr (std::is_same_v<Field, int32_t>) {
            value = LimitedNumber(value, entry);
          } else if constexpr (std::is_enum_v<Field>) {  // a choice is held as its number
            value = static_cast<Field>(LimitedNumber(static_cast<int32_t>(value), entry));
          } else if constexpr (std::is_same_v<Field, std::string>) {
            if (entry.limit != FieldLimit::kPageExtension) return;
            // Any other extension stays as typed: the combo box keeps text it has no entry for.
            for (std::string_view extension : kPageExtensions) {
              if (EqualIgnoringCase(value, extension)) value = extension;
            }
          }
        },
        entry.field);
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
