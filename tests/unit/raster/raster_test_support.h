#pragma once
// Helpers shared by the raster tests: BMP files built field by field, the external reference
// programs (ImageMagick, netpbm) run in a scratch folder, and the decoded image turned back
// into plain RGB for comparison with them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "raster/decoded_image.h"
#include "common/message_seam.h"

namespace vistello::test {

struct Rgb {
    uint8_t red, green, blue;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A BMP file as the tests need it; every field can be set to a value a writer would never use.
struct BmpRecipe {
    uint32_t headerSize = 40;  // 40 (info header) or 12 (core header)
    int32_t width = 1;
    int32_t height = 1;
    uint16_t planes = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<RgbQuad> colors;       // written as 4 bytes (info) or 3 bytes (core) each
    std::vector<uint32_t> masks;       // bit-field masks written right after the header
    std::vector<uint8_t> pixels;       // written as given at bfOffBits
    int64_t offBits = -1;              // -1: right after the colour table
};
std::vector<uint8_t> makeBmp(const BmpRecipe& recipe);

// Bytes of a bottom-up uncompressed picture whose rows are `stride` apart: row r, byte i.
std::vector<uint8_t> patternRows(int32_t stride, int32_t height);

class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::filesystem::path path(const std::string& name) const { return root_ / name; }

private:
    std::filesystem::path root_;
};

bool haveProgram(const char* name);
// Runs a shell command; true when it exits with 0.
bool runCommand(const std::string& command);
std::vector<uint8_t> readFileBytes(const std::filesystem::path& path);
void writeFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// A P6 picture with the given pixels (rows top-down).
void writePpm(const std::filesystem::path& path, int width, int height, const std::vector<Rgb>& pixels);

// ImageMagick's decode of a picture file as RGB rows top-down; empty when it fails.
// ImageMagick decodes a run-length file whose commands leave pixels unreached but then reports
// it as cut short; acceptReportedEnd takes its complete output in that case.
std::vector<Rgb> referenceDecode(const std::filesystem::path& file, int& width, int& height,
                                 bool acceptReportedEnd = false);

// The decoded image's pixels as RGB rows top-down over the image info's width and height,
// read through the colour table for palettised formats and 16-bit words as 5-5-5, each
// 5-bit value widened to 8 bits by repeating its top bits.
std::vector<Rgb> decodedRgb(const DecodedImage& image);

// A picture with many different colours, the same on every run.
std::vector<Rgb> testPicture(int width, int height);

class RecordingMessages final : public MessageSeam {
public:
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void setMainWindowTitle(const std::string& text) override { titles.push_back(text); }
    std::vector<std::string> messages;
    std::vector<std::string> titles;
};

}  // namespace vistello::test
