#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "metadata/tag_dictionary.h"

namespace kelmora {

// Tag tables of the makers' private directories. Desc is the display name; rows whose
// display name is "Skip" (any letter case) name entries that are passed over.
extern const std::array<TagRow, 11> NikonTable1;
extern const std::array<TagRow, 28> NikonTable2;
extern const std::array<TagRow, 33> OlympTable;
extern const std::array<TagRow, 26> CasioTable;
extern const std::array<TagRow, 18> FujifTable;
extern const std::array<TagRow, 16> CanonTable;
extern const std::array<TagRow, 12> SeikoTable;
extern const std::array<TagRow, 6> SanyoTable;
extern const std::array<TagRow, 2> MinolTable;

// When a dispatch row applies besides its make.
enum class MakerCondition {
  kAlways,
  kNikonNewFormat,       // Exif version above 0210, or a D-series raw file without one
  kNoteStartsWithNikon,  // the note begins with "Nikon"
  kMinoltaMake,          // the make begins with "MINOLTA" or "KONICA MINOLTA"
};

// How a maker's note is laid out.
struct MakerLayout {
  std::string_view make;  // first five letters of the camera make, upper case
  MakerCondition condition;
  std::span<const TagRow> table;
  int64_t start;         // note position of the directory
  bool offsets_from_exif;  // value offsets count from the EXIF TIFF header, not the note
  int64_t note_base;      // otherwise: note position = offset + note_base
  int64_t spill_base;     // a value beyond the note is read at EXIF position spill_base + offset
  bool little_endian;     // the note is little-endian whatever the EXIF byte order
};

// The makes Kelmora decodes; the first row whose make and condition match is used.
extern const std::array<MakerLayout, 11> kMakerDispatch;

}  // namespace kelmora
