#include "check/picture_check.h"

#include <algorithm>
#include <cstdio>

#include "check/bmp_facts.h"
#include "check/jpeg_facts.h"
#include "check/program_decode.h"
#include "encode/exif_orientation.h"
#include "jpeg/jpeg_tables.h"
#include "raster/dib.h"
#include "raster/dib_layout.h"

namespace vistello::tools {
namespace {

// The program's own message texts, as its decoder shows them.
const std::string invalidText = decoderText(invalidFileText);
const std::string unsupportedText = decoderText(unsupportedFrameText);
const std::string arithmeticText = decoderText(dacText);

constexpr uint8_t sofBaseline = markerSof0;
constexpr uint8_t sofExtended = 0xC1;
constexpr uint8_t sofProgressive = markerSof2;
constexpr uint8_t sofLossless = 0xC3;
constexpr uint8_t sofArithmeticFirst = 0xC9;
constexpr uint8_t adobeRgbOrCmyk = 0;
constexpr uint8_t adobeYcck = 2;
constexpr int32_t eightBits = 8;

const char* const noWindow = "nothing: the program ends before its window opens";

bool showed(const ProgramDecode& decode, const std::string& text) {
    return std::find(decode.messages.begin(), decode.messages.end(), text) != decode.messages.end();
}

std::string percentOf(uint64_t part, uint64_t whole) {
    if (whole == 0 || part == 0) return "0 %";
    const uint64_t percent = part * 100 / whole;
    if (percent == 0) return "less than 1 %";
    return std::to_string(percent) + " %";
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

std::string size(int32_t width, int32_t height) { return std::to_string(width) + " x " + std::to_string(height); }

// ---- JPEG ----------------------------------------------------------------------------------

std::string frameProcess(uint8_t marker) {
    switch (marker) {
    case sofBaseline: return "baseline";
    case sofExtended: return "extended sequential (SOF1)";
    case sofProgressive: return "progressive";
    case sofLossless: return "lossless (SOF3)";
    case 0xC5: case 0xC6: case 0xC7: return "hierarchical (SOF" + std::to_string(marker - 0xC0) + ")";
    default: return "arithmetic-coded (SOF" + std::to_string(marker - 0xC0) + ")";
    }
}

std::string samplingName(const JpegFacts& facts) {
    if (facts.components.empty()) return "no components";
    if (facts.components.size() == 1) return "greyscale";
    const auto& c = facts.components;
    const bool plainChroma = std::all_of(c.begin() + 1, c.end(), [](const FrameComponent& f) { return f.h == 1 && f.v == 1; });
    if (c.size() == 3 && plainChroma) {
        const struct { uint8_t h, v; const char* name; } known[] = {
            {1, 1, "4:4:4"}, {2, 1, "4:2:2"}, {2, 2, "4:2:0"}, {1, 2, "4:4:0"}, {4, 1, "4:1:1"}, {4, 2, "4:1:0"}};
        for (const auto& k : known) {
            if (c[0].h == k.h && c[0].v == k.v) return k.name;
        }
    }
    std::string layout;
    for (size_t i = 0; i < c.size(); ++i) {
        layout += (i ? ", " : "") + std::to_string(c[i].h) + "x" + std::to_string(c[i].v);
    }
    return std::to_string(c.size()) + " components sampled " + layout;
}

std::string jpegForm(const JpegFacts& facts) {
    if (!facts.hasFrame) return "no frame header";
    std::string form = frameProcess(facts.frameMarker) + ", " + samplingName(facts);
    if (facts.precision != eightBits) form += ", " + std::to_string(facts.precision) + "-bit samples";
    if (facts.restartInterval != 0) form += ", restart interval " + std::to_string(facts.restartInterval);
    return form;
}

std::string invalidFrameReason(const JpegFacts& facts) {
    if (facts.precision <= 1 || facts.precision > 16)
        return "its frame header gives a sample precision of " + std::to_string(facts.precision) + " bits";
    if (facts.width == 0) return "its frame header gives a width of 0";
    if (facts.componentCount == 0) return "its frame header has no components";
    if (facts.frameLength != 8 + 3 * facts.componentCount) return "its frame header's length does not match its components";
    return "a damaged frame, table or scan header";
}

std::string unsupportedReason(const JpegFacts& facts) {
    if (facts.frameMarker != sofBaseline && facts.frameMarker != sofProgressive) {
        if (facts.frameMarker == sofExtended)
            return "an extended sequential frame (SOF1, what cjpeg writes below quality 25 without -baseline); the "
                   "decoder takes baseline and progressive Huffman frames only";
        if (facts.frameMarker >= sofArithmeticFirst)
            return "arithmetic coding (" + frameProcess(facts.frameMarker) + "); the decoder takes Huffman coding only";
        return "a " + frameProcess(facts.frameMarker) + " frame; the decoder takes baseline and progressive frames only";
    }
    if (facts.componentCount > 3) {
        if (facts.componentCount == 4)
            return std::string(facts.hasAdobeSegment && facts.adobeTransform == adobeYcck ? "a YCCK" : "a CMYK") +
                   " picture (4 components); the decoder takes grey and YCbCr pictures of at most 3 components";
        return std::to_string(facts.componentCount) + " components; the decoder takes at most 3";
    }
    const auto& c = facts.components;
    if (!c.empty() && (c[0].h < 1 || c[0].h > 2 || c[0].v < 1 || c[0].v > 2))
        return "its sampling (" + samplingName(facts) + ", luma " + std::to_string(c[0].h) + " x " +
               std::to_string(c[0].v) + "); the decoder takes luma sampled 1 or 2 blocks each way";
    for (size_t i = 1; i < c.size(); ++i) {
        if (c[i].h != 1 || c[i].v != 1)
            return "its chroma sampled " + std::to_string(c[i].h) + " x " + std::to_string(c[i].v) +
                   " blocks; the decoder takes chroma only as one block per MCU (4:4:4, 4:2:2, 4:2:0 or 4:4:0)";
    }
    for (const auto& component : c) {
        if (component.quantTable > 3) return "a component using quantisation table " + std::to_string(component.quantTable);
    }
    return "a scan whose components are not in frame order";
}

const JpegScanFacts* firstScanWith(const JpegFacts& facts, bool (*test)(const JpegScanFacts&), size_t& index) {
    for (index = 0; index < facts.scans.size(); ++index) {
        if (test(facts.scans[index])) return &facts.scans[index];
    }
    return nullptr;
}

// Why a decode that the program does not refuse stops before the end of the picture.
std::string earlyStopReason(const JpegFacts& facts) {
    size_t index = 0;
    const bool progressive = facts.frameMarker == sofProgressive;
    if (progressive && firstScanWith(facts, [](const JpegScanFacts& s) { return s.restartMarkers > 0; }, index)) {
        return "a restart marker inside progressive scan " + std::to_string(index + 1) +
               ", where the decoder stops (it reads restart intervals only in baseline pictures)";
    }
    if (facts.cutShort) {
        const size_t scans = facts.scans.size();
        if (scans != 0 && facts.scans.back().cutShort)
            return "the file is cut short: it ends inside the data of scan " + std::to_string(scans);
        return "the file is cut short: it ends after " + std::to_string(scans) + (scans == 1 ? " scan" : " scans") +
               ", inside a marker segment";
    }
    return "damaged image data, where the decoder stops";
}

std::string unwrittenArea(const ProgramDecode& decode, const std::string& colour) {
    const uint64_t pixels = uint64_t(decode.width) * uint64_t(decode.height);
    if (decode.unwrittenPixels == pixels) return "a picture that is all " + colour;
    if (decode.gapIsTheBottom)
        return "its top " + std::to_string(decode.firstRowWithGap) + " rows, the " +
               std::to_string(decode.height - decode.firstRowWithGap) + " rows below them " + colour;
    return "the picture with " + percentOf(decode.unwrittenPixels, pixels) + " of it " + colour + ", in rows " +
           std::to_string(decode.firstRowWithGap + 1) + " to " + std::to_string(decode.lastRowWithGap + 1) + " of " +
           std::to_string(decode.height);
}

std::string progressiveArea(const ProgramDecode& decode) {
    std::string shows = "the picture as far as its scans arrived, without the detail of the rest";
    if (decode.midGreyBlocks != 0)
        shows += ", and " + percentOf(decode.midGreyBlocks, decode.blocks) + " of it mid-grey, where no data arrived";
    return shows;
}

bool codedInRgb(const JpegFacts& facts) {
    if (facts.components.size() != 3) return false;
    if (facts.hasAdobeSegment) return facts.adobeTransform == adobeRgbOrCmyk;
    const auto& c = facts.components;
    return c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B';
}

std::string orientationWarning(int32_t orientation) {
    static const char* const viewersShow[] = {
        "", "", "mirrored left to right", "turned 180 degrees", "mirrored top to bottom", "mirrored along its diagonal",
        "turned 90 degrees clockwise", "mirrored along its other diagonal", "turned 90 degrees anticlockwise",
    };
    return "its Exif orientation is " + std::to_string(orientation) + ": viewers show it " + viewersShow[orientation] +
           ", the program shows the pixels as stored (unturned); pack it with --upright (or --fit, which turns it "
           "too) to turn the pixels themselves";
}

void warnAboutColours(PictureReport& report, std::string warning) {
    report.colourWarnings.push_back(warning);
    report.warnings.push_back(std::move(warning));
}

void refuse(PictureReport& report, std::string reason, std::string shows) {
    report.refusal = std::move(reason);
    report.shows = std::move(shows);
}

void judgeUnloadedJpeg(const JpegFacts& facts, const ProgramDecode& decode, PictureReport& report) {
    if (showed(decode, invalidText)) {
        refuse(report, invalidFrameReason(facts), "the message " + quoted(invalidText) + ", then " + noWindow);
    } else if (!facts.hasFrame) {
        refuse(report, "it has no frame header (SOFn) before its data ends", noWindow);
    } else if (facts.height == 0) {
        refuse(report, "its frame height is 0 (left to a later DNL marker), which the program makes no picture of", noWindow);
    } else if (uint64_t(facts.width) * facts.height * 3 > maxPictureBytes) {
        refuse(report, "at " + size(facts.width, facts.height) + " its picture needs more than the 1 GiB the program "
               "makes a picture of", noWindow);
    } else {
        refuse(report, "the decoder makes no picture of it", noWindow);
    }
}

void judgeLoadedJpeg(std::span<const uint8_t> picture, const JpegFacts& facts, const ProgramDecode& decode,
                     const WindowSettings& settings, PictureReport& report) {
    const bool whole = decode.reachedEnd || decode.wholeWithEndMarker;
    const std::string black = "black";
    if (showed(decode, arithmeticText)) {
        refuse(report, "arithmetic coding (a DAC segment); the decoder takes Huffman coding only",
               "the message " + quoted(arithmeticText) + ", then " + unwrittenArea(decode, black));
    } else if (showed(decode, unsupportedText)) {
        refuse(report, unsupportedReason(facts), "the message " + quoted(unsupportedText) + ", then " + unwrittenArea(decode, black));
    } else if (showed(decode, invalidText)) {
        refuse(report, "a damaged table segment (DHT or DQT)", "the message " + quoted(invalidText) + ", then " +
               (facts.frameMarker == sofProgressive ? progressiveArea(decode) : unwrittenArea(decode, black)));
    } else if (!whole) {
        refuse(report, earlyStopReason(facts),
               facts.frameMarker == sofProgressive ? progressiveArea(decode) : unwrittenArea(decode, black));
    } else if (decode.unwrittenPixels != 0) {
        refuse(report, facts.componentCount == 2 ? "two components, of which the decoder writes only blue"
                                                 : "the decoder leaves part of the picture unwritten",
               unwrittenArea(decode, black));
    } else if (facts.precision != eightBits) {
        refuse(report, "a sample precision of " + std::to_string(facts.precision) +
                           " bits; the decoder's arithmetic is for 8-bit samples",
               facts.precision > eightBits ? "the picture far too light, mostly white" : "the picture far too dark");
    } else {
        report.shownWhole = true;
        if (codedInRgb(facts))
            warnAboutColours(report, "it is coded in RGB, which the program reads as YCbCr, so its colours come out "
                                     "wrong; save it as an ordinary (YCbCr) JPEG");
        if (const int32_t orientation = readExifOrientation(picture); orientation != 1)
            report.warnings.push_back(orientationWarning(orientation));
        if (auto fit = windowFitWarning(report.width, report.height, settings); !fit.empty())
            report.warnings.push_back(fit);
    }
}

// ---- BMP -----------------------------------------------------------------------------------

std::string compressionName(uint32_t compression) {
    switch (compression) {
    case biRgb: return "uncompressed";
    case biRle8: return "RLE8";
    case biRle4: return "RLE4";
    case biBitfields: return "bit fields";
    case 4: return "JPEG inside (compression 4)";
    case 5: return "PNG inside (compression 5)";
    default: return "compression " + std::to_string(compression);
    }
}

std::string headerName(uint32_t size) {
    switch (size) {
    case 12: return "the 12-byte core header";
    case 40: return "the 40-byte info header";
    case 52: return "a 52-byte header";
    case 56: return "a 56-byte header";
    case 64: return "a 64-byte header (OS/2 2.x)";
    case 108: return "a 108-byte header (version 4)";
    case 124: return "a 124-byte header (version 5, as most programs write BMP files today)";
    default: return "a " + std::to_string(size) + "-byte header";
    }
}

std::string masksName(const BmpFacts& facts) {
    const auto bits = [](uint32_t mask) {
        int count = 0;
        for (; mask; mask &= mask - 1) ++count;
        return std::to_string(count);
    };
    return bits(facts.redMask) + "-" + bits(facts.greenMask) + "-" + bits(facts.blueMask);
}

std::string bmpForm(const BmpFacts& facts) {
    std::string form = std::to_string(facts.bitCount) + " bits per pixel, " + compressionName(facts.compression);
    if (facts.hasMasks) form += " " + masksName(facts);
    if (facts.height < 0) form += ", top-down";
    if (facts.headerSize != 40) form += ", " + headerName(facts.headerSize);
    return form;
}

std::string bmpRefusal(const BmpFacts& facts) {
    if (facts.headerSize != 40 && facts.headerSize != 12)
        return "a BMP with " + headerName(facts.headerSize) +
               "; the program's reader takes only the 40-byte and the 12-byte header (save it as a BMP with the "
               "40-byte header, for example with ImageMagick: convert IN BMP3:OUT)";
    if (facts.height < 0) return "a top-down BMP (negative height); the program's reader takes bottom-up rows only";
    if (facts.width <= 0 || facts.height == 0) return "a width or height of 0 or less";
    if (facts.compression > biBitfields)
        return "a BMP with " + compressionName(facts.compression) + ", which the program's reader does not take";
    if (facts.compression == biRgb || facts.compression == biBitfields) {
        const uint64_t stride = (uint64_t(facts.width) * facts.bitCount + 31) / 32 * 4;
        const uint64_t needed = stride * uint64_t(facts.height);
        if (facts.dataOffset > facts.fileSize || facts.fileSize - facts.dataOffset < needed)
            return "the file is cut short: its pixel rows need " + std::to_string(needed) + " bytes, " +
                   std::to_string(facts.fileSize - std::min<uint64_t>(facts.dataOffset, facts.fileSize)) + " follow its headers";
    }
    return "the program's BMP reader refuses it (" + bmpForm(facts) + ")";
}

void judgeBmp(std::span<const uint8_t> picture, const ProgramDecode& decode, const WindowSettings& settings,
              PictureReport& report) {
    BmpFacts facts;
    if (!readBmpFacts(picture, facts)) {
        report.form = "cut short inside its headers";
        refuse(report, "the file is cut short inside its headers", noWindow);
        return;
    }
    report.form = bmpForm(facts);
    report.width = facts.width;
    // A top-down BMP stores its height negated; -2147483648 has no positive int32 twin, so the
    // magnitude is taken in 64 bits and held to the largest height a report can carry.
    report.height = int32_t(std::min<int64_t>(facts.height < 0 ? -int64_t(facts.height) : facts.height, INT32_MAX));
    if (!decode.loaded) {
        refuse(report, bmpRefusal(facts), noWindow);
        return;
    }
    if (decode.unwrittenPixels != 0) {
        char colour[40];
        std::snprintf(colour, sizeof colour, "in palette colour 0 (#%02X%02X%02X)", decode.colorZero.rgbRed,
                      decode.colorZero.rgbGreen, decode.colorZero.rgbBlue);
        const bool palettised = decode.bitCount <= 8;
        refuse(report, "its run-length data leaves pixels unwritten (it ends early or skips them)",
               unwrittenArea(decode, palettised ? colour : "black"));
        return;
    }
    report.shownWhole = true;
    if (facts.hasMasks) {
        const bool plain16 = facts.bitCount == 16 && facts.redMask == 0x7C00 && facts.greenMask == 0x03E0 && facts.blueMask == 0x1F;
        const bool plain32 = facts.bitCount == 32 && facts.redMask == 0xFF0000 && facts.greenMask == 0xFF00 && facts.blueMask == 0xFF;
        if (!plain16 && !plain32)
            warnAboutColours(report, "its pixels are " + masksName(facts) + " bit fields, which the program reads as " +
                                         (facts.bitCount == 16 ? "5-5-5" : "8-8-8") +
                                         " without looking at the masks, so its colours come out wrong; save it as a "
                                         "24-bit BMP");
    }
    if (auto fit = windowFitWarning(report.width, report.height, settings); !fit.empty()) report.warnings.push_back(fit);
}

}  // namespace

PictureReport checkPicture(std::span<const uint8_t> picture, const WindowSettings& settings) {
    PictureReport report;
    const ProgramDecode decode = decodeAsTheProgram(picture);
    report.messages = decode.messages;
    switch (decode.kind) {
    case ImageKind::none:
        report.kind = "unknown";
        refuse(report, "not a JPEG or BMP file: it starts neither with FF D8 nor with \"BM\"", noWindow);
        break;
    case ImageKind::bmp:
        report.kind = "BMP";
        judgeBmp(picture, decode, settings, report);
        break;
    case ImageKind::jpeg: {
        report.kind = "JPEG";
        const JpegFacts facts = readJpegFacts(picture);
        report.form = jpegForm(facts);
        report.width = decode.loaded ? decode.width : facts.width;
        report.height = decode.loaded ? decode.height : facts.height;
        if (decode.loaded) judgeLoadedJpeg(picture, facts, decode, settings, report);
        else judgeUnloadedJpeg(facts, decode, report);
        break;
    }
    }
    return report;
}

}  // namespace vistello::tools
