#include "imaging/filters.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace kelmora {

namespace {

// Filters are evaluated in the x87 extended precision; every cast to float below is one of
// the roundings the output depends on.
using Real = long double;

float Magnitude(float x) {
  return x < 0 ? -x : x;
}

}  // namespace

float BoxFilter(float x) {
  return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float TriangleFilter(float x) {
  const Real a = Magnitude(x);
  if (a < 1) return static_cast<float>(1.0L - a);
  return 0.0f;
}

float HermiteFilter(float x) {
  const Real a = Magnitude(x);
  if (a < 1) return static_cast<float>((2.0L * a - 3.0L) * (a * a) + 1.0L);
  return 0.0f;
}

float BellFilter(float x) {
  const Real a = Magnitude(x);
  if (a < 0.5L) return static_cast<float>(0.75L - a * a);
  if (a < 1.5L) {
    const Real d = a - 1.5L;
    return static_cast<float>(0.5L * (d * d));
  }
  return 0.0f;
}

float SplineFilter(float x) {
  const Real a = Magnitude(x);
  if (a < 1) {
    const Real t = static_cast<float>(a * a);
    return static_cast<float>(0.5L * t * a - t + 2.0L / 3.0L);
  }
  if (a < 2) {
    const Real u = 2.0L - a;
    return static_cast<float>(u * u * (1.0L / 6.0L) * u);
  }
  return 0.0f;
}

namespace {

// Taylor coefficients -1/3!, +1/5!, ... of sin r = r + r * r² * (...) and -1/2!, +1/4!, ...
// of cos r = 1 + r² * (...). With |r| <= pi/4 the omitted terms are below 2^-67 relative.
constexpr int kTaylorTerms = 9;

struct TaylorTerms {
  Real sin[kTaylorTerms];
  Real cos[kTaylorTerms];
};

constexpr TaylorTerms MakeTaylorTerms() {
  TaylorTerms terms{};
  Real sin_term = -1.0L / 6;
  Real cos_term = -1.0L / 2;
  for (int n = 0; n < kTaylorTerms; ++n) {
    terms.sin[n] = sin_term;
    terms.cos[n] = cos_term;
    sin_term = -sin_term / ((2 * n + 4) * (2 * n + 5));
    cos_term = -cos_term / ((2 * n + 3) * (2 * n + 4));
  }
  return terms;
}

constexpr TaylorTerms kTaylor = MakeTaylorTerms();

// sin(p) for 0 < p < 10 in extended precision, within a few units of its last place. p is
// reduced by k * pi/2 with pi/2 split in three, the first two parts short enough that their
// products with k and the first two subtractions are exact.
Real SinOfSmallPositive(Real p) {
  constexpr Real kHalfPi1 = 0x6487ed51p-30L;
  constexpr Real kHalfPi2 = 0x42d18469p-64L;
  constexpr Real kHalfPi3 = 0x44c6628b80dc1cd1p-127L;
  const int quadrant = static_cast<int>(p * (2 / std::numbers::pi_v<Real>)+0.5L);
  const Real k = quadrant;
  const Real r = ((p - k * kHalfPi1) - k * kHalfPi2) - k * kHalfPi3;
  const Real r2 = r * r;
  Real value;
  if (quadrant % 2 == 0) {
    Real tail = 0;
    for (int n = kTaylorTerms - 1; n >= 0; --n) tail = kTaylor.sin[n] + r2 * tail;
    value = r + r * (r2 * tail);
  } else {
    Real tail = 0;
    for (int n = kTaylorTerms - 1; n >= 0; --n) tail = kTaylor.cos[n] + r2 * tail;
    value = 1 + r2 * tail;
  }
  return (quadrant & 2) ? -value : value;
}

}  // namespace

// The library's sinl is slow for arguments beyond pi/4 and the resampler calls this twice
// per Lanczos3 tap. A fast quotient decides the result whenever it lies clearly away from
// the midpoint between two floats, which both it and the library's (each within a few units
// of the 64-bit last place) then round the same way; otherwise, about once in 2^25 calls, the
// library decides.
float Sinc(float x) {
  if (x == 0) return 1.0f;
  const Real p = static_cast<float>(std::numbers::pi_v<Real> * x);
  if (p > 0 && p < 10) {
    const Real quotient = SinOfSmallPositive(p) / p;
    const auto result = static_cast<float>(quotient);
    // The midpoints between the result and its two neighbours (|result| is a normal float).
    const auto bits = std::bit_cast<uint32_t>(result);
    const Real middle1 = (static_cast<Real>(result) + std::bit_cast<float>(bits - 1)) / 2;
    const Real middle2 = (static_cast<Real>(result) + std::bit_cast<float>(bits + 1)) / 2;
    const Real margin = std::fabs(quotient) * 0x1p-50L;
    if (quotient - std::min(middle1, middle2) > margin &&
        std::max(middle1, middle2) - quotient > margin) {
      return result;
    }
  }
  return static_cast<float>(std::sin(p) / p);
}

float Lanczos3Filter(float x) {
  const float a = Magnitude(x);
  if (a < 3) {
    const float third = static_cast<float>(static_cast<Real>(a) / 3.0L);
    return static_cast<float>(static_cast<Real>(Sinc(a)) * Sinc(third));
  }
  return 0.0f;
}

float MitchellFilter(float x) {
  const Real a = Magnitude(x);
  const Real a2 = a * a;
  const Real a3 = a * a2;
  if (a < 1) {
    const Real numerator = static_cast<float>(7.0L * a3 - 12.0L * a2 + 16.0L / 3.0L);
    return static_cast<float>(numerator / 6.0L);
  }
  if (a < 2) {
    const Real numerator =
        static_cast<float>(-(7.0L / 3.0L) * a3 + 12.0L * a2 - 20.0L * a + 32.0L / 3.0L);
    return static_cast<float>(numerator / 6.0L);
  }
  return 0.0f;
}

// clang-format off
const std::array<FilterInfo, 7> kFilters = {{
    {"SplineFilter",   SplineFilter,   2.0f},
    {"BellFilter",     BellFilter,     1.5f},
    {"TriangleFilter", TriangleFilter, 1.0f},
    {"BoxFilter",      BoxFilter,      0.5f},
    {"HermiteFilter",  HermiteFilter,  1.0f},
    {"Lanczos3Filter", Lanczos3Filter, 3.0f},
    {"MitchellFilter", MitchellFilter, 2.0f},
}};
// clang-format on

FilterFunction FilterByIndex(int index) {
  if (index < 0 || index >= static_cast<int>(kFilters.size())) return Lanczos3Filter;
  return kFilters[static_cast<size_t>(index)].function;
}

}  // namespace kelmora
