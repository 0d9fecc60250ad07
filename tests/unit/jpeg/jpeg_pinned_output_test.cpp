// The decoder's output is pinned: every input of jpeg_pinned_inputs.h decodes to the digest
// recorded in tests/data/jpeg_digests.txt, on every instruction set level, with one thread and
// with two, on both entropy paths, and with progressive coefficients in 16-bit stores (some
// corpus files drive them beyond 16 bits and take the second decode) or in 32-bit ones. A deliberate change of the output updates the digests in
// the same commit, with the reason.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "jpeg_pinned_inputs.h"
#include "sha256.h"

namespace vistello::testing {
namespace {

std::string sourceFolder() {
#if defined(_WIN32)
    return std::string("Z:") + VISTELLO_SOURCE_DIR;   // Wine shows the Unix root as drive Z:
#else
    return VISTELLO_SOURCE_DIR;
#endif
}

std::map<std::string, std::string> recordedDigests() {
    std::map<std::string, std::string> digests;
    std::ifstream in(sourceFolder() + "/" + pinnedDigestFile);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string digest;
        std::string name;
        if (fields >> digest >> name) digests[name] = digest;
    }
    return digests;
}

struct DecoderSettings {
    const char* name;
    SimdLevel simd;
    uint32_t threads;
    uint64_t threadedMinimumPixels;
    EntropyPath entropy;
    bool narrowStores = true;
};

class JpegPinnedOutput : public ::testing::TestWithParam<DecoderSettings> {};

TEST(JpegPinnedDigest, KnownSha256Vectors) {
    Sha256 empty;
    EXPECT_EQ(empty.hex(), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    Sha256 abc;
    abc.add("abc", 3);
    EXPECT_EQ(abc.hex(), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    // Two blocks: the padding spills into a second one.
    Sha256 twoBlocks;
    const std::string text = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
    twoBlocks.add(text.data(), text.size());
    EXPECT_EQ(twoBlocks.hex(), "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
}

TEST_P(JpegPinnedOutput, EveryInputDecodesToItsRecordedDigest) {
    const DecoderSettings settings = GetParam();
    const auto recorded = recordedDigests();
    const auto inputs = pinnedInputs(sourceFolder());
    // Nothing may be lost on the way: the list and the inputs name the same files.
    ASSERT_GT(inputs.size(), 2000u);
    ASSERT_EQ(inputs.size(), recorded.size());
    size_t mismatches = 0;
    for (const auto& input : inputs) {
        const auto found = recorded.find(input.name);
        ASSERT_NE(found, recorded.end()) << input.name << " has no recorded digest";
        const std::string digest = outcomeDigest(input.jpeg, [&settings](JpegDecoder& decoder) {
            decoder.simd = settings.simd;
            decoder.threads = settings.threads;
            decoder.threadedMinimumPixels = settings.threadedMinimumPixels;
            decoder.entropyPath = settings.entropy;
            decoder.narrowCoefficientStores = settings.narrowStores;
        });
        if (digest != found->second && ++mismatches <= 20) ADD_FAILURE() << input.name << " decodes differently";
    }
    EXPECT_EQ(mismatches, 0u);
}

constexpr uint64_t defaultMinimum = uint64_t(1) << 21;
INSTANTIATE_TEST_SUITE_P(
    EveryPath, JpegPinnedOutput,
    ::testing::Values(DecoderSettings{"defaults", SimdLevel::best, 0, defaultMinimum, EntropyPath::fast},
                      DecoderSettings{"scalar", SimdLevel::scalar, 1, defaultMinimum, EntropyPath::fast},
                      DecoderSettings{"sse2", SimdLevel::sse2, 1, defaultMinimum, EntropyPath::fast},
                      DecoderSettings{"sse41", SimdLevel::sse41, 1, defaultMinimum, EntropyPath::fast},
                      DecoderSettings{"avx2", SimdLevel::avx2, 1, defaultMinimum, EntropyPath::fast},
                      DecoderSettings{"scalarTwoThreads", SimdLevel::scalar, 2, 0, EntropyPath::fast},
                      DecoderSettings{"avx2TwoThreads", SimdLevel::avx2, 2, 0, EntropyPath::fast},
                      DecoderSettings{"referenceEntropyTwoThreads", SimdLevel::best, 2, 0, EntropyPath::reference},
                      DecoderSettings{"wideStores", SimdLevel::best, 1, defaultMinimum, EntropyPath::fast, false}),
    [](const ::testing::TestParamInfo<DecoderSettings>& setting) { return std::string(setting.param.name); });

}  // namespace
}  // namespace vistello::testing
