// On a 256-colour display the program shows the halftone form of the picture. Wine shows only
// the 20 system colours on such a screen, so the test reads what the program made instead:
// the decoded image as the wallpaper command writes it (an 8-bit DIB of halftone indices
// with the halftone palette as its colour table). This test runs under its own CTest entry
// on an 8-bit Xvfb (VISTELLO_SCREEN_DEPTH=8).
#include <gtest/gtest.h>

#include "picture_programs.h"
#include "program_runner.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"
#include "resources/resource.h"
#include "screen_capture.h"

namespace vistello::test {
namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t u16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

TEST(EightBitDisplay, TheDecodedImageIsTheHalftoneFormOfThePicture) {
    HDC screen = GetDC(nullptr);
    const int depth = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(depth, 8) << "this test needs the 256-colour screen";

    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "eight.exe", samplePackage()));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(clientSize(window).cx, 480);
    const std::string written = folder.file("eight.BMP");
    PostMessageA(window, WM_COMMAND, IDM_WALLPAPER_CENTRE, 0);
    ASSERT_TRUE(waitUntil([&] { return readWholeFile(written).size() >= 1078; }));
    std::vector<uint8_t> bmp;
    waitUntil([&] { return (bmp = readWholeFile(written)).size() == 1078 + 480u * 360u; });
    ASSERT_EQ(bmp.size(), 1078 + 480u * 360u);
    EXPECT_EQ(u16(bmp, 28), 8) << "biBitCount: the halftone form";
    EXPECT_EQ(u32(bmp, 10), 1078u) << "bfOffBits: 256 colours";

    // The colour table is the system's halftone palette.
    HDC dc = GetDC(nullptr);
    HPALETTE halftone = CreateHalftonePalette(dc);
    PALETTEENTRY entries[256] = {};
    GetPaletteEntries(halftone, 0, 256, entries);
    DeleteObject(halftone);
    ReleaseDC(nullptr, dc);
    int differentColours = 0;
    for (size_t i = 0; i < 256; ++i) {
        const uint8_t* quad = bmp.data() + 54 + 4 * i;
        if (quad[0] != entries[i].peBlue || quad[1] != entries[i].peGreen || quad[2] != entries[i].peRed) ++differentColours;
    }
    EXPECT_EQ(differentColours, 0);

    // The indices are those of our own halftone conversion of the decoded picture.
    MemoryDibSeam seam;
    SilentMessages messages;
    DecodedImage image;
    image.displayDepth = 8;
    ImageKind kind = ImageKind::none;
    const auto picture = samplePicture();
    ASSERT_TRUE(allocatePaletteBuffer(image));
    ASSERT_TRUE(loadPicture(picture.data(), picture.size(), image, seam, messages, kind));
    ASSERT_EQ(image.bitmapHeader.biBitCount, 8);
    size_t differing = 0;
    for (int row = 0; row < 360; ++row) {  // bottom row first in both
        const uint8_t* expected = image.pixelBits + size_t(image.bitmapHeader.biHeight - 360 + row) * size_t(image.bitmapStride);
        const uint8_t* actual = bmp.data() + 1078 + size_t(row) * 480;
        for (int x = 0; x < 480; ++x) differing += expected[x] != actual[x];
    }
    releaseDecodedImage(image, seam);
    EXPECT_EQ(differing, 0u);
}

}  // namespace
}  // namespace vistello::test
