#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "metadata/end_ind.h"
#include "metadata/tag_entry.h"

namespace kelmora {

class TimgData;

// What a TImageInfo (and the maker-note decoder) builds besides the special values.
inline constexpr int32_t kDetailInfoText = 2;  // the text listing InfoText
inline constexpr int32_t kDetailTagList = 4;   // the tag records in TagList
inline constexpr int32_t kDetailAll = 255;     // both

// The TIFF-structured directories of one image's EXIF data. Buffer holds the same bytes as
// the container's EXIF segment (for a TIFF-type file: the file from offset 8 on).
class TImageInfo : public tEndInd {
 public:
  TImageInfo(TimgData& owner, int32_t detail_mode);
  ~TImageInfo() override;
  TImageInfo(const TImageInfo&) = delete;
  TImageInfo& operator=(const TImageInfo&) = delete;

  std::vector<TTagEntry> TagList;
  TimgData& Owner;
  std::string ExifVersion;   // raw bytes of 0x9000, at most 6
  std::string CameraMake;    // at most 32 characters
  std::string CameraModel;   // at most 40 characters
  std::string DateTimeText;  // 0x0132 or 0x9003, whichever came last; at most 20
  int32_t Height = 0;
  int32_t Width = 0;
  int64_t HeightPos = 0;
  int64_t WidthPos = 0;
  int32_t FlashValue = 0;
  int32_t DetailMode = 0;
  std::string MakerNoteRaw;
  bool ReadingTiff = false;
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

  int32_t TagCount() const { return static_cast<int32_t>(TagList.size()); }

  // Reads one directory at a 1-based position and, recursively, its sub-directories.
  // Raises on a read outside the buffer, on a pointer back into a directory being walked
  // and on data beyond the walk limits; a sub-directory's failure ends only that
  // sub-directory.
  void WalkDirectory(int64_t start, int64_t base, int64_t limit, DirectoryKind kind);

  // The value of raw bytes of a TIFF type in this object's byte order; 0 for text and
  // unknown types and for anything that cannot be read.
  double NumericValue(std::string_view raw, uint16_t type) const;

  // IFD0 DateTime, else DateTimeOriginal, else DateTimeDigitized, as a day number; 0 when
  // none is present or the first present one is not a valid date.
  double CaptureDateTime() const;
  // "YYYY:MM:DD HH:MM:SS" (separators not tested) to a day number; 0 when invalid.
  static double ExifTextToDateTime(std::string_view text);

  // Lookups in TagList by name, ignoring letter case.
  virtual int32_t FindTagIndex(std::string_view name) const;
  virtual std::string TagTextByName(std::string_view name) const;
  TTagEntry TagByName(std::string_view name) const;
  double TagValueByName(std::string_view name) const;
  int32_t TagIntByName(std::string_view name) const;

  // Appends a record to TagList: records whose Tag is 0 are not kept, and a record that
  // cannot be kept (memory budget of one file spent) is dropped. Never raises.
  void AddTag(const TTagEntry& entry);

  // The bytes of the container's EXIF segment (what value positions refer to); Buffer
  // when the container has none.
  const std::string& ExifSegmentData() const;

 private:
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
  std::vector<DirectorySpan> walking_;  // the directories on the current walk path
  std::vector<int64_t> walked_;         // starts of every directory walked for this file
  bool makerNoteSeen_ = false;
  uint64_t entriesSeen_ = 0;  // directory entries processed for this file
  uint64_t bytesSpent_ = 0;   // entry and value bytes processed for this file
  uint64_t bytesKept_ = 0;    // raw and text bytes retained in TagList and InfoText
};

}  // namespace kelmora
