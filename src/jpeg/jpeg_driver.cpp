// The frame's scan loop and the MCU loops of sequential scans, with restart intervals and
// resynchronisation on RSTn markers (ITU-T T.81, E.2 and F.2.1).
#include "common/usable_cores.h"
#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"

#include <algorithm>
#include <cstring>

namespace vistello {

uint32_t JpegDecoder::threadsInUse() const {
    if (threads != 0) return threads;
    return std::clamp(usableCoreCount(), 1u, 2u);
}

void JpegDecoder::chooseKernels() {
    simdInUse = usableSimdLevel(simd);
    transform = transformFor(simdInUse);
    narrowTransform = narrowTransformFor(simdInUse);
}

int JpegDecoder::decodeScans() {
    chooseKernels();
    if (!findMarker()) return 0;
    for (;;) {
        const uint8_t code = data[cursor];
        if (code == markerEoi) return 1;   // also a frame without scans: nothing drawn
        if (code == markerSos) {
            ++cursor;
            if (!readScanHeader()) return 0;
            mcuCounter = 0;
            const bool knownProcess = frameMarker == markerSof0 || frameMarker == markerSof2;
            if (!knownProcess || !frameIsSupported()) {
                messages.showMessage(unsupportedFrameText);
                return 0;
            }
            if (frameMarker == markerSof2) return decodeProgressive();
            if (!decodeBaselineScan()) return 0;
            continue;   // cursor rests on the marker after the scan
        }
        if (handleMarker() == 0) return 0;
        if (!findMarker()) return 0;
    }
}

// Large scans that hold every component in frame order are drawn by the helper thread while
// this thread decodes them. Only the last scan of the data qualifies (no SOS marker follows
// it): the one-thread path of any later scan may read the MCU workspace or the DIB that this
// scan left, and the queued path leaves neither as the one-thread path would at each MCU.
bool JpegDecoder::scanCanBeQueued() const {
    const uint64_t pixels = uint64_t{imageWidth} * imageHeight;
    if (scanComponentCount != componentCount || threadsInUse() < 2 || mcuRows < 2 || pixels < threadedMinimumPixels) return false;
    for (uint32_t i = 0; i < scanComponentCount; ++i) {
        if (scanComponents[i].index != i + 1) return false;
    }
    for (size_t position = cursor; position + 1 < length;) {
        const void* fill = std::memchr(data + position, markerFill, length - 1 - position);
        if (fill == nullptr) break;
        position = static_cast<size_t>(static_cast<const uint8_t*>(fill) - data) + 1;
        if (data[position] == markerSos) return false;
    }
    return true;
}

McuDrawing JpegDecoder::drawingOfScan() const {
    McuDrawing drawing;
    drawing.output = output;
    drawing.geometry = McuGeometry{scanMaxH, scanMaxV};
    drawing.transform = transform;
    drawing.level = simdInUse;
    drawing.levelShift = levelShift;
    drawing.lumaBlocks = scanComponents[0].blocksPerMcu;
    drawing.chromaComponents = scanComponentCount - 1u;
    drawing.lumaQuant = quantTables[scanComponents[0].quantTable];
    for (uint32_t i = 1; i < scanComponentCount; ++i) drawing.chromaQuant[i - 1] = quantTables[scanComponents[i].quantTable];
    return drawing;
}

bool JpegDecoder::decodeBaselineScan() {
    restartCount = 0;
    const bool threaded = scanCanBeQueued();
    bool splitDecoded = false;
    if (threaded && restartInterval != 0 && decodeRestartScanSplit(splitDecoded)) return splitDecoded;
    if (threaded) {
        uint32_t blocksPerMcu = 0;
        for (uint32_t i = 0; i < scanComponentCount; ++i) blocksPerMcu += scanComponents[i].blocksPerMcu;
        pipeline = McuPipeline::start(blocksPerMcu, queuedBatchMcus);
        if (pipeline) pipeline->setDrawing(drawingOfScan());
    }
    const bool decoded = decodeBaselineScanMcus();
    pipeline.reset();   // every queued MCU is drawn before the scan ends
    return decoded;
}

bool JpegDecoder::decodeBaselineScanMcus() {
    if (restartInterval != 0) return decodeRestartScan();
    if (scanComponentCount == componentCount) return decodeRun(totalMcus);
    return decodeComponentRun(totalMcus);
}

// Top-left pixel of MCU number restartCount x Ri + mcuCounter of the scan, in raster order.
void JpegDecoder::mcuPosition(int64_t& x, int64_t& y) const {
    const uint64_t number = uint64_t{restartCount} * restartInterval + mcuCounter;
    x = static_cast<int64_t>(number % mcusPerRow) * 8 * scanMaxH;
    y = static_cast<int64_t>(number / mcusPerRow) * 8 * scanMaxV;
}

bool JpegDecoder::decodeMcus(uint32_t count) {
    for (uint32_t i = 0; i < scanComponentCount; ++i) scanComponents[i].dcPredictor = 0;
    resetBitReader();
    planMcuBlocks();
    const bool interleaved = scanComponentCount == componentCount;
    for (mcuCounter = 0; mcuCounter < count; ++mcuCounter) {
        int64_t x = 0;
        int64_t y = 0;
        mcuPosition(x, y);
        const bool decoded = !interleaved ? decodeComponentMcu(x, y) : pipeline ? decodeQueuedMcu(x, y) : decodeMcu(x, y);
        if (!decoded) return false;
    }
    return true;
}

// A run of MCUs ending at a marker: after a failure the marker search moves cursor to the next
// marker, where a restart scan picks up the next interval.
bool JpegDecoder::decodeRun(uint32_t count) {
    if (!decodeMcus(count)) {
        (void)findMarker();   // only positions cursor; the run has failed either way
        return false;
    }
    return findMarker();
}

bool JpegDecoder::decodeComponentRun(uint32_t count) {
    return decodeMcus(count) && findMarker();
}

const HuffmanTable* JpegDecoder::dcTableOf(const ScanComponent& component) const {
    return component.dcTable < 4 ? &dcTables[component.dcTable] : nullptr;
}

const HuffmanTable* JpegDecoder::acTableOf(const ScanComponent& component) const {
    return component.acTable < 4 ? &acTables[component.acTable] : nullptr;
}

// Interleaved MCUs keep the first component's blocks in blockWorkspace and the others'
// one block each in chromaBlocks; a scan with fewer components than the frame keeps its
// second and third in chromaBlocks[0] and [1].
void JpegDecoder::planMcuBlocks() {
    const bool interleaved = scanComponentCount == componentCount;
    plannedBlockCount = 0;
    for (uint32_t i = 0; i < scanComponentCount; ++i) {
        ScanComponent& component = scanComponents[i];
        for (uint32_t b = 0; b < component.blocksPerMcu; ++b) {
            PlannedBlock& planned = plannedBlocks[plannedBlockCount++];
            planned.component = &component;
            planned.dcTable = dcTableOf(component);
            planned.acTable = acTableOf(component);
            if (component.index == 1) {
                planned.workspace = blockWorkspace[b];
            } else {
                planned.workspace = chromaBlocks[interleaved ? component.index - 2 : (i < 2 ? i : 1)];
            }
        }
    }
}

template <typename BlockFor>
bool JpegDecoder::decodeMcuBlocks(BlockFor blockFor) {
    for (uint32_t n = 0; n < plannedBlockCount; ++n) {
        const PlannedBlock& planned = plannedBlocks[n];
        currentDcTable = planned.dcTable;
        currentAcTable = planned.acTable;
        if (!decodeBlockAny(*planned.component, blockFor(planned))) return false;
    }
    return true;
}

// Every block of the MCU is decoded before anything is drawn: an MCU whose data fails leaves
// the DIB as it was.
bool JpegDecoder::decodeMcu(int64_t x, int64_t y) {
    const bool decoded = decodeMcuBlocks([](const PlannedBlock& planned) { return planned.workspace; });
    if (!decoded) return false;
    const ScanComponent& luma = scanComponents[0];
    const McuGeometry geometry{scanMaxH, scanMaxV};
    if (clipArea(output, x, y, 8 * geometry.h, 8 * geometry.v).empty()) return true;
    for (uint32_t b = 0; b < luma.blocksPerMcu; ++b) transform(blockWorkspace[b], quantTables[luma.quantTable], levelShift);
    if (scanComponentCount == 1) {
        writeGreyBlock(output, x, y, blockWorkspace[0]);
        return true;
    }
    for (uint32_t i = 1; i < scanComponentCount; ++i) transform(chromaBlocks[i - 1], quantTables[scanComponents[i].quantTable], 0);
    convertInterleavedMcu(output, x, y, geometry, blockWorkspace, chromaBlocks[0],
                          scanComponentCount == 3 ? chromaBlocks[1] : nullptr, simdInUse);
    return true;
}

// An MCU of a queued scan: its blocks go into the pipeline's ring, first component first, and
// the helper draws it once it is complete and inside the DIB.
bool JpegDecoder::decodeQueuedMcu(int64_t x, int64_t y) {
    int32_t (*blocks)[64] = pipeline->nextBlocks();
    if (!decodeMcuBlocks([&blocks](const PlannedBlock&) { return *blocks++; })) return false;
    if (!clipArea(output, x, y, 8 * scanMaxH, 8 * scanMaxV).empty()) pipeline->commit(x, y);
    return true;
}

// An MCU of a scan with fewer components than the frame: the first component is drawn as grey,
// Cb and Cr change the pixels that are already there.
bool JpegDecoder::decodeComponentMcu(int64_t x, int64_t y) {
    const bool decoded = decodeMcuBlocks([](const PlannedBlock& planned) { return planned.workspace; });
    if (!decoded) return false;
    const McuGeometry geometry{scanMaxH, scanMaxV};
    if (clipArea(output, x, y, 8 * geometry.h, 8 * geometry.v).empty()) return true;
    for (uint32_t i = 0; i < scanComponentCount; ++i) {
        const ScanComponent& component = scanComponents[i];
        const int32_t* quantTable = quantTables[component.quantTable];
        if (component.index == 1) {
            for (uint32_t b = 0; b < component.blocksPerMcu; ++b) {
                transform(blockWorkspace[b], quantTable, levelShift);
                writeGreyBlock(output, x + 8 * (b % component.h), y + 8 * (b / component.h), blockWorkspace[b]);
            }
            continue;
        }
        int32_t* block = chromaBlocks[i < 2 ? i : 1];
        transform(block, quantTable, 0);
        applyChromaBlock(output, x, y, geometry, block,
                         component.index == 2 ? ChromaKind::blueDifference : ChromaKind::redDifference);
    }
    return true;
}

// Restart intervals: interval k starts at MCU k x Ri in raster order. A failed interval is
// resynchronised on the next RSTn marker. When that marker (after a failed interval or a good
// one) is not the expected RSTn, the intervals in between lost their data or their markers:
// they are counted by the marker number and their area is left as it is, so the following
// intervals still land at their places.
bool JpegDecoder::decodeRestartScan() {
    const uint32_t interval = restartInterval;
    const uint32_t intervals = (totalMcus + interval - 1) / interval;
    if (intervals == 0) return findMarker();
    uint8_t expected = markerRst0;
    restartCount = 0;
    while (restartCount + 1 < intervals) {
        const bool decoded = decodeRun(interval);
        if (!decoded && (passedEnd() || !isRestartMarker(data[cursor]))) return false;
        const uint8_t found = data[cursor];
        if (isRestartMarker(found)) {
            const uint32_t lost = static_cast<uint32_t>(found - expected) & 7;
            // Never count past the last interval: its MCUs must stay inside the scan.
            const uint32_t room = intervals - 2 - restartCount;
            restartCount += lost < room ? lost : room;
        }
        ++restartCount;
        expected = found == markerRst7 ? markerRst0 : static_cast<uint8_t>(found + 1);
        ++cursor;
    }
    return decodeRun(totalMcus - (intervals - 1) * interval);
}

}  // namespace vistello
