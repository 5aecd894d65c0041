#pragma once

#include <string>

namespace kelmora {

// Publishes a byte copy of a JPEG file without its GPS position: the copy holds the
// source's bytes except that the GPS directory of its EXIF data (and the GPS properties of
// its XMP data) are blanked. The copy replaces `to` in one step. False when the source
// cannot be read or the copy cannot be written (an existing `to` is then left as it was).
bool CopyWithoutLocation(const std::string& from, const std::string& to);

}  // namespace kelmora
