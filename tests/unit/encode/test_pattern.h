#pragma once
// A picture with smooth gradients, rings, edges and grain, the same on every run and every
// platform (integer arithmetic only).
#include <cstdint>

#include "encode/bgr_image.h"

namespace vistello::test {

BgrImage patternPicture(int32_t width, int32_t height);

}  // namespace vistello::test
