#include "encode/forward_dct.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "encode/quantization_tables.h"

namespace vistello {
namespace {

// The transform as the JPEG standard writes it (A.3.3), in double precision.
std::array<double, blockSize> referenceDct(const SampleBlock& samples) {
    std::array<double, blockSize> out{};
    for (int u = 0; u < 8; ++u) {
        for (int v = 0; v < 8; ++v) {
            double sum = 0;
            for (int y = 0; y < 8; ++y) {
                for (int x = 0; x < 8; ++x) {
                    sum += samples[size_t(8 * y + x)] * std::cos((2 * y + 1) * u * M_PI / 16) *
                           std::cos((2 * x + 1) * v * M_PI / 16);
                }
            }
            const double cu = u == 0 ? M_SQRT1_2 : 1, cv = v == 0 ? M_SQRT1_2 : 1;
            out[size_t(8 * u + v)] = 0.25 * cu * cv * sum;
        }
    }
    return out;
}

SampleBlock makeBlock(const std::function<int32_t(int32_t x, int32_t y)>& sample) {
    SampleBlock block{};
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) block[size_t(8 * y + x)] = std::clamp(sample(x, y), -128, 127);
    }
    return block;
}

struct DctCase {
    const char* name;
    SampleBlock samples;
};

std::vector<DctCase> dctCases() {
    uint32_t seed = 7;
    const auto random = [&seed](int32_t, int32_t) {
        seed = seed * 1664525u + 1013904223u;
        return int32_t(seed >> 24) - 128;
    };
    std::vector<DctCase> cases = {
        {"zero", makeBlock([](int32_t, int32_t) { return 0; })},
        {"flat white", makeBlock([](int32_t, int32_t) { return 127; })},
        {"flat black", makeBlock([](int32_t, int32_t) { return -128; })},
        {"horizontal ramp", makeBlock([](int32_t x, int32_t) { return 32 * x - 112; })},
        {"vertical ramp", makeBlock([](int32_t, int32_t y) { return 100 - 29 * y; })},
        {"checkerboard, full swing", makeBlock([](int32_t x, int32_t y) { return (x + y) % 2 ? 127 : -128; })},
        {"stripes 2 wide", makeBlock([](int32_t x, int32_t) { return x / 2 % 2 ? 127 : -128; })},
        {"edge", makeBlock([](int32_t x, int32_t y) { return x + y < 8 ? 90 : -70; })},
        {"basis (3, 5)", makeBlock([](int32_t x, int32_t y) {
             return int32_t(std::lround(120 * std::cos((2 * y + 1) * 3 * M_PI / 16) * std::cos((2 * x + 1) * 5 * M_PI / 16)));
         })},
        {"basis (7, 7)", makeBlock([](int32_t x, int32_t y) {
             return int32_t(std::lround(127 * std::cos((2 * y + 1) * 7 * M_PI / 16) * std::cos((2 * x + 1) * 7 * M_PI / 16)));
         })},
        {"basis (4, 4), full swing", makeBlock([](int32_t x, int32_t y) {
             return std::cos((2 * y + 1) * M_PI / 4) * std::cos((2 * x + 1) * M_PI / 4) > 0 ? 127 : -128;
         })},
    };
    for (int i = 0; i < 20; ++i) cases.push_back({"random", makeBlock(random)});
    return cases;
}

TEST(ForwardDct, AgreesWithTheDoublePrecisionTransform) {
    double worst = 0;
    for (const DctCase& c : dctCases()) {
        SCOPED_TRACE(c.name);
        CoefficientBlock ours;
        forwardDct(c.samples, ours);
        const auto reference = referenceDct(c.samples);
        for (size_t k = 0; k < size_t(blockSize); ++k) {
            const double error = std::abs(ours[k] / double(1 << dctFractionBits) - reference[k]);
            worst = std::max(worst, error);
            EXPECT_LE(error, 0.04) << "coefficient " << k << ": " << ours[k] << " / 16 against " << reference[k];
        }
    }
    std::printf("  largest transform error: %.3f\n", worst);
}

// Rounding to nearest, halves away from zero, within the baseline ranges.
int32_t referenceQuantized(double coefficient, int32_t quantizer, bool dc) {
    const double rounded = std::round(coefficient / quantizer);
    return int32_t(std::clamp(rounded, dc ? -1024.0 : -1023.0, 1023.0));
}

TEST(QuantizeBlock, RoundsTheExactQuotientToNearest) {
    for (const int32_t quality : {1, 10, 50, 75, 90, 100}) {
        for (const auto* base : {&standardLuminanceTable, &standardChrominanceTable}) {
            const auto table = scaledQuantizationTable(*base, quality);
            const QuantizationDivisors divisors = makeDivisors(table);
            for (const DctCase& c : dctCases()) {
                SCOPED_TRACE(std::string(c.name) + ", quality " + std::to_string(quality));
                CoefficientBlock coefficients;
                forwardDct(c.samples, coefficients);
                QuantizedBlock ours;
                quantizeBlock(coefficients, divisors, ours);
                const auto reference = referenceDct(c.samples);
                for (size_t k = 0; k < size_t(blockSize); ++k) {
                    const double quotient = reference[k] / table[k];
                    // Within the transform's error of a half, either neighbour is right.
                    const double fromHalf = std::abs(std::abs(quotient - std::trunc(quotient)) - 0.5);
                    if (fromHalf * table[k] < 0.04) continue;
                    ASSERT_EQ(ours[k], referenceQuantized(reference[k], table[k], k == 0)) << "coefficient " << k;
                }
            }
        }
    }
}

TEST(QuantizeBlock, ExactDivisionsAndHalvesAcrossEveryDivisor) {
    // Coefficients (at the transform's scale) that are exact multiples and exact halves of
    // each quantiser, and the largest magnitudes.
    constexpr int32_t one = 1 << dctFractionBits;
    for (int32_t q = 1; q <= 255; ++q) {
        std::array<uint16_t, blockSize> table;
        table.fill(uint16_t(q));
        const QuantizationDivisors divisors = makeDivisors(table);
        CoefficientBlock coefficients{};
        const int32_t unit = one * q;
        const int32_t values[] = {0,           unit,        -unit, 3 * unit, unit / 2, -(unit / 2), unit / 2 - 1,
                                  5 * unit + unit / 2, 1024 * one - 1, -1024 * one};
        for (size_t i = 0; i < std::size(values); ++i) coefficients[i + 1] = values[i];
        QuantizedBlock ours;
        quantizeBlock(coefficients, divisors, ours);
        for (size_t i = 0; i < std::size(values); ++i) {
            EXPECT_EQ(ours[i + 1], referenceQuantized(double(values[i]) / one, q, false))
                << "q " << q << " value " << values[i];
        }
    }
}

}  // namespace
}  // namespace vistello
