#pragma once
// A decoded image made away from the window (by the encoder's fit, the tool's checks and
// previews): it releases its section and palette through the seam that made them when it goes.
// The seam is the caller's and outlives it.
#include "raster/decoded_image.h"
#include "raster/dib_seam.h"

namespace vistello {

class DecodedPicture {
public:
    explicit DecodedPicture(DibSeam& dibSeam) : seam(dibSeam) {}
    DecodedPicture(const DecodedPicture&) = delete;
    DecodedPicture& operator=(const DecodedPicture&) = delete;
    ~DecodedPicture() { releaseDecodedImage(image, seam); }

    DibSeam& seam;
    DecodedImage image;
};

}  // namespace vistello
