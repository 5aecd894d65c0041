#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "gallery/km_list_element.h"
#include "gallery/prepared_export.h"
#include "settings/km_class.h"

namespace kelmora {

// The record of the files a gallery run made, kept in one small file in the output folder:
// every page, and for every picture output the size it was written with and a fingerprint
// of what made it (the source's path, size and modification time, and the settings that
// shape that output). A later update leaves an output alone whose fingerprint and size
// still match, and --prune removes exactly the files the record names.
inline constexpr std::string_view kBuildRecordName = ".kelmora-record";

// What a picture output was made from: a fingerprint of 64 bits, never 0 (0 marks an
// output whose making was not finished).
using Recipe = uint64_t;

// A source file's identity as far as an update cares.
struct SourceStamp {
  std::string path;  // absolute, without links, "." or "..": the same however it is named
  uint64_t size = 0;
  int64_t modified_ns = 0;  // last-write time in nanoseconds since the epoch
};

// The stamp of a file; nullopt when it is not a regular file that can be looked at.
std::optional<SourceStamp> ReadSourceStamp(const std::string& path);

enum class OutputRole { kBig, kThumb, kNormal };

// The fingerprint of one output of an entry made from a source with this stamp under these
// settings. It changes with every setting that changes that output's bytes, and only with
// those: a new thumbnail size changes the thumbnails' fingerprints, not the resized images'.
Recipe OutputRecipe(const KM_Class& settings, const KM_ListElement& entry, const SourceStamp& stamp,
                    OutputRole role);

struct RecordedFile {
  std::string name;   // file name in the output folder
  bool page = false;  // a page: always written again, so it has no size or recipe
  uint64_t size = 0;  // picture outputs: bytes when written
  Recipe recipe = 0;  // picture outputs: 0 when unfinished
  bool operator==(const RecordedFile&) const = default;
};

class BuildRecord {
 public:
  std::vector<RecordedFile> files;

  // The record as text: one header line, then one line per file. Names never hold a tab,
  // a line break or a folder separator.
  std::string Text() const;
  // Reads a record's text. A text without the header gives an empty record; a line that
  // is malformed or names no plain file name is left out, the rest is kept.
  static BuildRecord FromText(std::string_view text);

  // The recorded file of that name, or null.
  const RecordedFile* Find(const std::string& name) const;

 private:
  mutable std::unordered_map<std::string, size_t> index_;
  mutable size_t indexed_ = 0;
};

// Reads the record of an output folder; a missing or unreadable record is an empty one.
BuildRecord ReadBuildRecord(const std::string& output_folder);

// Writes the record into the output folder, whole or not at all, unless the file holds
// those bytes already (then it is left untouched). Raises EFileError when it cannot.
void WriteBuildRecord(const std::string& output_folder, const BuildRecord& record);

// Whether a file name is one the record may hold: not empty, not "." or "..", no folder
// separator, no control character.
bool IsRecordableName(std::string_view name);

}  // namespace kelmora
