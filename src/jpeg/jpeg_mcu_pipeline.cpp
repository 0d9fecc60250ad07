#include "jpeg/jpeg_mcu_pipeline.h"

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

McuPipeline::McuPipeline(uint32_t blocks) : blocksPerMcu(blocks) {}

std::unique_ptr<McuPipeline> McuPipeline::start(uint32_t blocksPerMcu) {
    std::unique_ptr<McuPipeline> pipeline;
    try {
        pipeline.reset(new McuPipeline(blocksPerMcu));
        const uint64_t values = uint64_t{ringBatches} * batchMcus * blocksPerMcu * 64;
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

// Hands the batch being filled to the helper and waits for the next one to be free.
void McuPipeline::publish() {
    Batch& batch = batches[filling];
    batch.count = fillCount;
    batch.drawing = drawing;
    std::unique_lock<std::mutex> lock(mutex);
    ++published;
    changed.notify_all();
    changed.wait(lock, [this] { return published - drawn < ringBatches; });
    filling = static_cast<uint32_t>(published % ringBatches);
    fillCount = 0;
}

void McuPipeline::drain() {
    if (fillCount > 0) publish();
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return drawn == published; });
}

void McuPipeline::helperLoop() {
    for (;;) {
        uint32_t index = 0;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return drawn < published || stopping; });
            if (drawn == published) return;   // stopping, nothing left
            index = static_cast<uint32_t>(drawn % ringBatches);
        }
        const Batch& batch = batches[index];
        int32_t (*mcu)[64] = blocks(index);
        for (uint32_t i = 0; i < batch.count; ++i, mcu += blocksPerMcu) drawMcu(batch.drawing, batch.x[i], batch.y[i], mcu);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            ++drawn;
        }
        changed.notify_all();
    }
}

}  // namespace vistello
