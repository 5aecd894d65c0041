#pragma once

#include <cstdint>
#include <span>

namespace kelmora {

// Removes the GPS position from the bytes of a JPEG file in place, so that the file can be
// published without telling where it was taken. In every EXIF segment the GPS directory is
// emptied (entry count 0, its entries and their values zeroed); in every XMP segment the
// GPS properties are overwritten with blanks. Nothing moves: the picture data, every other
// tag and every segment keep their bytes and places. Bytes that are not a JPEG file, and
// damaged structures, are left as they are as far as they cannot be read; nothing outside
// the given bytes is read or written. Returns true when anything was changed.
bool StripGpsPosition(std::span<uint8_t> jpeg);

// The same for the TIFF structure of one EXIF segment (starting at its "II" or "MM").
bool StripGpsFromTiff(std::span<uint8_t> tiff);

// The same for the text of one XMP packet.
bool StripGpsFromXmp(std::span<uint8_t> xmp);

}  // namespace kelmora
