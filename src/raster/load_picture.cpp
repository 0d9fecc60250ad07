#include "raster/load_picture.h"

#include "raster/bmp_reader.h"

namespace vistello {
namespace {

constexpr uint8_t bmpFirstByte = 'B';
constexpr uint8_t bmpSecondByte = 'M';
constexpr uint8_t jpegFirstByte = 0xFF;
constexpr uint8_t jpegSecondByte = 0xD8;  // the second byte of the SOI marker

}  // namespace

bool loadBmp(ByteReader& file, DecodedImage& image, DibSeam& seam) { return readBmp(file, image, seam); }

bool loadPicture(const uint8_t* bytes, size_t length, DecodedImage& image, DibSeam& seam, MessageSeam& messages,
                 ImageKind& kind, bool* jpegDecodedWhole) {
    if (jpegDecodedWhole) *jpegDecodedWhole = false;
    ByteReader file(bytes, length);
    uint8_t start[2] = {0, 0};
    // Fewer than two bytes leave zeros, which match neither start.
    (void)file.read(start, sizeof start);
    file.seek(0);
    if (start[0] == bmpFirstByte) {
        if (start[1] != bmpSecondByte) return false;
        const bool loaded = loadBmp(file, image, seam);
        kind = ImageKind::bmp;
        return loaded;
    }
    if (start[0] == jpegFirstByte && start[1] == jpegSecondByte) {
        const bool loaded = loadJpeg(bytes, length, image, seam, messages, jpegDecodedWhole);
        kind = ImageKind::jpeg;
        return loaded;
    }
    return false;
}

}  // namespace vistello
