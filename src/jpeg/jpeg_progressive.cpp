// Progressive frames (ITU-T T.81, Annex G): every scan is decoded into coefficient stores that
// cover the whole picture; at EOI or at the first failure the stores are transformed and
// converted into the DIB. The stores hold 16-bit coefficients; where crafted data drives one
// beyond 16 bits, the frame's scans are decoded again from the first one with 32-bit stores, so
// that the arithmetic stays that of 32-bit coefficients for every input.
#include "common/try_allocate.h"
#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <thread>

namespace vistello {
namespace {

constexpr int32_t zeroBlock[64] = {};
constexpr uint64_t bytesPerBlock = 64 * sizeof(int32_t);
// For the frame its DIB was made for, 32-bit stores take at most four times the DIB's bytes
// (4 bytes per coefficient against 3 bytes per pixel, three components). A frame that needs
// more than that (plus some slack for tiny pictures) is not the DIB's frame and is refused
// like a failed allocation, whatever the width of the stores.
constexpr uint64_t storeSlackBytes = uint64_t(1) << 20;
// Stores of at least this many bytes have their pages touched by two threads before the first
// scan; the step is the smallest page size of the targets.
constexpr uint64_t prefaultMinimumBytes = uint64_t(1) << 20;
constexpr size_t pageBytes = 4096;

// Writes a zero (the value calloc gave) into every page of values [first, end) of the store, so
// that the system maps the pages now instead of during the scan that first reaches them.
template <typename C>
void touchPages(C* store, size_t first, size_t end) {
    volatile C* const values = store;
    for (size_t i = first; i < end; i += pageBytes / sizeof(C)) values[i] = 0;
}

template <typename C> ZeroedArray<C>* storesOf(ZeroedArray<int16_t>* narrow, ZeroedArray<int32_t>* wide);
template <> ZeroedArray<int16_t>* storesOf<int16_t>(ZeroedArray<int16_t>* narrow, ZeroedArray<int32_t>*) { return narrow; }
template <> ZeroedArray<int32_t>* storesOf<int32_t>(ZeroedArray<int16_t>*, ZeroedArray<int32_t>* wide) { return wide; }

// The samples of a stored block, transformed: 32-bit blocks in place, 16-bit ones into scratch.
const int32_t* transformStored(TransformFunction transform, NarrowTransformFunction, int32_t* block, int32_t*,
                               const int32_t* quant, int32_t shift) {
    transform(block, quant, shift);
    return block;
}
const int32_t* transformStored(TransformFunction, NarrowTransformFunction narrowTransform, const int16_t* block, int32_t* scratch,
                               const int32_t* quant, int32_t shift) {
    narrowTransform(block, scratch, quant, shift);
    return scratch;
}

uint32_t divideRoundingUp(uint32_t value, uint32_t divisor) { return (value + divisor - 1) / divisor; }

}  // namespace

template <typename C>
bool JpegDecoder::allocateStores() {
    const uint32_t mcuColumns = divideRoundingUp(imageWidth, 8u * frameMaxH);
    const uint64_t frameMcus = uint64_t{mcuColumns} * divideRoundingUp(imageHeight, 8u * frameMaxV);
    storeRowBlocks = size_t{mcuColumns} * frameMaxH;
    storeBlocks[0] = static_cast<size_t>(frameMcus * frameMaxH * frameMaxV);
    storeBlocks[1] = componentCount >= 2 ? static_cast<size_t>(frameMcus) : 0;
    storeBlocks[2] = componentCount >= 3 ? static_cast<size_t>(frameMcus) : 0;
    const uint64_t totalBlocks = uint64_t{storeBlocks[0]} + storeBlocks[1] + storeBlocks[2];
    const uint64_t dibBytes = output.stride > 0 && output.height > 0
                                  ? uint64_t(static_cast<uint32_t>(output.stride)) * static_cast<uint32_t>(output.height)
                                  : 0;
    if (totalBlocks * bytesPerBlock > 4 * dibBytes + storeSlackBytes) return false;
    ZeroedArray<C>* target = storesOf<C>(narrowStores, stores);
    for (int i = 0; i < 3; ++i) {
        if (storeBlocks[i] == 0) continue;
        target[i] = tryAllocateZeroed<C>(uint64_t{storeBlocks[i]} * 64, totalBlocks * 64);
        if (!target[i]) return false;
    }
    if (threadsInUse() >= 2 && totalBlocks * 64 * sizeof(C) >= prefaultMinimumBytes) prefaultStores<C>();
    return true;
}

void JpegDecoder::releaseStores() {
    for (auto& store : narrowStores) store.reset();
    for (auto& store : stores) store.reset();
}

// The first scan reaches every page of the stores, and mapping fresh pages is a large part of
// its time; here both threads take half of the pages of every store (the helper the first half,
// rounded to whole page steps), and the scans start only after both are done.
template <typename C>
void JpegDecoder::prefaultStores() {
    ZeroedArray<C>* target = storesOf<C>(narrowStores, stores);
    constexpr size_t pageStep = pageBytes / sizeof(C);
    size_t split[3]{};
    for (int i = 0; i < 3; ++i) split[i] = storeBlocks[i] * 64 / 2 / pageStep * pageStep;
    const auto touchHalf = [this, target, &split](bool firstHalf) {
        for (int i = 0; i < 3; ++i) {
            if (!target[i]) continue;
            if (firstHalf) {
                touchPages(target[i].get(), 0, split[i]);
            } else {
                touchPages(target[i].get(), split[i], storeBlocks[i] * 64);
            }
        }
    };
    try {
        std::thread helper(touchHalf, true);
        touchHalf(false);
        helper.join();
    } catch (const std::exception&) {
        // No thread could be started (system_error, or bad_alloc for the thread's state): the
        // pages are mapped by the scans as they reach them.
    }
}

template <typename C>
C* JpegDecoder::storeBlock(uint8_t componentIndex, size_t blockIndex) {
    const size_t store = storeOfComponent(componentIndex);
    if (blockIndex >= storeBlocks[store]) return nullptr;   // the walks stay inside; kept as a guard
    return storesOf<C>(storeOwner->narrowStores, storeOwner->stores)[store].get() + blockIndex * 64;
}

// What the scans of a frame change and its second decode starts from again.
struct JpegDecoder::ProgressiveStart {
    size_t cursor = 0;
    uint32_t restartInterval = 0;
    int32_t quantTables[4][64]{};
    HuffmanTable acTables[4]{};
    HuffmanTable dcTables[4]{};
    uint8_t scanComponentCount = 0;
    ScanComponent scanComponents[4]{};
    uint32_t spectralStart = 0;
    uint32_t spectralEnd = 0;
    uint8_t approxHigh = 0;
    uint8_t approxLow = 0;
    uint8_t scanMaxH = 0;
    uint8_t scanMaxV = 0;
    uint32_t mcusPerRow = 0;
    uint32_t mcuRows = 0;
    uint32_t totalMcus = 0;
};

void JpegDecoder::saveProgressiveStart(ProgressiveStart& start) const {
    start.cursor = cursor;
    start.restartInterval = restartInterval;
    std::memcpy(start.quantTables, quantTables, sizeof quantTables);
    for (int i = 0; i < 4; ++i) {
        start.acTables[i] = acTables[i];
        start.dcTables[i] = dcTables[i];
    }
    start.scanComponentCount = scanComponentCount;
    for (int i = 0; i < 4; ++i) start.scanComponents[i] = scanComponents[i];
    start.spectralStart = spectralStart;
    start.spectralEnd = spectralEnd;
    start.approxHigh = approxHigh;
    start.approxLow = approxLow;
    start.scanMaxH = scanMaxH;
    start.scanMaxV = scanMaxV;
    start.mcusPerRow = mcusPerRow;
    start.mcuRows = mcuRows;
    start.totalMcus = totalMcus;
}

void JpegDecoder::restoreProgressiveStart(const ProgressiveStart& start) {
    cursor = start.cursor;
    restartInterval = start.restartInterval;
    std::memcpy(quantTables, start.quantTables, sizeof quantTables);
    for (int i = 0; i < 4; ++i) {
        acTables[i] = start.acTables[i];
        dcTables[i] = start.dcTables[i];
    }
    scanComponentCount = start.scanComponentCount;
    for (int i = 0; i < 4; ++i) scanComponents[i] = start.scanComponents[i];
    spectralStart = start.spectralStart;
    spectralEnd = start.spectralEnd;
    approxHigh = start.approxHigh;
    approxLow = start.approxLow;
    scanMaxH = start.scanMaxH;
    scanMaxV = start.scanMaxV;
    mcusPerRow = start.mcusPerRow;
    mcuRows = start.mcuRows;
    totalMcus = start.totalMcus;
}

// The frame is first decoded into 16-bit stores with the texts held back: on two threads where
// the picture is large enough, and where that gives anything but the one-thread result (see
// jpeg_progressive_split.cpp) again on this thread alone. Unless a coefficient left 16 bits,
// the held texts are passed on and the stores drawn. Otherwise (and where the 16-bit stores or
// the record of the frame's start cannot be had) the scans are decoded into 32-bit stores, from
// the first scan again, with the texts passed on as they come.
int JpegDecoder::decodeProgressive() {
    messages.setMainWindowTitle(progressiveTitleText);
    if (narrowCoefficientStores) {
        std::unique_ptr<ProgressiveStart> start(new (std::nothrow) ProgressiveStart);
        if (start) {
            saveProgressiveStart(*start);
            // One decode into 16-bit stores, kept unless its scans say it cannot be used; then
            // the frame's start is back as it was.
            int result = 0;
            const auto keptNarrowDecode = [this, &start, &result](auto decodeScans) {
                coefficientOverflow = false;
                messages.hold();
                result = allocateStores<int16_t>() ? decodeScans() : scansNotUsable;
                if (result != scansNotUsable) {
                    messages.release();
                    finishProgressive<int16_t>();
                    releaseStores();
                    return true;
                }
                messages.discard();
                releaseStores();
                restoreProgressiveStart(*start);
                return false;
            };
            const bool twoThreads = threadsInUse() >= 2 && uint64_t{imageWidth} * imageHeight >= threadedMinimumPixels;
            if (twoThreads && keptNarrowDecode([this] { return decodeScansOnTwoThreads(); })) return result;
            if (keptNarrowDecode([this] {
                    const int scans = decodeProgressiveScans<int16_t>();
                    return coefficientOverflow ? scansNotUsable : scans;
                })) {
                return result;
            }
            coefficientOverflow = false;
        }
    }
    if (!allocateStores<int32_t>()) {
        releaseStores();
        return 0;
    }
    const int result = decodeProgressiveScans<int32_t>();
    finishProgressive<int32_t>();
    releaseStores();
    return result;
}

// The frame's scans into the stores, until EOI (1) or the first failure (0); a 16-bit store
// that met a coefficient it cannot hold ends the scans too.
template <typename C>
int JpegDecoder::decodeProgressiveScans() {
    scanCount = 0;
    progressiveWork = 0;
    for (;;) {
        if (!decodeProgressiveScan<C>()) return 0;
        if (coefficientOverflow) return 0;
        bool endOfImage = false;
        if (!nextProgressiveScan(endOfImage)) return 0;
        if (endOfImage) return 1;
    }
}

// Checks the scan's parameters, then walks its blocks. false ends the decoding.
template <typename C>
bool JpegDecoder::decodeProgressiveScan() {
    return scanWithinLimits() && decodeScanData<C>();
}

bool JpegDecoder::scanWithinLimits() {
    // A band must lie inside the block and start no later than it ends (T.81 G.1.1.1.1);
    // anything else, or a scan beyond the caps, ends the decoding with what arrived.
    if (spectralEnd > 63 || spectralStart > spectralEnd) return false;
    if (++scanCount > maxProgressiveScans) return false;
    uint64_t blocksWalked = uint64_t{totalMcus};
    if (spectralEnd == 0) {
        uint32_t blocksPerMcu = 0;
        for (uint32_t i = 0; i < scanComponentCount; ++i) blocksPerMcu += scanComponents[i].blocksPerMcu;
        blocksWalked *= blocksPerMcu;
    }
    progressiveWork += blocksWalked * (spectralEnd - spectralStart + 1);
    return progressiveWork <= maxProgressiveWork;
}

template <typename C>
bool JpegDecoder::decodeScanData() {
    resetBitReader();
    mcuCounter = 0;
    return spectralEnd == 0 ? decodeDcScan<C>() : decodeAcScan<C>();
}

template <typename C>
bool JpegDecoder::decodeDcScan() {
    const bool refinement = approxHigh != 0;
    for (uint32_t i = 0; i < scanComponentCount; ++i) scanComponents[i].dcPredictor = 0;
    const bool singleBlock = scanComponentCount == 1 && scanComponents[0].index == 1;
    const size_t rowSkip = singleBlock && extraBlockFlag() ? 1 : 0;
    for (uint32_t mcu = 0; mcu < totalMcus; ++mcu) {
        const uint32_t mcuRow = mcu / mcusPerRow;
        const uint32_t mcuColumn = mcu % mcusPerRow;
        for (uint32_t i = 0; i < scanComponentCount; ++i) {
            ScanComponent& component = scanComponents[i];
            currentDcTable = dcTableOf(component);
            for (uint32_t b = 0; b < component.blocksPerMcu; ++b) {
                size_t index = mcu;
                if (singleBlock) {
                    index = mcu + mcuRow * rowSkip;
                } else if (component.index == 1) {
                    const size_t row = size_t{mcuRow} * scanMaxV + b / component.h;
                    const size_t column = size_t{mcuColumn} * scanMaxH + b % component.h;
                    index = row * storeRowBlocks + column;
                }
                C* block = storeBlock<C>(component.index, index);
                if (block == nullptr) return false;
                if (!(refinement ? decodeDcRefine(block) : decodeDcFirst(component, block))) return false;
                if (coefficientOverflow) return false;
            }
        }
    }
    return true;
}

// In a scan of the first component alone the walk follows the picture's block rows; store 1
// is one block wider where the last frame MCU column reaches 8 or more pixels beyond the
// picture, and that block is stepped over at the end of every row.
bool JpegDecoder::extraBlockFlag() const {
    const uint32_t mcuWidth = 8u * frameMaxH;
    if (scanComponentCount != 1 || imageWidth % mcuWidth == 0) return false;
    return mcuWidth * divideRoundingUp(imageWidth, mcuWidth) - imageWidth >= 8;
}

template <typename C>
bool JpegDecoder::decodeAcScan() {
    // Only the first scan component is decoded: AC scans hold one component (T.81 G.1.1.1.1).
    ScanComponent& component = scanComponents[0];
    currentAcTable = acTableOf(component);
    const bool refinement = approxHigh != 0;
    const size_t rowSkip = component.index == 1 && extraBlockFlag() ? 1 : 0;
    uint32_t endOfBandRun = 0;
    // A row of the walk is a run of adjacent blocks in the store, decoded in one call.
    for (uint32_t first = 0; first < totalMcus; first += mcusPerRow) {
        const uint32_t count = std::min(mcusPerRow, totalMcus - first);
        const size_t firstIndex = first + size_t{first / mcusPerRow} * rowSkip;
        C* const blocks = storeBlock<C>(component.index, firstIndex);
        if (blocks != nullptr && storeBlock<C>(component.index, firstIndex + count - 1) != nullptr) {
            if (!decodeAcBlocks(blocks, count, endOfBandRun)) return false;
            if (coefficientOverflow) return false;
            continue;
        }
        for (uint32_t walked = first; walked < first + count; ++walked) {
            C* block = storeBlock<C>(component.index, firstIndex + (walked - first));
            if (block == nullptr) return false;
            if (!(refinement ? decodeAcRefine(block, endOfBandRun) : decodeAcFirst(block, endOfBandRun))) return false;
            if (coefficientOverflow) return false;
        }
    }
    return true;
}

// Moves to the next scan: tables and other segments between scans are read, RSTn markers
// passed over. false ends the decoding; endOfImage is set at EOI.
bool JpegDecoder::nextProgressiveScan(bool& endOfImage) {
    for (;;) {
        if (!findMarker()) return false;
        const int step = stepTowardsNextScan(endOfImage);
        if (step != 1) return step == 2;
    }
}

// The marker at the cursor on the way to the next scan: 2 at EOI or once a usable scan header
// was read, 1 where the search goes on, 0 where the decoding ends.
int JpegDecoder::stepTowardsNextScan(bool& endOfImage) {
    const uint8_t code = data[cursor];
    if (code == markerEoi) {
        endOfImage = true;
        return 2;
    }
    if (code == markerSos) {
        ++cursor;
        // A header that cannot be used ends the decoding rather than leaving a half-filled
        // scan record behind.
        return readScanHeader() && frameIsSupported() ? 2 : 0;
    }
    return handleMarker() == 0 ? 0 : 1;
}

// The end stage: every MCU that reaches into the DIB has its blocks dequantised and
// transformed in place in the stores and is converted into the DIB. MCU rows own disjoint
// blocks of the stores and disjoint DIB rows, so the rows are split into two halves that two
// threads finish side by side; each MCU is computed exactly as by one thread.
template <typename C>
void JpegDecoder::finishProgressive() {
    const uint32_t mcuWidth = 8u * frameMaxH;
    const uint32_t mcuHeight = 8u * frameMaxV;
    mcusPerRow = divideRoundingUp(imageWidth, mcuWidth);
    mcuRows = divideRoundingUp(imageHeight, mcuHeight);
    totalMcus = mcusPerRow * mcuRows;
    if (threadsInUse() >= 2 && mcuRows >= 2 && uint64_t{imageWidth} * imageHeight >= threadedMinimumPixels) {
        const uint32_t half = mcuRows / 2;
        try {
            std::thread upper([this, half] { finishMcuRows<C>(0, half); });
            finishMcuRows<C>(half, mcuRows);
            upper.join();
            return;
        } catch (const std::exception&) {
            // No thread could be started (system_error, or bad_alloc for the thread's state; the
            // second half is only begun once the thread runs): the whole picture is finished
            // here instead.
        }
    }
    finishMcuRows<C>(0, mcuRows);
}

// The end stage for MCU rows [firstRow, endRow). Reads the decoder's frame fields, writes only
// those rows' blocks of the stores and the DIB pixels of those rows.
template <typename C>
void JpegDecoder::finishMcuRows(uint32_t firstRow, uint32_t endRow) {
    const uint32_t mcuWidth = 8u * frameMaxH;
    const uint32_t mcuHeight = 8u * frameMaxV;
    const McuGeometry geometry{frameMaxH, frameMaxV};
    const uint32_t lumaBlocks = uint32_t{frameMaxH} * frameMaxV;
    const int32_t* quant[3];
    for (uint32_t i = 0; i < 3; ++i) quant[i] = quantTables[i < componentCount ? components[i].quantTable : 0];
    ZeroedArray<C>* const store = storesOf<C>(narrowStores, stores);
    int32_t scratch[6][64];   // unaligned loads everywhere: Win64 does not align stack objects to 32 bytes
    for (uint32_t mcuRow = firstRow; mcuRow < endRow; ++mcuRow) {
        for (uint32_t mcuColumn = 0; mcuColumn < mcusPerRow; ++mcuColumn) {
            const size_t mcu = size_t{mcuRow} * mcusPerRow + mcuColumn;
            const int64_t x = int64_t{mcuColumn} * mcuWidth;
            const int64_t y = int64_t{mcuRow} * mcuHeight;
            // Blocks of MCUs outside the DIB are never shown, so they are not transformed either.
            if (clipArea(output, x, y, static_cast<int32_t>(mcuWidth), static_cast<int32_t>(mcuHeight)).empty()) continue;
            const int32_t* luma[4] = {zeroBlock, zeroBlock, zeroBlock, zeroBlock};
            for (uint32_t j = 0; j < lumaBlocks; ++j) {
                const size_t row = size_t{mcuRow} * frameMaxV + j / frameMaxH;
                const size_t column = size_t{mcuColumn} * frameMaxH + j % frameMaxH;
                C* block = store[0].get() + (row * storeRowBlocks + column) * 64;
                luma[j] = transformStored(transform, narrowTransform, block, scratch[j], quant[0], levelShift);
            }
            const int32_t* chroma[2] = {zeroBlock, zeroBlock};
            for (uint32_t c = 0; c < 2; ++c) {
                if (!store[c + 1]) continue;
                C* block = store[c + 1].get() + mcu * 64;
                chroma[c] = transformStored(transform, narrowTransform, block, scratch[4 + c], quant[c + 1], 0);
            }
            convertProgressiveMcu(output, x, y, geometry, luma, chroma[0], chroma[1], simdInUse);
        }
    }
}

// The helper scans of jpeg_progressive_split.cpp decode into 16-bit stores.
template bool JpegDecoder::decodeScanData<int16_t>();

}  // namespace vistello
