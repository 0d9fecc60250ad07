#include "jpeg/jpeg_idct.h"

#include "jpeg/jpeg_arith.h"

#if defined(__SSE2__)
#include "jpeg/jpeg_idct_lanes.h"
#endif

namespace vistello {
namespace {

constexpr int32_t sqrt2Scaled = 1448;       // sqrt(2) x 1024
constexpr int32_t z5Factor = 1892;          // 1.847759 x 1024
constexpr int32_t z10Factor = 2676;         // 2.613126 x 1024
constexpr int32_t z12Factor = 1108;         // 1.082392 x 1024

// One 8-point pass of the factorisation. Each division stands exactly where the fixed-point
// recipe puts it, so the results are reproducible bit for bit.
inline void idctPass(const int32_t x[8], int32_t out[8]) {
    const int32_t t10 = wrapAdd(x[0], x[4]);
    const int32_t t11 = wrapSub(x[0], x[4]);
    const int32_t t13 = wrapAdd(x[2], x[6]);
    const int32_t t12 = wrapSub(divideByScale(wrapMul(wrapSub(x[2], x[6]), sqrt2Scaled)), t13);
    const int32_t e0 = wrapAdd(t10, t13);
    const int32_t e3 = wrapSub(t10, t13);
    const int32_t e1 = wrapAdd(t11, t12);
    const int32_t e2 = wrapSub(t11, t12);

    const int32_t z13 = wrapAdd(x[3], x[5]);
    const int32_t z10 = wrapSub(x[5], x[3]);
    const int32_t z11 = wrapAdd(x[1], x[7]);
    const int32_t z12 = wrapSub(x[1], x[7]);
    const int32_t o7 = wrapAdd(z11, z13);
    const int32_t z5 = wrapMul(wrapAdd(z10, z12), z5Factor);
    const int32_t o6 = wrapSub(divideByScale(wrapSub(z5, wrapMul(z10, z10Factor))), o7);
    const int32_t o5 = wrapSub(divideByScale(wrapMul(wrapSub(z11, z13), sqrt2Scaled)), o6);
    const int32_t o4 = wrapAdd(divideByScale(wrapSub(wrapMul(z12, z12Factor), z5)), o5);

    out[0] = wrapAdd(e0, o7);
    out[1] = wrapAdd(e1, o6);
    out[2] = wrapAdd(e2, o5);
    out[3] = wrapSub(e3, o4);
    out[4] = wrapAdd(e3, o4);
    out[5] = wrapSub(e2, o5);
    out[6] = wrapSub(e1, o6);
    out[7] = wrapSub(e0, o7);
}

// A level's transform of 16-bit coefficients: widened into the samples, transformed there.
template <TransformFunction transform>
void widenThenTransform(const int16_t coefficients[64], int32_t samples[64], const int32_t quantTable[64], int32_t levelShift) {
    for (int n = 0; n < 64; ++n) samples[n] = coefficients[n];
    transform(samples, quantTable, levelShift);
}

}  // namespace

int32_t foldQuantiser(uint32_t quantiser, int32_t scale) {
    // Q <= 65535 and scale <= 985: the product fits in int32 and the shift is of a
    // non-negative value.
    return static_cast<int32_t>(quantiser) * scale >> 2;
}

void transformBlockScalar(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    int32_t workspace[64];
    int32_t column[8];
    int32_t result[8];
    for (int c = 0; c < 8; ++c) {
        bool acZero = true;
        for (int r = 1; r < 8; ++r) acZero = acZero && block[r * 8 + c] == 0;
        const int32_t dc = wrapMul(block[c], quantTable[c]);
        if (acZero) {
            // With x1..x7 zero every output of the pass is x0: the shortcut is exact.
            for (int r = 0; r < 8; ++r) workspace[r * 8 + c] = dc;
            continue;
        }
        column[0] = dc;
        for (int r = 1; r < 8; ++r) column[r] = wrapMul(block[r * 8 + c], quantTable[r * 8 + c]);
        idctPass(column, result);
        for (int r = 0; r < 8; ++r) workspace[r * 8 + c] = result[r];
    }
    for (int r = 0; r < 8; ++r) {
        const int32_t* row = workspace + r * 8;
        int32_t* out = block + r * 8;
        bool acZero = true;
        for (int c = 1; c < 8; ++c) acZero = acZero && row[c] == 0;
        if (acZero) {
            const int32_t value = wrapAdd(row[0], levelShift);
            for (int c = 0; c < 8; ++c) out[c] = value;
            continue;
        }
        idctPass(row, result);
        for (int c = 0; c < 8; ++c) out[c] = wrapAdd(result[c], levelShift);
    }
}

#if defined(__SSE2__)
void transformBlockSse2(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    transformBlockLanes(block, quantTable, levelShift);
}

TransformFunction transformFor(SimdLevel level) {
    switch (level) {
    case SimdLevel::scalar: return transformBlockScalar;
    case SimdLevel::sse2: return transformBlockSse2;
    case SimdLevel::sse41: return transformBlockSse41;
    case SimdLevel::avx2:
    case SimdLevel::best: return transformBlockAvx2;
    }
    return transformBlockScalar;
}

NarrowTransformFunction narrowTransformFor(SimdLevel level) {
    switch (level) {
    case SimdLevel::scalar: return widenThenTransform<transformBlockScalar>;
    case SimdLevel::sse2: return widenThenTransform<transformBlockSse2>;
    case SimdLevel::sse41: return widenThenTransform<transformBlockSse41>;
    case SimdLevel::avx2:
    case SimdLevel::best: return transformNarrowBlockAvx2;
    }
    return widenThenTransform<transformBlockScalar>;
}
#else
TransformFunction transformFor(SimdLevel) { return transformBlockScalar; }
NarrowTransformFunction narrowTransformFor(SimdLevel) { return widenThenTransform<transformBlockScalar>; }
#endif

void transformBlock(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    transformFor(usableSimdLevel(SimdLevel::best))(block, quantTable, levelShift);
}

}  // namespace vistello
