#include "commands/make_values.h"

#include <charconv>
#include <limits>

#include "encode/fit_picture.h"
#include "encode/jpeg_encoder.h"

namespace vistello::tools {

bool parseNumber(std::string_view text, int64_t lowest, int64_t highest, int32_t& number) {
    int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    if (value < lowest || value > highest) return false;
    number = int32_t(value);
    return true;
}

bool parseSeconds(const std::string& text, int32_t& seconds) {
    return parseNumber(text, 0, std::numeric_limits<int32_t>::max(), seconds);
}

bool parseFitBox(const std::string& text, PictureSize& box) {
    if (text == "screen") {
        box = screenFitBox;
        return true;
    }
    const size_t cross = text.find_first_of("xX");
    if (cross == std::string::npos) return false;
    const std::string_view whole(text);
    return parseNumber(whole.substr(0, cross), 1, jpegMaximumSide, box.width) &&
           parseNumber(whole.substr(cross + 1), 1, jpegMaximumSide, box.height);
}

std::string secondsMessage(const std::string& text) {
    return "--auto-exit: '" + text + "' is not a number of seconds from 0 to 2147483647";
}

std::string fitBoxMessage(const std::string& text) {
    return "--fit: '" + text + "' is neither WxH (two whole numbers of pixels from 1 to " +
           std::to_string(jpegMaximumSide) + ", such as 1280x960) nor screen";
}

}  // namespace vistello::tools
