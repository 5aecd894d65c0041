#include "common/text_format.h"

namespace kelmora {

std::string FormatText(std::string_view pattern, std::initializer_list<FormatArg> args) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto next = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 >= pattern.size()) {
      out.push_back(c);
      continue;
    }
    const char spec = pattern[i + 1];
    if (spec == '%') {
      out.push_back('%');
      ++i;
    } else if ((spec == 's' || spec == 'd') && next != args.end()) {
      if (const auto* text = std::get_if<std::string_view>(&*next)) {
        out.append(*text);
      } else {
        out.append(std::to_string(std::get<int64_t>(*next)));
      }
      ++next;
      ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

}  // namespace kelmora
