#include "imaging/bmp_loader.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "common/byte_reader.h"
#include "common/errors.h"
#include "imaging/pixel_limit.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

constexpr uint64_t kFileHeaderSize = 14;
// Everything before the pixels that the decoder reads fits here: the file header, the
// largest info header, four masks and a palette of 256 four-byte entries.
constexpr uint64_t kHeadBytes = kFileHeaderSize + 124 + 16 + 256 * 4;

// Compression values of the info header.
constexpr uint32_t kRgb = 0;
constexpr uint32_t kRle8 = 1;
constexpr uint32_t kRle4 = 2;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kJpeg = 4;
constexpr uint32_t kPng = 5;
constexpr uint32_t kAlphaBitFields = 6;

// A run-length file may legitimately compress far better than its runs suggest (delta
// and end-of-bitmap codes leave pixels untouched), but a header claiming a huge picture
// over a few bytes of data is a memory bomb: pictures up to this many pixels are always
// accepted, larger ones only with at least one byte of data per this many pixels.
constexpr uint64_t kRleFreePixels = uint64_t{1} << 22;
constexpr uint64_t kRlePixelsPerByte = 1024;

[[noreturn]] void Fail(const std::string& what) {
  throw EBitmapFormat("BMP: " + what);
}

struct Channel {
  uint32_t mask = 0;
  int shift = 0;
  int bits = 0;
};

Channel MakeChannel(uint32_t mask) {
  if (mask == 0) return {};
  const int shift = std::countr_zero(mask);
  return {mask, shift, static_cast<int>(std::bit_width(mask >> shift))};
}

// Widens a field to 8 bits by repeating its bits (5-bit 31 gives 255, 1-bit 1 gives 255);
// wider fields keep their top 8 bits.
uint8_t Extract(uint32_t pixel, const Channel& channel) {
  if (channel.bits == 0) return 0;
  const uint32_t value = (pixel & channel.mask) >> channel.shift;
  if (channel.bits >= 8) return static_cast<uint8_t>(value >> (channel.bits - 8));
  uint32_t result = 0;
  int filled = 0;
  while (filled < 8) {
    result = (result << channel.bits) | value;
    filled += channel.bits;
  }
  return static_cast<uint8_t>(result >> (filled - 8));
}

struct Header {
  int32_t width = 0;
  int32_t height = 0;  // always positive; top_down tells the row order
  bool top_down = false;
  int bits = 0;
  uint32_t compression = kRgb;
  std::array<uint32_t, 4> masks{};  // red, green, blue, alpha
  uint64_t palette_offset = 0;
  uint64_t palette_entry_size = 4;
  uint64_t colours_used = 0;
  uint64_t data_offset = 0;
};

Header ReadHeader(const ByteReader& file) {
  if (!file.Contains(0, 2) || file.U8(0) != 'B' || file.U8(1) != 'M') Fail("not a BMP file");
  Header header;
  header.data_offset = file.U32(10);
  const uint32_t header_size = file.U32(kFileHeaderSize);
  file.Require(kFileHeaderSize, header_size);
  int64_t height = 0;
  uint64_t mask_bytes = 0;
  if (header_size == 12) {  // OS/2 1.x: 16-bit sizes, three-byte palette entries
    header.width = file.U16(18);
    height = file.U16(20);
    header.bits = file.U16(24);
    header.palette_entry_size = 3;
  } else if (header_size == 16 || header_size == 64 || header_size == 40 || header_size == 52 ||
             header_size == 56 || header_size == 108 || header_size == 124) {
    header.width = file.S32(18);
    height = file.S32(22);
    header.bits = file.U16(28);
    const bool os2 = header_size == 16 || header_size == 64;
    if (header_size > 16) {
      header.compression = file.U32(30);
      header.colours_used = file.U32(46);
    }
    if (os2 && header.compression > kRle4) {
      Fail("OS/2 compression " + std::to_string(header.compression) + " is not supported");
    }
    if (!os2 && header_size >= 52) {
      for (uint64_t i = 0; i < (header_size >= 56 ? 4u : 3u); ++i) {
        header.masks[i] = file.U32(54 + 4 * i);
      }
    } else if (header.compression == kBitFields || header.compression == kAlphaBitFields) {
      mask_bytes = header.compression == kBitFields ? 12 : 16;
      for (uint64_t i = 0; i < mask_bytes / 4; ++i) {
        header.masks[i] = file.U32(kFileHeaderSize + header_size + 4 * i);
      }
    }
  } else {
    Fail("unsupported header size " + std::to_string(header_size));
  }
  header.palette_offset = kFileHeaderSize + header_size + mask_bytes;

  if (header.width <= 0) Fail("invalid width " + std::to_string(header.width));
  if (height == 0 || height == std::numeric_limits<int32_t>::min()) {
    Fail("invalid height " + std::to_string(height));
  }
  header.top_down = height < 0;
  header.height = static_cast<int32_t>(height < 0 ? -height : height);

  const int bits = header.bits;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    Fail("unsupported bit depth " + std::to_string(bits));
  }
  switch (header.compression) {
    case kRgb:
      if (bits == 16) header.masks = {0x7C00, 0x03E0, 0x001F, 0};
      break;
    case kRle8:
    case kRle4:
      if (bits != (header.compression == kRle8 ? 8 : 4)) {
        Fail("run-length compression does not fit " + std::to_string(bits) + " bits per pixel");
      }
      break;
    case kBitFields:
    case kAlphaBitFields:
      if (bits != 16 && bits != 32) {
        Fail("bit fields do not fit " + std::to_string(bits) + " bits per pixel");
      }
      break;
    case kJpeg:
    case kPng:
      Fail("embedded JPEG or PNG data is not supported");
    default:
      Fail("unsupported compression " + std::to_string(header.compression));
  }
  return header;
}

std::vector<PaletteEntry> ReadPalette(const ByteReader& file, uint64_t file_size, Header& header) {
  const uint64_t full = uint64_t{1} << header.bits;
  const uint64_t declared =
      header.colours_used == 0 ? full : std::min<uint64_t>(header.colours_used, full);
  // Writers that declare more entries than they store are common; take what lies
  // between the header and the pixels.
  const uint64_t start = header.palette_offset;
  const uint64_t limit = header.data_offset >= start ? header.data_offset : file_size;
  const uint64_t end = std::min<uint64_t>(limit, file_size);
  const uint64_t room = end > start ? end - start : 0;
  const uint64_t count = std::min(declared, room / header.palette_entry_size);
  if (count == 0) Fail("the palette is missing");
  std::vector<PaletteEntry> palette(count);
  for (uint64_t i = 0; i < count; ++i) {
    const uint64_t at = start + i * header.palette_entry_size;
    palette[i] = {file.U8(at + 2), file.U8(at + 1), file.U8(at)};
  }
  if (header.data_offset < start) header.data_offset = start + count * header.palette_entry_size;
  return palette;
}

class RowMap {
 public:
  RowMap(TBitmap& bitmap, bool top_down) : bitmap_(bitmap), top_down_(top_down) {}
  // Rows in the order the file stores them.
  uint8_t* Row(int64_t stored) {
    const auto index = static_cast<int32_t>(stored);
    return bitmap_.ScanLine(top_down_ ? index : bitmap_.Height() - 1 - index);
  }

 private:
  TBitmap& bitmap_;
  bool top_down_;
};

void ReadUncompressed(const ByteSource& file, const Header& header, TBitmap& bitmap) {
  const uint64_t stride = bitmap.BytesPerRow();
  const uint64_t file_stride =
      (static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.bits) + 31) / 32 * 4;
  const uint64_t last_row =
      (static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.bits) + 7) / 8;
  RowMap rows(bitmap, header.top_down);
  const Channel red = MakeChannel(header.masks[0]);
  const Channel green = MakeChannel(header.masks[1]);
  const Channel blue = MakeChannel(header.masks[2]);
  const Channel alpha = MakeChannel(header.masks[3]);
  const bool direct = header.bits != 16 && header.compression == kRgb;
  // Rows are read one at a time where they lie in the file.
  std::vector<uint8_t> buffer(static_cast<size_t>(file_stride));
  for (int32_t y = 0; y < header.height; ++y) {
    const uint64_t offset = header.data_offset + static_cast<uint64_t>(y) * file_stride;
    // The last row may lack its padding.
    const size_t got = file.ReadAt(offset, buffer);
    if (got < last_row) Fail("the file is truncated");
    const ByteReader row(std::span<const uint8_t>(buffer).first(got));
    uint8_t* out = rows.Row(y);
    if (direct) {
      std::memcpy(out, row.Data(), static_cast<size_t>(std::min<uint64_t>(stride, row.Size())));
      continue;
    }
    const bool wide = header.bits == 32;
    for (int32_t x = 0; x < header.width; ++x) {
      const uint64_t at = static_cast<uint64_t>(x) * (wide ? 4 : 2);
      const uint32_t pixel = wide ? row.U32(at) : row.U16(at);
      uint8_t* p = out + static_cast<size_t>(x) * (wide ? 4 : 3);
      p[0] = Extract(pixel, blue);
      p[1] = Extract(pixel, green);
      p[2] = Extract(pixel, red);
      if (wide) p[3] = Extract(pixel, alpha);
    }
  }
}

void SetIndex(uint8_t* row, int64_t x, int bits, unsigned index) {
  if (bits == 8) {
    row[x] = static_cast<uint8_t>(index);
  } else {
    const int shift = x % 2 ? 0 : 4;
    uint8_t& byte = row[x / 2];
    byte = static_cast<uint8_t>((byte & ~(0x0F << shift)) | ((index & 0x0F) << shift));
  }
}

// The run-length data, read from the file a window at a time as the decoder moves on; the
// decoder only ever moves forward and asks for at most a few hundred bytes at once.
class RunLengthData {
 public:
  RunLengthData(const ByteSource& file, uint64_t start, uint64_t length)
      : file_(file), start_(start), length_(length) {}

  bool Contains(uint64_t offset, uint64_t length) const {
    return offset <= length_ && length <= length_ - offset;
  }
  uint8_t U8(uint64_t offset) { return Sub(offset, 1).U8(0); }
  ByteReader Sub(uint64_t offset, uint64_t length) {
    if (!Contains(offset, length)) throw EOutOfBounds("read outside the data");
    if (offset < window_start_ || offset + length > window_start_ + window_.size()) {
      window_.resize(static_cast<size_t>(std::min<uint64_t>(kWindow, length_ - offset)));
      window_start_ = offset;
      if (file_.ReadAt(start_ + offset, window_) < window_.size()) {
        throw EOutOfBounds("read outside the data");
      }
    }
    return ByteReader(std::span<const uint8_t>(window_).subspan(
        static_cast<size_t>(offset - window_start_), static_cast<size_t>(length)));
  }

 private:
  static constexpr uint64_t kWindow = uint64_t{1} << 16;

  const ByteSource& file_;
  uint64_t start_;
  uint64_t length_;
  uint64_t window_start_ = 0;
  std::vector<uint8_t> window_;
};

void ReadRunLength(RunLengthData& data, const Header& header, TBitmap& bitmap) {
  const int bits = header.bits;
  const int64_t width = header.width;
  const int64_t height = header.height;
  RowMap rows(bitmap, header.top_down);
  uint64_t pos = 0;
  int64_t x = 0;
  int64_t y = 0;
  const auto put = [&](unsigned index) {
    if (x < width && y < height) SetIndex(rows.Row(y), x, bits, index);
    ++x;
  };
  while (y < height) {
    if (!data.Contains(pos, 2)) {
      // Some writers end after the last pixel of the last row without a closing code.
      if (y == height - 1 && x >= width) return;
      Fail("the compressed data ends early");
    }
    const unsigned count = data.U8(pos);
    const unsigned code = data.U8(pos + 1);
    pos += 2;
    if (count > 0) {  // a run: one index, or two alternating ones for RLE4
      for (unsigned i = 0; i < count && x < width; ++i) {
        put(bits == 8 ? code : (i % 2 ? code & 0x0F : code >> 4));
      }
      continue;
    }
    if (code == 0) {  // end of line
      x = 0;
      ++y;
    } else if (code == 1) {  // end of bitmap: the rest stays index 0
      return;
    } else if (code == 2) {  // delta: move right and down
      x += data.U8(pos);
      y += data.U8(pos + 1);
      pos += 2;
    } else {  // absolute run of `code` indices, padded to 16 bits
      const uint64_t bytes = bits == 8 ? code : (code + 1) / 2;
      const ByteReader run = data.Sub(pos, bytes);
      for (unsigned i = 0; i < code; ++i) {
        const unsigned byte = run.U8(bits == 8 ? i : i / 2);
        put(bits == 8 ? byte : (i % 2 ? byte & 0x0F : byte >> 4));
      }
      pos += bytes + (bytes & 1);
    }
  }
}

PixelFormat FormatFor(int bits) {
  switch (bits) {
    case 1:
      return PixelFormat::k1Bit;
    case 4:
      return PixelFormat::k4Bit;
    case 8:
      return PixelFormat::k8Bit;
    case 32:
      return PixelFormat::k32Bit;
    default:
      return PixelFormat::k24Bit;
  }
}

TBitmap Decode(const ByteSource& source) {
  const uint64_t file_size = source.Size();
  const std::vector<uint8_t> head_bytes =
      source.ReadRange(0, std::min<uint64_t>(file_size, kHeadBytes));
  const ByteReader head(head_bytes);
  Header header = ReadHeader(head);
  // The working bitmap is 24-bit whatever the file's depth: the limit counts it so.
  CheckPixelLimit(static_cast<uint64_t>(header.width), static_cast<uint64_t>(header.height));
  std::vector<PaletteEntry> palette;
  if (header.bits <= 8) palette = ReadPalette(head, file_size, header);
  // An offset pointing into the headers (0 included) means the pixels follow them.
  if (header.data_offset < header.palette_offset) header.data_offset = header.palette_offset;
  if (header.data_offset >= file_size) Fail("the file is truncated");

  const uint64_t pixels =
      static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.height);
  const bool run_length = header.compression == kRle8 || header.compression == kRle4;
  const uint64_t data_size = file_size - header.data_offset;
  if (run_length) {
    if (pixels > kRleFreePixels && pixels / kRlePixelsPerByte > data_size) {
      Fail("the compressed data is too short for " + std::to_string(header.width) + " x " +
           std::to_string(header.height) + " pixels");
    }
  } else {
    const uint64_t bits = static_cast<uint64_t>(header.width) * static_cast<uint64_t>(header.bits);
    const uint64_t needed =
        (bits + 31) / 32 * 4 * static_cast<uint64_t>(header.height - 1) + (bits + 7) / 8;
    if (needed > data_size) Fail("the file is truncated");
  }

  try {
    TBitmap bitmap;
    bitmap.SetPixelFormat(FormatFor(header.bits));
    bitmap.SetSize(header.width, header.height);
    bitmap.SetPalette(std::move(palette));
    if (run_length) {
      RunLengthData data(source, header.data_offset, data_size);
      ReadRunLength(data, header, bitmap);
    } else {
      ReadUncompressed(source, header, bitmap);
    }
    return bitmap;
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(NotEnoughMemoryText(static_cast<uint64_t>(header.width),
                                           static_cast<uint64_t>(header.height)));
  }
}

void PutU16(std::vector<uint8_t>& out, uint64_t at, uint32_t value) {
  out[at] = static_cast<uint8_t>(value);
  out[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(std::vector<uint8_t>& out, uint64_t at, uint32_t value) {
  PutU16(out, at, value & 0xFFFF);
  PutU16(out, at + 2, value >> 16);
}

}  // namespace

TBitmap DecodeBmp(const ByteSource& source) {
  try {
    return Decode(source);
  } catch (const EOutOfBounds&) {
    Fail("the file is truncated");
  }
}

TBitmap DecodeBmp(std::span<const uint8_t> bytes) {
  return DecodeBmp(MemoryByteSource(bytes));
}

TBitmap DecodeBmpFile(const std::string& path) {
  return DecodeBmp(RegularFile(path));
}

std::vector<uint8_t> EncodeBmp(const TBitmap& bitmap) {
  const int bits = BitsPerPixel(bitmap.Format());
  uint64_t colours = 0;
  if (IsPaletteFormat(bitmap.Format())) {
    // An empty palette is written as a full one of black, which is how it shows.
    colours = std::min<uint64_t>(bitmap.Palette().size(), uint64_t{1} << bits);
    if (colours == 0) colours = uint64_t{1} << bits;
  }
  const uint64_t stride = bitmap.BytesPerRow();
  const uint64_t image_size = stride * static_cast<uint64_t>(bitmap.Height());
  const uint64_t offset = kFileHeaderSize + 40 + 4 * colours;
  const uint64_t total = offset + image_size;
  if (total > std::numeric_limits<uint32_t>::max()) {
    throw EBitmapFormat("BMP: a picture of " + std::to_string(bitmap.Width()) + " x " +
                        std::to_string(bitmap.Height()) + " pixels is too large for the format");
  }
  std::vector<uint8_t> out(static_cast<size_t>(total), 0);
  out[0] = 'B';
  out[1] = 'M';
  PutU32(out, 2, static_cast<uint32_t>(total));
  PutU32(out, 10, static_cast<uint32_t>(offset));
  PutU32(out, 14, 40);
  PutU32(out, 18, static_cast<uint32_t>(bitmap.Width()));
  PutU32(out, 22, static_cast<uint32_t>(bitmap.Height()));
  PutU16(out, 26, 1);
  PutU16(out, 28, static_cast<uint32_t>(bits));
  PutU32(out, 30, kRgb);
  PutU32(out, 34, static_cast<uint32_t>(image_size));
  PutU32(out, 46, static_cast<uint32_t>(IsPaletteFormat(bitmap.Format()) ? colours : 0));
  for (uint64_t i = 0; i < colours && i < bitmap.Palette().size(); ++i) {
    const PaletteEntry& entry = bitmap.Palette()[i];
    const uint64_t at = kFileHeaderSize + 40 + 4 * i;
    out[at] = entry.blue;
    out[at + 1] = entry.green;
    out[at + 2] = entry.red;
  }
  for (int32_t y = 0; y < bitmap.Height(); ++y) {
    const uint64_t at = offset + static_cast<uint64_t>(bitmap.Height() - 1 - y) * stride;
    std::memcpy(out.data() + at, bitmap.ScanLine(y), static_cast<size_t>(stride));
  }
  return out;
}

}  // namespace kelmora
