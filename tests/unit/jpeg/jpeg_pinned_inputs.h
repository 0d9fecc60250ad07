#pragma once
// The inputs whose decodes are pinned by digests (tests/data/jpeg_digests.txt): every file of the
// JPEG fuzz corpora, the committed pictures and regression files, and truncated and corrupted
// variants of some of them; and the digest of one decode.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "jpeg/jpeg_decoder.h"

namespace vistello::testing {

struct PinnedInput {
    std::string name;            // path below the source folder, with #variant for the derived ones
    std::vector<uint8_t> jpeg;
};

// sourceFolder is the repository's root folder (as the build sees it).
std::vector<PinnedInput> pinnedInputs(const std::string& sourceFolder);

// SHA-256 over everything a decode shows: the probe's answer and messages, the decode's result,
// its messages and captions in order, the DIB bytes, and whether anything was written outside
// the DIB. Pictures the probe refuses, or larger than four megapixels, are decoded into a
// 48 x 40 DIB (the decoder clips), so that the decoder meets them too. setUp adjusts the
// decoder's settings before the decode.
std::string outcomeDigest(const std::vector<uint8_t>& jpeg, const std::function<void(JpegDecoder&)>& setUp = {});

// The path of the digest list below the source folder.
inline constexpr const char* pinnedDigestFile = "tests/data/jpeg_digests.txt";

}  // namespace vistello::testing
