#include "metadata/maker_notes.h"

#include <algorithm>

#include "common/errors.h"
#include "metadata/image_info.h"
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

bool BuildsTagList(DetailLevel detail_mode) {
  return detail_mode == DetailLevel::kTagList || detail_mode == DetailLevel::kAll;
}

}  // namespace

bool TmsInfo::DecodeMakerNote(std::string_view exif) {
  const std::string_view make = std::string_view(info_.CameraMake).substr(0, 5);
  auto layout =
      std::find_if(kMakerDispatch.begin(), kMakerDispatch.end(), [&](const MakerLayout& l) {
        return EqualIgnoringCase(l.make, make) && ConditionHolds(l.condition, info_, reading_tiff_);
      });
  if (layout == kMakerDispatch.end()) return false;

  // An offset X of the EXIF data is at EXIF position X + base; the note's first byte is at
  // EXIF position MakerNotePos.
  const int64_t exif_base = reading_tiff_ ? kTiffExifBase : kJpegExifBase;
  const int64_t adjust =
      layout->offsets_from_exif ? exif_base + 1 - info_.MakerNotePos : layout->note_base;
  // Where offsets count from the EXIF header, a value beyond the note is still in the EXIF
  // data at the offset's own position.
  const int64_t spill_base = layout->offsets_from_exif ? exif_base : layout->spill_base;
  const tEndInd note(info_.MakerNoteRaw, layout->little_endian ? false : info_.BigEndian);
  try {
    WalkMakerDirectory(note, exif, layout->table, spill_base, adjust, layout->start);
  } catch (const std::exception& error) {
    info_.StatusText = std::string("Error Detected = ") + error.what();
  }
  return true;
}

void TmsInfo::WalkMakerDirectory(const tEndInd& note, std::string_view exif,
                                 std::span<const TagRow> table, int64_t spill_base, int64_t adjust,
                                 int64_t start_skip) {
  const std::string_view note_bytes = note.Buffer;
  const int64_t note_size = static_cast<int64_t>(note_bytes.size());
  const bool build_list = BuildsTagList(info_.DetailMode);
  uint64_t value_bytes = 0;

  const int64_t entries = note.ReadU16At(start_skip);
  for (int64_t i = 0; i < entries; ++i) {
    const int64_t e = start_skip + 2 + kEntrySize * i;
    const uint16_t tag = note.ReadU16At(e);
    const uint16_t type = note.ReadU16At(e + 2);
    const int64_t count = static_cast<uint32_t>(note.ReadU32At(e + 4));
    const int64_t size = count * TypeSize(type);
    int64_t offset = 0;
    int64_t position = e + 8;
    if (size > 4) {
      offset = note.ReadU32At(e + 8);
      position = adjust + offset;
    }

    const TagRow* row = FirstRowOf(table, tag);
    const std::string label = row ? std::string(row->Desc) : std::string("Unknown");
    if (EqualIgnoringCase(label, "Skip") || !build_list) continue;

    const bool in_note = position >= 1 && position + size - 1 <= note_size;
    std::string raw = in_note ? std::string(note_bytes.substr(static_cast<size_t>(position - 1),
                                                              static_cast<size_t>(size)))
                              : CopyAt(exif, spill_base + offset, size);
    value_bytes += raw.size() + kEntrySize;
    if (value_bytes > kMaxValueBytesPerNote) throw EKelmora("maker note values too large");

    std::string rendered;
    if (type == 2) {
      rendered = "\"" + raw.substr(0, raw.find('\0')) + "\"";
    } else if (type == 7) {
      rendered = "\"" + raw + "\"";
    } else {
      const TagRow* code_row = LastRowOf(table, tag);
      rendered = RenderValue(raw, type, code_row ? code_row->Code : std::string_view(),
                             row ? row->FormatS : std::string_view(), note.BigEndian);
    }
    rendered = row && row->Callback ? row->Callback(rendered) : PrintableText(rendered);
    info_.MakerNoteText += "\r\n" + label + " = " + rendered;

    if (row) {
      TTagEntry record = EntryFromRow(*row);
      record.Data = std::move(rendered);
      record.Size = static_cast<int32_t>(raw.size());
      record.Raw = std::move(raw);
      record.Type = type;
      record.Id = 1;
      info_.AddTag(record);
    }
  }
}

}  // namespace kelmora
