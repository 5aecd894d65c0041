#include "imaging/jpeg_image.h"

// jpeglib.h needs size_t and FILE declared first.
#include <algorithm>
#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <utility>
#include <vector>

#include <jpeglib.h>

#include <jerror.h>

#include "common/errors.h"
#include "imaging/pixel_limit.h"
#include "platform/file_system.h"
#include "platform/regular_file.h"

namespace kelmora {
namespace {

// libjpeg reports an error by calling error_exit, which must not return. It jumps back to
// the setjmp of the step running at the time; each step below is a small function holding
// nothing but libjpeg calls, and the exception is raised only after it has returned, so
// no C++ frame is ever skipped and no exception crosses libjpeg's C frames.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

void ExitToStep(j_common_ptr info) {
  std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Library code prints nothing; warnings are still counted by libjpeg.
void DiscardMessage(j_common_ptr) {}

void InitErrors(ErrorManager& error) {
  jpeg_std_error(&error.pub);
  error.pub.error_exit = ExitToStep;
  error.pub.output_message = DiscardMessage;
}

void LimitScans(j_common_ptr common) {
  const auto* info = reinterpret_cast<j_decompress_ptr>(common);
  if (info->input_scan_number > TJPEGImage::kMaxScans) {
    // libjpeg has no code of its own for this; an invalid progression is the nearest.
    common->err->msg_code = JERR_BAD_PROGRESSION;
    common->err->error_exit(common);
  }
}

// Compressed data read from a file a piece at a time, so that a picture never has to be
// held in memory whole. The file is read through the source's own positional reads; an I/O
// error is kept here and raised once control is back in C++.
struct FileSource {
  static constexpr size_t kBufferSize = size_t{1} << 16;

  jpeg_source_mgr pub{};
  const RegularFile* file = nullptr;
  uint64_t position = 0;
  std::vector<uint8_t> buffer;
  std::exception_ptr read_error;
};

void InitSource(j_decompress_ptr) {}

boolean FillInputBuffer(j_decompress_ptr info) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  size_t got = 0;
  try {
    got = source->file->ReadAt(source->position, source->buffer);
  } catch (...) {
    source->read_error = std::current_exception();
  }
  // Outside the handler: error_exit jumps and never returns.
  if (source->read_error) {
    info->err->msg_code = JERR_FILE_READ;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
  }
  if (got == 0) {
    // The data ends early: an end-of-image marker lets libjpeg finish what it has, as its
    // own file reader does.
    info->err->msg_code = JWRN_JPEG_EOF;
    info->err->emit_message(reinterpret_cast<j_common_ptr>(info), -1);
    source->buffer[0] = 0xFF;
    source->buffer[1] = JPEG_EOI;
    got = 2;
  }
  source->position += got;
  source->pub.next_input_byte = source->buffer.data();
  source->pub.bytes_in_buffer = got;
  return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count) {
  auto* source = reinterpret_cast<FileSource*>(info->src);
  if (count <= 0) return;
  const auto skip = static_cast<size_t>(count);
  if (skip <= source->pub.bytes_in_buffer) {
    source->pub.next_input_byte += skip;
    source->pub.bytes_in_buffer -= skip;
    return;
  }
  // Skip what is left in the buffer and the rest in the file, without reading it.
  source->position += skip - source->pub.bytes_in_buffer;
  source->pub.bytes_in_buffer = 0;
  source->pub.next_input_byte = source->buffer.data();
}

void TermSource(j_decompress_ptr) {}

void UseFileSource(jpeg_decompress_struct& info, FileSource& source, const RegularFile& file) {
  source.file = &file;
  source.position = 0;
  source.buffer.resize(FileSource::kBufferSize);
  source.pub.init_source = InitSource;
  source.pub.fill_input_buffer = FillInputBuffer;
  source.pub.skip_input_data = SkipInputData;
  source.pub.resync_to_restart = jpeg_resync_to_restart;
  source.pub.term_source = TermSource;
  source.pub.bytes_in_buffer = 0;
  source.pub.next_input_byte = nullptr;
  info.src = &source.pub;
}

struct Decompressor {
  jpeg_decompress_struct info{};
  ErrorManager error{};
  jpeg_progress_mgr progress{};
  FileSource source;

  Decompressor() {
    InitErrors(error);
    info.err = &error.pub;
    progress.progress_monitor = LimitScans;
  }
  ~Decompressor() { jpeg_destroy_decompress(&info); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  [[noreturn]] void Raise();
};

void Decompressor::Raise() {
  if (source.read_error) std::rethrow_exception(source.read_error);
  const int code = error.pub.msg_code;
  if (code == JERR_OUT_OF_MEMORY && info.image_width > 0) {
    throw EOutOfMemory(NotEnoughMemoryText(info.image_width, info.image_height));
  }
  char explanation[JMSG_LENGTH_MAX] = {};
  error.pub.format_message(reinterpret_cast<j_common_ptr>(&info), explanation);
  throw EJPEG(code, explanation);
}

// The compressed data comes from a file when there is one, else from the bytes.
bool StepReadHeader(Decompressor& d, const std::vector<uint8_t>& bytes, const RegularFile* file) {
  if (setjmp(d.error.jump)) return false;
  jpeg_create_decompress(&d.info);
  d.info.progress = &d.progress;
  // Bounds libjpeg's whole-image buffers (progressive files) like the bitmap itself.
  d.info.mem->max_memory_to_use = static_cast<long>(TBitmap::kMaxPixelBytes);
  if (file != nullptr) {
    UseFileSource(d.info, d.source, *file);
  } else {
    jpeg_mem_src(&d.info, bytes.data(), static_cast<unsigned long>(bytes.size()));
  }
  jpeg_read_header(&d.info, TRUE);
  return true;
}

// Reads the header and refuses a picture beyond the pixel limit before anything is
// allocated for its pixels.
void ReadHeader(Decompressor& d, const std::vector<uint8_t>& bytes, const RegularFile* file) {
  if (!StepReadHeader(d, bytes, file)) d.Raise();
  CheckPixelLimit(d.info.image_width, d.info.image_height);
}

bool StepCalcOutput(Decompressor& d) {
  if (setjmp(d.error.jump)) return false;
  jpeg_calc_output_dimensions(&d.info);
  return true;
}

bool StepStart(Decompressor& d) {
  if (setjmp(d.error.jump)) return false;
  jpeg_start_decompress(&d.info);
  return true;
}

bool StepReadRows(Decompressor& d, JSAMPROW* rows, JDIMENSION count) {
  if (setjmp(d.error.jump)) return false;
  for (JDIMENSION done = 0; done < count;) {
    const JDIMENSION got = jpeg_read_scanlines(&d.info, rows + done, count - done);
    if (got == 0) break;  // never with data in memory; no endless loop all the same
    done += got;
  }
  return true;
}

bool IsFourComponent(const jpeg_decompress_struct& info) {
  return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

// Photoshop writes CMYK (and YCCK) with an Adobe marker and inverted values, 255 meaning
// no ink; files without the marker store ink amounts.
void CmykRowToBgr(const uint8_t* cmyk, uint8_t* bgr, JDIMENSION width, bool inverted) {
  for (JDIMENSION x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int i = 0; i < 3; ++i) {
      const unsigned c = inverted ? cmyk[i] : 255u - cmyk[i];
      bgr[2 - i] = static_cast<uint8_t>((c * k + 127) / 255);
    }
  }
}

// Compressed output grows in a vector; growth happens in C++ between libjpeg's calls and
// turns a failed allocation into libjpeg's own out-of-memory error.
struct Destination {
  jpeg_destination_mgr pub{};
  std::vector<uint8_t>* buffer = nullptr;
};

void InitDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<Destination*>(info->dest);
  dest->pub.next_output_byte = dest->buffer->data();
  dest->pub.free_in_buffer = dest->buffer->size();
}

bool GrowBuffer(std::vector<uint8_t>& buffer) noexcept {
  try {
    buffer.resize(buffer.size() * 2);
    return true;
  } catch (const std::bad_alloc&) {
    return false;
  } catch (const std::length_error&) {
    return false;
  }
}

boolean EmptyOutputBuffer(j_compress_ptr info) {
  auto* dest = reinterpret_cast<Destination*>(info->dest);
  const size_t used = dest->buffer->size();
  if (!GrowBuffer(*dest->buffer)) {
    info->err->msg_code = JERR_OUT_OF_MEMORY;
    info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
  }
  dest->pub.next_output_byte = dest->buffer->data() + used;
  dest->pub.free_in_buffer = dest->buffer->size() - used;
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  auto* dest = reinterpret_cast<Destination*>(info->dest);
  dest->buffer->resize(dest->buffer->size() - dest->pub.free_in_buffer);
}

struct Compressor {
  jpeg_compress_struct info{};
  ErrorManager error{};
  Destination destination;

  explicit Compressor(std::vector<uint8_t>& buffer) {
    InitErrors(error);
    info.err = &error.pub;
    destination.buffer = &buffer;
    destination.pub.init_destination = InitDestination;
    destination.pub.empty_output_buffer = EmptyOutputBuffer;
    destination.pub.term_destination = TermDestination;
  }
  ~Compressor() { jpeg_destroy_compress(&info); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
};

struct EncodeJob {
  JDIMENSION width;
  JDIMENSION height;
  int components;
  J_COLOR_SPACE colour_space;
  int quality;
  JSAMPROW* rows;
};

bool StepEncode(Compressor& c, const EncodeJob& job) {
  if (setjmp(c.error.jump)) return false;
  jpeg_create_compress(&c.info);
  c.info.dest = &c.destination.pub;
  c.info.image_width = job.width;
  c.info.image_height = job.height;
  c.info.input_components = job.components;
  c.info.in_color_space = job.colour_space;
  jpeg_set_defaults(&c.info);
  jpeg_set_quality(&c.info, job.quality, TRUE);
  jpeg_start_compress(&c.info, TRUE);
  while (c.info.next_scanline < c.info.image_height) {
    jpeg_write_scanlines(&c.info, job.rows + c.info.next_scanline,
                         c.info.image_height - c.info.next_scanline);
  }
  jpeg_finish_compress(&c.info);
  return true;
}

}  // namespace

void TJPEGImage::LoadFromFile(const std::string& path) {
  auto file = std::make_shared<const RegularFile>(path);
  Decompressor d;
  ReadHeader(d, {}, file.get());
  file_ = std::move(file);
  data_.clear();
  bitmap_.reset();
  width_ = static_cast<int32_t>(d.info.image_width);
  height_ = static_cast<int32_t>(d.info.image_height);
}

void TJPEGImage::LoadFromBytes(std::span<const uint8_t> data) {
  TakeData(std::vector<uint8_t>(data.begin(), data.end()));
}

void TJPEGImage::TakeData(std::vector<uint8_t>&& data) {
  Decompressor d;
  ReadHeader(d, data, nullptr);
  data_ = std::move(data);
  file_.reset();
  bitmap_.reset();
  width_ = static_cast<int32_t>(d.info.image_width);
  height_ = static_cast<int32_t>(d.info.image_height);
}

void TJPEGImage::AssignTo(TBitmap& bitmap) const {
  try {
    if (bitmap_) {
      bitmap = *bitmap_;
      return;
    }
    TBitmap result;
    Decode(result);
    bitmap = std::move(result);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(
        NotEnoughMemoryText(static_cast<uint64_t>(width_), static_cast<uint64_t>(height_)));
  }
}

void TJPEGImage::DecodeInto(TBitmap& bitmap) const {
  try {
    if (bitmap_) {
      bitmap = *bitmap_;
      return;
    }
    Decode(bitmap);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(
        NotEnoughMemoryText(static_cast<uint64_t>(width_), static_cast<uint64_t>(height_)));
  }
}

void TJPEGImage::Decode(TBitmap& result) const {
  Decompressor d;
  ReadHeader(d, data_, file_.get());
  // Full scale, accurate integer DCT, block smoothing and fancy upsampling: libjpeg's
  // defaults, named here because the output depends on them.
  d.info.scale_num = 1;
  d.info.scale_denom = 1;
  d.info.dct_method = JDCT_ISLOW;
  d.info.do_block_smoothing = TRUE;
  d.info.do_fancy_upsampling = TRUE;
  const bool grey = d.info.num_components == 1;
  const bool four_component = IsFourComponent(d.info);
  if (grey) {
    d.info.quantize_colors = TRUE;
    d.info.desired_number_of_colors = 236;
  } else if (four_component) {
    d.info.out_color_space = JCS_CMYK;
  } else {
    // libjpeg writes the bitmap's blue-green-red order itself.
    d.info.out_color_space = JCS_EXT_BGR;
  }
  if (!StepCalcOutput(d)) d.Raise();

  result.Reshape(static_cast<int32_t>(d.info.output_width),
                 static_cast<int32_t>(d.info.output_height),
                 grey ? PixelFormat::k8Bit : PixelFormat::k24Bit);
  const JDIMENSION width = d.info.output_width;
  const JDIMENSION height = d.info.output_height;
  if (!StepStart(d)) d.Raise();

  if (four_component) {
    constexpr JDIMENSION kBatch = 16;
    std::vector<uint8_t> cmyk(static_cast<size_t>(width) * 4 * kBatch);
    JSAMPROW rows[kBatch];
    for (JDIMENSION i = 0; i < kBatch; ++i) {
      rows[i] = cmyk.data() + static_cast<size_t>(width) * 4 * i;
    }
    const bool inverted = d.info.saw_Adobe_marker;
    for (JDIMENSION y = 0; y < height; y += kBatch) {
      const JDIMENSION count = std::min(kBatch, height - y);
      if (!StepReadRows(d, rows, count)) d.Raise();
      for (JDIMENSION i = 0; i < count; ++i) {
        CmykRowToBgr(rows[i], result.ScanLine(static_cast<int32_t>(y + i)), width, inverted);
      }
    }
  } else {
    std::vector<JSAMPROW> rows(height);
    for (JDIMENSION y = 0; y < height; ++y) rows[y] = result.ScanLine(static_cast<int32_t>(y));
    if (!StepReadRows(d, rows.data(), height)) d.Raise();
  }
  // The memory may hold an earlier picture: every byte libjpeg did not write is cleared, so
  // the bitmap is the same whatever it held before (rows of a file that ends early, and the
  // padding at the end of each row).
  const JDIMENSION rows_read = std::min(d.info.output_scanline, height);
  const size_t row_bytes = static_cast<size_t>(width) * (grey ? 1 : 3);
  for (JDIMENSION y = 0; y < height; ++y) {
    uint8_t* row = result.ScanLine(static_cast<int32_t>(y));
    if (y >= rows_read) {
      std::memset(row, 0, result.BytesPerRow());
    } else if (result.BytesPerRow() > row_bytes) {
      std::memset(row + row_bytes, 0, result.BytesPerRow() - row_bytes);
    }
  }
  if (grey) {
    std::vector<PaletteEntry> palette(static_cast<size_t>(d.info.actual_number_of_colors));
    for (size_t i = 0; i < palette.size(); ++i) {
      const uint8_t level = d.info.colormap[0][i];
      palette[i] = {level, level, level};
    }
    result.SetPalette(std::move(palette));
  }
  // Reading stops after the last row: what follows it cannot change the picture, and
  // libjpeg's complaints about it would only throw a complete picture away.
}

void TJPEGImage::Assign(const TBitmap& bitmap) {
  Assign(TBitmap(bitmap));
}

void TJPEGImage::Assign(TBitmap&& bitmap) {
  width_ = bitmap.Width();
  height_ = bitmap.Height();
  bitmap_ = std::move(bitmap);
  data_.clear();
  data_.shrink_to_fit();
  file_.reset();
}

std::vector<uint8_t> TJPEGImage::SaveToBytes() const {
  if (!bitmap_ && file_) return file_->ReadRange(0, file_->Size());
  if (!bitmap_ && !data_.empty()) return data_;
  return EncodeJpegBytes(bitmap_ ? *bitmap_ : TBitmap(), compression_quality);
}

std::vector<uint8_t> EncodeJpegBytes(const TBitmap& source, int quality) {
  // 24- and 32-bit rows go to libjpeg as they are; it reorders blue-green-red itself.
  std::optional<TBitmap> widened;
  const TBitmap* rows_from = &source;
  int components = 3;
  J_COLOR_SPACE colour_space = JCS_EXT_BGR;
  if (source.Format() == PixelFormat::k32Bit) {
    components = 4;
    colour_space = JCS_EXT_BGRX;
  } else if (IsPaletteFormat(source.Format())) {
    widened.emplace(source);
    widened->SetPixelFormat(PixelFormat::k24Bit);
    rows_from = &*widened;
  }
  std::vector<JSAMPROW> rows(static_cast<size_t>(source.Height()));
  for (int32_t y = 0; y < source.Height(); ++y) {
    rows[static_cast<size_t>(y)] = const_cast<JSAMPROW>(rows_from->ScanLine(y));
  }

  // A first guess of the size (about two bits per pixel); the destination grows when it
  // falls short.
  const size_t guess =
      static_cast<size_t>(source.Width()) * static_cast<size_t>(source.Height()) / 4;
  std::vector<uint8_t> out(std::clamp<size_t>(guess, size_t{1} << 16, size_t{1} << 24));
  Compressor c(out);
  const EncodeJob job{static_cast<JDIMENSION>(source.Width()),
                      static_cast<JDIMENSION>(source.Height()),
                      components,
                      colour_space,
                      std::clamp(quality, 1, 100),
                      rows.data()};
  if (!StepEncode(c, job)) {
    char explanation[JMSG_LENGTH_MAX] = {};
    c.error.pub.format_message(reinterpret_cast<j_common_ptr>(&c.info), explanation);
    throw EJPEG(c.error.pub.msg_code, explanation);
  }
  return out;
}

void TJPEGImage::SaveToFile(const std::string& path) const {
  const std::vector<uint8_t> bytes = SaveToBytes();
  WriteFileBytes(path, bytes.data(), bytes.size());
}

}  // namespace kelmora
