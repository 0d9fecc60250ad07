#pragma once
// Two cores for interleaved sequential scans: the calling thread decodes the entropy-coded data
// of MCUs into a small ring of coefficient batches, while a helper thread transforms and
// converts the batches before it into the DIB, oldest first. When the ring is full the calling
// thread draws the oldest waiting batch itself, so both threads share the drawing. Memory stays
// at a few batches whatever the picture's size.
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

#include "common/try_allocate.h"
#include "jpeg/jpeg_color.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_output.h"

namespace vistello {

// What drawing an MCU of the current scan needs. The quantisation tables it points to stay as
// they are while MCUs of the scan wait in the ring (the ring is emptied at the scan's end).
struct McuDrawing {
    JpegOutput output{};
    McuGeometry geometry{};
    TransformFunction transform = transformBlockScalar;
    SimdLevel level = SimdLevel::scalar;
    int32_t levelShift = 0;
    uint32_t lumaBlocks = 1;         // blocks of the first component, first in an MCU's blocks
    uint32_t chromaComponents = 0;   // 0 (grey), 1 (Cb only) or 2, after the luma blocks
    const int32_t* lumaQuant = nullptr;
    const int32_t* chromaQuant[2]{};
};

// Transforms the MCU's blocks in place and writes it at (x, y): grey from the first block, or
// the colour conversion of the luma blocks with Cb and Cr.
void drawMcu(const McuDrawing& drawing, int64_t x, int64_t y, int32_t (*blocks)[64]);

class McuPipeline {
public:
    // The most MCUs of a batch, and the default: a hand-over costs a lock and a wake-up.
    static constexpr uint32_t maxBatchMcus = 64;
    // A pipeline whose helper thread runs, or null where its memory or its thread cannot be had.
    // Batches hold batchMcus MCUs (1 to maxBatchMcus; fewer fill the ring on small pictures).
    static std::unique_ptr<McuPipeline> start(uint32_t blocksPerMcu, uint32_t batchMcus = maxBatchMcus);
    McuPipeline(const McuPipeline&) = delete;
    McuPipeline& operator=(const McuPipeline&) = delete;
    ~McuPipeline();   // draws what is queued, then stops the helper

    void setDrawing(const McuDrawing& drawing);   // only while the ring is empty
    // The blocks of the next MCU; commit hands them to the helper, drawn at (x, y). Blocks that
    // are not committed (a failed MCU) are overwritten by the next MCU.
    [[nodiscard]] int32_t (*nextBlocks())[64] { return blocks(filling) + size_t(fillCount) * blocksPerMcu; }
    void commit(int64_t x, int64_t y);
    // Waits until every committed MCU is in the DIB, drawing waiting batches meanwhile.
    void drain();
    // Batches the calling thread drew itself so far (0 when the helper kept up).
    [[nodiscard]] uint64_t batchesDrawnByCaller() const { return callerBatches; }

private:
    // Four batches of 64 MCUs (384 KiB for 4:2:0): measured as fast as sixteen. The helper maps
    // the DIB pages it writes itself; mapping them ahead on the decoding thread was measured
    // slower (the two threads' page faults get in each other's way).
    static constexpr uint32_t ringBatches = 4;
    McuPipeline(uint32_t blocksPerMcu, uint32_t batchMcus);
    [[nodiscard]] int32_t (*blocks(uint32_t batch))[64] {
        return reinterpret_cast<int32_t(*)[64]>(coefficients.get()) + size_t(batch) * batchMcus * blocksPerMcu;
    }
    void publish();
    void drawOrWait(std::unique_lock<std::mutex>& lock);
    void drawClaimed(std::unique_lock<std::mutex>& lock);
    void helperLoop();

    struct Batch {
        uint32_t count = 0;
        McuDrawing drawing{};
        int64_t x[maxBatchMcus]{};
        int64_t y[maxBatchMcus]{};
    };
    const uint32_t blocksPerMcu;
    const uint32_t batchMcus;
    ZeroedArray<int32_t> coefficients;
    Batch batches[ringBatches];
    McuDrawing drawing{};
    uint32_t filling = 0;     // the batch the calling thread fills
    uint32_t fillCount = 0;   // MCUs committed to it
    // Shared with the helper, under the mutex.
    std::mutex mutex;
    std::condition_variable changed;
    uint64_t published = 0;   // batches handed over
    uint64_t claimed = 0;     // batches taken by a drawing thread, oldest first
    uint64_t drawn = 0;       // leading batches finished; slots before it are free
    bool finished[ringBatches]{};   // batches claimed and finished past drawn
    uint64_t callerBatches = 0;   // calling thread only
    bool stopping = false;
    std::thread helper;
};

}  // namespace vistello
