#include "imaging/orientation.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <utility>

namespace kelmora {
namespace {

// Where upright pixel (x, y) comes from: stored pixel (x0 + x * xx + y * yx,
// y0 + x * xy + y * yy), with x0 and y0 as multiples of the last column and row.
struct SourceWalk {
  int x0_last;  // 0 or 1: the start column is 0 or the last one
  int y0_last;
  int xx, xy;  // one step right in the upright picture
  int yx, yy;  // one step down in the upright picture
};

constexpr SourceWalk kWalks[9] = {
    {0, 0, 1, 0, 0, 1},    // unused
    {0, 0, 1, 0, 0, 1},    // 1
    {1, 0, -1, 0, 0, 1},   // 2
    {1, 1, -1, 0, 0, -1},  // 3
    {0, 1, 1, 0, 0, -1},   // 4
    {0, 0, 0, 1, 1, 0},    // 5
    {0, 1, 0, -1, 1, 0},   // 6
    {1, 1, 0, -1, -1, 0},  // 7
    {1, 0, 0, 1, -1, 0},   // 8
};

// Upright pixels are written in square tiles, so that the reads of a quarter turn stay
// within a few cache lines of source rows.
constexpr int32_t kTile = 64;

template <size_t PixelBytes>
void CopyOriented(const TBitmap& source, TBitmap& target, const SourceWalk& walk) {
  const ptrdiff_t stride = source.RowStride();
  const auto pixel = static_cast<ptrdiff_t>(PixelBytes);
  const ptrdiff_t step_x = walk.xx * pixel + walk.xy * stride;
  const ptrdiff_t step_y = walk.yx * pixel + walk.yy * stride;
  const uint8_t* origin = source.ScanLine(walk.y0_last ? source.Height() - 1 : 0) +
                          (walk.x0_last ? ptrdiff_t{source.Width() - 1} * pixel : 0);
  const int32_t width = target.Width();
  const int32_t height = target.Height();
  for (int32_t tile_y = 0; tile_y < height; tile_y += kTile) {
    const int32_t end_y = std::min(height, tile_y + kTile);
    for (int32_t tile_x = 0; tile_x < width; tile_x += kTile) {
      const int32_t end_x = std::min(width, tile_x + kTile);
      for (int32_t y = tile_y; y < end_y; ++y) {
        uint8_t* out = target.ScanLine(y) + ptrdiff_t{tile_x} * pixel;
        const uint8_t* in = origin + ptrdiff_t{y} * step_y + ptrdiff_t{tile_x} * step_x;
        for (int32_t x = tile_x; x < end_x; ++x) {
          std::memcpy(out, in, PixelBytes);
          out += pixel;
          in += step_x;
        }
      }
    }
  }
}

}  // namespace

void OrientUpright(TBitmap& bitmap, int32_t orientation) {
  if (orientation < 2 || orientation > 8 || bitmap.Width() < 1 || bitmap.Height() < 1) return;
  // Palette pictures narrower than a byte a pixel are turned as one index byte a pixel.
  if (bitmap.Format() == PixelFormat::k1Bit || bitmap.Format() == PixelFormat::k4Bit) {
    bitmap.SetPixelFormat(PixelFormat::k8Bit);
  }
  const bool swaps = orientation >= 5;
  TBitmap upright;
  upright.SetPixelFormat(bitmap.Format());
  if (IsPaletteFormat(bitmap.Format())) upright.SetPalette(bitmap.Palette());
  upright.SetSize(swaps ? bitmap.Height() : bitmap.Width(),
                  swaps ? bitmap.Width() : bitmap.Height());
  const SourceWalk& walk = kWalks[orientation];
  switch (BitsPerPixel(bitmap.Format())) {
    case 8:
      CopyOriented<1>(bitmap, upright, walk);
      break;
    case 32:
      CopyOriented<4>(bitmap, upright, walk);
      break;
    default:
      CopyOriented<3>(bitmap, upright, walk);
      break;
  }
  bitmap = std::move(upright);
}

}  // namespace kelmora
