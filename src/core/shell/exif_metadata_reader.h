#pragma once

#include <string>

#include "gallery/image_metadata_reader.h"
#include "metadata/img_data.h"
#include "shell/exif_capture_details.h"

namespace kelmora {

// The catalogue's metadata reader: the JPEG segment and EXIF reader, with every detail
// (DetailLevel::kAll), reused for every file of a scan.
class ExifMetadataReader final : public ImageMetadataReader {
 public:
  ExifMetadataReader() : data_(DetailLevel::kAll) {}

  bool ReadImageFile(const std::string& path) override { return data_.ReadImageFile(path); }
  bool ExifPresent() const override { return data_.ExifPresent(); }
  double CaptureDateTime() const override {
    return data_.ExifInfo ? data_.ExifInfo->CaptureDateTime() : 0.0;
  }
  bool CommentPresent() const override { return data_.CommentPresent(); }
  std::string CommentText() const override { return data_.CommentText(); }
  CaptureDetails Details() const override {
    return data_.ExifInfo ? CaptureDetailsOf(*data_.ExifInfo) : CaptureDetails();
  }

 private:
  TimgData data_;
};

}  // namespace kelmora
