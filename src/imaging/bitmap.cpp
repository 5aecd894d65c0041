#include "imaging/bitmap.h"

#include <cstdlib>
#include <cstring>

#include "common/errors.h"

namespace kelmora {

int BitsPerPixel(PixelFormat format) {
  switch (format) {
    case PixelFormat::k1Bit:
      return 1;
    case PixelFormat::k4Bit:
      return 4;
    case PixelFormat::k8Bit:
      return 8;
    case PixelFormat::k32Bit:
      return 32;
    case PixelFormat::kDevice:
    case PixelFormat::k24Bit:
      return 24;
  }
  return 24;
}

void TBitmap::FreeDeleter::operator()(uint8_t* p) const {
  std::free(p);
}

size_t TBitmap::StrideFor(int32_t width, PixelFormat format) {
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(BitsPerPixel(format));
  return static_cast<size_t>((bits + 31) / 32 * 4);
}

void TBitmap::Allocate(int32_t width, int32_t height, PixelFormat format) {
  if (width < 0 || height < 0) throw EKelmora("Invalid bitmap size");
  const size_t stride = StrideFor(width, format);
  const uint64_t total = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  if (total > kMaxPixelBytes) {
    throw EKelmora("Image too large: " + std::to_string(width) + " x " + std::to_string(height) +
                   " pixels");
  }
  std::unique_ptr<uint8_t[], FreeDeleter> pixels;
  if (total > 0) {
    // calloc: large blocks come as fresh zero pages, so clearing costs nothing up front.
    pixels.reset(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(total), 1)));
    if (!pixels) {
      throw EKelmora("Out of memory for an image of " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels");
    }
  }
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = stride;
}

TBitmap::TBitmap(const TBitmap& other) {
  *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  Allocate(other.width_, other.height_, other.format_);
  if (stride_ * static_cast<size_t>(height_) > 0) {
    std::memcpy(pixels_.get(), other.pixels_.get(), stride_ * static_cast<size_t>(height_));
  }
  palette_ = other.palette_;
  return *this;
}

void TBitmap::SetSize(int32_t width, int32_t height) {
  Allocate(width, height, format_);
}

void TBitmap::SetPalette(std::vector<PaletteEntry> palette) {
  palette_ = std::move(palette);
}

void TBitmap::SetPixelFormat(PixelFormat format) {
  if (format == format_) return;
  const bool target_is_palette =
      format == PixelFormat::k1Bit || format == PixelFormat::k4Bit || format == PixelFormat::k8Bit;
  if (width_ == 0 || height_ == 0) {
    Allocate(width_, height_, format);
    if (!target_is_palette) palette_.clear();
    return;
  }
  const bool source_is_colour = format_ == PixelFormat::k24Bit || format_ == PixelFormat::k32Bit ||
                                format_ == PixelFormat::kDevice;
  if (target_is_palette) {
    throw EKelmora("Cannot convert a picture to a palette format");
  }
  TBitmap source = std::move(*this);
  Allocate(source.width_, source.height_, format);
  const int out_bpp = format == PixelFormat::k32Bit ? 4 : 3;
  const int bits = BitsPerPixel(source.format_);
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* in = source.ScanLine(y);
    uint8_t* out = ScanLine(y);
    for (int32_t x = 0; x < width_; ++x, out += out_bpp) {
      if (source_is_colour) {
        const uint8_t* p = in + static_cast<size_t>(x) * static_cast<size_t>(bits / 8);
        out[0] = p[0];
        out[1] = p[1];
        out[2] = p[2];
      } else {
        unsigned index;
        if (bits == 8) {
          index = in[x];
        } else if (bits == 4) {
          index = (in[x / 2] >> ((x % 2) ? 0 : 4)) & 0x0F;
        } else {
          index = (in[x / 8] >> (7 - x % 8)) & 0x01;
        }
        // An index beyond the palette shows black rather than reading past it.
        const PaletteEntry colour =
            index < source.palette_.size() ? source.palette_[index] : PaletteEntry{};
        out[0] = colour.blue;
        out[1] = colour.green;
        out[2] = colour.red;
      }
      if (out_bpp == 4) out[3] = 0;
    }
  }
}

}  // namespace kelmora
