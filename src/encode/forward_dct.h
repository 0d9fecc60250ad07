#pragma once
// The encoder's forward transform and quantisation of one 8 x 8 block, in integer arithmetic.
#include <array>
#include <cstdint>

namespace vistello {

inline constexpr int32_t blockSize = 64;
// Fractional bits of the transform's output: coefficients come out as 16 x F(u, v).
inline constexpr int32_t dctFractionBits = 4;

using SampleBlock = std::array<int32_t, blockSize>;       // level-shifted samples, row-major
using CoefficientBlock = std::array<int32_t, blockSize>;  // row-major, index 8 x u + v
using QuantizedBlock = std::array<int16_t, blockSize>;    // row-major

// F(u, v) = 1/4 C(u) C(v) sum over x, y of s(y, x) cos((2y + 1) u pi / 16) cos((2x + 1) v pi / 16),
// C(0) = 1 / sqrt 2, C(k) = 1 otherwise; u counts rows, v columns. Separable, rows first, with
// cosines of 30 fractional bits in 64-bit sums; the result is within 0.04 of the exact value.
void forwardDct(const SampleBlock& samples, CoefficientBlock& coefficients);

// Divisors of one quantisation table, with the reciprocals that divide without a division.
struct QuantizationDivisors {
    std::array<uint32_t, blockSize> divisor{};     // 16 x Q[k]: the scale of the transform's output
    std::array<uint32_t, blockSize> reciprocal{};  // ceil(2^32 / divisor)
};
[[nodiscard]] QuantizationDivisors makeDivisors(const std::array<uint16_t, blockSize>& table);

// Each coefficient divided by its quantiser, rounded to the nearest integer (halves away from
// zero). The direct-current value is kept within -1024 ... 1023 and the others within
// -1023 ... 1023, the ranges a baseline stream of 8-bit samples codes.
void quantizeBlock(const CoefficientBlock& coefficients, const QuantizationDivisors& divisors, QuantizedBlock& out);

}  // namespace vistello
