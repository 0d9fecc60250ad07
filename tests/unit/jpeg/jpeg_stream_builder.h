#pragma once
// Builds small JPEG streams byte by byte for tests of single rules: marker segments with
// simple Huffman tables and hand-written entropy-coded data.
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace vistello::testing {

using Bytes = std::vector<uint8_t>;

// Entropy-coded bits, most significant first; pads the last byte with 1s and stuffs FF 00.
class BitWriter {
public:
    void put(uint32_t value, uint32_t count) {
        for (uint32_t i = count; i-- > 0;) putBit((value >> i) & 1);
    }
    Bytes finish() {
        while (bitCount != 0) putBit(1);
        return bytes;
    }

private:
    void putBit(uint32_t bit) {
        current = static_cast<uint8_t>(current << 1 | bit);
        if (++bitCount == 8) {
            bytes.push_back(current);
            if (current == 0xFF) bytes.push_back(0x00);
            current = 0;
            bitCount = 0;
        }
    }
    Bytes bytes;
    uint8_t current = 0;
    uint32_t bitCount = 0;
};

// With the tables of `flatTables`: DC symbols 0..15 are 4-bit codes equal to the symbol, AC
// symbols 0..254 are 8-bit codes equal to the symbol.
inline void putDc(BitWriter& bits, uint32_t category, uint32_t value) {
    bits.put(category, 4);
    bits.put(value, category);
}
inline void putAc(BitWriter& bits, uint32_t run, uint32_t size, uint32_t value) {
    bits.put(run << 4 | size, 8);
    bits.put(value, size);
}
inline void putEob(BitWriter& bits) { bits.put(0x00, 8); }
// Received bits of a signed value of the given category (T.81 F.1.2.1).
inline uint32_t magnitudeBits(int32_t value, uint32_t category) {
    return value >= 0 ? static_cast<uint32_t>(value) : static_cast<uint32_t>(value + (1 << category) - 1);
}

class StreamBuilder {
public:
    StreamBuilder& soi() { return raw({0xFF, 0xD8}); }
    StreamBuilder& eoi() { return raw({0xFF, 0xD9}); }
    StreamBuilder& marker(uint8_t code) { return raw({0xFF, code}); }
    StreamBuilder& raw(std::initializer_list<uint8_t> values) {
        bytes.insert(bytes.end(), values.begin(), values.end());
        return *this;
    }
    StreamBuilder& raw(const Bytes& values) {
        bytes.insert(bytes.end(), values.begin(), values.end());
        return *this;
    }
    // A segment whose length field is payload size + 2.
    StreamBuilder& segment(uint8_t code, const Bytes& payload) {
        const size_t segmentLength = payload.size() + 2;
        raw({0xFF, code, static_cast<uint8_t>(segmentLength >> 8), static_cast<uint8_t>(segmentLength)});
        return raw(payload);
    }
    // 8-bit table with every quantiser equal to q.
    StreamBuilder& dqt(uint8_t id, uint8_t q) {
        Bytes payload{id};
        payload.insert(payload.end(), 64, q);
        return segment(0xDB, payload);
    }
    struct Component { uint8_t id, h, v, tq; };
    StreamBuilder& sof(uint8_t code, uint16_t width, uint16_t height, std::initializer_list<Component> components,
                       uint8_t precision = 8) {
        Bytes payload{precision, static_cast<uint8_t>(height >> 8), static_cast<uint8_t>(height),
                      static_cast<uint8_t>(width >> 8), static_cast<uint8_t>(width), static_cast<uint8_t>(components.size())};
        for (const Component& c : components) {
            payload.insert(payload.end(), {c.id, static_cast<uint8_t>(c.h << 4 | c.v), c.tq});
        }
        return segment(code, payload);
    }
    StreamBuilder& dht(uint8_t classAndId, const Bytes& counts16, const Bytes& values) {
        Bytes payload{classAndId};
        payload.insert(payload.end(), counts16.begin(), counts16.end());
        payload.insert(payload.end(), values.begin(), values.end());
        return segment(0xC4, payload);
    }
    // DC table id 0 and AC table id 0 as described at putDc/putAc.
    StreamBuilder& flatTables() {
        Bytes dcCounts(16, 0);
        dcCounts[3] = 16;
        Bytes dcValues;
        for (uint8_t s = 0; s < 16; ++s) dcValues.push_back(s);
        Bytes acCounts(16, 0);
        acCounts[7] = 255;
        Bytes acValues;
        for (int s = 0; s < 255; ++s) acValues.push_back(static_cast<uint8_t>(s));
        dht(0x00, dcCounts, dcValues);
        return dht(0x10, acCounts, acValues);
    }
    struct ScanEntry { uint8_t id, tables; };
    StreamBuilder& sos(std::initializer_list<ScanEntry> entries, uint8_t ss = 0, uint8_t se = 63, uint8_t ahAl = 0) {
        Bytes payload{static_cast<uint8_t>(entries.size())};
        for (const ScanEntry& e : entries) payload.insert(payload.end(), {e.id, e.tables});
        payload.insert(payload.end(), {ss, se, ahAl});
        return segment(0xDA, payload);
    }
    StreamBuilder& dri(uint16_t interval) {
        return segment(0xDD, {static_cast<uint8_t>(interval >> 8), static_cast<uint8_t>(interval)});
    }
    Bytes bytes;
};

}  // namespace vistello::testing
