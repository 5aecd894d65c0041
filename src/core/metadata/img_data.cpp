#include "metadata/img_data.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <optional>
#include <vector>

#include "common/ascii_text.h"
#include "common/day_number.h"
#include "common/errors.h"
#include "common/jpeg_markers.h"
#include "metadata/end_ind.h"
#include "metadata/tiff_header.h"
#include "metadata/value_rendering.h"
#include "platform/file_system.h"

namespace kelmora {
namespace {

// Only the first segments decide whether a file has metadata, and only there is an APP1
// segment entered.
constexpr int32_t kMetadataDecisionSlot = 5;
// The first read of a JPEG file: the metadata segments of nearly every camera file lie in
// it. A file whose segments reach further is read again with four times the length, until
// the scan ends inside what was read or the whole file is in.
constexpr size_t kFirstJpegRead = size_t{64} << 10;
// A TIFF-type file: the 8-byte header, then the part of the file the directory walk sees.
constexpr size_t kTiffHeaderSize = 8;

// Where the first directory of a TIFF-type file lies, from the start of its bytes: the
// header's byte order, version and first-directory offset.
TiffDirectoryWindow TiffWindowOf(std::span<const uint8_t> head, int64_t file_size) {
  uint8_t version_and_offset[6] = {};
  const bool has_offset = head.size() >= kTiffHeaderSize;
  if (has_offset) std::copy_n(head.begin() + 2, sizeof version_and_offset, version_and_offset);
  const bool big_endian = head.size() >= 1 && head[0] == 'M';
  return FirstTiffDirectoryWindow(big_endian, version_and_offset, has_offset, file_size);
}

enum class FileKind { kOther, kJpeg, kTiff };

FileKind KindOf(std::string_view name) {
  const size_t slash = name.find_last_of('/');
  const size_t dot = name.find_last_of('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
    return FileKind::kOther;
  }
  const std::string extension = ToLowerAscii(name.substr(dot));
  if (extension == ".jpg" || extension == ".jpeg" || extension == ".jpe") return FileKind::kJpeg;
  if (extension == ".tif" || extension == ".tiff" || extension == ".nef") return FileKind::kTiff;
  return FileKind::kOther;
}

bool HasExifHeader(std::string_view data) {
  return data.size() >= 7 && data.substr(2, 5) == std::string_view("Exif\0", 5);
}

// ReadingTiff is true while a TIFF-type file is read, however the read ends.
class TiffReading {
 public:
  explicit TiffReading(bool& flag) : flag_(flag) { flag_ = true; }
  ~TiffReading() { flag_ = false; }
  TiffReading(const TiffReading&) = delete;
  TiffReading& operator=(const TiffReading&) = delete;

 private:
  bool& flag_;
};

}  // namespace

TimgData::TimgData(DetailLevel detail_mode) : DetailMode(detail_mode) {
  ResetContainer();
}

void TimgData::ResetContainer() {
  SourcePath.clear();
  SourceDate = 0;
  SourceSize = 0;
  StatusText.clear();
  ResetSegments();
}

void TimgData::ResetSegments() {
  SegmentCount = 0;
  ExifSegRef = 0;
  IptcSegRef = 0;
  CommentSegRef = 0;
  ExifInfo.reset();
  IptcInfo.reset();
  // The previous file's segments are dropped too, so no stale bytes outlive their file.
  for (SegmentRecord& slot : Segments) slot = SegmentRecord();
}

std::string_view TimgData::SegmentData(int32_t slot) const {
  if (slot < 1 || slot > static_cast<int32_t>(Segments.size())) return {};
  return Segments[static_cast<size_t>(slot - 1)].Data;
}

bool TimgData::ReadImageFile(const std::string& path) {
  ResetContainer();
  const std::optional<FileFacts> facts = ReadFileFacts(path);
  if (!facts) return false;
  SourcePath = path;
  SourceDate = FileTimeToDayNumber(facts->modified_time);
  SourceSize = facts->size;

  StatusText = "Not an EXIF file";
  try {
    bool found = false;
    switch (KindOf(path)) {
      case FileKind::kJpeg:
        found = ReadJpegFile(path);
        break;
      case FileKind::kTiff: {
        const TiffReading reading(ReadingTiff);
        // The header says how much of the file the first directory needs.
        const TiffDirectoryWindow window =
            TiffWindowOf(ReadFileHead(path, kTiffHeaderSize), SourceSize);
        const std::vector<uint8_t> bytes =
            ReadFileHead(path, kTiffHeaderSize + std::max(window.buffer_size, kTiffBufferSize));
        try {
          found = ReadTiffBytes(bytes, SourceSize);
        } catch (const std::exception&) {
          found = false;
        }
        break;
      }
      case FileKind::kOther:
        return false;
    }
    if (!found) return false;
    StatusText = "<none>";
    return true;
  } catch (const std::exception&) {
    StatusText = "Illegal Exif construction";
    return false;
  }
}

bool TimgData::ReadImageBytes(std::string_view file_name, std::span<const uint8_t> bytes) {
  ResetContainer();
  StatusText = "Not an EXIF file";
  bool found = false;
  try {
    switch (KindOf(file_name)) {
      case FileKind::kJpeg:
        found = ReadJpegBytes(bytes);
        break;
      case FileKind::kTiff: {
        const TiffReading reading(ReadingTiff);
        found = ReadTiffBytes(bytes, static_cast<int64_t>(bytes.size()));
        break;
      }
      case FileKind::kOther:
        return false;
    }
  } catch (const std::exception&) {
    found = false;
  }
  if (!found) return false;
  StatusText = "<none>";
  return true;
}

bool TimgData::ReadJpegFile(const std::string& path) {
  for (size_t limit = kFirstJpegRead;; limit *= 4) {
    // A file that cannot be opened raises out of here: that is not a scan failure.
    const std::vector<uint8_t> bytes = ReadFileHead(path, limit);
    const bool complete = bytes.size() < limit;
    ResetSegments();
    StatusText = "Not an EXIF file";
    ScanResult result = ScanResult::kNoMetadata;
    try {
      result = ScanJpegSegments(bytes, complete);
    } catch (const std::exception&) {
      return false;
    }
    if (result != ScanResult::kNeedsMoreBytes) return result == ScanResult::kMetadata;
  }
}

bool TimgData::ReadJpegBytes(std::span<const uint8_t> bytes) {
  ReadingTiff = false;
  return ScanJpegSegments(bytes, true) == ScanResult::kMetadata;
}

TimgData::ScanResult TimgData::ScanJpegSegments(std::span<const uint8_t> bytes, bool complete) {
  size_t at = 0;
  bool ran_out = false;
  const auto next = [&]() -> int {
    if (at < bytes.size()) return bytes[at++];
    ran_out = true;
    return EOF;
  };
  // Where the bytes end before the scan does, a longer read may go on.
  const auto ended = [&](bool metadata) {
    if (ran_out && !complete) return ScanResult::kNeedsMoreBytes;
    return metadata ? ScanResult::kMetadata : ScanResult::kNoMetadata;
  };

  if (next() != 0xFF || next() != kMarkerSoi) return ended(false);
  SegmentCount = 0;
  while (SegmentCount < kMaxSegments) {
    int marker = 0;
    do {
      marker = next();
    } while (marker == 0xFF);
    if (marker == EOF) break;  // the file ends early: keep what was read

    const int32_t k = ++SegmentCount;
    SegmentRecord& slot = Segments[static_cast<size_t>(k - 1)];
    const int hi = next();
    const int lo = next();
    const int32_t size = lo == EOF ? -1 : hi * 256 + lo;
    const bool ends_scan = marker == kMarkerSos || marker == kMarkerEoi;
    if (size < 2) {
      --SegmentCount;
      if (lo == EOF || ends_scan) break;  // no length to read, or none needed any more
      throw EKelmora("JPEG segment length below 2");
    }
    const size_t wanted = static_cast<size_t>(size) - 2;
    if (bytes.size() - at < wanted) {
      // A segment cut off by the end of the file is not used.
      ran_out = true;
      --SegmentCount;
      break;
    }
    slot.Marker = marker;
    slot.Size = size;
    slot.Data.reserve(static_cast<size_t>(size));
    slot.Data.push_back(static_cast<char>(hi));
    slot.Data.push_back(static_cast<char>(lo));
    slot.Data.append(reinterpret_cast<const char*>(bytes.data() + at), wanted);
    at += wanted;

    if (k == kMetadataDecisionSlot && !AnyMetadata()) return ScanResult::kNoMetadata;
    if (ends_scan) break;
    switch (marker) {
      case kMarkerApp1:
        if (k > kMetadataDecisionSlot) {
          slot = SegmentRecord();
          --SegmentCount;  // the next segment reuses the slot
        } else {
          EnterApp1Segment(k);
        }
        break;
      case kMarkerApp13:
        if (IptcSegRef == 0) {
          IptcSegRef = k;
          IptcInfo = std::make_unique<TIPTCdata>();
        }
        break;
      case kMarkerCom:
        CommentSegRef = k;
        break;
      default:
        break;
    }
  }
  return ended(AnyMetadata());
}

void TimgData::EnterApp1Segment(int32_t slot) {
  // An APP1 without an EXIF header (XMP data, for instance) must not take the place of
  // EXIF data found before it: the file's capture date would be lost.
  if (ExifSegRef != 0 && HasExifHeader(SegmentData(ExifSegRef)) &&
      !HasExifHeader(SegmentData(slot))) {
    return;
  }
  ExifSegRef = slot;
  ExifInfo = std::make_unique<TImageInfo>(DetailMode);
  ParseExifSegment();
}

void TimgData::ParseExifSegment() {
  const SegmentRecord& segment = Segments[static_cast<size_t>(ExifSegRef - 1)];
  const std::string_view data = segment.Data;
  if (!HasExifHeader(data)) {
    StatusText = "Incorrect Exif header";
    return;
  }
  const std::string_view alignment = data.size() >= 10 ? data.substr(8, 2) : std::string_view();
  bool big_endian = false;
  if (alignment == "MM") {
    big_endian = true;
  } else if (alignment != "II") {
    StatusText = "Invalid Exif alignment marker";
    return;
  }
  TImageInfo& info = *ExifInfo;
  info.InfoText.clear();
  info.BigEndian = big_endian;
  const int64_t first = tEndInd(data, big_endian).ReadU32At(13);
  const int64_t start = first == 0 ? 17 : first + 9;
  WalkExif(data, start, 9, int64_t{segment.Size} - 6);
  AddDerivedFocalLength(info);
}

void TimgData::WalkExif(std::string_view data, int64_t start, int64_t base, int64_t limit) {
  TImageInfo& info = *ExifInfo;
  // The walk's status is the container's, also when the walk fails.
  struct TakeStatus {
    const TImageInfo& from;
    std::string& to;
    ~TakeStatus() {
      if (!from.StatusText.empty()) to = from.StatusText;
    }
  } take_status{info, StatusText};
  info.WalkDirectory(data, start, base, limit, DirectoryKind::kMain);
}

void TimgData::ParseExifBytes(std::string data) {
  ResetContainer();
  SegmentRecord& slot = Segments[0];
  slot.Marker = kMarkerApp1;
  slot.Size = static_cast<int32_t>(std::min<size_t>(data.size(), INT32_MAX));
  slot.Data = std::move(data);
  SegmentCount = 1;
  EnterApp1Segment(1);
}

bool TimgData::ReadTiffBytes(std::span<const uint8_t> bytes, int64_t file_size) {
  if (bytes.size() < 2) return false;
  const std::string_view header(reinterpret_cast<const char*>(bytes.data()), 2);
  if (header != "II" && header != "MM") return false;
  // The buffer holds the file from offset 8 on, at least kTiffBufferSize bytes and as much
  // more as the first directory needs when the header places it further on.
  const TiffDirectoryWindow window = TiffWindowOf(bytes, file_size);
  if (!window.reachable) return false;
  SegmentRecord& slot = Segments[0];
  slot.Data.assign(window.buffer_size, '\0');  // bytes beyond the end of a short file stay zero
  slot.Size = static_cast<int32_t>(std::min<size_t>(window.buffer_size, INT32_MAX));
  if (bytes.size() > kTiffHeaderSize) {
    const size_t count = std::min(bytes.size() - kTiffHeaderSize, window.buffer_size);
    std::copy_n(bytes.begin() + kTiffHeaderSize, count, slot.Data.begin());
  }

  SegmentCount = 1;
  ExifSegRef = 1;
  ExifInfo = std::make_unique<TImageInfo>(DetailMode);
  TImageInfo& info = *ExifInfo;
  info.ReadingTiff = ReadingTiff;
  info.BigEndian = header == "MM";
  // A position in the buffer is the file offset minus 7.
  WalkExif(slot.Data, window.position, -7, static_cast<int64_t>(window.buffer_size));
  AddDerivedFocalLength(info);
  return true;
}

std::string TimgData::CommentText() const {
  const std::string_view data = SegmentData(CommentSegRef);
  if (data.size() < 2) return {};
  const int64_t length =
      static_cast<unsigned char>(data[0]) * 256 + static_cast<unsigned char>(data[1]);
  const int64_t count = std::min<int64_t>(length - 3, static_cast<int64_t>(data.size()) - 2);
  return count > 0 ? std::string(data.substr(2, static_cast<size_t>(count))) : std::string();
}

}  // namespace kelmora
