#pragma once
#include <array>
#include <cstdint>

#include "app/package_offset.h"

namespace vistello {

// The nine bytes of this program file's package-offset constant, as stamped by the build.
std::array<uint8_t, packageOffsetSize> programPackageOffset();

}  // namespace vistello
