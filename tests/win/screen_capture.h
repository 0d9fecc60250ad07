#pragma once
// Pixels as the screen shows them, and the picture as our own decoder decodes it, both as
// top-down rows of blue, green, red bytes.
#include <windows.h>

#include <cstdint>
#include <vector>

#include "common/message_seam.h"

namespace vistello::test {

// The decoders' messages, dropped: the tests decode pictures the program shows silently.
class SilentMessages final : public MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

struct Pixels {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> bgr;  // width x height x 3, top row first
    const uint8_t* at(int x, int y) const { return bgr.data() + (size_t(y) * size_t(width) + size_t(x)) * 3; }
};

// The window's client area as the screen shows it.
Pixels captureClient(HWND window);
// The picture decoded by the core (24-bit display), cut to its real size.
Pixels decodeWithCore(const std::vector<uint8_t>& picture);
// Number of pixels whose bytes differ.
size_t differingPixels(const Pixels& a, const Pixels& b);

}  // namespace vistello::test
