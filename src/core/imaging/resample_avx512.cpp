// AVX-512 kernels, compiled for that instruction set function by function and chosen at run
// time. Only intrinsics and plain C++ appear in these functions: no library templates, whose
// shared instantiations must stay free of AVX-512 instructions.

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstdint>

#include "imaging/resample_kernels.h"

// GCC 12 reports the deliberately undefined vectors (_mm512_undefined_*) inside its own
// intrinsics as uninitialised once they are inlined with optimisation.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#define KELMORA_AVX512 __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx2,fma")))

namespace kelmora::resample_detail {

#if defined(__x86_64__) || defined(__i386__)

namespace {

// The horizontal pass runs one vector lane per source row: 16 rows are filtered together,
// every lane with the same weights, so each lane is exactly the scalar chain of its row.
// The scratch holds the block's pixels as floats, 48 per source pixel: blue of rows 0..15,
// then green, then red.
constexpr int kRows = 16;
constexpr int64_t kPixelFloats = 3 * kRows;
constexpr int64_t kTileBytes = 3 * 16;
constexpr uint64_t kTileMask = (uint64_t{1} << kTileBytes) - 1;

KELMORA_AVX512 inline uint64_t ByteMask(int64_t bytes) {
  return bytes >= 64 ? ~uint64_t{0} : (uint64_t{1} << bytes) - 1;
}

// Transposes a 16 x 16 matrix of 32-bit elements held one row per vector.
KELMORA_AVX512 inline void Transpose16(__m512i v[16]) {
  __m512i t[16];
  for (int k = 0; k < 8; ++k) {
    t[2 * k] = _mm512_unpacklo_epi32(v[2 * k], v[2 * k + 1]);
    t[2 * k + 1] = _mm512_unpackhi_epi32(v[2 * k], v[2 * k + 1]);
  }
  // u[4g + m], lane L: element 4L + m of rows 4g .. 4g + 3.
  __m512i u[16];
  for (int g = 0; g < 4; ++g) {
    u[4 * g + 0] = _mm512_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 1] = _mm512_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
    u[4 * g + 2] = _mm512_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
    u[4 * g + 3] = _mm512_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
  }
  for (int m = 0; m < 4; ++m) {
    const __m512i even01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0x88);
    const __m512i odd01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0xDD);
    const __m512i even23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0x88);
    const __m512i odd23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0xDD);
    v[m] = _mm512_shuffle_i32x4(even01, even23, 0x88);
    v[8 + m] = _mm512_shuffle_i32x4(even01, even23, 0xDD);
    v[4 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0x88);
    v[12 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0xDD);
  }
}

// Converts `count` (1..16) pixels from x0 of the block's rows into the scratch layout.
KELMORA_AVX512 void ExpandTile(const uint8_t* const rows[kRows], int64_t x0, int count,
                               float* scratch) {
  const __mmask64 mask = ByteMask(3 * int64_t{count}) & kTileMask;
  // Pixel p's three bytes into the low three bytes of 32-bit element p.
  const __m512i spread = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
  const __m512i expand =
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
  __m512i v[kRows];
  for (int r = 0; r < kRows; ++r) {
    const __m512i bytes = _mm512_maskz_loadu_epi8(mask, rows[r] + 3 * x0);
    v[r] = _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread, bytes), expand);
  }
  Transpose16(v);
  const __m512i low = _mm512_set1_epi32(0xFF);
  for (int p = 0; p < count; ++p) {
    float* out = scratch + (x0 + p) * kPixelFloats;
    _mm512_store_ps(out, _mm512_cvtepi32_ps(_mm512_and_si512(v[p], low)));
    _mm512_store_ps(out + kRows,
                    _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(v[p], 8), low)));
    _mm512_store_ps(out + 2 * kRows, _mm512_cvtepi32_ps(_mm512_srli_epi32(v[p], 16)));
  }
}

// ClampTrunc(0, 255, v) per lane; a NaN lane gives 0 like the scalar version.
KELMORA_AVX512 inline __m512i Quantise(__m512 sums) {
  const __m512 clamped =
      _mm512_min_ps(_mm512_max_ps(sums, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
  return _mm512_cvttps_epi32(clamped);
}

KELMORA_AVX512 inline __m512i PackPixel(__m512 blue, __m512 green, __m512 red) {
  return _mm512_or_si512(_mm512_or_si512(Quantise(blue), _mm512_slli_epi32(Quantise(green), 8)),
                         _mm512_slli_epi32(Quantise(red), 16));
}

KELMORA_AVX512 inline void AddTap(const float* pixel, float weight, __m512& blue, __m512& green,
                                  __m512& red) {
  const __m512 w = _mm512_set1_ps(weight);
  blue = _mm512_fmadd_ps(w, _mm512_load_ps(pixel), blue);
  green = _mm512_fmadd_ps(w, _mm512_load_ps(pixel + kRows), green);
  red = _mm512_fmadd_ps(w, _mm512_load_ps(pixel + 2 * kRows), red);
}

// Four destination columns side by side for independent chains; a column past the valid
// ones repeats the first and is discarded by the caller. Taps past a list's count weigh 0.
KELMORA_AVX512 void FilterFourColumns(const TableView& table, int64_t first, int valid,
                                      int32_t width, const float* scratch, __m512i out[4]) {
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
  __m512 b0 = _mm512_setzero_ps(), g0 = b0, r0 = b0, b1 = b0, g1 = b0, r1 = b0;
  __m512 b2 = b0, g2 = b0, r2 = b0, b3 = b0, g3 = b0, r3 = b0;
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

KELMORA_AVX512 void HorizontalAvx512(const Plane& source, const Plane& dest, const TableView& table,
                                     int32_t y_begin, int32_t y_end, float* scratch) {
  // Back from 32-bit pixels to packed 3-byte pixels.
  const __m512i compress =
      _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
  const __m512i join = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0);
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
    for (int64_t x0 = 0; x0 < source.width; x0 += 16) {
      const int64_t left = source.width - x0;
      ExpandTile(in, x0, left < 16 ? static_cast<int>(left) : 16, scratch);
    }
    for (int64_t i0 = 0; i0 < dest.width; i0 += 16) {
      const int columns = dest.width - i0 < 16 ? static_cast<int>(dest.width - i0) : 16;
      __m512i packed[16];
      for (int c = 0; c < 16; c += 4) {
        if (c < columns) {
          FilterFourColumns(table, i0 + c, columns - c, source.width, scratch, packed + c);
        } else {
          packed[c] = packed[c + 1] = packed[c + 2] = packed[c + 3] = _mm512_setzero_si512();
        }
      }
      Transpose16(packed);
      const __mmask64 mask = ByteMask(3 * int64_t{columns});
      for (int r = 0; r < rows; ++r) {
        const __m512i bytes =
            _mm512_permutexvar_epi32(join, _mm512_shuffle_epi8(packed[r], compress));
        _mm512_mask_storeu_epi8(out[r] + 3 * i0, mask, bytes);
      }
    }
  }
}

KELMORA_AVX512 inline __m512 LoadBytes(const uint8_t* p) {
  return _mm512_cvtepi32_ps(
      _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
}

// The vertical pass runs one lane per byte of a destination row: consecutive bytes are
// neighbouring pixels' channels, all with the same weights.
KELMORA_AVX512 void VerticalAvx512(const Plane& source, const Plane& dest, const TableView& table,
                                   int32_t row_begin, int32_t row_end, int64_t byte_begin,
                                   int64_t byte_end) {
  for (int32_t i = row_begin; i < row_end; ++i) {
    const int32_t* index = table.index + i * table.stride;
    const float* weight = table.weight + i * table.stride;
    const int32_t taps = table.count[i];
    uint8_t* out = dest.Row(i);
    int64_t b = byte_begin;
    for (; b + 64 <= byte_end; b += 64) {
      __m512 s0 = _mm512_setzero_ps(), s1 = s0, s2 = s0, s3 = s0;
      for (int32_t k = 0; k < taps; ++k) {
        const uint8_t* in = source.Row(index[k]) + b;
        const __m512 w = _mm512_set1_ps(weight[k]);
        s0 = _mm512_fmadd_ps(w, LoadBytes(in), s0);
        s1 = _mm512_fmadd_ps(w, LoadBytes(in + 16), s1);
        s2 = _mm512_fmadd_ps(w, LoadBytes(in + 32), s2);
        s3 = _mm512_fmadd_ps(w, LoadBytes(in + 48), s3);
      }
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b), _mm512_cvtepi32_epi8(Quantise(s0)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b + 16),
                       _mm512_cvtepi32_epi8(Quantise(s1)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b + 32),
                       _mm512_cvtepi32_epi8(Quantise(s2)));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(out + b + 48),
                       _mm512_cvtepi32_epi8(Quantise(s3)));
    }
    for (; b < byte_end; b += 16) {
      const __mmask16 mask = static_cast<__mmask16>(ByteMask(byte_end - b));
      __m512 s = _mm512_setzero_ps();
      for (int32_t k = 0; k < taps; ++k) {
        const __m128i bytes = _mm_maskz_loadu_epi8(mask, source.Row(index[k]) + b);
        s = _mm512_fmadd_ps(_mm512_set1_ps(weight[k]),
                            _mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(bytes)), s);
      }
      _mm_mask_storeu_epi8(out + b, mask, _mm512_cvtepi32_epi8(Quantise(s)));
    }
  }
}

}  // namespace

bool Avx512Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
         __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

KernelSet Avx512Kernels() {
  return {"avx512", kRows, HorizontalAvx512, VerticalAvx512};
}

#else  // other processors have the scalar kernels only

bool Avx512Supported() {
  return false;
}

KernelSet Avx512Kernels() {
  return ScalarKernels();
}

#endif

}  // namespace kelmora::resample_detail
