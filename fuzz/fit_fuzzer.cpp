// The fit's own arithmetic over every size: a picture of up to 512 x 512 pixels, a box, a
// quality and an orientation taken from the input, turned and scaled as the tool would, then
// encoded. The encoded picture must decode whole, by our decoder, at the planned size.
// (The decoders that make the tool's pictures have fuzz targets of their own.)
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "encode/fit_picture.h"
#include "encode/jpeg_encoder.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

using namespace vistello;

namespace {

constexpr size_t headerSize = 10;
constexpr int32_t largestSide = 512;

class CountedMessages final : public MessageSeam {
public:
    void showMessage(const std::string&) override { ++count; }
    void setMainWindowTitle(const std::string&) override {}
    int count = 0;
};

int32_t u16At(const uint8_t* p) { return int32_t(p[0] | p[1] << 8); }

void decodeOrDie(const std::vector<uint8_t>& jpeg, PictureSize expected) {
    MemoryDibSeam seam;
    CountedMessages messages;
    DecodedImage image;
    if (!allocatePaletteBuffer(image)) return;
    image.displayDepth = 24;
    ImageKind kind = ImageKind::none;
    bool whole = false;
    const bool loaded = loadPicture(jpeg.data(), jpeg.size(), image, seam, messages, kind, &whole);
    const bool right = loaded && whole && messages.count == 0 && image.imageInfo[imageInfoWidth] == expected.width &&
                       image.imageInfo[imageInfoHeight] == expected.height;
    releaseDecodedImage(image, seam);
    if (!right) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < headerSize) return 0;
    const PictureSize stored{1 + u16At(data) % largestSide, 1 + u16At(data + 2) % largestSide};
    FitRequest request;
    request.box = {u16At(data + 4) % (largestSide + 1), u16At(data + 6) % (largestSide + 1)};
    request.quality = 1 + data[8] % 100;
    request.orientation = 1 + data[9] % 8;
    if (!checkFitRequest(request).empty()) return 0;
    // The pixels: the rest of the input over and over, or black.
    BgrImage picture(stored.width, stored.height);
    const size_t available = size - headerSize;
    for (size_t i = 0; available > 0 && i < picture.pixels.size(); ++i) picture.pixels[i] = data[headerSize + i % available];

    const FitPlan plan = planFit(stored, request);
    const BgrImage fitted = applyFitPlan(picture.view(), plan);
    if (!(fitted.size() == plan.output)) std::abort();
    if (plan.output.width > plan.upright.width || plan.output.height > plan.upright.height) std::abort();
    std::vector<uint8_t> jpeg;
    if (!encodeJpeg(fitted.view(), request.quality, jpeg)) std::abort();
    decodeOrDie(jpeg, plan.output);
    return 0;
}
