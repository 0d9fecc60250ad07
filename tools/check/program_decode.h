#pragma once
// The picture decoded exactly as the program decodes it (its dispatch, JPEG decoder and BMP
// reader, on a native DIB seam), judged by what the decode wrote: the picture is decoded twice,
// into sections whose bytes start as 0x00 and as 0xFF, and a byte counts as written when both
// decodes agree on it. Only one section is alive at a time; what the first decode leaves is
// kept as one bit per byte.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "raster/dib.h"
#include "raster/load_picture.h"

namespace vistello::tools {

struct ProgramDecode {
    bool loaded = false;                 // a section holding the picture exists
    ImageKind kind = ImageKind::none;
    bool reachedEnd = false;             // the JPEG decoder got to the end of the stream
    bool wholeWithEndMarker = false;     // a JPEG without its end marker: with one appended the
                                         // decoder reaches the end and writes the very same bytes
    std::vector<std::string> messages;   // the message boxes the program shows, in order
    int32_t width = 0;                   // the picture's own size (the image info)
    int32_t height = 0;
    int32_t bitCount = 0;                // of the section
    RgbQuad colorZero{};                 // what an unwritten byte of an 8-bit or smaller section shows
    uint64_t unwrittenPixels = 0;        // pixels with at least one byte the decode never wrote
    int32_t firstRowWithGap = -1;        // from the top; -1 when every pixel was written
    int32_t lastRowWithGap = -1;
    bool gapIsTheBottom = false;         // every row from firstRowWithGap down is wholly unwritten
    uint64_t blocks = 0;                 // 8 x 8 blocks of the picture (24-bit sections)
    uint64_t midGreyBlocks = 0;          // of them, blocks all of (128, 128, 128): no data reached them
};

// One of the decoder's fixed texts in UTF-8. The core holds them in the execution character set
// it was built with: UTF-8 natively, code page 932 in the Windows build.
std::string decoderText(std::string_view text);

// Decodes for a true-colour screen, the path every picture takes on a display deeper than 8 bits.
ProgramDecode decodeAsTheProgram(std::span<const uint8_t> picture);

}  // namespace vistello::tools
