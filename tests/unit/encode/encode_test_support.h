#pragma once
// Helpers of the encoder tests: pictures as BGR images in PPM files, the reference programs
// (cjpeg, djpeg, ImageMagick), our decoders, and PSNR. Scratch folders, running commands and
// reading files come from the raster tests' helpers.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "encode/bgr_image.h"
#include "raster/raster_test_support.h"

namespace vistello::test {

using Bytes = std::vector<uint8_t>;

// Empty when cjpeg, djpeg and ImageMagick's convert are all installed, else the missing ones.
// Tests that need them fail without them (scripts/setup.sh installs them).
std::string missingReferencePrograms();
#define REQUIRE_REFERENCE_PROGRAMS() \
    ASSERT_EQ(::vistello::test::missingReferencePrograms(), "") << "scripts/setup.sh installs these programs"

std::string quoted(const std::filesystem::path& path);

void writePpm(const std::filesystem::path& path, const BgrImage& picture);
BgrImage readPpm(const std::filesystem::path& path);  // an empty image unless a P6 of depth 255

// Our decoders, as the program shows the picture (an empty image when they refuse it).
BgrImage decodeWithOurs(const Bytes& picture);
// djpeg -dct int -nosmooth; `warnings` receives what it printed on standard error.
BgrImage decodeWithDjpeg(const std::filesystem::path& jpeg, std::string& warnings);
// cjpeg [options] of the picture; empty when it fails.
Bytes cjpeg(const ScratchFolder& folder, const BgrImage& picture, const std::string& options);
// convert PICTURE OPERATIONS: ImageMagick's result as a picture.
BgrImage imageMagick(const ScratchFolder& folder, const BgrImage& picture, const std::string& operations);

// Over all three channels of two pictures of the same size; 99 for equal pictures, 0 when the
// sizes differ.
double psnr(const BgrImage& a, const BgrImage& b);

// tests/data/encode/forest.jpg: a 1050 x 700 photograph with fine detail everywhere.
Bytes forestJpeg();

}  // namespace vistello::test
