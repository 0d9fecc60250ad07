#pragma once
// The colour conversion of whole MCUs built for AVX2 (jpeg_color_avx2.cpp, compiled with
// -mavx2); jpeg_color.cpp calls it only on processors that have AVX2.
#include <cstdint>

#include "jpeg/jpeg_color.h"

namespace vistello {

// How the two green products of a chroma sample are divided: one at a time (interleaved
// MCUs) or summed first (the progressive end stage).
enum class GreenSum : uint8_t { dividedApart, dividedTogether };

// An MCU of h x v luma blocks (geometry 1..2 each) that lies wholly inside the DIB at (x, y),
// with its Cb and Cr blocks: the same bytes as the scalar conversion. Interleaved MCUs keep
// their luma blocks in one array and divide the green products apart; the progressive end
// stage passes one pointer per block and sums the green products first.
void writeWholeInterleavedMcuAvx2(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                                  const int32_t luma[][64], const int32_t cb[64], const int32_t cr[64]);
void writeWholeProgressiveMcuAvx2(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                                  const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64]);

}  // namespace vistello
