#include "jpeg/jpeg_probe.h"

#include "jpeg/jpeg_marker_search.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

// Markers that stand alone, without a length (T.81 B.1.1.3): SOI, EOI, RSTn and TEM.
bool isStandaloneMarker(uint8_t code) {
    return code == markerSoi || code == markerEoi || isRestartMarker(code) || code == markerTem;
}

class ProbeReader {
public:
    ProbeReader(const uint8_t* bytes, size_t byteCount, size_t position) : data(bytes), length(byteCount), cursor(position) {}
    [[nodiscard]] bool readU8(uint32_t& value) {
        if (cursor >= length) return false;
        value = data[cursor++];
        return true;
    }
    [[nodiscard]] bool readU16(uint32_t& value) {
        if (cursor >= length || length - cursor < 2) return false;
        value = uint32_t{data[cursor]} << 8 | data[cursor + 1];
        cursor += 2;
        return true;
    }

private:
    const uint8_t* data;
    size_t length;
    size_t cursor;
};

uint32_t paddedSize(uint32_t size, uint32_t maxFactor) {
    const uint32_t unit = 8 * maxFactor;
    return unit * ((size + unit - 1) / unit);
}

// Frame header after the SOF code at `position`. true with the result filled in, false with
// `showInvalid` set where the header is refused with a message.
bool readFrameHeader(const uint8_t* data, size_t length, size_t position, FrameProbeResult& result, bool& showInvalid) {
    ProbeReader reader(data, length, position);
    uint32_t headerLength = 0;
    uint32_t precision = 0;
    uint32_t height = 0;
    uint32_t width = 0;
    uint32_t count = 0;
    if (!reader.readU16(headerLength) || !reader.readU8(precision) || !reader.readU16(height) ||
        !reader.readU16(width) || !reader.readU8(count)) {
        return false;
    }
    if (precision <= 1 || precision > 16 || width == 0 || count == 0 || headerLength != 3 * count + 8) {
        showInvalid = true;
        return false;
    }
    uint32_t maxH = 0;
    uint32_t maxV = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t id = 0;
        uint32_t sampling = 0;
        uint32_t table = 0;
        if (!reader.readU8(id) || !reader.readU8(sampling) || !reader.readU8(table)) return false;
        if ((sampling >> 4) > maxH) maxH = sampling >> 4;
        if ((sampling & 15) > maxV) maxV = sampling & 15;
    }
    // Sampling factors of 0 everywhere give no MCU size to pad to.
    if (maxH == 0 || maxV == 0) {
        showInvalid = true;
        return false;
    }
    result.paddedWidth = static_cast<int32_t>(paddedSize(width, maxH));
    result.paddedHeight = static_cast<int32_t>(paddedSize(height, maxV));
    result.componentCount = static_cast<uint8_t>(count);
    result.imageWidth = width;
    result.imageHeight = height;
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
            if (readFrameHeader(data, length, cursor + 1, result, showInvalid)) return true;
            if (showInvalid) messages.showMessage(invalidFileText);
            return false;
        }
        if (isStandaloneMarker(code)) {
            ++cursor;
            continue;
        }
        ProbeReader reader(data, length, cursor + 1);
        uint32_t segmentLength = 0;
        if (!reader.readU16(segmentLength)) return false;
        // cursor goes to the segment's last byte, L bytes after the code.
        if (segmentLength > length - cursor) return false;
        cursor += segmentLength;
    }
}

}  // namespace vistello
