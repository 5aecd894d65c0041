#include "metadata/end_ind.h"

#include <span>

#include "common/byte_reader.h"

namespace kelmora {
namespace {

ByteReader ReaderOf(const std::string& buffer, bool bigEndian) {
  return ByteReader(std::span(reinterpret_cast<const uint8_t*>(buffer.data()), buffer.size()),
                    bigEndian ? ByteOrder::kBig : ByteOrder::kLittle);
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

}  // namespace kelmora
