#include "settings/window_limits.h"

#include <algorithm>

#include "common/ascii_text.h"
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
        if (EqualIgnoringCase(value, extension)) value = extension;
      }
    }
  }
  settings.LockInputPath = false;
  settings.LockOutputPath = false;
}

}  // namespace kelmora
