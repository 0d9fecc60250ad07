// JPEG probe and decode, as the program runs them on a picture: probe, a zeroed DIB of the
// padded size (at most one megapixel), decode, then every output byte is read so that any
// uninitialised byte shows up under the sanitizers.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"

namespace {

class SilentSeam : public vistello::MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

constexpr size_t maxInputBytes = size_t(1) << 20;
constexpr uint64_t maxPixels = uint64_t(1) << 20;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInputBytes) return 0;
    SilentSeam seam;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(data, size, seam, probe)) return 0;
    const uint64_t pixels = uint64_t(uint32_t(probe.paddedWidth)) * uint32_t(probe.paddedHeight);
    if (pixels == 0 || pixels > maxPixels) return 0;
    const int32_t stride = probe.paddedWidth * 3;
    std::vector<uint8_t> dib(size_t(pixels) * 3, 0);
    vistello::JpegDecoder decoder(seam);
    uint8_t* origin = dib.data() + size_t(probe.paddedHeight - 1) * size_t(stride);
    const int result = decoder.decodeJpeg(data, size, {origin, stride, probe.paddedWidth, probe.paddedHeight});
    uint32_t sum = uint32_t(result);
    for (uint8_t byte : dib) sum += byte;
    volatile uint32_t sink = sum;
    (void)sink;
    return 0;
}
