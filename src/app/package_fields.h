#pragma once
// The values a picture package carries ahead of its picture (three texts, the settings, the
// link and the picture length), as the readers fill them. Texts are the stored bytes (code
// page 932), never converted. The initial values are the picture window's construction values,
// which stand for a package that has not been read (or a picture given on the command line).
#include <cstdint>
#include <string>

namespace vistello {

struct PackageFields {
    std::string windowTitle;
    std::string workTitle;
    std::string commentText;
    int32_t autoExitSeconds = -1;
    int32_t zOrderMode = 1;
    int32_t startPosition = 3;
    int32_t captionMode = 0;
    int32_t autoCommentFlag = 0;
    int32_t linkFlag = -1;
    int32_t linkTiming = 0;
    std::string linkTarget;
    std::string linkParameters;
    int32_t enclosedFileFlag = -1;
    int32_t pictureLength = 0;
};

// The two values the package stores in the link flag and the enclosed-file flag.
inline constexpr int32_t packageFlagPresent = 1;
inline constexpr int32_t packageFlagAbsent = -1;

}  // namespace vistello
