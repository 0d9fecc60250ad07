#pragma once
// Upsampling and colour conversion of transformed blocks (samples at scale 1024) into the DIB.
// Components are told apart by their position in the frame: first luma, then Cb, then Cr.
// Chroma is replicated, never interpolated.
#include <cstdint>

#include "jpeg/jpeg_output.h"
#include "jpeg/jpeg_simd.h"

namespace vistello {

// Geometry of one MCU of a frame whose first component has h x v blocks (1..2 each) and whose
// other components have one block: luma block j lies at block row j / h, column j % h; the
// chroma sample of pixel (row, column) of the MCU is (row / v, column / h).
struct McuGeometry {
    int32_t h = 1;
    int32_t v = 1;
};

// One 8 x 8 block of luma written as grey pixels at (x, y).
void writeGreyBlock(const JpegOutput& output, int64_t x, int64_t y, const int32_t samples[64]);

// An interleaved MCU at (x, y). Cb sets blue and keeps Y - Cb x 352 / 1024 in the green store;
// Cr then sets red and green from that store. Without Cr (a two-component frame) only the
// blue bytes are written. level is a usable level (usableSimdLevel); every level writes the
// same bytes.
void convertInterleavedMcu(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                           const int32_t luma[][64], const int32_t cb[64], const int32_t* cr,
                           SimdLevel level = usableSimdLevel(SimdLevel::best));

// One chroma block of a scan with fewer components than the frame, applied to the pixels that
// earlier scans wrote: each sample covers h x v pixels, and the byte just written is the
// starting point (so green is clamped between the Cb and the Cr step).
enum class ChromaKind : uint8_t { blueDifference = 2, redDifference = 3 };
void applyChromaBlock(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                      const int32_t chroma[64], ChromaKind kind);

// One MCU of the progressive end stage: both green products are summed before one division.
void convertProgressiveMcu(const JpegOutput& output, int64_t x, int64_t y, McuGeometry geometry,
                           const int32_t* const luma[4], const int32_t cb[64], const int32_t cr[64],
                           SimdLevel level = usableSimdLevel(SimdLevel::best));

}  // namespace vistello
