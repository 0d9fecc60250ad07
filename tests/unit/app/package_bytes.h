#pragma once
// Builds package bytes item by item, independently of the package writer, so that reader tests
// and writer tests check each other against the layout rather than against themselves.
#include <cstdint>
#include <string_view>
#include <vector>

namespace vistello::test {

class PackageBytes {
public:
    PackageBytes& text(std::string_view value) {
        bytes_.insert(bytes_.end(), value.begin(), value.end());
        bytes_.push_back(0);
        return *this;
    }
    PackageBytes& int32(int32_t value) {
        const auto bits = uint32_t(value);
        for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(uint8_t(bits >> shift));
        return *this;
    }
    PackageBytes& raw(const std::vector<uint8_t>& value) {
        bytes_.insert(bytes_.end(), value.begin(), value.end());
        return *this;
    }
    size_t size() const { return bytes_.size(); }
    const std::vector<uint8_t>& bytes() const { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};

// n bytes that start like a JPEG file, with a pattern that makes misplaced reads visible.
inline std::vector<uint8_t> jpegLikeBytes(size_t n) {
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i) bytes[i] = uint8_t(i * 7 + 3);
    if (n >= 2) { bytes[0] = 0xFF; bytes[1] = 0xD8; }
    return bytes;
}

}  // namespace vistello::test
