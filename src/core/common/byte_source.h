#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/byte_reader.h"

namespace kelmora {

// Bytes that are read piece by piece where they lie (a file, a buffer), so that a decoder
// never has to hold a whole file in memory.
class ByteSource {
 public:
  virtual ~ByteSource() = default;

  virtual uint64_t Size() const = 0;
  // Copies up to out.size() bytes from offset into out and returns how many; fewer only
  // at the end of the bytes. A file that cannot be read raises EFileError.
  virtual size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const = 0;

  // Exactly length bytes at offset; raises EOutOfBounds when they are not all there.
  std::vector<uint8_t> ReadRange(uint64_t offset, uint64_t length) const;
};

// Bytes already in memory.
class MemoryByteSource : public ByteSource {
 public:
  explicit MemoryByteSource(std::span<const uint8_t> data) : data_(data) {}
  uint64_t Size() const override { return data_.size(); }
  size_t ReadAt(uint64_t offset, std::span<uint8_t> out) const override;

 private:
  std::span<const uint8_t> data_;
};

}  // namespace kelmora
