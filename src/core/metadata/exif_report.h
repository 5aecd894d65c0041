#pragma once

#include <string>

namespace kelmora {

// What Kelmora reads from one image file, as the text `kelmora-cli --exif` prints: the read
// result and status, the capture date the catalogue would use, the comment, whether a maker
// note was decoded, the EXIF listing, the maker-note listing, the tag list ("Name = value")
// and the IPTC records. Lines end with "\n".
std::string ExifReportText(const std::string& path);

}  // namespace kelmora
