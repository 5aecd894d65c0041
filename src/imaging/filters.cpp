#include "imaging/filters.h"

#include <cmath>
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

float Sinc(float x) {
  if (x == 0) return 1.0f;
  const Real p = static_cast<float>(std::numbers::pi_v<Real> * x);
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
