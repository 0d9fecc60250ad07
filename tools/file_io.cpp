#include "file_io.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace vistello::tools {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using UniqueFile = std::unique_ptr<std::FILE, FileCloser>;

std::string describe(const std::string& path, const char* action, int error) {
    return path + ": cannot " + action + ": " + std::strerror(error);
}

}  // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& problem) {
    bytes.clear();
    UniqueFile file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        problem = describe(path, "open", errno);
        return false;
    }
    uint8_t buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.insert(bytes.end(), buffer, buffer + got);
    if (std::ferror(file.get())) {
        problem = describe(path, "read", errno);
        return false;
    }
    return true;
}

bool writeWholeFile(const std::string& path, std::span<const std::span<const uint8_t>> parts, std::string& problem) {
    UniqueFile file(std::fopen(path.c_str(), "wb"));
    if (!file) {
        problem = describe(path, "create", errno);
        return false;
    }
    errno = 0;
    bool failed = false;
    for (const auto& part : parts) {
        if (!failed && !part.empty() && std::fwrite(part.data(), 1, part.size(), file.get()) != part.size())
            failed = true;
    }
    const int writeError = errno;
    // Closing flushes; a full disk may only show here.
    if (std::fclose(file.release()) != 0 && !failed) failed = true;
    if (!failed) return true;
    problem = describe(path, "write", writeError != 0 ? writeError : (errno != 0 ? errno : EIO));
    // Only a regular file is ours to remove; a device or pipe named as the output stays.
    std::error_code ignored;
    if (std::filesystem::is_regular_file(path, ignored)) std::filesystem::remove(path, ignored);
    return false;
}

}  // namespace vistello::tools
