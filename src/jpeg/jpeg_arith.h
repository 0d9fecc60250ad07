#pragma once
// 32-bit fixed-point arithmetic of the decoder. Crafted data can drive coefficients, products
// and sums past the int32 range; every such operation wraps as two's complement, computed in
// unsigned arithmetic so that it is defined behaviour and the same on every compiler.
#include <cstdint>

#include "jpeg/jpeg_tables.h"

namespace vistello {

[[nodiscard]] inline int32_t wrapAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
[[nodiscard]] inline int32_t wrapSub(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
[[nodiscard]] inline int32_t wrapMul(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) * static_cast<uint32_t>(b));
}
// value x 2^shift, wrapping (shift 0..15 from a scan header's Al).
[[nodiscard]] inline int32_t wrapShiftLeft(int32_t value, uint32_t shift) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) << shift);
}
// Division by the fixed-point scale, truncating toward zero (not a shift: they differ for
// negative values).
[[nodiscard]] inline int32_t divideByScale(int32_t value) { return value / fixedScale; }

// A sample at scale 1024 to a byte: below 0 is 0, 255 x 1024 and above is 255, otherwise
// value >> 10. Written as a clamp to [0, 255 x 1024] and a shift, which gives the same bytes
// without branches.
[[nodiscard]] inline uint8_t clampToByte(int32_t value) {
    const int32_t clamped = value < 0 ? 0 : (value > sampleMaxScaled ? sampleMaxScaled : value);
    return static_cast<uint8_t>(clamped >> 10);
}

}  // namespace vistello
