#pragma once
// Small BMP files that the unit, command-line and Windows tests build alike.
#include <cstdint>
#include <vector>

namespace vistello::test {

// 2 x 2 pixels of 5-6-5 bit fields: a 40-byte header, compression 3, the masks F800 07E0 001F,
// every pixel F81F. The program reads the words as 5-5-5, so the picture check warns about it.
inline std::vector<uint8_t> rgb565Bmp() {
    std::vector<uint8_t> bmp = {'B', 'M', 74, 0, 0, 0, 0, 0, 0, 0, 66, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0,
                                1, 0, 16, 0, 3, 0, 0, 0, 8, 0, 0, 0};
    bmp.resize(54, 0);
    for (const uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) {
        for (int i = 0; i < 4; ++i) bmp.push_back(uint8_t(mask >> (8 * i)));
    }
    for (int i = 0; i < 4; ++i) bmp.insert(bmp.end(), {0x1F, 0xF8});
    return bmp;
}

}  // namespace vistello::test
