#include "win32/authoring/preview_image.h"

#include <algorithm>

#include "authoring/picture_study.h"

namespace vistello::tools::win32 {
namespace {

constexpr LONG frame = 2;  // the sunken edge inside the box

}  // namespace

void PreviewImage::show(const BgrImage& picture) {
    clear();
    if (picture.width <= 0 || picture.height <= 0) return;
    const size_t rowBytes = size_t(picture.width) * bgrBytesPerPixel;
    const size_t stride = (rowBytes + 3) & ~size_t(3);
    rows_.assign(stride * size_t(picture.height), 0);
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* row = picture.pixels.data() + size_t(y) * rowBytes;
        std::copy(row, row + rowBytes, rows_.begin() + std::ptrdiff_t(stride * size_t(y)));
    }
    width_ = picture.width;
    height_ = picture.height;
}

void PreviewImage::clear() {
    rows_.clear();
    width_ = 0;
    height_ = 0;
}

void PreviewImage::paint(HDC dc, const RECT& box) const {
    FillRect(dc, &box, GetSysColorBrush(COLOR_APPWORKSPACE));
    if (rows_.empty()) return;
    const LONG boxWidth = box.right - box.left - 2 * frame;
    const LONG boxHeight = box.bottom - box.top - 2 * frame;
    const PictureSize shown = previewSize({width_, height_}, {boxWidth, boxHeight});
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width_;
    info.bmiHeader.biHeight = -height_;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    const int x = box.left + frame + (boxWidth - shown.width) / 2;
    const int y = box.top + frame + (boxHeight - shown.height) / 2;
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, x, y, shown.width, shown.height, 0, 0, width_, height_, rows_.data(), &info, DIB_RGB_COLORS, SRCCOPY);
}

}  // namespace vistello::tools::win32
