#pragma once

#include <string>
#include <string_view>

namespace kelmora {

// A value of a language file stands on one line: a line break in a text is written as this
// marker.
inline constexpr std::string_view kLineBreakMarker = "*|*";

// The value with every marker replaced by line_break (CR LF for messages, LF for window
// texts).
std::string ExpandLineBreakMarkers(std::string_view value, std::string_view line_break);

}  // namespace kelmora
