#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "metadata/end_ind.h"
#include "metadata/tag_dictionary.h"

namespace kelmora {

class TImageInfo;

// Decodes the maker note of one TImageInfo: picks a tag table by the camera make, walks the
// note's directory, appends its lines to MakerNoteText and, in full detail, its records to
// TagList. Lives for one decoding.
class TmsInfo {
 public:
  TmsInfo(bool reading_tiff, TImageInfo& info) : reading_tiff_(reading_tiff), info_(info) {}

  // Decodes info's MakerNoteRaw, which lies at MakerNotePos of exif (the EXIF data, where
  // values beyond the note are found). True when the camera make is one of the known makers,
  // whatever the walk found. Never raises: a damaged note ends its walk with
  // "Error Detected = ..." in info's StatusText.
  bool DecodeMakerNote(std::string_view exif);

  // Walks the directory at note position start_skip. Offsets X of entries become note
  // positions X + adjust; a value that lies beyond the note is taken from exif at position
  // spill_base + X. Raises on a read outside the note.
  void WalkMakerDirectory(const tEndInd& note, std::string_view exif, std::span<const TagRow> table,
                          int64_t spill_base, int64_t adjust, int64_t start_skip);

 private:
  bool reading_tiff_;
  TImageInfo& info_;
};

}  // namespace kelmora
