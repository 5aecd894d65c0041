#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

namespace kelmora {

enum class ImageFormat { kJpeg, kBmp, kTiff };

struct DeclaredSize {
  uint32_t width = 0;
  uint32_t height = 0;
  bool operator==(const DeclaredSize&) const = default;
};

// Reads up to `length` bytes at `offset` of a file (fewer at its end).
using ReadFilePiece = std::function<std::vector<uint8_t>(uint64_t offset, size_t length)>;

// The pixel size that an image file's header declares, without decoding anything: the JPEG
// frame header or the BMP information header near the start of the file, or the first TIFF
// directory wherever it lies. Only a few small pieces of the file are read. nullopt when the
// header is malformed or, for a JPEG, its frame header lies beyond the first 256 KiB.
std::optional<DeclaredSize> ReadDeclaredSize(const ReadFilePiece& read, ImageFormat format);

// The same for a file held in memory.
std::optional<DeclaredSize> ReadDeclaredSize(std::span<const uint8_t> file, ImageFormat format);

// Bytes of a 24-bit working bitmap of that size (rows padded to 4 bytes).
uint64_t WorkingBitmapBytes(DeclaredSize size);

}  // namespace kelmora
