// vistello-pack decode: a picture file decoded by the program's own decoders and written as
// the BMP file the program itself would write from its decoded image.
#include <charconv>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "arguments.h"
#include "commands.h"
#include "file_io.h"
#include "raster/bmp_writer.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "decode";

constexpr char decodeHelp[] = R"(Usage: vistello-pack decode PICTURE OUT.bmp [--display-depth N]

Decodes PICTURE (a JPEG or BMP file, told apart by its first two bytes as the program does)
with the program's own decoders and writes the decoded image to OUT.bmp as the program
writes it: the picture's real width and height, rows bottom-up, a colour table for 8 bits
per pixel and fewer.
  --display-depth N   bits per pixel of the screen to decode for (default 24); 8 gives the
                      256-colour form, dithered to the halftone palette

The messages the program would show while decoding are printed on standard error.

Exit status: 0 written (also when the decoder stopped early: the rest of the picture is
black, as the program shows it), 1 no picture (a file the program would not show) or a file
that cannot be read or written, 2 usage error.
)";

constexpr int32_t defaultDisplayDepth = 24;
constexpr int32_t maxDisplayDepth = 32;

// The program's message boxes and caption, printed instead.
class PrintedMessages final : public MessageSeam {
public:
    void showMessage(const std::string& text) override {
        std::fprintf(stderr, "vistello-pack %s: message: %s\n", command, text.c_str());
    }
    void setMainWindowTitle(const std::string&) override {}
};

struct Options {
    std::string picture;
    std::string output;
    int32_t displayDepth = defaultDisplayDepth;
};

[[nodiscard]] bool parseDepth(const std::string& text, int32_t& depth) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, depth);
    return result.ec == std::errc() && result.ptr == end && depth >= 1 && depth <= maxDisplayDepth;
}

// 0 when the options are complete, else the exit status of the usage error already reported.
int parseOptions(int argc, char** argv, Options& options) {
    Arguments arguments(argc, argv);
    std::vector<std::string> positional;
    while (!arguments.done()) {
        const std::string argument(arguments.take());
        if (argument == "--display-depth") {
            std::string value;
            if (!arguments.takeValue(value)) return usageError(command, "--display-depth needs a value");
            if (!parseDepth(value, options.displayDepth)) {
                return usageError(command, "--display-depth takes a number from 1 to 32, not '" + value + "'");
            }
        } else if (argument.size() > 1 && argument[0] == '-') {
            return usageError(command, "unknown option '" + argument + "'");
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() != 2) return usageError(command, "needs a PICTURE and an OUT.bmp");
    options.picture = positional[0];
    options.output = positional[1];
    return 0;
}

int decode(const Options& options) {
    std::vector<uint8_t> bytes;
    std::string problem;
    if (!readWholeFile(options.picture, bytes, problem)) return inputError(command, problem);

    MemoryDibSeam seam;
    PrintedMessages messages;
    DecodedImage image;
    if (!allocatePaletteBuffer(image)) return inputError(command, "out of memory");
    image.displayDepth = options.displayDepth;
    ImageKind kind = ImageKind::none;
    bool jpegWhole = false;
    const bool loaded = loadPicture(bytes.data(), bytes.size(), image, seam, messages, kind, &jpegWhole);
    if (!loaded) {
        const char* what = kind == ImageKind::bmp    ? "the BMP reader refused it"
                           : kind == ImageKind::jpeg ? "the JPEG decoder made no picture of it"
                                                     : "it starts neither with FF D8 (JPEG) nor with \"BM\" (BMP)";
        return inputError(command, options.picture + ": no picture: " + what);
    }
    if (kind == ImageKind::jpeg && !jpegWhole) {
        std::fprintf(stderr, "vistello-pack %s: %s: the decoder stopped early; the rest of the picture is black\n",
                     command, options.picture.c_str());
    }

    std::unique_ptr<uint8_t[]> file;
    size_t size = 0;
    if (!encodeBmpFile(image, file, size)) return inputError(command, "the decoded image cannot be written as BMP");
    const std::span<const uint8_t> parts[] = {std::span<const uint8_t>(file.get(), size)};
    if (!writeWholeFile(options.output, parts, problem)) return inputError(command, problem);
    std::printf("wrote %s (%d x %d, %d bits per pixel)\n", options.output.c_str(), image.imageInfo[imageInfoWidth],
                image.imageInfo[imageInfoHeight], int(image.bitmapHeader.biBitCount));
    return exitSuccess;
}

}  // namespace
}  // namespace vistello::tools

int runDecode(int argc, char** argv) {
    using namespace vistello::tools;
    if (wantsHelp(argc, argv)) {
        std::fputs(decodeHelp, stdout);
        return exitSuccess;
    }
    Options options;
    if (const int status = parseOptions(argc, argv, options); status != 0) return status;
    return decode(options);
}
