#include "screen_capture.h"

#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace vistello::test {

Pixels captureClient(HWND window) {
    Pixels pixels;
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    pixels.width = client.right;
    pixels.height = client.bottom;
    if (pixels.width <= 0 || pixels.height <= 0) return pixels;

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = pixels.width;
    info.bmiHeader.biHeight = -pixels.height;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, pixels.width, pixels.height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    const size_t stride = (size_t(pixels.width) * 3 + 3) & ~size_t(3);
    pixels.bgr.resize(size_t(pixels.width) * size_t(pixels.height) * 3);
    for (int y = 0; y < pixels.height; ++y)
        memcpy(pixels.bgr.data() + size_t(y) * size_t(pixels.width) * 3, static_cast<uint8_t*>(bits) + size_t(y) * stride,
               size_t(pixels.width) * 3);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

Pixels decodeWithCore(const std::vector<uint8_t>& picture) {
    Pixels pixels;
    MemoryDibSeam seam;
    SilentMessages messages;
    DecodedImage image;
    image.displayDepth = 24;
    ImageKind kind = ImageKind::none;
    if (!allocatePaletteBuffer(image) ||
        !loadPicture(picture.data(), picture.size(), image, seam, messages, kind) ||
        image.bitmapHeader.biBitCount != 24) {
        releaseDecodedImage(image, seam);
        return pixels;
    }
    pixels.width = image.imageInfo[imageInfoWidth];
    pixels.height = image.imageInfo[imageInfoHeight];
    pixels.bgr.resize(size_t(pixels.width) * size_t(pixels.height) * 3);
    for (int y = 0; y < pixels.height; ++y) {
        // Bottom-up DIB: the picture's row y is memory row biHeight - 1 - y.
        const uint8_t* row = image.pixelBits + size_t(image.bitmapHeader.biHeight - 1 - y) * size_t(image.bitmapStride);
        memcpy(pixels.bgr.data() + size_t(y) * size_t(pixels.width) * 3, row, size_t(pixels.width) * 3);
    }
    releaseDecodedImage(image, seam);
    return pixels;
}

size_t differingPixels(const Pixels& a, const Pixels& b) {
    if (a.width != b.width || a.height != b.height) return size_t(-1);
    size_t differing = 0;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (memcmp(a.at(x, y), b.at(x, y), 3) != 0) ++differing;
    return differing;
}

}  // namespace vistello::test
