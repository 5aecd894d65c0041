#pragma once

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <span>

#include "imaging/tiff_strip_decoder.h"

namespace kelmora {

// Deflate (zlib stream) strip data, compression 8 and the older code 32946. Damaged data
// ends the strip where the damage starts.
class TiffDeflateDecoder : public StripDecoder {
 public:
  explicit TiffDeflateDecoder(std::span<const uint8_t> data);
  ~TiffDeflateDecoder() override;
  TiffDeflateDecoder(const TiffDeflateDecoder&) = delete;
  TiffDeflateDecoder& operator=(const TiffDeflateDecoder&) = delete;

  size_t Read(std::span<uint8_t> out) override;

 private:
  z_stream stream_{};
  std::span<const uint8_t> unread_;
  bool initialised_ = false;
  bool ended_ = false;
};

}  // namespace kelmora
