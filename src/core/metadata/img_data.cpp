#include "metadata/img_data.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <exception>

#include "common/day_number.h"
#include "common/errors.h"
#include "metadata/tiff_header.h"
#include "metadata/value_rendering.h"

namespace kelmora {
namespace {

constexpr int kMarkerSos = 0xDA;
constexpr int kMarkerEoi = 0xD9;
constexpr int kMarkerApp1 = 0xE1;
constexpr int kMarkerApp13 = 0xED;
constexpr int kMarkerCom = 0xFE;
// Only the first segments decide whether a file has metadata, and only there is an APP1
// segment entered.
constexpr int32_t kMetadataDecisionSlot = 5;

// The extension with its dot, in lower case ("" when the name has none).
std::string LowerExtension(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string extension = path.substr(dot);
  for (char& c : extension) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return extension;
}

bool HasExifHeader(const std::string& data) {
  return data.size() >= 7 && data.compare(2, 5, std::string_view("Exif\0", 5)) == 0;
}

// The file opened for reading. Only regular files are read: opening a named pipe or a
// device could wait for ever.
class OpenFile {
 public:
  explicit OpenFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) ThrowFileError("open", path, errno);
    struct stat facts {};
    if (::fstat(fd, &facts) != 0 || !S_ISREG(facts.st_mode)) {
      ::close(fd);
      throw EFileError("open", path, "not a regular file");
    }
    file_ = ::fdopen(fd, "rb");
    if (file_ == nullptr) {
      const int error = errno;
      ::close(fd);
      ThrowFileError("open", path, error);
    }
  }
  ~OpenFile() { std::fclose(file_); }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  std::FILE* Get() const { return file_; }

 private:
  std::FILE* file_ = nullptr;
};

}  // namespace

TimgData::TimgData(int32_t detail_mode) : DetailMode(detail_mode) {
  ResetContainer();
}

TimgData::~TimgData() = default;

void TimgData::ResetContainer() {
  SegmentCount = 0;
  ExifSegRef = nullptr;
  IptcSegRef = nullptr;
  CommentSegRef = nullptr;
  SourcePath.clear();
  SourceDate = 0;
  SourceSize = 0;
  StatusText.clear();
  ExifInfo.reset();
  IptcInfo.reset();
  BigEndian = false;
  // The previous file's segments are dropped too, so no stale bytes outlive their file.
  for (SegmentRecord& slot : Segments) slot = SegmentRecord();
  Buffer.clear();
}

bool TimgData::ReadImageFile(const std::string& path) {
  ResetContainer();
  struct stat facts {};
  if (::stat(path.c_str(), &facts) != 0) return false;
  SourcePath = path;
  SourceDate = FileTimeToDayNumber(facts.st_mtime);
  SourceSize = static_cast<int64_t>(facts.st_size);

  StatusText = "Not an EXIF file";
  try {
    const std::string extension = LowerExtension(path);
    bool found = false;
    if (extension == ".jpg" || extension == ".jpeg" || extension == ".jpe") {
      found = ReadJpegFile(path);
    } else if (extension == ".tif" || extension == ".tiff" || extension == ".nef") {
      found = ReadTiffFile(path);
    } else {
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

bool TimgData::ReadJpegFile(const std::string& path) {
  ReadingTiff = false;
  OpenFile file(path);
  try {
    return ScanJpegSegments(file.Get());
  } catch (const std::exception&) {
    return false;
  }
}

bool TimgData::ScanJpegSegments(std::FILE* file) {
  if (std::getc(file) != 0xFF || std::getc(file) != 0xD8) return false;
  SegmentCount = 0;
  while (SegmentCount < kMaxSegments) {
    int marker = 0;
    do {
      marker = std::getc(file);
    } while (marker == 0xFF);
    if (marker == EOF) break;  // the file ends early: keep what was read

    const int32_t k = ++SegmentCount;
    SegmentRecord& slot = Segments[static_cast<size_t>(k - 1)];
    const int hi = std::getc(file);
    const int lo = std::getc(file);
    const int32_t size = lo == EOF ? -1 : hi * 256 + lo;
    const bool endsScan = marker == kMarkerSos || marker == kMarkerEoi;
    if (size < 2) {
      --SegmentCount;
      if (lo == EOF || endsScan) break;  // no length to read, or none needed any more
      throw EKelmora("JPEG segment length below 2");
    }
    slot.Marker = marker;
    slot.Size = size;
    slot.Data.assign(static_cast<size_t>(size), '\0');
    slot.Data[0] = static_cast<char>(hi);
    slot.Data[1] = static_cast<char>(lo);
    const size_t wanted = static_cast<size_t>(size) - 2;
    if (std::fread(slot.Data.data() + 2, 1, wanted, file) != wanted) {
      // A segment cut off by the end of the file is not used.
      slot = SegmentRecord();
      --SegmentCount;
      break;
    }

    if (k == kMetadataDecisionSlot && !AnyMetadata()) return false;
    if (endsScan) break;
    switch (marker) {
      case kMarkerApp1:
        if (k > kMetadataDecisionSlot) {
          slot = SegmentRecord();
          --SegmentCount;  // the next segment reuses the slot
        } else {
          EnterApp1Segment(slot);
        }
        break;
      case kMarkerApp13:
        if (IptcSegRef == nullptr) {
          IptcSegRef = &slot;
          IptcInfo = std::make_unique<TIPTCdata>(*this);
        }
        break;
      case kMarkerCom:
        CommentSegRef = &slot;
        break;
      default:
        break;
    }
  }
  return AnyMetadata();
}

void TimgData::EnterApp1Segment(SegmentRecord& slot) {
  // An APP1 without an EXIF header (XMP data, for instance) must not take the place of
  // EXIF data found before it: the file's capture date would be lost.
  if (ExifSegRef != nullptr && HasExifHeader(ExifSegRef->Data) && !HasExifHeader(slot.Data)) {
    return;
  }
  ExifSegRef = &slot;
  ExifInfo = std::make_unique<TImageInfo>(*this, DetailMode);
  Buffer = slot.Data;
  ParseExifSegment();
}

void TimgData::ParseExifSegment() {
  if (!ExifInfo) ExifInfo = std::make_unique<TImageInfo>(*this, DetailMode);
  const std::string& data = ExifSegRef->Data;
  if (!HasExifHeader(data)) {
    StatusText = "Incorrect Exif header";
    return;
  }
  const std::string_view alignment =
      data.size() >= 10 ? std::string_view(data).substr(8, 2) : std::string_view();
  bool big_endian = false;
  if (alignment == "MM") {
    big_endian = true;
  } else if (alignment != "II") {
    StatusText = "Invalid Exif alignment marker";
    return;
  }
  TImageInfo& info = *ExifInfo;
  info.InfoText.clear();
  info.Buffer = data;
  info.BigEndian = big_endian;
  const int64_t first = info.ReadU32At(13);
  const int64_t start = first == 0 ? 17 : first + 9;
  info.WalkDirectory(start, 9, int64_t{ExifSegRef->Size} - 6, DirectoryKind::kMain);
  AddDerivedFocalLength(info);
}

void TimgData::ParseExifBytes(std::string data) {
  ResetContainer();
  SegmentRecord& slot = Segments[0];
  slot.Marker = kMarkerApp1;
  slot.Size = static_cast<int32_t>(std::min<size_t>(data.size(), INT32_MAX));
  slot.Data = std::move(data);
  SegmentCount = 1;
  EnterApp1Segment(slot);
}

bool TimgData::ReadTiffFile(const std::string& path) {
  ReadingTiff = true;
  struct Clear {
    bool& flag;
    ~Clear() { flag = false; }
  } clear{ReadingTiff};
  OpenFile file(path);
  try {
    return ReadTiffHeader(file.Get());
  } catch (const std::exception&) {
    return false;
  }
}

bool TimgData::ReadTiffHeader(std::FILE* file) {
  char order[2] = {};
  if (std::fread(order, 1, 2, file) != 2) return false;
  const std::string_view header(order, 2);
  if (header != "II" && header != "MM") return false;
  // The buffer holds the file from offset 8 on, at least kTiffBufferSize bytes and as much
  // more as the first directory needs when the header places it further on.
  uint8_t version_and_offset[6] = {};
  const bool has_offset = std::fread(version_and_offset, 1, sizeof version_and_offset, file) ==
                          sizeof version_and_offset;
  const TiffDirectoryWindow window =
      FirstTiffDirectoryWindow(header == "MM", version_and_offset, has_offset, SourceSize);
  if (!window.reachable) return false;
  SegmentRecord& slot = Segments[0];
  slot.Data.assign(window.buffer_size, '\0');  // bytes beyond the end of a short file stay zero
  slot.Size = static_cast<int32_t>(std::min<size_t>(window.buffer_size, INT32_MAX));
  if (has_offset) static_cast<void>(std::fread(slot.Data.data(), 1, window.buffer_size, file));

  SegmentCount = 1;
  ExifSegRef = &slot;
  ExifInfo = std::make_unique<TImageInfo>(*this, DetailMode);
  TImageInfo& info = *ExifInfo;
  info.ReadingTiff = ReadingTiff;
  Buffer = slot.Data;
  info.Buffer = slot.Data;
  info.BigEndian = header == "MM";
  // A position in the buffer is the file offset minus 7.
  info.WalkDirectory(window.position, -7, static_cast<int64_t>(window.buffer_size),
                     DirectoryKind::kMain);
  AddDerivedFocalLength(info);
  return true;
}

std::string TimgData::CommentText() const {
  if (CommentSegRef == nullptr) return {};
  const std::string& data = CommentSegRef->Data;
  if (data.size() < 2) return {};
  const int64_t length =
      static_cast<unsigned char>(data[0]) * 256 + static_cast<unsigned char>(data[1]);
  const int64_t count = std::min<int64_t>(length - 3, static_cast<int64_t>(data.size()) - 2);
  return count > 0 ? data.substr(2, static_cast<size_t>(count)) : std::string();
}

}  // namespace kelmora
