// Decodes the same in-memory JPEG files with our decoder, with libjpeg-turbo (JDCT_ISLOW, no
// fancy upsampling, BGR output) and, where the bench was built with it, with FFmpeg's decoder
// (mjpeg, then swscale to BGR24), the decoders taking turns in one run. For every picture it
// prints the megapixels per second of each and ours ÷ theirs, once with each decoder's default
// threading and once with the whole process held to one core (as taskset -c would), the peak
// memory that one decode of each adds, and with --instructions the instructions per pixel of
// one decode of each under callgrind, all threads summed.
//
// The pictures (bench_pictures.h) are made once with cjpeg -quality 90 and kept in
// ~/.cache/vistello-bench.
//
// Usage: bench_decode [--runs N] [--only TEXT] [--instructions] [--source PICTURE]
//                     [--threads N] [--simd scalar|sse2|sse41|avx2|best]
//        bench_decode [runs] [source picture]
// (--threads and --simd set our decoder's settings; left out, the decoder's defaults.)
#include <malloc.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#define VISTELLO_BENCH_CALLGRIND 1
#else
#define VISTELLO_BENCH_CALLGRIND 0
#endif

#include "bench_decoders.h"
#include "bench_pictures.h"

namespace {

using namespace bench;

struct Options {
    int runs = 7;
    std::string only;
    std::string source;
    bool instructions = false;
    OurSettings settings;
    // The modes of the fresh processes the bench starts: one decode for the peak memory or
    // under callgrind.
    std::string mode;
    std::string modeDecoder;
    std::string modeFile;
};

bool parseOptions(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        const bool hasValue = i + 1 < argc;
        if (argument == "--runs" && hasValue) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (argument == "--only" && hasValue) {
            options.only = argv[++i];
        } else if (argument == "--source" && hasValue) {
            options.source = argv[++i];
        } else if (argument == "--instructions") {
            options.instructions = true;
        } else if (argument == "--threads" && hasValue) {
            options.settings.threads = uint32_t(std::max(0, std::atoi(argv[++i])));
        } else if (argument == "--simd" && hasValue) {
            if (!simdLevelFromName(argv[++i], options.settings.simd)) return false;
        } else if ((argument == "--peak" || argument == "--once") && i + 2 < argc) {
            options.mode = argument;
            options.modeDecoder = argv[++i];
            options.modeFile = argv[++i];
        } else if (argument.rfind("--", 0) == 0) {
            return false;
        } else {
            positional.push_back(argument);
        }
    }
    if (positional.size() > 2) return false;
    if (!positional.empty()) options.runs = std::max(1, std::atoi(positional[0].c_str()));
    if (positional.size() == 2) options.source = positional[1];
    return true;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Seconds per decode of each decoder (-1 where one failed): one warm-up decode each, then
// rounds in which the decoders take turns, so that a change in the machine's load during the
// measurement falls on all of them; the median of each.
std::vector<double> medianSeconds(const std::vector<Decoder>& decoders, const PaddedJpeg& jpeg, int runs) {
    std::vector<double> failed(decoders.size(), -1);
    for (const Decoder decoder : decoders) {
        if (!decode(decoder, jpeg)) return failed;
    }
    std::vector<std::vector<double>> times(decoders.size());
    for (int round = 0; round < runs; ++round) {
        for (size_t i = 0; i < decoders.size(); ++i) {
            const auto start = std::chrono::steady_clock::now();
            if (!decode(decoders[i], jpeg)) return failed;
            times[i].push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    std::vector<double> medians;
    for (const auto& each : times) medians.push_back(median(each));
    return medians;
}

// Holds the process (and the threads it starts from now on) to the first core it may run on,
// and gives back the cores it had when it ends.
class OneCore {
public:
    OneCore() {
        CPU_ZERO(&original);
        if (sched_getaffinity(0, sizeof original, &original) != 0) return;
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (!CPU_ISSET(cpu, &original)) continue;
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(cpu, &one);
            if (sched_setaffinity(0, sizeof one, &one) == 0) core = cpu;
            return;
        }
    }
    OneCore(const OneCore&) = delete;
    OneCore& operator=(const OneCore&) = delete;
    ~OneCore() {
        if (core >= 0) (void)sched_setaffinity(0, sizeof original, &original);
    }
    [[nodiscard]] int pinnedCore() const { return core; }

private:
    cpu_set_t original{};
    int core = -1;
};

int firstCore() { return OneCore().pinnedCore(); }

// Our decoder's settings for the fresh processes.
std::string settingsArguments() {
    return " --threads " + std::to_string(ourSettings().threads) + " --simd " + simdLevelName(ourSettings().simd);
}

long statusKib(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

std::string firstLineOf(const std::string& command) {
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return {};
    char line[256] = {};
    if (std::fgets(line, sizeof line, pipe) == nullptr) line[0] = '\0';
    pclose(pipe);
    return line;
}

// Peak resident memory that one decode adds, in KiB, measured in a fresh process (this program
// run with --peak), whose high-water mark starts from a small image: the peak minus the
// resident size just before the decode.
long peakKib(const std::string& self, Decoder decoder, const std::string& jpegPath) {
    const std::string line = firstLineOf("'" + self + "' --peak " + decoderName(decoder) + " '" + jpegPath + "'" + settingsArguments());
    return line.empty() ? -1 : std::atol(line.c_str());
}

int measurePeak(Decoder decoder, const std::string& jpegPath) {
    const PaddedJpeg jpeg(readFile(jpegPath));
    const long before = statusKib("VmRSS:");
    const bool ok = decode(decoder, jpeg);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%ld\n", ok ? usage.ru_maxrss - before : -1);
    return 0;
}

// One decode with callgrind's instrumentation on around it alone (this program run with --once
// under valgrind --instr-atstart=no): the count leaves out start-up and reading the file.
int decodeOnce(Decoder decoder, const std::string& jpegPath) {
    const PaddedJpeg jpeg(readFile(jpegPath));
#if VISTELLO_BENCH_CALLGRIND
    CALLGRIND_START_INSTRUMENTATION;
#endif
    const bool ok = decode(decoder, jpeg);
#if VISTELLO_BENCH_CALLGRIND
    CALLGRIND_STOP_INSTRUMENTATION;
#endif
    return ok ? 0 : 1;
}

bool callgrindAvailable() { return VISTELLO_BENCH_CALLGRIND && std::system("valgrind --version >/dev/null 2>&1") == 0; }

// Instructions per pixel of one decode under callgrind, all threads of the decode summed
// (callgrind counts every thread into one total unless told to keep them apart); -1 on failure.
double instructionsPerPixel(const std::string& self, Decoder decoder, const Picture& picture) {
    const std::string out = std::filesystem::temp_directory_path().string() + "/vistello_bench_callgrind_" + std::to_string(getpid());
    const std::string command = "valgrind --tool=callgrind --instr-atstart=no --callgrind-out-file='" + out + "' '" + self + "' --once " +
                                decoderName(decoder) + " '" + picture.path + "'" + settingsArguments() + " >/dev/null 2>&1";
    double result = -1;
    if (std::system(command.c_str()) == 0) {
        std::ifstream counts(out);
        std::string line;
        while (std::getline(counts, line)) {
            // "totals:" holds the count of the whole run ("summary:" may stay 0 when the
            // instrumentation was switched on by the program).
            if (line.rfind("totals:", 0) == 0) {
                result = std::atof(line.c_str() + 7) / (double(picture.width) * picture.height);
                break;
            }
        }
    }
    std::filesystem::remove(out);
    return result;
}

std::string cell(double value, const char* format) {
    if (value < 0) return "-";
    char text[32];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

struct Row {
    std::vector<std::string> cells;
    void add(const std::string& text) { cells.push_back(text); }
    void print(const std::vector<int>& widths) const {
        std::printf("|");
        for (size_t i = 0; i < cells.size(); ++i) std::printf(" %*s |", i == 0 ? -widths[i] : widths[i], cells[i].c_str());
        std::printf("\n");
    }
};

// MP/s of each decoder and ours ÷ each of the others (their time ÷ ours: above 1 where ours is faster).
void addSpeeds(Row& row, const std::vector<double>& seconds, double megapixels) {
    for (size_t i = 0; i < seconds.size(); ++i) {
        row.add(cell(seconds[i] > 0 ? megapixels / seconds[i] : -1, "%.1f"));
        if (i > 0) row.add(cell(seconds[0] > 0 && seconds[i] > 0 ? seconds[i] / seconds[0] : -1, "%.2f"));
    }
}

void printLegend(const std::vector<Decoder>& decoders, bool instructions) {
    std::printf("MP/s: median of the rounds; ours/X: ours ÷ decoder X (its time ÷ ours, above 1 where ours is faster);\n");
    std::printf("1 core: the same with the process held to one core; peak: MiB that one decode adds (fresh process)%s\n",
                instructions ? ";\nIr/px: instructions per pixel of one decode under callgrind, all threads" : "");
    std::printf("decoders: ours, libjpeg-turbo (turbo)%s\n\n", decoders.size() > 2 ? ", FFmpeg (ffmpeg: mjpeg + swscale to BGR24)" : "");
}

Row headerRow(const std::vector<Decoder>& decoders, bool instructions) {
    Row row;
    row.add("picture");
    row.add("KiB");
    for (const char* prefix : {"", "1 core "}) {
        for (size_t i = 0; i < decoders.size(); ++i) {
            row.add(std::string(prefix) + decoderName(decoders[i]));
            if (i > 0) row.add(std::string(prefix) + "ours/" + decoderName(decoders[i]));
        }
    }
    for (const Decoder decoder : decoders) row.add(std::string("peak ") + decoderName(decoder));
    if (instructions) {
        for (const Decoder decoder : decoders) row.add(std::string("Ir/px ") + decoderName(decoder));
    }
    return row;
}

}  // namespace

int main(int argc, char** argv) {
    // glibc raises its threshold for serving large blocks from fresh pages whenever such a
    // block is freed, and keeps freed heap memory mapped up to a threshold that rises with it.
    // Left alone, every decode after the first large progressive one would get its output
    // buffer and stores from already-touched heap memory without page faults, while the
    // pictures measured earlier pay them: the figures would depend on the order of the
    // pictures. Fixed thresholds (glibc's starting values) give every large buffer of every
    // decoder fresh zero pages on every decode, as a new DIB section would have.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_TRIM_THRESHOLD, 128 * 1024);
    Options options;
    Decoder chosen = Decoder::ours;
    if (!parseOptions(argc, argv, options) || (!options.mode.empty() && !decoderFromName(options.modeDecoder, chosen))) {
        std::fprintf(stderr,
                     "usage: bench_decode [--runs N] [--only TEXT] [--instructions] [--source PICTURE] [--threads N]\n"
                     "                    [--simd scalar|sse2|sse41|avx2|best]\n");
        return 2;
    }
    setOurSettings(options.settings);
    if (options.mode == "--peak") return measurePeak(chosen, options.modeFile);
    if (options.mode == "--once") return decodeOnce(chosen, options.modeFile);
    if (options.instructions && !callgrindAvailable()) {
        std::fprintf(stderr, "bench_decode: --instructions needs valgrind (and its callgrind.h when building)\n");
        return 2;
    }
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const PictureSet set = makePictures(options.source, options.only);
    const std::vector<Decoder> decoders = availableDecoders();
    for (const std::string& source : set.sources) std::printf("source %s\n", source.c_str());
    std::printf("cjpeg -quality 90; cached in %s\n", cacheFolder().c_str());
    std::printf("rounds: %d for 12 MP, %d for 0.5 MP; one core: core %d of %ld online\n", options.runs, options.runs * 5, firstCore(),
                sysconf(_SC_NPROCESSORS_ONLN));
    std::printf("our decoder: threads %u%s, simd %s\n", ourSettings().threads, ourSettings().threads == 0 ? " (its choice)" : "",
                simdLevelName(ourSettings().simd));
    printLegend(decoders, options.instructions);

    const Row header = headerRow(decoders, options.instructions);
    std::vector<int> widths;
    for (const std::string& text : header.cells) widths.push_back(std::max(5, int(text.size())));
    for (const Picture& picture : set.pictures) widths[0] = std::max(widths[0], int(picture.name.size()));
    header.print(widths);
    Row rule;
    for (const int width : widths) rule.add(std::string(size_t(width), '-'));
    rule.print(widths);
    for (const Picture& picture : set.pictures) {
        const PaddedJpeg jpeg(readFile(picture.path));
        const double megapixels = double(picture.width) * picture.height / 1e6;
        const int runs = picture.width * picture.height > 4'000'000 ? options.runs : options.runs * 5;
        Row row;
        row.add(picture.name);
        row.add(std::to_string((jpeg.size() + 512) / 1024));
        addSpeeds(row, medianSeconds(decoders, jpeg, runs), megapixels);
        {
            const OneCore pinned;
            addSpeeds(row, medianSeconds(decoders, jpeg, runs), megapixels);
        }
        for (const Decoder decoder : decoders) {
            const long kib = peakKib(self, decoder, picture.path);
            row.add(cell(kib >= 0 ? double(kib) / 1024 : -1, "%.1f"));
        }
        if (options.instructions) {
            for (const Decoder decoder : decoders) row.add(cell(instructionsPerPixel(self, decoder, picture), "%.1f"));
        }
        row.print(widths);
        std::fflush(stdout);
    }
    return 0;
}
