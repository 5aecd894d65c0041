#pragma once

#include <string>

namespace kelmora {

// Publishes a byte copy of a JPEG file without its GPS position: the copy holds the
// source's bytes except that the GPS directory of its EXIF data (and the GPS properties of
// its XMP data) are blanked. Only the metadata segments before the picture data are held in
// memory; the rest is copied piece by piece, and the copy replaces `to` in one step. Raises
// EFileError when the source cannot be read or the copy cannot be written (an existing `to`
// is then left as it was).
void CopyWithoutLocation(const std::string& from, const std::string& to);

}  // namespace kelmora
