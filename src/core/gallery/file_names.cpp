#include "gallery/file_names.h"

#include <cstdint>
#include <string_view>
#include <vector>

#include "common/ascii_text.h"
#include "common/utf8.h"

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
  if (c < 0x80) c = static_cast<uint8_t>(LowerAscii(static_cast<char>(c)));
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
