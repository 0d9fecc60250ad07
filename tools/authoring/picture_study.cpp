#include "authoring/picture_study.h"

#include "commands/run_files.h"
#include "common/collected_messages.h"
#include "encode/decoded_pixels.h"
#include "encode/downscale.h"
#include "encode/exif_orientation.h"
#include "encode/fit_picture.h"
#include "encode/fit_size.h"
#include "raster/decoded_picture.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr int32_t trueColourDisplayDepth = 24;

BgrImage decodePreview(const std::vector<uint8_t>& bytes, PictureSize box) {
    MemoryDibSeam seam;
    DecodedPicture decoded(seam);
    if (!allocatePaletteBuffer(decoded.image)) return {};
    decoded.image.displayDepth = trueColourDisplayDepth;
    CollectedMessages messages;  // the verdict beside the preview already says what went wrong
    ImageKind kind = ImageKind::none;
    if (!loadPicture(bytes.data(), bytes.size(), decoded.image, decoded.seam, messages, kind)) return {};
    BgrImage expanded;
    BgrView view;
    if (!viewDecodedPixels(decoded.image, expanded, view) || view.width <= 0 || view.height <= 0) return {};
    const PictureSize target = previewSize(view.size(), box);
    if (target.width <= 0 || target.height <= 0) return {};
    return scaleDown(view, target);
}

}  // namespace

PictureSize previewSize(PictureSize picture, PictureSize box) {
    if (picture.width <= 0 || picture.height <= 0 || box.width <= 0 || box.height <= 0) return {0, 0};
    return vistello::fitInside(picture, box);
}

PictureStudy studyPicture(FileSystem& files, const std::string& path, const WindowSettings& settings, PictureSize previewBox,
                          const FitChoice& fit) {
    PictureStudy study;
    RunInput input;
    std::vector<uint8_t> bytes;
    if (!openRunInput(files, "the picture", path, maxItemBytes, "the 2147483647 bytes a package holds", input, study.problem) ||
        !readWholeInput(*input.file, bytes, path, study.problem))
        return study;
    study.read = true;
    study.original = checkPicture(bytes, settings);
    study.report = study.original;
    if (fit.upright || !(fit.box == PictureSize{0, 0})) {
        FitRequest request;
        request.box = fit.box;
        request.quality = fit.quality;
        request.orientation = fit.upright ? readExifOrientation(bytes) : int32_t(Orientation::upright);
        const PictureSize size{study.original.width, study.original.height};
        if (size.width > 0 && size.height > 0 && planFit(size, request).changesPicture()) {
            FitResult result = fitPicture(bytes, request);
            if (result.outcome == FitOutcome::failed) {
                study.fitProblem = result.problem;
            } else if (result.outcome == FitOutcome::encoded) {
                study.fitted = describeFit(result.plan);
                bytes = std::move(result.jpeg);
                study.report = checkPicture(bytes, settings);
            }
        }
    }
    try {
        study.preview = decodePreview(bytes, previewBox);
    } catch (const std::bad_alloc&) {
        study.preview = BgrImage();  // no preview; the verdict stands
    }
    return study;
}

std::string sizeAndKind(const PictureReport& report) {
    std::string text = report.kind;
    if (!report.form.empty()) text += " (" + report.form + ")";
    if (report.width > 0 && report.height > 0)
        text = std::to_string(report.width) + " x " + std::to_string(report.height) + ", " + text;
    return text;
}

std::string pictureLine(const PictureStudy& study) {
    return sizeAndKind(study.original) + (study.fitted.empty() ? "" : "; " + study.fitted);
}

std::vector<std::string> verdictLines(const std::string& path, const PictureReport& report) {
    std::vector<std::string> lines;
    if (report.shownWhole) {
        lines.push_back("プログラムはこの画像をそのまま表示します。 The program shows this picture whole.");
    } else {
        lines.push_back(displayUtf8(path) + ": the program would not show this picture whole: " + report.refusal +
                        "; it would show " + report.shows);
    }
    for (const auto& warning : report.warnings) lines.push_back("warning: " + warning);
    return lines;
}

}  // namespace vistello::tools
