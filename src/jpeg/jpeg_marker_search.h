#pragma once
// The two byte searches that both the probe and the decoder run over a JPEG stream.
// Positions are indices into the data; a position beyond length means "passed the end".
#include <cstddef>
#include <cstdint>

namespace vistello {

// Start of image: the position after FF D8 (the test is loose: an FF first byte or a D8
// second byte will do), else the position two bytes after the first FF. false if there is none.
[[nodiscard]] bool findStartOfImage(const uint8_t* data, size_t length, size_t& cursor);

// Moves cursor to the next marker code: an FF, any FF fill bytes, and a code other than 00
// (FF 00 is a stuffed data byte, T.81 B.1.1.5). false (cursor beyond length) when the data
// ends first.
[[nodiscard]] bool findNextMarker(const uint8_t* data, size_t length, size_t& cursor);

}  // namespace vistello
