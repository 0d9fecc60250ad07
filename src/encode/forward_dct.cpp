#include "encode/forward_dct.h"

#include <algorithm>

namespace vistello {
namespace {

constexpr int32_t cosineBits = 30;
// 2^29 cos(k pi / 16), k = 0 ... 8: the 1-D transform's factor 1/2 folded in. Typed in, so the
// result does not depend on a floating-point library.
constexpr int64_t halfCosine[9] = {536870912, 526555088, 496004047, 446391849, 379625062,
                                   298269498, 205451603, 104738319, 0};
constexpr int64_t halfCosineOfDc = 379625062;  // 2^29 / sqrt 2: C(0) / 2
// Fractional bits of the values between the row and the column pass.
constexpr int32_t rowFractionBits = 8;

// c(u, x) = C(u) / 2 cos((2x + 1) u pi / 16) at 30 fractional bits.
constexpr int64_t basisValue(int32_t u, int32_t x) {
    if (u == 0) return halfCosineOfDc;
    const int32_t angle = (2 * x + 1) * u % 32;  // in units of pi / 16
    if (angle <= 8) return halfCosine[angle];
    if (angle <= 16) return -halfCosine[16 - angle];
    if (angle <= 24) return -halfCosine[angle - 16];
    return halfCosine[32 - angle];
}

struct Basis {
    int64_t value[8][8];
};

constexpr Basis makeBasis() {
    Basis basis{};
    for (int32_t u = 0; u < 8; ++u) {
        for (int32_t x = 0; x < 8; ++x) basis.value[u][x] = basisValue(u, x);
    }
    return basis;
}

constexpr Basis basis = makeBasis();

// The 1-D transform of eight values `step` apart, out[k * step] = sum c(k, x) in[x * step],
// shifted right by `shift` with rounding, in 64 bits. Even outputs use the sums of mirrored
// inputs, odd ones their differences: c(u, 7 - x) = (-1)^u c(u, x).
void transform8(const int32_t* in, int32_t* out, int32_t step, int32_t shift) {
    int64_t sums[4];
    int64_t differences[4];
    for (int32_t x = 0; x < 4; ++x) {
        sums[x] = int64_t(in[x * step]) + in[(7 - x) * step];
        differences[x] = int64_t(in[x * step]) - in[(7 - x) * step];
    }
    const int64_t rounding = int64_t(1) << (shift - 1);
    for (int32_t u = 0; u < 8; ++u) {
        const int64_t* half = u % 2 == 0 ? sums : differences;
        int64_t total = rounding;
        for (int32_t x = 0; x < 4; ++x) total += basis.value[u][x] * half[x];
        out[u * step] = int32_t(total >> shift);
    }
}

}  // namespace

void forwardDct(const SampleBlock& samples, CoefficientBlock& coefficients) {
    // Samples of at most 128 in magnitude give row values below 2^17 at 8 fractional bits;
    // no product or sum comes near 2^63.
    CoefficientBlock rows{};
    for (int32_t y = 0; y < 8; ++y) {
        transform8(samples.data() + 8 * y, rows.data() + 8 * y, 1, cosineBits - rowFractionBits);
    }
    for (int32_t v = 0; v < 8; ++v) {
        transform8(rows.data() + v, coefficients.data() + v, 8, cosineBits + rowFractionBits - dctFractionBits);
    }
}

QuantizationDivisors makeDivisors(const std::array<uint16_t, blockSize>& table) {
    QuantizationDivisors divisors;
    for (size_t k = 0; k < size_t(blockSize); ++k) {
        const uint32_t divisor = uint32_t(std::max<uint16_t>(table[k], 1)) << dctFractionBits;
        divisors.divisor[k] = divisor;
        divisors.reciprocal[k] = uint32_t(((uint64_t(1) << 32) + divisor - 1) / divisor);
    }
    return divisors;
}

void quantizeBlock(const CoefficientBlock& coefficients, const QuantizationDivisors& divisors, QuantizedBlock& out) {
    // (|c| + d / 2) x ceil(2^32 / d) >> 32 is exactly floor((|c| + d / 2) / d): the numerator
    // stays below 2^15 and the reciprocal's excess below d, so their product stays below 2^32.
    // Branch-free, so the compiler can vectorise it.
    for (size_t k = 0; k < size_t(blockSize); ++k) {
        const int32_t value = coefficients[k];
        const int32_t sign = value >> 31;  // 0 or -1
        const uint32_t magnitude = uint32_t((value ^ sign) - sign) + divisors.divisor[k] / 2;
        const int32_t quotient = std::min(int32_t((uint64_t(magnitude) * divisors.reciprocal[k]) >> 32), 1023);
        out[k] = int16_t((quotient ^ sign) - sign);
    }
    // The direct-current value may reach -1024 (a block of black).
    const int32_t dc = coefficients[0];
    if (dc < 0) {
        const uint32_t magnitude = uint32_t(-dc) + divisors.divisor[0] / 2;
        out[0] = int16_t(-std::min(int32_t((uint64_t(magnitude) * divisors.reciprocal[0]) >> 32), 1024));
    }
}

}  // namespace vistello
