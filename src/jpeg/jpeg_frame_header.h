#pragma once
// The frame header (SOF, ITU-T T.81 B.2.2) as the probe and the decoder both read it: the one
// parser of its fields and the one set of rules that refuse a header.
#include <cstdint>

#include "common/byte_reader.h"

namespace vistello {

struct FrameComponent {   // one component of the frame header, in stream order
    uint8_t id = 0;         // Ci
    uint8_t h = 0;          // Hi
    uint8_t v = 0;          // Vi
    uint8_t quantTable = 0; // Tqi
};

struct FrameHeader {
    uint16_t length = 0;        // Lf
    uint8_t precision = 0;      // P
    uint16_t height = 0;        // Y (lines)
    uint16_t width = 0;         // X (samples per line)
    uint8_t componentCount = 0; // Nf
    FrameComponent components[255]{};
    uint8_t maxH = 0;           // largest Hi and Vi of the components
    uint8_t maxV = 0;
};

enum class FrameHeaderRead : uint8_t {
    complete,            // every field read, the header accepted
    cutShort,            // the data ended before the component count: nothing is known
    refused,             // the sizes were read and break the rules below: the file is invalid
    componentsCutShort,  // the sizes were read and accepted; the data ended in the component list
};

// Reads the header from the byte after the SOF code. Refused: a precision outside 2..16, a
// width or a component count of 0, or a length that is not that of Nf components. Sampling
// factors are not checked here: the probe and the decoder refuse unusable ones at different
// points (see them).
[[nodiscard]] FrameHeaderRead readFrameHeader(ByteReader& reader, FrameHeader& header);

}  // namespace vistello
