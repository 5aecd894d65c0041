// AVX2 + FMA kernels, compiled for that instruction set function by function and chosen at
// run time. Only intrinsics and plain C++ appear in these functions: no library templates,
// whose shared instantiations must stay free of AVX2 instructions.

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstdint>
#include <cstring>

#include "imaging/resample_kernels.h"

#define KELMORA_AVX2 __attribute__((target("avx2,fma")))

namespace kelmora::resample_detail {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// One lane per source row, 8 rows per block; the scratch holds 24 floats per source pixel:
// blue of rows 0..7, then green, then red.
constexpr int kRows = 8;
constexpr int64_t kPixelFloats = 3 * kRows;

// Transposes an 8 x 8 matrix of 32-bit elements held one row per vector.
KELMORA_AVX2 inline void Transpose8(__m256i v[8]) {
  __m256i t[8];
  for (int k = 0; k < 4; ++k) {
    t[2 * k] = _mm256_unpacklo_epi32(v[2 * k], v[2 * k + 1]);
    t[2 * k + 1] = _mm256_unpackhi_epi32(v[2 * k], v[2 * k + 1]);
  }
  // u[4g + m], 128-bit half h: element 4h + m of rows 4g .. 4g + 3.
  __m256i u[8];
  for (int g = 0; g < 2; ++g) {
    u[4 * g + 0] = _mm256_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm256_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm256_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm256_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  for (int m = 0; m < 4; ++m) {
    v[m] = _mm256_permute2x128_si256(u[m], u[4 + m], 0x20);
    v[4 + m] = _mm256_permute2x128_si256(u[m], u[4 + m], 0x31);
  }
}

// Converts `count` (1..8) pixels from x0 of the block's rows into the scratch layout.
KELMORA_AVX2 void ExpandTile(const uint8_t* const rows[kRows], int64_t x0, int count,
                             float* scratch) {
  const __m256i six_words = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
  // Pixel p's three bytes into the low three bytes of 32-bit element p.
  const __m256i spread = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
  const __m256i expand = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0,
                                          1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
  __m256i v[kRows];
  for (int r = 0; r < kRows; ++r) {
    const uint8_t* from = rows[r] + 3 * x0;
    __m256i bytes;
    if (count == 8) {
      bytes = _mm256_maskload_epi32(reinterpret_cast<const int*>(from), six_words);
    } else {
      alignas(32) uint8_t buffer[32] = {};
      std::memcpy(buffer, from, static_cast<size_t>(3 * count));
      bytes = _mm256_load_si256(reinterpret_cast<const __m256i*>(buffer));
    }
    v[r] = _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(bytes, spread), expand);
  }
  Transpose8(v);
  const __m256i low = _mm256_set1_epi32(0xFF);
  for (int p = 0; p < count; ++p) {
    float* out = scratch + (x0 + p) * kPixelFloats;
    _mm256_store_ps(out, _mm256_cvtepi32_ps(_mm256_and_si256(v[p], low)));
    _mm256_store_ps(out + kRows,
                    _mm256_cvtepi32_ps(_mm256_and_si256(_mm256_srli_epi32(v[p], 8), low)));
    _mm256_store_ps(out + 2 * kRows, _mm256_cvtepi32_ps(_mm256_srli_epi32(v[p], 16)));
  }
}

// ClampTrunc(0, 255, v) per lane; a NaN lane gives 0 like the scalar version.
KELMORA_AVX2 inline __m256i Quantise(__m256 sums) {
  const __m256 clamped =
      _mm256_min_ps(_mm256_max_ps(sums, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
  return _mm256_cvttps_epi32(clamped);
}

KELMORA_AVX2 inline __m256i PackPixel(__m256 blue, __m256 green, __m256 red) {
  return _mm256_or_si256(_mm256_or_si256(Quantise(blue), _mm256_slli_epi32(Quantise(green), 8)),
                         _mm256_slli_epi32(Quantise(red), 16));
}

KELMORA_AVX2 inline void AddTap(const float* pixel, float weight, __m256& blue, __m256& green,
                                __m256& red) {
  const __m256 w = _mm256_set1_ps(weight);
  blue = _mm256_fmadd_ps(w, _mm256_load_ps(pixel), blue);
  green = _mm256_fmadd_ps(w, _mm256_load_ps(pixel + kRows), green);
  red = _mm256_fmadd_ps(w, _mm256_load_ps(pixel + 2 * kRows), red);
}

// Four destination columns side by side for independent chains; a column past the valid
// ones repeats the first and is discarded by the caller. Taps past a list's count weigh 0.
KELMORA_AVX2 void FilterFourColumns(const TableView& table, int64_t first, int valid, int32_t width,
                                    const float* scratch, __m256i out[4]) {
  const int32_t* index[4];
  const float* weight[4];
  int32_t taps = 0;
  bool consecutive = true;
  for (int j = 0; j < 4; ++j) {
    const int64_t list = first + (j < valid ? j : 0);
    index[j] = table.index + list * table.stride;
    weight[j] = table.weight + list * table.stride;
    if (table.count[list] > taps) taps = table.count[list];
    consecutive = consecutive && table.consecutive[list];
  }
  __m256 b0 = _mm256_setzero_ps(), g0 = b0, r0 = b0, b1 = b0, g1 = b0, r1 = b0;
  __m256 b2 = b0, g2 = b0, r2 = b0, b3 = b0, g3 = b0, r3 = b0;
  // Lists of the picture's interior read runs of pixels: step through them by address (the
  // zero-weight slots past a shorter list's count must still fall inside the row).
  for (int j = 0; j < 4; ++j) {
    consecutive = consecutive && index[j][0] + int64_t{taps} <= width;
  }
  if (consecutive) {
    const float* p0 = scratch + index[0][0] * kPixelFloats;
    const float* p1 = scratch + index[1][0] * kPixelFloats;
    const float* p2 = scratch + index[2][0] * kPixelFloats;
    const float* p3 = scratch + index[3][0] * kPixelFloats;
    for (int32_t k = 0; k < taps; ++k) {
      const int64_t step = k * kPixelFloats;
      AddTap(p0 + step, weight[0][k], b0, g0, r0);
      AddTap(p1 + step, weight[1][k], b1, g1, r1);
      AddTap(p2 + step, weight[2][k], b2, g2, r2);
      AddTap(p3 + step, weight[3][k], b3, g3, r3);
    }
  } else {
    for (int32_t k = 0; k < taps; ++k) {
      AddTap(scratch + index[0][k] * kPixelFloats, weight[0][k], b0, g0, r0);
      AddTap(scratch + index[1][k] * kPixelFloats, weight[1][k], b1, g1, r1);
      AddTap(scratch + index[2][k] * kPixelFloats, weight[2][k], b2, g2, r2);
      AddTap(scratch + index[3][k] * kPixelFloats, weight[3][k], b3, g3, r3);
    }
  }
  out[0] = PackPixel(b0, g0, r0);
  out[1] = PackPixel(b1, g1, r1);
  out[2] = PackPixel(b2, g2, r2);
  out[3] = PackPixel(b3, g3, r3);
}

KELMORA_AVX2 void HorizontalAvx2(const Plane& source, const Plane& dest, const TableView& table,
                                 int32_t y_begin, int32_t y_end, float* scratch) {
  // Back from 32-bit pixels to packed 3-byte pixels, 24 bytes in the low six words.
  const __m256i compress = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                            0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
  const __m256i join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
  const __m256i six_words = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
  for (int32_t y0 = y_begin; y0 < y_end; y0 += kRows) {
    const int rows = y_end - y0 < kRows ? y_end - y0 : kRows;
    // Lanes past the last row repeat it; their results are not stored.
    const uint8_t* in[kRows];
    uint8_t* out[kRows];
    for (int r = 0; r < kRows; ++r) {
      const int32_t y = y0 + (r < rows ? r : rows - 1);
      in[r] = source.Row(y);
      out[r] = dest.Row(y);
    }
    for (int64_t x0 = 0; x0 < source.width; x0 += 8) {
      const int64_t left = source.width - x0;
      ExpandTile(in, x0, left < 8 ? static_cast<int>(left) : 8, scratch);
    }
    for (int64_t i0 = 0; i0 < dest.width; i0 += 8) {
      const int columns = dest.width - i0 < 8 ? static_cast<int>(dest.width - i0) : 8;
      __m256i packed[8];
      FilterFourColumns(table, i0, columns, source.width, scratch, packed);
      if (columns > 4) {
        FilterFourColumns(table, i0 + 4, columns - 4, source.width, scratch, packed + 4);
      } else {
        packed[4] = packed[5] = packed[6] = packed[7] = _mm256_setzero_si256();
      }
      Transpose8(packed);
      for (int r = 0; r < rows; ++r) {
        const __m256i bytes =
            _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(packed[r], compress), join);
        uint8_t* to = out[r] + 3 * i0;
        if (columns == 8) {
          _mm256_maskstore_epi32(reinterpret_cast<int*>(to), six_words, bytes);
        } else {
          alignas(32) uint8_t buffer[32];
          _mm256_store_si256(reinterpret_cast<__m256i*>(buffer), bytes);
          std::memcpy(to, buffer, static_cast<size_t>(3 * columns));
        }
      }
    }
  }
}

KELMORA_AVX2 inline __m256 LoadBytes(const uint8_t* p) {
  return _mm256_cvtepi32_ps(
      _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
}

// Eight quantised lanes as eight bytes in the low half.
KELMORA_AVX2 inline __m128i Narrow(__m256 sums) {
  const __m256i values = Quantise(sums);
  const __m128i words =
      _mm_packus_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
  return _mm_packus_epi16(words, words);
}

// The vertical pass runs one lane per byte of a destination row: consecutive bytes are
// neighbouring pixels' channels, all with the same weights.
KELMORA_AVX2 void VerticalAvx2(const Plane& source, const Plane& dest, const TableView& table,
                               int32_t row_begin, int32_t row_end, int64_t byte_begin,
                               int64_t byte_end) {
  for (int32_t i = row_begin; i < row_end; ++i) {
    const int32_t* index = table.index + i * table.stride;
    const float* weight = table.weight + i * table.stride;
    const int32_t taps = table.count[i];
    uint8_t* out = dest.Row(i);
    int64_t b = byte_begin;
    for (; b + 32 <= byte_end; b += 32) {
      __m256 s0 = _mm256_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
      for (int32_t k = 0; k < taps; ++k) {
        const uint8_t* in = source.Row(index[k]) + b;
        const __m256 w = _mm256_set1_ps(weight[k]);
        s0 = _mm256_fmadd_ps(w, LoadBytes(in), s0);
        s1 = _mm256_fmadd_ps(w, LoadBytes(in + 8), s1);
        s2 = _mm256_fmadd_ps(w, LoadBytes(in + 16), s2);
        s3 = _mm256_fmadd_ps(w, LoadBytes(in + 24), s3);
      }
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + b), Narrow(s0));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + b + 8), Narrow(s1));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + b + 16), Narrow(s2));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + b + 24), Narrow(s3));
    }
    for (; b < byte_end; b += 8) {
      const size_t bytes = byte_end - b < 8 ? static_cast<size_t>(byte_end - b) : 8;
      __m256 s = _mm256_setzero_ps();
      for (int32_t k = 0; k < taps; ++k) {
        uint8_t buffer[8] = {};
        std::memcpy(buffer, source.Row(index[k]) + b, bytes);
        s = _mm256_fmadd_ps(_mm256_set1_ps(weight[k]), LoadBytes(buffer), s);
      }
      uint8_t buffer[16];
      _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer), Narrow(s));
      std::memcpy(out + b, buffer, bytes);
    }
  }
}

}  // namespace

bool Avx2Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

KernelSet Avx2Kernels() {
  return {"avx2", kRows, HorizontalAvx2, VerticalAvx2};
}

#else  // other processors have the scalar kernels only

bool Avx2Supported() {
  return false;
}

KernelSet Avx2Kernels() {
  return ScalarKernels();
}

#endif

}  // namespace kelmora::resample_detail
