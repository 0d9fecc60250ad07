#pragma once
// The bit layer of an entropy-coded segment: codes packed high bit first, a 0x00 stuffed after
// every 0xFF byte, the last byte filled with one bits.
#include <cstdint>
#include <vector>

namespace vistello {

class EntropyWriter {
public:
    explicit EntropyWriter(std::vector<uint8_t>& out) : out_(out) {}

    // The low `length` bits of `bits` (length 0 ... 32).
    void put(uint32_t bits, int32_t length) {
        buffer_ = (buffer_ << length) | (uint64_t(bits) & ((uint64_t(1) << length) - 1));
        pending_ += length;
        while (pending_ >= 8) {
            pending_ -= 8;
            emit(uint8_t(buffer_ >> pending_));
        }
    }

    void finish() {
        if (pending_ > 0) put(0xFFu, 8 - pending_);
    }

private:
    void emit(uint8_t byte) {
        out_.push_back(byte);
        if (byte == 0xFF) out_.push_back(0x00);
    }

    std::vector<uint8_t>& out_;
    uint64_t buffer_ = 0;
    int32_t pending_ = 0;  // bits in buffer_ not yet written, always below 8 between calls
};

}  // namespace vistello
