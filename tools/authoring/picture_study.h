#pragma once
// What the authoring window shows of a chosen picture: its size and kind, the picture check's
// verdict and warnings (as make gives them), and a preview decoded by our own decoders and
// scaled down into a box. Portable and slow for a large picture: the window runs it on a
// worker thread.
#include <cstdint>
#include <string>
#include <vector>

#include "check/picture_check.h"
#include "commands/make_program.h"
#include "encode/bgr_image.h"
#include "platform/files.h"

namespace vistello::tools {

struct PictureStudy {
    bool read = false;        // the file could be read: report holds the check's verdict
    std::string problem;      // why it could not be read
    PictureReport report;     // of the picture make packs: the fitted one when fitting changes it
    PictureReport original;   // of the author's picture
    std::string fitted;       // what fitting does ("fitted 6000 x 4000 to 1350 x 900"), or empty
    std::string fitProblem;   // why the picture cannot be fitted, or empty
    BgrImage preview;         // of the picture make packs; empty when it cannot be decoded
};

// Reads the picture (bounded as make reads it), fits it as make would with fit, checks what
// make would pack for the window settings and decodes a preview of it that fits previewBox
// (never larger than the picture).
PictureStudy studyPicture(FileSystem& files, const std::string& path, const WindowSettings& settings, PictureSize previewBox,
                          const FitChoice& fit = {});

// The size a preview of the picture is drawn at inside box: fitInside's (the proportions kept,
// never enlarged), or 0 x 0 when the picture or the box is empty.
PictureSize previewSize(PictureSize picture, PictureSize box);

// The lines the window shows under the preview: size and kind, then the verdict with
// make's wording, then each warning.
std::string sizeAndKind(const PictureReport& report);
// The author's picture's size and kind, and what fitting does to it.
std::string pictureLine(const PictureStudy& study);
std::vector<std::string> verdictLines(const std::string& path, const PictureReport& report);

}  // namespace vistello::tools
