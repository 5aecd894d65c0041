#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

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
// holds the EXIF values and the IPTC reader of the file last read. The file is read once,
// through the platform layer; everything after that works on its bytes.
class TimgData {
 public:
  static constexpr int32_t kMaxSegments = 20;
  // A TIFF-type file is read from offset 8 into a buffer of exactly this size.
  static constexpr size_t kTiffBufferSize = 256000;

  explicit TimgData(DetailLevel detail_mode);

  std::array<SegmentRecord, kMaxSegments + 1> Segments;  // slot k is Segments[k - 1]
  bool ReadingTiff = false;
  DetailLevel DetailMode = DetailLevel::kNone;
  int32_t SegmentCount = 0;
  // Slot numbers (1 ... kMaxSegments) of the kept EXIF, IPTC and comment segments; 0 = none.
  int32_t ExifSegRef = 0;
  int32_t IptcSegRef = 0;
  int32_t CommentSegRef = 0;
  std::string SourcePath;
  double SourceDate = 0;  // last-write time as a day number
  int64_t SourceSize = 0;
  std::string StatusText;
  std::unique_ptr<TImageInfo> ExifInfo;
  std::unique_ptr<TIPTCdata> IptcInfo;

  // Reads the metadata of one file (.jpg/.jpeg/.jpe or .tif/.tiff/.nef, any letter case).
  // Never raises; the outcome is the result and StatusText.
  bool ReadImageFile(const std::string& path);
  // The same for the bytes of a file named file_name (whose extension picks the reader),
  // without touching the file system: SourcePath, SourceDate and SourceSize stay empty.
  bool ReadImageBytes(std::string_view file_name, std::span<const uint8_t> bytes);

  bool ExifPresent() const { return ExifSegRef != 0; }
  bool CommentPresent() const { return CommentSegRef != 0; }
  bool AnyMetadata() const { return ExifSegRef != 0 || CommentSegRef != 0 || IptcSegRef != 0; }
  // The COM payload without its last byte (a terminating zero when the writer added one).
  std::string CommentText() const;
  // The Data of segment slot (as ExifSegRef and the others name it); empty for 0.
  std::string_view SegmentData(int32_t slot) const;

  void ResetContainer();

  // Resets the container and takes data (length bytes, "Exif\0\0", TIFF data) as the
  // file's only APP1 segment, then parses it as a JPEG scan would. Raises when the first
  // directory's own entries cannot be read. For callers that hold EXIF bytes without a file.
  void ParseExifBytes(std::string data);

 private:
  enum class ScanResult { kNoMetadata, kMetadata, kNeedsMoreBytes };

  bool ReadJpegFile(const std::string& path);
  bool ReadJpegBytes(std::span<const uint8_t> bytes);
  ScanResult ScanJpegSegments(std::span<const uint8_t> bytes, bool complete);
  bool ReadTiffBytes(std::span<const uint8_t> bytes, int64_t file_size);
  void ResetSegments();
  void EnterApp1Segment(int32_t slot);
  // Checks the EXIF header of the APP1 segment ExifSegRef and walks its directories.
  void ParseExifSegment();
  // Walks the first directory of ExifInfo over data and takes over the walk's status.
  void WalkExif(std::string_view data, int64_t start, int64_t base, int64_t limit);
};

}  // namespace kelmora
