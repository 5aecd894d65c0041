#include "support/param_names.h"

namespace kelmora::test {

std::string TestNameOf(std::string_view text) {
  std::string name;
  for (char c : text) {
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (keep) {
      name += c;
    } else if (!name.empty() && name.back() != '_') {
      name += '_';
    }
  }
  while (!name.empty() && name.back() == '_') name.pop_back();
  return name.empty() ? std::string("unnamed") : name;
}

}  // namespace kelmora::test
