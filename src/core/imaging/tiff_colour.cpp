#include "imaging/tiff_colour.h"

#include <algorithm>

#include "common/rounding.h"

namespace kelmora {
namespace {

uint8_t InkToPrimary(int ink, int black) {
  return static_cast<uint8_t>(std::max(0, 255 - ink - black));
}

uint8_t ToByte(double value) {
  return static_cast<uint8_t>(std::clamp(RoundHalfEven(value), 0, 255));
}

}  // namespace

void CMYKToBGR(uint8_t cyan, uint8_t magenta, uint8_t yellow, uint8_t black, uint8_t* bgr) {
  bgr[0] = InkToPrimary(yellow, black);
  bgr[1] = InkToPrimary(magenta, black);
  bgr[2] = InkToPrimary(cyan, black);
}

void CIELabToBGR(uint8_t lightness, int8_t a, int8_t b, uint8_t* bgr) {
  const double l_star = lightness / 2.56;
  const double fy = (l_star + 16.0) / 116.0;
  double x, y, z;
  // Below this lightness the cube law is replaced by its linear segment.
  if (l_star < 7.9996) {
    y = l_star / 903.3;
    x = a / 3893.5 + y;
    z = y - b / 1557.4;
  } else {
    const double fx = a / 500.0 + fy;
    const double fz = fy - b / 200.0;
    x = fx * fx * fx;
    y = fy * fy * fy;
    z = fz * fz * fz;
  }
  const double red = 2.998 * x - 1.458 * y - 0.541 * z;
  const double green = -0.952 * x + 1.893 * y + 0.059 * z;
  const double blue = 0.099 * x - 0.198 * y + 1.099 * z;
  bgr[0] = ToByte(blue * 255.0);
  bgr[1] = ToByte(green * 255.0);
  bgr[2] = ToByte(red * 255.0);
}

YCbCrConverter::YCbCrConverter(const double (&coefficients)[3], const double (&reference)[6])
    : luma_red_(coefficients[0]), luma_green_(coefficients[1]), luma_blue_(coefficients[2]) {
  // Luma spans 255 codes, each chroma 127 codes on either side of its black.
  const double ranges[3] = {255.0, 127.0, 127.0};
  for (int i = 0; i < 3; ++i) {
    black_[i] = reference[2 * i];
    const double span = reference[2 * i + 1] - reference[2 * i];
    scale_[i] = span != 0.0 ? ranges[i] / span : 1.0;
  }
  if (luma_green_ == 0.0) {
    luma_red_ = 0.299;
    luma_green_ = 0.587;
    luma_blue_ = 0.114;
  }
}

void YCbCrConverter::ToBGR(uint8_t y, uint8_t cb, uint8_t cr, uint8_t* bgr) const {
  const double luma = (y - black_[0]) * scale_[0];
  const double blue_difference = (cb - black_[1]) * scale_[1];
  const double red_difference = (cr - black_[2]) * scale_[2];
  const double red = red_difference * (2.0 - 2.0 * luma_red_) + luma;
  const double blue = blue_difference * (2.0 - 2.0 * luma_blue_) + luma;
  const double green = (luma - luma_blue_ * blue - luma_red_ * red) / luma_green_;
  bgr[0] = ToByte(blue);
  bgr[1] = ToByte(green);
  bgr[2] = ToByte(red);
}

}  // namespace kelmora
