#pragma once
// An input file over bytes in memory: what the fuzz targets and unit tests hand to the code
// that otherwise reads files through the file seam.
#include <algorithm>
#include <span>
#include <string>

#include "platform/files.h"

namespace vistello::tools {

class MemoryInputFile final : public InputFile {
public:
    explicit MemoryInputFile(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    uint64_t size() const override { return bytes_.size(); }
    FileIdentity identity() const override { return {}; }
    [[nodiscard]] bool readAt(uint64_t offset, std::span<uint8_t> out, std::string& problem) override {
        if (offset > bytes_.size() || out.size() > bytes_.size() - offset) {
            problem = "read beyond the end of the data";
            return false;
        }
        std::copy_n(bytes_.begin() + std::ptrdiff_t(offset), out.size(), out.begin());
        return true;
    }

private:
    std::span<const uint8_t> bytes_;
};

}  // namespace vistello::tools
