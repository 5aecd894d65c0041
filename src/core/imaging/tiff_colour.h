#pragma once

#include <cstdint>

namespace kelmora {

// Colour conversions of the TIFF reader. Each writes one pixel in the bitmap's order
// blue, green, red.

// Subtractive inks without colour management: each primary loses its ink and the black.
void CMYKToBGR(uint8_t cyan, uint8_t magenta, uint8_t yellow, uint8_t black, uint8_t* bgr);

// 8-bit CIELab (L 0..255 for 0..100, a* and b* signed) to RGB, with a D65-like matrix and
// no white-point scaling or gamma; halves round to even.
void CIELabToBGR(uint8_t lightness, int8_t a, int8_t b, uint8_t* bgr);

// YCbCr as TIFF defines it: luma coefficients and the reference black and white of each
// component scale the codes before the conversion.
class YCbCrConverter {
 public:
  // coefficients: luma red, green, blue; reference: black and white of Y, Cb and Cr.
  YCbCrConverter(const double (&coefficients)[3], const double (&reference)[6]);
  void ToBGR(uint8_t y, uint8_t cb, uint8_t cr, uint8_t* bgr) const;

 private:
  double luma_red_, luma_green_, luma_blue_;
  double black_[3];
  double scale_[3];
};

}  // namespace kelmora
