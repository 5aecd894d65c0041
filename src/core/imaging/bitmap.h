#pragma once

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kelmora {

enum class PixelFormat { kDevice, k1Bit, k4Bit, k8Bit, k24Bit, k32Bit };

struct PaletteEntry {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  bool operator==(const PaletteEntry&) const = default;
};

// Bits per pixel of a format; the device-dependent format is stored as 24-bit.
int BitsPerPixel(PixelFormat format);
bool IsPaletteFormat(PixelFormat format);

// The in-memory raster every picture passes through. The working format is 24-bit, three
// bytes per pixel in the order blue, green, red; 32-bit adds a fourth byte (alpha or
// unused). Rows are stored top-down, each padded to a multiple of 4 bytes; consumers reach
// a row by its index and step between rows by RowStride(). Pixel memory is sized with
// overflow checks: a size that cannot be held raises EKelmora instead of corrupting memory.
class TBitmap {
 public:
  // Upper bound for the pixel memory of one bitmap: far above any camera picture, well
  // below what would exhaust the machine or overflow offset arithmetic.
  static constexpr uint64_t kMaxPixelBytes = uint64_t{4} << 30;

  TBitmap() = default;
  TBitmap(const TBitmap& other);
  TBitmap& operator=(const TBitmap& other);
  // A bitmap moved from is left empty (0 x 0, device format), never half-valid.
  TBitmap(TBitmap&& other) noexcept;
  TBitmap& operator=(TBitmap&& other) noexcept;

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  PixelFormat Format() const { return format_; }

  // Resizes, keeping the pixel format and the palette; the pixels become zero.
  void SetSize(int32_t width, int32_t height);

  // Gives the bitmap a size and a format without clearing its pixels: the memory it holds
  // already is kept when it is large enough, so that a decoder that writes every row can
  // fill the same bitmap picture after picture without the cost of fresh zeroed memory.
  // Otherwise the old memory is freed before new memory is taken. The palette is dropped.
  void Reshape(int32_t width, int32_t height, PixelFormat format);
  // Bytes of pixel memory held, which can be more than the picture needs after Reshape.
  size_t Capacity() const { return capacity_; }
  // Frees the pixel memory; the bitmap becomes 0 x 0 in its format.
  void Release();

  // Converts the pixels present to the new format so that the picture keeps its look:
  // palette indices expand to their colours, 32-bit drops the fourth byte (24 -> 32 sets it
  // to zero), a wider palette format keeps the indices. Colours going into a palette
  // format take the nearest entry of the palette (its first 2^bits entries); without a
  // palette, a grey ramp of 2^bits levels becomes the palette.
  void SetPixelFormat(PixelFormat format);

  uint8_t* ScanLine(int32_t row) {
    assert(row >= 0 && row < height_);
    return pixels_.get() + static_cast<size_t>(row) * stride_;
  }
  const uint8_t* ScanLine(int32_t row) const {
    assert(row >= 0 && row < height_);
    return pixels_.get() + static_cast<size_t>(row) * stride_;
  }
  // Address of row 1 minus address of row 0.
  ptrdiff_t RowStride() const { return static_cast<ptrdiff_t>(stride_); }
  size_t BytesPerRow() const { return stride_; }

  // Palette formats only: up to 2^bits entries; pixels whose index lies beyond the palette
  // show black.
  const std::vector<PaletteEntry>& Palette() const { return palette_; }
  void SetPalette(std::vector<PaletteEntry> palette);

  // Loads a Windows BMP file (the bitmap's own loader); raises EBitmapFormat for a
  // truncated or malformed file and EFileError when it cannot be read. The bitmap takes the
  // file's bit depth and palette (16-bit files become 24-bit). On failure it is unchanged.
  void LoadFromFile(const std::string& path);
  void LoadFromBmpBytes(std::span<const uint8_t> bytes);

  // The bitmap as a BMP file (BITMAPINFOHEADER, bottom-up, its own bit depth).
  std::vector<uint8_t> SaveToBmpBytes() const;

 private:
  static size_t StrideFor(int32_t width, PixelFormat format);
  void Allocate(int32_t width, int32_t height, PixelFormat format);
  void ConvertPixelsFrom(const TBitmap& source);

  // Small pictures live on the heap; large ones in their own mapping, so that they can
  // use huge pages (a camera picture otherwise costs thousands of page faults).
  struct PixelDeleter {
    PixelDeleter() noexcept : mapping(nullptr), mapped_bytes(0) {}
    PixelDeleter(uint8_t* start, size_t bytes) noexcept : mapping(start), mapped_bytes(bytes) {}
    void operator()(uint8_t* p) const;
    uint8_t* mapping;  // null: heap memory
    size_t mapped_bytes;
  };
  using PixelMemory = std::unique_ptr<uint8_t[], PixelDeleter>;
  static PixelMemory AllocateZeroed(uint64_t bytes);

  int32_t width_ = 0;
  int32_t height_ = 0;
  PixelFormat format_ = PixelFormat::kDevice;
  size_t stride_ = 0;
  size_t capacity_ = 0;
  PixelMemory pixels_;
  std::vector<PaletteEntry> palette_;
};

}  // namespace kelmora
