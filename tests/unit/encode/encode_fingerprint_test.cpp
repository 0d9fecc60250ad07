// The Linux and the Windows tool must write the same bytes. This test runs natively in
// core_tests and as encode_win_tests under Wine; both compare the encoder's output for fixed
// inputs with the same fingerprints. The fingerprints were taken from the native build: they
// are no reference for correctness (the other encoder tests are), only for sameness.
#include <gtest/gtest.h>

#include <cstdio>

#include "encode/fit_picture.h"
#include "encode/jpeg_encoder.h"
#include "test_pattern.h"

namespace vistello {
namespace {

// FNV-1a, 64 bits.
uint64_t fingerprint(const std::vector<uint8_t>& bytes) {
    uint64_t hash = 0xcbf29ce484222325u;
    for (const uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3u;
    return hash;
}

std::string hex(uint64_t value) {
    char text[19];
    std::snprintf(text, sizeof text, "0x%016llx", static_cast<unsigned long long>(value));
    return text;
}

TEST(EncoderFingerprint, EveryBuildWritesTheSameBytes) {
    std::vector<uint8_t> stored;
    ASSERT_TRUE(encodeJpeg(test::patternPicture(997, 613).view(), 93, stored));
    EXPECT_EQ(hex(fingerprint(stored)), "0x0cb673b070ab4e21");

    // Decode, turn (orientation 6), scale and encode again.
    FitRequest request;
    request.box = {300, 300};
    request.quality = 75;
    request.orientation = 6;
    const FitResult fitted = fitPicture(stored, request);
    ASSERT_EQ(fitted.outcome, FitOutcome::encoded) << fitted.problem;
    EXPECT_EQ(fitted.plan.output, (PictureSize{184, 300}));
    EXPECT_EQ(hex(fingerprint(fitted.jpeg)), "0x3a1ba9d78313de90");
}

}  // namespace
}  // namespace vistello
