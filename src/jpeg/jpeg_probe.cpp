#include "jpeg/jpeg_probe.h"

#include "common/byte_reader.h"
#include "jpeg/jpeg_frame_header.h"
#include "jpeg/jpeg_marker_search.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

// Markers that stand alone, without a length (T.81 B.1.1.3): SOI, EOI, RSTn and TEM.
bool isStandaloneMarker(uint8_t code) {
    return code == markerSoi || code == markerEoi || isRestartMarker(code) || code == markerTem;
}

uint32_t paddedSize(uint32_t size, uint32_t maxFactor) {
    const uint32_t unit = 8 * maxFactor;
    return unit * ((size + unit - 1) / unit);
}

// Frame header after the SOF code at `position`. true with the result filled in, false with
// `showInvalid` set where the header is refused with a message.
bool probeFrameHeader(const uint8_t* data, size_t length, size_t position, FrameProbeResult& result, bool& showInvalid) {
    ByteReader reader(data, length, position);
    FrameHeader header;
    const FrameHeaderRead read = readFrameHeader(reader, header);
    if (read == FrameHeaderRead::refused) showInvalid = true;
    if (read != FrameHeaderRead::complete) return false;
    // Sampling factors of 0 everywhere give no MCU size to pad to. (The decoder, which runs only
    // after the probe, refuses such a frame before its first scan, without a message of its own.)
    if (header.maxH == 0 || header.maxV == 0) {
        showInvalid = true;
        return false;
    }
    result.paddedWidth = static_cast<int32_t>(paddedSize(header.width, header.maxH));
    result.paddedHeight = static_cast<int32_t>(paddedSize(header.height, header.maxV));
    result.componentCount = header.componentCount;
    result.imageWidth = header.width;
    result.imageHeight = header.height;
    return true;
}

}  // namespace

bool probeJpeg(const uint8_t* data, size_t length, MessageSeam& messages, FrameProbeResult& result) {
    if (data == nullptr) length = 0;
    size_t cursor = 0;
    if (!findStartOfImage(data, length, cursor)) return false;
    for (;;) {
        if (!findNextMarker(data, length, cursor)) return false;
        const uint8_t code = data[cursor];
        if (isStartOfFrame(code)) {
            bool showInvalid = false;
            if (probeFrameHeader(data, length, cursor + 1, result, showInvalid)) return true;
            if (showInvalid) messages.showMessage(invalidFileText);
            return false;
        }
        if (isStandaloneMarker(code)) {
            ++cursor;
            continue;
        }
        ByteReader reader(data, length, cursor + 1);
        uint16_t segmentLength = 0;
        if (!reader.readU16BE(segmentLength)) return false;
        // cursor goes to the segment's last byte, L bytes after the code.
        if (segmentLength > length - cursor) return false;
        cursor += segmentLength;
    }
}

}  // namespace vistello
