#pragma once
// What every fuzz target shares: the input and picture limits, which keep the time on the
// parsing (the paths of larger and of refused huge pictures are covered by the unit tests), and
// a message seam that shows nothing.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/message_seam.h"
#include "jpeg/jpeg_probe.h"

namespace vistello::fuzz {

inline constexpr size_t maxInputBytes = size_t(1) << 20;
inline constexpr uint64_t maxPixels = uint64_t(1) << 20;  // one megapixel

// True for a width x height picture of at least one and at most maxPixels pixels; the product
// is formed in 64 bits from the unsigned sizes, so no header can overflow it.
inline bool withinPixelCap(uint64_t width, uint64_t height) {
    const uint64_t pixels = width * height;
    return pixels != 0 && pixels <= maxPixels && width <= UINT32_MAX && height <= UINT32_MAX;
}

// The padded frame of a probe within the cap.
inline bool probeWithinPixelCap(const FrameProbeResult& probe) {
    return withinPixelCap(uint32_t(probe.paddedWidth), uint32_t(probe.paddedHeight));
}

class SilentMessages final : public MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

}  // namespace vistello::fuzz
