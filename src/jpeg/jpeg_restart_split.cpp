// Restart scans split between two threads. Once the markers of a scan are known, each interval
// starts at a known byte with fresh predictors and a fresh bit reader, so a helper can decode
// the first half of the intervals (entropy, transform and colour into its own workspace) while
// this thread decodes the second half. Intervals draw disjoint MCUs, and in a scan whose
// markers are RST0, RST1, ... in turn the sequential loop starts every interval right after the
// marker that ended the one before, whether that one failed or not; so the split gives the
// sequential bytes. Any other marker sequence is left to the sequential loop untouched.
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_marker_search.h"
#include "jpeg/jpeg_silent_messages.h"
#include "jpeg/jpeg_tables.h"

#include <cstring>
#include <exception>
#include <memory>
#include <thread>

namespace vistello {

// The markers that end intervals 0 to intervals - 2, searched for from the scan's first byte.
// An interval's decode stops at or before the first marker after its start (the bit reader
// never reads past one), and the marker search from any such place finds that same marker.
bool JpegDecoder::restartMarkersInOrder(uint32_t intervals, uint32_t splitInterval, size_t& splitStart) const {
    size_t position = cursor;
    for (uint32_t k = 0; k + 1 < intervals; ++k) {
        if (!findNextMarker(data, length, position)) return false;
        if (data[position] != markerRst0 + (k & 7u)) return false;
        ++position;
        if (k + 1 == splitInterval) splitStart = position;
    }
    return true;
}

// What the MCU loops of this scan read, for a second decoder that runs some of its intervals.
void JpegDecoder::copyScanStateTo(JpegDecoder& worker) const {
    worker.entropyPath = entropyPath;
    worker.imageWidth = imageWidth;
    worker.imageHeight = imageHeight;
    worker.componentCount = componentCount;
    worker.transform = transform;
    worker.simdInUse = simdInUse;
    worker.data = data;
    worker.length = length;
    worker.cursor = cursor;
    worker.output = output;
    worker.frameMarker = frameMarker;
    worker.levelShift = levelShift;
    worker.totalMcus = totalMcus;
    worker.mcusPerRow = mcusPerRow;
    worker.mcuRows = mcuRows;
    worker.frameMaxH = frameMaxH;
    worker.frameMaxV = frameMaxV;
    worker.scanMaxH = scanMaxH;
    worker.scanMaxV = scanMaxV;
    worker.restartInterval = restartInterval;
    worker.scanComponentCount = scanComponentCount;
    for (uint32_t i = 0; i < 4; ++i) worker.scanComponents[i] = scanComponents[i];
    std::memcpy(worker.quantTables, quantTables, sizeof quantTables);
    for (uint32_t i = 0; i < 4; ++i) {
        worker.acTables[i] = acTables[i];
        worker.dcTables[i] = dcTables[i];
    }
    worker.precision = precision;
}

// Intervals [first, end) of a scan whose markers are in order, the first one starting at start.
// Their results are not needed: in such a scan every interval but the last ends on its RSTn.
void JpegDecoder::decodeIntervals(uint32_t first, uint32_t end, size_t start) {
    cursor = start;
    for (restartCount = first; restartCount < end; ++restartCount) {
        (void)decodeRun(restartInterval);
        ++cursor;   // past the RSTn that ended the interval
    }
}

bool JpegDecoder::decodeRestartScanSplit(bool& decoded) {
    const uint32_t interval = restartInterval;
    const uint32_t intervals = (totalMcus + interval - 1) / interval;
    if (intervals < 2) return false;
    const uint32_t split = intervals / 2;   // the helper's intervals are [0, split)
    size_t splitStart = 0;
    if (!restartMarkersInOrder(intervals, split, splitStart)) return false;
    SilentMessages silent;
    std::unique_ptr<JpegDecoder> worker;
    std::thread helper;
    const size_t scanStart = cursor;
    try {
        worker = std::make_unique<JpegDecoder>(silent);
        copyScanStateTo(*worker);
        helper = std::thread([raw = worker.get(), split, scanStart] { raw->decodeIntervals(0, split, scanStart); });
    } catch (const std::exception&) {
        return false;   // no memory or no thread: the sequential loop decodes the scan
    }
    decodeIntervals(split, intervals - 1, splitStart);
    restartCount = intervals - 1;
    decoded = decodeRun(totalMcus - (intervals - 1) * interval);
    helper.join();
    return true;
}

}  // namespace vistello
