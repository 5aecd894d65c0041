#include "metadata/gps_strip.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "common/byte_reader.h"
#include "common/jpeg_markers.h"
#include "metadata/value_rendering.h"

namespace kelmora {
namespace {

constexpr uint16_t kTagGpsInfo = 0x8825;
constexpr uint16_t kTagGpsVersionId = 0x0000;
constexpr uint64_t kEntrySize = 12;

constexpr std::string_view kExifHeader("Exif\0\0", 6);
constexpr std::string_view kXmpHeader("http://ns.adobe.com/xap/1.0/\0", 29);

bool StartsWith(std::span<const uint8_t> bytes, std::string_view prefix) {
  return bytes.size() >= prefix.size() &&
         std::memcmp(bytes.data(), prefix.data(), prefix.size()) == 0;
}

// Markers that stand alone, without a length: TEM and the restart markers.
bool IsStandaloneMarker(uint8_t marker) {
  return marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7);
}

struct Range {
  uint64_t begin;
  uint64_t end;
  bool Overlaps(uint64_t other_begin, uint64_t other_end) const {
    return other_begin < end && begin < other_end;
  }
};

void Zero(std::span<uint8_t> bytes, uint64_t begin, uint64_t length) {
  std::fill_n(bytes.begin() + static_cast<ptrdiff_t>(begin), static_cast<ptrdiff_t>(length), 0);
}

// The byte count of a directory entry's value.
uint64_t EntryValueSize(const ByteReader& reader, uint64_t entry) {
  return uint64_t{reader.U32(entry + 4)} *
         static_cast<uint64_t>(std::max(0, TypeSize(reader.U16(entry + 2))));
}

// The offset of the GPS directory named by IFD0, or 0.
uint64_t GpsDirectoryOffset(const ByteReader& reader, Range& ifd0) {
  const uint64_t first = reader.U32(4);
  const uint64_t count = reader.U16(first);
  ifd0 = {first, first + 2 + kEntrySize * count + 4};
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t entry = first + 2 + kEntrySize * i;
    if (reader.U16(entry) == kTagGpsInfo) return reader.U32(entry + 8);
  }
  return 0;
}

bool IsNameChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '-' || c == '.';
}

bool IsXmlSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Index of the end of the XML name part that begins at `begin`.
size_t NameEnd(std::string_view text, size_t begin) {
  size_t end = begin;
  while (end < text.size() && IsNameChar(text[end])) ++end;
  return end;
}

// The end (one past) of the property whose name starts at name_begin: an attribute
// name="value" or an element <name ...>...</name> (name_begin then follows the "<"); npos
// when it is neither or is not closed.
size_t PropertyEnd(std::string_view text, size_t name_begin, size_t name_end, bool element) {
  const std::string_view name = text.substr(name_begin, name_end - name_begin);
  if (element) {
    const std::string closing = "</" + std::string(name) + ">";
    const size_t tag_end = text.find('>', name_end);
    if (tag_end == std::string_view::npos) return std::string_view::npos;
    if (text[tag_end - 1] == '/') return tag_end + 1;  // an empty element
    const size_t close = text.find(closing, tag_end);
    return close == std::string_view::npos ? close : close + closing.size();
  }
  size_t at = name_end;
  while (at < text.size() && IsXmlSpace(text[at])) ++at;
  if (at >= text.size() || text[at] != '=') return std::string_view::npos;
  ++at;
  while (at < text.size() && IsXmlSpace(text[at])) ++at;
  if (at >= text.size() || (text[at] != '"' && text[at] != '\'')) return std::string_view::npos;
  const size_t close = text.find(text[at], at + 1);
  return close == std::string_view::npos ? close : close + 1;
}

}  // namespace

bool StripGpsFromTiff(std::span<uint8_t> tiff) {
  if (!StartsWith(tiff, "II") && !StartsWith(tiff, "MM")) return false;
  const ByteReader reader(tiff, tiff[0] == 'M' ? ByteOrder::kBig : ByteOrder::kLittle);
  try {
    Range ifd0{};
    const uint64_t gps = GpsDirectoryOffset(reader, ifd0);
    if (gps == 0) return false;
    const uint64_t count = reader.U16(gps);
    const Range table{gps, gps + 2 + kEntrySize * count};
    reader.Require(table.begin, table.end - table.begin);
    // A directory laid over the header or IFD0 comes only from damaged data; emptying it
    // would destroy the other tags.
    const Range header{0, 8};
    if (count == 0 || table.Overlaps(ifd0.begin, ifd0.end) ||
        table.Overlaps(header.begin, header.end)) {
      return false;
    }
    // GPSVersionID says nothing about the place and is the one entry the directory must
    // hold; it stays when its value lies in its entry. A directory of nothing else is left.
    std::array<uint8_t, kEntrySize> version{};
    bool has_version = false;
    bool has_other = false;
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t entry = gps + 2 + kEntrySize * i;
      if (reader.U16(entry) == kTagGpsVersionId && EntryValueSize(reader, entry) <= 4) {
        if (!has_version)
          std::copy_n(reader.Bytes(entry, kEntrySize).begin(), kEntrySize, version.begin());
        has_version = true;
      } else {
        has_other = true;
      }
    }
    if (!has_other) return false;
    for (uint64_t i = 0; i < count; ++i) {
      const uint64_t entry = gps + 2 + kEntrySize * i;
      const uint64_t size = EntryValueSize(reader, entry);
      if (size <= 4) continue;  // the value lies in the entry, which is zeroed below
      const uint64_t value = reader.U32(entry + 8);
      if (reader.Contains(value, size) && !ifd0.Overlaps(value, value + size) &&
          !header.Overlaps(value, value + size)) {
        Zero(tiff, value, size);
      }
    }
    // The emptied table: its count, then (with the version entry) that entry and a zero link
    // to a next directory, which the zeroed second entry provides.
    Zero(tiff, table.begin, table.end - table.begin);
    if (has_version) {
      const bool big = reader.Order() == ByteOrder::kBig;
      tiff[gps] = big ? 0 : 1;  // an entry count of 1
      tiff[gps + 1] = big ? 1 : 0;
      std::copy(version.begin(), version.end(), tiff.begin() + static_cast<ptrdiff_t>(gps + 2));
    }
    return true;
  } catch (const EOutOfBounds&) {
    return false;  // the directories cannot be read; nothing was changed
  }
}

bool StripGpsFromXmp(std::span<uint8_t> xmp) {
  const std::string_view text(reinterpret_cast<const char*>(xmp.data()), xmp.size());
  bool changed = false;
  size_t from = 0;
  while (true) {
    const size_t found = text.find(":GPS", from);
    if (found == std::string_view::npos) break;
    from = found + 1;
    // Back to the start of the namespace prefix.
    size_t name_begin = found;
    while (name_begin > 0 && IsNameChar(text[name_begin - 1])) --name_begin;
    if (name_begin == 0 || name_begin == found) continue;
    const size_t name_end = NameEnd(text, found + 1);
    const bool element = text[name_begin - 1] == '<';
    if (!element && !IsXmlSpace(text[name_begin - 1])) continue;
    const size_t end = PropertyEnd(text, name_begin, name_end, element);
    if (end == std::string_view::npos) continue;
    const size_t begin = element ? name_begin - 1 : name_begin;
    std::fill(xmp.begin() + static_cast<ptrdiff_t>(begin),
              xmp.begin() + static_cast<ptrdiff_t>(end), ' ');
    changed = true;
    from = end;
  }
  return changed;
}

bool StripGpsPosition(std::span<uint8_t> jpeg) {
  if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != kMarkerSoi) return false;
  bool changed = false;
  size_t at = 2;
  while (at < jpeg.size()) {
    if (jpeg[at] != 0xFF) break;  // not a marker: the structure ends here
    while (at < jpeg.size() && jpeg[at] == 0xFF) ++at;
    if (at >= jpeg.size()) break;
    const uint8_t marker = jpeg[at++];
    if (marker == kMarkerSos || marker == kMarkerEoi) break;
    if (IsStandaloneMarker(marker)) continue;
    if (jpeg.size() - at < 2) break;
    const size_t length = size_t{jpeg[at]} << 8 | jpeg[at + 1];
    if (length < 2 || length > jpeg.size() - at) break;
    const std::span<uint8_t> payload = jpeg.subspan(at + 2, length - 2);
    if (marker == kMarkerApp1) {
      if (StartsWith(payload, kExifHeader)) {
        changed |= StripGpsFromTiff(payload.subspan(kExifHeader.size()));
      } else if (StartsWith(payload, kXmpHeader)) {
        changed |= StripGpsFromXmp(payload.subspan(kXmpHeader.size()));
      }
    }
    at += length;
  }
  return changed;
}

}  // namespace kelmora
