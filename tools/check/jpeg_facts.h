#pragma once
// What a JPEG stream's headers say, read the way the standard lays them out (ITU-T T.81, B.2:
// SOFn, DHT, DAC, DQT, DRI, APPn, SOS and the entropy-coded data between them). The picture
// check uses these facts to name the reason the program's own decoder, which it runs, stops
// or shows a picture wrongly; they decide nothing on their own.
#include <cstdint>
#include <span>
#include <vector>

#include "jpeg/jpeg_frame_header.h"

namespace vistello::tools {

struct JpegScanFacts {
    uint8_t componentCount = 0;  // Ns
    uint8_t spectralStart = 0;   // Ss
    uint8_t spectralEnd = 0;     // Se
    uint8_t approxHigh = 0;      // Ah
    uint8_t approxLow = 0;       // Al
    uint32_t restartMarkers = 0;  // RSTn markers inside the scan's entropy-coded data
    bool cutShort = false;        // the data ends inside the scan
};

struct JpegFacts {
    bool startsWithSoi = false;
    bool hasFrame = false;           // the first SOFn, described below
    uint8_t frameMarker = 0;         // its code, 0xC0 to 0xCF
    uint16_t frameLength = 0;        // Lf
    uint8_t precision = 0;           // P
    uint16_t height = 0;             // Y
    uint16_t width = 0;              // X
    uint8_t componentCount = 0;      // Nf as declared
    std::vector<FrameComponent> components;  // as many of them as the segment holds
    bool hasAdobeSegment = false;    // APP14 "Adobe"
    uint8_t adobeTransform = 0;      // 0 RGB or CMYK, 1 YCbCr, 2 YCCK
    bool hasArithmeticTables = false;  // a DAC segment
    uint16_t restartInterval = 0;      // the last DRI before the first scan
    std::vector<JpegScanFacts> scans;  // at most maxScanFacts
    bool hasEndOfImage = false;
    bool cutShort = false;             // the data ends before the end marker, inside a segment or a scan
};

inline constexpr size_t maxScanFacts = 1000;

// Reads as far as the stream makes sense; what it could not read stays at its default.
JpegFacts readJpegFacts(std::span<const uint8_t> jpeg);

}  // namespace vistello::tools
