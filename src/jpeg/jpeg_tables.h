#pragma once
// Constant tables and marker codes shared by the JPEG decoder's parts.
#include <cstdint>

namespace vistello {

// Marker code bytes (ITU-T T.81, Table B.1).
constexpr uint8_t markerFill = 0xFF;
constexpr uint8_t markerSof0 = 0xC0;   // baseline sequential, Huffman
constexpr uint8_t markerSof2 = 0xC2;   // progressive, Huffman
constexpr uint8_t markerDht = 0xC4;
constexpr uint8_t markerDac = 0xCC;
constexpr uint8_t markerRst0 = 0xD0;
constexpr uint8_t markerRst7 = 0xD7;
constexpr uint8_t markerSoi = 0xD8;
constexpr uint8_t markerEoi = 0xD9;
constexpr uint8_t markerSos = 0xDA;
constexpr uint8_t markerDqt = 0xDB;
constexpr uint8_t markerDri = 0xDD;
constexpr uint8_t markerApp0 = 0xE0;
constexpr uint8_t markerApp1 = 0xE1;
constexpr uint8_t markerApp15 = 0xEF;
constexpr uint8_t markerCom = 0xFE;
constexpr uint8_t markerTem = 0x01;

// Start-of-frame codes: C0..CF except DHT (C4) and DAC (CC); C8 counts as one too.
[[nodiscard]] constexpr bool isStartOfFrame(uint8_t code) {
    return code >= 0xC0 && code <= 0xCF && code != markerDht && code != markerDac;
}
[[nodiscard]] constexpr bool isRestartMarker(uint8_t code) { return code >= markerRst0 && code <= markerRst7; }

// Fixed-point scale of samples, transform constants and colour constants.
constexpr int32_t fixedScale = 1024;
constexpr int32_t sampleMaxScaled = 255 * fixedScale;

// Zig-zag position -> natural (row-major) index. 64 extra entries of 63: a run that carries
// the position past 63 (at most 63 + 15 + 16) lands on the last coefficient instead of
// leaving the block.
extern const uint8_t zigZagToNatural[128];

// Per-coefficient scale factors of the scaled transform, natural order. Typed in rather
// than computed: the result must not depend on the floating-point environment.
extern const int32_t idctScale[64];

// The decoder's message texts.
extern const char invalidFileText[];      // corrupt header
extern const char unsupportedFrameText[]; // frame type or layout we do not decode
extern const char dacText[];              // arithmetic-coding conditioning segment
extern const char progressiveTitleText[]; // main window caption during a progressive decode

}  // namespace vistello
