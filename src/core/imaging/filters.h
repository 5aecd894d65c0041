#pragma once

#include <array>

namespace kelmora {

// A reconstruction filter: weight of a source pixel at distance x (in source pixels,
// already scaled). Each filter returns 0 outside its natural support.
using FilterFunction = float (*)(float x);

// Each filter evaluates its expression in long double and rounds to single precision only
// where noted; the rounding points are part of the output and must not move.
float SplineFilter(float x);    // cubic B-spline; x² is rounded to single first
float BellFilter(float x);      // quadratic
float TriangleFilter(float x);  // linear
float BoxFilter(float x);       // 1 on (-0.5, 0.5]
float HermiteFilter(float x);
float Lanczos3Filter(float x);  // Sinc(|x|) * Sinc(|x| / 3), each factor rounded to single
float MitchellFilter(float x);  // B = C = 1/3; the numerator is rounded to single

// sin(p) / p with p = pi * x rounded to single; 1 at x = 0.
float Sinc(float x);

struct FilterInfo {
  const char* name;
  FilterFunction function;
  float natural_support;
};

// The filters in the order of the settings' FilterIndex and of the window's filter list.
extern const std::array<FilterInfo, 7> kFilters;

// The filter of a FilterIndex; an index outside the table gives Lanczos3Filter, the default.
FilterFunction FilterByIndex(int index);

}  // namespace kelmora
