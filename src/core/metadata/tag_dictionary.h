#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "metadata/tag_entry.h"

namespace kelmora {

// One row of a constant tag table. std::string cannot live in a constant array, so rows hold
// views of literals and become TTagEntry records through EntryFromRow.
struct TagRow {
  uint16_t Tag = 0;
  std::string_view Name;
  std::string_view Desc;  // empty: made from Name by PrepareDictionaries
  std::string_view Code;
  std::string_view FormatS;
  TagCallback Callback = nullptr;
};

inline constexpr size_t kMainDictionaryRows = 250;
inline constexpr size_t kGpsDictionaryRows = 31;

// The 250 tags of IFD0, Exif, interoperability and sub-image directories sorted by tag, then
// the default record (tag 0, "Unknown") returned for every tag not found.
extern const std::array<TagRow, kMainDictionaryRows + 1> MainDictionary;
// GPS directory tags 0x0000 to 0x001E.
extern const std::array<TagRow, kGpsDictionaryRows> GpsDictionary;

// Makes the display names of rows without one ("ExposureTime" -> "Exposure Time"). Runs once
// per process; every lookup below calls it, so calling it early only moves the work.
void PrepareDictionaries();

// A record of the row of tag in the dictionary of kind, with its display name; the default
// record (tag 0, "Unknown") when there is none.
TTagEntry LookupTag(uint16_t tag, DirectoryKind kind);

// Index of the main-dictionary row whose Name equals name ignoring letter case, or -1.
int FindDictionaryIndex(std::string_view name);

// The main-dictionary row at index (0 ... kMainDictionaryRows, the last being the default
// record) with its display name.
TTagEntry MainDictionaryEntry(int index);

// A record of a table row as it stands (Desc as written in the row).
TTagEntry EntryFromRow(const TagRow& row);

// The display name made from a tag name: a blank before every upper-case letter that
// follows a character other than an upper-case letter ("T4Options" -> "T4 Options").
std::string DisplayNameOf(std::string_view name);

}  // namespace kelmora
