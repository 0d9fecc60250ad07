#pragma once
// The eight Exif orientations applied to pixels. A stored orientation tells how the camera
// held the picture; applying it turns and mirrors the rows so the picture stands upright.
#include <cstdint>

#include "encode/bgr_image.h"

namespace vistello {

// Orientation values (Exif tag 0x0112): where the stored picture's first row and first column
// belong in the upright picture.
enum class Orientation : int32_t {
    upright = 1,             // as stored
    mirrored = 2,            // mirror left and right
    upsideDown = 3,          // turn 180 degrees
    mirroredUpsideDown = 4,  // mirror top and bottom
    transposed = 5,          // mirror along the top-left to bottom-right diagonal
    turnedLeft = 6,          // stored turned a quarter left: turn a quarter clockwise
    transverse = 7,          // mirror along the other diagonal
    turnedRight = 8,         // stored turned a quarter right: turn a quarter anticlockwise
};

[[nodiscard]] constexpr bool isOrientation(int32_t value) { return value >= 1 && value <= 8; }

// Orientations 5 to 8 exchange width and height.
[[nodiscard]] constexpr bool swapsSides(Orientation orientation) {
    return int32_t(orientation) >= int32_t(Orientation::transposed);
}

[[nodiscard]] constexpr PictureSize orientedSize(PictureSize stored, Orientation orientation) {
    return swapsSides(orientation) ? PictureSize{stored.height, stored.width} : stored;
}

// The picture upright: a new image of orientedSize(source.size(), orientation).
[[nodiscard]] BgrImage applyOrientation(const BgrView& source, Orientation orientation);

}  // namespace vistello
