#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/tiff_strip_decoder.h"

namespace kelmora {

// PackBits run-length decoding. A control byte 0..127 copies the next n + 1 bytes, -1..-127
// repeats the next byte 1 - n times, -128 is skipped. Output stops where the caller's
// buffer ends; a run that would go beyond it is cut there.
class PackBitsDecoder : public StripDecoder {
 public:
  explicit PackBitsDecoder(std::span<const uint8_t> data) : data_(data) {}
  size_t Read(std::span<uint8_t> out) override;

 private:
  std::span<const uint8_t> data_;
  size_t position_ = 0;
  // What is left of the run the previous call had to cut.
  size_t literal_left_ = 0;
  size_t repeat_left_ = 0;
  uint8_t repeat_byte_ = 0;
};

// Decodes all of data into out and returns the bytes written (at most out.size()).
size_t PackBitsDecode(std::span<const uint8_t> data, std::span<uint8_t> out);

}  // namespace kelmora
