#include "picture_check.h"

#include <vector>

#include "raster/decoded_image.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace vistello::tools {
namespace {

// The screen depth the check decodes for: the true-colour path, which every picture takes
// on a display that is not 8 bits deep.
constexpr int32_t checkDisplayDepth = 24;

class CollectedMessages final : public MessageSeam {
public:
    void showMessage(const std::string& text) override { texts.push_back(text); }
    void setMainWindowTitle(const std::string&) override {}
    // The program's messages, quoted, for the reason given to the user.
    std::string quoted() const {
        std::string joined;
        for (const auto& text : texts) joined += (joined.empty() ? "\"" : ", \"") + text + "\"";
        return joined;
    }
    std::vector<std::string> texts;
};

std::string jpegProblem(bool loaded, const CollectedMessages& messages) {
    const std::string shown = messages.texts.empty() ? std::string()
                                                     : "; the program would show the message " + messages.quoted();
    if (!loaded) {
        if (!messages.texts.empty()) return "the JPEG frame header is invalid" + shown + " and end";
        return "the program would show no picture: the JPEG stream has no frame header it can use, or its "
               "frame is too large or 0 rows high";
    }
    return "the JPEG decoder stops before the end of the picture (for example a frame type other than baseline "
           "or progressive Huffman, or damaged data)" + shown + " and the rest of the picture would stay black";
}

}  // namespace

// Runs the same dispatch and decoders the program runs, on the native DIB seam.
bool checkPicture(std::span<const uint8_t> picture, std::string& problem) {
    MemoryDibSeam seam;
    CollectedMessages messages;
    DecodedImage image;
    if (!allocatePaletteBuffer(image)) {
        problem = "out of memory";
        return false;
    }
    image.displayDepth = checkDisplayDepth;
    ImageKind kind = ImageKind::none;
    bool jpegWhole = false;
    const bool loaded = loadPicture(picture.data(), picture.size(), image, seam, messages, kind, &jpegWhole);
    releaseDecodedImage(image, seam);
    switch (kind) {
    case ImageKind::none:
        problem = "not a JPEG or BMP file: it starts neither with FF D8 nor with \"BM\"";
        return false;
    case ImageKind::bmp:
        if (loaded) return true;
        problem = "the program's BMP reader refuses this BMP file (damaged or cut short, top-down, a header other "
                  "than the 40- or 12-byte one, more than 256 colours, or an unsupported compression or bit depth); "
                  "the program would show nothing";
        return false;
    case ImageKind::jpeg:
        if (loaded && jpegWhole) return true;
        problem = jpegProblem(loaded, messages);
        return false;
    }
    return false;
}

}  // namespace vistello::tools
