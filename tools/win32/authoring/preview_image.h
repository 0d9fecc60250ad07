#pragma once
// The authoring window's preview: the picture's rows as GDI takes them, painted centred in the
// preview box with halftone stretching, the box's own colour around it.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "encode/bgr_image.h"

namespace vistello::tools::win32 {

class PreviewImage {
public:
    // Takes the picture (an empty one clears the preview).
    void show(const BgrImage& picture);
    void clear();
    void paint(HDC dc, const RECT& box) const;

private:
    int32_t width_ = 0;
    int32_t height_ = 0;
    std::vector<uint8_t> rows_;  // from the top, each padded to 4 bytes
};

}  // namespace vistello::tools::win32
