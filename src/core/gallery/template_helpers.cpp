#include "gallery/template_helpers.h"

#include <cstdint>
#include <iterator>

namespace kelmora {
namespace {

struct SystemColor {
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};

// The default colours of a Windows 10 desktop, by system-colour index. Index 25 is unused
// by Windows and, like every index past the table, gives black.
// clang-format off
constexpr SystemColor kSystemColors[] = {
    {200, 200, 200},  //  0 scroll bar
    {  0,   0,   0},  //  1 desktop background
    {153, 180, 209},  //  2 active caption
    {191, 205, 219},  //  3 inactive caption
    {240, 240, 240},  //  4 menu
    {255, 255, 255},  //  5 window
    {100, 100, 100},  //  6 window frame
    {  0,   0,   0},  //  7 menu text
    {  0,   0,   0},  //  8 window text
    {  0,   0,   0},  //  9 caption text
    {180, 180, 180},  // 10 active border
    {244, 247, 252},  // 11 inactive border
    {171, 171, 171},  // 12 application workspace
    {  0, 120, 215},  // 13 highlight
    {255, 255, 255},  // 14 highlight text
    {240, 240, 240},  // 15 button face
    {160, 160, 160},  // 16 button shadow
    {109, 109, 109},  // 17 grey text
    {  0,   0,   0},  // 18 button text
    {  0,   0,   0},  // 19 inactive caption text
    {255, 255, 255},  // 20 button highlight
    {105, 105, 105},  // 21 3-D dark shadow
    {227, 227, 227},  // 22 3-D light
    {  0,   0,   0},  // 23 tooltip text
    {255, 255, 225},  // 24 tooltip background
    {  0,   0,   0},  // 25 unused
    {  0, 102, 204},  // 26 hot-tracked item
    {185, 209, 234},  // 27 active caption gradient
    {215, 228, 242},  // 28 inactive caption gradient
    {  0, 120, 215},  // 29 menu highlight
    {240, 240, 240},  // 30 menu bar
};
// clang-format on

void AppendHexByte(std::string& out, unsigned value) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.push_back(kDigits[(value >> 4) & 0xF]);
  out.push_back(kDigits[value & 0xF]);
}

}  // namespace

void ReplaceMacro(std::string& line, std::string_view macro, std::string_view value) {
  if (macro.empty()) return;
  size_t position = line.find(macro);
  while (position != std::string::npos) {
    if (value == "delete") {
      line.clear();
      return;
    }
    line.replace(position, macro.size(), value);
    position = line.find(macro, position + value.size());
  }
}

std::string PageFileName(std::string_view page_name, int64_t number, std::string_view extension) {
  std::string name(page_name);
  name += std::to_string(number);
  name += extension;
  return name;
}

std::string ColorToHtml(Color color) {
  const auto value = static_cast<uint32_t>(color);
  SystemColor rgb{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                  static_cast<uint8_t>(value >> 16)};
  if (value & 0x80000000u) {
    const uint32_t index = value & 0xFF;
    rgb = index < std::size(kSystemColors) ? kSystemColors[index] : SystemColor{0, 0, 0};
  }
  std::string html = "#";
  AppendHexByte(html, rgb.red);
  AppendHexByte(html, rgb.green);
  AppendHexByte(html, rgb.blue);
  return html;
}

std::string HtmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':  // a template may quote its attributes with single quotes
        out += "&#39;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

}  // namespace kelmora
