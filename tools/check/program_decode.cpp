#include "check/program_decode.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "common/collected_messages.h"
#include "raster/decoded_picture.h"
#include "raster/memory_dib_seam.h"
#include "text/cp932.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

constexpr int32_t trueColourDepth = 24;
constexpr uint8_t firstFill = 0x00;
constexpr uint8_t secondFill = 0xFF;
constexpr uint8_t midGrey = 128;
constexpr uint8_t endMarker[] = {0xFF, 0xD9};
constexpr uint64_t hashBasis = 1469598103934665603ull;  // FNV-1a, 64 bits
constexpr uint64_t hashPrime = 1099511628211ull;

// The native seam, with every new section's bytes set to fill instead of zero.
class PrefilledDibSeam final : public DibSeam {
public:
    explicit PrefilledDibSeam(uint8_t fill) : fill_(fill) {}
    bool createDibSection(const BitmapInfoHeader& header, std::span<const RgbQuad, colorTableSize> colorTable,
                          DibSection& section) override {
        if (!memory_.createDibSection(header, colorTable, section)) return false;
        const int64_t rows = header.biHeight < 0 ? -int64_t(header.biHeight) : header.biHeight;
        std::memset(section.bits, fill_, size_t(section.stride) * size_t(rows));
        return true;
    }
    void deleteBitmap(BitmapHandle bitmap) override { memory_.deleteBitmap(bitmap); }
    PaletteHandle createPalette(const LogPalette256& palette) override { return memory_.createPalette(palette); }
    PaletteHandle createHalftonePalette() override { return memory_.createHalftonePalette(); }
    uint32_t readPaletteEntries(PaletteHandle palette, std::span<PaletteEntry, colorTableSize> entries) override {
        return memory_.readPaletteEntries(palette, entries);
    }
    void deletePalette(PaletteHandle palette) override { memory_.deletePalette(palette); }

private:
    MemoryDibSeam memory_;
    uint8_t fill_;
};

// What looks at one decode's pixels: begin once with the visible size, then each visible row
// from the top.
class RowVisitor {
public:
    virtual ~RowVisitor() = default;
    virtual void begin(int32_t height, size_t rowBytes, int32_t bitCount) = 0;
    virtual void row(int32_t y, std::span<const uint8_t> bytes) = 0;
};

struct Run {
    bool loaded = false;
    ImageKind kind = ImageKind::none;
    bool reachedEnd = false;
    std::vector<std::string> messages;
    int32_t width = 0;
    int32_t height = 0;
    int32_t bitCount = 0;
    RgbQuad colorZero{};
    uint64_t hash = hashBasis;
};

Run decodeOnce(std::span<const uint8_t> picture, uint8_t fill, RowVisitor* visit) {
    Run run;
    PrefilledDibSeam seam(fill);
    CollectedMessages messages;
    DecodedPicture decoded(seam);
    DecodedImage& image = decoded.image;
    if (!allocatePaletteBuffer(image)) return run;
    image.displayDepth = trueColourDepth;
    run.loaded = loadPicture(picture.data(), picture.size(), image, seam, messages, run.kind, &run.reachedEnd);
    for (const std::string& text : messages.texts) run.messages.push_back(decoderText(text));
    if (run.loaded && image.pixelBits) {
        const BitmapInfoHeader& header = image.bitmapHeader;
        run.bitCount = header.biBitCount;
        run.colorZero = image.colorTable[0];
        run.width = std::clamp(image.imageInfo[imageInfoWidth], 0, header.biWidth);
        run.height = std::clamp(image.imageInfo[imageInfoHeight], 0, header.biHeight);
        const size_t rowBytes = (size_t(run.width) * size_t(run.bitCount) + 7) / 8;
        if (visit) visit->begin(run.height, rowBytes, run.bitCount);
        for (int32_t row = 0; row < run.height; ++row) {
            const uint8_t* bytes = image.pixelBits + size_t(header.biHeight - 1 - row) * size_t(image.bitmapStride);
            for (size_t i = 0; i < rowBytes; ++i) run.hash = (run.hash ^ bytes[i]) * hashPrime;
            if (visit) visit->row(row, {bytes, rowBytes});
        }
    }
    return run;
}

// The first decode: which bytes still hold its fill, and the mid-grey blocks.
class FirstDecode final : public RowVisitor {
public:
    void begin(int32_t height, size_t rowBytes, int32_t bitCount) override {
        height_ = height;
        rowBytes_ = rowBytes;
        bitCount_ = bitCount;
        bits_.assign((size_t(height) * rowBytes + 63) / 64, 0);
    }
    void row(int32_t y, std::span<const uint8_t> bytes) override {
        for (size_t i = 0; i < bytes.size(); ++i) {
            if (bytes[i] != firstFill) continue;
            const size_t index = size_t(y) * rowBytes_ + i;
            bits_[index / 64] |= uint64_t(1) << (index % 64);
        }
        if (bitCount_ == 24) countGrey(y, bytes);
    }
    bool stillFilled(int32_t y, size_t byte) const {
        const size_t index = size_t(y) * rowBytes_ + byte;
        return (bits_[index / 64] >> (index % 64) & 1) != 0;
    }
    uint64_t blocks = 0;
    uint64_t midGreyBlocks = 0;

private:
    // One band of eight rows at a time: a block is mid-grey when every pixel of it is.
    void countGrey(int32_t y, std::span<const uint8_t> bytes) {
        const size_t columns = bytes.size() / 3;
        const size_t blockColumns = (columns + 7) / 8;
        if (y % 8 == 0) band_.assign(blockColumns, true);
        for (size_t x = 0; x < columns; ++x) {
            const uint8_t* pixel = bytes.data() + 3 * x;
            if (pixel[0] != midGrey || pixel[1] != midGrey || pixel[2] != midGrey) band_[x / 8] = false;
        }
        if (y % 8 == 7 || y == height_ - 1) {
            blocks += blockColumns;
            midGreyBlocks += uint64_t(std::count(band_.begin(), band_.end(), true));
        }
    }

    int32_t height_ = 0;
    size_t rowBytes_ = 0;
    int32_t bitCount_ = 0;
    std::vector<uint64_t> bits_;
    std::vector<bool> band_;
};

// The second decode: a byte the first left at 0x00 and this one at 0xFF was never written.
class SecondDecode final : public RowVisitor {
public:
    SecondDecode(const FirstDecode& first, ProgramDecode& result) : first_(first), result_(result) {}
    void begin(int32_t, size_t, int32_t bitCount) override { bitCount_ = bitCount; }
    void row(int32_t y, std::span<const uint8_t> bytes) override {
        const size_t pixels = size_t(result_.width);
        size_t unwritten = 0;
        for (size_t x = 0; x < pixels; ++x) {
            if (pixelUnwritten(y, bytes, x)) ++unwritten;
        }
        result_.unwrittenPixels += unwritten;
        if (unwritten != 0 && result_.firstRowWithGap < 0) {
            result_.firstRowWithGap = y;
            result_.gapIsTheBottom = true;
        }
        if (unwritten != 0) result_.lastRowWithGap = y;
        if (result_.firstRowWithGap >= 0 && unwritten != pixels) result_.gapIsTheBottom = false;
    }

private:
    bool pixelUnwritten(int32_t y, std::span<const uint8_t> bytes, size_t x) const {
        const size_t first = bitCount_ >= 8 ? x * size_t(bitCount_ / 8) : x * size_t(bitCount_) / 8;
        const size_t count = bitCount_ >= 8 ? size_t(bitCount_ / 8) : 1;
        for (size_t i = first; i < first + count; ++i) {
            if (first_.stillFilled(y, i) && bytes[i] == secondFill) return true;
        }
        return false;
    }

    const FirstDecode& first_;
    ProgramDecode& result_;
    int32_t bitCount_ = 0;
};

// A JPEG the decoder did not finish may only lack its end marker: then, with the marker
// appended, the decoder reaches the end and writes exactly the bytes it wrote before.
bool wholeWithEndMarker(std::span<const uint8_t> picture, uint64_t hash) {
    std::vector<uint8_t> completed;
    try {
        completed.resize(picture.size() + sizeof endMarker);
    } catch (const std::bad_alloc&) {
        return false;
    }
    std::copy(picture.begin(), picture.end(), completed.begin());
    std::copy(std::begin(endMarker), std::end(endMarker), completed.end() - std::ptrdiff_t(sizeof endMarker));
    const Run run = decodeOnce(completed, firstFill, nullptr);
    return run.loaded && run.reachedEnd && run.hash == hash;
}

}  // namespace

std::string decoderText(std::string_view text) {
    for (size_t position = 0; position < text.size();) {
        char32_t c = 0;
        size_t length = 0;
        if (!decodeUtf8At(text, position, c, length)) {
            std::string utf8;
            return cp932ToUtf8(text, utf8) ? utf8 : std::string(text);
        }
        position += length;
    }
    return std::string(text);
}

ProgramDecode decodeAsTheProgram(std::span<const uint8_t> picture) {
    ProgramDecode result;
    FirstDecode firstPixels;
    const Run first = decodeOnce(picture, firstFill, &firstPixels);
    result.loaded = first.loaded;
    result.kind = first.kind;
    result.reachedEnd = first.reachedEnd;
    result.messages = first.messages;
    if (!first.loaded) return result;
    result.width = first.width;
    result.height = first.height;
    result.bitCount = first.bitCount;
    result.colorZero = first.colorZero;
    result.blocks = firstPixels.blocks;
    result.midGreyBlocks = firstPixels.midGreyBlocks;
    SecondDecode secondPixels(firstPixels, result);
    (void)decodeOnce(picture, secondFill, &secondPixels);
    if (result.kind == ImageKind::jpeg && !result.reachedEnd)
        result.wholeWithEndMarker = wholeWithEndMarker(picture, first.hash);
    return result;
}

}  // namespace vistello::tools
