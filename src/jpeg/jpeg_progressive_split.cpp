// Progressive scans on two threads. A scan changes only the coefficients of its components, and
// what it writes depends only on its data and on those coefficients; so scans of different
// components can be decoded side by side, as long as the scans of each component keep their
// order. The calling thread reads every marker segment in order and decodes the AC scans of the
// first component (most of the data); the DC scans and the other components' AC scans go, in
// order, to a helper, each with its own copy of the tables and the scan header. To go on past a
// helper's scan the calling thread searches for the next marker instead of decoding, and before
// a scan of its own it waits for the helper's earlier scans of that component (the DC scans).
//
// The result is used only when it is the one-thread decode's: every helper scan decoded without
// failure or overflow, and the first marker with an effect after its data (markers without one,
// such as RSTn, are passed over the same way on both paths) is the one the calling thread went on
// from; this thread's scans had no overflow. Otherwise the caller decodes the frame again on one
// thread.
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_marker_search.h"
#include "jpeg/jpeg_silent_messages.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {

namespace {

// The AC walks read whole blocks of their component (the non-zero masks), so two scans of one
// store are never decoded side by side, whatever their bands.
uint8_t storeBitOf(uint8_t componentIndex) { return static_cast<uint8_t>(1u << storeOfComponent(componentIndex)); }

constexpr size_t maxWaitingScans = 8;

// The code position of the first marker with an effect that the search from position reaches,
// or length + 1 where there is none.
size_t firstMarkerWithEffect(const uint8_t* data, size_t length, size_t position) {
    while (findNextMarker(data, length, position)) {
        if (markerHasEffect(data[position])) return position;
    }
    return length + 1;
}

}  // namespace

// One helper scan: its decoder (released once the scan is decoded), and what the helper found
// (valid once finished is set).
struct JpegDecoder::HelperScan {
    std::unique_ptr<JpegDecoder> worker;
    uint8_t stores = 0;
    size_t markerAfterScan = 0;   // where the calling thread went on
    bool finished = false;
    bool matches = false;         // decoded without failure or overflow, ending before markerAfterScan
};

// The helper thread and its queue of scans, decoded in order. Joined on every way out.
class JpegDecoder::ScanHelperThread {
public:
    ScanHelperThread() = default;
    ScanHelperThread(const ScanHelperThread&) = delete;
    ScanHelperThread& operator=(const ScanHelperThread&) = delete;
    ~ScanHelperThread() {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            closing = true;
        }
        changed.notify_all();
        if (thread.joinable()) thread.join();
    }

    [[nodiscard]] bool start() {
        try {
            thread = std::thread([this] { run(); });
            return true;
        } catch (const std::exception&) {
            return false;
        }
    }
    void add(HelperScan* scan) {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            waiting.push_back(scan);
        }
        changed.notify_all();
    }
    void waitFor(const HelperScan& scan) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&scan] { return scan.finished; });
    }

private:
    void run() {
        for (;;) {
            HelperScan* scan = nullptr;
            {
                std::unique_lock<std::mutex> lock(mutex);
                changed.wait(lock, [this] { return closing || !waiting.empty(); });
                if (closing) return;   // the calling thread has stopped waiting for the scans left
                scan = waiting.front();
                waiting.pop_front();
            }
            const bool matches = scan->worker->decodeHelperScan(scan->markerAfterScan);
            scan->worker.reset();
            {
                const std::lock_guard<std::mutex> lock(mutex);
                scan->matches = matches;
                scan->finished = true;
            }
            changed.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<HelperScan*> waiting;
    bool closing = false;
    std::thread thread;
};

// Runs on the helper: decodes the scan and checks that the one-thread decode would go on from
// markerAfterScan after it.
bool JpegDecoder::decodeHelperScan(size_t markerAfterScan) {
    if (!decodeScanData<int16_t>() || coefficientOverflow) return false;
    return firstMarkerWithEffect(data, length, cursor) == markerAfterScan;
}

bool JpegDecoder::scanGoesToHelper() const {
    return spectralEnd == 0 || scanComponents[0].index != 1;
}

void JpegDecoder::copyProgressiveScanStateTo(JpegDecoder& worker) {
    copyScanStateTo(worker);
    worker.spectralStart = spectralStart;
    worker.spectralEnd = spectralEnd;
    worker.approxHigh = approxHigh;
    worker.approxLow = approxLow;
    for (int i = 0; i < 3; ++i) worker.storeBlocks[i] = storeBlocks[i];
    worker.storeRowBlocks = storeRowBlocks;
    worker.storeOwner = this;
}

int JpegDecoder::decodeScansOnTwoThreads() {
    scanCount = 0;
    progressiveWork = 0;
    SilentMessages silent;
    std::deque<HelperScan> helperScans;   // declared before the thread: it outlives the thread's use
    ScanHelperThread helper;
    if (!helper.start()) return scansNotUsable;
    // Where this thread's decode ends early, every helper scan lies before that place in the
    // stream: when they all decoded as on one thread, the stores are what the one-thread decode
    // leaves at the same place, and the frame fails as it does there.
    const auto endedEarly = [&helper, &helperScans] {
        for (const HelperScan& scan : helperScans) {
            helper.waitFor(scan);
            if (!scan.matches) return scansNotUsable;
        }
        return 0;
    };
    try {
        for (;;) {
            if (!scanWithinLimits()) return endedEarly();
            uint8_t scanStores = 0;
            const uint32_t touched = spectralEnd == 0 ? scanComponentCount : 1;   // AC scans decode their first component
            for (uint32_t i = 0; i < touched; ++i) scanStores |= storeBitOf(scanComponents[i].index);
            bool endOfImage = false;
            if (scanGoesToHelper()) {
                // At most maxWaitingScans decoders (with their tables) wait for the helper.
                if (helperScans.size() >= maxWaitingScans) helper.waitFor(helperScans[helperScans.size() - maxWaitingScans]);
                HelperScan& scan = helperScans.emplace_back();
                scan.stores = scanStores;
                scan.worker = std::make_unique<JpegDecoder>(silent);
                copyProgressiveScanStateTo(*scan.worker);
                cursor = firstMarkerWithEffect(data, length, cursor);
                scan.markerAfterScan = cursor;
                helper.add(&scan);
                if (cursor > length) return endedEarly();
                const int step = stepTowardsNextScan(endOfImage);
                if (step == 0 || (step == 1 && !nextProgressiveScan(endOfImage))) return endedEarly();
            } else {
                for (HelperScan& earlier : helperScans) {
                    if ((earlier.stores & scanStores) != 0) helper.waitFor(earlier);
                }
                const bool decoded = decodeScanData<int16_t>();
                if (coefficientOverflow) return scansNotUsable;
                if (!decoded || !nextProgressiveScan(endOfImage)) return endedEarly();
            }
            if (endOfImage) break;
        }
    } catch (const std::bad_alloc&) {
        return scansNotUsable;
    }
    return endedEarly() == 0 ? 1 : scansNotUsable;
}

}  // namespace vistello
