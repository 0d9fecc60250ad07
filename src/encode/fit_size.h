#pragma once
// The size a picture is scaled to so that it fits a box.
#include "encode/bgr_image.h"

namespace vistello {

// The size of the picture scaled down, keeping its aspect ratio, until it lies inside the box;
// the picture's own size when it already does (pictures are never enlarged). The side that
// limits the scale gets the box's length exactly; the other side is the picture's side times
// the same factor, rounded to the nearest whole pixel (halves up), and at least 1. So
// 6000 x 4000 in 1600 x 900 gives 1350 x 900, and 1000 x 3 in 100 x 100 gives 100 x 1.
// Sizes and box must be positive.
[[nodiscard]] PictureSize fitInside(PictureSize picture, PictureSize box);

}  // namespace vistello
