// Dequantisation and the scaled integer transform.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

constexpr int32_t levelShift8Bit = 131072;

TEST(JpegIdct, ScaleTableFollowsTheSinglePrecisionRecipe) {
    // The recipe: trunc(1024 c(u) c(v) s(u) s(v)) with the listed single-precision roundings.
    // It gives 511 at (0, 4), (4, 0) and (4, 4); the table keeps 512 at (0, 0).
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            const float cu = u == 0 ? float(1.0 / std::sqrt(2.0)) : 1.0f;
            const float cv = v == 0 ? float(1.0 / std::sqrt(2.0)) : 1.0f;
            const float cuv = cu * cv;
            const float su = float(std::cos(u * 0.196349540625));
            const float sv = float(std::cos(v * 0.196349540625));
            const float product = float(double(sv) * double(su) * double(cuv) * 1024.0);
            const int32_t expected = (u == 0 && v == 0) ? 512 : int32_t(product);
            SCOPED_TRACE(testing::Message() << "u " << u << " v " << v);
            EXPECT_EQ(idctScale[u * 8 + v], expected);
        }
    }
    EXPECT_EQ(idctScale[4], 511);
    EXPECT_EQ(idctScale[32], 511);
    EXPECT_EQ(idctScale[36], 511);
}

TEST(JpegIdct, DcOnlyBlocksAreFlat) {
    const struct {
        const char* name;
        int32_t dc;
        uint32_t quantiser;
        int32_t shift;
        int32_t expected;
    } cases[] = {
        {"Q 1, DC 8, luma: sample 129", 8, 1, levelShift8Bit, 132096},
        {"Q 16, DC -5, chroma", -5, 16, 0, -5 * ((16 * 512) >> 2)},
        {"Q 0 gives the level shift whatever the DC", 1000, 0, levelShift8Bit, levelShift8Bit},
        {"Q 0 chroma gives 0", -77, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int32_t quant[64];
        for (int n = 0; n < 64; ++n) quant[n] = foldQuantiser(c.quantiser, idctScale[n]);
        int32_t block[64] = {};
        block[0] = c.dc;
        transformBlock(block, quant, c.shift);
        for (int n = 0; n < 64; ++n) ASSERT_EQ(block[n], c.expected) << "position " << n;
    }
}

TEST(JpegIdct, AllZeroQuantisersIgnoreEveryCoefficient) {
    int32_t quant[64] = {};
    int32_t block[64];
    for (int n = 0; n < 64; ++n) block[n] = n * 37 - 1000;
    transformBlock(block, quant, levelShift8Bit);
    for (int n = 0; n < 64; ++n) EXPECT_EQ(block[n], levelShift8Bit);
}

// The scaled transform approximates the exact 2-D inverse DCT (T.81 A.3.3) of the dequantised
// coefficients; a wrong constant, sign or output order shows up as a large error.
TEST(JpegIdct, MatchesTheExactInverseTransformClosely) {
    uint32_t seed = 99;
    for (int trial = 0; trial < 50; ++trial) {
        int32_t quant[64];
        int32_t block[64];
        double coefficients[64];
        for (int n = 0; n < 64; ++n) {
            seed = seed * 1103515245u + 12345u;
            const uint32_t quantiser = 1 + (seed >> 20) % 8;
            quant[n] = foldQuantiser(quantiser, idctScale[n]);
            seed = seed * 1103515245u + 12345u;
            block[n] = (n < 20 || trial % 3 == 0) ? int32_t((seed >> 16) % 41) - 20 : 0;
            coefficients[n] = double(block[n]) * quantiser;
        }
        transformBlock(block, quant, levelShift8Bit);
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) {
                double sum = 0;
                for (int u = 0; u < 8; ++u) {
                    for (int v = 0; v < 8; ++v) {
                        const double cu = u == 0 ? 1 / std::sqrt(2.0) : 1.0;
                        const double cv = v == 0 ? 1 / std::sqrt(2.0) : 1.0;
                        sum += cu * cv * coefficients[u * 8 + v] * std::cos((2 * y + 1) * u * M_PI / 16) *
                               std::cos((2 * x + 1) * v * M_PI / 16);
                    }
                }
                const double exact = sum / 4 + 128;
                ASSERT_NEAR(block[y * 8 + x] / 1024.0, exact, 1.5) << "trial " << trial << " at " << y << "," << x;
            }
        }
    }
}

TEST(JpegIdct, NegativeProductsDivideTowardZero) {
    // Column 0 holds x2 = -3 (after dequantisation with a stored entry of 1): t12 = -3 x 1448 /
    // 1024 - t13 = -4 + 3 = -1 (a shift would give -5 + 3 = -2), so row 0 of the column pass is
    // e0 = t10 + t13 = -3 and row 1 is e1 = t11 + t12 = -1. Row passes of DC-only rows copy them.
    int32_t quant[64];
    for (int n = 0; n < 64; ++n) quant[n] = 1;
    int32_t block[64] = {};
    block[16] = -3;
    transformBlock(block, quant, 0);
    EXPECT_EQ(block[0], -3);
    EXPECT_EQ(block[7], -3);
    EXPECT_EQ(block[8], -1);
    EXPECT_EQ(block[15], -1);
}

// The vector transform gives the same 64 values as the one written value by value, also where
// products and sums wrap.
TEST(JpegIdct, VectorAndScalarTransformsAgree) {
    uint32_t seed = 2024;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    for (int trial = 0; trial < 20000; ++trial) {
        int32_t quant[64];
        int32_t block[64];
        const int kind = trial % 9;
        for (int n = 0; n < 64; ++n) {
            quant[n] = kind == 4 ? int32_t(next())
                       : kind == 6 ? int32_t(2 * (next() % 1000))
                                   : foldQuantiser(next() % (kind == 3 ? 65536 : 64), idctScale[n]);
            const uint32_t r = next();
            switch (kind) {
            case 0: block[n] = n == 0 ? int32_t(r % 2047) - 1023 : 0; break;                    // DC only
            case 1: block[n] = n < 10 || r % 7 == 0 ? int32_t(r % 201) - 100 : 0; break;          // typical
            case 2: block[n] = (r % 3 == 0) ? int32_t(r % 65535) - 32767 : 0; break;              // large
            case 5: block[n] = n < 8 ? int32_t(r % 201) - 100 : 0; break;                         // first row only
            // Below the first row, coefficients whose products with the even quantisers wrap to 0.
            case 6: block[n] = n < 8 ? int32_t(r % 201) - 100 : (r % 2 ? INT32_MIN : 0); break;
            // Only the top left 4 x 4 (both passes take their half-zero shortcut), or only column 0.
            case 7: block[n] = n % 8 < 4 && n < 32 && r % 3 ? int32_t(r % 4001) - 2000 : 0; break;
            case 8: block[n] = n % 8 == 0 ? int32_t(r % 401) - 200 : 0; break;
            default: block[n] = int32_t(r); break;                                                 // anything
            }
        }
        int32_t expected[64];
        std::copy(block, block + 64, expected);
        const int32_t shift = trial % 2 ? 131072 : 0;
        transformBlockScalar(expected, quant, shift);
        // Every level this processor runs (levels it lacks fall back and are compared too).
        for (const SimdLevel level : {SimdLevel::sse2, SimdLevel::sse41, SimdLevel::avx2}) {
            int32_t vector[64];
            std::copy(block, block + 64, vector);
            transformFor(usableSimdLevel(level))(vector, quant, shift);
            for (int n = 0; n < 64; ++n) {
                ASSERT_EQ(vector[n], expected[n]) << "level " << int(level) << ", trial " << trial << " position " << n;
            }
        }
        transformBlock(block, quant, shift);   // the widest level the processor has
        for (int n = 0; n < 64; ++n) ASSERT_EQ(block[n], expected[n]) << "trial " << trial << " position " << n;
    }
}

// The transforms of 16-bit coefficients give what the scalar transform gives for the same
// coefficients widened to 32 bits, over the whole 16-bit range and every zero pattern above.
TEST(JpegIdct, NarrowTransformsMatchTheWideScalarOne) {
    uint32_t seed = 77;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    for (int trial = 0; trial < 20000; ++trial) {
        int32_t quant[64];
        int16_t coefficients[64];
        const int kind = trial % 5;
        for (int n = 0; n < 64; ++n) {
            quant[n] = kind == 4 ? int32_t(next()) : foldQuantiser(next() % 256, idctScale[n]);
            const uint32_t r = next();
            switch (kind) {
            case 0: coefficients[n] = n == 0 ? int16_t(r) : 0; break;                                      // DC only
            case 1: coefficients[n] = n % 8 < 4 && n < 32 && r % 3 ? int16_t(int32_t(r % 4001) - 2000) : 0; break;
            case 2: coefficients[n] = n < 8 || r % 5 == 0 ? int16_t(int32_t(r % 401) - 200) : 0; break;
            default: coefficients[n] = int16_t(r); break;                                                  // anything
            }
        }
        int32_t expected[64];
        for (int n = 0; n < 64; ++n) expected[n] = coefficients[n];
        const int32_t shift = trial % 2 ? 131072 : 0;
        transformBlockScalar(expected, quant, shift);
        for (const SimdLevel level : {SimdLevel::scalar, SimdLevel::sse2, SimdLevel::sse41, SimdLevel::avx2}) {
            int32_t samples[64];
            narrowTransformFor(usableSimdLevel(level))(coefficients, samples, quant, shift);
            for (int n = 0; n < 64; ++n) {
                ASSERT_EQ(samples[n], expected[n]) << "level " << int(level) << ", trial " << trial << " position " << n;
            }
        }
    }
}

TEST(JpegIdct, OverflowingProductsWrapInsteadOfTrapping) {
    int32_t quant[64];
    for (int n = 0; n < 64; ++n) quant[n] = foldQuantiser(65535, idctScale[n]);
    int32_t block[64];
    for (int n = 0; n < 64; ++n) block[n] = (n % 2 ? 1 : -1) * 2000000000;
    transformBlock(block, quant, levelShift8Bit);   // defined behaviour; UBSan checks the rest
    SUCCEED();
}

}  // namespace
}  // namespace vistello
