#pragma once

#include <cstddef>
#include <cstdint>

namespace kelmora {

// Where the metadata read of a TIFF-type file finds its first directory: the read buffer
// holds the file from offset 8 on (a buffer position is the file offset minus 7).
struct TiffDirectoryWindow {
  bool reachable = true;   // false: the header points beyond the file or out of reach
  size_t buffer_size = 0;  // bytes of the file to read from offset 8 on
  int64_t position = 1;    // buffer position of the first directory
};

// The window for a file of file_size bytes whose header bytes 2 to 7 (version and first
// directory offset, in the byte order of the file) are header_tail; has_tail is false for a
// file too short to hold them. A directory at offset 8, an offset inside the header and a
// file too short for an offset give position 1 and the buffer of kTiffBufferSize bytes.
TiffDirectoryWindow FirstTiffDirectoryWindow(bool big_endian, const uint8_t (&header_tail)[6],
                                             bool has_tail, int64_t file_size);

// The largest buffer a directory far into a file may ask for; beyond it the file's
// metadata is not read.
inline constexpr size_t kMaxTiffMetadataBytes = size_t{64} << 20;

}  // namespace kelmora
