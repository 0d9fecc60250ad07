// vistello-pack's picture check over arbitrary bytes: the JPEG and BMP header facts, then the
// verdict itself (the program's decode, twice, and its reasons) for pictures small enough to
// keep the runs quick. Whatever the bytes, no read leaves them and every text is well formed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "check/bmp_facts.h"
#include "check/jpeg_facts.h"
#include "check/picture_check.h"
#include "jpeg/jpeg_probe.h"

using namespace vistello::tools;

namespace {

constexpr size_t maxInputSize = 1 << 20;
constexpr uint64_t maxCheckedPixels = 1 << 16;
volatile size_t sink;

class SilentMessages final : public vistello::MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

// The size the program's decode will work on: the BMP header's, or the frame its probe finds.
bool smallEnough(std::span<const uint8_t> bytes, bool isBmp, const BmpFacts& bmp) {
    if (isBmp) return uint64_t(std::llabs(bmp.width)) * uint64_t(std::llabs(bmp.height)) <= maxCheckedPixels;
    SilentMessages messages;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(bytes.data(), bytes.size(), messages, probe)) return true;
    return uint64_t(probe.paddedWidth > 0 ? probe.paddedWidth : 0) * uint64_t(probe.paddedHeight > 0 ? probe.paddedHeight : 0) <=
           maxCheckedPixels;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > maxInputSize) return 0;
    const std::span<const uint8_t> bytes(data, size);
    const JpegFacts jpeg = readJpegFacts(bytes);
    BmpFacts bmp;
    const bool isBmp = readBmpFacts(bytes, bmp);
    size_t total = jpeg.components.size() + jpeg.scans.size();
    if (smallEnough(bytes, isBmp, bmp)) {
        const PictureReport report = checkPicture(bytes, {0, int32_t(size % 7)});
        total += report.form.size() + report.refusal.size() + report.shows.size();
        for (const auto& warning : report.warnings) total += warning.size();
    }
    sink = total;
    return 0;
}
