#pragma once
// Dequantisation and the scaled integer inverse DCT of one 8 x 8 block.
#include <cstdint>

#include "jpeg/jpeg_simd.h"

namespace vistello {

// Multiplies the 64 coefficients (natural order) by the folded quantisation entries,
// transforms them and leaves the 64 samples at scale 1024 in the same storage, with
// levelShift added to each (0 for the colour-difference components).
void transformBlock(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);

// The same transform written one value at a time; transformBlock may use vector instructions
// and must give the same 64 values for every input.
void transformBlockScalar(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);

// The vector transform for SSE2 (every x86-64 processor).
void transformBlockSse2(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);
// The vector transform compiled for SSE4.1; only for processors that have it.
void transformBlockSse41(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);

// The vector transform compiled for AVX2 (one block's eight columns in one register); only for
// processors that have it.
void transformBlockAvx2(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);

using TransformFunction = void (*)(int32_t block[64], const int32_t quantTable[64], int32_t levelShift);
// The transform of a level (scalar for levels this build has no vector code for).
[[nodiscard]] TransformFunction transformFor(SimdLevel level);

// The same transform of 16-bit coefficients, its samples written to samples: the values are
// those of the level's transform of the coefficients widened to 32 bits.
using NarrowTransformFunction = void (*)(const int16_t coefficients[64], int32_t samples[64], const int32_t quantTable[64],
                                         int32_t levelShift);
[[nodiscard]] NarrowTransformFunction narrowTransformFor(SimdLevel level);
// The AVX2 one widens while it loads; only for processors that have AVX2.
void transformNarrowBlockAvx2(const int16_t coefficients[64], int32_t samples[64], const int32_t quantTable[64],
                              int32_t levelShift);

// The fold applied to a quantiser when a DQT segment stores it: (Q x scale) >> 2.
[[nodiscard]] int32_t foldQuantiser(uint32_t quantiser, int32_t scale);

}  // namespace vistello
