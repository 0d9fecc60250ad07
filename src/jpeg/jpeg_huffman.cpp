// DHT segments and the construction of the decoding tables (ITU-T T.81, B.2.4.2, C, F.2.2.3).
#include "jpeg/jpeg_cursor_reader.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {

void buildHuffmanTable(HuffmanTable& table) {
    uint32_t k = 0;
    for (uint32_t codeLength = 1; codeLength <= 16; ++codeLength) {
        for (uint32_t i = 0; i < table.bits[codeLength]; ++i) table.sizes[k++] = static_cast<uint8_t>(codeLength);
    }
    table.sizes[k] = 0;
    // Code generation of Annex C: consecutive codes within a length, shifted left where the
    // length grows. With at most 256 codes the codes stay below 2^25.
    int32_t nextCode = 0;
    uint32_t size = table.sizes[0];
    k = 0;
    while (table.sizes[k] != 0) {
        while (table.sizes[k] == size) table.codes[k++] = nextCode++;
        if (table.sizes[k] == 0) break;
        do {
            nextCode <<= 1;
            ++size;
        } while (table.sizes[k] != size);
    }
    uint32_t j = 0;
    for (uint32_t codeLength = 1; codeLength <= 16; ++codeLength) {
        const uint32_t count = table.bits[codeLength];
        if (count == 0) {
            table.maxCode[codeLength] = -1;
            table.minCode[codeLength] = -1;
            continue;
        }
        table.valPtr[codeLength] = static_cast<uint16_t>(j);
        table.minCode[codeLength] = table.codes[j];
        table.maxCode[codeLength] = table.codes[j + count - 1];
        j += count;
    }
    // The lookahead repeats the bit-serial walk for every prefix, so that it answers exactly as
    // the walk does, even for tables whose code lengths are over-subscribed.
    for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix) {
        const uint64_t bits = uint64_t{prefix} << (64 - lookaheadBits);
        const uint32_t codeLength = matchingCodeLength(table, bits, 1, lookaheadBits);
        table.lookahead[prefix] = LookaheadEntry{};
        if (codeLength != 0) {
            table.lookahead[prefix] = LookaheadEntry{static_cast<uint8_t>(codeLength), symbolOfCode(table, bits, codeLength)};
        }
    }
}

void buildAcLookahead(HuffmanTable& table) {
    for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix) {
        table.acLookahead[prefix] = AcLookaheadEntry{};
        const LookaheadEntry entry = table.lookahead[prefix];
        if (entry.codeLength == 0) continue;
        const uint32_t run = entry.symbol >> 4;
        const uint32_t size = entry.symbol & 15;
        if (size == 0) {
            // ZRL skips 16 positions, and EOB (or a run of 1..14 with size 0) ends the block: as a
            // zero stored after a run of 15 or 63. The position it lands on is still the cleared
            // zero, since a block's positions are written in rising order.
            table.acLookahead[prefix] = AcLookaheadEntry{0, static_cast<uint8_t>(run == 15 ? 15 : 63), entry.codeLength};
            continue;
        }
        if (entry.codeLength + size > lookaheadBits) continue;
        const uint32_t bits = (prefix >> (lookaheadBits - entry.codeLength - size)) & ((1u << size) - 1);
        // |value| < 2^(lookaheadBits - 1): it fits in 16 bits.
        table.acLookahead[prefix] = AcLookaheadEntry{static_cast<int16_t>(extend(bits, size)), static_cast<uint8_t>(run),
                                                     static_cast<uint8_t>(entry.codeLength + size)};
    }
}

// The tables fill the segment's length exactly or the segment is refused; a length below 2
// holds no table, and the marker search goes on right after the length field. The decoder
// stays lenient about those two lengths as it always was: such files have always displayed.
bool JpegDecoder::readHuffmanTables() {
    CursorReader reader(data, length, cursor);
    uint16_t segmentLength = 0;
    if (!reader.readU16BE(segmentLength)) return false;
    int32_t remaining = int32_t{segmentLength} - 2;
    while (remaining > 0) {
        uint8_t classAndId = 0;
        if (!reader.readU8(classAndId)) return false;
        const uint8_t tableClass = classAndId >> 4;
        const uint8_t tableId = classAndId & 15;
        if (tableClass > 1 || tableId > 3) {
            messages.showMessage(invalidFileText);
            return false;
        }
        uint8_t counts[17] = {};
        int32_t valueCount = 0;
        for (uint32_t codeLength = 1; codeLength <= 16; ++codeLength) {
            if (!reader.readU8(counts[codeLength])) return false;
            valueCount += counts[codeLength];
        }
        remaining -= 17;
        // More than 256 codes cannot be a table of 8-bit symbols (T.81 B.2.4.2); refusing
        // them keeps every value index and code inside the table's arrays.
        if (valueCount > remaining || valueCount > 256) {
            messages.showMessage(invalidFileText);
            return false;
        }
        uint8_t values[256];
        for (int32_t i = 0; i < valueCount; ++i) {
            if (!reader.readU8(values[i])) return false;
        }
        remaining -= valueCount;
        HuffmanTable& table = tableClass == 0 ? dcTables[tableId] : acTables[tableId];
        for (uint32_t codeLength = 1; codeLength <= 16; ++codeLength) table.bits[codeLength] = counts[codeLength];
        for (int32_t i = 0; i < valueCount; ++i) table.values[i] = values[i];
        table.valueCount = static_cast<uint16_t>(valueCount);
        buildHuffmanTable(table);
        buildAcLookahead(table);
        table.defined = true;
    }
    return true;
}

}  // namespace vistello
