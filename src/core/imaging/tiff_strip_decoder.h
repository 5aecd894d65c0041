#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace kelmora {

// TIFF compression schemes the reader decodes.
inline constexpr uint32_t kTIFFCompressionNone = 1;
inline constexpr uint32_t kTIFFCompressionLZW = 5;
inline constexpr uint32_t kTIFFCompressionDeflate = 8;
inline constexpr uint32_t kTIFFCompressionPackBits = 32773;
inline constexpr uint32_t kTIFFCompressionDeflateOld = 32946;

// Delivers the decoded bytes of one strip piece by piece, so that a strip never has to be
// held in memory whole: a single-strip picture would otherwise need a second copy of
// itself. Decoders read only their input span and write only into the span they are given.
class StripDecoder {
 public:
  virtual ~StripDecoder() = default;
  // Fills out with the next decoded bytes and returns how many were written. Fewer than
  // out.size() means the strip's data has ended (or is damaged from there on).
  virtual size_t Read(std::span<uint8_t> out) = 0;
};

bool IsSupportedTIFFCompression(uint32_t compression);

// A decoder for the strip data of one of the supported schemes.
std::unique_ptr<StripDecoder> MakeStripDecoder(uint32_t compression, std::span<const uint8_t> data);

}  // namespace kelmora
