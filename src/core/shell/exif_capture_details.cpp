#include "shell/exif_capture_details.h"

#include <optional>
#include <span>
#include <string>

#include "common/byte_reader.h"

namespace kelmora {
namespace {

constexpr uint16_t kTagMake = 0x010F;
constexpr uint16_t kTagModel = 0x0110;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTagExposureTime = 0x829A;
constexpr uint16_t kTagFNumber = 0x829D;
constexpr uint16_t kTagIsoSpeedRatings = 0x8827;
constexpr uint16_t kTagFocalLength = 0x920A;

constexpr uint16_t kTypeByte = 1;
constexpr uint16_t kTypeAscii = 2;
constexpr uint16_t kTypeShort = 3;
constexpr uint16_t kTypeLong = 4;
constexpr uint16_t kTypeRational = 5;
constexpr uint16_t kTypeSRational = 10;

// The first EXIF record of a tag; maker-note records (Id 1) are not EXIF tags.
const TTagEntry* FirstRecord(const TImageInfo& info, uint16_t tag) {
  for (const TTagEntry& entry : info.TagList) {
    if (entry.Id == 0 && entry.Tag == tag) return &entry;
  }
  return nullptr;
}

ByteReader RawReader(const TImageInfo& info, const TTagEntry& entry) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(entry.Raw.data());
  return ByteReader(std::span<const uint8_t>(bytes, entry.Raw.size()),
                    info.BigEndian ? ByteOrder::kBig : ByteOrder::kLittle);
}

// The first value of an unsigned integer tag.
std::optional<int64_t> FirstInteger(const TImageInfo& info, uint16_t tag) {
  const TTagEntry* entry = FirstRecord(info, tag);
  if (entry == nullptr) return std::nullopt;
  const ByteReader reader = RawReader(info, *entry);
  switch (entry->Type) {
    case kTypeByte:
      if (reader.Contains(0, 1)) return reader.U8(0);
      break;
    case kTypeShort:
      if (reader.Contains(0, 2)) return reader.U16(0);
      break;
    case kTypeLong:
      if (reader.Contains(0, 4)) return reader.U32(0);
      break;
    default:
      break;
  }
  return std::nullopt;
}

ExifRational FirstRational(const TImageInfo& info, uint16_t tag) {
  const TTagEntry* entry = FirstRecord(info, tag);
  if (entry == nullptr) return {};
  const ByteReader reader = RawReader(info, *entry);
  if (!reader.Contains(0, 8)) return {};
  if (entry->Type == kTypeRational) return {reader.U32(0), reader.U32(4)};
  if (entry->Type == kTypeSRational) return {reader.S32(0), reader.S32(4)};
  return {};
}

// An ASCII value up to its first zero byte, without surrounding blanks.
std::string TextValue(const TImageInfo& info, uint16_t tag) {
  const TTagEntry* entry = FirstRecord(info, tag);
  if (entry == nullptr || entry->Type != kTypeAscii) return {};
  std::string text = entry->Raw.substr(0, entry->Raw.find('\0'));
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

CaptureDetails CaptureDetailsOf(const TImageInfo& info) {
  CaptureDetails details;
  details.orientation = UsableOrientation(FirstInteger(info, kTagOrientation).value_or(1));
  details.camera_make = TextValue(info, kTagMake);
  details.camera_model = TextValue(info, kTagModel);
  details.exposure_time = FirstRational(info, kTagExposureTime);
  details.f_number = FirstRational(info, kTagFNumber);
  details.focal_length = FirstRational(info, kTagFocalLength);
  details.iso = FirstInteger(info, kTagIsoSpeedRatings).value_or(0);
  return details;
}

}  // namespace kelmora
