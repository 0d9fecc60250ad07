#pragma once
// What the program will show of a picture: make refuses a picture the program would not show
// whole (make --force packs it anyway), warns where the program shows it otherwise than a
// viewer does, and info reports the same. The verdict comes from the program's own decode
// (check/program_decode.h); the header facts only name its reason.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "check/window_fit.h"

namespace vistello::tools {

struct PictureReport {
    std::string kind;       // "JPEG", "BMP" or "unknown"
    std::string form;       // "baseline, 4:2:0" or "24 bits per pixel, uncompressed"
    int32_t width = 0;      // 0 when the headers do not tell
    int32_t height = 0;
    bool shownWhole = false;
    std::string refusal;    // the one reason the program does not show it whole
    std::string shows;      // what the program shows instead
    std::vector<std::string> warnings;  // shown whole, but not as a viewer shows it
    // Those of the warnings that are about the colours the program gives the pixels: they
    // stay true of a picture re-encoded from what the program shows.
    std::vector<std::string> colourWarnings;
    std::vector<std::string> messages;  // the program's message boxes while it loads the picture
};

PictureReport checkPicture(std::span<const uint8_t> picture, const WindowSettings& settings);

}  // namespace vistello::tools
