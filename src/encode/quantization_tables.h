#pragma once
// The quantisation tables the encoder writes: the example tables of the JPEG standard (ITU-T
// T.81, Annex K.1), scaled by a quality from 1 to 100.
#include <array>
#include <cstdint>

#include "encode/forward_dct.h"

namespace vistello {

inline constexpr int32_t minimumJpegQuality = 1;
inline constexpr int32_t maximumJpegQuality = 100;
inline constexpr int32_t defaultJpegQuality = 90;

// Natural (row-major) order.
extern const std::array<uint8_t, blockSize> standardLuminanceTable;
extern const std::array<uint8_t, blockSize> standardChrominanceTable;

// Quality q gives the percentage s = 5000 / q below 50 and 200 - 2q from 50 on; each entry
// becomes (base x s + 50) / 100, kept within 1 ... 255 (baseline tables hold bytes). So 50
// gives the tables as printed and 100 gives all ones. The quality is first kept within 1 ... 100.
[[nodiscard]] std::array<uint16_t, blockSize> scaledQuantizationTable(const std::array<uint8_t, blockSize>& base,
                                                                      int32_t quality);

}  // namespace vistello
