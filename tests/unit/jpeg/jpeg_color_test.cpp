// Colour conversion, chroma replication and clipping to the DIB.
#include <gtest/gtest.h>

#include <vector>

#include "jpeg/jpeg_arith.h"
#include "jpeg/jpeg_color.h"

namespace vistello {
namespace {

// A DIB of width x height pixels inside a larger buffer whose margins must stay untouched.
struct CanaryDib {
    CanaryDib(int32_t w, int32_t h) : width(w), height(h), bytes(size_t(w) * h * 3 + 2 * margin, 0xAB) {}
    JpegOutput output() {
        uint8_t* first = bytes.data() + margin;
        return JpegOutput{first + size_t(height - 1) * width * 3, width * 3, width, height};
    }
    const uint8_t* pixel(int32_t x, int32_t y) const { return bytes.data() + margin + size_t(height - 1 - y) * width * 3 + size_t(x) * 3; }
    bool marginsIntact() const {
        for (size_t i = 0; i < margin; ++i) {
            if (bytes[i] != 0xAB || bytes[bytes.size() - 1 - i] != 0xAB) return false;
        }
        return true;
    }
    static constexpr size_t margin = 4096;
    int32_t width;
    int32_t height;
    std::vector<uint8_t> bytes;
};

void fill(int32_t block[64], int32_t value) {
    for (int n = 0; n < 64; ++n) block[n] = value;
}

TEST(JpegColor, ClampToByteEdges) {
    const struct { int32_t value; uint8_t expected; } cases[] = {
        {-1, 0}, {INT32_MIN, 0}, {0, 0}, {1023, 0}, {1024, 1}, {102400, 100}, {261119, 254}, {261120, 255}, {INT32_MAX, 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(clampToByte(c.value), c.expected);
    }
}

TEST(JpegColor, InterleavedConversionExamples) {
    const struct {
        const char* name;
        int32_t y, cb, cr;
        uint8_t blue, green, red;
    } cases[] = {
        {"neutral grey 100", 102400, 0, 0, 100, 100, 100},
        {"one Cb step", 102400, 1024, 0, uint8_t((102400 + 1815) >> 10), uint8_t((102400 - 352) >> 10), 100},
        {"one Cr step", 102400, 0, 1024, 100, uint8_t((102400 - 731) >> 10), uint8_t((102400 + 1436) >> 10)},
        // Each product divides on its own: -1 x 352 / 1024 = 0 and -1 x 731 / 1024 = 0.
        {"tiny negative chroma truncates toward zero", 1024 * 50, -1, -1, 49, 50, 49},
        {"saturating blue", 250 * 1024, 4000, 0, 255, uint8_t((250 * 1024 - 4000 * 352 / 1024) >> 10), 250},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CanaryDib dib(8, 8);
        int32_t luma[4][64];
        int32_t cb[64];
        int32_t cr[64];
        fill(luma[0], c.y);
        fill(cb, c.cb);
        fill(cr, c.cr);
        convertInterleavedMcu(dib.output(), 0, 0, McuGeometry{1, 1}, luma, cb, cr);
        const uint8_t* p = dib.pixel(3, 5);
        EXPECT_EQ(p[0], c.blue);
        EXPECT_EQ(p[1], c.green);
        EXPECT_EQ(p[2], c.red);
        EXPECT_TRUE(dib.marginsIntact());
    }
}

TEST(JpegColor, TwoComponentFramesGetOnlyBlue) {
    CanaryDib dib(8, 8);
    int32_t luma[4][64];
    int32_t cb[64];
    fill(luma[0], 102400);
    fill(cb, 0);
    convertInterleavedMcu(dib.output(), 0, 0, McuGeometry{1, 1}, luma, cb, nullptr);
    EXPECT_EQ(dib.pixel(0, 0)[0], 100);
    EXPECT_EQ(dib.pixel(0, 0)[1], 0xAB);
    EXPECT_EQ(dib.pixel(0, 0)[2], 0xAB);
}

// Chroma sample (row / v, column / h) of every pixel, for each MCU shape; luma block j at
// block row j / h, column j % h. Luma carries the block number, chroma its own position.
TEST(JpegColor, ChromaIsReplicatedOverTheMcuLayouts) {
    const McuGeometry shapes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    for (const McuGeometry& shape : shapes) {
        SCOPED_TRACE(testing::Message() << shape.h << "x" << shape.v);
        const int32_t width = 8 * shape.h;
        const int32_t height = 8 * shape.v;
        CanaryDib dib(width, height);
        int32_t luma[4][64];
        for (int j = 0; j < 4; ++j) fill(luma[j], (10 + 40 * j) * 1024);
        int32_t cb[64];
        for (int n = 0; n < 64; ++n) cb[n] = n * 1024 * 1024 / 1815;   // adds about n to blue
        int32_t cr[64];
        fill(cr, 0);
        convertInterleavedMcu(dib.output(), 0, 0, shape, luma, cb, cr);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const int block = (y / 8) * shape.h + x / 8;
                const int sample = (y / shape.v) * 8 + x / shape.h;
                const int32_t expectedBlue = clampToByte((10 + 40 * block) * 1024 + cb[sample] * 1815 / 1024);
                ASSERT_EQ(dib.pixel(x, y)[0], expectedBlue) << "pixel " << x << "," << y;
                ASSERT_EQ(dib.pixel(x, y)[2], 10 + 40 * block);
            }
        }
        EXPECT_TRUE(dib.marginsIntact());
    }
}

TEST(JpegColor, GreenDiffersBetweenTheThreePaths) {
    // Cb = Cr = 700: interleaved divides each green product on its own (240 + 499 = 739),
    // progressive sums them first (758100 / 1024 = 740), and the component-scan path clamps to
    // a byte between the Cb and the Cr step. Y = 100 x 1024 + 739 puts the two sums on either
    // side of a byte boundary.
    const int32_t y = 102400 + 739;
    const int32_t chromaValue = 700;
    int32_t luma[4][64];
    int32_t cb[64];
    int32_t cr[64];
    fill(luma[0], y);
    fill(cb, chromaValue);
    fill(cr, chromaValue);

    CanaryDib interleaved(8, 8);
    convertInterleavedMcu(interleaved.output(), 0, 0, McuGeometry{1, 1}, luma, cb, cr);
    EXPECT_EQ(interleaved.pixel(0, 0)[1], clampToByte(y - chromaValue * 352 / 1024 - chromaValue * 731 / 1024));

    CanaryDib progressive(8, 8);
    const int32_t* lumaBlocks[4] = {luma[0], luma[0], luma[0], luma[0]};
    convertProgressiveMcu(progressive.output(), 0, 0, McuGeometry{1, 1}, lumaBlocks, cb, cr);
    EXPECT_EQ(progressive.pixel(0, 0)[1], clampToByte(y - (chromaValue * 352 + chromaValue * 731) / 1024));
    EXPECT_NE(progressive.pixel(0, 0)[1], interleaved.pixel(0, 0)[1]);
    EXPECT_EQ(progressive.pixel(0, 0)[0], interleaved.pixel(0, 0)[0]);
    EXPECT_EQ(progressive.pixel(0, 0)[2], interleaved.pixel(0, 0)[2]);

    CanaryDib components(8, 8);
    writeGreyBlock(components.output(), 0, 0, luma[0]);
    applyChromaBlock(components.output(), 0, 0, McuGeometry{1, 1}, cb, ChromaKind::blueDifference);
    applyChromaBlock(components.output(), 0, 0, McuGeometry{1, 1}, cr, ChromaKind::redDifference);
    const int32_t afterCb = clampToByte(100 * 1024 - chromaValue * 352 / 1024);
    EXPECT_EQ(components.pixel(0, 0)[1], clampToByte(afterCb * 1024 - chromaValue * 731 / 1024));
    EXPECT_EQ(components.pixel(0, 0)[0], clampToByte(100 * 1024 + chromaValue * 1815 / 1024));
}

TEST(JpegColor, WritesAreClippedToTheDib) {
    const struct { const char* name; int64_t x, y; McuGeometry shape; } cases[] = {
        {"MCU across the right edge", 16, 0, {2, 2}},
        {"MCU across the bottom edge", 0, 8, {2, 2}},
        {"MCU entirely right of the DIB", 24, 0, {2, 1}},
        {"MCU entirely below the DIB", 0, 64, {1, 1}},
        {"MCU far beyond", int64_t(1) << 40, int64_t(1) << 40, {2, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CanaryDib dib(20, 12);
        int32_t luma[4][64];
        int32_t chroma[64];
        for (auto& block : luma) fill(block, 200 * 1024);
        fill(chroma, 300);
        const int32_t* lumaBlocks[4] = {luma[0], luma[1], luma[2], luma[3]};
        convertInterleavedMcu(dib.output(), c.x, c.y, c.shape, luma, chroma, chroma);
        convertProgressiveMcu(dib.output(), c.x, c.y, c.shape, lumaBlocks, chroma, chroma);
        applyChromaBlock(dib.output(), c.x, c.y, c.shape, chroma, ChromaKind::redDifference);
        writeGreyBlock(dib.output(), c.x, c.y, luma[0]);
        EXPECT_TRUE(dib.marginsIntact());
    }
}

}  // namespace
}  // namespace vistello

namespace vistello {
namespace {

// Every level converts whole and clipped MCUs of every layout to the scalar bytes, with samples
// around the clamp edges, chroma that overflows the products and truncation of negatives.
TEST(JpegColor, EveryLevelWritesTheScalarBytes) {
    uint32_t seed = 77;
    const auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed;
    };
    const auto sample = [&next](int kind) {
        const uint32_t r = next();
        switch (kind) {
        case 0: return int32_t(r % (300 * 1024)) - 20 * 1024;   // around 0 and 255
        case 1: return int32_t(r % 4096) - 2048;                 // small chroma
        default: return int32_t(r);                              // anything, products wrap
        }
    };
    const McuGeometry shapes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    for (int trial = 0; trial < 400; ++trial) {
        const McuGeometry shape = shapes[trial % 4];
        const int kind = trial / 4 % 3;
        int32_t luma[4][64];
        int32_t cb[64];
        int32_t cr[64];
        for (int b = 0; b < 4; ++b) {
            for (int n = 0; n < 64; ++n) luma[b][n] = sample(kind == 2 && n % 5 == 0 ? 2 : 0);
        }
        for (int n = 0; n < 64; ++n) {
            cb[n] = sample(kind == 0 ? 1 : kind);
            cr[n] = sample(kind == 0 ? 1 : kind);
        }
        const int32_t* const lumaBlocks[4] = {luma[0], luma[1], luma[2], luma[3]};
        // The MCU whole at (8, 8) and clipped at the DIB's right edge.
        for (const int64_t x : {int64_t{8}, int64_t{40 - 8 * shape.h + 3}}) {
            CanaryDib reference(40, 40);
            convertInterleavedMcu(reference.output(), x, 8, shape, luma, cb, cr, SimdLevel::scalar);
            convertProgressiveMcu(reference.output(), x, 20, shape, lumaBlocks, cb, cr, SimdLevel::scalar);
            for (const SimdLevel level : {SimdLevel::sse2, SimdLevel::sse41, SimdLevel::avx2}) {
                SCOPED_TRACE(testing::Message() << "trial " << trial << " level " << int(level) << " x " << x);
                CanaryDib dib(40, 40);
                convertInterleavedMcu(dib.output(), x, 8, shape, luma, cb, cr, usableSimdLevel(level));
                convertProgressiveMcu(dib.output(), x, 20, shape, lumaBlocks, cb, cr, usableSimdLevel(level));
                ASSERT_EQ(dib.bytes, reference.bytes);
            }
        }
    }
}

}  // namespace
}  // namespace vistello

namespace vistello {
namespace {

// Chroma values whose products with each colour factor land on the edges of the division by
// 1024: just below, on and above -1024 and 1024, at -1, and at INT32_MIN and INT32_MAX (the
// magnitude that has no positive counterpart). An odd factor is inverted modulo 2^32; an even
// one reaches the multiples of its power of two.
std::vector<int32_t> chromaAtDivisionEdges() {
    const int64_t targets[] = {INT32_MIN, int64_t{INT32_MIN} + 1, -1025, -1024, -1023, -1, 0, 1, 1023, 1024, 1025, INT32_MAX};
    std::vector<int32_t> values;
    for (const uint32_t factor : {1815u, 352u, 1436u, 731u}) {
        uint32_t odd = factor;
        int shift = 0;
        for (; odd % 2 == 0; odd /= 2) ++shift;
        uint32_t inverse = odd;   // Newton's iteration doubles the correct low bits each step
        for (int step = 0; step < 5; ++step) inverse *= 2u - odd * inverse;
        for (const int64_t target : targets) {
            const uint32_t wanted = static_cast<uint32_t>(target) >> shift;
            for (const uint32_t nearby : {wanted - 1, wanted, wanted + 1}) {
                values.push_back(static_cast<int32_t>(nearby * inverse));
            }
        }
    }
    return values;
}

TEST(JpegColor, EveryLevelDividesTheChromaProductsLikeScalar) {
    const std::vector<int32_t> edges = chromaAtDivisionEdges();
    const McuGeometry shapes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    for (size_t first = 0; first < edges.size(); first += 64) {
        int32_t cb[64];
        int32_t cr[64];
        int32_t luma[4][64];
        for (int n = 0; n < 64; ++n) {
            cb[n] = edges[(first + size_t(n)) % edges.size()];
            cr[n] = edges[(first + size_t(n) * 7 + 3) % edges.size()];
            for (int b = 0; b < 4; ++b) luma[b][n] = (n * 37 + b * 11) % 256 * 1024 + n * 13;
        }
        const int32_t* const lumaBlocks[4] = {luma[0], luma[1], luma[2], luma[3]};
        for (const McuGeometry& shape : shapes) {
            CanaryDib reference(16, 48);
            convertInterleavedMcu(reference.output(), 0, 0, shape, luma, cb, cr, SimdLevel::scalar);
            convertProgressiveMcu(reference.output(), 0, 24, shape, lumaBlocks, cb, cr, SimdLevel::scalar);
            for (const SimdLevel level : {SimdLevel::sse2, SimdLevel::avx2}) {
                SCOPED_TRACE(testing::Message() << "from " << first << " shape " << shape.h << "x" << shape.v << " level " << int(level));
                CanaryDib dib(16, 48);
                convertInterleavedMcu(dib.output(), 0, 0, shape, luma, cb, cr, usableSimdLevel(level));
                convertProgressiveMcu(dib.output(), 0, 24, shape, lumaBlocks, cb, cr, usableSimdLevel(level));
                ASSERT_EQ(dib.bytes, reference.bytes);
            }
        }
    }
}

// Whole MCUs against every edge of a DIB whose rows are padded, as a real DIB's are: the wide
// stores must end exactly at the MCU's last byte, so the padding and the neighbouring pixels
// keep their bytes, and every level writes what the scalar conversion writes.
TEST(JpegColor, WholeMcusAtTheDibEdgesLeaveThePaddingAlone) {
    const McuGeometry shapes[] = {{1, 1}, {2, 1}, {1, 2}, {2, 2}};
    for (const McuGeometry& shape : shapes) {
        for (const int32_t padding : {1, 2, 3, 4}) {
            const int32_t width = 3 * 8 * shape.h;
            const int32_t height = 2 * 8 * shape.v;
            const int32_t stride = width * 3 + padding;
            int32_t luma[4][64];
            int32_t cb[64];
            int32_t cr[64];
            for (int n = 0; n < 64; ++n) {
                for (int b = 0; b < 4; ++b) luma[b][n] = (n * 29 + b * 61) % 300 * 1024 - 10 * 1024;
                cb[n] = n * 97 - 3000;
                cr[n] = 2500 - n * 83;
            }
            const int32_t* const lumaBlocks[4] = {luma[0], luma[1], luma[2], luma[3]};
            const auto draw = [&](SimdLevel level) {
                std::vector<uint8_t> bytes(size_t(stride) * height, 0xAB);
                const JpegOutput output{bytes.data() + size_t(height - 1) * stride, stride, width, height};
                const int64_t right = width - 8 * shape.h;
                const int64_t bottom = height - 8 * shape.v;
                convertInterleavedMcu(output, right, 0, shape, luma, cb, cr, level);
                convertInterleavedMcu(output, 0, bottom, shape, luma, cb, cr, level);
                convertProgressiveMcu(output, right, bottom, shape, lumaBlocks, cb, cr, level);
                return bytes;
            };
            SCOPED_TRACE(testing::Message() << "shape " << shape.h << "x" << shape.v << " padding " << padding);
            const std::vector<uint8_t> reference = draw(SimdLevel::scalar);
            for (int32_t row = 0; row < height; ++row) {
                for (int32_t pad = 0; pad < padding; ++pad) ASSERT_EQ(reference[size_t(row) * stride + size_t(width) * 3 + pad], 0xAB);
            }
            ASSERT_EQ(reference[size_t(height - 1) * stride + size_t(width - 8 * shape.h) * 3 - 1], 0xAB);   // left of the top right MCU
            for (const SimdLevel level : {SimdLevel::sse2, SimdLevel::avx2}) {
                SCOPED_TRACE(int(level));
                ASSERT_EQ(draw(usableSimdLevel(level)), reference);
            }
        }
    }
}

}  // namespace
}  // namespace vistello
