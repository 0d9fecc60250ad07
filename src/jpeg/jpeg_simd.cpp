#include "jpeg/jpeg_simd.h"

namespace vistello {

SimdLevel widestSimdLevel() {
#if defined(__x86_64__) && defined(__GNUC__)
    static const SimdLevel widest = __builtin_cpu_supports("avx2")     ? SimdLevel::avx2
                                    : __builtin_cpu_supports("sse4.1") ? SimdLevel::sse41
                                                                       : SimdLevel::sse2;
    return widest;
#else
    return SimdLevel::scalar;
#endif
}

SimdLevel usableSimdLevel(SimdLevel requested) {
    const SimdLevel widest = widestSimdLevel();
    return requested == SimdLevel::best || requested > widest ? widest : requested;
}

}  // namespace vistello
