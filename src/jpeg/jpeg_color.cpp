#include "jpeg/jpeg_color.h"

#include "jpeg/jpeg_arith.h"
#include "jpeg/jpeg_color_avx2.h"

#if defined(__SSE2__)
#include <emmintrin.h>

#include <cstring>
#endif

namespace vistello {
namespace {

constexpr int32_t cbToBlue = 1815;   // 1.772 x 1024
constexpr int32_t cbToGreen = 352;   // 0.34414 x 1024
constexpr int32_t crToRed = 1436;    // 1.402 x 1024
constexpr int32_t crToGreen = 731;   // 0.71414 x 1024

// What each chroma sample adds to (blue, red) or takes from (green) the luma of the pixels it
// covers. Computed once per sample instead of once per pixel; the sums and divisions are
// exactly those of the per-pixel formulas.
struct ChromaOffsets {
    int32_t blue[64];
    int32_t green[64];
    int32_t red[64];
};

// Interleaved MCUs: the two green products are divided one at a time (Y - a - b equals
// Y - (a + b) in wrapping arithmetic).
void interleavedOffsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets& offsets) {
    for (int n = 0; n < 64; ++n) {
        offsets.blue[n] = divideByScale(wrapMul(cb[n], cbToBlue));
        offsets.green[n] = wrapAdd(divideByScale(wrapMul(cb[n], cbToGreen)), divideByScale(wrapMul(cr[n], crToGreen)));
        offsets.red[n] = divideByScale(wrapMul(cr[n], crToRed));
    }
}

// The progressive end stage sums both green products before one division.
void progressiveOffsets(const int32_t cb[64], const int32_t cr[64], ChromaOffsets& offsets) {
    for (int n = 0; n < 64; ++n) {
        offsets.blue[n] = divideByScale(wrapMul(cb[n], cbToBlue));
        offsets.green[n] = divideByScale(wrapAdd(wrapMul(cb[n], cbToGreen), wrapMul(cr[n], crToGreen)));
        offsets.red[n] = divideByScale(wrapMul(cr[n], crToRed));
    }
}

inline void storePixel(uint8_t* pixel, int32_t luminance, const ChromaOffsets& offsets, int sample) {
    pixel[0] = clampToByte(wrapAdd(luminance, offsets.blue[sample]));
    pixel[1] = clampToByte(wrapSub(luminance, offsets.green[sample]));
    pixel[2] = clampToByte(wrapAdd(luminance, offsets.red[sample]));
}

// One MCU of h x v luma blocks; the visible area is given, the shape is a template parameter
// so that the sample arithmetic becomes shifts.
template <int h, int v>
void writeColourMcu(const JpegOutput& output, int64_t x, int64_t y, ClippedArea area, const int32_t* const luma[4],
                    const ChromaOffsets& offsets) {
    for (int32_t row = 0; row < area.visibleHeight; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        const int lumaRow = (row & 7) * 8;
        const int sampleRow = (row / v) * 8;
        const int32_t* const* blocks = luma + (row >> 3) * h;
        for (int32_t column = 0; column < area.visibleWidth; ++column, pixel += 3) {
            const int32_t luminance = blocks[column >> 3][lumaRow + (column & 7)];
            storePixel(pixel, luminance, offsets, sampleRow + column / h);
        }
    }
}

#if defined(__SSE2__)
// Bytes of eight samples at scale 1024: an arithmetic shift by 10 and two saturating packs give
// exactly clampToByte (negative values saturate to 0, values from 255 x 1024 up to 255).
inline __m128i clampEight(__m128i low, __m128i high) {
    const __m128i words = _mm_packs_epi32(_mm_srai_epi32(low, 10), _mm_srai_epi32(high, 10));
    return _mm_packus_epi16(words, words);
}

// Eight pixels from luma y and per-pixel offsets, stored as 24 bytes blue, green, red.
inline void storeEightPixels(uint8_t* pixel, const int32_t* luma, __m128i blue0, __m128i blue1, __m128i green0,
                             __m128i green1, __m128i red0, __m128i red1) {
    const __m128i y0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma));
    const __m128i y1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(luma + 4));
    const __m128i b = clampEight(_mm_add_epi32(y0, blue0), _mm_add_epi32(y1, blue1));
    const __m128i g = clampEight(_mm_sub_epi32(y0, green0), _mm_sub_epi32(y1, green1));
    const __m128i r = clampEight(_mm_add_epi32(y0, red0), _mm_add_epi32(y1, red1));
    const __m128i blueGreen = _mm_unpacklo_epi8(b, g);
    const __m128i redZero = _mm_unpacklo_epi8(r, _mm_setzero_si128());
    const __m128i pixels[2] = {_mm_unpacklo_epi16(blueGreen, redZero), _mm_unpackhi_epi16(blueGreen, redZero)};
    // Two 4-byte pixels per 64-bit lane become six bytes: the second moves down by one byte.
    const __m128i lowPixel = _mm_set_epi32(0, 0x00FFFFFF, 0, 0x00FFFFFF);
    for (int i = 0; i < 2; ++i) {
        const __m128i packed = _mm_or_si128(_mm_and_si128(pixels[i], lowPixel), _mm_slli_epi64(_mm_srli_epi64(pixels[i], 32), 24));
        uint64_t pairs[2];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(pairs), packed);
        std::memcpy(pixel + 12 * i, &pairs[0], 6);
        std::memcpy(pixel + 12 * i + 6, &pairs[1], 6);
    }
}

inline __m128i loadFour(const int32_t* values) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(values)); }

// The same for an MCU that lies wholly inside the DIB, eight pixels at a time.
template <int h, int v>
void writeWholeColourMcuSse2(const JpegOutput& output, int64_t x, int64_t y, const int32_t* const luma[4],
                             const ChromaOffsets& offsets) {
    for (int row = 0; row < 8 * v; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        const int sampleRow = (row / v) * 8;
        for (int blockColumn = 0; blockColumn < h; ++blockColumn, pixel += 24) {
            const int32_t* samples = luma[(row >> 3) * h + blockColumn] + (row & 7) * 8;
            const int first = sampleRow + blockColumn * 4 * (h - 1);
            if constexpr (h == 1) {
                storeEightPixels(pixel, samples, loadFour(offsets.blue + first), loadFour(offsets.blue + first + 4),
                                 loadFour(offsets.green + first), loadFour(offsets.green + first + 4),
                                 loadFour(offsets.red + first), loadFour(offsets.red + first + 4));
            } else {
                // Each chroma sample serves two neighbouring pixels.
                const __m128i blue = loadFour(offsets.blue + first);
                const __m128i green = loadFour(offsets.green + first);
                const __m128i red = loadFour(offsets.red + first);
                storeEightPixels(pixel, samples, _mm_unpacklo_epi32(blue, blue), _mm_unpackhi_epi32(blue, blue),
                                 _mm_unpacklo_epi32(green, green), _mm_unpackhi_epi32(green, green),
                                 _mm_unpacklo_epi32(red, red), _mm_unpackhi_epi32(red, red));
            }
        }
    }
}
#endif

// The same for an MCU that lies wholly inside the DIB: fixed trip counts.
template <int h, int v>
void writeWholeColourMcuScalar(const JpegOutput& output, int64_t x, int64_t y, const int32_t* const luma[4],
                         const ChromaOffsets& offsets) {
    for (int row = 0; row < 8 * v; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        const int sampleRow = (row / v) * 8;
        for (int blockColumn = 0; blockColumn < h; ++blockColumn) {
            const int32_t* samples = luma[(row >> 3) * h + blockColumn] + (row & 7) * 8;
            for (int column = 0; column < 8; ++column, pixel += 3) {
                storePixel(pixel, samples[column], offsets, sampleRow + (blockColumn * 8 + column) / h);
            }
        }
    }
}

template <int h, int v>
void writeColourShape(const JpegOutput& output, int64_t x, int64_t y, ClippedArea area, const int32_t* const luma[4],
                      const ChromaOffsets& offsets, SimdLevel level) {
    if (area.visibleWidth != 8 * h || area.visibleHeight != 8 * v) {
        writeColourMcu<h, v>(output, x, y, area, luma, offsets);
        return;
    }
#if defined(__SSE2__)
    if (level != SimdLevel::scalar) {
        writeWholeColourMcuSse2<h, v>(output, x, y, luma, offsets);
        return;
    }
#else
    (void)level;
#endif
    writeWholeColourMcuScalar<h, v>(output, x, y, luma, offsets);
}

void writeColour(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry, const int32_t* const luma[4],
                 const ChromaOffsets& offsets, SimdLevel level) {
    const ClippedArea area = clipArea(output, x, y, 8 * geometry.h, 8 * geometry.v);
    if (area.empty()) return;
    if (geometry.h == 1 && geometry.v == 1) writeColourShape<1, 1>(output, x, y, area, luma, offsets, level);
    else if (geometry.h == 2 && geometry.v == 1) writeColourShape<2, 1>(output, x, y, area, luma, offsets, level);
    else if (geometry.h == 1 && geometry.v == 2) writeColourShape<1, 2>(output, x, y, area, luma, offsets, level);
    else if (geometry.h == 2 && geometry.v == 2) writeColourShape<2, 2>(output, x, y, area, luma, offsets, level);
}

// MCUs the AVX2 conversion does not take (clipped ones, other levels) go through the offsets
// of all 64 samples.
void convertThroughOffsets(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                           const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64], GreenSum sum,
                           SimdLevel level) {
    ChromaOffsets offsets;
    if (sum == GreenSum::dividedApart) interleavedOffsets(cb, cr, offsets);
    else progressiveOffsets(cb, cr, offsets);
    writeColour(output, x, y, geometry, luma, offsets, level);
}

// The AVX2 conversion takes whole MCUs; the rest go through the offsets. Checked inline on
// every MCU, so it is kept to a few comparisons: an MCU is whole when it starts inside the DIB
// and ends within its width and height (the same test as a clipped area of full size).
inline bool avx2TakesMcu(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry, SimdLevel level) {
    return level == SimdLevel::avx2 && output.origin != nullptr && x >= 0 && y >= 0 &&
           x + 8 * geometry.h <= output.width && y + 8 * geometry.v <= output.height;
}

inline int32_t chromaAt(const int32_t chroma[64], McuGeometry geometry, int32_t row, int32_t column) {
    return chroma[(row / geometry.v) * 8 + column / geometry.h];
}

// Two components: the Cb step writes the blue bytes, and no Cr step follows.
void writeBlueOnly(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry, const int32_t luma[][64],
                   const int32_t cb[64]) {
    const ClippedArea area = clipArea(output, x, y, 8 * geometry.h, 8 * geometry.v);
    for (int32_t row = 0; row < area.visibleHeight; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        for (int32_t column = 0; column < area.visibleWidth; ++column, pixel += 3) {
            const int32_t luminance = luma[(row >> 3) * geometry.h + (column >> 3)][(row & 7) * 8 + (column & 7)];
            pixel[0] = clampToByte(wrapAdd(luminance, divideByScale(wrapMul(chromaAt(cb, geometry, row, column), cbToBlue))));
        }
    }
}

// Interleaved MCUs the AVX2 conversion does not take. Out of line, as is the progressive
// counterpart, so that the whole-MCU call does not pay for this frame.
__attribute__((noinline)) void convertOtherInterleavedMcu(const JpegOutput& output, int64_t x, int64_t y,
                                                          McuGeometry geometry, const int32_t luma[][64],
                                                          const int32_t cb[64], const int32_t* cr, SimdLevel level) {
    if (cr == nullptr) {
        writeBlueOnly(output, x, y, geometry, luma, cb);
        return;
    }
    const int32_t* const blocks[4] = {luma[0], luma[1], luma[2], luma[3]};
    convertThroughOffsets(output, x, y, geometry, blocks, cb, cr, GreenSum::dividedApart, level);
}

}  // namespace

void writeGreyBlock(const JpegOutput& output, int64_t x, int64_t y, const int32_t samples[64]) {
    const ClippedArea area = clipArea(output, x, y, 8, 8);
    for (int32_t row = 0; row < area.visibleHeight; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        for (int32_t column = 0; column < area.visibleWidth; ++column, pixel += 3) {
            const uint8_t grey = clampToByte(samples[row * 8 + column]);
            pixel[0] = grey;
            pixel[1] = grey;
            pixel[2] = grey;
        }
    }
}

void convertInterleavedMcu(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                           const int32_t luma[][64], const int32_t cb[64], const int32_t* cr, SimdLevel level) {
#if defined(__x86_64__)
    if (cr != nullptr && avx2TakesMcu(output, x, y, geometry, level)) {
        writeWholeInterleavedMcuAvx2(output, x, y, geometry, luma, cb, cr);
        return;
    }
#endif
    convertOtherInterleavedMcu(output, x, y, geometry, luma, cb, cr, level);
}

void applyChromaBlock(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                      const int32_t chroma[64], ChromaKind kind) {
    const ClippedArea area = clipArea(output, x, y, 8 * geometry.h, 8 * geometry.v);
    const bool blue = kind == ChromaKind::blueDifference;
    const int32_t colourFactor = blue ? cbToBlue : crToRed;
    const int32_t greenFactor = blue ? cbToGreen : crToGreen;
    const int colourByte = blue ? 0 : 2;
    for (int32_t row = 0; row < area.visibleHeight; ++row) {
        uint8_t* pixel = pixelAddress(output, x, y + row);
        for (int32_t column = 0; column < area.visibleWidth; ++column, pixel += 3) {
            const int32_t difference = chromaAt(chroma, geometry, row, column);
            const int32_t colour = pixel[colourByte] * fixedScale;
            const int32_t green = pixel[1] * fixedScale;
            pixel[colourByte] = clampToByte(wrapAdd(colour, divideByScale(wrapMul(difference, colourFactor))));
            pixel[1] = clampToByte(wrapSub(green, divideByScale(wrapMul(difference, greenFactor))));
        }
    }
}

void convertProgressiveMcu(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                           const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64], SimdLevel level) {
#if defined(__x86_64__)
    if (avx2TakesMcu(output, x, y, geometry, level)) {
        writeWholeProgressiveMcuAvx2(output, x, y, geometry, luma, cb, cr);
        return;
    }
#endif
    convertThroughOffsets(output, x, y, geometry, luma, cb, cr, GreenSum::dividedTogether, level);
}

}  // namespace vistello
