#pragma once
// The instruction set levels of the transform and the colour conversion, and which of them the
// processor running the decoder has.
#include <cstdint>

namespace vistello {

// Every level gives the same bytes. best is the widest the processor has; a level the
// processor lacks falls back to the widest one below it that it has.
enum class SimdLevel : uint8_t { scalar, sse2, sse41, avx2, best };

// The widest level this processor runs (scalar off x86-64).
[[nodiscard]] SimdLevel widestSimdLevel();
// The level a decode that asks for `requested` uses: never above widestSimdLevel(), never best.
[[nodiscard]] SimdLevel usableSimdLevel(SimdLevel requested);

}  // namespace vistello
