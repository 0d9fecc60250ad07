// vistello-pack decode: a picture file decoded by the program's own decoders and written as the
// BMP file the program itself would write from its decoded image.
#include <memory>

#include "check/picture_check.h"
#include "commands/command_line.h"
#include "commands/report.h"
#include "commands/run_files.h"
#include "raster/bmp_writer.h"
#include "raster/decoded_picture.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"
#include "text/display_text.h"

namespace vistello::tools {
namespace {

constexpr char command[] = "decode";

constexpr char decodeHelp[] = R"(Usage: vistello-pack decode PICTURE OUT.bmp [--display-depth 8|24] [--no-clobber]

Decodes PICTURE (a JPEG or BMP file, told apart by its first two bytes as the program does)
with the program's own decoders and writes the decoded image to OUT.bmp as the program
writes it: the picture's real width and height, rows bottom-up, a colour table for 8 bits
per pixel and fewer.
  --display-depth N   the screen to decode for: 24 (default) or 8, the 256-colour form
                      dithered to the halftone palette
  --no-clobber        refuse to replace an existing OUT.bmp

The messages the program would show while decoding are printed on standard error, and so is
what the program would show where it does not show the picture whole. PICTURE is a regular
file of at most 2147483647 bytes, what a package holds.

Exit status: 0 written (also for a picture the program shows only in part), 1 no picture (a
file the program would not show at all) or a file that cannot be read or may not be written,
2 usage error.
)";

constexpr OptionRule decodeOptions[] = {
    {"--display-depth", OptionKind::value, ""},
    {"--no-clobber", OptionKind::flag, ""},
};

constexpr int32_t trueColourDepth = 24;

// The program's message boxes and caption, printed instead.
class PrintedMessages final : public MessageSeam {
public:
    explicit PrintedMessages(ToolContext& tool) : tool_(tool) {}
    void showMessage(const std::string& text) override { remark(tool_, command, "message", text); }
    void setMainWindowTitle(const std::string&) override {}

private:
    ToolContext& tool_;
};

bool decodeToBmp(ToolContext& tool, const std::vector<uint8_t>& picture, int32_t depth, ByteBuffer& bmp,
                 std::string& summary) {
    MemoryDibSeam seam;
    PrintedMessages messages(tool);
    DecodedPicture decoded(seam);
    DecodedImage& image = decoded.image;
    if (!allocatePaletteBuffer(image)) return false;
    image.displayDepth = depth;
    ImageKind kind = ImageKind::none;
    const bool loaded = loadPicture(picture.data(), picture.size(), image, seam, messages, kind);
    const bool encoded = loaded && encodeBmpFile(image, bmp);
    summary = std::to_string(image.imageInfo[imageInfoWidth]) + " x " + std::to_string(image.imageInfo[imageInfoHeight]) +
              ", " + std::to_string(image.bitmapHeader.biBitCount) + " bits per pixel";
    return encoded;
}

int decode(ToolContext& tool, const std::string& picturePath, const std::string& outputPath, int32_t depth, bool noClobber) {
    std::string problem;
    RunInput picture;
    if (!openRunInput(tool.files, "the picture", picturePath, maxItemBytes, "the 2147483647 bytes a package holds",
                      picture, problem))
        return inputError(tool, command, problem);
    const RunInput* inputs[] = {&picture};
    if (!targetAllowed(tool.files.examineTarget(outputPath), outputPath, inputs, noClobber, problem))
        return inputError(tool, command, problem);
    std::vector<uint8_t> bytes;
    if (!readWholeInput(*picture.file, bytes, picturePath, problem)) return inputError(tool, command, problem);

    const PictureReport report = checkPicture(bytes, {});
    ByteBuffer bmp;
    std::string summary;
    if (!decodeToBmp(tool, bytes, depth, bmp, summary)) {
        return inputError(tool, command, displayUtf8(picturePath) + ": no picture: " +
                                             (report.refusal.empty() ? "the decoded image cannot be written" : report.refusal));
    }
    if (!report.shownWhole)
        remark(tool, command, "note", displayUtf8(picturePath) + ": " + report.refusal + "; the program shows " + report.shows);
    auto output = tool.files.createOutput(outputPath, problem);
    if (!output || !output->write(bmp.bytes(), problem) || !output->finish(problem) ||
        !commitOutput(*output, noClobber, problem))
        return inputError(tool, command, problem);
    tool.console.out("wrote " + displayUtf8(outputPath) + " (" + summary + ")\n");
    return exitSuccess;
}

}  // namespace

int runDecode(std::span<const std::string> arguments, ToolContext& tool) {
    ParsedArguments parsed;
    std::string problem;
    if (!parseArguments(arguments, decodeOptions, parsed, problem)) return usageError(tool, command, problem);
    if (parsed.help) {
        tool.console.out(decodeHelp);
        return exitSuccess;
    }
    if (parsed.positional.size() != 2) return usageError(tool, command, "needs a PICTURE and an OUT.bmp");
    int32_t depth = trueColourDepth;
    if (const std::string* value = parsed.value("--display-depth")) {
        if (*value == "8") depth = paletteDisplayDepth;
        else if (*value != "24") return usageError(tool, command, "--display-depth: unknown value '" + *value + "' (8 or 24)");
    }
    return decode(tool, parsed.positional[0], parsed.positional[1], depth, parsed.has("--no-clobber"));
}

}  // namespace vistello::tools
