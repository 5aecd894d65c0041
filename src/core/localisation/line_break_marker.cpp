#include "localisation/line_break_marker.h"

namespace kelmora {

std::string ExpandLineBreakMarkers(std::string_view value, std::string_view line_break) {
  std::string text;
  text.reserve(value.size());
  size_t start = 0;
  for (size_t found; (found = value.find(kLineBreakMarker, start)) != std::string_view::npos;
       start = found + kLineBreakMarker.size()) {
    text.append(value, start, found - start).append(line_break);
  }
  text.append(value, start, std::string_view::npos);
  return text;
}

}  // namespace kelmora
