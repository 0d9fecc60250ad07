#include "encode_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "encode/decoded_pixels.h"
#include "raster/decoded_image.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace vistello::test {

std::string missingReferencePrograms() {
    std::string missing;
    for (const char* program : {"cjpeg", "djpeg", "convert"}) {
        if (!haveProgram(program)) missing += std::string(missing.empty() ? "" : " ") + program;
    }
    return missing;
}

std::string quoted(const std::filesystem::path& path) { return "'" + path.string() + "'"; }

void writePpm(const std::filesystem::path& path, const BgrImage& picture) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    std::vector<char> row(size_t(picture.width) * 3);
    for (int32_t y = 0; y < picture.height; ++y) {
        const uint8_t* in = picture.view().row(y);
        for (size_t x = 0; x < size_t(picture.width); ++x) {
            row[3 * x] = char(in[3 * x + 2]);
            row[3 * x + 1] = char(in[3 * x + 1]);
            row[3 * x + 2] = char(in[3 * x]);
        }
        out.write(row.data(), std::streamsize(row.size()));
    }
}

BgrImage readPpm(const std::filesystem::path& path) {
    const Bytes bytes = readFileBytes(path);
    std::istringstream header(std::string(bytes.begin(), bytes.begin() + long(std::min<size_t>(bytes.size(), 64))));
    std::string magic;
    int32_t width = 0, height = 0, maxValue = 0;
    header >> magic >> width >> height >> maxValue;
    if (magic != "P6" || maxValue != 255 || width <= 0 || height <= 0) return {};
    const size_t start = size_t(header.tellg()) + 1;
    const size_t count = size_t(width) * size_t(height);
    if (bytes.size() < start + 3 * count) return {};
    BgrImage picture(width, height);
    for (size_t i = 0; i < count; ++i) {
        picture.pixels[3 * i] = bytes[start + 3 * i + 2];
        picture.pixels[3 * i + 1] = bytes[start + 3 * i + 1];
        picture.pixels[3 * i + 2] = bytes[start + 3 * i];
    }
    return picture;
}

BgrImage decodeWithOurs(const Bytes& picture) {
    MemoryDibSeam seam;
    DecodedImage image;
    RecordingMessages messages;
    ImageKind kind = ImageKind::none;
    BgrImage result;
    if (allocatePaletteBuffer(image)) {
        image.displayDepth = 24;
        BgrImage expanded;
        BgrView view;
        if (loadPicture(picture.data(), picture.size(), image, seam, messages, kind) &&
            viewDecodedPixels(image, expanded, view)) {
            result = BgrImage(view.width, view.height);
            for (int32_t y = 0; y < view.height; ++y) {
                std::copy(view.row(y), view.row(y) + result.stride(), result.row(y));
            }
        }
    }
    releaseDecodedImage(image, seam);
    return result;
}

BgrImage decodeWithDjpeg(const std::filesystem::path& jpeg, std::string& warnings) {
    const std::filesystem::path ppm = jpeg.string() + ".djpeg.ppm";
    const std::filesystem::path log = jpeg.string() + ".djpeg.txt";
    const std::string command = "djpeg -dct int -nosmooth -pnm -outfile " + quoted(ppm) + " " + quoted(jpeg);
    const bool decoded = std::system((command + " 2>" + quoted(log)).c_str()) == 0;
    const Bytes text = readFileBytes(log);
    warnings.assign(text.begin(), text.end());
    return decoded ? readPpm(ppm) : BgrImage();
}

Bytes cjpeg(const ScratchFolder& folder, const BgrImage& picture, const std::string& options) {
    writePpm(folder.path("cjpeg-in.ppm"), picture);
    std::filesystem::remove(folder.path("cjpeg-out.jpg"));
    if (!runCommand("cjpeg " + options + " -outfile " + quoted(folder.path("cjpeg-out.jpg")) + " " +
                    quoted(folder.path("cjpeg-in.ppm")))) {
        return {};
    }
    return readFileBytes(folder.path("cjpeg-out.jpg"));
}

BgrImage imageMagick(const ScratchFolder& folder, const BgrImage& picture, const std::string& operations) {
    writePpm(folder.path("convert-in.ppm"), picture);
    std::filesystem::remove(folder.path("convert-out.ppm"));
    // No -depth 8: it would truncate ImageMagick's 16-bit results (half a level darker on
    // average) where the plain 8-bit output rounds them.
    if (!runCommand("convert " + quoted(folder.path("convert-in.ppm")) + " " + operations + " ppm:" +
                    quoted(folder.path("convert-out.ppm")))) {
        return {};
    }
    return readPpm(folder.path("convert-out.ppm"));
}

double psnr(const BgrImage& a, const BgrImage& b) {
    if (a.width != b.width || a.height != b.height || a.pixels.empty()) return 0;
    double squared = 0;
    for (size_t i = 0; i < a.pixels.size(); ++i) {
        const double d = double(a.pixels[i]) - double(b.pixels[i]);
        squared += d * d;
    }
    if (squared == 0) return 99;
    return 10 * std::log10(255.0 * 255.0 * double(a.pixels.size()) / squared);
}

Bytes forestJpeg() { return readFileBytes(std::filesystem::path(VISTELLO_TEST_DATA_DIR) / "encode" / "forest.jpg"); }

}  // namespace vistello::test
