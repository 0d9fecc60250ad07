#pragma once
// What the authoring window shows of a chosen picture: its size and kind, the picture check's
// verdict and warnings (as make gives them), and a preview decoded by our own decoders and
// scaled down into a box. Portable and slow for a large picture: the window runs it on a
// worker thread.
#include <cstdint>
#include <string>
#include <vector>

#include "check/picture_check.h"
#include "encode/bgr_image.h"
#include "platform/files.h"

namespace vistello::tools {

struct PictureStudy {
    bool read = false;        // the file could be read: report holds the check's verdict
    std::string problem;      // why it could not be read
    PictureReport report;
    BgrImage preview;         // empty when the picture cannot be decoded
};

// Reads the picture (bounded as make reads it), checks it for the window settings and decodes
// a preview that fits previewBox (never larger than the picture).
PictureStudy studyPicture(FileSystem& files, const std::string& path, const WindowSettings& settings, PictureSize previewBox);

// The largest size of the picture's proportions inside box, at most the picture's own.
PictureSize fitInside(PictureSize picture, PictureSize box);

// The lines the window shows under the preview: size and kind, then the verdict with
// make's wording, then each warning.
std::string sizeAndKind(const PictureReport& report);
std::vector<std::string> verdictLines(const std::string& path, const PictureReport& report);

}  // namespace vistello::tools
