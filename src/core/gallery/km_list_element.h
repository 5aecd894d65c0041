#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "gallery/capture_details.h"

namespace kelmora {

// The kinds of input image, by the numbers of ImageKind.
enum class PictureKind : int32_t { kJpeg = 0, kBmp = 1, kTiff = 2 };

// One image of the gallery. Its position in the catalogue plus one is its image number.
class KM_ListElement {
 public:
  std::string FileName;    // as found in the input folder, with extension, without folder
  std::string FullPath;    // InputPath, separator, FileName
  std::string BigName;     // "b_" + base + ".jpg": full-size copy
  std::string ThumbName;   // "t_" + base + ".jpg": thumbnail
  std::string NormalName;  // "n_" + base + ".jpg": resized image
  PictureKind ImageKind = PictureKind::kJpeg;
  double FileDate = 0;  // last-write time as a day number
  double SortDate = 0;  // EXIF capture date, or FileDate for files without EXIF data
  int32_t Width = 0;    // decoded size, filled by the export
  int32_t Height = 0;
  std::string ExifComment;
  CaptureDetails details;  // orientation, capture date, camera and exposure from EXIF data
};

}  // namespace kelmora
