#pragma once
// The numbers make takes as option values, read the one way: the command line and the
// authoring window accept the same texts and refuse the others with the same message.
#include <cstdint>
#include <string>
#include <string_view>

#include "encode/bgr_image.h"

namespace vistello::tools {

// A whole decimal number from lowest to highest, and nothing else.
[[nodiscard]] bool parseNumber(std::string_view text, int64_t lowest, int64_t highest, int32_t& number);
// Seconds from 0 to 2147483647.
[[nodiscard]] bool parseSeconds(const std::string& text, int32_t& seconds);
// "screen", or "WxH" with sides of 1 to 65535 pixels (the most a JPEG file holds).
[[nodiscard]] bool parseFitBox(const std::string& text, PictureSize& box);

// make's messages for a value it refuses.
std::string secondsMessage(const std::string& text);
std::string fitBoxMessage(const std::string& text);

}  // namespace vistello::tools
