#include "imaging/tiff_strip_decoder.h"

#include <algorithm>
#include <cstring>

#include "imaging/packbits.h"
#include "imaging/tiff_deflate.h"
#include "imaging/tiff_lzw.h"

namespace kelmora {
namespace {

class RawStripDecoder : public StripDecoder {
 public:
  explicit RawStripDecoder(std::span<const uint8_t> data) : data_(data) {}

  size_t Read(std::span<uint8_t> out) override {
    const size_t count = std::min(out.size(), data_.size());
    if (count > 0) std::memcpy(out.data(), data_.data(), count);
    data_ = data_.subspan(count);
    return count;
  }

 private:
  std::span<const uint8_t> data_;
};

}  // namespace

bool IsSupportedTIFFCompression(uint32_t compression) {
  switch (compression) {
    case kTIFFCompressionNone:
    case kTIFFCompressionLZW:
    case kTIFFCompressionDeflate:
    case kTIFFCompressionPackBits:
    case kTIFFCompressionDeflateOld:
      return true;
    default:
      return false;
  }
}

std::unique_ptr<StripDecoder> MakeStripDecoder(uint32_t compression,
                                                std::span<const uint8_t> data) {
  switch (compression) {
    case kTIFFCompressionLZW:
      return std::make_unique<TiffLzwDecoder>(data);
    case kTIFFCompressionDeflate:
    case kTIFFCompressionDeflateOld:
      return std::make_unique<TiffDeflateDecoder>(data);
    case kTIFFCompressionPackBits:
      return std::make_unique<PackBitsDecoder>(data);
    default:
      return std::make_unique<RawStripDecoder>(data);
  }
}

}  // namespace kelmora
