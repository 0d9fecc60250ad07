// Entropy decoding: the bit reader, symbol decoding, receive-and-extend and the block decoders
// of sequential and progressive scans (ITU-T T.81, F.2.2 and G.1.2).
//
// Two bit-level paths share the block logic. The reference path reads one byte at a time,
// only when a bit is needed, and walks the code lengths one bit at a time. The fast path keeps
// up to 64 bits buffered and finds codes of up to 10 bits with one table look-up
// (lookUpSymbol, its one primitive for symbols). It runs while more data bytes lie before the
// next marker (or the end of the data) than a block can consume, so it never meets the end of
// the entropy-coded data; closer to the marker, sequential blocks still run on it and are
// decoded again on the reference path when they took bits beyond the data, so every failure
// that depends on where the data ends happens on the reference path. Both paths give the same
// symbols, values and failures for every input; the fast one may have read a few bytes
// further, never past the marker, so the marker search after a run finds the same marker.
#include <bit>
#include <cstring>

#if defined(__x86_64__)
#include <emmintrin.h>
#endif

#include "jpeg/jpeg_arith.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

// A block consumes at most 64 symbols of 16 bits with 15 value bits each, plus at most 64
// correction bits (a sequential block: 16 + 16 bits of DC and 63 AC symbols): at most 2048
// bits, 256 bytes. The fast path runs only while at least 300 data bytes (raw bytes less every
// stuffed 00 of the run) lie before the marker.
constexpr size_t fastPathMargin = 300;

// DC difference categories above 16 cannot come from 8..16-bit samples (T.81 F.1.2.1.1).
constexpr uint32_t maxDcCategory = 16;

// Sixteen 16-byte stores, unrolled so the compiler does not turn them back into a string store,
// which takes longer to start than these take to finish.
inline void clearBlock(int32_t block[64]) {
#if defined(__x86_64__)
    const __m128i zero = _mm_setzero_si128();
#pragma GCC unroll 16
    for (int n = 0; n < 64; n += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(block + n), zero);
#else
    std::memset(block, 0, 64 * sizeof(int32_t));
#endif
}

}  // namespace

int32_t extend(uint32_t value, uint32_t size) {
    if (size == 0) return 0;
    if (value < (1u << (size - 1))) return static_cast<int32_t>(value) - (1 << size) + 1;
    return static_cast<int32_t>(value);
}

void JpegDecoder::resetBitReader() {
    bitsLeft = 0;
    bitBuffer = 0;
    findEntropyEnd();
}

// The first marker after cursor as the bit reader sees it (FF followed by anything but 00, or
// an FF that is the last byte), and the number of stuffed FF 00 pairs before it.
void JpegDecoder::findEntropyEnd() {
    size_t position = cursor;
    entropyEnd = length;
    stuffedBytes = 0;
    while (position < length) {
        const void* fill = std::memchr(data + position, markerFill, length - position);
        if (fill == nullptr) return;
        position = static_cast<size_t>(static_cast<const uint8_t*>(fill) - data);
        if (position + 1 >= length || data[position + 1] != 0) {
            entropyEnd = position;
            return;
        }
        ++stuffedBytes;
        position += 2;
    }
}

// The data bytes left before the marker are at least the raw bytes less all stuffed zeros of
// the run.
bool JpegDecoder::fastPathAllowed() const {
    return entropyPath == EntropyPath::fast && cursor <= entropyEnd && entropyEnd - cursor >= fastPathMargin + stuffedBytes;
}

// Appends the next entropy-coded byte to the bit buffer. FF 00 gives FF; a marker or the end of
// the data gives no byte, and cursor stays on the marker so the marker search finds it.
bool JpegDecoder::loadByte() {
    if (cursor >= length) return false;
    const uint8_t byte = data[cursor];
    if (byte == markerFill) {
        if (length - cursor < 2 || data[cursor + 1] != 0) return false;
        cursor += 2;
    } else {
        cursor += 1;
    }
    bitBuffer |= static_cast<uint64_t>(byte) << (56 - bitsLeft);
    bitsLeft += 8;
    return true;
}

// ---- reference path

bool JpegDecoder::readBit(uint32_t& bit) {
    if (bitsLeft == 0 && !loadByte()) return false;
    bit = static_cast<uint32_t>(bitBuffer >> 63);
    bitBuffer <<= 1;
    --bitsLeft;
    return true;
}

int JpegDecoder::readRefinementBit() {
    uint32_t bit = 0;
    return readBit(bit) ? static_cast<int>(bit) : -1;
}

bool JpegDecoder::receiveBits(uint32_t count, uint32_t& value) {
    value = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t bit = 0;
        if (!readBit(bit)) return false;
        value = value << 1 | bit;
    }
    return true;
}

// DECODE of T.81 F.2.2.3 over activeTable.
bool JpegDecoder::decodeSymbol(uint32_t& symbol) {
    const HuffmanTable* table = activeTable;
    if (table == nullptr || !table->defined) return false;
    uint32_t bit = 0;
    if (!readBit(bit)) return false;
    int32_t code = static_cast<int32_t>(bit);
    uint32_t codeLength = 1;
    while (code > table->maxCode[codeLength]) {
        if (++codeLength > 16) return false;
        if (!readBit(bit)) return false;
        code = code << 1 | static_cast<int32_t>(bit);
    }
    symbol = table->values[table->valPtr[codeLength] + static_cast<uint32_t>(code - table->minCode[codeLength])];
    return true;
}

// ---- the two bit sources of the block decoders

// The fast primitives sit in the innermost loops; inlining them keeps the bit window in
// registers.
#define VISTELLO_ALWAYS_INLINE __attribute__((always_inline)) inline

// True where one of the eight bytes of `word` is FF.
static VISTELLO_ALWAYS_INLINE bool holdsFillByte(uint64_t word) {
    const uint64_t inverted = ~word;
    return ((inverted - 0x0101010101010101ULL) & ~inverted & 0x8080808080808080ULL) != 0;
}

// Appends whole bytes of entropy-coded data to a 64-bit buffer until it holds more than 56
// bits, taking FF 00 as the byte FF and stopping before a marker or at the end of the data.
// The bits below the count are zero. Where eight bytes are left and none of them is FF, the
// (64 - count) / 8 bytes the loop would append are appended at once.
static VISTELLO_ALWAYS_INLINE void refillBitBuffer(const uint8_t* data, size_t length, size_t& position,
                                                   uint64_t& buffer, uint64_t& count) {
    if (count <= 56 && position < length && length - position >= 8) {
        uint64_t word = 0;
        std::memcpy(&word, data + position, sizeof(word));
        static_assert(std::endian::native == std::endian::little, "the word is read little-endian and swapped");
        word = __builtin_bswap64(word);
        if (!holdsFillByte(word)) {
            const uint64_t bytes = (64 - count) >> 3;
            const uint64_t unused = 64 - bytes * 8;
            buffer |= ((word >> unused) << unused) >> count;
            count += bytes * 8;
            position += bytes;
            return;
        }
    }
    while (count <= 56 && position < length) {
        const uint8_t byte = data[position];
        if (byte == markerFill) {
            if (length - position < 2 || data[position + 1] != 0) return;
            position += 2;
        } else {
            position += 1;
        }
        buffer |= static_cast<uint64_t>(byte) << (56 - count);
        count += 8;
    }
}

// The fast path's bit window: the decoder's bit buffer, its count and the read position in local
// variables for the length of one block, written back when the window closes. The refill never
// passes a marker; where no data byte is left the window reads zero bits (see
// decodeBlockNearMarker). Symbols refill
// below 32 bits, so that the value bits that follow a symbol (at most 16 + 16) are buffered.
struct JpegDecoder::WindowBits {
    static constexpr bool combinedAcLookup = true;
    explicit WindowBits(JpegDecoder& owner)
        : decoder(owner), buffer(owner.bitBuffer), count(owner.bitsLeft), position(owner.cursor) {}
    WindowBits(const WindowBits&) = delete;
    WindowBits& operator=(const WindowBits&) = delete;
    ~WindowBits() {
        decoder.bitBuffer = buffer;
        decoder.bitsLeft = count;
        decoder.cursor = position;
    }
    // fastPathAllowed at the window's read position (on a window opened where it held).
    VISTELLO_ALWAYS_INLINE bool roomForBlock() const {
        return position <= decoder.entropyEnd && decoder.entropyEnd - position >= fastPathMargin + decoder.stuffedBytes;
    }
    VISTELLO_ALWAYS_INLINE void refill() { refillBitBuffer(decoder.data, decoder.length, position, buffer, count); }
    VISTELLO_ALWAYS_INLINE void skip(uint32_t bits) {
        buffer <<= bits;
        count -= bits;
    }
    VISTELLO_ALWAYS_INLINE bool symbol(const HuffmanTable* table, uint32_t& result) {
        if (table == nullptr || !table->defined) return false;
        return definedSymbol(*table, result);
    }
    VISTELLO_ALWAYS_INLINE bool definedSymbol(const HuffmanTable& table, uint32_t& result) {
        if (count < 32) refill();
        uint32_t codeLength = 0;
        if (!lookUpSymbol(table, buffer, codeLength, result)) return false;
        skip(codeLength);
        return true;
    }
    VISTELLO_ALWAYS_INLINE bool take(uint32_t bits, uint32_t& value) {
        value = 0;
        if (bits == 0) return true;
        if (count < bits) refill();
        value = static_cast<uint32_t>(buffer >> (64 - bits));
        skip(bits);
        return true;
    }
    VISTELLO_ALWAYS_INLINE int bit() {
        if (count < 1) refill();
        const int value = static_cast<int>(buffer >> 63);
        skip(1);
        return value;
    }
    // The AC entry of the next bits (refilled below 32), for a defined table.
    VISTELLO_ALWAYS_INLINE AcLookaheadEntry combinedAc(const HuffmanTable& table) {
        if (count < 32) refill();
        return table.acLookahead[buffer >> (64 - lookaheadBits)];
    }

    JpegDecoder& decoder;
    uint64_t buffer;
    uint64_t count;
    size_t position;
};

// The reference path: T.81's bit-serial procedures on the decoder's state.
struct JpegDecoder::SerialBits {
    static constexpr bool combinedAcLookup = false;
    bool symbol(const HuffmanTable* table, uint32_t& result) {
        decoder.activeTable = table;
        return decoder.decodeSymbol(result);
    }
    bool take(uint32_t bits, uint32_t& value) { return decoder.receiveBits(bits, value); }
    int bit() { return decoder.readRefinementBit(); }
    AcLookaheadEntry combinedAc(const HuffmanTable&) { return {}; }

    JpegDecoder& decoder;
};

// ---- sequential blocks

// One block of a sequential scan. With the bit window, an AC code whose value bits fit in the
// lookahead is taken with its value in one step; the symbols and values are the same.
template <class Bits>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeBlockWith(Bits& bits, ScanComponent& component, int32_t block[64]) {
    // Cleared first, so every position the transform reads holds a decoded value or zero.
    clearBlock(block);
    const HuffmanTable* acTable = currentAcTable;
    uint32_t category = 0;
    if (!bits.symbol(currentDcTable, category) || category > maxDcCategory) return false;
    uint32_t value = 0;
    if (!bits.take(category, value)) return false;
    component.dcPredictor = wrapAdd(component.dcPredictor, extend(value, category));
    block[0] = component.dcPredictor;
    for (uint32_t k = 1; k < 64;) {
        if constexpr (Bits::combinedAcLookup) {
            const AcLookaheadEntry combined = bits.combinedAc(*acTable);
            if (combined.bitsUsed != 0) {
                k += combined.run;   // k <= 63 + 63 (EOB): the zig-zag table maps it to 63
                block[zigZagToNatural[k]] = combined.value;
                ++k;
                bits.skip(combined.bitsUsed);
                continue;
            }
        }
        uint32_t runSize = 0;
        if (!bits.symbol(acTable, runSize)) return false;
        const uint32_t run = runSize >> 4;
        const uint32_t size = runSize & 15;
        if (size != 0) {
            k += run;   // k <= 63 + 15: the extended zig-zag table maps it to 63
            if (!bits.take(size, value)) return false;
            block[zigZagToNatural[k]] = extend(value, size);
            ++k;
        } else if (run == 15) {
            k += 16;    // ZRL
        } else {
            break;      // EOB (runs 1..14 with size 0 count as EOB too)
        }
    }
    return true;
}

bool JpegDecoder::decodeBlock(ScanComponent& component, int32_t block[64]) {
    SerialBits bits{*this};
    return decodeBlockWith(bits, component, block);
}

bool JpegDecoder::decodeBlockFast(ScanComponent& component, int32_t block[64]) {
    // The combined AC look-up needs a defined table; without one the block fails on the
    // reference path as it would here.
    const HuffmanTable* acTable = currentAcTable;
    if (acTable == nullptr || !acTable->defined) return decodeBlock(component, block);
    WindowBits bits(*this);
    return decodeBlockWith(bits, component, block);
}

bool JpegDecoder::decodeBlockAny(ScanComponent& component, int32_t block[64]) {
    if (fastPathAllowed()) return decodeBlockFast(component, block);
    if (entropyPath != EntropyPath::fast) return decodeBlock(component, block);
    return decodeBlockNearMarker(component, block);
}

// Close to the marker the window may run out of data: its refill stops there and it goes on
// with zero bits, and its count wraps below zero once it hands out more bits than the data held.
// A block that took no bit beyond the data decoded exactly what the reference path decodes
// (each code length is decided by that many bits, all of them data); otherwise the block is
// decoded again on the reference path from where it began, which meets the end of the data as
// T.81 does. A block that failed within the data fails on both paths.
bool JpegDecoder::decodeBlockNearMarker(ScanComponent& component, int32_t block[64]) {
    const HuffmanTable* acTable = currentAcTable;
    if (acTable == nullptr || !acTable->defined) return decodeBlock(component, block);
    const uint64_t startBuffer = bitBuffer;
    const uint64_t startCount = bitsLeft;
    const size_t startCursor = cursor;
    const int32_t startPredictor = component.dcPredictor;
    bool decoded = false;
    uint64_t countAfter = 0;
    {
        WindowBits bits(*this);
        decoded = decodeBlockWith(bits, component, block);
        countAfter = bits.count;
    }
    if (countAfter <= 64) return decoded;
    bitBuffer = startBuffer;
    bitsLeft = startCount;
    cursor = startCursor;
    component.dcPredictor = startPredictor;
    return decodeBlock(component, block);
}

// ---- progressive blocks (T.81 G.1.2)

// Every value is computed in 32-bit arithmetic; a 16-bit store that cannot hold it flags the
// frame for its decode with 32-bit stores.
template <typename C>
VISTELLO_ALWAYS_INLINE void JpegDecoder::storeCoefficient(C& slot, int32_t value) {
    if constexpr (sizeof(C) < sizeof(int32_t)) {
        if (value != static_cast<C>(value)) coefficientOverflow = true;
    }
    slot = static_cast<C>(value);
}

template <class Bits, typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeDcFirstWith(Bits& bits, ScanComponent& component, C* block) {
    uint32_t category = 0;
    if (!bits.symbol(currentDcTable, category) || category > maxDcCategory) return false;
    uint32_t value = 0;
    if (!bits.take(category, value)) return false;
    const int32_t difference = wrapShiftLeft(extend(value, category), approxLow);
    component.dcPredictor = wrapAdd(component.dcPredictor, difference);
    storeCoefficient(block[0], component.dcPredictor);
    return true;
}

template <class Bits, typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeDcRefineWith(Bits& bits, C* block) {
    const int bit = bits.bit();
    if (bit < 0) return false;
    // Added whatever the coefficient's sign.
    storeCoefficient(block[0], wrapAdd(block[0], wrapShiftLeft(bit, approxLow)));
    return true;
}

// The first AC scan's block. With the bit window, a code whose value bits fit in the lookahead
// is taken with its value in one step, as in decodeBlockWith; the symbols, values and stores
// are the same.
template <class Bits, typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeAcFirstWith(Bits& bits, C* block, uint32_t& endOfBandRun) {
    if (endOfBandRun > 0) {
        --endOfBandRun;
        return true;
    }
    // In locals: stores into 32-bit blocks could otherwise alias them.
    const HuffmanTable* const table = currentAcTable;
    const uint32_t end = spectralEnd;
    const uint32_t shift = approxLow;
    if constexpr (Bits::combinedAcLookup) {
        // The combined look-up needs a defined table; without one the first symbol fails on
        // either path before any bit is read.
        if (table == nullptr || !table->defined) return false;
    }
    for (uint32_t k = spectralStart; k <= end;) {
        if constexpr (Bits::combinedAcLookup) {
            const AcLookaheadEntry combined = bits.combinedAc(*table);
            // Only coefficient entries (value non-zero): end-of-band runs and ZRL take the walk below.
            if (combined.value != 0) {
                k += combined.run;   // at most 63 + 15, inside the extended zig-zag table
                storeCoefficient(block[zigZagToNatural[k]], wrapShiftLeft(combined.value, shift));
                ++k;
                bits.skip(combined.bitsUsed);
                continue;
            }
        }
        uint32_t runSize = 0;
        if (!bits.symbol(table, runSize)) return false;
        const uint32_t run = runSize >> 4;
        const uint32_t size = runSize & 15;
        uint32_t value = 0;
        if (size != 0) {
            k += run;   // at most 63 + 15, inside the extended zig-zag table
            if (!bits.take(size, value)) return false;
            storeCoefficient(block[zigZagToNatural[k]], wrapShiftLeft(extend(value, size), shift));
            ++k;
        } else if (run == 15) {
            k += 16;
        } else {
            if (!bits.take(run, value)) return false;
            endOfBandRun = (1u << run) + value - 1;
            break;
        }
    }
    return true;
}

// Corrects one non-zero coefficient by its correction bit: a 1 moves it away from zero by
// step (adding step modulo 2^32, or subtracting it for a negative coefficient).
template <class Bits, typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::refineWith(Bits& bits, C& coefficient, uint32_t step) {
    const int bit = bits.bit();
    if (bit < 0) return false;
    if (bit == 1) {
        const uint32_t value = static_cast<uint32_t>(static_cast<int32_t>(coefficient));
        storeCoefficient(coefficient, static_cast<int32_t>(coefficient >= 0 ? value + step : value - step));
    }
    return true;
}

// Bit n set where the natural-order coefficient n is non-zero.
template <typename C>
static VISTELLO_ALWAYS_INLINE uint64_t nonZeroCoefficients(const C* block) {
    uint64_t mask = 0;
    for (int n = 0; n < 64; ++n) mask |= static_cast<uint64_t>(block[n] != 0) << n;
    return mask;
}
#if defined(__x86_64__)
template <>
VISTELLO_ALWAYS_INLINE uint64_t nonZeroCoefficients(const int16_t* block) {
    uint64_t mask = 0;
#pragma GCC unroll 4
    for (int quarter = 0; quarter < 4; ++quarter) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(block + 16 * quarter + 8));
        // Saturating to bytes keeps every non-zero value non-zero.
        const __m128i zero = _mm_cmpeq_epi8(_mm_packs_epi16(low, high), _mm_setzero_si128());
        const uint32_t nonZero = ~static_cast<uint32_t>(_mm_movemask_epi8(zero)) & 0xFFFFu;
        mask |= static_cast<uint64_t>(nonZero) << (16 * quarter);
    }
    return mask;
}
#endif

// Bit k of a zig-zag mask stands for zig-zag position k.
struct ZigZagMasks {
    // The zig-zag bits of the natural positions 8 * row .. 8 * row + 7, by the byte of their
    // natural-order bits.
    uint64_t ofNaturalRow[8][256] = {};
    ZigZagMasks() {
        uint8_t zigZagOf[64] = {};
        for (uint8_t k = 0; k < 64; ++k) zigZagOf[zigZagToNatural[k]] = k;
        for (int row = 0; row < 8; ++row) {
            for (int byte = 0; byte < 256; ++byte) {
                for (int column = 0; column < 8; ++column) {
                    if ((byte >> column & 1) != 0) ofNaturalRow[row][byte] |= uint64_t{1} << zigZagOf[8 * row + column];
                }
            }
        }
    }
};
// zigZagToNatural is constant-initialised, so it is filled before this table is built.
static const ZigZagMasks zigZagMasks;

// The zig-zag positions of the block's non-zero coefficients. Position 0 is the same in both
// orders, so a block whose only non-zero coefficient is its DC needs no conversion.
template <typename C>
static VISTELLO_ALWAYS_INLINE uint64_t nonZeroZigZag(const C* block) {
    const uint64_t natural = nonZeroCoefficients(block);
    if ((natural & ~uint64_t{1}) == 0) return natural;
    uint64_t zigZag = 0;
#pragma GCC unroll 8
    for (int row = 0; row < 8; ++row) zigZag |= zigZagMasks.ofNaturalRow[row][(natural >> (8 * row)) & 0xFF];
    return zigZag;
}

// The AC refinement walk of T.81 G.1.2.3; the reference path runs it for every block.
template <class Bits, typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeAcRefineWith(Bits& bits, C* block, uint32_t& endOfBandRun) {
    const uint32_t end = spectralEnd;
    const uint32_t step = static_cast<uint32_t>(wrapShiftLeft(1, approxLow));
    const uint8_t* const naturalOrder = zigZagToNatural;
    const HuffmanTable* const acTable = currentAcTable;
    uint32_t k = spectralStart;
    if (endOfBandRun == 0) {
        while (k <= end) {
            uint32_t runSize = 0;
            if (!bits.symbol(acTable, runSize)) return false;
            uint32_t run = runSize >> 4;
            const uint32_t size = runSize & 15;
            uint32_t received = 0;
            int32_t value = 0;
            if (size != 0) {
                if (!bits.take(size, received)) return false;
                value = wrapShiftLeft(extend(received, size), approxLow);
            } else if (run != 15) {
                if (!bits.take(run, received)) return false;
                endOfBandRun = (1u << run) + received;
                break;
            }
            // Pass `run` zero coefficients (ZRL: 16 with the one it stops on), correcting
            // the non-zero ones met on the way; the walk never passes Se.
            for (; k <= end; ++k) {
                C& coefficient = block[naturalOrder[k]];
                if (coefficient != 0) {
                    if (!refineWith(bits, coefficient, step)) return false;
                } else {
                    if (run == 0) break;
                    --run;
                }
            }
            if (size != 0 && k <= end) storeCoefficient(block[naturalOrder[k]], value);
            ++k;
        }
    }
    if (endOfBandRun > 0) {
        for (; k <= end; ++k) {
            C& coefficient = block[naturalOrder[k]];
            if (coefficient != 0 && !refineWith(bits, coefficient, step)) return false;
        }
        --endOfBandRun;
    }
    return true;
}

// Corrects the coefficients at the zig-zag positions in ascending order, one correction bit
// each, without branches: a 1 moves the coefficient away from zero by step, as refineWith does.
template <typename C>
VISTELLO_ALWAYS_INLINE void JpegDecoder::correctCoefficients(WindowBits& bits, C* block, uint64_t positions, uint32_t step) {
    for (; positions != 0; positions &= positions - 1) {
        C& coefficient = block[zigZagToNatural[std::countr_zero(positions)]];
        const int32_t current = coefficient;
        const uint32_t sign = static_cast<uint32_t>(current >> 31);   // all ones for a negative coefficient
        const uint32_t away = (step ^ sign) - sign;                    // step or -step, modulo 2^32
        const uint32_t bit = static_cast<uint32_t>(bits.bit());
        storeCoefficient(coefficient, static_cast<int32_t>(static_cast<uint32_t>(current) + (away & (0u - bit))));
    }
}

// The AC refinement block on the bit window. The walk takes the symbols and bits of
// decodeAcRefineWith in the same order, but finds its stops with masks: `ahead` holds the
// band's zig-zag positions the walk has not passed, `nonZero` those whose coefficient was
// non-zero when the block began. A new coefficient is only ever placed where the walk stops,
// behind it from then on, so the mask stays that of the positions ahead. The correction bits
// of the non-zero coefficients a step passes are applied before the next symbol, so a block
// that fails keeps the corrections made before it failed, as on the reference path.
template <typename C>
VISTELLO_ALWAYS_INLINE bool JpegDecoder::decodeAcRefineWindow(WindowBits& bits, C* block, uint32_t& endOfBandRun) {
    const uint32_t shift = approxLow;
    const uint32_t step = static_cast<uint32_t>(wrapShiftLeft(1, shift));
    // Ss <= Se <= 63 (checked with the scan's parameters).
    uint64_t ahead = (~uint64_t{0} << spectralStart) & (~uint64_t{0} >> (63 - spectralEnd));
    const uint64_t nonZero = nonZeroZigZag(block) & ahead;
    if (endOfBandRun == 0) {
        const HuffmanTable* const table = currentAcTable;
        if (table == nullptr || !table->defined) return false;
        while (ahead != 0) {
            uint32_t run = 0;
            int32_t value = 0;
            bool placesValue = true;
            const AcLookaheadEntry combined = bits.combinedAc(*table);
            if (combined.value != 0) {   // a coefficient entry, not ZRL or an end-of-band run
                run = combined.run;
                value = wrapShiftLeft(combined.value, shift);
                bits.skip(combined.bitsUsed);
            } else {
                uint32_t runSize = 0;
                if (!bits.definedSymbol(*table, runSize)) return false;
                run = runSize >> 4;
                const uint32_t size = runSize & 15;
                uint32_t received = 0;
                if (size != 0) {
                    bits.take(size, received);
                    value = wrapShiftLeft(extend(received, size), shift);
                } else if (run != 15) {
                    bits.take(run, received);
                    endOfBandRun = (1u << run) + received;
                    break;
                } else {
                    placesValue = false;   // ZRL: passes 15 zeros and stops on the 16th
                }
            }
            // The step passes `run` zero positions and stops on the next one; with too few
            // zeros ahead it runs past the band's end.
            uint64_t zeros = ahead & ~nonZero;
            for (; run != 0; --run) zeros &= zeros - 1;   // stays 0 once no zero is left
            const uint64_t stop = zeros & (0 - zeros);
            correctCoefficients(bits, block, nonZero & ahead & (stop - 1), step);
            if (stop == 0) return true;
            if (placesValue) storeCoefficient(block[zigZagToNatural[std::countr_zero(stop)]], value);
            ahead &= 0 - (stop << 1);
        }
    }
    if (endOfBandRun > 0) {
        correctCoefficients(bits, block, nonZero & ahead, step);
        --endOfBandRun;
    }
    return true;
}

// Each progressive block on the fast path while enough data lies before the marker, else on the
// reference path.
template <typename C>
bool JpegDecoder::decodeDcFirst(ScanComponent& component, C* block) {
    if (!fastPathAllowed()) {
        SerialBits bits{*this};
        return decodeDcFirstWith(bits, component, block);
    }
    WindowBits bits(*this);
    return decodeDcFirstWith(bits, component, block);
}
template <typename C>
bool JpegDecoder::decodeDcRefine(C* block) {
    if (!fastPathAllowed()) {
        SerialBits bits{*this};
        return decodeDcRefineWith(bits, block);
    }
    WindowBits bits(*this);
    return decodeDcRefineWith(bits, block);
}
template <typename C>
bool JpegDecoder::decodeAcFirst(C* block, uint32_t& endOfBandRun) {
    // A block inside an end-of-band run takes no bits on either path.
    if (endOfBandRun > 0) {
        --endOfBandRun;
        return true;
    }
    if (!fastPathAllowed()) {
        SerialBits bits{*this};
        return decodeAcFirstWith(bits, block, endOfBandRun);
    }
    WindowBits bits(*this);
    return decodeAcFirstWith(bits, block, endOfBandRun);
}
template <typename C>
bool JpegDecoder::decodeAcRefine(C* block, uint32_t& endOfBandRun) {
    if (!fastPathAllowed()) {
        SerialBits bits{*this};
        return decodeAcRefineWith(bits, block, endOfBandRun);
    }
    WindowBits bits(*this);
    return decodeAcRefineWindow(bits, block, endOfBandRun);
}

// The AC blocks blocks, blocks + 64, ... of one scan, in order: while enough data lies before
// the marker they share one bit window, else each runs as decodeAcFirst or decodeAcRefine
// runs it. Stops at the first block that fails (false) or leaves the 16 bits of its store.
template <typename C>
bool JpegDecoder::decodeAcBlocks(C* blocks, uint32_t count, uint32_t& endOfBandRun) {
    const bool refinement = approxHigh != 0;
    uint32_t b = 0;
    while (b < count) {
        if (!fastPathAllowed()) {
            C* const block = blocks + size_t{b} * 64;
            if (!(refinement ? decodeAcRefine(block, endOfBandRun) : decodeAcFirst(block, endOfBandRun))) return false;
            ++b;
            if (coefficientOverflow) return true;
            continue;
        }
        WindowBits bits(*this);
        do {
            C* const block = blocks + size_t{b} * 64;
            const bool decoded = refinement ? decodeAcRefineWindow(bits, block, endOfBandRun)
                                            : decodeAcFirstWith(bits, block, endOfBandRun);
            if (!decoded) return false;
            ++b;
            if (coefficientOverflow) return true;
        } while (b < count && bits.roomForBlock());
    }
    return true;
}

template bool JpegDecoder::decodeDcFirst(ScanComponent&, int16_t*);
template bool JpegDecoder::decodeDcFirst(ScanComponent&, int32_t*);
template bool JpegDecoder::decodeDcRefine(int16_t*);
template bool JpegDecoder::decodeDcRefine(int32_t*);
template bool JpegDecoder::decodeAcFirst(int16_t*, uint32_t&);
template bool JpegDecoder::decodeAcFirst(int32_t*, uint32_t&);
template bool JpegDecoder::decodeAcRefine(int16_t*, uint32_t&);
template bool JpegDecoder::decodeAcRefine(int32_t*, uint32_t&);
template bool JpegDecoder::decodeAcBlocks(int16_t*, uint32_t, uint32_t&);
template bool JpegDecoder::decodeAcBlocks(int32_t*, uint32_t, uint32_t&);

}  // namespace vistello
