#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelmora {

// A 32-bit Windows colour value: red in the lowest byte (0x00BBGGRR); values from
// 0x80000000 on name system colours.
using Color = int32_t;

class IniFile;

// The orders of the catalogue, by the numbers of SortingMethodIndex. A settings file may hold
// any other number (the window's -1 selects no order); those leave the order as found.
enum class SortMethod : int32_t {
  kDateAscending = 0,
  kDateDescending = 1,
  kNameAscending = 2,
  kNameDescending = 3,  // the last: kLastSortMethod names it
};

// The line under each thumbnail, by the numbers of SubtitleIndex; any other number gives
// none.
enum class SubtitleKind : int32_t {
  kNone = 0,
  kFileName = 1,  // with extension
  kFileNameWithoutExtension = 2,
  kExifComment = 3,
  kImageNumber = 4,  // the position in the catalogue, so the first image is 0
  kCaptureDate = 5,  // the last: kLastSubtitleKind names it
};

// What loading a settings file found.
enum class SettingsFileState {
  kLoaded,
  kMissing,     // nothing of that name: every field took its default
  kUnreadable,  // there, but not readable: every field took its default
};

struct SettingsFileStatus {
  SettingsFileState state = SettingsFileState::kLoaded;
  std::string reason;  // kUnreadable: why, as the system or the reader says it
};

// Every option of one gallery. A new record is all zero; the defaults come only from
// loading a settings file. Field names are the settings-file keys.
class KM_Class {
 public:
  std::string InputPath;
  std::string OutputPath;
  std::string AdditionalPath;
  std::string ThumbPagesName;
  std::string ImagePagesName;
  std::string WebSiteExtension;
  bool ConvertFileNames = false;
  bool LockInputPath = false;
  bool LockOutputPath = false;
  int32_t QualityImages = 0;
  int32_t MaxWidthImage = 0;
  int32_t MaxHeightImage = 0;
  int32_t FilterIndex = 0;
  int32_t QualityThumbnails = 0;
  int32_t MaxSizeThumbnails = 0;
  SortMethod SortingMethodIndex = SortMethod::kDateAscending;
  bool UseExif = false;
  bool CreateOnlyWebpages = false;
  bool CopyOrgSizedImages = false;
  // Turn pictures upright by their EXIF orientation before scaling them.
  bool AutoRotate = false;
  // Publish byte copies of JPEG files without their GPS position.
  bool StripLocation = false;
  Color BackgroundColor = 0;
  Color TextColor = 0;
  Color LinkColor = 0;
  Color VisitedLinkColor = 0;
  int32_t RowsCount = 0;
  int32_t ColsCount = 0;
  std::string Title;
  SubtitleKind SubtitleIndex = SubtitleKind::kNone;
  std::vector<std::string> HTMLThumbnails;
  std::vector<std::string> HTMLImages;
  bool AutoBrowserStart = false;

  // Reads a settings file into the record. Never fails: a missing file or key gives the
  // key's default; locked paths keep their values.
  bool LoadFromFile(const std::string& file_name);

  // The same, telling whether the file was there and could be read. A file that exists
  // but cannot be read (over the size limit, an I/O error, not a regular file) loads like
  // a missing one, but its reason is reported so that a run can refuse to go on with
  // defaults the user never chose.
  SettingsFileStatus LoadFromFileChecked(const std::string& file_name);

  // Writes the record into a settings file, keeping the file's other sections and keys.
  // The new content replaces the old file in one step; false (old file untouched) when it
  // cannot be written.
  bool SaveToFile(const std::string& file_name) const;

  // The same two transfers on a profile already in memory: loading reads every key (with
  // the defaults and locks above); saving updates the stored keys in place and replaces
  // both templates, leaving every other line of the profile as it was.
  void LoadFromIni(const IniFile& ini);
  void SaveToIni(IniFile& ini) const;

  bool operator==(const KM_Class& other) const = default;
};

}  // namespace kelmora
