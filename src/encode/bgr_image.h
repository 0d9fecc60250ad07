#pragma once
// Pictures as the authoring side scales, turns and encodes them: rows of blue, green and red
// bytes, the picture's top row first.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vistello {

inline constexpr int32_t bgrBytesPerPixel = 3;

struct PictureSize {
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PictureSize&, const PictureSize&) = default;
};

// Borrowed pixels. The stride runs from one row to the row below it in the picture; it is
// negative for the bottom-up rows of a DIB section.
struct BgrView {
    const uint8_t* top = nullptr;  // first byte of the picture's top row
    ptrdiff_t stride = 0;
    int32_t width = 0;
    int32_t height = 0;

    [[nodiscard]] const uint8_t* row(int32_t y) const { return top + ptrdiff_t(y) * stride; }
    [[nodiscard]] PictureSize size() const { return {width, height}; }
};

// Owned pixels: rows of exactly 3 x width bytes, top-down, no padding.
struct BgrImage {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> pixels;

    BgrImage() = default;
    BgrImage(int32_t pictureWidth, int32_t pictureHeight)
        : width(pictureWidth), height(pictureHeight),
          pixels(size_t(pictureWidth) * size_t(pictureHeight) * bgrBytesPerPixel) {}

    [[nodiscard]] ptrdiff_t stride() const { return ptrdiff_t(width) * bgrBytesPerPixel; }
    [[nodiscard]] uint8_t* row(int32_t y) { return pixels.data() + ptrdiff_t(y) * stride(); }
    [[nodiscard]] BgrView view() const { return {pixels.data(), stride(), width, height}; }
    [[nodiscard]] PictureSize size() const { return {width, height}; }
};

}  // namespace vistello
