#include "bench_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

namespace bench {
namespace {

namespace fs = std::filesystem;

// Bump when a recipe below changes, so that cached pictures of the old recipe are not reused.
constexpr const char* pictureFolderName = "pictures-1";

bool run(const std::string& command) { return std::system(command.c_str()) == 0; }

std::string quoted(const std::string& text) { return "'" + text + "'"; }

// A deterministic picture with detail and grain everywhere (about 1.8 bits per pixel at quality
// 90, like a photograph, but with far more entropy-coded work per pixel than most photographs).
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

// A file of a Debian package, downloaded and unpacked into the cache on first use.
std::string packageFile(const std::string& package, const std::string& file) {
    const fs::path unpacked = fs::path(cacheFolder()) / "unpacked";
    const fs::path path = unpacked / file;
    if (fs::exists(path)) return path.string();
    const fs::path debs = fs::path(cacheFolder()) / "debs";
    fs::create_directories(debs);
    std::fprintf(stderr, "bench_decode: downloading %s into %s\n", package.c_str(), debs.c_str());
    const std::string command = "cd " + quoted(debs.string()) + " && apt-get download " + package + " >/dev/null && dpkg -x " +
                                package + "_*.deb " + quoted(unpacked.string());
    if (!run(command) || !fs::exists(path)) {
        std::fprintf(stderr, "bench_decode: cannot get %s from %s: left out\n", file.c_str(), package.c_str());
        return {};
    }
    return path.string();
}

struct Size {
    const char* name;
    uint32_t width, height;
};
constexpr Size large{"12mp", 4000, 3000};
constexpr Size small{"0.5mp", 816, 612};

struct Layout {
    const char* name;
    const char* options;
};
constexpr Layout layouts[] = {
    {"420", "-quality 90 -sample 2x2"},
    {"444", "-quality 90 -sample 1x1"},
    {"420_prog", "-quality 90 -sample 2x2 -progressive"},
    {"420_rst_row", "-quality 90 -sample 2x2 -restart 1"},
};

// One source: how to write its 4000 x 3000 PPM (the 0.5 MP one is scaled from that).
struct Source {
    std::string name;
    std::string description;
    std::function<bool(const std::string& ppm)> writeLarge;
};

std::vector<Source> sourcesFor(const std::string& namedSource) {
    std::vector<Source> sources;
    const auto scaled = [](const std::string& from) {
        // Scaled to cover 4000 x 3000, the overflow cut off evenly on both sides.
        return [from](const std::string& ppm) {
            return run("convert " + quoted(from) + " -resize 4000x3000^ -gravity center -extent 4000x3000 ppm:" + quoted(ppm));
        };
    };
    if (!namedSource.empty()) {
        sources.push_back({"named", namedSource + ", scaled to cover 4000 x 3000", scaled(namedSource)});
    } else {
        const std::string smooth = packageFile("plasma-workspace-wallpapers", "usr/share/wallpapers/FallenLeaf/contents/images/2560x1600.jpg");
        if (!smooth.empty()) {
            sources.push_back({"smooth", "FallenLeaf 2560x1600 of plasma-workspace-wallpapers, scaled to cover 4000 x 3000", scaled(smooth)});
        }
        const std::string dense = packageFile("mate-backgrounds", "usr/share/backgrounds/mate/abstract/Elephants_5640x3172.jpg");
        if (!dense.empty()) {
            sources.push_back({"dense", "Elephants 5640x3172 of mate-backgrounds, 4000 x 3000 cut from its centre", [dense](const std::string& ppm) {
                                   return run("convert " + quoted(dense) + " -gravity center -crop 4000x3000+0+0 +repage ppm:" + quoted(ppm));
                               }});
        }
    }
    sources.push_back({"pattern", "generated pattern with detail and grain everywhere", [](const std::string& ppm) {
                           writePattern(ppm, large.width, large.height);
                           return true;
                       }});
    return sources;
}

// The JPEG files of one source at one size; each made with cjpeg unless already cached.
bool addPictures(const Source& source, const Size& size, const std::string& ppm, const std::string& only, PictureSet& set) {
    const fs::path folder = fs::path(cacheFolder()) / pictureFolderName;
    for (const Layout& layout : layouts) {
        const std::string name = source.name + "_" + size.name + "_" + layout.name;
        if (!only.empty() && name.find(only) == std::string::npos) continue;
        const fs::path jpeg = folder / (name + ".jpg");
        // A named source is not cached: the same name may mean another picture next time.
        if (source.name == "named" || !fs::exists(jpeg)) {
            const fs::path temporary = folder / (name + ".jpg.part");
            if (!run(std::string("cjpeg ") + layout.options + " -outfile " + quoted(temporary.string()) + " " + quoted(ppm))) return false;
            fs::rename(temporary, jpeg);
        }
        set.pictures.push_back({name, jpeg.string(), size.width, size.height});
    }
    return true;
}

bool wanted(const Source& source, const Size& size, const std::string& only) {
    for (const Layout& layout : layouts) {
        if (only.empty() || (source.name + "_" + size.name + "_" + layout.name).find(only) != std::string::npos) return true;
    }
    return false;
}

bool cached(const Source& source, const Size& size) {
    if (source.name == "named") return false;
    const fs::path folder = fs::path(cacheFolder()) / pictureFolderName;
    for (const Layout& layout : layouts) {
        if (!fs::exists(folder / (source.name + "_" + size.name + "_" + layout.name + ".jpg"))) return false;
    }
    return true;
}

}  // namespace

std::string cacheFolder() {
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg != nullptr && *xdg != '\0') return std::string(xdg) + "/vistello-bench";
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : "/tmp") + "/.cache/vistello-bench";
}

PictureSet makePictures(const std::string& namedSource, const std::string& only) {
    PictureSet set;
    const fs::path folder = fs::path(cacheFolder()) / pictureFolderName;
    fs::create_directories(folder);
    for (const Source& source : sourcesFor(namedSource)) {
        set.sources.push_back(source.name + ": " + source.description);
        const bool needLarge = wanted(source, large, only);
        const bool needSmall = wanted(source, small, only);
        if (!needLarge && !needSmall) continue;
        const std::string largePpm = (folder / (source.name + "_large.ppm")).string();
        const std::string smallPpm = (folder / (source.name + "_small.ppm")).string();
        const bool makeLarge = (needLarge && !cached(source, large)) || (needSmall && !cached(source, small));
        bool ok = !makeLarge || source.writeLarge(largePpm);
        if (ok && needLarge) ok = addPictures(source, large, largePpm, only, set);
        if (ok && needSmall && !cached(source, small)) {
            ok = run("convert " + quoted(largePpm) + " -resize " + std::to_string(small.width) + "x" + std::to_string(small.height) + "! ppm:" +
                     quoted(smallPpm));
        }
        if (ok && needSmall) ok = addPictures(source, small, smallPpm, only, set);
        std::error_code ignored;
        fs::remove(largePpm, ignored);
        fs::remove(smallPpm, ignored);
        if (!ok) {
            std::fprintf(stderr, "bench_decode: cannot make the pictures of %s (needs cjpeg and ImageMagick)\n", source.name.c_str());
            std::exit(1);
        }
    }
    return set;
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace bench
