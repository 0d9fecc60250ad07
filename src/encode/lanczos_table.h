#pragma once
// The three-lobe Lanczos kernel as integers (made by make_lanczos_table.py).
#include <cstdint>

namespace vistello {

inline constexpr int32_t lanczosLobes = 3;           // the kernel is 0 from |x| = 3 on
inline constexpr int32_t lanczosStepsPerUnit = 64;   // table points per unit of x
inline constexpr int32_t lanczosOne = 16384;         // the kernel's value at 0
inline constexpr int32_t lanczosTableSize = lanczosLobes * lanczosStepsPerUnit + 1;

// sinc(x) * sinc(x / 3) x 16384 at x = k / 64, k = 0 ... 192.
extern const int16_t lanczosTable[lanczosTableSize];

}  // namespace vistello
