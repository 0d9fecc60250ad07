// Whole MCUs converted eight lanes at a time. The chroma offsets of a sample row are computed
// once in one register and serve every pixel of that row that shares them (two rows, and two
// neighbouring pixels, in 4:2:0). The clamp is a shift and two saturating packs. Rows of eight
// pixels are put in place with one byte shuffle and one dword permutation before two stores;
// rows of sixteen (two luma blocks side by side) are packed together and leave with one 32-byte
// and one 16-byte store, exactly the 48 bytes of the row.
#include "jpeg/jpeg_color_avx2.h"

#if defined(__AVX2__)
#include <immintrin.h>

#include <cstddef>

namespace vistello {
namespace {

constexpr int32_t cbToBlue = 1815;   // 1.772 x 1024
constexpr int32_t cbToGreen = 352;   // 0.34414 x 1024
constexpr int32_t crToRed = 1436;    // 1.402 x 1024
constexpr int32_t crToGreen = 731;   // 0.71414 x 1024

inline __m256i load(const int32_t* values) { return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(values)); }
// One multiplication instruction per product: the factor is hidden from the optimiser, which
// would otherwise spell some of them as five shifts and adds.
inline __m256i times(__m256i a, int32_t factor) {
    __m256i factors = _mm256_set1_epi32(factor);
#if defined(__GNUC__)
    __asm__("" : "+x"(factors));
#endif
    return _mm256_mullo_epi32(a, factors);
}

// Division by 1024 truncating toward zero: the magnitude shifted, the sign put back. INT32_MIN
// has no positive counterpart, but its magnitude read as unsigned is 2^31, and 2^21 negated is
// the right quotient.
inline __m256i divide(__m256i x) { return _mm256_sign_epi32(_mm256_srli_epi32(_mm256_abs_epi32(x), 10), x); }

struct RowOffsets {   // what one row of eight chroma samples adds to blue and red, takes from green
    __m256i blue;
    __m256i green;
    __m256i red;
};

template <GreenSum sum>
inline RowOffsets rowOffsets(const int32_t* cb, const int32_t* cr) {
    const __m256i b = load(cb);
    const __m256i r = load(cr);
    RowOffsets offsets;
    offsets.blue = divide(times(b, cbToBlue));
    offsets.red = divide(times(r, crToRed));
    if constexpr (sum == GreenSum::dividedApart) {
        offsets.green = _mm256_add_epi32(divide(times(b, cbToGreen)), divide(times(r, crToGreen)));
    } else {
        offsets.green = divide(_mm256_add_epi32(times(b, cbToGreen), times(r, crToGreen)));
    }
    return offsets;
}

// Each offset of a row serving two neighbouring pixels: samples 0..3 for the left block,
// 4..7 for the right one.
inline __m256i duplicateLow(__m256i v) { return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(0, 0, 1, 1, 2, 2, 3, 3)); }
inline __m256i duplicateHigh(__m256i v) { return _mm256_permutevar8x32_epi32(v, _mm256_setr_epi32(4, 4, 5, 5, 6, 6, 7, 7)); }

// Luma plus offset at scale 1024, before the clamp. srai by 10 and the saturating packs give
// exactly clampToByte: negative sums become 0, sums of 255 x 1024 and more 255.
inline __m256i scaled(__m256i sum) { return _mm256_srai_epi32(sum, 10); }

// Eight pixels: luma (eight lanes) with the offsets of each pixel, as 24 bytes blue, green, red.
inline void storeEight(uint8_t* pixel, __m256i luma, const RowOffsets& offsets) {
    const __m256i b = scaled(_mm256_add_epi32(luma, offsets.blue));
    const __m256i g = scaled(_mm256_sub_epi32(luma, offsets.green));
    const __m256i r = scaled(_mm256_add_epi32(luma, offsets.red));
    // Per 128-bit half: b0..3 g0..3 r0..3 0 0 0 0 (bytes).
    const __m256i bytes = _mm256_packus_epi16(_mm256_packs_epi32(b, g), _mm256_packs_epi32(r, _mm256_setzero_si256()));
    const __m256i order = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1,
                                           0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
    const __m256i interleaved = _mm256_shuffle_epi8(bytes, order);
    const __m256i packed = _mm256_permutevar8x32_epi32(interleaved, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 7));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), _mm256_castsi256_si128(packed));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pixel + 16), _mm256_extracti128_si256(packed, 1));
}

// Offsets of sixteen pixels in two registers: the left eight and the right eight.
struct WideOffsets {
    RowOffsets left;
    RowOffsets right;
};

inline WideOffsets widened(const RowOffsets& offsets) {
    return WideOffsets{{duplicateLow(offsets.blue), duplicateLow(offsets.green), duplicateLow(offsets.red)},
                       {duplicateHigh(offsets.blue), duplicateHigh(offsets.green), duplicateHigh(offsets.red)}};
}

// Sixteen pixels of one row, luma of the left and the right block, as 48 bytes blue, green, red.
// In dwords of four bytes (one colour of four pixels), the 128-bit half k of the packs holds
// pixels 4k..4k+3 ("L") and 8+4k..8+4k+3 ("R"):
//   blueRed = B.L B.R R.L R.R   and   green = G.R G.L G.R G.L,
// so taking dword 1 from green gives B.L G.L R.L, dword 0 gives B.R G.R R.R; a byte shuffle
// interleaves each into twelve bytes, and two dword permutations join the halves in row order.
inline void storeSixteen(uint8_t* pixel, __m256i left, __m256i right, const WideOffsets& offsets) {
    const __m256i blue = _mm256_packs_epi32(scaled(_mm256_add_epi32(left, offsets.left.blue)),
                                            scaled(_mm256_add_epi32(right, offsets.right.blue)));
    const __m256i red = _mm256_packs_epi32(scaled(_mm256_add_epi32(left, offsets.left.red)),
                                           scaled(_mm256_add_epi32(right, offsets.right.red)));
    const __m256i greenWords = _mm256_packs_epi32(scaled(_mm256_sub_epi32(right, offsets.right.green)),
                                                  scaled(_mm256_sub_epi32(left, offsets.left.green)));
    const __m256i blueRed = _mm256_packus_epi16(blue, red);
    const __m256i green = _mm256_packus_epi16(greenWords, greenWords);
    const __m256i leftOrder = _mm256_setr_epi8(0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1,
                                               0, 4, 8, 1, 5, 9, 2, 6, 10, 3, 7, 11, -1, -1, -1, -1);
    const __m256i rightOrder = _mm256_setr_epi8(4, 0, 12, 5, 1, 13, 6, 2, 14, 7, 3, 15, -1, -1, -1, -1,
                                                4, 0, 12, 5, 1, 13, 6, 2, 14, 7, 3, 15, -1, -1, -1, -1);
    // Twelve bytes per half: pixels 0..3 and 4..7, then 8..11 and 12..15.
    const __m256i leftPixels = _mm256_shuffle_epi8(_mm256_blend_epi32(blueRed, green, 0x22), leftOrder);
    const __m256i rightPixels = _mm256_shuffle_epi8(_mm256_blend_epi32(blueRed, green, 0x11), rightOrder);
    const __m256i first = _mm256_blend_epi32(_mm256_permutevar8x32_epi32(leftPixels, _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 6, 6)),
                                             _mm256_permutevar8x32_epi32(rightPixels, _mm256_setr_epi32(0, 0, 0, 0, 0, 0, 0, 1)),
                                             0xC0);
    const __m256i last = _mm256_permutevar8x32_epi32(rightPixels, _mm256_setr_epi32(2, 4, 5, 6, 2, 4, 5, 6));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixel), first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel + 32), _mm256_castsi256_si128(last));
}

// Luma blocks as the interleaved scans keep them (one array, block after block) and as the
// progressive end stage hands them over (one pointer per block).
using LumaArray = const int32_t (*)[64];
using LumaPointers = const int32_t* const*;

// One MCU, block row by block row: each sample row's offsets are computed once and serve v
// picture rows; the destination moves down one DIB row at a time.
template <int h, int v, GreenSum sum, typename Luma>
void writeMcu(const JpegOutput& output, int64_t x, int64_t y, Luma luma, const int32_t cb[64], const int32_t cr[64]) {
    const ptrdiff_t rowDown = -static_cast<ptrdiff_t>(output.stride);
    uint8_t* pixel = pixelAddress(output, x, y);
    for (int blockRow = 0; blockRow < v; ++blockRow) {
        const int32_t* left = luma[blockRow * h];
        const int32_t* right = luma[blockRow * h + h - 1];
        const int32_t* cbRow = cb + blockRow * 32 * (v - 1);
        const int32_t* crRow = cr + blockRow * 32 * (v - 1);
        // Unrolled: the counters and jumps of eight short iterations cost more than the code.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC unroll 8
#endif
        for (int sampleRow = 0; sampleRow < 8 / v; ++sampleRow, cbRow += 8, crRow += 8) {
            const RowOffsets offsets = rowOffsets<sum>(cbRow, crRow);
            if constexpr (h == 1) {
                for (int repeat = 0; repeat < v; ++repeat, left += 8, pixel += rowDown) storeEight(pixel, load(left), offsets);
            } else {
                const WideOffsets wide = widened(offsets);
                for (int repeat = 0; repeat < v; ++repeat, left += 8, right += 8, pixel += rowDown) {
                    storeSixteen(pixel, load(left), load(right), wide);
                }
            }
        }
    }
}

template <typename Luma>
using McuWriter = void (*)(const JpegOutput&, int64_t, int64_t, Luma, const int32_t[64], const int32_t[64]);

// Indexed by (h - 1) + 2 x (v - 1): one table look-up per MCU.
constexpr McuWriter<LumaArray> interleavedWriters[4] = {
    writeMcu<1, 1, GreenSum::dividedApart, LumaArray>, writeMcu<2, 1, GreenSum::dividedApart, LumaArray>,
    writeMcu<1, 2, GreenSum::dividedApart, LumaArray>, writeMcu<2, 2, GreenSum::dividedApart, LumaArray>};
constexpr McuWriter<LumaPointers> progressiveWriters[4] = {
    writeMcu<1, 1, GreenSum::dividedTogether, LumaPointers>, writeMcu<2, 1, GreenSum::dividedTogether, LumaPointers>,
    writeMcu<1, 2, GreenSum::dividedTogether, LumaPointers>, writeMcu<2, 2, GreenSum::dividedTogether, LumaPointers>};

// The table index of a shape, or 4 for one outside 1..2 x 1..2.
inline uint32_t shapeIndex(McuGeometry geometry) {
    const uint32_t column = static_cast<uint32_t>(geometry.h - 1);
    const uint32_t row = static_cast<uint32_t>(geometry.v - 1);
    return column > 1 || row > 1 ? 4 : column + 2 * row;
}

}  // namespace

void writeWholeInterleavedMcuAvx2(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                                  const int32_t luma[][64], const int32_t cb[64], const int32_t cr[64]) {
    const uint32_t shape = shapeIndex(geometry);
    if (shape < 4) interleavedWriters[shape](output, x, y, luma, cb, cr);
}

void writeWholeProgressiveMcuAvx2(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                                  const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64]) {
    const uint32_t shape = shapeIndex(geometry);
    if (shape < 4) progressiveWriters[shape](output, x, y, luma, cb, cr);
}

}  // namespace vistello
#endif
