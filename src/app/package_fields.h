#pragma once
// The values a picture package carries ahead of its picture (three texts, the settings, the
// link and the picture length), as the readers fill them. Texts are the stored bytes (code
// page 932), never converted; numbers are the stored int32 (package_codes.h names them).
//
// The initial values are the picture window's start values: they stand for a package that has
// not been read, and stay for a picture named on the command line, which has no package.
#include <cstdint>
#include <string>

#include "app/package_codes.h"

namespace vistello {

// The two values the package stores in the link flag and the enclosed-file flag.
inline constexpr int32_t packageFlagPresent = 1;
inline constexpr int32_t packageFlagAbsent = -1;

// Start values without a counterpart in a written package: nothing counts down, and a link
// timing no name covers opens no link.
inline constexpr int32_t unreadAutoExitSeconds = -1;
inline constexpr int32_t unreadLinkTiming = 0;

struct PackageFields {
    std::string windowTitle;
    std::string workTitle;
    std::string commentText;
    int32_t autoExitSeconds = unreadAutoExitSeconds;
    int32_t zOrderMode = storedCode(ZOrderMode::normal);
    int32_t startPosition = storedCode(StartPosition::centre);
    int32_t captionMode = captionModeTitleBar;
    int32_t autoCommentFlag = autoCommentOff;
    int32_t linkFlag = packageFlagAbsent;
    int32_t linkTiming = unreadLinkTiming;
    std::string linkTarget;
    std::string linkParameters;
    int32_t enclosedFileFlag = packageFlagAbsent;
    int32_t pictureLength = 0;
};

}  // namespace vistello
