// The authoring tool's fit of a camera photograph: a 24 MP JPEG (6000 x 4000) decoded by our
// decoder, scaled into 1920 x 1080 by our Lanczos-3 scaler and encoded by our baseline encoder
// at quality 90, as fitPicture does it. Prints the whole fit in megapixels of the photograph per
// second, and each stage beside libjpeg-turbo's decode of the same file (JDCT_ISLOW, no fancy
// upsampling, BGR) and its encode of the same fitted pixels (JDCT_ISLOW, 4:2:0, optimised
// Huffman tables, like ours), the two taking turns in every round; medians of the rounds.
//
// The photograph is tests/data/encode/forest.jpg or a picture named on the command line,
// scaled to 6000 x 4000 with ImageMagick and stored by cjpeg -quality 90.
//
// Usage: bench_fit [rounds, default 5] [source picture]
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "encode/decoded_pixels.h"
#include "encode/fit_picture.h"
#include "encode/jpeg_encoder.h"
#include "raster/load_picture.h"
#include "raster/memory_dib_seam.h"

namespace {

using namespace vistello;
using Bytes = std::vector<uint8_t>;

constexpr PictureSize fullHdBox{1920, 1080};
constexpr int32_t quality = 90;

class SilentSeam final : public MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

Bytes readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

double secondsOf(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Our stages, one at a time, as fitPicture runs them.
struct OurStages {
    double decode = 0, scale = 0, encode = 0;
    BgrImage fitted;
};

OurStages runOurStages(const Bytes& jpeg) {
    OurStages stages;
    MemoryDibSeam seam;
    DecodedImage image;
    SilentSeam messages;
    ImageKind kind = ImageKind::none;
    if (!allocatePaletteBuffer(image)) std::exit(1);
    image.displayDepth = 24;
    bool loaded = false;
    stages.decode = secondsOf([&] { loaded = loadPicture(jpeg.data(), jpeg.size(), image, seam, messages, kind); });
    BgrImage expanded;
    BgrView view;
    if (!loaded || !viewDecodedPixels(image, expanded, view)) std::exit(1);
    FitRequest request;
    request.box = fullHdBox;
    const FitPlan plan = planFit(view.size(), request);
    stages.scale = secondsOf([&] { stages.fitted = applyFitPlan(view, plan); });
    Bytes out;
    stages.encode = secondsOf([&] { (void)encodeJpeg(stages.fitted.view(), quality, out); });
    releaseDecodedImage(image, seam);
    return stages;
}

double turboDecode(const Bytes& jpeg) {
    return secondsOf([&] {
        jpeg_decompress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_decompress(&info);
        jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
        jpeg_read_header(&info, TRUE);
        info.dct_method = JDCT_ISLOW;
        info.do_fancy_upsampling = FALSE;
        info.out_color_space = JCS_EXT_BGR;
        jpeg_start_decompress(&info);
        const size_t stride = size_t(info.output_width) * 3;
        std::vector<uint8_t> pixels(stride * info.output_height);
        while (info.output_scanline < info.output_height) {
            JSAMPROW row = pixels.data() + stride * info.output_scanline;
            jpeg_read_scanlines(&info, &row, 1);
        }
        jpeg_finish_decompress(&info);
        jpeg_destroy_decompress(&info);
    });
}

double turboEncode(const BgrImage& picture, size_t& size) {
    return secondsOf([&] {
        jpeg_compress_struct info;
        jpeg_error_mgr errors;
        info.err = jpeg_std_error(&errors);
        jpeg_create_compress(&info);
        unsigned char* buffer = nullptr;
        unsigned long length = 0;
        jpeg_mem_dest(&info, &buffer, &length);
        info.image_width = JDIMENSION(picture.width);
        info.image_height = JDIMENSION(picture.height);
        info.input_components = 3;
        info.in_color_space = JCS_EXT_BGR;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, quality, TRUE);
        info.dct_method = JDCT_ISLOW;
        info.optimize_coding = TRUE;
        jpeg_start_compress(&info, TRUE);
        while (info.next_scanline < info.image_height) {
            JSAMPROW row = const_cast<uint8_t*>(picture.view().row(int32_t(info.next_scanline)));
            jpeg_write_scanlines(&info, &row, 1);
        }
        jpeg_finish_compress(&info);
        jpeg_destroy_compress(&info);
        size = length;
        std::free(buffer);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::string source =
        argc > 2 ? argv[2] : (std::filesystem::path(VISTELLO_TEST_DATA_DIR) / "encode" / "forest.jpg").string();
    const std::filesystem::path photograph = std::filesystem::temp_directory_path() / "bench_fit_24mp.jpg";
    const std::string make = "convert '" + source + "' -filter Lanczos -resize '6000x4000!' ppm:- | cjpeg -quality 90 -outfile '" +
                             photograph.string() + "'";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "bench_fit: cannot make the photograph (needs ImageMagick and cjpeg)\n");
        return 1;
    }
    const Bytes jpeg = readFile(photograph);
    std::filesystem::remove(photograph);
    constexpr double megapixels = 6000.0 * 4000.0 / 1e6;

    FitRequest request;
    request.box = fullHdBox;
    request.quality = quality;
    std::vector<double> whole, decode, scale, encode, theirDecode, theirEncode;
    size_t oursSize = 0, theirSize = 0;
    PictureSize output;
    for (int round = 0; round <= rounds; ++round) {  // round 0 warms up
        FitResult result;
        const double fit = secondsOf([&] { result = fitPicture(jpeg, request); });
        if (result.outcome != FitOutcome::encoded) {
            std::fprintf(stderr, "bench_fit: %s\n", result.problem.c_str());
            return 1;
        }
        const OurStages stages = runOurStages(jpeg);
        const double turboDecodeTime = turboDecode(jpeg);
        const double turboEncodeTime = turboEncode(stages.fitted, theirSize);
        if (round == 0) continue;
        oursSize = result.jpeg.size();
        output = result.plan.output;
        whole.push_back(fit);
        decode.push_back(stages.decode);
        scale.push_back(stages.scale);
        encode.push_back(stages.encode);
        theirDecode.push_back(turboDecodeTime);
        theirEncode.push_back(turboEncodeTime);
    }

    std::printf("source: %s, scaled to 6000 x 4000 and stored by cjpeg -quality 90 (%zu bytes)\n", source.c_str(), jpeg.size());
    std::printf("fit into %d x %d: %d x %d at quality %d; ours %zu bytes, libjpeg-turbo %zu bytes; median of %d rounds\n\n",
                fullHdBox.width, fullHdBox.height, output.width, output.height, quality, oursSize, theirSize, rounds);
    std::printf("%-28s %10s %18s %8s\n", "stage", "ours ms", "libjpeg-turbo ms", "ratio");
    const auto line = [](const char* stage, double ours, double theirs) {
        if (theirs > 0) {
            std::printf("%-28s %10.1f %18.1f %8.2f\n", stage, 1000 * ours, 1000 * theirs, theirs / ours);
        } else {
            std::printf("%-28s %10.1f %18s %8s\n", stage, 1000 * ours, "-", "-");
        }
    };
    line("decode 24 MP", median(decode), median(theirDecode));
    line("scale to 1620 x 1080", median(scale), 0);
    line("encode 1.7 MP", median(encode), median(theirEncode));
    const double mixed = median(theirDecode) + median(scale) + median(theirEncode);
    line("whole fit (fitPicture)", median(whole), mixed);
    std::printf("\nwhole fit: %.1f MP/s of the photograph (libjpeg-turbo decode and encode around our scaler: %.1f MP/s)\n",
                megapixels / median(whole), megapixels / mixed);
    std::printf("(ratio: libjpeg-turbo's time / ours, above 1 where ours is faster)\n");
    return 0;
}
