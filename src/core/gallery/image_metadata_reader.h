#pragma once

#include <string>

#include "gallery/capture_details.h"

namespace kelmora {

// What the catalogue needs to know about one image file's metadata. The catalogue calls
// ReadImageFile first and asks the other questions about the file read last. A reader
// reports a file it cannot read or does not handle as false; it does not throw.
class ImageMetadataReader {
 public:
  virtual ~ImageMetadataReader() = default;

  virtual bool ReadImageFile(const std::string& path) = 0;
  virtual bool ExifPresent() const = 0;
  // The EXIF capture date as a day number; 0 when the EXIF data holds no usable date.
  virtual double CaptureDateTime() const = 0;
  virtual bool CommentPresent() const = 0;
  virtual std::string CommentText() const = 0;
  // Orientation, camera and exposure of a file with EXIF data (capture_date is left 0: the
  // catalogue takes CaptureDateTime); a reader without them gives the defaults.
  virtual CaptureDetails Details() const { return {}; }
};

// A reader that finds no metadata in any file: every image is then sorted by its file date
// and has no comment.
class NoMetadataReader final : public ImageMetadataReader {
 public:
  bool ReadImageFile(const std::string&) override { return false; }
  bool ExifPresent() const override { return false; }
  double CaptureDateTime() const override { return 0; }
  bool CommentPresent() const override { return false; }
  std::string CommentText() const override { return {}; }
};

}  // namespace kelmora
