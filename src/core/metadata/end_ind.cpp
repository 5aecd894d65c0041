#include "metadata/end_ind.h"

#include <algorithm>
#include <span>

#include "common/byte_reader.h"

namespace kelmora {
namespace {

ByteReader ReaderOf(const std::string& buffer, bool big_endian) {
  return ByteReader(std::span(reinterpret_cast<const uint8_t*>(buffer.data()), buffer.size()),
                    big_endian ? ByteOrder::kBig : ByteOrder::kLittle);
}

// Position 1 is the first byte; anything before it is outside the buffer.
uint64_t OffsetOf(int64_t position) {
  if (position < 1) throw EOutOfBounds("read before the start of the data");
  return static_cast<uint64_t>(position - 1);
}

}  // namespace

uint16_t tEndInd::ReadU16At(int64_t position) const {
  return ReaderOf(Buffer, BigEndian).U16(OffsetOf(position));
}

int32_t tEndInd::ReadU32At(int64_t position) const {
  return ReaderOf(Buffer, BigEndian).S32(OffsetOf(position));
}

std::string CopyAt(const std::string& data, int64_t position, int64_t count) {
  if (count <= 0) return {};
  position = std::max<int64_t>(position, 1);
  if (position > static_cast<int64_t>(data.size())) return {};
  // substr clips the count to the bytes that exist.
  return data.substr(static_cast<size_t>(position - 1), static_cast<size_t>(count));
}

}  // namespace kelmora
