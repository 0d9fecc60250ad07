#include "jpeg/jpeg_mcu_pipeline.h"

#include <algorithm>
#include <exception>

namespace vistello {

void drawMcu(const McuDrawing& drawing, int64_t x, int64_t y, int32_t (*blocks)[64]) {
    for (uint32_t b = 0; b < drawing.lumaBlocks; ++b) drawing.transform(blocks[b], drawing.lumaQuant, drawing.levelShift);
    if (drawing.chromaComponents == 0) {
        writeGreyBlock(drawing.output, x, y, blocks[0]);
        return;
    }
    int32_t* chroma = blocks[drawing.lumaBlocks];
    for (uint32_t i = 0; i < drawing.chromaComponents; ++i) drawing.transform(chroma + 64 * i, drawing.chromaQuant[i], 0);
    convertInterleavedMcu(drawing.output, x, y, drawing.geometry, blocks, chroma,
                          drawing.chromaComponents == 2 ? chroma + 64 : nullptr, drawing.level);
}

McuPipeline::McuPipeline(uint32_t blocks, uint32_t mcus)
    : blocksPerMcu(blocks), batchMcus(std::clamp(mcus, 1u, maxBatchMcus)) {}

std::unique_ptr<McuPipeline> McuPipeline::start(uint32_t blocksPerMcu, uint32_t batchMcus) {
    std::unique_ptr<McuPipeline> pipeline;
    try {
        pipeline.reset(new McuPipeline(blocksPerMcu, batchMcus));
        const uint64_t values = uint64_t{ringBatches} * pipeline->batchMcus * blocksPerMcu * 64;
        pipeline->coefficients = tryAllocateZeroed<int32_t>(values, values);
        if (!pipeline->coefficients) return nullptr;
        pipeline->helper = std::thread([raw = pipeline.get()] { raw->helperLoop(); });
    } catch (const std::exception&) {
        // No memory for the pipeline or no thread (system_error, or bad_alloc for the thread's
        // state): the scan is drawn on the calling thread.
        return nullptr;
    }
    return pipeline;
}

McuPipeline::~McuPipeline() {
    drain();
    {
        const std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (helper.joinable()) helper.join();
}

void McuPipeline::setDrawing(const McuDrawing& next) { drawing = next; }

void McuPipeline::commit(int64_t x, int64_t y) {
    Batch& batch = batches[filling];
    batch.x[fillCount] = x;
    batch.y[fillCount] = y;
    if (++fillCount == batchMcus) publish();
}

// Hands the batch being filled over and waits for the next one to be free. While the ring is
// full this thread draws the oldest batch nobody has taken instead of waiting: the helper alone
// is slower than the entropy decoding, so both threads draw.
void McuPipeline::publish() {
    Batch& batch = batches[filling];
    batch.count = fillCount;
    batch.drawing = drawing;
    std::unique_lock<std::mutex> lock(mutex);
    ++published;
    changed.notify_all();
    while (published - drawn >= ringBatches) drawOrWait(lock);
    filling = static_cast<uint32_t>(published % ringBatches);
    fillCount = 0;
}

void McuPipeline::drain() {
    if (fillCount > 0) publish();
    std::unique_lock<std::mutex> lock(mutex);
    while (drawn < published) drawOrWait(lock);
}

void McuPipeline::drawOrWait(std::unique_lock<std::mutex>& lock) {
    if (claimed == published) {
        changed.wait(lock);
        return;
    }
    drawClaimed(lock);
    ++callerBatches;
}

// Takes the oldest batch nobody has taken and draws it with the mutex released. Batches are
// finished out of order by the two threads (they write disjoint parts of the DIB); drawn counts
// the leading run of finished batches, so a slot is reused only once every batch before it is done.
void McuPipeline::drawClaimed(std::unique_lock<std::mutex>& lock) {
    const uint64_t number = claimed++;
    const uint32_t index = static_cast<uint32_t>(number % ringBatches);
    lock.unlock();
    const Batch& batch = batches[index];
    int32_t (*mcu)[64] = blocks(index);
    for (uint32_t i = 0; i < batch.count; ++i, mcu += blocksPerMcu) drawMcu(batch.drawing, batch.x[i], batch.y[i], mcu);
    lock.lock();
    finished[index] = true;
    while (drawn < claimed && finished[drawn % ringBatches]) finished[drawn++ % ringBatches] = false;
    changed.notify_all();
}

void McuPipeline::helperLoop() {
    std::unique_lock<std::mutex> lock(mutex);
    for (;;) {
        changed.wait(lock, [this] { return claimed < published || stopping; });
        if (claimed == published) return;   // stopping, nothing left
        drawClaimed(lock);
    }
}

}  // namespace vistello
