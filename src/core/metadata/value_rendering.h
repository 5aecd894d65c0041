#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace kelmora {

class TImageInfo;

// Bytes per value of a TIFF field type; 0 for type numbers outside 1 ... 12.
int TypeSize(uint16_t type);

// The number in raw bytes of a TIFF type: integer types take all bytes as one integer
// (low 32 bits, signed), rationals their quotient (0 for a zero denominator), FLOAT and
// DOUBLE their IEEE value; 0 for text, UNDEFINED, unknown types and too few bytes.
double NumericValueOf(std::string_view raw, uint16_t type, bool big_endian);

// Display text of at most eight values of raw, by type, value table and format pattern.
std::string RenderValue(std::string_view raw, uint16_t type, std::string_view code,
                        std::string_view format, bool big_endian);

// The text of value_text in a value table "1:Text,2:Other"; "" when it is not listed.
std::string DecodeValueTable(std::string_view code, std::string_view value_text);

// At most 50 characters, control characters shown as ".".
std::string PrintableText(std::string_view text);

// "num/den" to its quotient; 0 when either part is not an integer or den is 0.
double RatioOfText(std::string_view text);

// The k-th comma-separated field of text (1-based, leading blank kept), "" beyond the last.
std::string ListField(std::string_view text, int k);

// A decimal integer with optional leading blanks and sign; nullopt for anything else and
// for values outside the 32-bit range.
std::optional<int32_t> ParseDecimalInt(std::string_view text);

// text without leading and trailing blanks and control characters.
std::string_view TrimBlanks(std::string_view text);

// True when a and b differ at most in the letter case of ASCII letters.
bool EqualIgnoringCase(std::string_view a, std::string_view b);

// The text before the first ", " of a list of rationals (all of it when there is none) and
// the text from the character after that comma on, at most 64 characters.
std::pair<std::string_view, std::string_view> SplitRationalList(std::string_view text);

// Special renderers of the EXIF dictionaries: each receives the generic rendered text.
std::string ComponentsText(const std::string& text);
std::string ShutterSpeedText(const std::string& text);
// Raises EConvertError when text is not an integer.
std::string FlashText(const std::string& text);
std::string UserCommentTail(const std::string& text);
std::string UnicodeTagText(const std::string& text);
std::string GpsPositionText(const std::string& text);
std::string GpsTimeText(const std::string& text);

// Adds the focal length in 35 mm film computed from the sensor size, unless the file
// states it; runs after every walk of the EXIF directories.
void AddDerivedFocalLength(TImageInfo& info);

}  // namespace kelmora
