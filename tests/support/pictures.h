#pragma once

#include <cstdint>
#include <filesystem>

#include "imaging/bitmap.h"

namespace kelmora::test {

// A 24-bit picture of gradients with grain and edges: detail in every block, so that
// encoders and filters have work to do. The same seed gives the same picture.
TBitmap GrainyPicture(int32_t width, int32_t height, uint32_t seed = 1);

// Encodes the bitmap with the program's JPEG encoder and writes the file.
void WriteJpeg(const std::filesystem::path& path, const TBitmap& bitmap, int quality = 92);

// Both: a photo-like JPEG file of the given size.
void WriteGrainyJpeg(const std::filesystem::path& path, int32_t width, int32_t height,
                     uint32_t seed = 1);

}  // namespace kelmora::test
