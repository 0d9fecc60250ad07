#pragma once
// The JPEG decoder: baseline and progressive Huffman-coded frames (ITU-T T.81), decoded
// straight into a 24-bit DIB. One record per decode.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/try_allocate.h"
#include "jpeg/jpeg_frame_header.h"
#include "jpeg/jpeg_held_messages.h"
#include "jpeg/jpeg_huffman_table.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_mcu_pipeline.h"
#include "jpeg/jpeg_output.h"
#include "jpeg/jpeg_simd.h"
#include "common/message_seam.h"

namespace vistello {

struct ScanComponent {    // one component of the current scan, in scan order
    uint8_t index = 0;        // 1-based position in the frame's component list
    uint8_t dcTable = 0;      // Td
    uint8_t acTable = 0;      // Ta
    uint8_t h = 0;
    uint8_t v = 0;
    uint8_t blocksPerMcu = 0; // h x v
    uint8_t quantTable = 0;   // the component's Tq
    int32_t dcPredictor = 0;
};

// Which entropy decoder runs. Both give the same coefficients, the same success or failure and
// find the same next marker for every input; the reference one follows the bit-serial
// procedures of T.81 Annex F literally and is kept to check the fast one against.
enum class EntropyPath : uint8_t { reference, fast };

// EXTEND of T.81 F.2.2.1: a received value of `size` bits as a signed difference.
[[nodiscard]] int32_t extend(uint32_t value, uint32_t size);

// The progressive coefficient store of a component: 0, 1 and 2 for components 1, 2 and 3 and up.
[[nodiscard]] inline size_t storeOfComponent(uint8_t componentIndex) {
    return componentIndex == 1 ? 0 : componentIndex == 2 ? 1 : 2;
}

// Whether the way to the next scan reads or stops at this marker: the codes the decoder's
// marker handling reads, SOS and EOI. The others are passed over without any effect.
[[nodiscard]] bool markerHasEffect(uint8_t code);

class JpegDecoder {
public:
    explicit JpegDecoder(MessageSeam& messages);
    JpegDecoder(const JpegDecoder&) = delete;
    JpegDecoder& operator=(const JpegDecoder&) = delete;

    // 1 when the stream was decoded to EOI, 0 on failure; what was written stays in the DIB.
    [[nodiscard]] int decodeJpeg(const uint8_t* data, size_t length, const JpegOutput& output);

    EntropyPath entropyPath = EntropyPath::fast;
    SimdLevel simd = SimdLevel::best;   // the transform's and the colour conversion's

    // Threads of one decode: 0 is the default (the cores the process may run on, at most 2), 1
    // decodes on the calling thread alone, 2 or more use one helper thread. With a helper, frames
    // of at least threadedMinimumPixels pixels (and two MCU rows) are decoded on both: baseline
    // frames transform and convert on the helper while the calling thread decodes the
    // entropy-coded data (and draws too when the helper is behind), restart scans whose markers
    // come in order are split into two halves decoded side by side, progressive frames have the
    // first component's AC scans decoded beside the other scans, the progressive end stage
    // splits the MCU rows, and large coefficient stores have their pages mapped by both threads
    // before the first scan. The DIB, the result and the messages are the same whatever the
    // threads; a helper that cannot start leaves the work to one thread.
    uint32_t threads = 0;
    // Below it a helper's start and hand-overs cost more than it gains, above all on a busy machine.
    uint64_t threadedMinimumPixels = uint64_t(1) << 21;
    // MCUs per hand-over of a baseline scan drawn on two threads (1 to 64); while the helper is
    // behind, the decoding thread draws waiting hand-overs too. Tests and fuzzing use 1 so that
    // small pictures are drawn by both threads.
    uint32_t queuedBatchMcus = 64;

    // Progressive frames keep 16-bit coefficients; where crafted data drives one beyond 16 bits
    // the frame is decoded again with 32-bit stores, the arithmetic of every decode. false keeps
    // 32-bit stores from the start. The same bytes, result and messages either way.
    bool narrowCoefficientStores = true;

    // From the frame header (0 until one was read).
    uint32_t imageWidth = 0;
    uint32_t imageHeight = 0;
    uint8_t componentCount = 0;

    // Upper bound on the scans of a progressive frame; later scans are not decoded.
    static constexpr uint32_t maxProgressiveScans = 1000;
    // Upper bound on the coefficient positions that the band walks of one progressive frame may
    // visit in total (blocks x band width per scan): keeps crafted files with thousands of
    // cheap scans over a large picture within seconds.
    static constexpr uint64_t maxProgressiveWork = uint64_t(1) << 31;

private:
    // --- stream parser (jpeg_markers.cpp)
    [[nodiscard]] bool findSoi();
    [[nodiscard]] bool findMarker();
    [[nodiscard]] int handleMarker();
    [[nodiscard]] int decodeFrame();
    [[nodiscard]] bool readScanHeader();
    [[nodiscard]] bool readQuantTables();
    [[nodiscard]] bool readRestartInterval();
    [[nodiscard]] bool readApp0();
    void skipSegment();
    [[nodiscard]] bool frameIsSupported() const;
    // The segments are read through a CursorReader (jpeg_cursor_reader.h) at the cursor.
    [[nodiscard]] bool passedEnd() const { return cursor > length; }

    // --- entropy decoding (jpeg_huffman.cpp, jpeg_entropy.cpp)
    [[nodiscard]] bool readHuffmanTables();
    [[nodiscard]] bool loadByte();
    [[nodiscard]] bool readBit(uint32_t& bit);
    [[nodiscard]] int readRefinementBit();
    [[nodiscard]] bool receiveBits(uint32_t count, uint32_t& value);
    [[nodiscard]] bool decodeSymbol(uint32_t& symbol);
    [[nodiscard]] bool decodeBlock(ScanComponent& component, int32_t block[64]);
    void resetBitReader();
    void findEntropyEnd();
    [[nodiscard]] bool fastPathAllowed() const;
    struct WindowBits;   // the fast path's bits (jpeg_entropy.cpp)
    struct SerialBits;   // the reference path's bits
    template <class Bits> [[nodiscard]] bool decodeBlockWith(Bits& bits, ScanComponent& component, int32_t block[64]);
    // Progressive blocks in a store of int16_t or int32_t coefficients.
    template <typename C> void storeCoefficient(C& slot, int32_t value);
    template <class Bits, typename C> [[nodiscard]] bool decodeDcFirstWith(Bits& bits, ScanComponent& component, C* block);
    template <class Bits, typename C> [[nodiscard]] bool decodeDcRefineWith(Bits& bits, C* block);
    template <class Bits, typename C> [[nodiscard]] bool decodeAcFirstWith(Bits& bits, C* block, uint32_t& endOfBandRun);
    template <class Bits, typename C> [[nodiscard]] bool decodeAcRefineWith(Bits& bits, C* block, uint32_t& endOfBandRun);
    template <class Bits, typename C> [[nodiscard]] bool refineWith(Bits& bits, C& coefficient, uint32_t step);
    // The fast path's AC refinement: a walk over the block's non-zero mask.
    template <typename C> [[nodiscard]] bool decodeAcRefineWindow(WindowBits& bits, C* block, uint32_t& endOfBandRun);
    template <typename C> void correctCoefficients(WindowBits& bits, C* block, uint64_t positions, uint32_t step);
    [[nodiscard]] bool decodeBlockFast(ScanComponent& component, int32_t block[64]);
    [[nodiscard]] bool decodeBlockAny(ScanComponent& component, int32_t block[64]);
    [[nodiscard]] bool decodeBlockNearMarker(ScanComponent& component, int32_t block[64]);
    template <typename C> [[nodiscard]] bool decodeDcFirst(ScanComponent& component, C* block);
    template <typename C> [[nodiscard]] bool decodeDcRefine(C* block);
    template <typename C> [[nodiscard]] bool decodeAcFirst(C* block, uint32_t& endOfBandRun);
    template <typename C> [[nodiscard]] bool decodeAcRefine(C* block, uint32_t& endOfBandRun);
    template <typename C> [[nodiscard]] bool decodeAcBlocks(C* blocks, uint32_t count, uint32_t& endOfBandRun);
    [[nodiscard]] const HuffmanTable* dcTableOf(const ScanComponent& component) const;
    [[nodiscard]] const HuffmanTable* acTableOf(const ScanComponent& component) const;

    // --- driver (jpeg_driver.cpp)
    [[nodiscard]] int decodeScans();
    [[nodiscard]] bool decodeBaselineScan();
    [[nodiscard]] bool decodeBaselineScanMcus();
    [[nodiscard]] bool scanCanBeQueued() const;
    [[nodiscard]] McuDrawing drawingOfScan() const;
    [[nodiscard]] bool decodeQueuedMcu(int64_t x, int64_t y);
    [[nodiscard]] bool decodeRestartScan();
    // --- restart scans on two threads (jpeg_restart_split.cpp)
    // false when the scan is not split (markers out of order, no helper): nothing was decoded.
    [[nodiscard]] bool decodeRestartScanSplit(bool& decoded);
    [[nodiscard]] bool restartMarkersInOrder(uint32_t intervals, uint32_t splitInterval, size_t& splitStart) const;
    void copyScanStateTo(JpegDecoder& worker) const;
    void decodeIntervals(uint32_t first, uint32_t end, size_t start);
    [[nodiscard]] bool decodeRun(uint32_t count);
    [[nodiscard]] bool decodeComponentRun(uint32_t count);
    [[nodiscard]] bool decodeMcus(uint32_t count);
    [[nodiscard]] bool decodeMcu(int64_t x, int64_t y);
    [[nodiscard]] bool decodeComponentMcu(int64_t x, int64_t y);
    // The blocks of an MCU of the current scan in scan order, set up once per run of MCUs.
    struct PlannedBlock {
        ScanComponent* component = nullptr;
        const HuffmanTable* dcTable = nullptr;
        const HuffmanTable* acTable = nullptr;
        int32_t* workspace = nullptr;   // where the one-thread paths keep the block
    };
    void planMcuBlocks();
    // Decodes every block of the MCU in scan order into blockFor(planned block); false at the
    // first block whose data fails.
    template <typename BlockFor>
    [[nodiscard]] bool decodeMcuBlocks(BlockFor blockFor);
    void mcuPosition(int64_t& x, int64_t& y) const;

    // The threads a decode may use: the setting, 0 resolved to the cores the process may run on (1 or 2).
    [[nodiscard]] uint32_t threadsInUse() const;
    void chooseKernels();

    // --- progressive (jpeg_progressive.cpp)
    [[nodiscard]] int decodeProgressive();
    template <typename C> [[nodiscard]] int decodeProgressiveScans();
    template <typename C> [[nodiscard]] bool allocateStores();
    template <typename C> void prefaultStores();
    template <typename C> [[nodiscard]] bool decodeProgressiveScan();
    [[nodiscard]] bool scanWithinLimits();
    template <typename C> [[nodiscard]] bool decodeScanData();
    template <typename C> [[nodiscard]] bool decodeDcScan();
    template <typename C> [[nodiscard]] bool decodeAcScan();
    [[nodiscard]] bool extraBlockFlag() const;
    template <typename C> [[nodiscard]] C* storeBlock(uint8_t componentIndex, size_t blockIndex);
    [[nodiscard]] bool nextProgressiveScan(bool& endOfImage);
    [[nodiscard]] int stepTowardsNextScan(bool& endOfImage);
    template <typename C> void finishProgressive();
    template <typename C> void finishMcuRows(uint32_t firstRow, uint32_t endRow);
    struct ProgressiveStart;
    void saveProgressiveStart(ProgressiveStart& start) const;
    void restoreProgressiveStart(const ProgressiveStart& start);
    void releaseStores();
    // --- progressive scans on two threads (jpeg_progressive_split.cpp)
    struct HelperScan;
    class ScanHelperThread;
    // 1 at EOI, 0 where the frame fails as on one thread, scansNotUsable where it must be decoded again.
    static constexpr int scansNotUsable = -1;
    [[nodiscard]] int decodeScansOnTwoThreads();
    [[nodiscard]] bool scanGoesToHelper() const;
    void copyProgressiveScanStateTo(JpegDecoder& worker);
    [[nodiscard]] bool decodeHelperScan(size_t markerAfterScan);

    HeldMessages messages;
    TransformFunction transform = transformBlockScalar;   // chosen from simd for each frame
    NarrowTransformFunction narrowTransform = narrowTransformFor(SimdLevel::scalar);   // the same, for 16-bit stores
    SimdLevel simdInUse = SimdLevel::scalar;
    const uint8_t* data = nullptr;
    size_t length = 0;        // dataEnd = data + length
    size_t cursor = 0;        // read position; cursor > length means "passed the end"
    JpegOutput output{};
    uint8_t frameMarker = 0;
    int32_t levelShift = 0;
    alignas(16) int32_t blockWorkspace[8][64]{};
    uint32_t totalMcus = 0;
    uint32_t mcuCounter = 0;
    uint32_t mcusPerRow = 0;
    uint32_t mcuRows = 0;
    uint8_t frameMaxH = 0;
    uint8_t frameMaxV = 0;
    uint8_t scanMaxH = 0;
    uint8_t scanMaxV = 0;
    uint32_t restartInterval = 0;
    uint32_t restartCount = 0;
    uint8_t scanComponentCount = 0;
    ScanComponent scanComponents[4]{};
    uint32_t spectralStart = 0;
    uint32_t spectralEnd = 0;
    uint8_t approxHigh = 0;
    uint8_t approxLow = 0;
    int32_t quantTables[4][64]{};
    HuffmanTable acTables[4]{};
    HuffmanTable dcTables[4]{};
    const HuffmanTable* currentAcTable = nullptr;
    const HuffmanTable* currentDcTable = nullptr;
    const HuffmanTable* activeTable = nullptr;
    // Bit reader: bitBuffer holds bitsLeft unread bits, most significant first. bitsLeft is 64
    // bits wide so that stores into int32 coefficient blocks cannot alias it.
    uint64_t bitsLeft = 0;
    uint64_t bitBuffer = 0;
    size_t entropyEnd = 0;    // first marker (or the end) after the current entropy-coded run
    size_t stuffedBytes = 0;  // FF 00 pairs in that run
    uint8_t precision = 0;
    FrameComponent components[255]{};
    bool frameRead = false;
    alignas(16) int32_t chromaBlocks[2][64]{};
    PlannedBlock plannedBlocks[4 * 4]{};   // up to 4 scan components of up to 2 x 2 blocks
    uint32_t plannedBlockCount = 0;

    // The helper thread of the current scan, where it draws the scan's MCUs (null otherwise).
    std::unique_ptr<McuPipeline> pipeline;

    // Progressive coefficient stores (one per component position, 64 coefficients per block):
    // 16-bit ones while every coefficient fits, 32-bit ones for the frame's second decode.
    ZeroedArray<int16_t> narrowStores[3];
    ZeroedArray<int32_t> stores[3];
    JpegDecoder* storeOwner = this;   // whose stores the scans write: a helper's decoder writes the caller's
    bool coefficientOverflow = false;   // a coefficient left 16 bits in a narrow store
    size_t storeBlocks[3]{};
    size_t storeRowBlocks = 0;   // blocks per row of store 1
    uint32_t scanCount = 0;
    uint64_t progressiveWork = 0;
};

}  // namespace vistello
