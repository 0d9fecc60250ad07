#include "raster/rle_expander.h"

#include <algorithm>

#include "common/byte_reader.h"

namespace vistello {
namespace {

// Escapes that follow a zero count byte.
constexpr uint8_t escapeEndOfLine = 0;
constexpr uint8_t escapeEndOfBitmap = 1;
constexpr uint8_t escapeDelta = 2;

// The output position, kept as a byte offset and, for 4-bit pixels, the nibble phase. The
// row is tracked separately: a run that fills a row exactly leaves the offset at the start of
// the next row, and the end-of-line escape after it must not skip that row.
class PixelCursor {
public:
    explicit PixelCursor(const RleOutput& output) : output_(output) {}

    [[nodiscard]] bool putByte(uint8_t value) {
        if (offset_ >= output_.size) return false;
        output_.pixels[offset_++] = value;
        return true;
    }

    // A pixel in the high-nibble phase starts a byte; one in the low-nibble phase completes it.
    [[nodiscard]] bool putNibble(uint8_t value) {
        if (offset_ >= output_.size) return false;
        uint8_t& target = output_.pixels[offset_];
        if (highPhase_) {
            target = uint8_t(value << 4);
        } else {
            target = uint8_t((target & 0xF0) | value);
            ++offset_;
        }
        highPhase_ = !highPhase_;
        return true;
    }

    void endOfLine() {
        ++row_;
        moveTo(row_ * uint64_t(output_.stride));
        highPhase_ = true;
    }

    // Moves dx pixels to the right and dy rows further in memory (up in the picture). The
    // pixels passed over keep their value.
    void delta(uint8_t dx, uint8_t dy, bool nibbles) {
        row_ += dy;
        uint64_t target = offset_ + uint64_t(dy) * output_.stride;
        if (nibbles) {
            const uint64_t nibble = target * 2 + (highPhase_ ? 0 : 1) + dx;
            target = nibble / 2;
            highPhase_ = nibble % 2 == 0;
        } else {
            target += dx;
        }
        moveTo(target);
    }

private:
    // Positions beyond the pixel memory clip to its end, where every further write refuses.
    void moveTo(uint64_t target) { offset_ = size_t(std::min<uint64_t>(target, output_.size)); }

    RleOutput output_;
    size_t offset_ = 0;
    uint64_t row_ = 0;
    bool highPhase_ = true;
};

// Reads the two offset bytes of a delta escape; false when the data ends inside it.
[[nodiscard]] bool applyDelta(ByteReader& reader, PixelCursor& cursor, bool nibbles) {
    uint8_t dx = 0;
    uint8_t dy = 0;
    if (!reader.readU8(dx) || !reader.readU8(dy)) return false;
    cursor.delta(dx, dy, nibbles);
    return true;
}

// An absolute run of count bytes, padded to an even number of data bytes.
[[nodiscard]] bool copyAbsolute8(ByteReader& reader, PixelCursor& cursor, uint8_t count) {
    for (uint8_t i = 0; i < count; ++i) {
        uint8_t value = 0;
        if (!reader.readU8(value) || !cursor.putByte(value)) return false;
    }
    uint8_t padding = 0;
    if (count % 2 != 0) (void)reader.readU8(padding);  // a missing pad byte ends the data anyway
    return true;
}

// An absolute run of count pixels, two per byte, high nibble first; the ceil(count / 2) data
// bytes are padded to an even number.
[[nodiscard]] bool copyAbsolute4(ByteReader& reader, PixelCursor& cursor, uint8_t count) {
    uint8_t pair = 0;
    for (uint8_t i = 0; i < count; ++i) {
        if (i % 2 == 0 && !reader.readU8(pair)) return false;
        const uint8_t value = i % 2 == 0 ? uint8_t(pair >> 4) : uint8_t(pair & 0x0F);
        if (!cursor.putNibble(value)) return false;
    }
    const unsigned dataBytes = (count + 1u) / 2;
    uint8_t padding = 0;
    if (dataBytes % 2 != 0) (void)reader.readU8(padding);
    return true;
}

[[nodiscard]] bool repeat8(PixelCursor& cursor, uint8_t count, uint8_t value) {
    for (uint8_t i = 0; i < count; ++i) {
        if (!cursor.putByte(value)) return false;
    }
    return true;
}

[[nodiscard]] bool repeat4(PixelCursor& cursor, uint8_t count, uint8_t pair) {
    for (uint8_t i = 0; i < count; ++i) {
        if (!cursor.putNibble(i % 2 == 0 ? uint8_t(pair >> 4) : uint8_t(pair & 0x0F))) return false;
    }
    return true;
}

// The command loop both forms share: true to go on, false to stop.
template <bool nibbles>
[[nodiscard]] bool step(ByteReader& reader, PixelCursor& cursor) {
    uint8_t count = 0;
    uint8_t second = 0;
    if (!reader.readU8(count) || !reader.readU8(second)) return false;
    if (count > 0) return nibbles ? repeat4(cursor, count, second) : repeat8(cursor, count, second);
    switch (second) {
    case escapeEndOfLine: cursor.endOfLine(); return true;
    case escapeEndOfBitmap: return false;
    case escapeDelta: return applyDelta(reader, cursor, nibbles);
    default: return nibbles ? copyAbsolute4(reader, cursor, second) : copyAbsolute8(reader, cursor, second);
    }
}

}  // namespace

void expandRle8(const uint8_t* data, size_t size, const RleOutput& output) {
    ByteReader reader(data, size);
    PixelCursor cursor(output);
    while (step<false>(reader, cursor)) {
    }
}

void expandRle4(const uint8_t* data, size_t size, const RleOutput& output) {
    ByteReader reader(data, size);
    PixelCursor cursor(output);
    while (step<true>(reader, cursor)) {
    }
}

}  // namespace vistello
