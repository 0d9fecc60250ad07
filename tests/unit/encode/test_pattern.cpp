#include "test_pattern.h"

#include <algorithm>

namespace vistello::test {

BgrImage patternPicture(int32_t width, int32_t height) {
    BgrImage picture(width, height);
    uint32_t noise = 12345;
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = picture.row(y);
        for (int32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const int32_t grain = int32_t(noise >> 27) - 16;
            const int32_t dx = x - width / 3;
            const int32_t dy = y - height / 2;
            const int32_t ring = (dx * dx + dy * dy) / 7 % 64;
            const bool square = (x / 9 + y / 9) % 2 == 0;
            row[3 * x] = uint8_t(std::clamp(x * 255 / std::max(1, width - 1) + grain, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(y * 255 / std::max(1, height - 1) + ring - 32, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp((square ? 200 : 40) + grain, 0, 255));
        }
    }
    return picture;
}

}  // namespace vistello::test
