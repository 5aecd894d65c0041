#include "imaging/tiff_lzw.h"

#include <algorithm>
#include <cstring>

namespace kelmora {
namespace {

constexpr int kClearCode = 256;
constexpr int kEndCode = 257;
constexpr int kFirstFreeCode = 258;
constexpr int kMaxCodeWidth = 12;

}  // namespace

TiffLzwDecoder::TiffLzwDecoder(std::span<const uint8_t> data) : data_(data) {
  // A clear code written least significant bit first begins 0x00, 0x01; written most
  // significant bit first it begins 0x80.
  if (data_.size() >= 2 && data_[0] == 0 && (data_[1] & 1) != 0) {
    lsb_first_ = true;
    early_change_ = 0;
  }
  for (int code = 0; code < 256; ++code) {
    suffix_[code] = static_cast<uint8_t>(code);
    first_[code] = static_cast<uint8_t>(code);
    length_[code] = 1;
  }
  ResetTable();
}

void TiffLzwDecoder::ResetTable() {
  code_width_ = 9;
  next_code_ = kFirstFreeCode;
  previous_code_ = -1;
}

int TiffLzwDecoder::NextCode() {
  const uint64_t total_bits = uint64_t{data_.size()} * 8;
  if (bit_position_ + static_cast<uint64_t>(code_width_) > total_bits) return -1;
  const uint64_t byte = bit_position_ >> 3;
  const int shift = static_cast<int>(bit_position_ & 7);
  uint32_t window = 0;
  for (uint64_t i = 0; i < 3; ++i) {
    const uint32_t value = byte + i < data_.size() ? data_[byte + i] : 0;
    window |= lsb_first_ ? value << (8 * i) : value << (16 - 8 * i);
  }
  bit_position_ += static_cast<uint64_t>(code_width_);
  const uint32_t mask = (1u << code_width_) - 1;
  if (lsb_first_) return static_cast<int>((window >> shift) & mask);
  return static_cast<int>((window >> (24 - shift - code_width_)) & mask);
}

void TiffLzwDecoder::AddEntry(int prefix, uint8_t suffix) {
  if (next_code_ >= kMaxCodes) return;
  prefix_[next_code_] = static_cast<uint16_t>(prefix);
  suffix_[next_code_] = suffix;
  first_[next_code_] = first_[prefix];
  length_[next_code_] = static_cast<uint16_t>(length_[prefix] + 1);
  ++next_code_;
  if (next_code_ + early_change_ >= (1 << code_width_) && code_width_ < kMaxCodeWidth) {
    ++code_width_;
  }
}

void TiffLzwDecoder::WriteString(int code, uint8_t* end) const {
  // Prefix chains only point to smaller codes, and a string's length is the length of its
  // chain, so exactly length_[code] bytes are written.
  uint8_t* p = end;
  for (;;) {
    *--p = suffix_[code];
    if (code < 256) break;
    code = prefix_[code];
  }
}

size_t TiffLzwDecoder::Read(std::span<uint8_t> out) {
  size_t written = 0;
  while (written < out.size()) {
    if (pending_start_ < pending_end_) {
      const size_t count = std::min(pending_end_ - pending_start_, out.size() - written);
      std::memcpy(out.data() + written, pending_.data() + pending_start_, count);
      pending_start_ += count;
      written += count;
      continue;
    }
    if (ended_) break;
    const int code = NextCode();
    if (code < 0 || code == kEndCode) {
      ended_ = true;
      break;
    }
    if (code == kClearCode) {
      ResetTable();
      continue;
    }
    if (previous_code_ < 0) {
      // The first code after a clear must be a single byte.
      if (code >= 256) {
        ended_ = true;
        break;
      }
    } else if (code < next_code_) {
      AddEntry(previous_code_, first_[code]);
    } else if (code == next_code_ && next_code_ < kMaxCodes) {
      // The code being defined right now: the previous string plus its own first byte.
      AddEntry(previous_code_, first_[previous_code_]);
    } else {
      ended_ = true;
      break;
    }
    previous_code_ = code;
    const size_t length = length_[code];
    if (length <= out.size() - written) {
      WriteString(code, out.data() + written + length);
      written += length;
    } else {
      WriteString(code, pending_.data() + length);
      pending_start_ = 0;
      pending_end_ = length;
    }
  }
  return written;
}

}  // namespace kelmora
