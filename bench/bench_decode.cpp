// Decodes the same in-memory JPEG files with our decoder and with libjpeg-turbo (JDCT_ISLOW,
// no fancy upsampling, BGR output) in one run, and prints megapixels per second for both,
// their ratio, and the peak memory of one decode of each.
//
// The pictures are made at start-up with cjpeg -quality 90, from a generated pattern with
// detail and grain everywhere or from a picture named on the command line (scaled with
// ImageMagick): 12 and 0.5 megapixels, baseline 4:2:0, baseline 4:4:4, progressive 4:2:0 and
// baseline 4:2:0 with one restart interval per MCU row.
//
// Usage: bench_decode [runs of the 12 MP pictures, default 7] [source picture]
#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"

namespace {

using Bytes = std::vector<uint8_t>;

class SilentSeam : public vistello::MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

// A deterministic picture with detail everywhere, for machines without the wallpaper.
void writePattern(const std::string& path, uint32_t width, uint32_t height) {
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width << " " << height << "\n255\n";
    std::vector<uint8_t> row(size_t(width) * 3);
    uint32_t noise = 1;
    for (uint32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < width; ++x) {
            noise = noise * 1103515245u + 12345u;
            const double fx = double(x) / width;
            const double fy = double(y) / height;
            const double wave = std::sin(fx * 40 + std::sin(fy * 13) * 3) * std::cos(fy * 31);
            const int grain = int((noise >> 16) & 15) - 8;
            row[x * 3] = uint8_t(std::clamp(int(128 + 100 * wave + grain), 0, 255));
            row[x * 3 + 1] = uint8_t(std::clamp(int(255 * fx * (1 - fy) + 40 * wave + grain), 0, 255));
            row[x * 3 + 2] = uint8_t(std::clamp(int(200 * fy + 50 * std::sin(fx * 90) + grain), 0, 255));
        }
        out.write(reinterpret_cast<const char*>(row.data()), std::streamsize(row.size()));
    }
}

struct Picture {
    std::string name;
    Bytes jpeg;
    uint32_t width = 0;
    uint32_t height = 0;
};

// One decode into a fresh zero-filled buffer, as a new DIB section would be.
bool decodeOurs(const Bytes& jpeg) {
    SilentSeam seam;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(jpeg.data(), jpeg.size(), seam, probe)) return false;
    const int32_t stride = probe.paddedWidth * 3;
    auto* dib = static_cast<uint8_t*>(std::calloc(size_t(stride) * size_t(probe.paddedHeight), 1));
    vistello::JpegDecoder decoder(seam);
    const int result = decoder.decodeJpeg(jpeg.data(), jpeg.size(),
                                          {dib + size_t(probe.paddedHeight - 1) * size_t(stride), stride, probe.paddedWidth, probe.paddedHeight});
    std::free(dib);
    return result == 1;
}

bool decodeTurbo(const Bytes& jpeg) {
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
    auto* buffer = static_cast<uint8_t*>(std::calloc(stride * info.output_height, 1));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = buffer + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::free(buffer);
    return true;
}

struct Timings {
    double ours = -1;
    double turbo = -1;
};

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// One warm-up decode each, then runs rounds in which the two decoders take turns, so that a
// change in the machine's load during the measurement falls on both; the median of each.
Timings medianSeconds(const std::function<bool()>& ours, const std::function<bool()>& turbo, int runs) {
    if (!ours() || !turbo()) return {};
    std::vector<double> oursTimes;
    std::vector<double> turboTimes;
    const auto time = [](const std::function<bool()>& decode, std::vector<double>& times) {
        const auto start = std::chrono::steady_clock::now();
        const bool ok = decode();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        return ok;
    };
    for (int i = 0; i < runs; ++i) {
        if (!time(ours, oursTimes) || !time(turbo, turboTimes)) return {};
    }
    return {median(oursTimes), median(turboTimes)};
}

long statusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

// Peak resident memory that one decode adds, measured in a fresh process (this program run
// with --peak), whose high-water mark starts from a small image: the peak minus the resident
// size just before the decode.
long peakKib(const std::string& self, const std::string& decoder, const std::string& jpegPath) {
    const std::string command = self + " --peak " + decoder + " " + jpegPath;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return -1;
    long added = -1;
    if (std::fscanf(pipe, "%ld", &added) != 1) added = -1;
    pclose(pipe);
    return added;
}

int measurePeak(const std::string& decoder, const std::string& jpegPath) {
    const Bytes jpeg = readFile(jpegPath);
    const long before = statusKib("VmRSS:");
    const bool ok = decoder == "ours" ? decodeOurs(jpeg) : decodeTurbo(jpeg);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", ok ? usage.ru_maxrss - before : -1);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // glibc raises its threshold for serving large blocks from fresh pages whenever such a
    // block is freed, and keeps freed heap memory mapped up to a threshold that rises with it.
    // Left alone, every decode after the first large progressive one would get its output
    // buffer and stores from already-touched heap memory without page faults, while the
    // pictures measured earlier pay them: the figures would depend on the order of the
    // pictures. Fixed thresholds (glibc's starting values) give every large buffer of both
    // decoders fresh zero pages on every decode, as a new DIB section would have.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    if (argc == 4 && std::string(argv[1]) == "--peak") return measurePeak(argv[2], argv[3]);
    const int runsLarge = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const std::string folder = std::filesystem::temp_directory_path().string() + "/vistello_bench_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    const std::string wallpaper = argc > 2 ? argv[2] : "";
    const bool photo = !wallpaper.empty();
    struct Size { const char* name; uint32_t width, height; int runs; };
    const Size sizes[] = {{"12mp", 4000, 3000, runsLarge}, {"0.5mp", 816, 612, runsLarge * 5}};
    struct Layout { const char* name; const char* options; };
    const Layout layouts[] = {
        {"420_q90", "-quality 90 -sample 2x2"},
        {"444_q90", "-quality 90 -sample 1x1"},
        {"420_q90_progressive", "-quality 90 -sample 2x2 -progressive"},
        {"420_q90_restart_row", "-quality 90 -sample 2x2 -restart 1"},
    };
    std::printf("source: %s\n", photo ? wallpaper.c_str() : "generated pattern");
    std::printf("%-28s %11s %9s %9s %6s %10s %10s\n", "picture", "size", "ours MP/s", "turbo MP/s", "ratio", "ours KiB", "turbo KiB");
    for (const Size& size : sizes) {
        const std::string ppm = folder + "/" + size.name + ".ppm";
        if (photo) {
            if (!run("convert " + wallpaper + " -resize " + std::to_string(size.width) + "x" + std::to_string(size.height) + "! ppm:" + ppm)) return 1;
        } else {
            writePattern(ppm, size.width, size.height);
        }
        for (const Layout& layout : layouts) {
            const std::string jpegPath = folder + "/" + size.name + "_" + layout.name + ".jpg";
            if (!run(std::string("cjpeg ") + layout.options + " -outfile " + jpegPath + " " + ppm)) return 1;
            const Bytes jpeg = readFile(jpegPath);
            const double megapixels = double(size.width) * size.height / 1e6;
            const Timings timings = medianSeconds([&] { return decodeOurs(jpeg); }, [&] { return decodeTurbo(jpeg); }, size.runs);
            const double ours = timings.ours;
            const double turbo = timings.turbo;
            const long oursPeak = peakKib(argv[0], "ours", jpegPath);
            const long turboPeak = peakKib(argv[0], "turbo", jpegPath);
            const std::string name = std::string(size.name) + "_" + layout.name;
            std::printf("%-28s %5ux%-5u %9.1f %9.1f %6.2f %10ld %10ld  (%zu bytes)\n", name.c_str(), size.width,
                        size.height, megapixels / ours, megapixels / turbo, turbo / ours, oursPeak, turboPeak, jpeg.size());
            std::fflush(stdout);
        }
    }
    std::filesystem::remove_all(folder);
    return 0;
}
