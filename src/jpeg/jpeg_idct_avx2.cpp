// The inverse transform built for AVX2: one row of the block (its eight columns) in one
// register, so each pass is one run of the 8-point butterfly over eight vectors. Same values as
// transformBlockScalar. This file is compiled with -mavx2; jpeg_idct.cpp calls it only on
// processors that have AVX2.
#include "jpeg/jpeg_idct.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "jpeg/jpeg_arith.h"

namespace vistello {
namespace {

constexpr int32_t sqrt2Scaled = 1448;   // sqrt(2) x 1024
constexpr int32_t z5Factor = 1892;      // 1.847759 x 1024
constexpr int32_t z10Factor = 2676;     // 2.613126 x 1024
constexpr int32_t z12Factor = 1108;     // 1.082392 x 1024

inline __m256i times(__m256i a, int32_t factor) { return _mm256_mullo_epi32(a, _mm256_set1_epi32(factor)); }

// Division by 1024 truncating toward zero: negative values are biased by 1023 before the
// arithmetic shift (the bias is only added to negative values, so nothing overflows).
inline __m256i divide(__m256i x) {
    const __m256i bias = _mm256_srli_epi32(_mm256_srai_epi32(x, 31), 32 - 10);
    return _mm256_srai_epi32(_mm256_add_epi32(x, bias), 10);
}

// The 8-point pass over eight vectors in place. With upperZero the caller has found x[4..7]
// zero: they are taken as the constant 0, and the additions and products with it fold away;
// every remaining operation is one the full pass performs on the same values.
template <bool upperZero>
__attribute__((always_inline)) inline void pass(__m256i x[8]) {
    if constexpr (upperZero) {
        for (int i = 4; i < 8; ++i) x[i] = _mm256_setzero_si256();
    }
    const __m256i t10 = _mm256_add_epi32(x[0], x[4]);
    const __m256i t11 = _mm256_sub_epi32(x[0], x[4]);
    const __m256i t13 = _mm256_add_epi32(x[2], x[6]);
    const __m256i t12 = _mm256_sub_epi32(divide(times(_mm256_sub_epi32(x[2], x[6]), sqrt2Scaled)), t13);
    const __m256i e0 = _mm256_add_epi32(t10, t13);
    const __m256i e3 = _mm256_sub_epi32(t10, t13);
    const __m256i e1 = _mm256_add_epi32(t11, t12);
    const __m256i e2 = _mm256_sub_epi32(t11, t12);

    const __m256i z13 = _mm256_add_epi32(x[3], x[5]);
    const __m256i z10 = _mm256_sub_epi32(x[5], x[3]);
    const __m256i z11 = _mm256_add_epi32(x[1], x[7]);
    const __m256i z12 = _mm256_sub_epi32(x[1], x[7]);
    const __m256i o7 = _mm256_add_epi32(z11, z13);
    const __m256i z5 = times(_mm256_add_epi32(z10, z12), z5Factor);
    const __m256i o6 = _mm256_sub_epi32(divide(_mm256_sub_epi32(z5, times(z10, z10Factor))), o7);
    const __m256i o5 = _mm256_sub_epi32(divide(times(_mm256_sub_epi32(z11, z13), sqrt2Scaled)), o6);
    const __m256i o4 = _mm256_add_epi32(divide(_mm256_sub_epi32(times(z12, z12Factor), z5)), o5);

    x[0] = _mm256_add_epi32(e0, o7);
    x[7] = _mm256_sub_epi32(e0, o7);
    x[1] = _mm256_add_epi32(e1, o6);
    x[6] = _mm256_sub_epi32(e1, o6);
    x[2] = _mm256_add_epi32(e2, o5);
    x[5] = _mm256_sub_epi32(e2, o5);
    x[3] = _mm256_sub_epi32(e3, o4);
    x[4] = _mm256_add_epi32(e3, o4);
}

// Transposes the 8 x 8 matrix whose rows are m[0..7].
inline void transpose(__m256i m[8]) {
    const __m256i a0 = _mm256_unpacklo_epi32(m[0], m[1]);
    const __m256i a1 = _mm256_unpackhi_epi32(m[0], m[1]);
    const __m256i a2 = _mm256_unpacklo_epi32(m[2], m[3]);
    const __m256i a3 = _mm256_unpackhi_epi32(m[2], m[3]);
    const __m256i a4 = _mm256_unpacklo_epi32(m[4], m[5]);
    const __m256i a5 = _mm256_unpackhi_epi32(m[4], m[5]);
    const __m256i a6 = _mm256_unpacklo_epi32(m[6], m[7]);
    const __m256i a7 = _mm256_unpackhi_epi32(m[6], m[7]);
    const __m256i b0 = _mm256_unpacklo_epi64(a0, a2);
    const __m256i b1 = _mm256_unpackhi_epi64(a0, a2);
    const __m256i b2 = _mm256_unpacklo_epi64(a1, a3);
    const __m256i b3 = _mm256_unpackhi_epi64(a1, a3);
    const __m256i b4 = _mm256_unpacklo_epi64(a4, a6);
    const __m256i b5 = _mm256_unpackhi_epi64(a4, a6);
    const __m256i b6 = _mm256_unpacklo_epi64(a5, a7);
    const __m256i b7 = _mm256_unpackhi_epi64(a5, a7);
    m[0] = _mm256_permute2x128_si256(b0, b4, 0x20);
    m[1] = _mm256_permute2x128_si256(b1, b5, 0x20);
    m[2] = _mm256_permute2x128_si256(b2, b6, 0x20);
    m[3] = _mm256_permute2x128_si256(b3, b7, 0x20);
    m[4] = _mm256_permute2x128_si256(b0, b4, 0x31);
    m[5] = _mm256_permute2x128_si256(b1, b5, 0x31);
    m[6] = _mm256_permute2x128_si256(b2, b6, 0x31);
    m[7] = _mm256_permute2x128_si256(b3, b7, 0x31);
}

inline __m256i load(const int32_t* values) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values)); }
inline void store(int32_t* values, __m256i v) { _mm256_storeu_si256(reinterpret_cast<__m256i*>(values), v); }

// The transform of the coefficient rows loaded into rows[0..7], its samples stored into samples.
__attribute__((always_inline)) inline void transformRows(__m256i rows[8], int32_t samples[64], const int32_t quantTable[64],
                                                         int32_t levelShift) {
    const __m256i lower = _mm256_or_si256(_mm256_or_si256(rows[1], rows[2]), rows[3]);
    const __m256i upper = _mm256_or_si256(_mm256_or_si256(rows[4], rows[5]), _mm256_or_si256(rows[6], rows[7]));
    const __m256i firstRowAc = _mm256_blend_epi32(rows[0], _mm256_setzero_si256(), 1);
    const __m256i ac = _mm256_or_si256(_mm256_or_si256(lower, upper), firstRowAc);
    // A block whose only coefficient is the DC is flat: every output is DC x q + shift, as the
    // passes would compute it.
    if (_mm256_testz_si256(ac, ac)) {
        const int32_t dc = _mm256_cvtsi256_si32(rows[0]);
        const __m256i flat = _mm256_set1_epi32(wrapAdd(wrapMul(dc, quantTable[0]), levelShift));
#pragma GCC unroll 8
        for (int r = 0; r < 8; ++r) store(samples + r * 8, flat);
        return;
    }
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) rows[r] = _mm256_mullo_epi32(rows[r], load(quantTable + r * 8));
    // The level shift rides on the DC. The DC reaches every output only through additions and
    // subtractions (never a product or a division), in the column pass and again in each row
    // pass, so adding the shift there adds it to all 64 outputs exactly, wrap-around included.
    rows[0] = _mm256_add_epi32(rows[0], _mm256_setr_epi32(levelShift, 0, 0, 0, 0, 0, 0, 0));
    // Column pass: lanes are columns, the eight vectors the rows. Where rows 1..7 are all zero
    // (as coefficients, so also as products), every output row equals row 0.
    if (!_mm256_testz_si256(upper, upper)) {
        pass<false>(rows);
    } else if (!_mm256_testz_si256(lower, lower)) {
        pass<true>(rows);
    } else {
#pragma GCC unroll 8
        for (int r = 1; r < 8; ++r) rows[r] = rows[0];
    }
    // Row pass on the transposed workspace: the vectors are its columns.
    transpose(rows);
    const __m256i right = _mm256_or_si256(_mm256_or_si256(rows[4], rows[5]), _mm256_or_si256(rows[6], rows[7]));
    if (_mm256_testz_si256(right, right)) {
        pass<true>(rows);
    } else {
        pass<false>(rows);
    }
    transpose(rows);
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) store(samples + r * 8, rows[r]);
}

}  // namespace

void transformBlockAvx2(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    __m256i rows[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) rows[r] = load(block + r * 8);
    transformRows(rows, block, quantTable, levelShift);
}

void transformNarrowBlockAvx2(const int16_t coefficients[64], int32_t samples[64], const int32_t quantTable[64],
                              int32_t levelShift) {
    __m256i rows[8];
#pragma GCC unroll 8
    for (int r = 0; r < 8; ++r) {
        rows[r] = _mm256_cvtepi16_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(coefficients + r * 8)));
    }
    transformRows(rows, samples, quantTable, levelShift);
}

}  // namespace vistello
#else
namespace vistello {
// Without AVX2 in this build the level falls back to the SSE4.1 transforms.
void transformBlockAvx2(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    transformBlockSse41(block, quantTable, levelShift);
}
void transformNarrowBlockAvx2(const int16_t coefficients[64], int32_t samples[64], const int32_t quantTable[64],
                              int32_t levelShift) {
    narrowTransformFor(SimdLevel::sse41)(coefficients, samples, quantTable, levelShift);
}
}  // namespace vistello
#endif
