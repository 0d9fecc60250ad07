// The program's package-offset constant. The build stamps the built file's own length into
// its nine bytes (cmake/stamp-package-offset.pl), so a program file without a package holds
// its own length, and a package appended to a copy starts exactly there. It is volatile so
// that the compiler reads the stamped bytes from the file instead of folding the zeros below.
#include "app/win32/package_offset_constant.h"

extern "C" const volatile vistello::PackageOffsetRecord vistelloPackageOffsetRecord = {
    "VISTELLO:PKGOFS",  // the tag of app/package_offset.h, which must occur only here
    {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

namespace vistello {

std::array<uint8_t, packageOffsetSize> programPackageOffset() {
    std::array<uint8_t, packageOffsetSize> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = vistelloPackageOffsetRecord.offset[i];
    return bytes;
}

}  // namespace vistello
