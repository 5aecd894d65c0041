#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>  // jpeglib.h needs size_t and FILE declared first
#include <vector>

#include <jpeglib.h>

namespace kelmora::test {

// libjpeg used directly: the reference for what the program's JPEG code must do, and the
// maker of JPEG files for tests.
struct Picture {
  int width = 0;
  int height = 0;
  int components = 3;
  std::vector<uint8_t> pixels = {};  // red, green, blue (or the components given), top row first
};

struct EncodeOptions {
  J_COLOR_SPACE input = JCS_RGB;
  J_COLOR_SPACE stored = JCS_UNKNOWN;  // JCS_UNKNOWN: libjpeg's default for the input
  int quality = 90;
  bool progressive = false;
  bool adobe_marker = true;
};

std::vector<uint8_t> EncodeReference(const Picture& picture, const EncodeOptions& options);

// Decodes to RGB.
Picture DecodeReference(const std::vector<uint8_t>& bytes);

// The JPEG with its baseline frame header's size replaced: a small file that declares a
// picture of any size. Fails the test when there is no such header.
std::vector<uint8_t> WithDeclaredSize(std::vector<uint8_t> jpeg, uint16_t width, uint16_t height);

}  // namespace kelmora::test
