#pragma once

#include <cstdint>

namespace kelmora {

// The JPEG markers the segment walks look for: the byte after 0xFF.
inline constexpr uint8_t kMarkerSoi = 0xD8;  // start of image: the first two bytes are FF D8
inline constexpr uint8_t kMarkerEoi = 0xD9;
inline constexpr uint8_t kMarkerSos = 0xDA;    // start of scan: no metadata segment follows
inline constexpr uint8_t kMarkerApp1 = 0xE1;   // EXIF, XMP
inline constexpr uint8_t kMarkerApp13 = 0xED;  // IPTC
inline constexpr uint8_t kMarkerCom = 0xFE;

}  // namespace kelmora
