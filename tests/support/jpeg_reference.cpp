#include "support/jpeg_reference.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace kelmora::test {

std::vector<uint8_t> EncodeReference(const Picture& picture, const EncodeOptions& options) {
  jpeg_compress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(picture.width);
  info.image_height = static_cast<JDIMENSION>(picture.height);
  info.input_components = picture.components;
  info.in_color_space = options.input;
  jpeg_set_defaults(&info);
  if (options.stored != JCS_UNKNOWN) jpeg_set_colorspace(&info, options.stored);
  if (!options.adobe_marker) info.write_Adobe_marker = FALSE;
  jpeg_set_quality(&info, options.quality, TRUE);
  if (options.progressive) jpeg_simple_progression(&info);
  jpeg_start_compress(&info, TRUE);
  for (int y = 0; y < picture.height; ++y) {
    auto row = const_cast<JSAMPROW>(picture.pixels.data() +
                                    static_cast<size_t>(y) * picture.width * picture.components);
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::vector<uint8_t> bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

Picture DecodeReference(const std::vector<uint8_t>& bytes) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr error{};
  info.err = jpeg_std_error(&error);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes.data(), bytes.size());
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_start_decompress(&info);
  Picture picture{static_cast<int>(info.output_width), static_cast<int>(info.output_height)};
  picture.pixels.resize(static_cast<size_t>(picture.width) * 3 * picture.height);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = picture.pixels.data() + size_t{info.output_scanline} * 3 * picture.width;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return picture;
}

std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height) {
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0) {
      // FF C0, length (2), precision (1), height (2), width (2)
      jpeg[i + 5] = static_cast<uint8_t>(height >> 8);
      jpeg[i + 6] = static_cast<uint8_t>(height);
      jpeg[i + 7] = static_cast<uint8_t>(width >> 8);
      jpeg[i + 8] = static_cast<uint8_t>(width);
      return jpeg;
    }
  }
  ADD_FAILURE() << "no baseline frame header";
  return jpeg;
}

}  // namespace kelmora::test
