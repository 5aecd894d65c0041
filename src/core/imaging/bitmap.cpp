#include "imaging/bitmap.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <utility>

#include <sys/mman.h>

#include "common/errors.h"
#include "imaging/bmp_loader.h"
#include "imaging/pixel_limit.h"

// Builds with AddressSanitizer keep every picture on the heap, where accesses are checked.
#if defined(__SANITIZE_ADDRESS__)
#define KELMORA_PIXELS_ON_HEAP 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELMORA_PIXELS_ON_HEAP 1
#endif
#endif

namespace kelmora {
namespace {

bool IsColourFormat(PixelFormat format) {
  return !IsPaletteFormat(format);
}

unsigned ReadIndex(const uint8_t* row, int32_t x, int bits) {
  switch (bits) {
    case 1:
      return (row[x / 8] >> (7 - x % 8)) & 0x01u;
    case 4:
      return (row[x / 2] >> (x % 2 ? 0 : 4)) & 0x0Fu;
    default:
      return row[x];
  }
}

// The row starts zeroed, so the index is or-ed in.
void WriteIndex(uint8_t* row, int32_t x, int bits, unsigned index) {
  switch (bits) {
    case 1:
      row[x / 8] = static_cast<uint8_t>(row[x / 8] | ((index & 0x01u) << (7 - x % 8)));
      break;
    case 4:
      row[x / 2] = static_cast<uint8_t>(row[x / 2] | ((index & 0x0Fu) << (x % 2 ? 0 : 4)));
      break;
    default:
      row[x] = static_cast<uint8_t>(index);
  }
}

std::vector<PaletteEntry> GreyRamp(int bits) {
  const int count = 1 << bits;
  std::vector<PaletteEntry> ramp(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const auto level = static_cast<uint8_t>(i * 255 / (count - 1));
    ramp[static_cast<size_t>(i)] = {level, level, level};
  }
  return ramp;
}

// Colours of a palette picture as a full table of 256, so that an index beyond the
// palette shows black rather than reading past it.
std::array<PaletteEntry, 256> ColourTable(const std::vector<PaletteEntry>& palette) {
  std::array<PaletteEntry, 256> table{};
  for (size_t i = 0; i < palette.size() && i < table.size(); ++i) table[i] = palette[i];
  return table;
}

// Nearest palette entry by squared distance; pictures going into a palette are mostly
// runs of one colour, so the last answer is remembered.
class NearestEntry {
 public:
  explicit NearestEntry(const std::vector<PaletteEntry>& palette) : palette_(palette) {}

  unsigned Find(PaletteEntry colour) {
    if (has_last_ && colour == last_colour_) return last_index_;
    unsigned best = 0;
    int best_distance = 1 << 30;
    for (size_t i = 0; i < palette_.size(); ++i) {
      const int dr = palette_[i].red - colour.red;
      const int dg = palette_[i].green - colour.green;
      const int db = palette_[i].blue - colour.blue;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < best_distance) {
        best_distance = distance;
        best = static_cast<unsigned>(i);
        if (distance == 0) break;
      }
    }
    has_last_ = true;
    last_colour_ = colour;
    last_index_ = best;
    return best;
  }

 private:
  const std::vector<PaletteEntry>& palette_;
  bool has_last_ = false;
  PaletteEntry last_colour_;
  unsigned last_index_ = 0;
};

}  // namespace

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

bool IsPaletteFormat(PixelFormat format) {
  return format == PixelFormat::k1Bit || format == PixelFormat::k4Bit ||
         format == PixelFormat::k8Bit;
}

void TBitmap::PixelDeleter::operator()(uint8_t* p) const {
  if (mapping) {
    munmap(mapping, mapped_bytes);
  } else {
    std::free(p);
  }
}

TBitmap::PixelMemory TBitmap::AllocateZeroed(uint64_t bytes) {
#ifndef KELMORA_PIXELS_ON_HEAP
  // Below this, the heap serves as well.
  constexpr uint64_t kMappedFrom = uint64_t{4} << 20;
  constexpr uint64_t kHugePage = uint64_t{2} << 20;
  if (bytes >= kMappedFrom) {
    // Room to align the start to a huge page; fresh anonymous pages read as zero.
    const uint64_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage + kHugePage;
    void* mapping = mmap(nullptr, static_cast<size_t>(length), PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) return nullptr;
    const auto address = reinterpret_cast<uintptr_t>(mapping);
    auto* start = reinterpret_cast<uint8_t*>((address + kHugePage - 1) / kHugePage * kHugePage);
#ifdef MADV_HUGEPAGE
    madvise(start, static_cast<size_t>(length - kHugePage), MADV_HUGEPAGE);  // advice only
#endif
    return PixelMemory(start,
                       PixelDeleter{static_cast<uint8_t*>(mapping), static_cast<size_t>(length)});
  }
#endif
  return PixelMemory(static_cast<uint8_t*>(std::calloc(static_cast<size_t>(bytes), 1)));
}

size_t TBitmap::StrideFor(int32_t width, PixelFormat format) {
  const uint64_t bits = static_cast<uint64_t>(width) * static_cast<uint64_t>(BitsPerPixel(format));
  return static_cast<size_t>((bits + 31) / 32 * 4);
}

void TBitmap::Allocate(int32_t width, int32_t height, PixelFormat format) {
  if (width < 0 || height < 0) {
    throw EKelmora("Invalid bitmap size: " + std::to_string(width) + " x " +
                   std::to_string(height) + " pixels");
  }
  const size_t stride = StrideFor(width, format);
  // Division instead of a product, so that no size can wrap around before the test.
  if (height > 0 && stride > kMaxPixelBytes / static_cast<uint64_t>(height)) {
    throw EImageTooLarge("Image too large: " + std::to_string(width) + " x " +
                         std::to_string(height) + " pixels");
  }
  const uint64_t total = static_cast<uint64_t>(stride) * static_cast<uint64_t>(height);
  PixelMemory pixels;
  if (total > 0) {
    pixels = AllocateZeroed(total);
    if (!pixels) {
      throw EOutOfMemory(
          NotEnoughMemoryText(static_cast<uint64_t>(width), static_cast<uint64_t>(height)));
    }
  }
  pixels_ = std::move(pixels);
  width_ = width;
  height_ = height;
  format_ = format;
  stride_ = stride;
  capacity_ = static_cast<size_t>(total);
}

void TBitmap::Reshape(int32_t width, int32_t height, PixelFormat format) {
  palette_.clear();
  if (width >= 0 && height >= 0) {
    const size_t stride = StrideFor(width, format);
    const bool fits = height == 0 || (stride <= kMaxPixelBytes / static_cast<uint64_t>(height) &&
                                      stride * static_cast<size_t>(height) <= capacity_);
    if (fits && pixels_) {
      width_ = width;
      height_ = height;
      format_ = format;
      stride_ = stride;
      return;
    }
  }
  // The old memory goes first, so that a picture never needs its old and its new memory
  // at the same time.
  Release();
  Allocate(width, height, format);
}

void TBitmap::Release() {
  pixels_.reset();
  capacity_ = 0;
  width_ = 0;
  height_ = 0;
  stride_ = 0;
}

TBitmap::TBitmap(const TBitmap& other) {
  *this = other;
}

TBitmap& TBitmap::operator=(const TBitmap& other) {
  if (this == &other) return *this;
  std::vector<PaletteEntry> palette = other.palette_;
  Allocate(other.width_, other.height_, other.format_);
  if (stride_ * static_cast<size_t>(height_) > 0) {
    std::memcpy(pixels_.get(), other.pixels_.get(), stride_ * static_cast<size_t>(height_));
  }
  palette_ = std::move(palette);
  return *this;
}

TBitmap::TBitmap(TBitmap&& other) noexcept {
  *this = std::move(other);
}

TBitmap& TBitmap::operator=(TBitmap&& other) noexcept {
  if (this == &other) return *this;
  width_ = std::exchange(other.width_, 0);
  height_ = std::exchange(other.height_, 0);
  format_ = std::exchange(other.format_, PixelFormat::kDevice);
  stride_ = std::exchange(other.stride_, 0);
  capacity_ = std::exchange(other.capacity_, 0);
  pixels_ = std::move(other.pixels_);
  palette_ = std::move(other.palette_);
  other.palette_.clear();
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
  const bool same_layout = BitsPerPixel(format) == BitsPerPixel(format_) &&
                           IsColourFormat(format) && IsColourFormat(format_);
  if (width_ == 0 || height_ == 0 || same_layout) {
    if (same_layout) {
      format_ = format;
    } else {
      Allocate(width_, height_, format);
    }
    if (IsColourFormat(format)) palette_.clear();
    return;
  }
  TBitmap target;
  target.Allocate(width_, height_, format);
  if (IsPaletteFormat(format)) {
    const size_t entries = size_t{1} << BitsPerPixel(format);
    target.palette_ = palette_.empty() ? GreyRamp(BitsPerPixel(format)) : palette_;
    if (target.palette_.size() > entries) target.palette_.resize(entries);
  }
  target.ConvertPixelsFrom(*this);
  *this = std::move(target);
}

void TBitmap::ConvertPixelsFrom(const TBitmap& source) {
  const int in_bits = BitsPerPixel(source.format_);
  const int out_bits = BitsPerPixel(format_);
  const bool from_palette = IsPaletteFormat(source.format_);
  const std::array<PaletteEntry, 256> colours = ColourTable(source.palette_);
  const auto colour_at = [&](const uint8_t* in, int32_t x) {
    if (from_palette) return colours[ReadIndex(in, x, in_bits)];
    const uint8_t* p = in + static_cast<size_t>(x) * static_cast<size_t>(in_bits / 8);
    return PaletteEntry{p[2], p[1], p[0]};
  };
  NearestEntry nearest(palette_);
  const size_t out_step = static_cast<size_t>(out_bits / 8);
  for (int32_t y = 0; y < height_; ++y) {
    const uint8_t* in = source.ScanLine(y);
    uint8_t* out = ScanLine(y);
    if (IsPaletteFormat(format_)) {
      const bool keep_indices = from_palette && in_bits <= out_bits;
      for (int32_t x = 0; x < width_; ++x) {
        const unsigned index =
            keep_indices ? ReadIndex(in, x, in_bits) : nearest.Find(colour_at(in, x));
        WriteIndex(out, x, out_bits, index);
      }
    } else if (in_bits == 8) {
      // Greyscale JPEGs arrive as 8-bit palette pictures: keep their widening quick.
      for (int32_t x = 0; x < width_; ++x, out += out_step) {
        const PaletteEntry colour = colours[in[x]];
        out[0] = colour.blue;
        out[1] = colour.green;
        out[2] = colour.red;
      }
    } else {
      for (int32_t x = 0; x < width_; ++x, out += out_step) {
        const PaletteEntry colour = colour_at(in, x);
        out[0] = colour.blue;
        out[1] = colour.green;
        out[2] = colour.red;
      }
    }
  }
}

void TBitmap::LoadFromFile(const std::string& path) {
  *this = DecodeBmpFile(path);
}

void TBitmap::LoadFromBmpBytes(std::span<const uint8_t> bytes) {
  *this = DecodeBmp(bytes);
}

std::vector<uint8_t> TBitmap::SaveToBmpBytes() const {
  return EncodeBmp(*this);
}

}  // namespace kelmora
