#include "imaging/tiff_deflate.h"

#include <algorithm>
#include <limits>

namespace kelmora {
namespace {

// zlib counts in unsigned int; larger spans are handed over in pieces.
constexpr size_t kMaxChunk = std::numeric_limits<uInt>::max();

}  // namespace

TiffDeflateDecoder::TiffDeflateDecoder(std::span<const uint8_t> data) : unread_(data) {
  initialised_ = inflateInit(&stream_) == Z_OK;
  ended_ = !initialised_;
}

TiffDeflateDecoder::~TiffDeflateDecoder() {
  if (initialised_) inflateEnd(&stream_);
}

size_t TiffDeflateDecoder::Read(std::span<uint8_t> out) {
  size_t written = 0;
  while (!ended_ && written < out.size()) {
    if (stream_.avail_in == 0 && !unread_.empty()) {
      const size_t chunk = std::min(unread_.size(), kMaxChunk);
      // zlib never writes through next_in; its declaration merely lacks the const.
      stream_.next_in = const_cast<Bytef*>(unread_.data());
      stream_.avail_in = static_cast<uInt>(chunk);
      unread_ = unread_.subspan(chunk);
    }
    const size_t room = std::min(out.size() - written, kMaxChunk);
    stream_.next_out = out.data() + written;
    stream_.avail_out = static_cast<uInt>(room);
    const int result = inflate(&stream_, Z_NO_FLUSH);
    written += room - stream_.avail_out;
    // Z_BUF_ERROR: no progress possible, the input has run out.
    if (result != Z_OK) ended_ = true;
  }
  return written;
}

}  // namespace kelmora
