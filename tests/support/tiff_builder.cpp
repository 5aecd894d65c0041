#include "support/tiff_builder.h"

#include "support/byte_builders.h"

namespace kelmora::test {
namespace {

constexpr uint32_t kHeaderSize = 8;

uint32_t TypeSize(uint16_t type) {
  return type == 3 ? 2 : type == 4 ? 4 : 1;
}

uint32_t DirectorySize(const std::vector<TiffEntry>& dir) {
  return 2 + 12 * static_cast<uint32_t>(dir.size()) + 4;
}

}  // namespace

std::string TiffBuilder::U16(uint16_t v) const {
  return PackBytes(v, 2, big_endian_);
}

std::string TiffBuilder::U32(uint32_t v) const {
  return PackBytes(v, 4, big_endian_);
}

TiffEntry TiffBuilder::Ascii(uint16_t tag, const std::string& text) const {
  return {tag, 2, static_cast<uint32_t>(text.size() + 1), text + '\0'};
}

TiffEntry TiffBuilder::Short(uint16_t tag, const std::vector<uint16_t>& values) const {
  TiffEntry e{tag, 3, static_cast<uint32_t>(values.size()), ""};
  for (uint16_t v : values) e.bytes += U16(v);
  return e;
}

TiffEntry TiffBuilder::Long(uint16_t tag, uint32_t value) const {
  return {tag, 4, 1, U32(value)};
}

TiffEntry TiffBuilder::Rational(uint16_t tag, uint32_t num, uint32_t den) const {
  return {tag, 5, 1, U32(num) + U32(den)};
}

TiffEntry TiffBuilder::Undefined(uint16_t tag, const std::string& bytes) const {
  return {tag, 7, static_cast<uint32_t>(bytes.size()), bytes};
}

TiffEntry TiffBuilder::Pointer(uint16_t tag, int dir) const {
  return {tag, 4, 1, "", dir};
}

TiffEntry TiffBuilder::Values(uint16_t tag, uint16_t type,
                              const std::vector<uint32_t>& values) const {
  TiffEntry e{tag, type, static_cast<uint32_t>(values.size()), ""};
  for (uint32_t v : values) e.bytes += PackBytes(v, static_cast<int>(TypeSize(type)), big_endian_);
  return e;
}

int TiffBuilder::AddDirectory(std::vector<TiffEntry> entries) {
  dirs_.push_back(std::move(entries));
  return static_cast<int>(dirs_.size()) - 1;
}

uint32_t TiffBuilder::AddBlob(const std::string& bytes) {
  const auto offset = static_cast<uint32_t>(kHeaderSize + blobs_.size());
  blobs_ += bytes;
  return offset;
}

std::string TiffBuilder::Build(int64_t ifd0_offset) const {
  std::vector<uint32_t> starts;
  uint32_t at = kHeaderSize + static_cast<uint32_t>(blobs_.size());
  for (const auto& dir : dirs_) {
    starts.push_back(at);
    at += DirectorySize(dir);
    for (const TiffEntry& e : dir) {
      if (e.sub_dir < 0 && e.offset < 0 && e.bytes.size() > 4) {
        at += static_cast<uint32_t>(e.bytes.size());
      }
    }
  }
  const uint32_t first = ifd0_offset >= 0 ? static_cast<uint32_t>(ifd0_offset)
                         : starts.empty() ? 0
                                          : starts[0];
  std::string out = std::string(big_endian_ ? "MM" : "II") + U16(42) + U32(first) + blobs_;
  for (size_t d = 0; d < dirs_.size(); ++d) {
    std::string values;
    uint32_t value_at = starts[d] + DirectorySize(dirs_[d]);
    out += U16(static_cast<uint16_t>(dirs_[d].size()));
    for (const TiffEntry& e : dirs_[d]) {
      out += U16(e.tag) + U16(e.type) + U32(e.count);
      if (e.sub_dir >= 0) {
        out += U32(starts.at(static_cast<size_t>(e.sub_dir)));
      } else if (e.offset >= 0) {
        out += U32(static_cast<uint32_t>(e.offset));
      } else if (e.bytes.size() > 4) {
        out += U32(value_at);
        values += e.bytes;
        value_at += static_cast<uint32_t>(e.bytes.size());
      } else {
        out += (e.bytes + std::string(4, '\0')).substr(0, 4);
      }
    }
    out += U32(0) + values;
  }
  return out;
}

}  // namespace kelmora::test
