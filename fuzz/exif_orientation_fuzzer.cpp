// The Exif orientation reader over arbitrary bytes: it walks the markers before the first scan
// and one TIFF directory, and whatever the bytes it answers 1 to 8 without reading past them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "encode/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const int32_t orientation = vistello::readExifOrientation({data, size});
    if (orientation < 1 || orientation > 8) std::abort();
    return 0;
}
