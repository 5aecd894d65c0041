#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/errors.h"

namespace kelmora {

// Raised by ByteReader when a read would leave its buffer. Parsers catch it where a
// damaged structure should end only the part being read.
class EOutOfBounds : public EKelmora {
 public:
  using EKelmora::EKelmora;
};

enum class ByteOrder { kLittle, kBig };

// The one way Kelmora's parsers read untrusted bytes: every offset and length is checked
// against the buffer in 64-bit arithmetic before memory is touched.
class ByteReader {
 public:
  ByteReader() = default;
  explicit ByteReader(std::span<const uint8_t> data, ByteOrder order = ByteOrder::kLittle)
      : data_(data), order_(order) {}

  size_t Size() const { return data_.size(); }
  const uint8_t* Data() const { return data_.data(); }
  ByteOrder Order() const { return order_; }
  void SetOrder(ByteOrder order) { order_ = order; }

  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= data_.size() && length <= data_.size() - offset;
  }
  void Require(uint64_t offset, uint64_t length) const {
    if (!Contains(offset, length)) throw EOutOfBounds("read outside the data");
  }

  uint8_t U8(uint64_t offset) const {
    Require(offset, 1);
    return data_[offset];
  }
  uint16_t U16(uint64_t offset) const {
    Require(offset, 2);
    const uint8_t* p = data_.data() + offset;
    return order_ == ByteOrder::kLittle ? static_cast<uint16_t>(p[0] | (p[1] << 8))
                                        : static_cast<uint16_t>((p[0] << 8) | p[1]);
  }
  uint32_t U32(uint64_t offset) const {
    Require(offset, 4);
    const uint8_t* p = data_.data() + offset;
    if (order_ == ByteOrder::kLittle) {
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
             (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
    }
    return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
           (static_cast<uint32_t>(p[2]) << 8) | static_cast<uint32_t>(p[3]);
  }
  int16_t S16(uint64_t offset) const { return static_cast<int16_t>(U16(offset)); }
  int32_t S32(uint64_t offset) const { return static_cast<int32_t>(U32(offset)); }

  // A checked view of length bytes at offset.
  std::span<const uint8_t> Bytes(uint64_t offset, uint64_t length) const {
    Require(offset, length);
    return data_.subspan(static_cast<size_t>(offset), static_cast<size_t>(length));
  }
  std::string Text(uint64_t offset, uint64_t length) const {
    auto bytes = Bytes(offset, length);
    return std::string(bytes.begin(), bytes.end());
  }
  // A reader over a checked sub-range, keeping the byte order.
  ByteReader Sub(uint64_t offset, uint64_t length) const {
    return ByteReader(Bytes(offset, length), order_);
  }

 private:
  std::span<const uint8_t> data_;
  ByteOrder order_ = ByteOrder::kLittle;
};

}  // namespace kelmora
