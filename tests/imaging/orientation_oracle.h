#pragma once

// Turning a picture upright, written as plainly as possible and apart from the production
// code: a grid of pixels, mirrored left-right and turned a quarter clockwise as often as
// the orientation's meaning says.

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/bitmap.h"

namespace kelmora::test {

struct PixelGrid {
  int32_t width = 0;
  int32_t height = 0;
  size_t pixel_bytes = 0;
  std::vector<std::vector<uint8_t>> pixels;  // row-major, one byte vector per pixel

  std::vector<uint8_t>& At(int32_t x, int32_t y) {
    return pixels[size_t(y) * size_t(width) + size_t(x)];
  }
  const std::vector<uint8_t>& At(int32_t x, int32_t y) const {
    return pixels[size_t(y) * size_t(width) + size_t(x)];
  }
};

inline PixelGrid GridOf(const TBitmap& bitmap) {
  PixelGrid grid{bitmap.Width(), bitmap.Height(), size_t(BitsPerPixel(bitmap.Format()) / 8), {}};
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) {
      const uint8_t* p = bitmap.ScanLine(y) + size_t(x) * grid.pixel_bytes;
      grid.pixels.emplace_back(p, p + grid.pixel_bytes);
    }
  }
  return grid;
}

inline PixelGrid MirroredLeftRight(const PixelGrid& in) {
  PixelGrid out = in;
  for (int32_t y = 0; y < in.height; ++y) {
    for (int32_t x = 0; x < in.width; ++x) out.At(x, y) = in.At(in.width - 1 - x, y);
  }
  return out;
}

// The left column read from bottom to top becomes the top row.
inline PixelGrid TurnedClockwise(const PixelGrid& in) {
  PixelGrid out{in.height, in.width, in.pixel_bytes, in.pixels};
  for (int32_t y = 0; y < out.height; ++y) {
    for (int32_t x = 0; x < out.width; ++x) out.At(x, y) = in.At(y, in.height - 1 - x);
  }
  return out;
}

// What the EXIF orientations ask for to view the picture: 2 mirror, 3 half turn, 4 mirror
// and half turn, 5 mirror and three quarters, 6 a quarter turn clockwise, 7 mirror and a
// quarter, 8 three quarters (a quarter anticlockwise).
inline PixelGrid UprightGrid(PixelGrid grid, int orientation) {
  static const struct {
    bool mirror;
    int quarter_turns;
  } kMeaning[9] = {{false, 0}, {false, 0}, {true, 0}, {false, 2}, {true, 2},
                   {true, 3},  {false, 1}, {true, 1}, {false, 3}};
  if (orientation < 1 || orientation > 8) return grid;
  if (kMeaning[orientation].mirror) grid = MirroredLeftRight(grid);
  for (int i = 0; i < kMeaning[orientation].quarter_turns; ++i) grid = TurnedClockwise(grid);
  return grid;
}

// A bitmap of the grid, with a palette for one-byte pixels.
inline TBitmap BitmapOf(const PixelGrid& grid, PixelFormat format,
                        const std::vector<PaletteEntry>& palette = {}) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(format);
  if (!palette.empty()) bitmap.SetPalette(palette);
  bitmap.SetSize(grid.width, grid.height);
  for (int32_t y = 0; y < grid.height; ++y) {
    for (int32_t x = 0; x < grid.width; ++x) {
      std::memcpy(bitmap.ScanLine(y) + size_t(x) * grid.pixel_bytes, grid.At(x, y).data(),
                  grid.pixel_bytes);
    }
  }
  return bitmap;
}

}  // namespace kelmora::test
