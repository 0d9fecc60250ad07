#include "encode/orientation_transform.h"

#include <cstring>

namespace vistello {
namespace {

// Where the upright picture's pixel (0, 0) comes from in the stored picture, and how the
// stored position moves for one step right and one step down in the upright picture.
struct SourceWalk {
    int32_t startX, startY;
    int32_t rightDx, rightDy;
    int32_t downDx, downDy;
};

SourceWalk walkFor(Orientation orientation, int32_t width, int32_t height) {
    const int32_t lastX = width - 1;
    const int32_t lastY = height - 1;
    switch (orientation) {
    case Orientation::upright: return {0, 0, 1, 0, 0, 1};
    case Orientation::mirrored: return {lastX, 0, -1, 0, 0, 1};
    case Orientation::upsideDown: return {lastX, lastY, -1, 0, 0, -1};
    case Orientation::mirroredUpsideDown: return {0, lastY, 1, 0, 0, -1};
    case Orientation::transposed: return {0, 0, 0, 1, 1, 0};
    case Orientation::turnedLeft: return {0, lastY, 0, -1, 1, 0};
    case Orientation::transverse: return {lastX, lastY, 0, -1, -1, 0};
    case Orientation::turnedRight: return {lastX, 0, 0, 1, -1, 0};
    }
    return {0, 0, 1, 0, 0, 1};
}

}  // namespace

BgrImage applyOrientation(const BgrView& source, Orientation orientation) {
    const PictureSize size = orientedSize(source.size(), orientation);
    BgrImage result(size.width, size.height);
    if (size.width <= 0 || size.height <= 0) return result;
    const SourceWalk walk = walkFor(orientation, source.width, source.height);
    // A step right in the result is a step of this many bytes in the source.
    const ptrdiff_t rightStep = ptrdiff_t(walk.rightDx) * bgrBytesPerPixel + ptrdiff_t(walk.rightDy) * source.stride;
    for (int32_t y = 0; y < size.height; ++y) {
        const int32_t x0 = walk.startX + y * walk.downDx;
        const int32_t y0 = walk.startY + y * walk.downDy;
        const uint8_t* from = source.row(y0) + ptrdiff_t(x0) * bgrBytesPerPixel;
        uint8_t* to = result.row(y);
        if (rightStep == bgrBytesPerPixel) {
            std::memcpy(to, from, size_t(size.width) * bgrBytesPerPixel);
            continue;
        }
        for (int32_t x = 0; x < size.width; ++x, to += bgrBytesPerPixel) {
            const uint8_t* pixel = from + ptrdiff_t(x) * rightStep;
            to[0] = pixel[0];
            to[1] = pixel[1];
            to[2] = pixel[2];
        }
    }
    return result;
}

}  // namespace vistello
