#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace kelmora {

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.

// Length of the valid sequence that starts at text[i]: 1 for an ASCII byte, 2 to 4 for a
// multi-byte character, 0 when the bytes there are not valid UTF-8 (or i is past the end).
size_t Utf8SequenceLength(std::string_view text, size_t i);

// The code points of text; false (code_points then unspecified) when text is not valid.
bool DecodeUtf8(std::string_view text, std::vector<uint32_t>& code_points);

}  // namespace kelmora
