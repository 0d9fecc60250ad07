// The vector inverse transform built for SSE4.1 (32-bit multiply-low); jpeg_idct.cpp calls it
// when the processor has SSE4.1. This file is compiled with -msse4.1.
#include "jpeg/jpeg_idct.h"

#if defined(__SSE2__)
#include "jpeg/jpeg_idct_lanes.h"

namespace vistello {

void transformBlockSse41(int32_t block[64], const int32_t quantTable[64], int32_t levelShift) {
    transformBlockLanes(block, quantTable, levelShift);
}

}  // namespace vistello
#endif
