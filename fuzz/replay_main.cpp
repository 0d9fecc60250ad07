// Replays fuzz inputs without libFuzzer: every file under the folders named on the command
// line goes once through the target's entry point.
//   fuzz_<name>_replay CORPUS [FOLDER...]
// The seed corpus must exist; further folders (the regressions found so far) may be missing.
// A replay that ran no input at all has tested nothing and fails.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

// Runs every regular file under folder; returns how many ran.
size_t replayFolder(const std::filesystem::path& folder) {
    size_t count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
        ++count;
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s CORPUS [FOLDER...]\n", argv[0]);
        return 2;
    }
    size_t count = 0;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (!fs::is_directory(argv[i], error)) {
            if (i == 1) {
                std::fprintf(stderr, "no seed corpus at %s\n", argv[i]);
                return 1;
            }
            continue;
        }
        count += replayFolder(argv[i]);
    }
    std::printf("replayed %zu inputs\n", count);
    if (count == 0) {
        std::fprintf(stderr, "no inputs: a replay of nothing tests nothing\n");
        return 1;
    }
    return 0;
}
