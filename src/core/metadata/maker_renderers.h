#pragma once

#include <string>

namespace kelmora {

// Special renderers of the maker tables; each receives the generic rendered text of a value.

// "MODE1", "MODE2" and "MODE3" (after the leading double quote) as the colour spaces they
// stand for; any other mode text as it is.
std::string NikonColorModeText(const std::string& text);
// Four rationals: shortest and longest focal length, largest aperture at each.
std::string LensRangeText(const std::string& text);
// The input followed by one "label = value" line per known field of the array.
std::string CanonSettingsText(const std::string& text);
std::string CanonShotInfoText(const std::string& text);
// The input followed by one line per custom function set in a field (function number in
// the high byte, its setting in the low byte).
std::string CanonCustomText(const std::string& text);

// DecodeValueTable of field k + 1 of text (the first field of a Canon array is its length).
std::string DecodedField(const std::string& text, int k, std::string_view table);

}  // namespace kelmora
