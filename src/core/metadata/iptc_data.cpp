#include "metadata/iptc_data.h"

#include <algorithm>
#include <array>
#include <span>

#include "common/byte_reader.h"
#include "metadata/img_data.h"
#include "metadata/value_rendering.h"

namespace kelmora {
namespace {

struct IptcRow {
  uint16_t Record;
  uint16_t Tag;  // dataset number
  std::string_view Name;
  std::string_view Desc;
};

// clang-format off
constexpr std::array<IptcRow, 32> kIptcDictionary = {{
    {2,   0, "SKIP",               "Record Version"},
    {2,   5, "ObjectName",         "Object name"},
    {2,  10, "Urgency",            "Urgency"},
    {2,  12, "SubRef",             "Subject Reference"},
    {2,  15, "Category",           "Category"},
    {2,  20, "SuppCategory",       "Supplemental category"},
    {2,  22, "FixtureID",          "Fixture ID"},
    {2,  25, "Keywords",           "Keywords"},
    {2,  40, "SpecialInstru",      "Special Instructions"},
    {2,  55, "DateCreated",        "Date created"},
    {2,  60, "TimeCreated",        "Time created"},
    {2,  65, "OriginatingProgram", "Originating Program"},
    {2,  70, "ProgramVersion",     "Program version"},
    {2,  80, "ByLine",             "ByLine"},
    {2,  85, "ByLineTitle",        "ByLine Title"},
    {2,  90, "City",               "City"},
    {2,  92, "SubLocation",        "Sublocation"},
    {2,  95, "State",              "Province/State"},
    {2, 100, "LocationCode",       "Country/Primary Location Code"},
    {2, 101, "LocationName",       "Country/Primary Location Name"},
    {2, 103, "TransmissionRef",    "Original Transmission Reference"},
    {2, 105, "ImageHeadline",      "Image headline"},
    {2, 110, "ImageCredit",        "Image credit"},
    {2, 115, "Source",             "Source"},
    {2, 116, "Copyright",          "Copyright Notice"},
    {2, 118, "Contact",            "Contact"},
    {2, 120, "ImageCaption",       "Image caption"},
    {2, 122, "ImageCaptionWriter", "Image caption writer"},
    {2, 130, "ImageType",          "Image type"},
    {2, 131, "Orientation",        "Image Orientation"},
    {2, 135, "LangID",             "Language ID"},
    {8,  10, "Subfile",            "Subfile"},
}};
// clang-format on

// Datasets that may occur several times; their values are joined into one record.
constexpr uint16_t kSuppCategory = 20;
constexpr uint16_t kKeywords = 25;
constexpr uint8_t kDatasetMarker = 0x1C;
constexpr std::string_view kPhotoshopSignature = "Photoshop 3.0";

}  // namespace

int32_t TIPTCdata::IptcDictionarySize() {
  return static_cast<int32_t>(kIptcDictionary.size());
}

int32_t TIPTCdata::IptcDictionaryIndex(std::string_view name) {
  for (size_t i = 0; i < kIptcDictionary.size(); ++i) {
    if (EqualIgnoringCase(kIptcDictionary[i].Name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

TTagEntry TIPTCdata::IptcDictionaryRow(int32_t index) {
  const IptcRow& row = kIptcDictionary.at(static_cast<size_t>(index));
  TTagEntry entry;
  entry.Record = row.Record;
  entry.Tag = row.Tag;
  entry.Name = row.Name;
  entry.Desc = row.Desc;
  return entry;
}

int32_t TIPTCdata::FindIptcTag(std::string_view name) const {
  for (size_t i = 0; i < records_.size(); ++i) {
    if (EqualIgnoringCase(records_[i].Name, name)) return static_cast<int32_t>(i);
  }
  return -1;
}

void TIPTCdata::RemoveIptcTag(std::string_view name) {
  const int32_t index = FindIptcTag(name);
  if (index >= 0) records_.erase(records_.begin() + index);
}

int32_t TIPTCdata::SetIptcValue(std::string_view name, const std::string& value) {
  const int32_t index = FindIptcTag(name);
  if (index >= 0) {
    if (!value.empty()) records_[static_cast<size_t>(index)].Data = value;
    return index;
  }
  const int32_t row = IptcDictionaryIndex(name);
  if (row < 0) return -1;
  TTagEntry record = IptcDictionaryRow(row);
  record.Data = value;
  return AddIptcRecord(record);
}

int32_t TIPTCdata::AddIptcValue(std::string_view name, const std::string& value) {
  const int32_t index = FindIptcTag(name);
  if (index < 0) return SetIptcValue(name, value);
  if (!value.empty()) records_[static_cast<size_t>(index)].Data.append(",").append(value);
  return index;
}

int32_t TIPTCdata::WriteIptcValue(std::string_view name, const std::string& value) {
  const int32_t row = IptcDictionaryIndex(name);
  if (row < 0) return -1;
  const IptcRow& entry = kIptcDictionary[static_cast<size_t>(row)];
  if (entry.Record == 2 && (entry.Tag == kSuppCategory || entry.Tag == kKeywords)) {
    return SetIptcValue(name, value);
  }
  return AddIptcValue(name, value);
}

std::string TIPTCdata::IptcValueOf(std::string_view name, const std::string& fallback) const {
  const int32_t index = FindIptcTag(name);
  return index < 0 ? fallback : records_[static_cast<size_t>(index)].Data;
}

bool TIPTCdata::ReadIptcFile(const std::string& path) {
  ClearIptc();
  TimgData container(DetailLevel::kNone);  // no EXIF listing or tag list is wanted here
  container.ReadImageFile(path);
  ParseIptc(container.SegmentData(container.IptcSegRef));
  return HasIptc();
}

void TIPTCdata::SetIptcCount(int32_t count) {
  if (count >= 0 && static_cast<size_t>(count) < records_.size()) {
    records_.resize(static_cast<size_t>(count));
  }
}

int32_t TIPTCdata::AddIptcRecord(const TTagEntry& record) {
  if (record.Tag == 0) return -1;
  records_.push_back(record);
  return IptcCount() - 1;
}

void TIPTCdata::ParseIptc(std::string_view data) {
  ClearIptc();
  const ByteReader reader(std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()),
                          ByteOrder::kBig);
  const size_t length = data.size();
  // Offsets below are 0-based; the datasets start at the first marker of record 2 or 8
  // behind the Photoshop signature.
  const size_t signature = data.find(kPhotoshopSignature);
  size_t i = signature == std::string_view::npos ? 12 : signature + kPhotoshopSignature.size();
  while (i + 1 < length &&
         !(reader.U8(i) == kDatasetMarker && (reader.U8(i + 1) == 2 || reader.U8(i + 1) == 8))) {
    ++i;
  }
  size_t p = i + 1;  // the record number of the first dataset
  while (length >= 3 && p < length - 3) {
    const uint8_t record = reader.U8(p);
    const uint8_t dataset = reader.U8(p + 1);
    uint64_t size = reader.U16(p + 2);
    p += 4;
    if (size & 0x8000) {
      // Extended form: the low bits count the bytes of the real length that follow.
      const uint64_t length_bytes = size & 0x7FFF;
      if (length_bytes > 4 || !reader.Contains(p, length_bytes)) break;
      size = 0;
      for (uint64_t b = 0; b < length_bytes; ++b) size = size * 256 + reader.U8(p++);
    }
    const size_t available = length - p;
    if (record == 2 || record == 8) {
      for (const IptcRow& row : kIptcDictionary) {
        if (row.Tag != dataset || row.Record != record) continue;
        if (row.Name != "SKIP") {
          TTagEntry entry = IptcDictionaryRow(static_cast<int32_t>(&row - kIptcDictionary.data()));
          entry.Data = reader.Text(p, std::min<uint64_t>(size, available));
          if (entry.Tag == kSuppCategory || entry.Tag == kKeywords) {
            AddIptcValue(entry.Name, entry.Data);
          } else {
            AddIptcRecord(entry);
          }
        }
        break;
      }
    }
    if (size >= available) break;  // the dataset runs to or past the end of the data
    p += static_cast<size_t>(size) + 1;
  }
}

}  // namespace kelmora
