#include "support/pictures.h"

#include "imaging/jpeg_image.h"

namespace kelmora::test {

TBitmap GrainyPicture(int32_t width, int32_t height, uint32_t seed) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(PixelFormat::k24Bit);
  bitmap.SetSize(width, height);
  uint32_t noise = seed * 2654435761u + 12345u;
  for (int32_t y = 0; y < height; ++y) {
    uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      const auto grain = static_cast<int>((noise >> 16) & 31);
      row[3 * x + 0] = static_cast<uint8_t>((x * 255 / width + grain + seed * 40) & 255);
      row[3 * x + 1] = static_cast<uint8_t>((y * 255 / height + grain) & 255);
      row[3 * x + 2] = static_cast<uint8_t>(((x ^ y) & 64 ? 200 : 40) + grain);
    }
  }
  return bitmap;
}

void WriteJpeg(const std::filesystem::path& path, const TBitmap& bitmap, int quality) {
  TJPEGImage jpeg;
  jpeg.compression_quality = quality;
  jpeg.Assign(bitmap);
  jpeg.SaveToFile(path.string());
}

void WriteGrainyJpeg(const std::filesystem::path& path, int32_t width, int32_t height,
                     uint32_t seed) {
  WriteJpeg(path, GrainyPicture(width, height, seed));
}

}  // namespace kelmora::test
