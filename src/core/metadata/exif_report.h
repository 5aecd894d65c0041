#pragma once

#include <string>
#include <string_view>

namespace kelmora {

// What Kelmora reads from one image file, as the text `kelmora-cli --exif` prints: the read
// result and status, the capture date the catalogue would use, the comment, whether a maker
// note was decoded, the EXIF listing, the maker-note listing, the tag list ("Name = value")
// and the IPTC records. Lines end with "\n". Every value is reported in full, NUL bytes
// included; control characters in values are shown as "\xHH".
std::string ExifReportText(const std::string& path);

// text with every control character (0x00 to 0x1F, 0x7F) written as "\xHH".
std::string EscapeControlCharacters(std::string_view text);

// A day number as "YYYY-MM-DD HH:MM:SS".
std::string FormatDayNumberText(double dayNumber);

}  // namespace kelmora
