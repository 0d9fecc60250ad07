// The picture dispatch over arbitrary bytes, at the two display depths that take different
// paths: "BM" goes to the BMP reader, FF D8 to the JPEG load path. Whatever the bytes, every
// byte of the decoded image and of the BMP file written from it is touched, and nothing the
// load made outlives the release.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_limits.h"
#include "jpeg/jpeg_probe.h"
#include "raster/bmp_writer.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

using namespace vistello;

namespace {

using namespace vistello::fuzz;

constexpr uint64_t maxSectionBytes = 8 << 20;

volatile uint32_t byteSink;

void touch(const uint8_t* bytes, size_t size) {
    uint32_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum += bytes[i];
    byteSink = sum;
}

uint32_t u32At(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// Pictures above a megapixel are skipped before decoding, so time goes to the parsing; bytes
// that are no picture go on to be refused by the load.
bool smallEnough(const uint8_t* data, size_t size) {
    uint64_t width = 0, height = 0;
    if (size >= 26 && data[0] == 'B' && data[1] == 'M' && u32At(data + 14) == 40) {
        width = uint64_t(std::llabs(int32_t(u32At(data + 18))));
        height = uint64_t(std::llabs(int32_t(u32At(data + 22))));
    } else if (size >= 22 && data[0] == 'B' && data[1] == 'M' && u32At(data + 14) == 12) {
        width = uint64_t(data[18] | data[19] << 8);
        height = uint64_t(data[20] | data[21] << 8);
    } else if (size >= 2 && data[0] == 0xFF && data[1] == 0xD8) {
        SilentMessages messages;
        FrameProbeResult probe;
        if (!probeJpeg(data, size, messages, probe)) return true;
        width = uint64_t(probe.paddedWidth > 0 ? probe.paddedWidth : 0);
        height = uint64_t(probe.paddedHeight > 0 ? probe.paddedHeight : 0);
    }
    return width * height == 0 || withinPixelCap(width, height);
}

void load(const uint8_t* data, size_t size, int32_t displayDepth) {
    MemoryDibSeam seam;
    seam.sectionByteLimit = maxSectionBytes;
    SilentMessages messages;
    DecodedImage image;
    if (!allocatePaletteBuffer(image)) return;
    image.displayDepth = displayDepth;
    ImageKind kind = ImageKind::none;
    if (loadPicture(data, size, image, seam, messages, kind)) {
        touch(image.pixelBits, size_t(image.bitmapHeader.biHeight) * size_t(image.bitmapStride));
        ByteBuffer file;
        if (encodeBmpFile(image, file)) touch(file.data(), file.size());
    }
    releaseDecodedImage(image, seam);
    if (seam.liveBitmaps() != 0 || seam.livePalettes() != 0 || seam.unknownDeletes() != 0) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInputBytes || !smallEnough(data, size)) return 0;
    load(data, size, 24);
    load(data, size, 8);
    return 0;
}
