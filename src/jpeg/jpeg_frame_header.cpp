#include "jpeg/jpeg_frame_header.h"

namespace vistello {

FrameHeaderRead readFrameHeader(ByteReader& reader, FrameHeader& header) {
    if (!reader.readU16BE(header.length) || !reader.readU8(header.precision) || !reader.readU16BE(header.height) ||
        !reader.readU16BE(header.width) || !reader.readU8(header.componentCount)) {
        return FrameHeaderRead::cutShort;
    }
    const uint32_t count = header.componentCount;
    if (header.precision < 2 || header.precision > 16 || header.width == 0 || count == 0 || header.length != 3 * count + 8) {
        return FrameHeaderRead::refused;
    }
    header.maxH = 0;
    header.maxV = 0;
    for (uint32_t i = 0; i < count; ++i) {
        uint8_t id = 0;
        uint8_t sampling = 0;
        uint8_t table = 0;
        if (!reader.readU8(id) || !reader.readU8(sampling) || !reader.readU8(table)) return FrameHeaderRead::componentsCutShort;
        FrameComponent& component = header.components[i];
        component = FrameComponent{id, static_cast<uint8_t>(sampling >> 4), static_cast<uint8_t>(sampling & 15), table};
        if (component.h > header.maxH) header.maxH = component.h;
        if (component.v > header.maxV) header.maxV = component.v;
    }
    return FrameHeaderRead::complete;
}

}  // namespace vistello
