// JPEG probe and decode, as the program runs them on a picture: probe, a zeroed DIB of the
// padded size (at most one megapixel), decode, then every output byte is read so that any
// uninitialised byte shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_limits.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"

using namespace vistello::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInputBytes) return 0;
    SilentMessages seam;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(data, size, seam, probe) || !probeWithinPixelCap(probe)) return 0;
    const int32_t stride = probe.paddedWidth * 3;
    std::vector<uint8_t> dib(size_t(stride) * size_t(probe.paddedHeight), 0);
    vistello::JpegDecoder decoder(seam);
    uint8_t* origin = dib.data() + size_t(probe.paddedHeight - 1) * size_t(stride);
    const int result = decoder.decodeJpeg(data, size, {origin, stride, probe.paddedWidth, probe.paddedHeight});
    uint32_t sum = uint32_t(result);
    for (uint8_t byte : dib) sum += byte;
    volatile uint32_t sink = sum;
    (void)sink;
    return 0;
}
