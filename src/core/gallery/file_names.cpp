#include "gallery/file_names.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace kelmora {
namespace {

struct Replacement {
  uint32_t first;  // Latin-1 code point, the same value as the Windows-1252 byte
  uint32_t last;
  std::string_view text;
};

// clang-format off
constexpr Replacement kReplacements[] = {
    {223, 223, "ss"},  // ß
    {224, 226, "a"},   // à á â
    {228, 228, "ae"},  // ä
    {236, 238, "i"},   // ì í î
    {242, 244, "o"},   // ò ó ô
    {246, 246, "oe"},  // ö
    {249, 251, "u"},   // ù ú û
    {252, 252, "ue"},  // ü
};
// clang-format on

void AppendConverted(uint32_t c, std::string& out) {
  if (c >= 'A' && c <= 'Z') c += 'a' - 'A';
  if ((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
    out.push_back(static_cast<char>(c));
    return;
  }
  for (const Replacement& r : kReplacements) {
    if (c >= r.first && c <= r.last) {
      out.append(r.text);
      return;
    }
  }
  out.push_back('_');
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF. Returns false
// for anything else, and for pure ASCII, which needs no decoding.
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& code_points) {
  bool non_ascii = false;
  size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) {
      code_points.push_back(lead);
      ++i;
      continue;
    }
    non_ascii = true;
    int length = 0;
    uint32_t c = 0;
    uint8_t low = 0x80;
    uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      c = lead & 0x0F;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      c = lead & 0x07;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    } else {
      return false;
    }
    if (text.size() - i < static_cast<size_t>(length)) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<uint8_t>(text[i + k]);
      if (next < low || next > high) return false;
      low = 0x80;
      high = 0xBF;
      c = (c << 6) | (next & 0x3F);
    }
    code_points.push_back(c);
    i += length;
  }
  return non_ascii;
}

}  // namespace

void ConvertFileName(std::string& name) {
  std::string converted;
  converted.reserve(name.size() + 8);
  std::vector<uint32_t> code_points;
  if (DecodeUtf8(name, code_points)) {
    for (uint32_t c : code_points) AppendConverted(c, converted);
  } else {
    for (char byte : name) AppendConverted(static_cast<uint8_t>(byte), converted);
  }
  name = std::move(converted);
}

std::string PathWithDelimiter(const std::string& path) {
  if (path.empty() || path.back() == '/') return path;
  return path + '/';
}

}  // namespace kelmora
