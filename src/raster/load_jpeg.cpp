#include <limits>

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"
#include "raster/load_picture.h"

namespace vistello {
namespace {

constexpr uint16_t jpegBitCount = 24;

void setJpegHeader(BitmapInfoHeader& header, const FrameProbeResult& probe) {
    header = {};
    header.biSize = bitmapInfoHeaderSize;
    header.biWidth = probe.paddedWidth;
    header.biHeight = probe.paddedHeight;  // positive: bottom-up
    header.biPlanes = 1;
    header.biBitCount = jpegBitCount;
    header.biCompression = biRgb;
}

// The image info holds the frame's own size, read by the probe, and the component count in
// the low byte of its entry.
void setJpegImageInfo(DecodedImage& image, const FrameProbeResult& probe) {
    const auto clamp = [](uint32_t value) {
        return int32_t(value > uint32_t(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                             : value);
    };
    image.imageInfo[imageInfoWidth] = clamp(probe.imageWidth);
    image.imageInfo[imageInfoHeight] = clamp(probe.imageHeight);
    const uint32_t components = (uint32_t(image.imageInfo[imageInfoComponents]) & ~uint32_t(0xFF)) |
                                probe.componentCount;
    image.imageInfo[imageInfoComponents] = int32_t(components);
    image.imageInfo[imageInfoReserved] = 0;
}

}  // namespace

bool loadJpeg(const uint8_t* bytes, size_t length, DecodedImage& image, DibSeam& seam, MessageSeam& messages,
              bool* decodedWhole) {
    if (decodedWhole) *decodedWhole = false;
    FrameProbeResult probe;
    if (!probeJpeg(bytes, length, messages, probe)) return false;
    setJpegHeader(image.bitmapHeader, probe);
    // A padded height of 0 (a frame that leaves its height to a later marker) or a section
    // above the size limit cannot be made: the load fails as when the system refuses.
    if (!makeDibSection(image, seam)) return false;

    const int32_t height = image.bitmapHeader.biHeight;
    const JpegOutput output{image.pixelBits + ptrdiff_t(height - 1) * image.bitmapStride, image.bitmapStride,
                            image.bitmapHeader.biWidth, height};
    {
        JpegDecoder decoder(messages);
        // How far the decoder got does not change the outcome: what it wrote is shown, the
        // rest of the new section stays black.
        const int decoded = decoder.decodeJpeg(bytes, length, output);
        if (decodedWhole) *decodedWhole = decoded != 0;
    }
    setJpegImageInfo(image, probe);

    if (image.displayDepth == paletteDisplayDepth) {
        return halftoneConversion(image, seam, image.pixelBits, image.bitmapStride);
    }
    return true;
}

}  // namespace vistello
