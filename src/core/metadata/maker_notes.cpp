#include "metadata/maker_notes.h"

#include <algorithm>
#include <utility>

#include "common/errors.h"
#include "metadata/image_info.h"
#include "metadata/img_data.h"
#include "metadata/maker_tables.h"
#include "metadata/value_rendering.h"

namespace kelmora {

namespace {

constexpr int64_t kEntrySize = 12;
// Position of the TIFF header in the EXIF data of a JPEG (two length bytes and "Exif\0\0"
// come first) and of a TIFF-type file (whose buffer starts at file offset 8).
constexpr int64_t kJpegExifBase = 9;
constexpr int64_t kTiffExifBase = -7;
// Real notes hold a few kilobytes of values. Overlapping entries of a crafted note could
// make every entry copy the whole note; the walk gives up beyond this many value bytes.
constexpr uint64_t kMaxValueBytesPerNote = 16u << 20;

// The character after the first blank of the model name, or its first character.
char ModelSeriesLetter(const std::string& model) {
  size_t blank = model.find(' ');
  size_t index = blank == std::string::npos ? 0 : blank + 1;
  return index < model.size() ? model[index] : '\0';
}

bool ConditionHolds(MakerCondition condition, const TImageInfo& info, bool reading_tiff) {
  switch (condition) {
    case MakerCondition::kAlways:
      return true;
    case MakerCondition::kNikonNewFormat:
      return info.ExifVersion > std::string("0210") ||
             (info.ExifVersion.empty() && ModelSeriesLetter(info.CameraModel) == 'D' &&
              reading_tiff);
    case MakerCondition::kNoteStartsWithNikon:
      return info.MakerNoteRaw.starts_with("Nikon");
    case MakerCondition::kMinoltaMake: {
      // Other makes beginning "KONIC" (Konica's own cameras) lay out their notes otherwise.
      const std::string_view make = info.CameraMake;
      const auto begins = [&](std::string_view prefix) {
        return make.size() >= prefix.size() &&
               EqualIgnoringCase(make.substr(0, prefix.size()), prefix);
      };
      return begins("MINOLTA") || begins("KONICA MINOLTA");
    }
  }
  return false;
}

const TagRow* FirstRowOf(std::span<const TagRow> table, uint16_t tag) {
  auto it =
      std::find_if(table.begin(), table.end(), [tag](const TagRow& r) { return r.Tag == tag; });
  return it == table.end() ? nullptr : &*it;
}

const TagRow* LastRowOf(std::span<const TagRow> table, uint16_t tag) {
  auto it =
      std::find_if(table.rbegin(), table.rend(), [tag](const TagRow& r) { return r.Tag == tag; });
  return it == table.rend() ? nullptr : &*it;
}

bool BuildsTagList(int32_t detail_mode) {
  return detail_mode == kDetailTagList || detail_mode == kDetailAll;
}

// Puts the note in place of info's Buffer for the walk and the EXIF bytes back afterwards,
// however the walk ends.
class BufferSwap {
 public:
  BufferSwap(TImageInfo& info, std::string note) : info_(info), saved_(std::move(info.Buffer)) {
    info_.Buffer = std::move(note);
  }
  ~BufferSwap() { info_.Buffer = std::move(saved_); }
  const std::string& Saved() const { return saved_; }
  BufferSwap(const BufferSwap&) = delete;
  BufferSwap& operator=(const BufferSwap&) = delete;

 private:
  TImageInfo& info_;
  std::string saved_;
};

}  // namespace

bool TmsInfo::DecodeMakerNote() {
  const std::string_view make = std::string_view(info_.CameraMake).substr(0, 5);
  auto layout =
      std::find_if(kMakerDispatch.begin(), kMakerDispatch.end(), [&](const MakerLayout& l) {
        return EqualIgnoringCase(l.make, make) && ConditionHolds(l.condition, info_, readingTiff_);
      });
  if (layout == kMakerDispatch.end()) return false;

  // An offset X of the EXIF data is at EXIF position X + base; the note's first byte is at
  // EXIF position MakerNotePos.
  const int64_t exifBase = readingTiff_ ? kTiffExifBase : kJpegExifBase;
  const int64_t adjust =
      layout->offsets_from_exif ? exifBase + 1 - info_.MakerNotePos : layout->note_base;
  // Where offsets count from the EXIF header, a value beyond the note is still in the EXIF
  // data at the offset's own position.
  const int64_t spill_base = layout->offsets_from_exif ? exifBase : layout->spill_base;
  const bool big_endian = info_.BigEndian;
  try {
    if (layout->little_endian) info_.BigEndian = false;
    WalkMakerDirectory(info_, info_.MakerNoteRaw, layout->table, spill_base, adjust, layout->start);
  } catch (const std::exception& error) {
    info_.Owner.StatusText = std::string("Error Detected = ") + error.what();
  }
  info_.BigEndian = big_endian;
  return true;
}

void TmsInfo::WalkMakerDirectory(TImageInfo& info, const std::string& note,
                                 std::span<const TagRow> table, int64_t spill_base, int64_t adjust,
                                 int64_t startSkip) {
  // Values beyond the note come from the container's EXIF data, which is info's own Buffer
  // when the container holds no segment.
  const std::string& exifData = info.ExifSegmentData();
  const bool exifIsBuffer = &exifData == &info.Buffer;
  BufferSwap swap(info, note);
  const std::string& spillData = exifIsBuffer ? swap.Saved() : exifData;
  const std::string& noteBytes = info.Buffer;
  const int64_t noteSize = static_cast<int64_t>(noteBytes.size());
  const bool buildList = BuildsTagList(info.DetailMode);
  uint64_t valueBytes = 0;

  const int64_t entries = info.ReadU16At(startSkip);
  for (int64_t i = 0; i < entries; ++i) {
    const int64_t e = startSkip + 2 + kEntrySize * i;
    const uint16_t tag = info.ReadU16At(e);
    const uint16_t type = info.ReadU16At(e + 2);
    const int64_t count = static_cast<uint32_t>(info.ReadU32At(e + 4));
    const int64_t size = count * TypeSize(type);
    int64_t offset = 0;
    int64_t position = e + 8;
    if (size > 4) {
      offset = info.ReadU32At(e + 8);
      position = adjust + offset;
    }

    const TagRow* row = FirstRowOf(table, tag);
    const std::string label = row ? std::string(row->Desc) : std::string("Unknown");
    if (EqualIgnoringCase(label, "Skip") || !buildList) continue;

    const bool inNote = position >= 1 && position + size - 1 <= noteSize;
    std::string raw =
        inNote ? noteBytes.substr(static_cast<size_t>(position - 1), static_cast<size_t>(size))
               : CopyAt(spillData, spill_base + offset, size);
    valueBytes += raw.size() + kEntrySize;
    if (valueBytes > kMaxValueBytesPerNote) throw EKelmora("maker note values too large");

    std::string rendered;
    if (type == 2) {
      rendered = "\"" + raw.substr(0, raw.find('\0')) + "\"";
    } else if (type == 7) {
      rendered = "\"" + raw + "\"";
    } else {
      const TagRow* codeRow = LastRowOf(table, tag);
      rendered = RenderValue(raw, type, codeRow ? codeRow->Code : std::string_view(),
                             row ? row->FormatS : std::string_view(), info.BigEndian);
    }
    rendered = row && row->Callback ? row->Callback(rendered) : PrintableText(rendered);
    info.MakerNoteText += "\r\n" + label + " = " + rendered;

    if (row) {
      TTagEntry record = EntryFromRow(*row);
      record.Data = std::move(rendered);
      record.Size = static_cast<int32_t>(raw.size());
      record.Raw = std::move(raw);
      record.Type = type;
      record.Id = 1;
      info.AddTag(record);
    }
  }
}

}  // namespace kelmora
