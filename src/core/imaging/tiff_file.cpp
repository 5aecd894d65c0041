#include "imaging/tiff_file.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "common/byte_reader.h"
#include "common/byte_source.h"
#include "common/errors.h"
#include "imaging/pixel_limit.h"
#include "imaging/tiff_colour.h"
#include "imaging/tiff_directory.h"
#include "imaging/tiff_strip_decoder.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

constexpr uint16_t kTagImageWidth = 256;
constexpr uint16_t kTagImageLength = 257;
constexpr uint16_t kTagBitsPerSample = 258;
constexpr uint16_t kTagCompression = 259;
constexpr uint16_t kTagPhotometric = 262;
constexpr uint16_t kTagFillOrder = 266;
constexpr uint16_t kTagStripOffsets = 273;
constexpr uint16_t kTagSamplesPerPixel = 277;
constexpr uint16_t kTagRowsPerStrip = 278;
constexpr uint16_t kTagStripByteCounts = 279;
constexpr uint16_t kTagPlanarConfiguration = 284;
constexpr uint16_t kTagPredictor = 317;
constexpr uint16_t kTagColorMap = 320;
constexpr uint16_t kTagTileWidth = 322;
constexpr uint16_t kTagTileOffsets = 324;
constexpr uint16_t kTagYCbCrCoefficients = 529;
constexpr uint16_t kTagYCbCrSubSampling = 530;
constexpr uint16_t kTagReferenceBlackWhite = 532;

constexpr uint32_t kPhotometricWhiteIsZero = 0;
constexpr uint32_t kPhotometricBlackIsZero = 1;
constexpr uint32_t kPhotometricRGB = 2;
constexpr uint32_t kPhotometricPalette = 3;
constexpr uint32_t kPhotometricSeparated = 5;
constexpr uint32_t kPhotometricYCbCr = 6;
constexpr uint32_t kPhotometricCIELab = 8;

constexpr uint32_t kPredictorHorizontal = 2;
constexpr uint32_t kPlanarSeparate = 2;
constexpr uint32_t kFillOrderLowBitFirst = 2;
// Dimensions are 16-bit quantities for this reader.
constexpr uint32_t kMaxDimension = 65535;
// Photographic layouts carry a few extra samples at most; the bound keeps a row's size sane.
constexpr uint32_t kMaxSamplesPerPixel = 16;

constexpr char kIllegalDimensions[] = "TIFF: Illegal image dimensions";
constexpr char kUnsupportedBits[] = "TIFF: Unsupported Bits Per Sample";
constexpr char kUnsupportedPhotometric[] = "TIFF: Unsupported photometric interpretation";

[[noreturn]] void Fail(const char* message) {
  throw EGraphicFormat(message);
}

// How the samples of one row become bitmap pixels.
enum class Layout { kRaw, kGrey, kRGB, kCMYK, kCIELab, kYCbCr };

class TiffDecoder {
 public:
  explicit TiffDecoder(const ByteSource& source) : source_(source), directory_(source) {}
  TBitmap Decode();

 private:
  void ReadStripTables();
  void ChooseLayout();
  void ReadYCbCrFields();
  std::vector<PaletteEntry> BuildPalette() const;
  std::unique_ptr<StripDecoder> DecoderForStrip(size_t strip, uint64_t needed);
  void DecodeStrips(TBitmap& bitmap);
  void UndoPrediction(uint8_t* row) const;
  void ConvertRow(const uint8_t* row, uint8_t* out);
  void ConvertYCbCrBlocks(const uint8_t* unit, uint32_t first_row, uint32_t rows,
                          TBitmap& bitmap) const;

  const ByteSource& source_;
  TiffDirectory directory_;

  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t samples_ = 1;
  uint32_t bits_ = 1;
  uint32_t photometric_ = 0;
  uint32_t predictor_ = 0;
  uint32_t compression_ = 0;
  bool reversed_bits_ = false;

  size_t strip_count_ = 0;
  std::vector<uint32_t> strip_offsets_;
  std::vector<uint32_t> strip_byte_counts_;
  std::vector<uint32_t> rows_per_strip_;

  Layout layout_ = Layout::kRaw;
  PixelFormat format_ = PixelFormat::k8Bit;
  uint32_t subsample_horizontal_ = 1;
  uint32_t subsample_vertical_ = 1;
  std::optional<YCbCrConverter> ycbcr_;

  std::vector<uint8_t> narrowed_;
  std::vector<uint8_t> compressed_;
};

// Compressed data never takes more than this many bytes per decoded byte (LZW's 12-bit
// codes take 1.5, PackBits 129/128), plus this much slack: a byte count beyond that is a
// damaged or hostile file, and reading it would only cost memory.
constexpr uint64_t kMaxCompressedPerDecoded = 2;
constexpr uint64_t kCompressedSlack = uint64_t{1} << 16;

uint8_t ReverseBits(uint8_t byte);

// Uncompressed strip data read from the source a piece at a time, as the rows need it.
class SourceStripDecoder : public StripDecoder {
 public:
  SourceStripDecoder(const ByteSource& source, uint64_t offset, uint64_t length, bool reversed)
      : source_(source), offset_(offset), left_(length), reversed_(reversed) {}

  size_t Read(std::span<uint8_t> out) override {
    const auto want = static_cast<size_t>(std::min<uint64_t>(out.size(), left_));
    const size_t got = source_.ReadAt(offset_, out.first(want));
    if (reversed_) std::transform(out.begin(), out.begin() + got, out.begin(), ReverseBits);
    offset_ += got;
    left_ = got < want ? 0 : left_ - got;
    return got;
  }

 private:
  const ByteSource& source_;
  uint64_t offset_;
  uint64_t left_;
  bool reversed_;
};

uint8_t ReverseBits(uint8_t byte) {
  byte = static_cast<uint8_t>((byte & 0xF0) >> 4 | (byte & 0x0F) << 4);
  byte = static_cast<uint8_t>((byte & 0xCC) >> 2 | (byte & 0x33) << 2);
  return static_cast<uint8_t>((byte & 0xAA) >> 1 | (byte & 0x55) << 1);
}

TBitmap TiffDecoder::Decode() {
  const TiffDirectory& d = directory_;
  predictor_ = d.TagValue(kTagPredictor);
  photometric_ = d.TagValue(kTagPhotometric);
  samples_ = std::max<uint32_t>(d.TagValue(kTagSamplesPerPixel), 1);
  // A file without the tag is uncompressed, as TIFF defines.
  compression_ = d.Has(kTagCompression) ? d.TagValue(kTagCompression) & 0xFFFF
                                        : uint32_t{kTIFFCompressionNone};
  // Bytes filled from their lowest bit first (written so by some tools even for 8-bit
  // samples) are brought into the usual order before they are decoded.
  reversed_bits_ = d.TagValue(kTagFillOrder) == kFillOrderLowBitFirst;
  std::vector<uint32_t> bits{1};
  d.ReadTagArray(kTagBitsPerSample, bits);
  bits_ = bits.empty() ? 1 : bits[0];
  width_ = d.TagValue(kTagImageWidth);
  height_ = d.TagValue(kTagImageLength);
  // Larger values are not cut to 16 bits: that would decode a garbled picture.
  if (width_ == 0 || height_ == 0 || width_ > kMaxDimension || height_ > kMaxDimension) {
    Fail(kIllegalDimensions);
  }
  // Before anything is allocated for the picture.
  CheckPixelLimit(width_, height_);
  ReadStripTables();
  ChooseLayout();
  if (samples_ > 1 && d.TagValue(kTagPlanarConfiguration) == kPlanarSeparate) {
    Fail("TIFF: Unsupported planar configuration");
  }
  if (!d.Has(kTagStripOffsets) && (d.Has(kTagTileWidth) || d.Has(kTagTileOffsets))) {
    Fail("TIFF: Unsupported tiled image");
  }
  if (!IsSupportedTIFFCompression(compression_)) Fail("TIFF: Unsupported compression scheme");

  try {
    TBitmap bitmap;
    bitmap.SetPixelFormat(format_);
    bitmap.SetSize(static_cast<int32_t>(width_), static_cast<int32_t>(height_));
    if (layout_ == Layout::kRaw || layout_ == Layout::kGrey) bitmap.SetPalette(BuildPalette());
    DecodeStrips(bitmap);
    return bitmap;
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(NotEnoughMemoryText(width_, height_));
  }
}

void TiffDecoder::ReadStripTables() {
  const TiffDirectoryEntry* offsets = directory_.Find(kTagStripOffsets);
  strip_count_ = offsets != nullptr ? offsets->count : 1;
  directory_.ReadTagArray(kTagRowsPerStrip, rows_per_strip_);
  if (strip_count_ > 1) {
    directory_.ReadTagArray(kTagStripOffsets, strip_offsets_);
    directory_.ReadTagArray(kTagStripByteCounts, strip_byte_counts_);
  } else if (strip_count_ == 1) {
    // A single strip holds the whole picture, whatever RowsPerStrip claims.
    strip_offsets_ = {directory_.TagValue(kTagStripOffsets)};
    if (directory_.Has(kTagStripByteCounts)) {
      strip_byte_counts_ = {directory_.TagValue(kTagStripByteCounts)};
    }
    rows_per_strip_ = {height_};
  }
}

void TiffDecoder::ChooseLayout() {
  if (samples_ > kMaxSamplesPerPixel) Fail("TIFF: Unsupported samples per pixel");
  if (samples_ == 1) {
    // 16-bit palette indices would need a colour map of 65536 entries per colour.
    const bool supported = bits_ == 1 || bits_ == 4 || bits_ == 8 ||
                           (bits_ == 16 && photometric_ != kPhotometricPalette);
    if (!supported) Fail(kUnsupportedBits);
    layout_ = Layout::kRaw;
    format_ = bits_ == 1   ? PixelFormat::k1Bit
              : bits_ == 4 ? PixelFormat::k4Bit
                           : PixelFormat::k8Bit;
    return;
  }
  // Samples beyond those of the colour space are extra samples (alpha, mostly) and are
  // skipped.
  format_ = PixelFormat::k24Bit;
  if ((photometric_ == kPhotometricWhiteIsZero || photometric_ == kPhotometricBlackIsZero) &&
      samples_ == 2) {
    layout_ = Layout::kGrey;
    format_ = PixelFormat::k8Bit;
  } else if (photometric_ == kPhotometricRGB && samples_ >= 3) {
    layout_ = Layout::kRGB;
  } else if (photometric_ == kPhotometricSeparated && samples_ >= 4) {
    layout_ = Layout::kCMYK;
  } else if (photometric_ == kPhotometricCIELab && samples_ >= 3) {
    layout_ = Layout::kCIELab;
  } else if (photometric_ == kPhotometricYCbCr && samples_ == 3) {
    layout_ = Layout::kYCbCr;
  } else {
    Fail(kUnsupportedPhotometric);
  }
  if (bits_ != 8 && bits_ != 16) Fail(kUnsupportedBits);
  if (layout_ == Layout::kYCbCr) ReadYCbCrFields();
}

void TiffDecoder::ReadYCbCrFields() {
  std::vector<uint32_t> subsampling{2, 2};
  directory_.ReadTagArray(kTagYCbCrSubSampling, subsampling);
  const auto valid = [](uint32_t factor) { return factor == 1 || factor == 2 || factor == 4; };
  if (subsampling.size() != 2 || !valid(subsampling[0]) || !valid(subsampling[1])) {
    Fail("TIFF: Unsupported YCbCr subsampling");
  }
  subsample_horizontal_ = subsampling[0];
  subsample_vertical_ = subsampling[1];
  if ((subsample_horizontal_ > 1 || subsample_vertical_ > 1) && bits_ != 8) Fail(kUnsupportedBits);

  double coefficients[3] = {0.299, 0.587, 0.114};
  double reference[6] = {0, 255, 128, 255, 128, 255};
  std::vector<double> values;
  if (directory_.ReadRationalArray(kTagYCbCrCoefficients, values) && values.size() >= 3) {
    std::copy_n(values.begin(), 3, coefficients);
  }
  if (directory_.ReadRationalArray(kTagReferenceBlackWhite, values) && values.size() >= 6) {
    std::copy_n(values.begin(), 6, reference);
  }
  ycbcr_.emplace(coefficients, reference);
}

std::vector<PaletteEntry> TiffDecoder::BuildPalette() const {
  const size_t entries = bits_ == 1 ? 2 : bits_ == 4 ? 16 : 256;
  std::vector<PaletteEntry> palette(entries);
  const auto grey = [](int level) {
    const auto value = static_cast<uint8_t>(level);
    return PaletteEntry{value, value, value};
  };
  // 4-bit grey steps by 16, so its brightest level is 240.
  const int step = bits_ == 1 ? 255 : bits_ == 4 ? 16 : 1;
  const int top = static_cast<int>(entries) - 1;
  if (photometric_ == kPhotometricWhiteIsZero) {
    for (size_t k = 0; k < entries; ++k) palette[k] = grey(step * (top - static_cast<int>(k)));
  } else if (photometric_ == kPhotometricBlackIsZero) {
    for (size_t k = 0; k < entries; ++k) palette[k] = grey(step * static_cast<int>(k));
  } else if (photometric_ == kPhotometricPalette) {
    std::vector<uint32_t> map;
    directory_.ReadTagArray(kTagColorMap, map);
    // Three tables, red, green and blue, each as long as a third of the map.
    const size_t length = map.size() / 3;
    for (size_t k = 0; k < std::min(entries, length); ++k) {
      palette[k] = {static_cast<uint8_t>(map[k] >> 8), static_cast<uint8_t>(map[length + k] >> 8),
                    static_cast<uint8_t>(map[2 * length + k] >> 8)};
    }
  } else if (bits_ == 1) {
    palette[1] = grey(1);
  }
  return palette;
}

std::unique_ptr<StripDecoder> TiffDecoder::DecoderForStrip(size_t strip, uint64_t needed) {
  const uint64_t size = source_.Size();
  if (strip >= strip_offsets_.size() || strip_offsets_[strip] >= size) {
    return MakeStripDecoder(compression_, {});
  }
  const uint64_t offset = strip_offsets_[strip];
  // Uncompressed strips are read for as many rows as they hold, whatever their byte count
  // says; compressed ones end at their byte count or, lacking one, at the end of the file.
  if (compression_ == kTIFFCompressionNone) {
    return std::make_unique<SourceStripDecoder>(source_, offset, std::min(size - offset, needed),
                                                reversed_bits_);
  }
  uint64_t length = size - offset;
  if (strip < strip_byte_counts_.size())
    length = std::min<uint64_t>(length, strip_byte_counts_[strip]);
  length = std::min(length, needed * kMaxCompressedPerDecoded + kCompressedSlack);
  compressed_ = source_.ReadRange(offset, length);
  if (reversed_bits_) {
    std::transform(compressed_.begin(), compressed_.end(), compressed_.begin(), ReverseBits);
  }
  return MakeStripDecoder(compression_, compressed_);
}

void TiffDecoder::DecodeStrips(TBitmap& bitmap) {
  const bool blocks =
      layout_ == Layout::kYCbCr && (subsample_horizontal_ > 1 || subsample_vertical_ > 1);
  const uint64_t bytes_per_row = (uint64_t{bits_} * samples_ * width_ + 7) / 8;
  // The unit read at a time: one row, or one row of YCbCr blocks, each block holding the
  // luma samples of h x v pixels followed by one Cb and one Cr sample.
  uint64_t unit_bytes = bytes_per_row;
  uint32_t unit_rows = 1;
  if (blocks) {
    const uint64_t blocks_per_row = (width_ + subsample_horizontal_ - 1) / subsample_horizontal_;
    unit_bytes = blocks_per_row * (subsample_horizontal_ * subsample_vertical_ + 2);
    unit_rows = subsample_vertical_;
  }
  std::vector<uint8_t> unit(static_cast<size_t>(unit_bytes));
  if (bits_ == 16) narrowed_.resize(static_cast<size_t>(uint64_t{width_} * samples_));

  uint32_t row = 0;
  for (size_t strip = 0; strip < strip_count_ && row < height_; ++strip) {
    // Without RowsPerStrip the first strip holds the whole picture, as TIFF's default says.
    const uint64_t rows_in_strip = rows_per_strip_.empty()          ? height_
                                   : strip < rows_per_strip_.size() ? rows_per_strip_[strip]
                                                                    : rows_per_strip_.back();
    const auto rows_here = static_cast<uint32_t>(std::min<uint64_t>(rows_in_strip, height_ - row));
    if (rows_here == 0) continue;
    const uint64_t units = (rows_here + unit_rows - 1) / unit_rows;
    std::unique_ptr<StripDecoder> decoder = DecoderForStrip(strip, units * unit_bytes);
    for (uint32_t done = 0; done < rows_here; done += unit_rows) {
      const size_t got = decoder->Read(unit);
      if (got == 0) break;
      // Rows beyond the strip's data stay as created; a row cut short is completed with
      // zero bytes so that what it has still shows.
      std::fill(unit.begin() + static_cast<ptrdiff_t>(got), unit.end(), uint8_t{0});
      const uint32_t y = row + done;
      if (blocks) {
        ConvertYCbCrBlocks(unit.data(), y, std::min(unit_rows, rows_here - done), bitmap);
      } else {
        if (predictor_ == kPredictorHorizontal) UndoPrediction(unit.data());
        ConvertRow(unit.data(), bitmap.ScanLine(static_cast<int32_t>(y)));
      }
      if (got < unit.size()) break;
    }
    // The next strip continues at its own rows even when this one was short.
    row += rows_here;
  }
}

void TiffDecoder::UndoPrediction(uint8_t* row) const {
  // Differences are taken between the same sample of neighbouring pixels, within the row.
  const size_t count = static_cast<size_t>(uint64_t{width_} * samples_);
  if (bits_ == 8) {
    for (size_t k = samples_; k < count; ++k)
      row[k] = static_cast<uint8_t>(row[k] + row[k - samples_]);
  } else if (bits_ == 16) {
    const bool big = directory_.BigEndian();
    const auto get = [&](size_t k) -> unsigned {
      return big ? (row[2 * k] << 8) | row[2 * k + 1] : row[2 * k] | (row[2 * k + 1] << 8);
    };
    for (size_t k = samples_; k < count; ++k) {
      const unsigned value = (get(k) + get(k - samples_)) & 0xFFFF;
      row[2 * k + (big ? 0 : 1)] = static_cast<uint8_t>(value >> 8);
      row[2 * k + (big ? 1 : 0)] = static_cast<uint8_t>(value);
    }
  } else {
    // 1- and 4-bit samples, leftmost in the most significant bits.
    const unsigned mask = (1u << bits_) - 1;
    const auto shift = [&](size_t k) { return 8 - bits_ - (k * bits_) % 8; };
    for (size_t k = 1; k < count; ++k) {
      uint8_t& byte = row[k * bits_ / 8];
      const unsigned previous = (row[(k - 1) * bits_ / 8] >> shift(k - 1)) & mask;
      const unsigned value = (((byte >> shift(k)) & mask) + previous) & mask;
      byte = static_cast<uint8_t>((byte & ~(mask << shift(k))) | (value << shift(k)));
    }
  }
}

void TiffDecoder::ConvertRow(const uint8_t* row, uint8_t* out) {
  const uint8_t* s = row;
  if (bits_ == 16) {
    // The most significant byte of each sample, in the file's byte order.
    const size_t high = directory_.BigEndian() ? 0 : 1;
    for (size_t i = 0; i < narrowed_.size(); ++i) narrowed_[i] = row[2 * i + high];
    s = narrowed_.data();
  }
  const size_t step = samples_;
  switch (layout_) {
    case Layout::kRaw:
      std::memcpy(out, s, bits_ == 16 ? width_ : (uint64_t{bits_} * width_ + 7) / 8);
      break;
    case Layout::kGrey:
      for (uint32_t x = 0; x < width_; ++x) out[x] = s[x * step];
      break;
    case Layout::kRGB:
      for (uint32_t x = 0; x < width_; ++x, s += step, out += 3) {
        out[0] = s[2];
        out[1] = s[1];
        out[2] = s[0];
      }
      break;
    case Layout::kCMYK:
      for (uint32_t x = 0; x < width_; ++x, s += step, out += 3)
        CMYKToBGR(s[0], s[1], s[2], s[3], out);
      break;
    case Layout::kCIELab:
      for (uint32_t x = 0; x < width_; ++x, s += step, out += 3) {
        CIELabToBGR(s[0], static_cast<int8_t>(s[1]), static_cast<int8_t>(s[2]), out);
      }
      break;
    case Layout::kYCbCr:
      for (uint32_t x = 0; x < width_; ++x, s += step, out += 3)
        ycbcr_->ToBGR(s[0], s[1], s[2], out);
      break;
  }
}

void TiffDecoder::ConvertYCbCrBlocks(const uint8_t* unit, uint32_t first_row, uint32_t rows,
                                     TBitmap& bitmap) const {
  const uint32_t h = subsample_horizontal_;
  const uint32_t v = subsample_vertical_;
  const uint8_t* block = unit;
  for (uint32_t x0 = 0; x0 < width_; x0 += h, block += h * v + 2) {
    const uint8_t cb = block[h * v];
    const uint8_t cr = block[h * v + 1];
    for (uint32_t dy = 0; dy < rows; ++dy) {
      uint8_t* out = bitmap.ScanLine(static_cast<int32_t>(first_row + dy));
      for (uint32_t dx = 0; dx < h && x0 + dx < width_; ++dx) {
        ycbcr_->ToBGR(block[dy * h + dx], cb, cr, out + 3 * (x0 + dx));
      }
    }
  }
}

}  // namespace

void TTIFFFile::LoadFromSource(const ByteSource& source) {
  bitmap_ = TBitmap();
  TBitmap decoded;
  try {
    decoded = TiffDecoder(source).Decode();
  } catch (const EOutOfBounds&) {
    throw EGraphicFormat("TIFF: Unexpected end of file");
  }
  bitmap_ = std::move(decoded);
}

void TTIFFFile::LoadFromBytes(std::span<const uint8_t> data) {
  LoadFromSource(MemoryByteSource(data));
}

void TTIFFFile::LoadFromFile(const std::string& path) {
  bitmap_ = TBitmap();
  LoadFromSource(RegularFile(path));
}

}  // namespace kelmora
