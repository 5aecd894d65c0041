#include "imaging/packbits.h"

#include <algorithm>
#include <cstring>

namespace kelmora {

size_t PackBitsDecoder::Read(std::span<uint8_t> out) {
  size_t written = 0;
  while (written < out.size()) {
    if (literal_left_ > 0) {
      const size_t count =
          std::min({literal_left_, out.size() - written, data_.size() - position_});
      // A literal run cut off by the end of the data ends the strip.
      if (count == 0) {
        literal_left_ = 0;
        break;
      }
      std::memcpy(out.data() + written, data_.data() + position_, count);
      written += count;
      position_ += count;
      literal_left_ -= count;
      continue;
    }
    if (repeat_left_ > 0) {
      const size_t count = std::min(repeat_left_, out.size() - written);
      std::memset(out.data() + written, repeat_byte_, count);
      written += count;
      repeat_left_ -= count;
      continue;
    }
    if (position_ >= data_.size()) break;
    const int control = static_cast<int8_t>(data_[position_++]);
    if (control >= 0) {
      literal_left_ = static_cast<size_t>(control) + 1;
    } else if (control != -128) {
      if (position_ >= data_.size()) break;
      repeat_byte_ = data_[position_++];
      repeat_left_ = static_cast<size_t>(1 - control);
    }
  }
  return written;
}

size_t PackBitsDecode(std::span<const uint8_t> data, std::span<uint8_t> out) {
  return PackBitsDecoder(data).Read(out);
}

}  // namespace kelmora
