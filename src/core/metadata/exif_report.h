#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kelmora {

// What Kelmora reads from one image file, as the text `kelmora-cli --exif` prints: the read
// result and status, the capture date the catalogue would use, the comment, whether a maker
// note was decoded, the EXIF listing, the maker-note listing, the tag list ("Name = value")
// and the IPTC records. Lines end with "\n". Every value is reported in full, NUL bytes
// included; control characters in values are shown as "\xHH".
std::string ExifReportText(const std::string& path);
// The same for the bytes of a file named file_name (whose extension picks the reader).
std::string ExifReportTextOfBytes(std::string_view file_name, std::span<const uint8_t> bytes);

// text with every control character (0x00 to 0x1F, 0x7F) written as "\\xHH".
std::string EscapeControlCharacters(std::string_view text);

}  // namespace kelmora
