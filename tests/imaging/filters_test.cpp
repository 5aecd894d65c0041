#include "imaging/filters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace kelmora {
namespace {

// The kernels in double precision, straight from their textbook forms; the filters must
// agree with them up to single-precision rounding.
double ReferenceValue(FilterFunction filter, double x) {
  const double a = std::fabs(x);
  const double pi = std::numbers::pi;
  auto sinc = [pi](double v) { return v == 0 ? 1.0 : std::sin(pi * v) / (pi * v); };
  if (filter == BoxFilter) return (x > -0.5 && x <= 0.5) ? 1 : 0;
  if (filter == TriangleFilter) return a < 1 ? 1 - a : 0;
  if (filter == HermiteFilter) return a < 1 ? (2 * a - 3) * a * a + 1 : 0;
  if (filter == BellFilter) {
    if (a < 0.5) return 0.75 - a * a;
    return a < 1.5 ? 0.5 * (a - 1.5) * (a - 1.5) : 0;
  }
  if (filter == SplineFilter) {
    if (a < 1) return 0.5 * a * a * a - a * a + 2.0 / 3.0;
    return a < 2 ? (2 - a) * (2 - a) * (2 - a) / 6 : 0;
  }
  if (filter == Lanczos3Filter) return a < 3 ? sinc(a) * sinc(a / 3) : 0;
  if (filter == MitchellFilter) {
    if (a < 1) return (7 * a * a * a - 12 * a * a + 16.0 / 3) / 6;
    return a < 2 ? (-7.0 / 3 * a * a * a + 12 * a * a - 20 * a + 32.0 / 3) / 6 : 0;
  }
  ADD_FAILURE() << "unknown filter";
  return 0;
}

TEST(Filters, TableFollowsTheFilterIndexOrder) {
  struct Row {
    const char* name;
    FilterFunction function;
    float support;
  };
  const Row expected[] = {
      {"SplineFilter", SplineFilter, 2.0f},     {"BellFilter", BellFilter, 1.5f},
      {"TriangleFilter", TriangleFilter, 1.0f}, {"BoxFilter", BoxFilter, 0.5f},
      {"HermiteFilter", HermiteFilter, 1.0f},   {"Lanczos3Filter", Lanczos3Filter, 3.0f},
      {"MitchellFilter", MitchellFilter, 2.0f},
  };
  for (int i = 0; i < 7; ++i) {
    const FilterInfo& info = kFilters[static_cast<size_t>(i)];
    EXPECT_EQ(std::string(info.name), expected[i].name);
    EXPECT_EQ(info.function, expected[i].function) << info.name;
    EXPECT_EQ(info.natural_support, expected[i].support) << info.name;
    EXPECT_EQ(FilterByIndex(i), expected[i].function) << info.name;
  }
  for (int outside : {-1, 7, 9, 1000}) EXPECT_EQ(FilterByIndex(outside), Lanczos3Filter);
}

TEST(Filters, AgreeWithTheirDoublePrecisionForms) {
  std::vector<double> points;
  for (int k = -240; k <= 240; ++k) points.push_back(k / 64.0);
  for (int k = -100; k <= 100; ++k) points.push_back(k * 0.0371);
  for (const FilterInfo& info : kFilters) {
    for (double x : points) {
      const double expected = ReferenceValue(info.function, static_cast<float>(x));
      EXPECT_NEAR(info.function(static_cast<float>(x)), expected, 2e-7)
          << info.name << "(" << x << ")";
    }
  }
}

TEST(Filters, AreSymmetricAndVanishFromTheirNaturalSupport) {
  for (const FilterInfo& info : kFilters) {
    const float support = info.natural_support;
    for (int k = 0; k <= 400; ++k) {
      const float x = k / 100.0f;
      if (info.function == BoxFilter && x == 0.5f) continue;
      EXPECT_EQ(info.function(x), info.function(-x)) << info.name << "(" << x << ")";
    }
    EXPECT_NE(info.function(support - 0.01f), 0.0f) << info.name;
    for (float beyond : {0.001f, 0.5f, 10.0f, 1e9f}) {
      EXPECT_EQ(info.function(support + beyond), 0.0f) << info.name;
      EXPECT_EQ(info.function(-support - beyond), 0.0f) << info.name;
    }
    if (info.function != BoxFilter) {
      EXPECT_EQ(info.function(support), 0.0f) << info.name;
    }
  }
}

TEST(Filters, Lanczos3IsNotZeroAtWholePixelsBecausePiTimesXIsRoundedToSingle) {
  // float(pi) exceeds pi by 8.742278e-8, so sin(float(pi * n)) is about -/+ n * 8.74e-8
  // instead of 0: Sinc(1) = -8.742278e-8 / float(pi) and Sinc(2) = +8.742278e-8 / float(pi).
  EXPECT_NEAR(Sinc(1.0f), -2.7827534e-8, 1e-13);
  EXPECT_NEAR(Lanczos3Filter(1.0f), -2.7827534e-8 * 0.82699333, 1e-13);
  EXPECT_NEAR(Lanczos3Filter(-2.0f), 2.7827534e-8 * 0.41349665, 1e-13);
  EXPECT_EQ(Sinc(0.0f), 1.0f);
}

TEST(Filters, SincIsSinOfPOverPWithPRoundedToSingle) {
  // The plain definition, evaluated with the library's extended-precision sine.
  auto plain = [](float x) {
    if (x == 0) return 1.0f;
    const long double p = static_cast<float>(std::numbers::pi_v<long double> * x);
    return static_cast<float>(std::sin(p) / p);
  };
  std::vector<float> points;
  for (int k = -4096; k <= 3 * 4096 + 64; ++k) points.push_back(static_cast<float>(k) / 4096);
  for (float whole : {1.0f, 2.0f, 3.0f, 1.0f / 3, 2.0f / 3}) {
    float below = whole;
    float above = whole;
    for (int step = 0; step < 64; ++step) {
      below = std::nextafter(below, 0.0f);
      above = std::nextafter(above, 10.0f);
      points.push_back(below);
      points.push_back(above);
    }
  }
  std::mt19937 random(3);
  std::uniform_real_distribution<float> anywhere(0.0f, 3.2f);
  for (int i = 0; i < 200000; ++i) points.push_back(anywhere(random));
  for (float x : {7.5f, 100.25f, 1e6f, 1e-30f}) points.push_back(x);
  for (float x : points) {
    ASSERT_EQ(Sinc(x), plain(x)) << "x = " << x;
  }
}

}  // namespace
}  // namespace kelmora
