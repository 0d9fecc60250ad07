#include "jpeg_test_support.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include <unistd.h>

#include "jpeg/jpeg_probe.h"
#include "recording_message_seam.h"

namespace vistello::testing {

const uint8_t* DecodedPicture::pixel(uint32_t x, uint32_t y) const {
    const size_t stride = size_t(paddedWidth) * 3;
    return dib.data() + (size_t(paddedHeight) - 1 - y) * stride + size_t(x) * 3;
}

DecodedPicture decodeInto(const Bytes& jpeg, int32_t width, int32_t height, EntropyPath path, const DecoderSetUp& setUp) {
    DecodedPicture picture;
    picture.paddedWidth = width;
    picture.paddedHeight = height;
    // The DIB sits between two guard areas that must come back untouched.
    constexpr size_t guard = 4096;
    const size_t dibBytes = size_t(width) * size_t(height) * 3;
    Bytes buffer(dibBytes + 2 * guard, 0xA5);
    std::fill(buffer.begin() + guard, buffer.begin() + long(guard + dibBytes), 0);
    RecordingMessageSeam seam;
    JpegDecoder decoder(seam);
    decoder.entropyPath = path;
    if (setUp) setUp(decoder);
    const int32_t stride = width * 3;
    uint8_t* first = buffer.data() + guard;
    uint8_t* origin = height > 0 ? first + size_t(height - 1) * size_t(stride) : first;
    picture.result = decoder.decodeJpeg(jpeg.data(), jpeg.size(), JpegOutput{origin, stride, width, height});
    picture.guardsIntact = std::all_of(buffer.begin(), buffer.begin() + long(guard), [](uint8_t b) { return b == 0xA5; }) &&
                           std::all_of(buffer.end() - long(guard), buffer.end(), [](uint8_t b) { return b == 0xA5; });
    picture.dib.assign(buffer.begin() + long(guard), buffer.begin() + long(guard + dibBytes));
    picture.width = decoder.imageWidth;
    picture.height = decoder.imageHeight;
    picture.messages = seam.messages;
    picture.titles = seam.titles;
    return picture;
}

DecodedPicture decodePicture(const Bytes& jpeg, EntropyPath path) {
    RecordingMessageSeam seam;
    FrameProbeResult probe;
    if (!probeJpeg(jpeg.data(), jpeg.size(), seam, probe)) {
        DecodedPicture picture;
        picture.messages = seam.messages;
        return picture;
    }
    DecodedPicture picture = decodeInto(jpeg, probe.paddedWidth, probe.paddedHeight, path);
    picture.probed = true;
    picture.width = probe.imageWidth;
    picture.height = probe.imageHeight;
    picture.messages.insert(picture.messages.begin(), seam.messages.begin(), seam.messages.end());
    return picture;
}

RgbPicture makeTestPattern(uint32_t width, uint32_t height) {
    RgbPicture picture{width, height, Bytes(size_t(width) * height * 3)};
    uint32_t noise = 12345;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const double dx = double(x) - width / 2.0;
            const double dy = double(y) - height / 2.0;
            const double ring = std::sin(std::sqrt(dx * dx + dy * dy) * 0.35);
            const double stripes = ((x / 5 + y / 7) % 2) ? 40.0 : -40.0;
            const double texture = double((noise >> 16) & 31) - 16.0;
            const double base = 255.0 * x / std::max(1u, width) * 0.6 + 60.0 * ring;
            uint8_t* p = &picture.rgb[(size_t(y) * width + x) * 3];
            p[0] = uint8_t(std::clamp(base + stripes + texture, 0.0, 255.0));
            p[1] = uint8_t(std::clamp(255.0 * y / std::max(1u, height) * 0.7 + 50.0 * ring + texture, 0.0, 255.0));
            p[2] = uint8_t(std::clamp(128.0 + 90.0 * std::cos(x * 0.11) * std::sin(y * 0.07) - stripes / 2, 0.0, 255.0));
        }
    }
    return picture;
}

std::string scratchPath(const std::string& name) {
    static const std::string folder = [] {
        std::string path = std::string(VISTELLO_BINARY_DIR) + "/jpeg_test_scratch_" + std::to_string(::getpid());
        std::filesystem::create_directories(path);
        return path;
    }();
    return folder + "/" + name;
}

bool writeFile(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return bool(out);
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writePpm(const std::string& path, const RgbPicture& picture) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << " " << picture.height << "\n255\n";
    out.write(reinterpret_cast<const char*>(picture.rgb.data()), std::streamsize(picture.rgb.size()));
}

bool runCommand(const std::string& command) { return std::system(command.c_str()) == 0; }

bool referenceToolsPresent() {
    static const bool present = runCommand("command -v cjpeg >/dev/null && command -v djpeg >/dev/null && command -v jpegtran >/dev/null");
    return present;
}

Bytes makeJpeg(uint32_t width, uint32_t height, const std::string& cjpegOptions, bool grey) {
    static int counter = 0;
    const std::string stem = scratchPath("pattern" + std::to_string(counter++));
    writePpm(stem + ".ppm", makeTestPattern(width, height));
    const std::string command = "cjpeg " + cjpegOptions + (grey ? " -grayscale" : "") + " -outfile " + stem + ".jpg " + stem + ".ppm";
    if (!runCommand(command)) return {};
    return readFile(stem + ".jpg");
}

Bytes jpegtran(const Bytes& jpeg, const std::string& options) {
    static int counter = 0;
    const std::string stem = scratchPath("tran" + std::to_string(counter++));
    writeFile(stem + ".in.jpg", jpeg);
    if (!runCommand("jpegtran " + options + " -outfile " + stem + ".out.jpg " + stem + ".in.jpg")) return {};
    return readFile(stem + ".out.jpg");
}

namespace {

// P5 or P6 with maxval 255, as djpeg writes them.
RgbPicture parsePnm(const Bytes& bytes) {
    RgbPicture picture;
    std::string header(bytes.begin(), bytes.begin() + std::min<size_t>(bytes.size(), 64));
    std::istringstream in(header);
    std::string magic;
    unsigned maxValue = 0;
    in >> magic >> picture.width >> picture.height >> maxValue;
    const size_t offset = size_t(in.tellg()) + 1;
    const size_t pixels = size_t(picture.width) * picture.height;
    const bool grey = magic == "P5";
    if ((magic != "P5" && magic != "P6") || bytes.size() < offset + pixels * (grey ? 1 : 3)) return {};
    picture.rgb.resize(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        for (int c = 0; c < 3; ++c) picture.rgb[i * 3 + c] = grey ? bytes[offset + i] : bytes[offset + i * 3 + c];
    }
    return picture;
}

}  // namespace

RgbPicture referenceDecode(const Bytes& jpeg) {
    static int counter = 0;
    const std::string stem = scratchPath("ref" + std::to_string(counter++));
    writeFile(stem + ".jpg", jpeg);
    if (!runCommand("djpeg -nosmooth -dct int -pnm -outfile " + stem + ".pnm " + stem + ".jpg")) return {};
    return parsePnm(readFile(stem + ".pnm"));
}

double psnr(const DecodedPicture& ours, const RgbPicture& reference) {
    if (reference.width != ours.width || reference.height != ours.height || reference.width == 0) return 0.0;
    double squares = 0.0;
    for (uint32_t y = 0; y < reference.height; ++y) {
        for (uint32_t x = 0; x < reference.width; ++x) {
            const uint8_t* bgr = ours.pixel(x, y);
            const uint8_t* rgb = &reference.rgb[(size_t(y) * reference.width + x) * 3];
            for (int c = 0; c < 3; ++c) {
                const double difference = double(bgr[2 - c]) - double(rgb[c]);
                squares += difference * difference;
            }
        }
    }
    const double meanSquare = squares / (3.0 * reference.width * reference.height);
    if (meanSquare == 0.0) return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / meanSquare);
}

}  // namespace vistello::testing
