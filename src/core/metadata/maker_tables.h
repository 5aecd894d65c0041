#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "metadata/tag_dictionary.h"

namespace kelmora {

// Tag tables of the makers' private directories. Desc is the display name; rows whose
// display name is "Skip" (any letter case) name entries that are passed over.
extern const std::array<TTagRow, 11> NikonTable1;
extern const std::array<TTagRow, 28> NikonTable2;
extern const std::array<TTagRow, 33> OlympTable;
extern const std::array<TTagRow, 26> CasioTable;
extern const std::array<TTagRow, 18> FujifTable;
extern const std::array<TTagRow, 16> CanonTable;
extern const std::array<TTagRow, 12> SeikoTable;
extern const std::array<TTagRow, 6> SanyoTable;
extern const std::array<TTagRow, 2> MinolTable;

// When a dispatch row applies besides its make.
enum class TMakerCondition {
  kAlways,
  kNikonNewFormat,       // Exif version above 0210, or a D-series raw file without one
  kNoteStartsWithNikon,  // the note begins with "Nikon"
  kMinoltaMake,          // the make begins with "MINOLTA" or "KONICA MINOLTA"
};

// How a maker's note is laid out.
struct TMakerLayout {
  std::string_view make;  // first five letters of the camera make, upper case
  TMakerCondition condition;
  std::span<const TTagRow> table;
  int64_t start;         // note position of the directory
  bool offsetsFromExif;  // value offsets count from the EXIF TIFF header, not the note
  int64_t noteBase;      // otherwise: note position = offset + noteBase
  int64_t spillBase;     // a value beyond the note is read at EXIF position spillBase + offset
  bool littleEndian;     // the note is little-endian whatever the EXIF byte order
};

// The makes Kelmora decodes; the first row whose make and condition match is used.
extern const std::array<TMakerLayout, 11> MakerDispatch;

}  // namespace kelmora
