#pragma once
// The 24-bit bottom-up DIB the decoder writes into, and the clipped pixel writers of the
// colour conversion. Every write is kept inside width x height.
#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace vistello {

struct JpegOutput {            // the 24-bit bottom-up DIB the decoder writes into
    uint8_t* origin;           // first byte of the picture's TOP row (= last row in memory)
    int32_t stride;            // bytes per DIB row; one picture row down = origin - stride
    int32_t width;             // DIB width in pixels (padded): every write is clipped to width x height
    int32_t height;            // DIB height in rows (padded)
};

// A rectangle of an MCU or block that lies inside the DIB: pixels [0, visibleWidth) x
// [0, visibleHeight) from (x, y). Empty when the area is entirely outside.
struct ClippedArea {
    int32_t visibleWidth = 0;
    int32_t visibleHeight = 0;
    [[nodiscard]] bool empty() const { return visibleWidth <= 0 || visibleHeight <= 0; }
};

// Inline: the decoder asks once or twice per MCU.
[[nodiscard]] inline ClippedArea clipArea(const JpegOutput& output, int64_t x, int64_t y, int32_t width, int32_t height) {
    ClippedArea area;
    if (output.origin == nullptr || x < 0 || y < 0 || x >= output.width || y >= output.height) return area;
    area.visibleWidth = static_cast<int32_t>(std::min<int64_t>(width, output.width - x));
    area.visibleHeight = static_cast<int32_t>(std::min<int64_t>(height, output.height - y));
    return area;
}

// Address of pixel (x, y) counted from the picture's top-left; only for pixels inside the DIB.
[[nodiscard]] inline uint8_t* pixelAddress(const JpegOutput& output, int64_t x, int64_t y) {
    return output.origin - static_cast<ptrdiff_t>(y) * output.stride + static_cast<ptrdiff_t>(x) * 3;
}

}  // namespace vistello
