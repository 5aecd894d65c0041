#pragma once

#include <string>

namespace kelmora {

// Terminals and pipes get LF line ends, whatever the message texts hold (translations
// and the help text carry CR LF).
inline std::string WithLfLineEnds(std::string text) {
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
  return text;
}

}  // namespace kelmora
