#pragma once
// Reads a JPEG stream up to its first frame header to learn the size of the DIB to create.
#include <cstddef>
#include <cstdint>

#include "common/message_seam.h"

namespace vistello {

struct FrameProbeResult {
    int32_t paddedWidth = 0;    // 8 x maxH x ceil(width / (8 x maxH))
    int32_t paddedHeight = 0;   // 8 x maxV x ceil(height / (8 x maxV))
    uint8_t componentCount = 0; // Nf
    uint32_t imageWidth = 0;    // X of the frame header the probe read
    uint32_t imageHeight = 0;   // Y of that frame header
};

// Reads only up to the first frame header. Shows "このファイルは表示出来ません。" through the seam where
// the probe rules say so; false without a message otherwise.
[[nodiscard]] bool probeJpeg(const uint8_t* data, size_t length, MessageSeam& messages, FrameProbeResult& result);

}  // namespace vistello
