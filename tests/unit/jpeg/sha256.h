#pragma once
// SHA-256 (FIPS 180-4) of byte strings, for the digests that pin the decoder's output.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vistello::testing {

class Sha256 {
public:
    Sha256();
    void add(const void* bytes, size_t count);
    void addString(const std::string& text);    // its length first, so that strings cannot run together
    [[nodiscard]] std::string hex();             // ends the digest

private:
    void compress(const uint8_t chunk[64]);
    uint32_t state[8];
    uint8_t pending[64];
    size_t pendingCount = 0;
    uint64_t totalBytes = 0;
};

}  // namespace vistello::testing
