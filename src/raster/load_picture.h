#pragma once
// The load paths: picture bytes are told apart by their first two bytes ("BM" for a BMP file,
// FF D8 for a JPEG stream) and decoded into the decoded image.
#include <cstddef>
#include <cstdint>

#include "common/byte_reader.h"
#include "common/message_seam.h"
#include "raster/decoded_image.h"
#include "raster/dib_seam.h"

namespace vistello {

enum class ImageKind : int32_t {
    none = 0,
    bmp = 66,    // the character "B"
    jpeg = 255,
};

// Probes the frame header, makes a 24-bit section of the MCU-padded size, decodes into it and,
// on a 256-colour display, converts it to the halftone form. Once the section exists the
// result does not depend on how far the decoder got: an early stop leaves the rest black.
// decodedWhole, when given, tells whether the decoder reached the end of the stream.
[[nodiscard]] bool loadJpeg(const uint8_t* bytes, size_t length, DecodedImage& image, DibSeam& seam,
                            MessageSeam& messages, bool* decodedWhole = nullptr);

// The BMP reader over the picture's bytes.
[[nodiscard]] bool loadBmp(ByteReader& file, DecodedImage& image, DibSeam& seam);

// Dispatches by the first two bytes. kind becomes bmp or jpeg once that path has run, whatever
// its result, and stays none when the bytes start with neither. True when the path succeeded.
// jpegDecodedWhole, when given, is set as loadJpeg's decodedWhole (false for anything else).
[[nodiscard]] bool loadPicture(const uint8_t* bytes, size_t length, DecodedImage& image, DibSeam& seam,
                               MessageSeam& messages, ImageKind& kind, bool* jpegDecodedWhole = nullptr);

}  // namespace vistello
