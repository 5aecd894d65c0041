#include "common/byte_source.h"

#include <algorithm>
#include <cstring>

namespace kelmora {

std::vector<uint8_t> ByteSource::ReadRange(uint64_t offset, uint64_t length) const {
  const uint64_t size = Size();
  if (offset > size || length > size - offset) throw EOutOfBounds("read outside the data");
  std::vector<uint8_t> bytes(static_cast<size_t>(length));
  // A file that shrank since it was opened ends early.
  if (ReadAt(offset, bytes) != bytes.size()) throw EOutOfBounds("read outside the data");
  return bytes;
}

size_t MemoryByteSource::ReadAt(uint64_t offset, std::span<uint8_t> out) const {
  if (offset >= data_.size()) return 0;
  const size_t count = static_cast<size_t>(std::min<uint64_t>(out.size(), data_.size() - offset));
  if (count > 0) std::memcpy(out.data(), data_.data() + offset, count);
  return count;
}

}  // namespace kelmora
