#include "metadata/tiff_header.h"

#include <algorithm>

#include "metadata/img_data.h"

namespace kelmora {

TiffDirectoryWindow FirstTiffDirectoryWindow(bool big_endian, const uint8_t (&header_tail)[6],
                                             bool has_tail, int64_t file_size) {
  constexpr auto kMinimum = static_cast<int64_t>(TimgData::kTiffBufferSize);
  TiffDirectoryWindow window{true, TimgData::kTiffBufferSize, 1};
  if (!has_tail) return window;
  const uint8_t* o = header_tail + 2;
  const int64_t offset =
      big_endian ? (int64_t{o[0]} << 24) | (int64_t{o[1]} << 16) | (int64_t{o[2]} << 8) | o[3]
                 : (int64_t{o[3]} << 24) | (int64_t{o[2]} << 16) | (int64_t{o[1]} << 8) | o[0];
  if (offset <= 8) return window;  // at 8, or nothing there: read from offset 8 as always
  if (offset + 2 > file_size) return {false, 0, 0};
  // The directory and what usually follows it (its values, the Exif directory) are read;
  // a file shorter than that is read to its end.
  const int64_t wanted = std::max(kMinimum, std::min(offset - 8 + kMinimum, file_size - 8));
  if (wanted > static_cast<int64_t>(kMaxTiffMetadataBytes)) return {false, 0, 0};
  window.buffer_size = static_cast<size_t>(wanted);
  window.position = offset - 7;
  return window;
}

}  // namespace kelmora
