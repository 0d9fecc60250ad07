// The inverse transform on four int32 lanes at a time (SSE2, or SSE4.1 where the including
// file is compiled for it). Included by jpeg_idct.cpp and jpeg_idct_sse41.cpp, each of which
// gets its own copy in an unnamed namespace. Same values as transformBlockScalar.
#pragma once
#include <emmintrin.h>
#if defined(__SSE4_1__)
#include <smmintrin.h>
#endif
#include <cstdint>

#include "jpeg/jpeg_arith.h"

namespace vistello {
namespace {

constexpr int32_t laneSqrt2Scaled = 1448;   // sqrt(2) x 1024
constexpr int32_t laneZ5Factor = 1892;      // 1.847759 x 1024
constexpr int32_t laneZ10Factor = 2676;     // 2.613126 x 1024
constexpr int32_t laneZ12Factor = 1108;     // 1.082392 x 1024


// Four int32 lanes with the same wrapping arithmetic as the scalar pass. With SSE4.1 the
// products are one multiply-low; SSE2 has none, so they are formed from the two 32 x 32 ->
// 64-bit multiplies, whose low halves are the wrapped products.
#if defined(__SSE4_1__)
inline __m128i multiplyLanes(__m128i a, __m128i b) { return _mm_mullo_epi32(a, b); }
inline __m128i multiplyConstant(__m128i a, int32_t factor) { return _mm_mullo_epi32(a, _mm_set1_epi32(factor)); }
#else
inline __m128i multiplyLanes(__m128i a, __m128i b) {
    const __m128i even = _mm_mul_epu32(a, b);
    const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
    return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)), _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}
inline __m128i multiplyConstant(__m128i a, int32_t factor) { return multiplyLanes(a, _mm_set1_epi32(factor)); }
#endif

// Division by 1024 truncating toward zero: negative values are biased by 1023 before the
// arithmetic shift (no overflow: the bias is only added to negative values).
inline __m128i divideLanes(__m128i x) {
    const __m128i bias = _mm_and_si128(_mm_srai_epi32(x, 31), _mm_set1_epi32(fixedScale - 1));
    return _mm_srai_epi32(_mm_add_epi32(x, bias), 10);
}

// The 8-point pass on four independent lanes; x[0..7] in, out[0..7] out.
__attribute__((always_inline)) inline void idctPassLanes(const __m128i x[8], __m128i out[8]) {
    const __m128i t10 = _mm_add_epi32(x[0], x[4]);
    const __m128i t11 = _mm_sub_epi32(x[0], x[4]);
    const __m128i t13 = _mm_add_epi32(x[2], x[6]);
    const __m128i t12 = _mm_sub_epi32(divideLanes(multiplyConstant(_mm_sub_epi32(x[2], x[6]), laneSqrt2Scaled)), t13);
    const __m128i e0 = _mm_add_epi32(t10, t13);
    const __m128i e3 = _mm_sub_epi32(t10, t13);
    const __m128i e1 = _mm_add_epi32(t11, t12);
    const __m128i e2 = _mm_sub_epi32(t11, t12);

    const __m128i z13 = _mm_add_epi32(x[3], x[5]);
    const __m128i z10 = _mm_sub_epi32(x[5], x[3]);
    const __m128i z11 = _mm_add_epi32(x[1], x[7]);
    const __m128i z12 = _mm_sub_epi32(x[1], x[7]);
    const __m128i o7 = _mm_add_epi32(z11, z13);
    const __m128i z5 = multiplyConstant(_mm_add_epi32(z10, z12), laneZ5Factor);
    const __m128i o6 = _mm_sub_epi32(divideLanes(_mm_sub_epi32(z5, multiplyConstant(z10, laneZ10Factor))), o7);
    const __m128i o5 = _mm_sub_epi32(divideLanes(multiplyConstant(_mm_sub_epi32(z11, z13), laneSqrt2Scaled)), o6);
    const __m128i o4 = _mm_add_epi32(divideLanes(_mm_sub_epi32(multiplyConstant(z12, laneZ12Factor), z5)), o5);

    out[0] = _mm_add_epi32(e0, o7);
    out[1] = _mm_add_epi32(e1, o6);
    out[2] = _mm_add_epi32(e2, o5);
    out[3] = _mm_sub_epi32(e3, o4);
    out[4] = _mm_add_epi32(e3, o4);
    out[5] = _mm_sub_epi32(e2, o5);
    out[6] = _mm_sub_epi32(e1, o6);
    out[7] = _mm_sub_epi32(e0, o7);
}

inline void transpose4(__m128i& a, __m128i& b, __m128i& c, __m128i& d) {
    const __m128i ab0 = _mm_unpacklo_epi32(a, b);
    const __m128i ab1 = _mm_unpackhi_epi32(a, b);
    const __m128i cd0 = _mm_unpacklo_epi32(c, d);
    const __m128i cd1 = _mm_unpackhi_epi32(c, d);
    a = _mm_unpacklo_epi64(ab0, cd0);
    b = _mm_unpackhi_epi64(ab0, cd0);
    c = _mm_unpacklo_epi64(ab1, cd1);
    d = _mm_unpackhi_epi64(ab1, cd1);
}

// Rows r of an 8 x 8 matrix as two halves: m[r][0] columns 0..3, m[r][1] columns 4..7.
// Transposes it in place.
inline void transpose8(__m128i m[8][2]) {
    for (int half = 0; half < 2; ++half) {
        const int r = 4 * half;
        transpose4(m[r][0], m[r + 1][0], m[r + 2][0], m[r + 3][0]);
        transpose4(m[r][1], m[r + 1][1], m[r + 2][1], m[r + 3][1]);
    }
    for (int r = 0; r < 4; ++r) {
        const __m128i upperRight = m[r][1];
        m[r][1] = m[r + 4][0];
        m[r + 4][0] = upperRight;
    }
}


inline void transformBlockLanes(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    __m128i rows[8][2];
    __m128i acBits = _mm_setzero_si128();
    for (int r = 0; r < 8; ++r) {
        for (int half = 0; half < 2; ++half) {
            const __m128i coefficients = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + r * 8 + half * 4));
            const __m128i quant = _mm_loadu_si128(reinterpret_cast<const __m128i*>(quantTable + r * 8 + half * 4));
            rows[r][half] = multiplyLanes(coefficients, quant);
            acBits = _mm_or_si128(acBits, r == 0 && half == 0 ? _mm_and_si128(coefficients, _mm_set_epi32(-1, -1, -1, 0)) : coefficients);
        }
    }
    // A block whose only coefficient is the DC is flat: every output is DC x q + shift, as the
    // passes would compute it.
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(acBits, _mm_setzero_si128())) == 0xFFFF) {
        const __m128i flat = _mm_set1_epi32(wrapAdd(wrapMul(block[0], quantTable[0]), levelShift));
        for (int n = 0; n < 64; n += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + n), flat);
        return;
    }
    // Column pass: lanes are columns, the eight vectors are the rows.
    for (int half = 0; half < 2; ++half) {
        __m128i x[8];
        __m128i out[8];
        for (int r = 0; r < 8; ++r) x[r] = rows[r][half];
        idctPassLanes(x, out);
        for (int r = 0; r < 8; ++r) rows[r][half] = out[r];
    }
    // Row pass on the transposed workspace, then back.
    transpose8(rows);
    const __m128i shift = _mm_set1_epi32(levelShift);
    for (int half = 0; half < 2; ++half) {
        __m128i x[8];
        __m128i out[8];
        for (int c = 0; c < 8; ++c) x[c] = rows[c][half];
        idctPassLanes(x, out);
        for (int c = 0; c < 8; ++c) rows[c][half] = _mm_add_epi32(out[c], shift);
    }
    transpose8(rows);
    for (int r = 0; r < 8; ++r) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + r * 8), rows[r][0]);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + r * 8 + 4), rows[r][1]);
    }
}

}  // namespace
}  // namespace vistello
