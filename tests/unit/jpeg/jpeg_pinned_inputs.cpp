#include "jpeg_pinned_inputs.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "jpeg/jpeg_probe.h"
#include "jpeg/jpeg_tables.h"
#include "sha256.h"

namespace vistello::testing {
namespace {

using Bytes = std::vector<uint8_t>;

// The decoder's texts by name: the Windows build stores them in code page 932, the native one
// in UTF-8, and both must give the same digests.
std::string textName(const std::string& text) {
    const struct { const char* text; const char* name; } known[] = {
        {invalidFileText, "invalid file"},
        {unsupportedFrameText, "unsupported frame"},
        {dacText, "arithmetic conditioning"},
        {progressiveTitleText, "progressive caption"},
    };
    for (const auto& entry : known) {
        if (text == entry.text) return entry.name;
    }
    return "other text " + text;
}

class InterleavedSeam : public MessageSeam {
public:
    void showMessage(const std::string& text) override { record += "message " + textName(text) + "\n"; }
    void setMainWindowTitle(const std::string& text) override { record += "title " + textName(text) + "\n"; }
    std::string record;
};

Bytes readAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Every 8th corpus file, and the pictures, also appear cut short and with damaged bytes.
void addVariants(std::vector<PinnedInput>& inputs, const PinnedInput& source) {
    const size_t size = source.jpeg.size();
    if (size < 8) return;
    const size_t cuts[] = {size / 3, size * 2 / 3, size - 1};
    for (size_t cut : cuts) {
        inputs.push_back({source.name + "#cut" + std::to_string(cut), Bytes(source.jpeg.begin(), source.jpeg.begin() + long(cut))});
    }
    for (size_t k = 2; k <= 4; ++k) {
        PinnedInput damaged{source.name + "#damaged" + std::to_string(k), source.jpeg};
        damaged.jpeg[size * k / 7] ^= 0x5A;
        inputs.push_back(std::move(damaged));
    }
}

}  // namespace

std::vector<PinnedInput> pinnedInputs(const std::string& sourceFolder) {
    namespace fs = std::filesystem;
    const fs::path root(sourceFolder);
    std::vector<std::string> names;
    std::set<std::string> seenContents;   // the corpora share files (named by their content)
    for (const char* folder : {"fuzz/corpus/jpeg", "fuzz/corpus/jpeg_entropy_diff", "tests/data/regress/jpeg",
                               "tests/data/regress/picture_facts"}) {
        if (!fs::is_directory(root / folder)) continue;
        std::vector<std::string> files;
        for (const auto& entry : fs::directory_iterator(root / folder)) {
            if (entry.is_regular_file()) files.push_back(entry.path().filename().string());
        }
        std::sort(files.begin(), files.end());
        for (const auto& file : files) {
            if (seenContents.insert(file).second || std::string(folder).find("corpus") == std::string::npos) {
                names.push_back(std::string(folder) + "/" + file);
            }
        }
    }
    std::vector<PinnedInput> inputs;
    size_t index = 0;
    for (const auto& name : names) {
        PinnedInput input{name, readAll(root / name)};
        const bool varied = index++ % 8 == 0;
        inputs.push_back(input);
        if (varied) addVariants(inputs, input);
    }
    for (const char* picture : {"samples/sample.jpg", "tests/data/encode/forest.jpg"}) {
        PinnedInput input{picture, readAll(root / picture)};
        if (input.jpeg.empty()) continue;
        inputs.push_back(input);
        addVariants(inputs, input);
    }
    return inputs;
}

std::string outcomeDigest(const Bytes& jpeg, const std::function<void(JpegDecoder&)>& setUp) {
    Sha256 digest;
    InterleavedSeam probeSeam;
    FrameProbeResult probe;
    const bool probed = probeJpeg(jpeg.data(), jpeg.size(), probeSeam, probe);
    int32_t width = 48;
    int32_t height = 40;
    if (probed && probe.paddedWidth > 0 && probe.paddedHeight > 0 &&
        uint64_t(probe.paddedWidth) * uint64_t(probe.paddedHeight) <= (uint64_t(4) << 20)) {
        width = probe.paddedWidth;
        height = probe.paddedHeight;
    }
    digest.addString(probed ? "probed" : "refused");
    digest.addString(probeSeam.record);
    // The DIB between two guard areas that must come back untouched.
    constexpr size_t guard = 4096;
    const int32_t stride = width * 3;
    const size_t dibBytes = size_t(stride) * size_t(height);
    Bytes buffer(dibBytes + 2 * guard, 0xA5);
    std::fill(buffer.begin() + long(guard), buffer.begin() + long(guard + dibBytes), 0);
    InterleavedSeam seam;
    JpegDecoder decoder(seam);
    if (setUp) setUp(decoder);
    uint8_t* origin = buffer.data() + guard + size_t(height - 1) * size_t(stride);
    const int result = decoder.decodeJpeg(jpeg.data(), jpeg.size(), JpegOutput{origin, stride, width, height});
    const bool guardsIntact =
        std::all_of(buffer.begin(), buffer.begin() + long(guard), [](uint8_t b) { return b == 0xA5; }) &&
        std::all_of(buffer.end() - long(guard), buffer.end(), [](uint8_t b) { return b == 0xA5; });
    digest.addString("result " + std::to_string(result) + " size " + std::to_string(width) + "x" + std::to_string(height) +
                     (guardsIntact ? " guards intact" : " guards written"));
    digest.addString(seam.record);
    digest.add(buffer.data() + guard, dibBytes);
    return digest.hex();
}

}  // namespace vistello::testing
