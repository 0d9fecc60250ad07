// Marker segments of the stream: the search for SOI and for markers, the segment readers
// (DQT, DRI, APP0, skipped segments), the frame header and the scan header (ITU-T T.81, B.2).
#include <algorithm>

#include "jpeg/jpeg_cursor_reader.h"
#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_frame_header.h"
#include "jpeg/jpeg_marker_search.h"
#include "jpeg/jpeg_idct.h"
#include "jpeg/jpeg_tables.h"

namespace vistello {

JpegDecoder::JpegDecoder(MessageSeam& messageSeam) : messages(messageSeam) {}

int JpegDecoder::decodeJpeg(const uint8_t* bytes, size_t byteCount, const JpegOutput& target) {
    data = bytes;
    length = bytes == nullptr ? 0 : byteCount;
    cursor = 0;
    output = target;
    if (!findSoi()) return 0;
    restartInterval = 0;
    mcuCounter = 0;
    for (;;) {
        if (!findMarker()) return 0;
        const uint8_t code = data[cursor];
        if (isStartOfFrame(code)) {
            frameMarker = code;
            ++cursor;
            return decodeFrame();
        }
        const int result = handleMarker();
        if (result != 1) return result;
    }
}

bool JpegDecoder::findSoi() { return findStartOfImage(data, length, cursor); }

bool JpegDecoder::findMarker() { return findNextMarker(data, length, cursor); }

int JpegDecoder::handleMarker() {
    const uint8_t code = data[cursor];
    switch (code) {
    case markerDht: ++cursor; return readHuffmanTables() ? 1 : 0;
    case markerDac: messages.showMessage(dacText); return 0;
    case markerDqt: ++cursor; return readQuantTables() ? 1 : 0;
    case markerDri: ++cursor; return readRestartInterval() ? 1 : 0;
    case markerApp0: ++cursor; return readApp0() ? 1 : 0;
    default: break;
    }
    if ((code >= markerApp1 && code <= markerApp15) || code == markerCom) {
        ++cursor;
        skipSegment();
        return 1;
    }
    // SOF, SOS, EOI, SOI, RSTn, DNL and unknown codes: nothing to read, cursor stays on the
    // code and the next search runs through whatever follows.
    return 1;
}

// Kept beside handleMarker: a code it reads is a code with an effect.
bool markerHasEffect(uint8_t code) {
    switch (code) {
    case markerDht:
    case markerDac:
    case markerDqt:
    case markerDri:
    case markerApp0:
    case markerCom:
    case markerSos:
    case markerEoi: return true;
    default: return code >= markerApp1 && code <= markerApp15;
    }
}

void JpegDecoder::skipSegment() {
    CursorReader reader(data, length, cursor);
    const uint64_t start = reader.position();
    uint16_t segmentLength = 0;
    if (!reader.readU16BE(segmentLength)) return;
    // A length below 2 points back into the length field: the search restarts from there,
    // which is still past the marker code, so it always moves on.
    reader.seek(start + segmentLength);
}

bool JpegDecoder::readApp0() {
    CursorReader reader(data, length, cursor);
    const uint64_t start = reader.position();
    uint16_t segmentLength = 0;
    if (!reader.readU16BE(segmentLength)) return false;
    // Compared unsigned on purpose: lengths 0 and 1 wrap around and are let through.
    if (static_cast<uint16_t>(segmentLength - 2) < 14) return false;
    if (!reader.skip(14)) return false;
    reader.seek(start + segmentLength);
    return !reader.beyondEnd();
}

bool JpegDecoder::readRestartInterval() {
    CursorReader reader(data, length, cursor);
    uint16_t segmentLength = 0;
    if (!reader.readU16BE(segmentLength) || segmentLength != 4) return false;
    uint16_t interval = 0;
    if (!reader.readU16BE(interval)) return false;
    restartInterval = interval;
    return true;
}

// The segment's length only says how many tables to read. A last table that runs past the end
// the length gives is read whole, and the marker search goes on after it; a length below 2
// holds no table. The decoder stays lenient there as it always was: such files have always
// displayed, and refusing them or moving to where the length points would change which files
// display and how.
bool JpegDecoder::readQuantTables() {
    CursorReader reader(data, length, cursor);
    uint16_t segmentLength = 0;
    if (!reader.readU16BE(segmentLength)) return false;
    int32_t remaining = int32_t{segmentLength} - 2;
    while (remaining > 0) {
        uint8_t precisionAndId = 0;
        if (!reader.readU8(precisionAndId)) return false;
        const uint8_t elementPrecision = precisionAndId >> 4;
        const uint8_t tableId = precisionAndId & 15;
        if (elementPrecision > 1 || tableId > 3) {
            messages.showMessage(invalidFileText);
            return false;
        }
        // Read the whole table before storing it: a table cut short by the end of the data
        // leaves the previous one in place.
        uint32_t quantisers[64];
        for (uint32_t k = 0; k < 64; ++k) {
            if (elementPrecision == 0) {
                uint8_t value = 0;
                if (!reader.readU8(value)) return false;
                quantisers[zigZagToNatural[k]] = value;
            } else {
                uint16_t value = 0;
                if (!reader.readU16BE(value)) return false;
                quantisers[zigZagToNatural[k]] = value;
            }
        }
        for (int n = 0; n < 64; ++n) quantTables[tableId][n] = foldQuantiser(quantisers[n], idctScale[n]);
        remaining -= elementPrecision == 0 ? 65 : 129;
    }
    return !reader.beyondEnd();
}

int JpegDecoder::decodeFrame() {
    FrameHeader header;
    FrameHeaderRead read = FrameHeaderRead::cutShort;
    {
        CursorReader reader(data, length, cursor);
        read = readFrameHeader(reader, header);
    }
    if (read == FrameHeaderRead::cutShort) return 0;
    // The sizes are the decoder's from here on, even where the header is refused.
    precision = header.precision;
    imageHeight = header.height;
    imageWidth = header.width;
    componentCount = header.componentCount;
    if (read == FrameHeaderRead::refused) {
        messages.showMessage(invalidFileText);
        return 0;
    }
    if (read != FrameHeaderRead::complete) return 0;
    levelShift = (1 << (precision - 1)) << 10;
    frameMaxH = header.maxH;
    frameMaxV = header.maxV;
    std::copy_n(header.components, componentCount, components);
    // Unusable sampling factors are refused before the first scan (frameIsSupported).
    return decodeScans();
}

// The scan header's length is read and not checked against the fields that follow: the fields
// are read by their own counts, and the entropy-coded data starts right after them, wherever
// the length would put it. The decoder stays lenient there on purpose: files whose length is
// off have always decoded, and checking it now would refuse them.
bool JpegDecoder::readScanHeader() {
    CursorReader reader(data, length, cursor);
    uint16_t ignoredLength = 0;
    uint8_t count = 0;
    if (!reader.readU16BE(ignoredLength) || !reader.readU8(count)) return false;
    // Ns of 1..4 (T.81 B.2.3); anything else cannot be decoded and is refused here.
    if (count == 0 || count > 4) return false;
    uint8_t selectors[4] = {};
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t tables = 0;
        if (!reader.readU8(selectors[i]) || !reader.readU8(tables)) return false;
        scanComponents[i].dcTable = tables >> 4;
        scanComponents[i].acTable = tables & 15;
    }
    uint8_t start = 0;
    uint8_t end = 0;
    uint8_t approximation = 0;
    if (!reader.readU8(start) || !reader.readU8(end) || !reader.readU8(approximation)) return false;
    scanComponentCount = count;
    spectralStart = start;
    spectralEnd = end;
    approxHigh = approximation >> 4;
    approxLow = approximation & 15;
    scanMaxH = frameMaxH;
    scanMaxV = frameMaxV;
    if (count == 1 && selectors[0] == components[0].id) {
        // A scan of the first component alone is laid out one block per MCU (T.81 A.2.2).
        ScanComponent& only = scanComponents[0];
        only.index = 1;
        only.h = only.v = only.blocksPerMcu = 1;
        only.quantTable = components[0].quantTable;
        scanMaxH = scanMaxV = 1;
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            uint32_t position = 0;
            while (position < componentCount && components[position].id != selectors[i]) ++position;
            if (position == componentCount) return false;
            ScanComponent& component = scanComponents[i];
            component.index = static_cast<uint8_t>(position + 1);
            component.h = components[position].h;
            component.v = components[position].v;
            component.blocksPerMcu = static_cast<uint8_t>(component.h * component.v);
            component.quantTable = components[position].quantTable;
        }
        for (uint32_t i = 0; i < count; ++i) scanComponents[i].dcPredictor = 0;
    }
    if (scanMaxH == 0 || scanMaxV == 0) {
        // Sampling factors of 0 leave no MCU grid; such a frame is refused before any scan
        // is decoded.
        mcusPerRow = mcuRows = totalMcus = 0;
        return true;
    }
    const uint32_t mcuWidth = 8u * scanMaxH;
    const uint32_t mcuHeight = 8u * scanMaxV;
    mcusPerRow = (imageWidth + mcuWidth - 1) / mcuWidth;
    mcuRows = (imageHeight + mcuHeight - 1) / mcuHeight;
    totalMcus = mcusPerRow * mcuRows;   // at most 8192 x 8192
    return true;
}

// The stores, block slots and MCU layouts hold: at most three components, a first component
// of 1..2 x 1..2 blocks, one block of every other component, quantisation tables 0..3, and the
// components of a multi-component scan in frame order.
bool JpegDecoder::frameIsSupported() const {
    if (componentCount > 3) return false;
    const FrameComponent& first = components[0];
    if (first.h < 1 || first.h > 2 || first.v < 1 || first.v > 2) return false;
    for (uint32_t i = 0; i < componentCount; ++i) {
        if (components[i].quantTable > 3) return false;
        if (i > 0 && (components[i].h != 1 || components[i].v != 1)) return false;
    }
    for (uint32_t i = 1; i < scanComponentCount; ++i) {
        if (scanComponents[i].index <= scanComponents[i - 1].index) return false;
    }
    return true;
}

}  // namespace vistello
