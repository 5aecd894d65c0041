#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelmora {

// Text helpers on bytes. Letter case is ASCII only: bytes from 0x80 on compare and copy
// exactly, so UTF-8 and Windows-1252 text both stay intact.

constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string ToLowerAscii(std::string_view text);
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// Drops leading and trailing blanks: spaces and tabs only.
std::string_view TrimBlanks(std::string_view text);
// Drops leading and trailing bytes up to and including the space: blanks, line ends, zero
// bytes and other control characters.
std::string_view TrimSpaceAndControls(std::string_view text);

// Optional leading blanks (spaces, tabs), an optional sign, then decimal digits only, within
// the 32-bit range; nullopt for anything else.
std::optional<int32_t> ParseDecimalInt(std::string_view text);

// Splits text into lines at CR LF, LF or a lone CR, so files from any system read alike.
// A final line without a line end counts; a final line end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Drops UTF-8 byte-order marks at the start, which some editors put in front of a file they
// save: left in place one would hide the first line's meaning.
std::string_view SkipByteOrderMark(std::string_view text);

}  // namespace kelmora
