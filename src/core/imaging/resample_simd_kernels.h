// The vector kernels of the resampler, written once over a vector-traits type V and
// instantiated by each instruction-set source (resample_avx2.cpp, resample_avx512.cpp).
//
// Not an ordinary header: the including file first defines KELMORA_SIMD_TARGET (the
// function attribute that enables its instruction set) and its traits type, then includes
// this file inside its own anonymous namespace, so every instantiation stays private to
// that file. Only intrinsics and plain C++ appear here: no library templates, whose shared
// instantiations must stay free of the wider instructions.
//
// V provides:
//   kLanes                 lanes per vector (source rows filtered together)
//   Float, Int             the float and 32-bit integer vector types
//   ZeroFloat(), ZeroInt(), Broadcast(w), Load(p) (aligned), Store(p, v) (aligned),
//   MulAdd(w, x, sum)      w * x + sum, one rounding (fused)
//   Quantise(sums)         ClampTrunc(0, 255) per lane; a NaN lane gives 0
//   PackPixel(b, g, r)     quantised channels as 32-bit pixels 0x00RRGGBB
//   SpreadPixels(p, n)     n (1..kLanes) packed 3-byte pixels, pixel k in element k
//   Channel(v, shift)      byte `shift / 8` of each element, as floats
//   Transpose(v)           transposes kLanes x kLanes elements held one row per vector
//   StorePixels(p, v, n)   the first n 32-bit pixels of v as packed 3-byte pixels
//   LoadBytes(p)           kLanes bytes as floats
//   LoadSomeBytes(p, n)    n (1..kLanes) bytes as floats, the rest 0
//   StoreBytes(p, sums)    kLanes quantised lanes as bytes
//   StoreSomeBytes(p, sums, n)  the first n of them

#ifndef KELMORA_SIMD_TARGET
#error "define KELMORA_SIMD_TARGET before including resample_simd_kernels.h"
#endif

// One lane per source row; the scratch holds 3 * kLanes floats per source pixel: blue of
// the block's rows, then green, then red.
template <typename V>
constexpr int64_t kPixelFloats = 3 * V::kLanes;

// Converts `count` (1..kLanes) pixels from x0 of the block's rows into the scratch layout.
template <typename V>
KELMORA_SIMD_TARGET void ExpandTile(const uint8_t* const rows[V::kLanes], int64_t x0, int count,
                                    float* scratch) {
  typename V::Int v[V::kLanes];
  for (int r = 0; r < V::kLanes; ++r) v[r] = V::SpreadPixels(rows[r] + 3 * x0, count);
  V::Transpose(v);
  for (int p = 0; p < count; ++p) {
    float* out = scratch + (x0 + p) * kPixelFloats<V>;
    V::Store(out, V::Channel(v[p], 0));
    V::Store(out + V::kLanes, V::Channel(v[p], 8));
    V::Store(out + 2 * V::kLanes, V::Channel(v[p], 16));
  }
}

template <typename V>
KELMORA_SIMD_TARGET inline void AddTap(const float* pixel, float weight, typename V::Float& blue,
                                       typename V::Float& green, typename V::Float& red) {
  const typename V::Float w = V::Broadcast(weight);
  blue = V::MulAdd(w, V::Load(pixel), blue);
  green = V::MulAdd(w, V::Load(pixel + V::kLanes), green);
  red = V::MulAdd(w, V::Load(pixel + 2 * V::kLanes), red);
}

// Four destination columns side by side for independent chains; a column past the valid
// ones repeats the first and is discarded by the caller. Taps past a list's count weigh 0.
template <typename V>
KELMORA_SIMD_TARGET void FilterFourColumns(const TableView& table, int64_t first, int valid,
                                           int32_t width, const float* scratch,
                                           typename V::Int out[4]) {
  using Float = typename V::Float;
  constexpr int64_t kStep = kPixelFloats<V>;
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
  Float b0 = V::ZeroFloat(), g0 = b0, r0 = b0, b1 = b0, g1 = b0, r1 = b0;
  Float b2 = b0, g2 = b0, r2 = b0, b3 = b0, g3 = b0, r3 = b0;
  // Lists of the picture's interior read runs of pixels: step through them by address (the
  // zero-weight slots past a shorter list's count must still fall inside the row).
  for (int j = 0; j < 4; ++j) {
    consecutive = consecutive && index[j][0] + int64_t{taps} <= width;
  }
  if (consecutive) {
    const float* p0 = scratch + index[0][0] * kStep;
    const float* p1 = scratch + index[1][0] * kStep;
    const float* p2 = scratch + index[2][0] * kStep;
    const float* p3 = scratch + index[3][0] * kStep;
    for (int32_t k = 0; k < taps; ++k) {
      const int64_t step = k * kStep;
      AddTap<V>(p0 + step, weight[0][k], b0, g0, r0);
      AddTap<V>(p1 + step, weight[1][k], b1, g1, r1);
      AddTap<V>(p2 + step, weight[2][k], b2, g2, r2);
      AddTap<V>(p3 + step, weight[3][k], b3, g3, r3);
    }
  } else {
    for (int32_t k = 0; k < taps; ++k) {
      AddTap<V>(scratch + index[0][k] * kStep, weight[0][k], b0, g0, r0);
      AddTap<V>(scratch + index[1][k] * kStep, weight[1][k], b1, g1, r1);
      AddTap<V>(scratch + index[2][k] * kStep, weight[2][k], b2, g2, r2);
      AddTap<V>(scratch + index[3][k] * kStep, weight[3][k], b3, g3, r3);
    }
  }
  out[0] = V::PackPixel(b0, g0, r0);
  out[1] = V::PackPixel(b1, g1, r1);
  out[2] = V::PackPixel(b2, g2, r2);
  out[3] = V::PackPixel(b3, g3, r3);
}

// The horizontal pass runs one vector lane per source row: kLanes rows are filtered
// together, every lane with the same weights, so each lane is exactly the scalar chain of
// its row.
template <typename V>
KELMORA_SIMD_TARGET void HorizontalPass(const Plane& source, const Plane& dest,
                                        const TableView& table, int32_t y_begin, int32_t y_end,
                                        float* scratch) {
  constexpr int kLanes = V::kLanes;
  for (int32_t y0 = y_begin; y0 < y_end; y0 += kLanes) {
    const int rows = y_end - y0 < kLanes ? y_end - y0 : kLanes;
    // Lanes past the last row repeat it; their results are not stored.
    const uint8_t* in[kLanes];
    uint8_t* out[kLanes];
    for (int r = 0; r < kLanes; ++r) {
      const int32_t y = y0 + (r < rows ? r : rows - 1);
      in[r] = source.Row(y);
      out[r] = dest.Row(y);
    }
    for (int64_t x0 = 0; x0 < source.width; x0 += kLanes) {
      const int64_t left = source.width - x0;
      ExpandTile<V>(in, x0, left < kLanes ? static_cast<int>(left) : kLanes, scratch);
    }
    for (int64_t i0 = 0; i0 < dest.width; i0 += kLanes) {
      const int columns = dest.width - i0 < kLanes ? static_cast<int>(dest.width - i0) : kLanes;
      typename V::Int packed[kLanes];
      for (int c = 0; c < kLanes; c += 4) {
        if (c < columns) {
          FilterFourColumns<V>(table, i0 + c, columns - c, source.width, scratch, packed + c);
        } else {
          packed[c] = packed[c + 1] = packed[c + 2] = packed[c + 3] = V::ZeroInt();
        }
      }
      V::Transpose(packed);
      for (int r = 0; r < rows; ++r) V::StorePixels(out[r] + 3 * i0, packed[r], columns);
    }
  }
}

// The vertical pass runs one lane per byte of a destination row: consecutive bytes are
// neighbouring pixels' channels, all with the same weights.
template <typename V>
KELMORA_SIMD_TARGET void VerticalPass(const Plane& source, const Plane& dest,
                                      const TableView& table, int32_t row_begin, int32_t row_end,
                                      int64_t byte_begin, int64_t byte_end) {
  using Float = typename V::Float;
  constexpr int kLanes = V::kLanes;
  for (int32_t i = row_begin; i < row_end; ++i) {
    const int32_t* index = table.index + i * table.stride;
    const float* weight = table.weight + i * table.stride;
    const int32_t taps = table.count[i];
    uint8_t* out = dest.Row(i);
    int64_t b = byte_begin;
    for (; b + 4 * kLanes <= byte_end; b += 4 * kLanes) {
      Float s0 = V::ZeroFloat(), s1 = s0, s2 = s0, s3 = s0;
      for (int32_t k = 0; k < taps; ++k) {
        const uint8_t* in = source.Row(index[k]) + b;
        const Float w = V::Broadcast(weight[k]);
        s0 = V::MulAdd(w, V::LoadBytes(in), s0);
        s1 = V::MulAdd(w, V::LoadBytes(in + kLanes), s1);
        s2 = V::MulAdd(w, V::LoadBytes(in + 2 * kLanes), s2);
        s3 = V::MulAdd(w, V::LoadBytes(in + 3 * kLanes), s3);
      }
      V::StoreBytes(out + b, s0);
      V::StoreBytes(out + b + kLanes, s1);
      V::StoreBytes(out + b + 2 * kLanes, s2);
      V::StoreBytes(out + b + 3 * kLanes, s3);
    }
    for (; b < byte_end; b += kLanes) {
      const int bytes = byte_end - b < kLanes ? static_cast<int>(byte_end - b) : kLanes;
      Float s = V::ZeroFloat();
      for (int32_t k = 0; k < taps; ++k) {
        s = V::MulAdd(V::Broadcast(weight[k]), V::LoadSomeBytes(source.Row(index[k]) + b, bytes),
                      s);
      }
      V::StoreSomeBytes(out + b, s, bytes);
    }
  }
}
