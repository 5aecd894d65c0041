#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "settings/km_class.h"

namespace kelmora {

// Leaves the record in the form the main window's controls can hold, as a copy into the
// controls and back would: qualities within 1..100, maximum sizes within the digits of
// their fields, list indices within their lists (a filter index beyond the table of
// resampling filters selects none, -1), the page extension spelt as its list entry. A batch
// run applies this instead of the window, so it gets the same record either way. Nobody has
// checked the lock boxes without a window, so both locks end false; a window sets them from
// its check boxes afterwards.
void ApplyWindowLimits(KM_Class& settings);

// How the window reads its number fields: optional blanks, an optional sign, then decimal
// digits or "$" and hexadecimal digits, and nothing after; the value must fit 32 bits.
// Anything else is no integer (nullopt).
std::optional<int32_t> StrToIntStrict(std::string_view text);

}  // namespace kelmora
