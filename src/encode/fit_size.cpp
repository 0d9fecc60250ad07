#include "encode/fit_size.h"

#include <algorithm>

namespace vistello {
namespace {

// side x numerator / denominator rounded to nearest, halves up, at least 1; in 64 bits,
// where the products of two 32-bit sides cannot overflow.
int32_t scaledSide(int32_t side, int32_t numerator, int32_t denominator) {
    const int64_t scaled = (2 * int64_t(side) * numerator + denominator) / (2 * int64_t(denominator));
    return int32_t(std::max<int64_t>(scaled, 1));
}

}  // namespace

PictureSize fitInside(PictureSize picture, PictureSize box) {
    if (picture.width <= box.width && picture.height <= box.height) return picture;
    // The width limits when width / box.width >= height / box.height.
    if (int64_t(picture.width) * box.height >= int64_t(picture.height) * box.width) {
        return {box.width, scaledSide(picture.height, box.width, picture.width)};
    }
    return {scaledSide(picture.width, box.height, picture.height), box.height};
}

}  // namespace vistello
