// Whole MCUs converted eight pixels at a time: the chroma offsets of a block row in one register,
// the clamp as a shift and two saturating packs, and the blue-green-red bytes put in place with
// one byte shuffle and one dword permutation before two stores.
#include "jpeg/jpeg_color_avx2.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include "jpeg/jpeg_arith.h"

namespace vistello {
namespace {

constexpr int32_t cbToBlue = 1815;   // 1.772 x 1024
constexpr int32_t cbToGreen = 352;   // 0.34414 x 1024
constexpr int32_t crToRed = 1436;    // 1.402 x 1024
constexpr int32_t crToGreen = 731;   // 0.71414 x 1024

inline __m256i load(const int32_t* values) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values)); }
inline __m256i times(__m256i a, int32_t factor) { return _mm256_mullo_epi32(a, _mm256_set1_epi32(factor)); }

// Division by 1024 truncating toward zero (negative values biased by 1023 before the shift).
inline __m256i divide(__m256i x) {
    const __m256i bias = _mm256_srli_epi32(_mm256_srai_epi32(x, 31), 32 - 10);
    return _mm256_srai_epi32(_mm256_add_epi32(x, bias), 10);
}

struct RowOffsets {   // what one row of eight chroma samples adds to blue and red, takes from green
    __m256i blue;
    __m256i green;
    __m256i red;
};

inline RowOffsets rowOffsets(const int32_t* cb, const int32_t* cr, GreenSum sum) {
    const __m256i b = load(cb);
    const __m256i r = load(cr);
    RowOffsets offsets;
    offsets.blue = divide(times(b, cbToBlue));
    offsets.red = divide(times(r, crToRed));
    offsets.green = sum == GreenSum::dividedApart
                        ? _mm256_add_epi32(divide(times(b, cbToGreen)), divide(times(r, crToGreen)))
                        : divide(_mm256_add_epi32(times(b, cbToGreen), times(r, crToGreen)));
    return offsets;
}

// Eight pixels: luma (eight lanes) with the offsets of each pixel, as 24 bytes blue, green, red.
// srai by 10 and the saturating packs give exactly clampToByte: negative sums become 0, sums
// of 255 x 1024 and more 255.
inline void storeEight(uint8_t* pixel, __m256i luma, __m256i blue, __m256i green, __m256i red) {
    const __m256i b = _mm256_srai_epi32(_mm256_add_epi32(luma, blue), 10);
    const __m256i g = _mm256_srai_epi32(_mm256_sub_epi32(luma, green), 10);
    const __m256i r = _mm256_srai_epi32(_mm256_add_epi32(luma, red), 10);
    // Per 128-bit half: b0..3 g0..3 r0..3 0 0 0 0 (bytes).
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(b, g), _mm256_packs_epi32(r, _mm256_setzero_si256()));
    const __m256i order = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1,
                                           0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
    const __m256i interleaved = _mm256_shuffle_epi8(bytes, order);
    const __m256i packed = _mm256_permutevar8x32_epi32(interleaved, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pixel + 16), _mm256_extracti128_si256(packed, 1));
}

inline __m256i duplicateLow(__m256i v) { return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)); }
inline __m256i duplicateHigh(__m256i v) { return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7)); }

template <int h, int v>
void writeMcu(const JpegOutput& output, int64_t x, int64_t y, const int32_t* const luma[4], const int32_t cb[64],
              const int32_t cr[64], GreenSum sum) {
    for (int sampleRow = 0; sampleRow < 8; ++sampleRow) {
        const RowOffsets offsets = rowOffsets(cb + sampleRow * 8, cr + sampleRow * 8, sum);
        for (int repeat = 0; repeat < v; ++repeat) {
            const int row = sampleRow * v + repeat;
            uint8_t* pixel = pixelAddress(output, x, y + row);
            const int32_t* const* blocks = luma + (row >> 3) * h;
            const int lumaRow = (row & 7) * 8;
            if constexpr (h == 1) {
                storeEight(pixel, load(blocks[0] + lumaRow), offsets.blue, offsets.green, offsets.red);
            } else {
                storeEight(pixel, load(blocks[0] + lumaRow), duplicateLow(offsets.blue), duplicateLow(offsets.green),
                           duplicateLow(offsets.red));
                storeEight(pixel + 24, load(blocks[1] + lumaRow), duplicateHigh(offsets.blue),
                           duplicateHigh(offsets.green), duplicateHigh(offsets.red));
            }
        }
    }
}

}  // namespace

void writeWholeColourMcuAvx2(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                             const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64], GreenSum sum) {
    if (geometry.h == 1 && geometry.v == 1) writeMcu<1, 1>(output, x, y, luma, cb, cr, sum);
    else if (geometry.h == 2 && geometry.v == 1) writeMcu<2, 1>(output, x, y, luma, cb, cr, sum);
    else if (geometry.h == 1 && geometry.v == 2) writeMcu<1, 2>(output, x, y, luma, cb, cr, sum);
    else if (geometry.h == 2 && geometry.v == 2) writeMcu<2, 2>(output, x, y, luma, cb, cr, sum);
}

}  // namespace vistello
#endif
