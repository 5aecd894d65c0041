#include "common/utf8.h"

namespace kelmora {
namespace {

// The value bits of a valid sequence of `length` bytes at text[i].
uint32_t CodePointAt(std::string_view text, size_t i, size_t length) {
  static constexpr uint8_t kLeadBits[5] = {0, 0x7F, 0x1F, 0x0F, 0x07};
  uint32_t c = static_cast<uint8_t>(text[i]) & kLeadBits[length];
  for (size_t k = 1; k < length; ++k) c = (c << 6) | (static_cast<uint8_t>(text[i + k]) & 0x3F);
  return c;
}

}  // namespace

size_t Utf8SequenceLength(std::string_view text, size_t i) {
  if (i >= text.size()) return 0;
  const auto lead = static_cast<uint8_t>(text[i]);
  if (lead < 0x80) return 1;
  size_t length = 0;
  // The second byte's range excludes overlong forms (E0, F0), surrogates (ED) and code
  // points above U+10FFFF (F4).
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() - i < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    const auto next = static_cast<uint8_t>(text[i + k]);
    if (next < low || next > high) return 0;
    low = 0x80;
    high = 0xBF;
  }
  return length;
}

bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& code_points) {
  for (size_t i = 0; i < text.size();) {
    const size_t length = Utf8SequenceLength(text, i);
    if (length == 0) return false;
    code_points.push_back(CodePointAt(text, i, length));
    i += length;
  }
  return true;
}

}  // namespace kelmora
