#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "settings/km_class.h"

namespace kelmora {

// Replaces every occurrence of macro in line by value. The value "delete" empties the whole
// line instead. The search goes on after each inserted value, so a value holding its own
// macro is inserted once and never loops.
void ReplaceMacro(std::string& line, std::string_view macro, std::string_view value);

// The file of page number `number` in a set of pages: page_name + number + extension.
std::string PageFileName(std::string_view page_name, int64_t number, std::string_view extension);

// A colour as "#RRGGBB" with upper-case digits. Values with the top bit set are system
// colours (index in the low byte); they resolve to the standard Windows 10 defaults, so a
// gallery looks the same wherever it is made.
std::string ColorToHtml(Color color);

// Text from image files made safe for a page, in text and in attributes quoted either way:
// & < > " ' become entities, nothing else changes.
std::string HtmlEscape(std::string_view text);

}  // namespace kelmora
