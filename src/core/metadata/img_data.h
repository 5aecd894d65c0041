#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "metadata/end_ind.h"
#include "metadata/image_info.h"
#include "metadata/iptc_data.h"

namespace kelmora {

// One kept JPEG segment.
struct SegmentRecord {
  std::string Data;    // as stored after the marker: two length bytes, then the payload
  int32_t Marker = 0;  // 0xE1 APP1, 0xED APP13, 0xFE COM, ...
  int32_t Size = 0;    // the big-endian length field, counting its own two bytes
};

// The metadata container of one image file at a time: finds the EXIF, comment and IPTC
// segments of a JPEG file, or the header and first directory of a TIFF-type file, and
// owns the EXIF directories and the IPTC reader of the file last read.
class TimgData : public tEndInd {
 public:
  static constexpr int32_t kMaxSegments = 20;
  // A TIFF-type file is read from offset 8 into a buffer of exactly this size.
  static constexpr size_t kTiffBufferSize = 256000;

  explicit TimgData(int32_t detail_mode);
  ~TimgData() override;
  TimgData(const TimgData&) = delete;
  TimgData& operator=(const TimgData&) = delete;

  std::array<SegmentRecord, kMaxSegments + 1> Segments;  // slot k is Segments[k - 1]
  bool ReadingTiff = false;
  int32_t DetailMode = 0;
  int32_t SegmentCount = 0;
  SegmentRecord* ExifSegRef = nullptr;
  SegmentRecord* IptcSegRef = nullptr;
  SegmentRecord* CommentSegRef = nullptr;
  std::string SourcePath;
  double SourceDate = 0;  // last-write time as a day number
  int64_t SourceSize = 0;
  std::string StatusText;
  std::unique_ptr<TImageInfo> ExifInfo;
  std::unique_ptr<TIPTCdata> IptcInfo;

  // Reads the metadata of one file (.jpg/.jpeg/.jpe or .tif/.tiff/.nef, any letter case).
  // Never raises; the outcome is the result and StatusText.
  bool ReadImageFile(const std::string& path);

  bool ExifPresent() const { return ExifSegRef != nullptr; }
  bool CommentPresent() const { return CommentSegRef != nullptr; }
  bool AnyMetadata() const { return ExifSegRef || CommentSegRef || IptcSegRef; }
  // The COM payload without its last byte (a terminating zero when the writer added one).
  std::string CommentText() const;

  void ResetContainer();

  // Enters the EXIF data of the APP1 segment ExifSegRef: checks the header and walks the
  // directories. Raises when the first directory's own entries cannot be read.
  void ParseExifSegment();

  // Resets the container and takes data (length bytes, "Exif\0\0", TIFF data) as the
  // file's only APP1 segment, then parses it as a JPEG scan would. Raises like
  // ParseExifSegment. For callers that hold EXIF bytes without a file.
  void ParseExifBytes(std::string data);

 private:
  bool ReadJpegFile(const std::string& path);
  bool ScanJpegSegments(std::FILE* file);
  bool ReadTiffFile(const std::string& path);
  bool ReadTiffHeader(std::FILE* file);
  void EnterApp1Segment(SegmentRecord& slot);
};

}  // namespace kelmora
