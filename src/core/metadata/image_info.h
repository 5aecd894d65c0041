#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/end_ind.h"
#include "metadata/tag_entry.h"

namespace kelmora {

// What a TImageInfo (and the maker-note decoder) builds besides the special values, by the
// numbers of DetailMode. Any other value builds neither.
enum class DetailLevel : int32_t {
  kNone = 0,
  kInfoText = 2,  // the text listing InfoText
  kTagList = 4,   // the tag records in TagList
  kAll = 255,     // both
};

// The values read from the TIFF-structured directories of one image's EXIF data. The walk
// reads bytes it is given and keeps no reference to them afterwards; what the rest of the
// program needs (capture dates included) is copied into the fields.
class TImageInfo {
 public:
  explicit TImageInfo(DetailLevel detail_mode);

  std::vector<TTagEntry> TagList;
  std::string ExifVersion;   // raw bytes of 0x9000, at most 6
  std::string CameraMake;    // at most 32 characters
  std::string CameraModel;   // at most 40 characters
  std::string DateTimeText;  // 0x0132 or 0x9003, whichever came last; at most 20
  int32_t Height = 0;
  int32_t Width = 0;
  int64_t HeightPos = 0;
  int64_t WidthPos = 0;
  int32_t FlashValue = 0;
  DetailLevel DetailMode = DetailLevel::kNone;
  std::string MakerNoteRaw;
  bool ReadingTiff = false;
  bool BigEndian = false;  // byte order of the EXIF data
  std::string UserCommentText;
  int64_t UserCommentPos = 0;
  int32_t UserCommentLen = 0;
  int64_t DateTimePos = 0;           // 0 = not seen
  int64_t DateTimeOriginalPos = 0;   // 0 = not seen
  int64_t DateTimeDigitizedPos = 0;  // 0 = not seen
  std::string InfoText;              // "\r\n" + Desc + " = " + value per rendered entry
  std::string MakerNoteText;
  bool MakerNoteDecoded = false;
  int64_t MakerNotePos = 0;
  // The last status the walk or the maker-note decoder reported ("Illegally sized
  // directory", "Error Detected = ..."); empty when there was none.
  std::string StatusText;

  int32_t TagCount() const { return static_cast<int32_t>(TagList.size()); }

  // Reads the directory at a 1-based position of exif (in BigEndian order) and, recursively,
  // its sub-directories. Raises on a read outside the data, on a pointer back into a
  // directory being walked and on data beyond the walk limits; a sub-directory's failure
  // ends only that sub-directory.
  void WalkDirectory(std::string_view exif, int64_t start, int64_t base, int64_t limit,
                     DirectoryKind kind);

  // The value of raw bytes of a TIFF type in this object's byte order; 0 for text and
  // unknown types and for anything that cannot be read.
  double NumericValue(std::string_view raw, uint16_t type) const;

  // IFD0 DateTime, else DateTimeOriginal, else DateTimeDigitized, as a day number; 0 when
  // none is present or the first present one is not a valid date.
  double CaptureDateTime() const;
  // "YYYY:MM:DD HH:MM:SS" (separators not tested) to a day number; 0 when invalid.
  static double ExifTextToDateTime(std::string_view text);

  // Lookups in TagList by name, ignoring letter case.
  int32_t FindTagIndex(std::string_view name) const;
  std::string TagTextByName(std::string_view name) const;
  TTagEntry TagByName(std::string_view name) const;
  double TagValueByName(std::string_view name) const;
  int32_t TagIntByName(std::string_view name) const;

  // Appends a record to TagList: records whose Tag is 0 are not kept, and a record that
  // cannot be kept (memory budget of one file spent) is dropped. Never raises.
  void AddTag(const TTagEntry& entry);

 private:
  void Walk(int64_t start, int64_t base, int64_t limit, DirectoryKind kind);
  void EnterDirectory(int64_t start);
  void ProcessEntry(int64_t entry, int64_t base, int64_t limit, DirectoryKind kind);
  std::string RenderEntry(const TTagEntry& entry, uint16_t type, int64_t size, int64_t value_pos,
                          const std::string& raw);
  void ApplySpecialTag(uint16_t tag, uint16_t type, int64_t entry, int64_t value_pos,
                       const std::string& raw, const std::string& rendered, int64_t base,
                       int64_t limit);
  void WalkSubDirectory(int64_t value_pos, int64_t base, int64_t limit, DirectoryKind kind);
  void AppendInfoLine(const std::string& desc, const std::string& value);
  void Spend(uint64_t bytes);

  struct DirectorySpan {
    int64_t start;
    int64_t end;  // one past the last entry
  };
  tEndInd exif_;  // the bytes being walked, only during WalkDirectory
  // The 19 bytes at each date position, for CaptureDateTime.
  std::string date_time_raw_;
  std::string date_time_original_raw_;
  std::string date_time_digitized_raw_;
  std::vector<DirectorySpan> walking_;  // the directories on the current walk path
  std::vector<int64_t> walked_;         // starts of every directory walked for this file
  bool maker_note_seen_ = false;
  uint64_t entries_seen_ = 0;  // directory entries processed for this file
  uint64_t bytes_spent_ = 0;   // entry and value bytes processed for this file
  uint64_t bytes_kept_ = 0;    // raw and text bytes retained in TagList and InfoText
};

}  // namespace kelmora
