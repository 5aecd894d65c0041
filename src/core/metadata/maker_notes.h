#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "metadata/tag_dictionary.h"

namespace kelmora {

class TImageInfo;

// Decodes the maker note of one TImageInfo: picks a tag table by the camera make, walks the
// note's directory, appends its lines to MakerNoteText and, in full detail, its records to
// TagList. Lives for one decoding.
class TmsInfo {
 public:
  TmsInfo(bool reading_tiff, TImageInfo& info) : readingTiff_(reading_tiff), info_(info) {}

  // True when the camera make is one of the known makers, whatever the walk found. Never
  // raises: a damaged note ends its walk with "Error Detected = ..." in the container's
  // StatusText.
  bool DecodeMakerNote();

  // Walks the directory at note position startSkip. Offsets X of entries become note
  // positions X + adjust; a value that lies beyond the note is taken from the EXIF data at
  // position spill_base + X. Raises on a read outside the note; info's Buffer and byte order
  // are the same afterwards as before.
  void WalkMakerDirectory(TImageInfo& info, const std::string& note, std::span<const TagRow> table,
                          int64_t spill_base, int64_t adjust, int64_t startSkip);

 private:
  bool readingTiff_;
  TImageInfo& info_;
};

}  // namespace kelmora
