#include "encode/fit_picture.h"

#include <new>

#include "common/collected_messages.h"
#include "encode/decoded_pixels.h"
#include "encode/downscale.h"
#include "encode/fit_size.h"
#include "encode/jpeg_encoder.h"
#include "raster/decoded_picture.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace vistello {
namespace {

constexpr int32_t trueColourDisplayDepth = 24;

std::string decodeProblem(ImageKind kind, const CollectedMessages& messages) {
    if (kind == ImageKind::none) return "not a JPEG or BMP picture";
    std::string text = kind == ImageKind::jpeg ? "the JPEG picture cannot be decoded" : "the BMP picture cannot be read";
    for (const std::string& message : messages.texts) text += " (\"" + message + "\")";
    return text;
}

FitResult fitDecoded(std::span<const uint8_t> bytes, const FitRequest& request) {
    FitResult result;
    MemoryDibSeam seam;
    DecodedPicture decoded(seam);
    if (!allocatePaletteBuffer(decoded.image)) {
        result.problem = "out of memory";
        return result;
    }
    decoded.image.displayDepth = trueColourDisplayDepth;
    CollectedMessages messages;
    ImageKind kind = ImageKind::none;
    bool jpegWhole = false;
    if (!loadPicture(bytes.data(), bytes.size(), decoded.image, decoded.seam, messages, kind, &jpegWhole)) {
        result.problem = decodeProblem(kind, messages);
        return result;
    }
    result.decodedWhole = kind == ImageKind::bmp || jpegWhole;
    BgrImage expanded;
    BgrView source;
    if (!viewDecodedPixels(decoded.image, expanded, source)) {
        result.problem = "the decoded picture has no pixels the window can show";
        return result;
    }
    result.plan = planFit(source.size(), request);
    if (!result.plan.changesPicture()) {
        result.outcome = FitOutcome::unchanged;
        return result;
    }
    if (result.plan.output.width > jpegMaximumSide || result.plan.output.height > jpegMaximumSide) {
        result.problem = "the picture is too large for a JPEG file (at most 65535 pixels a side)";
        return result;
    }
    const BgrImage fitted = applyFitPlan(source, result.plan);
    expanded = BgrImage();
    if (!encodeJpeg(fitted.view(), request.quality, result.jpeg)) {
        result.problem = "the picture cannot be encoded";
        return result;
    }
    result.outcome = FitOutcome::encoded;
    return result;
}

}  // namespace

std::string checkFitRequest(const FitRequest& request) {
    const bool noBox = request.box.width == 0 && request.box.height == 0;
    if (!noBox && (request.box.width <= 0 || request.box.height <= 0)) return "the box must be at least 1 x 1";
    if (request.quality < minimumJpegQuality || request.quality > maximumJpegQuality) {
        return "the JPEG quality must be 1 to 100";
    }
    if (!isOrientation(request.orientation)) return "the orientation must be 1 to 8";
    return {};
}

FitPlan planFit(PictureSize stored, const FitRequest& request) {
    FitPlan plan;
    plan.stored = stored;
    plan.orientation = Orientation(request.orientation);
    plan.upright = orientedSize(stored, plan.orientation);
    const bool noBox = request.box.width == 0 && request.box.height == 0;
    plan.output = noBox ? plan.upright : fitInside(plan.upright, request.box);
    return plan;
}

BgrImage applyFitPlan(const BgrView& source, const FitPlan& plan) {
    // Turning and scaling give the same picture in either order (up to rounding), so the
    // scaling runs first, at the stored orientation, where it leaves fewer pixels to turn.
    const PictureSize scaledStored = orientedSize(plan.output, plan.orientation);
    if (!plan.scales()) return applyOrientation(source, plan.orientation);
    const BgrImage scaled = scaleDown(source, scaledStored);
    if (!plan.turns()) return scaled;
    return applyOrientation(scaled.view(), plan.orientation);
}

FitResult fitPicture(std::span<const uint8_t> picture, const FitRequest& request) {
    FitResult result;
    result.problem = checkFitRequest(request);
    if (!result.problem.empty()) return result;
    try {
        return fitDecoded(picture, request);
    } catch (const std::bad_alloc&) {
        result.problem = "out of memory";
        return result;
    }
}

}  // namespace vistello
