#include "raster_test_support.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

namespace vistello::test {
namespace {

void putU16(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value));
    out.push_back(uint8_t(value >> 8));
}

void putU32(std::vector<uint8_t>& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(value >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> makeBmp(const BmpRecipe& recipe) {
    const bool core = recipe.headerSize == 12;
    const size_t entrySize = core ? 3 : 4;
    const size_t tableEnd = 14 + (core ? 12 : 40) + 4 * recipe.masks.size() + entrySize * recipe.colors.size();
    const uint32_t offBits = recipe.offBits >= 0 ? uint32_t(recipe.offBits) : uint32_t(tableEnd);
    std::vector<uint8_t> out;
    out.push_back('B');                                           // bfType
    out.push_back('M');
    putU32(out, uint32_t(std::max<size_t>(tableEnd, offBits) + recipe.pixels.size()));  // bfSize
    putU32(out, 0);                                               // bfReserved1, bfReserved2
    putU32(out, offBits);                                         // bfOffBits
    if (core) {
        putU32(out, 12);                                          // bcSize
        putU16(out, uint32_t(recipe.width));                        // bcWidth
        putU16(out, uint32_t(recipe.height));                       // bcHeight
        putU16(out, recipe.planes);                                 // bcPlanes
        putU16(out, recipe.bitCount);                               // bcBitCount
    } else {
        putU32(out, recipe.headerSize);                             // biSize
        putU32(out, uint32_t(recipe.width));                        // biWidth
        putU32(out, uint32_t(recipe.height));                       // biHeight
        putU16(out, recipe.planes);                                 // biPlanes
        putU16(out, recipe.bitCount);                               // biBitCount
        putU32(out, recipe.compression);                            // biCompression
        putU32(out, uint32_t(recipe.pixels.size()));                // biSizeImage
        putU32(out, 2835);                                        // biXPelsPerMeter
        putU32(out, 2835);                                        // biYPelsPerMeter
        putU32(out, recipe.clrUsed);                                // biClrUsed
        putU32(out, 0);                                           // biClrImportant
    }
    for (uint32_t mask : recipe.masks) putU32(out, mask);
    for (const RgbQuad& colour : recipe.colors) {
        out.push_back(colour.rgbBlue);
        out.push_back(colour.rgbGreen);
        out.push_back(colour.rgbRed);
        if (!core) out.push_back(colour.rgbReserved);
    }
    if (out.size() < offBits) out.resize(offBits, 0);
    out.resize(offBits);
    out.insert(out.end(), recipe.pixels.begin(), recipe.pixels.end());
    return out;
}

std::vector<uint8_t> patternRows(int32_t stride, int32_t height) {
    std::vector<uint8_t> rows(size_t(stride) * size_t(height));
    for (size_t i = 0; i < rows.size(); ++i) rows[i] = uint8_t(i * 7 + i / size_t(stride) * 31);
    return rows;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "raster-test-XXXXXX").string();
    const char* made = mkdtemp(pattern.data());
    root_ = made ? std::filesystem::path(made) : std::filesystem::temp_directory_path();
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

bool haveProgram(const char* name) {
    return runCommand(std::string("command -v ") + name + " >/dev/null 2>&1");
}

bool runCommand(const std::string& command) { return std::system((command + " 2>/dev/null").c_str()) == 0; }

std::vector<uint8_t> readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writePpm(const std::filesystem::path& path, int width, int height, const std::vector<Rgb>& pixels) {
    std::ostringstream header;
    header << "P6\n" << width << ' ' << height << "\n255\n";
    std::vector<uint8_t> bytes;
    const std::string text = header.str();
    bytes.assign(text.begin(), text.end());
    for (const Rgb& p : pixels) {
        bytes.push_back(p.red);
        bytes.push_back(p.green);
        bytes.push_back(p.blue);
    }
    writeFileBytes(path, bytes);
}

std::vector<Rgb> referenceDecode(const std::filesystem::path& file, int& width, int& height,
                                 bool acceptReportedEnd) {
    const std::filesystem::path ppm = file.string() + ".reference.ppm";
    const bool decoded = runCommand("convert '" + file.string() + "' -depth 8 ppm:'" + ppm.string() + "'");
    if (!decoded && !acceptReportedEnd) return {};
    const std::vector<uint8_t> bytes = readFileBytes(ppm);
    // "P6\n<width> <height>\n255\n" as ImageMagick writes it.
    std::istringstream header(std::string(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64)));
    std::string magic;
    int maxValue = 0;
    header >> magic >> width >> height >> maxValue;
    if (magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) return {};
    const size_t start = size_t(header.tellg()) + 1;
    const size_t count = size_t(width) * size_t(height);
    if (bytes.size() < start + 3 * count) return {};
    std::vector<Rgb> pixels(count);
    for (size_t i = 0; i < count; ++i) {
        pixels[i] = {bytes[start + 3 * i], bytes[start + 3 * i + 1], bytes[start + 3 * i + 2]};
    }
    return pixels;
}

namespace {

uint8_t widen5(uint32_t value) { return uint8_t(value << 3 | value >> 2); }

Rgb pixelAt(const DecodedImage& image, const uint8_t* row, int32_t x) {
    const auto fromTable = [&](uint32_t index) {
        const RgbQuad& c = image.colorTable[index];
        return Rgb{c.rgbRed, c.rgbGreen, c.rgbBlue};
    };
    switch (image.bitmapHeader.biBitCount) {
    case 1: return fromTable(uint32_t(row[x / 8] >> (7 - x % 8)) & 1u);
    case 4: return fromTable(uint32_t(x % 2 == 0 ? row[x / 2] >> 4 : row[x / 2] & 0x0F));
    case 8: return fromTable(row[x]);
    case 16: {
        const uint32_t word = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        return Rgb{widen5(word >> 10 & 31), widen5(word >> 5 & 31), widen5(word & 31)};
    }
    case 24: return Rgb{row[3 * x + 2], row[3 * x + 1], row[3 * x]};
    case 32: return Rgb{row[4 * x + 2], row[4 * x + 1], row[4 * x]};
    default: return Rgb{};
    }
}

}  // namespace

std::vector<Rgb> decodedRgb(const DecodedImage& image) {
    const int32_t width = image.imageInfo[imageInfoWidth];
    const int32_t height = image.imageInfo[imageInfoHeight];
    std::vector<Rgb> pixels;
    if (!image.pixelBits) return pixels;
    const int32_t sectionRows = image.bitmapHeader.biHeight;
    for (int32_t y = 0; y < height; ++y) {
        // Picture row y is memory row sectionRows - 1 - y: rows are bottom-up.
        const uint8_t* row = image.pixelBits + ptrdiff_t(sectionRows - 1 - y) * image.bitmapStride;
        for (int32_t x = 0; x < width; ++x) pixels.push_back(pixelAt(image, row, x));
    }
    return pixels;
}

std::vector<Rgb> testPicture(int width, int height) {
    std::vector<Rgb> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.push_back(Rgb{uint8_t(x * 255 / std::max(1, width - 1)), uint8_t(y * 255 / std::max(1, height - 1)),
                                 uint8_t((x * 37 + y * 91) % 256)});
        }
    }
    return pixels;
}

}  // namespace vistello::test
