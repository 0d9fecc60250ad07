#pragma once
// The pictures bench_decode measures: each source (a smooth photograph, a dense photograph, a
// generated pattern, or one picture named on the command line) at 12 MP and 0.5 MP, each stored
// by cjpeg -quality 90 as baseline 4:2:0, baseline 4:4:4, progressive 4:2:0 and baseline 4:2:0
// with one restart interval per MCU row.
#include <cstdint>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<uint8_t>;

struct Picture {
    std::string name;     // source_size_layout, e.g. smooth_12mp_420
    std::string path;     // the JPEG file (kept in the cache folder)
    uint32_t width = 0;
    uint32_t height = 0;
};

struct PictureSet {
    std::vector<std::string> sources;  // one line per source: its name and where it came from
    std::vector<Picture> pictures;
};

// The cache folder: $XDG_CACHE_HOME/vistello-bench or ~/.cache/vistello-bench.
[[nodiscard]] std::string cacheFolder();

// Makes (or finds in the cache) every picture whose name contains `only` (all when empty).
// With `namedSource` set, that picture replaces the two photographs. The photographs come
// from Debian's wallpaper packages, downloaded into the cache with apt-get download and
// unpacked there with dpkg -x (nothing is installed); where that fails they are left out
// with a note on stderr. Exits the program when cjpeg or ImageMagick fails.
[[nodiscard]] PictureSet makePictures(const std::string& namedSource, const std::string& only);

[[nodiscard]] Bytes readFile(const std::string& path);

}  // namespace bench
