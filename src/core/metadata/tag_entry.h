#pragma once

#include <cstdint>
#include <string>

namespace kelmora {

// Special rendering of a tag: receives the generic rendered text, returns the display text.
// May raise EKelmora (the Flash renderer does on a non-integer); that ends the walk of the
// directory holding the entry.
using TagCallback = std::string (*)(const std::string& text);

// Which dictionary names the entries of a directory.
enum class DirectoryKind : int {
  kMain = 1,  // IFD0, Exif, interoperability and sub-image directories
  kGps = 2,
};

// One tag record: a row of the tag dictionaries, maker tables and the IPTC dictionary, and
// an entry of the tag lists.
struct TTagEntry {
  int32_t Id = 0;       // 1 in records made by the maker-note decoder, else 0
  uint16_t Type = 0;    // TIFF field type of the value
  uint16_t Record = 0;  // IPTC record number (2 or 8); 0 elsewhere
  uint16_t Tag = 0;     // 0 marks an empty record
  std::string Name;     // e.g. "DateTimeOriginal"
  std::string Desc;     // display name used in the text listing
  std::string Code;     // value table "value:text,value:text", or empty
  std::string Data;     // rendered value text
  std::string Raw;      // the value's raw bytes
  int64_t Offset = 0;   // 1-based position of the value in the buffer
  std::string FormatS;  // format pattern for the value, or empty
  int32_t Size = 0;     // length of Raw in bytes
  TagCallback Callback = nullptr;
};

}  // namespace kelmora
