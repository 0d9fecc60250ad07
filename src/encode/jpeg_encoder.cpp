#include "encode/jpeg_encoder.h"

#include <algorithm>
#include <array>
#include <bit>

#include "encode/entropy_writer.h"
#include "encode/forward_dct.h"
#include "encode/huffman_table_builder.h"
#include "encode/quantization_tables.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

constexpr int32_t blockSide = 8;
constexpr int32_t mcuSide = 16;  // luma sampled 2 x 2: four luma blocks per MCU
constexpr int32_t componentCount = 3;
constexpr int32_t sampleCentre = 128;

// Colour conversion at 16 fractional bits (the JFIF equations):
// Y = 0.299 R + 0.587 G + 0.114 B, Cb = -0.168736 R - 0.331264 G + 0.5 B,
// Cr = 0.5 R - 0.418688 G - 0.081312 B, the chroma centred on 0.
constexpr int32_t colourBits = 16;
constexpr int32_t yRed = 19595, yGreen = 38470, yBlue = 7471;
constexpr int32_t cbRed = -11059, cbGreen = -21709, cbBlue = 32768;
constexpr int32_t crRed = 32768, crGreen = -27439, crBlue = -5329;

// Segment fields.
constexpr uint8_t jfifVersionMajor = 1;
constexpr uint8_t jfifVersionMinor = 1;
constexpr uint8_t densityAspectOnly = 0;
constexpr uint8_t samplePrecision = 8;
constexpr uint8_t lumaSampling = 0x22;    // H = 2, V = 2
constexpr uint8_t chromaSampling = 0x11;  // H = 1, V = 1
constexpr uint8_t tableClassDc = 0;
constexpr uint8_t tableClassAc = 1;
constexpr int32_t lastCoefficient = 63;

// The AC symbols with a meaning of their own.
constexpr uint8_t endOfBlock = 0x00;
constexpr uint8_t sixteenZeros = 0xF0;

enum TableSet : uint8_t { lumaTables = 0, chromaTables = 1 };
constexpr TableSet tablesOf(int32_t component) { return component == 0 ? lumaTables : chromaTables; }

// One MCU row of the three components, level-shifted, the picture's last column and row
// repeated to fill whole MCUs.
struct McuRowPlanes {
    explicit McuRowPlanes(int32_t mcuColumns)
        : lumaWidth(mcuColumns * mcuSide),
          luma(size_t(lumaWidth) * mcuSide),
          blueChroma(size_t(lumaWidth / 2) * blockSide),
          redChroma(size_t(lumaWidth / 2) * blockSide) {}
    int32_t lumaWidth;
    std::vector<int32_t> luma;        // mcuSide rows of lumaWidth
    std::vector<int32_t> blueChroma;  // blockSide rows of lumaWidth / 2
    std::vector<int32_t> redChroma;
};

void convertMcuRow(const BgrView& picture, int32_t mcuRow, McuRowPlanes& planes) {
    const int32_t chromaWidth = planes.lumaWidth / 2;
    constexpr int32_t lumaRounding = 1 << (colourBits - 1);
    constexpr int32_t chromaShift = colourBits + 2;  // four pixels summed
    constexpr int32_t chromaRounding = 1 << (chromaShift - 1);
    for (int32_t pairRow = 0; pairRow < blockSide; ++pairRow) {
        const uint8_t* rows[2];
        for (int32_t r = 0; r < 2; ++r) {
            rows[r] = picture.row(std::min(mcuRow * mcuSide + 2 * pairRow + r, picture.height - 1));
        }
        for (int32_t pairColumn = 0; pairColumn < chromaWidth; ++pairColumn) {
            int32_t blue = 0, green = 0, red = 0;
            for (int32_t r = 0; r < 2; ++r) {
                for (int32_t c = 0; c < 2; ++c) {
                    const int32_t x = std::min(2 * pairColumn + c, picture.width - 1);
                    const uint8_t* pixel = rows[r] + ptrdiff_t(x) * bgrBytesPerPixel;
                    const int32_t b = pixel[0], g = pixel[1], rd = pixel[2];
                    blue += b;
                    green += g;
                    red += rd;
                    const int32_t y = (yRed * rd + yGreen * g + yBlue * b + lumaRounding) >> colourBits;
                    planes.luma[size_t(2 * pairRow + r) * size_t(planes.lumaWidth) + size_t(2 * pairColumn + c)] =
                        y - sampleCentre;
                }
            }
            // A pure blue or red lands on +127.5, which must not round up to 128.
            const size_t at = size_t(pairRow) * size_t(chromaWidth) + size_t(pairColumn);
            planes.blueChroma[at] =
                std::min((cbRed * red + cbGreen * green + cbBlue * blue + chromaRounding) >> chromaShift, 127);
            planes.redChroma[at] =
                std::min((crRed * red + crGreen * green + crBlue * blue + chromaRounding) >> chromaShift, 127);
        }
    }
}

void gatherBlock(const std::vector<int32_t>& plane, int32_t planeWidth, int32_t left, int32_t top, SampleBlock& block) {
    for (int32_t y = 0; y < blockSide; ++y) {
        const int32_t* row = plane.data() + size_t(top + y) * size_t(planeWidth) + size_t(left);
        std::copy(row, row + blockSide, block.data() + blockSide * y);
    }
}

struct Quantizers {
    std::array<std::array<uint16_t, blockSize>, 2> tables;
    std::array<QuantizationDivisors, 2> divisors;
};

Quantizers makeQuantizers(int32_t quality) {
    Quantizers q;
    q.tables[lumaTables] = scaledQuantizationTable(standardLuminanceTable, quality);
    q.tables[chromaTables] = scaledQuantizationTable(standardChrominanceTable, quality);
    for (size_t t = 0; t < 2; ++t) q.divisors[t] = makeDivisors(q.tables[t]);
    return q;
}

// Calls visit(component, block) for every quantised block in stream order: per MCU the four
// luma blocks (top left, top right, bottom left, bottom right), then Cb, then Cr.
template <typename Visit>
void forEachBlock(const BgrView& picture, const Quantizers& quantizers, Visit&& visit) {
    const int32_t mcuColumns = (picture.width + mcuSide - 1) / mcuSide;
    const int32_t mcuRows = (picture.height + mcuSide - 1) / mcuSide;
    McuRowPlanes planes(mcuColumns);
    SampleBlock samples;
    CoefficientBlock coefficients;
    QuantizedBlock quantized;
    const auto transform = [&](int32_t component, const std::vector<int32_t>& plane, int32_t width, int32_t left,
                               int32_t top) {
        gatherBlock(plane, width, left, top, samples);
        forwardDct(samples, coefficients);
        quantizeBlock(coefficients, quantizers.divisors[tablesOf(component)], quantized);
        visit(component, quantized);
    };
    for (int32_t mcuRow = 0; mcuRow < mcuRows; ++mcuRow) {
        convertMcuRow(picture, mcuRow, planes);
        for (int32_t column = 0; column < mcuColumns; ++column) {
            for (int32_t b = 0; b < 4; ++b) {
                transform(0, planes.luma, planes.lumaWidth, column * mcuSide + blockSide * (b % 2), blockSide * (b / 2));
            }
            transform(1, planes.blueChroma, planes.lumaWidth / 2, column * blockSide, 0);
            transform(2, planes.redChroma, planes.lumaWidth / 2, column * blockSide, 0);
        }
    }
}

// Number of bits of |value|: the size category of a coefficient or difference.
int32_t magnitudeCategory(int32_t value) {
    return int32_t(std::bit_width(uint32_t(value < 0 ? -value : value)));
}

// The extra bits after a category: the value itself, or for a negative one its ones' complement.
uint32_t extraBits(int32_t value, int32_t category) {
    return uint32_t(value < 0 ? value + (1 << category) - 1 : value);
}

// The symbols of one block (Annex F.1.2): the difference of its DC value from the previous
// block's of the same component, then runs of zeros and AC values in zig-zag order.
// emit(tableClass, symbol, extra, extraLength).
template <typename Emit>
void symbolizeBlock(const QuantizedBlock& block, int32_t& previousDc, Emit&& emit) {
    const int32_t difference = block[0] - previousDc;
    previousDc = block[0];
    const int32_t dcCategory = magnitudeCategory(difference);
    emit(tableClassDc, uint8_t(dcCategory), extraBits(difference, dcCategory), dcCategory);
    int32_t run = 0;
    for (int32_t k = 1; k <= lastCoefficient; ++k) {
        const int32_t value = block[zigZagToNatural[k]];
        if (value == 0) {
            ++run;
            continue;
        }
        for (; run > 15; run -= 16) emit(tableClassAc, sixteenZeros, 0u, 0);
        const int32_t category = magnitudeCategory(value);
        emit(tableClassAc, uint8_t(run << 4 | category), extraBits(value, category), category);
        run = 0;
    }
    if (run > 0) emit(tableClassAc, endOfBlock, 0u, 0);
}

// Tables indexed [table set][table class].
using FrequencySet = std::array<std::array<SymbolFrequencies, 2>, 2>;
using TableDefinitions = std::array<std::array<HuffmanTableDefinition, 2>, 2>;
using CodeSet = std::array<std::array<HuffmanCodes, 2>, 2>;

FrequencySet countSymbols(const BgrView& picture, const Quantizers& quantizers) {
    FrequencySet frequencies{};
    std::array<int32_t, componentCount> previousDc{};
    forEachBlock(picture, quantizers, [&](int32_t component, const QuantizedBlock& block) {
        auto& tables = frequencies[tablesOf(component)];
        symbolizeBlock(block, previousDc[size_t(component)],
                       [&](uint8_t tableClass, uint8_t symbol, uint32_t, int32_t) { ++tables[tableClass][symbol]; });
    });
    return frequencies;
}

void codeScan(const BgrView& picture, const Quantizers& quantizers, const CodeSet& codes, std::vector<uint8_t>& out) {
    EntropyWriter writer(out);
    std::array<int32_t, componentCount> previousDc{};
    forEachBlock(picture, quantizers, [&](int32_t component, const QuantizedBlock& block) {
        const auto& tables = codes[tablesOf(component)];
        symbolizeBlock(block, previousDc[size_t(component)],
                       [&](uint8_t tableClass, uint8_t symbol, uint32_t extra, int32_t extraLength) {
                           const HuffmanCodes& table = tables[tableClass];
                           writer.put(table.code[symbol], table.length[symbol]);
                           writer.put(extra, extraLength);
                       });
    });
    writer.finish();
}

// Segment writing.
void putByte(std::vector<uint8_t>& out, uint32_t value) { out.push_back(uint8_t(value)); }
void putU16BE(std::vector<uint8_t>& out, uint32_t value) {
    out.push_back(uint8_t(value >> 8));
    out.push_back(uint8_t(value));
}
void putMarker(std::vector<uint8_t>& out, uint8_t code) {
    out.push_back(markerFill);
    out.push_back(code);
}

void putJfifApp0(std::vector<uint8_t>& out) {
    putMarker(out, markerApp0);
    putU16BE(out, 16);
    for (const char c : {'J', 'F', 'I', 'F', '\0'}) putByte(out, uint8_t(c));
    putByte(out, jfifVersionMajor);
    putByte(out, jfifVersionMinor);
    putByte(out, densityAspectOnly);
    putU16BE(out, 1);  // density 1:1
    putU16BE(out, 1);
    putByte(out, 0);   // no thumbnail
    putByte(out, 0);
}

void putQuantizationTables(std::vector<uint8_t>& out, const Quantizers& quantizers) {
    putMarker(out, markerDqt);
    putU16BE(out, 2 + 2 * (1 + blockSize));
    for (uint32_t t = 0; t < 2; ++t) {
        putByte(out, t);  // 8-bit entries, table t
        for (int32_t k = 0; k < blockSize; ++k) putByte(out, quantizers.tables[t][zigZagToNatural[k]]);
    }
}

void putFrameHeader(std::vector<uint8_t>& out, const BgrView& picture) {
    putMarker(out, markerSof0);
    putU16BE(out, 8 + 3 * componentCount);
    putByte(out, samplePrecision);
    putU16BE(out, uint32_t(picture.height));
    putU16BE(out, uint32_t(picture.width));
    putByte(out, componentCount);
    for (uint32_t c = 0; c < componentCount; ++c) {
        putByte(out, c + 1);  // component identifiers 1, 2, 3
        putByte(out, c == 0 ? lumaSampling : chromaSampling);
        putByte(out, tablesOf(int32_t(c)));
    }
}

void putHuffmanTables(std::vector<uint8_t>& out, const TableDefinitions& definitions) {
    uint32_t length = 2;
    for (const auto& set : definitions) {
        for (const auto& definition : set) length += 1 + huffmanMaxCodeLength + uint32_t(definition.symbols.size());
    }
    putMarker(out, markerDht);
    putU16BE(out, length);
    for (uint32_t set = 0; set < 2; ++set) {
        for (uint32_t tableClass = 0; tableClass < 2; ++tableClass) {
            const HuffmanTableDefinition& definition = definitions[set][tableClass];
            putByte(out, tableClass << 4 | set);
            for (const uint8_t count : definition.codeCounts) putByte(out, count);
            for (const uint8_t symbol : definition.symbols) putByte(out, symbol);
        }
    }
}

void putScanHeader(std::vector<uint8_t>& out) {
    putMarker(out, markerSos);
    putU16BE(out, 6 + 2 * componentCount);
    putByte(out, componentCount);
    for (uint32_t c = 0; c < componentCount; ++c) {
        const uint32_t set = tablesOf(int32_t(c));
        putByte(out, c + 1);
        putByte(out, set << 4 | set);  // DC and AC table of the component's set
    }
    putByte(out, 0);                // Ss
    putByte(out, lastCoefficient);  // Se
    putByte(out, 0);                // Ah, Al
}

}  // namespace

bool encodeJpeg(const BgrView& picture, int32_t quality, std::vector<uint8_t>& jpeg) {
    jpeg.clear();
    if (picture.width <= 0 || picture.height <= 0 || picture.width > jpegMaximumSide ||
        picture.height > jpegMaximumSide) {
        return false;
    }
    const Quantizers quantizers = makeQuantizers(quality);
    const FrequencySet frequencies = countSymbols(picture, quantizers);
    TableDefinitions definitions;
    CodeSet codes;
    for (size_t set = 0; set < 2; ++set) {
        for (size_t tableClass = 0; tableClass < 2; ++tableClass) {
            definitions[set][tableClass] = buildHuffmanTable(frequencies[set][tableClass]);
            codes[set][tableClass] = assignHuffmanCodes(definitions[set][tableClass]);
        }
    }
    putMarker(jpeg, markerSoi);
    putJfifApp0(jpeg);
    putQuantizationTables(jpeg, quantizers);
    putFrameHeader(jpeg, picture);
    putHuffmanTables(jpeg, definitions);
    putScanHeader(jpeg);
    codeScan(picture, quantizers, codes, jpeg);
    putMarker(jpeg, markerEoi);
    return true;
}

}  // namespace vistello
