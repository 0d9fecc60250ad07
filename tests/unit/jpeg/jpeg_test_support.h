#pragma once
// Helpers of the JPEG tests: decoding into a DIB in memory, making pictures with the reference
// programs (cjpeg, jpegtran, djpeg) and comparing pictures.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jpeg/jpeg_decoder.h"

namespace vistello::testing {

using Bytes = std::vector<uint8_t>;

struct DecodedPicture {
    bool probed = false;
    int result = 0;
    int32_t paddedWidth = 0;
    int32_t paddedHeight = 0;
    uint32_t width = 0;
    uint32_t height = 0;
    Bytes dib;                  // bottom-up rows of 3 x paddedWidth bytes, as the DIB section holds them
    std::vector<std::string> messages;
    std::vector<std::string> titles;
    bool guardsIntact = true;   // nothing was written before or after the DIB
    // Blue, green and red of picture pixel (x, y), counted from the top-left.
    const uint8_t* pixel(uint32_t x, uint32_t y) const;
};

// Probe, a zeroed DIB of the padded size, decode: what the program does with a JPEG picture.
DecodedPicture decodePicture(const Bytes& jpeg, EntropyPath path = EntropyPath::fast);
// Decode into a DIB of the given size whatever the probe says; setUp, when given, adjusts the
// decoder's settings before the decode.
using DecoderSetUp = std::function<void(JpegDecoder&)>;
DecodedPicture decodeInto(const Bytes& jpeg, int32_t width, int32_t height, EntropyPath path = EntropyPath::fast,
                          const DecoderSetUp& setUp = {});

// A picture with detail at every frequency: gradients, rings, stripes and pseudo-random texture.
struct RgbPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    Bytes rgb;   // top-down, 3 bytes per pixel
};
RgbPicture makeTestPattern(uint32_t width, uint32_t height);

// Scratch files of the tests.
std::string scratchPath(const std::string& name);
bool writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);
void writePpm(const std::string& path, const RgbPicture& picture);
bool referenceToolsPresent();
// Runs a shell command; true when it exits 0.
bool runCommand(const std::string& command);
// cjpeg of the test pattern with extra options; empty on failure.
Bytes makeJpeg(uint32_t width, uint32_t height, const std::string& cjpegOptions, bool grey = false);

// One picture of a table of cjpeg test pictures: its trace name, size and -sample factors.
struct CjpegPicture {
    const char* name;
    uint32_t width, height;
    const char* sampling;
    bool grey;
};
Bytes jpegtran(const Bytes& jpeg, const std::string& options);
// djpeg -nosmooth -dct int output as top-down RGB (grey expanded to three bytes).
RgbPicture referenceDecode(const Bytes& jpeg);
// PSNR in dB of our picture against the reference over the real picture area (99 for equal).
double psnr(const DecodedPicture& ours, const RgbPicture& reference);

}  // namespace vistello::testing
