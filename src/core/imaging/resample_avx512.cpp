// AVX-512 kernels: the shared vector kernels over 16-lane vectors, compiled for that
// instruction set function by function and chosen at run time.

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

#define KELMORA_SIMD_TARGET __attribute__((target("avx512f,avx512bw,avx512vl,avx512dq,avx2,fma")))

namespace kelmora::resample_detail {

#if defined(__x86_64__) || defined(__i386__)

namespace {

struct Avx512Lanes {
  static constexpr int kLanes = 16;
  using Float = __m512;
  using Int = __m512i;

  KELMORA_SIMD_TARGET static uint64_t ByteMask(int64_t bytes) {
    return bytes >= 64 ? ~uint64_t{0} : (uint64_t{1} << bytes) - 1;
  }

  KELMORA_SIMD_TARGET static Float ZeroFloat() { return _mm512_setzero_ps(); }
  KELMORA_SIMD_TARGET static Int ZeroInt() { return _mm512_setzero_si512(); }
  KELMORA_SIMD_TARGET static Float Broadcast(float w) { return _mm512_set1_ps(w); }
  KELMORA_SIMD_TARGET static Float Load(const float* p) { return _mm512_load_ps(p); }
  KELMORA_SIMD_TARGET static void Store(float* p, Float v) { _mm512_store_ps(p, v); }
  KELMORA_SIMD_TARGET static Float MulAdd(Float w, Float x, Float sum) {
    return _mm512_fmadd_ps(w, x, sum);
  }

  KELMORA_SIMD_TARGET static Int Quantise(Float sums) {
    const Float clamped =
        _mm512_min_ps(_mm512_max_ps(sums, _mm512_setzero_ps()), _mm512_set1_ps(255.0f));
    return _mm512_cvttps_epi32(clamped);
  }

  KELMORA_SIMD_TARGET static Int PackPixel(Float blue, Float green, Float red) {
    return _mm512_or_si512(_mm512_or_si512(Quantise(blue), _mm512_slli_epi32(Quantise(green), 8)),
                           _mm512_slli_epi32(Quantise(red), 16));
  }

  KELMORA_SIMD_TARGET static Int SpreadPixels(const uint8_t* from, int count) {
    const __mmask64 mask = ByteMask(3 * int64_t{count});
    // Pixel p's three bytes into the low three bytes of 32-bit element p.
    const Int spread = _mm512_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0, 6, 7, 8, 0, 9, 10, 11, 0);
    const Int expand =
        _mm512_broadcast_i32x4(_mm_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1));
    const Int bytes = _mm512_maskz_loadu_epi8(mask, from);
    return _mm512_shuffle_epi8(_mm512_permutexvar_epi32(spread, bytes), expand);
  }

  KELMORA_SIMD_TARGET static Float Channel(Int v, int shift) {
    return _mm512_cvtepi32_ps(_mm512_and_si512(_mm512_srli_epi32(v, static_cast<unsigned>(shift)),
                                               _mm512_set1_epi32(0xFF)));
  }

  KELMORA_SIMD_TARGET static void Transpose(Int v[kLanes]) {
    Int t[16];
    for (int k = 0; k < 8; ++k) {
      t[2 * k] = _mm512_unpacklo_epi32(v[2 * k], v[2 * k + 1]);
      t[2 * k + 1] = _mm512_unpackhi_epi32(v[2 * k], v[2 * k + 1]);
    }
    // u[4g + m], lane L: element 4L + m of rows 4g .. 4g + 3.
    Int u[16];
    for (int g = 0; g < 4; ++g) {
      u[4 * g + 0] = _mm512_unpacklo_epi64(t[4 * g], t[4 * g + 2]);
      u[4 * g + 1] = _mm512_unpackhi_epi64(t[4 * g], t[4 * g + 2]);
      u[4 * g + 2] = _mm512_unpacklo_epi64(t[4 * g + 1], t[4 * g + 3]);
      u[4 * g + 3] = _mm512_unpackhi_epi64(t[4 * g + 1], t[4 * g + 3]);
    }
    for (int m = 0; m < 4; ++m) {
      const Int even01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0x88);
      const Int odd01 = _mm512_shuffle_i32x4(u[m], u[4 + m], 0xDD);
      const Int even23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0x88);
      const Int odd23 = _mm512_shuffle_i32x4(u[8 + m], u[12 + m], 0xDD);
      v[m] = _mm512_shuffle_i32x4(even01, even23, 0x88);
      v[8 + m] = _mm512_shuffle_i32x4(even01, even23, 0xDD);
      v[4 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0x88);
      v[12 + m] = _mm512_shuffle_i32x4(odd01, odd23, 0xDD);
    }
  }

  KELMORA_SIMD_TARGET static void StorePixels(uint8_t* to, Int pixels, int columns) {
    // Back from 32-bit pixels to packed 3-byte pixels.
    const Int compress = _mm512_broadcast_i32x4(
        _mm_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1));
    const Int join = _mm512_setr_epi32(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, 0, 0, 0, 0);
    const Int bytes = _mm512_permutexvar_epi32(join, _mm512_shuffle_epi8(pixels, compress));
    _mm512_mask_storeu_epi8(to, ByteMask(3 * int64_t{columns}), bytes);
  }

  KELMORA_SIMD_TARGET static Float LoadBytes(const uint8_t* p) {
    return _mm512_cvtepi32_ps(
        _mm512_cvtepu8_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
  }

  KELMORA_SIMD_TARGET static Float LoadSomeBytes(const uint8_t* p, int count) {
    const auto mask = static_cast<__mmask16>(ByteMask(count));
    return _mm512_cvtepi32_ps(_mm512_cvtepu8_epi32(_mm_maskz_loadu_epi8(mask, p)));
  }

  KELMORA_SIMD_TARGET static void StoreBytes(uint8_t* p, Float sums) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm512_cvtepi32_epi8(Quantise(sums)));
  }

  KELMORA_SIMD_TARGET static void StoreSomeBytes(uint8_t* p, Float sums, int count) {
    const auto mask = static_cast<__mmask16>(ByteMask(count));
    _mm_mask_storeu_epi8(p, mask, _mm512_cvtepi32_epi8(Quantise(sums)));
  }
};

#include "imaging/resample_simd_kernels.h"

KELMORA_SIMD_TARGET void HorizontalAvx512(const Plane& source, const Plane& dest,
                                          const TableView& table, int32_t y_begin, int32_t y_end,
                                          float* scratch) {
  HorizontalPass<Avx512Lanes>(source, dest, table, y_begin, y_end, scratch);
}

KELMORA_SIMD_TARGET void VerticalAvx512(const Plane& source, const Plane& dest,
                                        const TableView& table, int32_t row_begin, int32_t row_end,
                                        int64_t byte_begin, int64_t byte_end) {
  VerticalPass<Avx512Lanes>(source, dest, table, row_begin, row_end, byte_begin, byte_end);
}

}  // namespace

bool Avx512Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512dq") &&
         __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

KernelSet Avx512Kernels() {
  return {"avx512", Avx512Lanes::kLanes, HorizontalAvx512, VerticalAvx512};
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
