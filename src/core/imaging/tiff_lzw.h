#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/tiff_strip_decoder.h"

namespace kelmora {

// TIFF's LZW: 9- to 12-bit codes, most significant bit first, code 256 clears the table and
// 257 ends the data; the code width grows one code early. Data written by very old
// encoders (least significant bit first, no early change) starts with the bytes 0x00 0x01
// and is decoded too. Damaged data ends the strip where the damage starts.
class TiffLzwDecoder : public StripDecoder {
 public:
  explicit TiffLzwDecoder(std::span<const uint8_t> data);
  size_t Read(std::span<uint8_t> out) override;

 private:
  static constexpr int kMaxCodes = 4096;

  int NextCode();
  void ResetTable();
  void AddEntry(int prefix, uint8_t suffix);
  // Writes the string of a code backwards from end - 1.
  void WriteString(int code, uint8_t* end) const;

  std::span<const uint8_t> data_;
  uint64_t bit_position_ = 0;
  bool lsb_first_ = false;
  int early_change_ = 1;
  int code_width_ = 9;
  int next_code_ = 258;
  int previous_code_ = -1;
  bool ended_ = false;

  std::array<uint16_t, kMaxCodes> prefix_{};
  std::array<uint16_t, kMaxCodes> length_{};
  std::array<uint8_t, kMaxCodes> suffix_{};
  std::array<uint8_t, kMaxCodes> first_{};

  // A string that did not fit the caller's buffer, waiting for the next call.
  std::array<uint8_t, kMaxCodes> pending_{};
  size_t pending_start_ = 0;
  size_t pending_end_ = 0;
};

}  // namespace kelmora
