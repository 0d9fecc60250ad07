// Differential target: the fast entropy decoder with the widest instruction set, on one thread
// and on two (the threaded paths forced even for small pictures), must give the same result,
// the same pixels and the same messages as the bit-serial reference decoder with the scalar
// transform and colour conversion on one thread and 32-bit progressive stores, for every input.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_limits.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"

namespace {

class RecordingSeam : public vistello::MessageSeam {
public:
    void showMessage(const std::string& text) override { messages += text + "\n"; }
    void setMainWindowTitle(const std::string& text) override { messages += "title " + text + "\n"; }
    std::string messages;
};

struct Outcome {
    int result = 0;
    std::vector<uint8_t> dib;
    std::string messages;
};

struct Settings {
    vistello::EntropyPath path;
    vistello::SimdLevel simd;
    uint32_t threads;
    bool narrowStores;
    uint32_t queuedBatchMcus = 64;   // 1: both threads draw baseline scans of small pictures
};

Outcome decode(const uint8_t* data, size_t size, const vistello::FrameProbeResult& probe, Settings settings) {
    Outcome outcome;
    RecordingSeam seam;
    const int32_t stride = probe.paddedWidth * 3;
    outcome.dib.assign(size_t(stride) * size_t(probe.paddedHeight), 0);
    vistello::JpegDecoder decoder(seam);
    decoder.entropyPath = settings.path;
    decoder.simd = settings.simd;
    decoder.threads = settings.threads;
    decoder.threadedMinimumPixels = 0;
    decoder.queuedBatchMcus = settings.queuedBatchMcus;
    decoder.narrowCoefficientStores = settings.narrowStores;
    uint8_t* origin = outcome.dib.data() + size_t(probe.paddedHeight - 1) * size_t(stride);
    outcome.result = decoder.decodeJpeg(data, size, {origin, stride, probe.paddedWidth, probe.paddedHeight});
    outcome.messages = seam.messages;
    return outcome;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vistello::fuzz;
    if (size > maxInputBytes) return 0;
    SilentMessages probeSeam;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(data, size, probeSeam, probe) || !probeWithinPixelCap(probe)) return 0;
    using vistello::EntropyPath;
    using vistello::SimdLevel;
    const Outcome reference = decode(data, size, probe, {EntropyPath::reference, SimdLevel::scalar, 1, false});
    const Settings fastSettings[] = {
        {EntropyPath::fast, SimdLevel::best, 1, true},
        {EntropyPath::fast, SimdLevel::best, 2, true},
        {EntropyPath::fast, SimdLevel::best, 2, true, 1},
    };
    for (const Settings& settings : fastSettings) {
        const Outcome fast = decode(data, size, probe, settings);
        if (fast.result != reference.result || fast.dib != reference.dib || fast.messages != reference.messages) std::abort();
    }
    // The reference entropy path on two threads: restart scans split between the threads and the
    // progressive scans decoded by the helper run it too.
    const Outcome twoThreads = decode(data, size, probe, {EntropyPath::reference, SimdLevel::scalar, 2, true});
    if (twoThreads.result != reference.result || twoThreads.dib != reference.dib || twoThreads.messages != reference.messages) std::abort();
    return 0;
}
