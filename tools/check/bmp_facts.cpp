#include "check/bmp_facts.h"

#include "raster/dib.h"

namespace vistello::tools {
namespace {

constexpr size_t fileHeaderSize = 14;
constexpr size_t dataOffsetAt = 10;
constexpr uint32_t coreHeaderSize = bitmapCoreHeaderSize;
constexpr uint32_t infoHeaderSize = bitmapInfoHeaderSize;
constexpr uint32_t masksInHeaderSize = 52;  // the first header size that holds the three masks

uint16_t u16At(std::span<const uint8_t> data, size_t at) { return uint16_t(data[at] | data[at + 1] << 8); }
uint32_t u32At(std::span<const uint8_t> data, size_t at) {
    return uint32_t(data[at]) | uint32_t(data[at + 1]) << 8 | uint32_t(data[at + 2]) << 16 | uint32_t(data[at + 3]) << 24;
}

bool has(std::span<const uint8_t> data, size_t at, size_t count) { return at <= data.size() && data.size() - at >= count; }

}  // namespace

bool readBmpFacts(std::span<const uint8_t> bmp, BmpFacts& facts) {
    facts = {};
    facts.fileSize = bmp.size();
    if (!has(bmp, 0, fileHeaderSize + 4) || bmp[0] != 'B' || bmp[1] != 'M') return false;
    facts.dataOffset = u32At(bmp, dataOffsetAt);
    facts.headerSize = u32At(bmp, fileHeaderSize);
    const size_t header = fileHeaderSize;
    if (facts.headerSize == coreHeaderSize) {
        if (!has(bmp, header, coreHeaderSize)) return true;
        facts.width = u16At(bmp, header + 4);
        facts.height = u16At(bmp, header + 6);
        facts.bitCount = u16At(bmp, header + 10);
        return true;
    }
    if (facts.headerSize < infoHeaderSize || !has(bmp, header, infoHeaderSize)) return true;
    facts.width = int32_t(u32At(bmp, header + 4));
    facts.height = int32_t(u32At(bmp, header + 8));
    facts.bitCount = u16At(bmp, header + 14);
    facts.compression = u32At(bmp, header + 16);
    facts.colorsUsed = u32At(bmp, header + 32);
    if (facts.compression != biBitfields) return true;
    // Behind a 40-byte header the masks follow it; longer headers carry them at the same place.
    const size_t masks = header + infoHeaderSize;
    if (facts.headerSize < masksInHeaderSize && facts.dataOffset < masks + 12) return true;
    if (!has(bmp, masks, 12)) return true;
    facts.hasMasks = true;
    facts.redMask = u32At(bmp, masks);
    facts.greenMask = u32At(bmp, masks + 4);
    facts.blueMask = u32At(bmp, masks + 8);
    return true;
}

}  // namespace vistello::tools
