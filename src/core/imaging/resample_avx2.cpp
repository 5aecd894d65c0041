// AVX2 + FMA kernels: the shared vector kernels over 8-lane vectors, compiled for that
// instruction set function by function and chosen at run time.

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#endif

#include <cstdint>
#include <cstring>

#include "imaging/resample_kernels.h"

#define KELMORA_SIMD_TARGET __attribute__((target("avx2,fma")))

namespace kelmora::resample_detail {

#if defined(__x86_64__) || defined(__i386__)

namespace {

struct Avx2Lanes {
  static constexpr int kLanes = 8;
  using Float = __m256;
  using Int = __m256i;

  KELMORA_SIMD_TARGET static Float ZeroFloat() { return _mm256_setzero_ps(); }
  KELMORA_SIMD_TARGET static Int ZeroInt() { return _mm256_setzero_si256(); }
  KELMORA_SIMD_TARGET static Float Broadcast(float w) { return _mm256_set1_ps(w); }
  KELMORA_SIMD_TARGET static Float Load(const float* p) { return _mm256_load_ps(p); }
  KELMORA_SIMD_TARGET static void Store(float* p, Float v) { _mm256_store_ps(p, v); }
  KELMORA_SIMD_TARGET static Float MulAdd(Float w, Float x, Float sum) {
    return _mm256_fmadd_ps(w, x, sum);
  }

  KELMORA_SIMD_TARGET static Int Quantise(Float sums) {
    const Float clamped =
        _mm256_min_ps(_mm256_max_ps(sums, _mm256_setzero_ps()), _mm256_set1_ps(255.0f));
    return _mm256_cvttps_epi32(clamped);
  }

  KELMORA_SIMD_TARGET static Int PackPixel(Float blue, Float green, Float red) {
    return _mm256_or_si256(_mm256_or_si256(Quantise(blue), _mm256_slli_epi32(Quantise(green), 8)),
                           _mm256_slli_epi32(Quantise(red), 16));
  }

  KELMORA_SIMD_TARGET static Int SpreadPixels(const uint8_t* from, int count) {
    const Int six_words = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
    const Int spread = _mm256_setr_epi32(0, 1, 2, 0, 3, 4, 5, 0);
    const Int expand = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1, 0, 1,
                                        2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1);
    Int bytes;
    if (count == kLanes) {
      bytes = _mm256_maskload_epi32(reinterpret_cast<const int*>(from), six_words);
    } else {
      alignas(32) uint8_t buffer[32] = {};
      std::memcpy(buffer, from, static_cast<size_t>(3 * count));
      bytes = _mm256_load_si256(reinterpret_cast<const Int*>(buffer));
    }
    return _mm256_shuffle_epi8(_mm256_permutevar8x32_epi32(bytes, spread), expand);
  }

  KELMORA_SIMD_TARGET static Float Channel(Int v, int shift) {
    return _mm256_cvtepi32_ps(
        _mm256_and_si256(_mm256_srli_epi32(v, shift), _mm256_set1_epi32(0xFF)));
  }

  KELMORA_SIMD_TARGET static void Transpose(Int v[kLanes]) {
    Int t[8];
    for (int k = 0; k < 4; ++k) {
      t[2 * k] = _mm256_unpacklo_epi32(v[2 * k], v[2 * k + 1]);
      t[2 * k + 1] = _mm256_unpackhi_epi32(v[2 * k], v[2 * k + 1]);
    }
    // u[4g + m], 128-bit half h: element 4h + m of rows 4g .. 4g + 3.
    Int u[8];
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

  KELMORA_SIMD_TARGET static void StorePixels(uint8_t* to, Int pixels, int columns) {
    // Back from 32-bit pixels to packed 3-byte pixels, 24 bytes in the low six words.
    const Int compress = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1, 0,
                                          1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1);
    const Int join = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 7, 7);
    const Int six_words = _mm256_setr_epi32(-1, -1, -1, -1, -1, -1, 0, 0);
    const Int bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(pixels, compress), join);
    if (columns == kLanes) {
      _mm256_maskstore_epi32(reinterpret_cast<int*>(to), six_words, bytes);
    } else {
      alignas(32) uint8_t buffer[32];
      _mm256_store_si256(reinterpret_cast<Int*>(buffer), bytes);
      std::memcpy(to, buffer, static_cast<size_t>(3 * columns));
    }
  }

  KELMORA_SIMD_TARGET static Float LoadBytes(const uint8_t* p) {
    return _mm256_cvtepi32_ps(
        _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p))));
  }

  KELMORA_SIMD_TARGET static Float LoadSomeBytes(const uint8_t* p, int count) {
    uint8_t buffer[8] = {};
    std::memcpy(buffer, p, static_cast<size_t>(count));
    return LoadBytes(buffer);
  }

  // Eight quantised lanes as eight bytes in the low half.
  KELMORA_SIMD_TARGET static __m128i Narrow(Float sums) {
    const Int values = Quantise(sums);
    const __m128i words =
        _mm_packus_epi32(_mm256_castsi256_si128(values), _mm256_extracti128_si256(values, 1));
    return _mm_packus_epi16(words, words);
  }

  KELMORA_SIMD_TARGET static void StoreBytes(uint8_t* p, Float sums) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), Narrow(sums));
  }

  KELMORA_SIMD_TARGET static void StoreSomeBytes(uint8_t* p, Float sums, int count) {
    uint8_t buffer[16];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer), Narrow(sums));
    std::memcpy(p, buffer, static_cast<size_t>(count));
  }
};

#include "imaging/resample_simd_kernels.h"

KELMORA_SIMD_TARGET void HorizontalAvx2(const Plane& source, const Plane& dest,
                                        const TableView& table, int32_t y_begin, int32_t y_end,
                                        float* scratch) {
  HorizontalPass<Avx2Lanes>(source, dest, table, y_begin, y_end, scratch);
}

KELMORA_SIMD_TARGET void VerticalAvx2(const Plane& source, const Plane& dest,
                                      const TableView& table, int32_t row_begin, int32_t row_end,
                                      int64_t byte_begin, int64_t byte_end) {
  VerticalPass<Avx2Lanes>(source, dest, table, row_begin, row_end, byte_begin, byte_end);
}

}  // namespace

bool Avx2Supported() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

KernelSet Avx2Kernels() {
  return {"avx2", Avx2Lanes::kLanes, HorizontalAvx2, VerticalAvx2};
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
