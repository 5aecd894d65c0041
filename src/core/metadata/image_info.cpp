#include "metadata/image_info.h"

#include <algorithm>
#include <optional>

#include "common/day_number.h"
#include "common/errors.h"
#include "common/rounding.h"
#include "metadata/maker_notes.h"
#include "metadata/tag_dictionary.h"
#include "metadata/value_rendering.h"

namespace kelmora {
namespace {

// Camera files nest at most IFD0 -> Exif -> interoperability, a few levels with sub-images;
// deeper chains only come from crafted data and would otherwise recurse without bound.
constexpr size_t kMaxDirectoryDepth = 16;
// Entries and value bytes one file may make the walk process. Real EXIF data is at most a
// few hundred kilobytes; entries whose values overlap can make a 64 KB segment name
// gigabytes, and this keeps such a file to a bounded amount of work.
constexpr uint64_t kMaxWalkBytes = uint64_t{64} << 20;
// Directory entries one file may make the walk process: real files have a few hundred,
// a TIFF with many sub-images some thousands; overlapping crafted directories could name
// millions, each rendered and looked up.
constexpr uint64_t kMaxWalkEntries = 100000;
// Text and value bytes one file may keep in TagList and InfoText.
constexpr uint64_t kMaxKeptBytes = uint64_t{32} << 20;
constexpr int64_t kEntrySize = 12;

constexpr uint16_t kTagImageWidth = 0x0100;
constexpr uint16_t kTagImageLength = 0x0101;
constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagSubIfds = 0x014A;
constexpr uint16_t kTagDateTime = 0x0132;
constexpr uint16_t kTagExifOffset = 0x8769;
constexpr uint16_t kTagGpsInfo = 0x8825;
constexpr uint16_t kTagExifVersion = 0x9000;
constexpr uint16_t kTagDateTimeOriginal = 0x9003;
constexpr uint16_t kTagDateTimeDigitized = 0x9004;
constexpr uint16_t kTagFlash = 0x9209;
constexpr uint16_t kTagMakerNote = 0x927C;
constexpr uint16_t kTagUserComment = 0x9286;
constexpr uint16_t kTagExifImageWidth = 0xA002;
constexpr uint16_t kTagExifImageLength = 0xA003;
constexpr uint16_t kTagInteropOffset = 0xA005;

constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeUndefined = 7;

bool IsListingMode(DetailLevel mode) {
  return mode == DetailLevel::kInfoText || mode == DetailLevel::kAll;
}

}  // namespace

TImageInfo::TImageInfo(DetailLevel detail_mode) : DetailMode(detail_mode) {
  PrepareDictionaries();
}

void TImageInfo::Spend(uint64_t bytes) {
  bytes_spent_ += bytes;
  if (bytes_spent_ > kMaxWalkBytes) throw EKelmora("EXIF directories too large to walk");
}

void TImageInfo::EnterDirectory(int64_t start) {
  if (walking_.size() >= kMaxDirectoryDepth) throw EKelmora("EXIF directories nested too deeply");
  for (const DirectorySpan& span : walking_) {
    if (start >= span.start && start < span.end) {
      throw EKelmora("EXIF directory pointer leads back into a directory being walked");
    }
  }
  // A directory reached a second time adds nothing but work (crafted pointer graphs would
  // make that work grow exponentially), so it counts as a loop too.
  if (std::find(walked_.begin(), walked_.end(), start) != walked_.end()) {
    throw EKelmora("EXIF directory reached twice");
  }
  walked_.push_back(start);
  walking_.push_back({start, start + 2});
}

void TImageInfo::WalkDirectory(std::string_view exif, int64_t start, int64_t base, int64_t limit,
                               DirectoryKind kind) {
  exif_ = tEndInd(exif, BigEndian);
  struct Release {
    tEndInd& reader;
    ~Release() { reader = tEndInd(); }
  } release{exif_};
  Walk(start, base, limit, kind);
}

void TImageInfo::Walk(int64_t start, int64_t base, int64_t limit, DirectoryKind kind) {
  EnterDirectory(start);
  struct Leave {
    std::vector<DirectorySpan>& path;
    ~Leave() { path.pop_back(); }
  } leave{walking_};

  Spend(2);
  const int64_t count = exif_.ReadU16At(start);
  const int64_t end = start + 2 + kEntrySize * count;
  walking_.back().end = end;
  if (end > start + base + limit) {
    StatusText = "Illegally sized directory";
    return;
  }
  for (int64_t i = 0; i < count; ++i) {
    ProcessEntry(start + 2 + kEntrySize * i, base, limit, kind);
  }
}

void TImageInfo::ProcessEntry(int64_t entry, int64_t base, int64_t limit, DirectoryKind kind) {
  if (++entries_seen_ > kMaxWalkEntries) throw EKelmora("too many EXIF directory entries");
  Spend(kEntrySize);
  const uint16_t tag = exif_.ReadU16At(entry);
  const uint16_t type = exif_.ReadU16At(entry + 2);
  const auto count = static_cast<uint32_t>(exif_.ReadU32At(entry + 4));
  const int64_t size = int64_t{count} * TypeSize(type);
  if (size == 0) return;

  const int64_t value_pos = size <= 4 ? entry + 8 : int64_t{exif_.ReadU32At(entry + 8)} + base;
  std::string raw = CopyAt(exif_.Buffer, value_pos, size);
  Spend(raw.size());

  TTagEntry record;
  std::string rendered;
  if (IsListingMode(DetailMode)) {
    record = LookupTag(tag, kind);
    rendered = RenderEntry(record, type, size, value_pos, raw);
    if (tag == kTagUserComment) {
      UserCommentText = std::string(TrimSpaceAndControls(CopyAt(raw, 9, size - 9)));
      rendered = UserCommentText;
      UserCommentPos = value_pos;
      UserCommentLen = static_cast<int32_t>(std::clamp<int64_t>(size - 9, INT32_MIN, INT32_MAX));
    }
    AppendInfoLine(record.Desc, rendered);
  }

  ApplySpecialTag(tag, type, entry, value_pos, raw, rendered, base, limit);

  if (DetailMode == DetailLevel::kAll) {
    record.Data = std::move(rendered);
    record.Size = static_cast<int32_t>(raw.size());
    record.Raw = std::move(raw);
    record.Offset = value_pos;
    record.Type = type;
    AddTag(record);
  }
}

std::string TImageInfo::RenderEntry(const TTagEntry& entry, uint16_t type, int64_t size,
                                    int64_t value_pos, const std::string& raw) {
  std::string text;
  if (type == kTypeAscii) {
    text = CopyAt(exif_.Buffer, value_pos, size - 1);  // without the terminating byte
  } else if (type == kTypeUndefined) {
    text = '"' + raw.substr(0, raw.find('\0')) + '"';
  } else {
    text = RenderValue(raw, type, entry.Code, entry.FormatS, BigEndian);
  }
  if (entry.Tag != 0 && entry.Callback != nullptr) return entry.Callback(text);
  return PrintableText(text);
}

void TImageInfo::ApplySpecialTag(uint16_t tag, uint16_t type, int64_t entry, int64_t value_pos,
                                 const std::string& raw, const std::string& rendered, int64_t base,
                                 int64_t limit) {
  switch (tag) {
    case kTagImageWidth:
    case kTagExifImageWidth:
      Width = RoundHalfEven(NumericValue(raw, type));
      WidthPos = entry + 8;
      break;
    case kTagImageLength:
    case kTagExifImageLength:
      Height = RoundHalfEven(NumericValue(raw, type));
      HeightPos = entry + 8;
      break;
    case kTagMake:
      CameraMake = rendered.substr(0, 32);
      break;
    case kTagModel:
      CameraModel = rendered.substr(0, 40);
      break;
    case kTagDateTime:
      DateTimePos = value_pos;
      date_time_raw_ = CopyAt(exif_.Buffer, value_pos, 19);
      DateTimeText = rendered.substr(0, 20);
      break;
    case kTagDateTimeOriginal:
      DateTimeOriginalPos = value_pos;
      date_time_original_raw_ = CopyAt(exif_.Buffer, value_pos, 19);
      DateTimeText = rendered.substr(0, 20);
      break;
    case kTagDateTimeDigitized:
      DateTimeDigitizedPos = value_pos;
      date_time_digitized_raw_ = CopyAt(exif_.Buffer, value_pos, 19);
      break;
    case kTagExifVersion:
      ExifVersion = raw.substr(0, 6);
      break;
    case kTagFlash:
      FlashValue = RoundHalfEven(NumericValue(raw, type));
      break;
    case kTagMakerNote:
      // Only the first maker note of a file is decoded: a second one comes only from
      // damaged or crafted data, and each would walk the whole note again.
      if (maker_note_seen_) break;
      maker_note_seen_ = true;
      MakerNoteRaw = raw;
      MakerNotePos = value_pos;
      MakerNoteDecoded = TmsInfo(ReadingTiff, *this).DecodeMakerNote(exif_.Buffer);
      break;
    case kTagExifOffset:
    case kTagInteropOffset:
    case kTagSubIfds:
      WalkSubDirectory(value_pos, base, limit, DirectoryKind::kMain);
      break;
    case kTagGpsInfo:
      WalkSubDirectory(value_pos, base, limit, DirectoryKind::kGps);
      break;
    default:
      break;
  }
}

void TImageInfo::WalkSubDirectory(int64_t value_pos, int64_t base, int64_t limit,
                                  DirectoryKind kind) {
  try {
    Walk(int64_t{exif_.ReadU32At(value_pos)} + base, base, limit, kind);
  } catch (const std::exception&) {
    // A damaged sub-directory loses only its own remaining entries.
  }
}

void TImageInfo::AppendInfoLine(const std::string& desc, const std::string& value) {
  const uint64_t length = 2 + desc.size() + 3 + value.size();
  if (length > kMaxKeptBytes - std::min(bytes_kept_, kMaxKeptBytes)) return;
  bytes_kept_ += length;
  InfoText.append("\r\n").append(desc).append(" = ").append(value);
}

void TImageInfo::AddTag(const TTagEntry& entry) {
  if (entry.Tag == 0) return;
  const uint64_t cost = sizeof(TTagEntry) + entry.Name.size() + entry.Desc.size() +
                        entry.Code.size() + entry.Data.size() + entry.Raw.size();
  if (cost > kMaxKeptBytes - std::min(bytes_kept_, kMaxKeptBytes)) return;
  try {
    TagList.push_back(entry);
    bytes_kept_ += cost;
  } catch (const std::exception&) {
    // A record that cannot be kept is left out; the walk goes on.
  }
}

double TImageInfo::NumericValue(std::string_view raw, uint16_t type) const {
  return NumericValueOf(raw, type, BigEndian);
}

double TImageInfo::CaptureDateTime() const {
  if (DateTimePos > 0) return ExifTextToDateTime(date_time_raw_);
  if (DateTimeOriginalPos > 0) return ExifTextToDateTime(date_time_original_raw_);
  if (DateTimeDigitizedPos > 0) return ExifTextToDateTime(date_time_digitized_raw_);
  return 0;
}

double TImageInfo::ExifTextToDateTime(std::string_view text) {
  if (text.size() < 19) return 0;
  int parts[6];
  static constexpr size_t kFrom[6] = {0, 5, 8, 11, 14, 17};
  static constexpr size_t kLength[6] = {4, 2, 2, 2, 2, 2};
  for (int i = 0; i < 6; ++i) {
    const std::optional<int32_t> value = ParseDecimalInt(text.substr(kFrom[i], kLength[i]));
    if (!value) return 0;
    parts[i] = *value;
  }
  const auto [year, month, day, hour, minute, second] = parts;
  if (!IsValidDate(year, month, day)) return 0;
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) return 0;
  return EncodeDayNumber(year, month, day, hour, minute, second);
}

int32_t TImageInfo::FindTagIndex(std::string_view name) const {
  for (size_t i = 0; i < TagList.size(); ++i) {
    if (EqualIgnoringCase(TagList[i].Name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

std::string TImageInfo::TagTextByName(std::string_view name) const {
  const int32_t index = FindTagIndex(name);
  return index < 0 ? std::string() : TagList[static_cast<size_t>(index)].Data;
}

TTagEntry TImageInfo::TagByName(std::string_view name) const {
  const int32_t index = FindTagIndex(name);
  return index < 0 ? TTagEntry() : TagList[static_cast<size_t>(index)];
}

double TImageInfo::TagValueByName(std::string_view name) const {
  const int32_t index = FindTagIndex(name);
  if (index < 0) return 0;
  const TTagEntry& entry = TagList[static_cast<size_t>(index)];
  return NumericValue(entry.Raw, entry.Type);
}

int32_t TImageInfo::TagIntByName(std::string_view name) const {
  return RoundHalfEven(TagValueByName(name));
}

}  // namespace kelmora
