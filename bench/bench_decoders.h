#pragma once
// The decoders bench_decode compares, each decoding one in-memory JPEG file into a fresh
// zero-filled 24-bit BGR buffer, as a new DIB section would be:
// - ours: the probe, then the decoder into a DIB of the padded size;
// - libjpeg-turbo: JDCT_ISLOW, no fancy upsampling, JCS_EXT_BGR, one scanline at a time;
// - FFmpeg (where the bench was built with libavcodec and libswscale): the mjpeg decoder with
//   its default settings, then swscale to BGR24.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jpeg/jpeg_simd.h"

namespace bench {

// Our decoder's settings for every decode of the run; the defaults are the decoder's own (the
// machine's cores, the widest instruction set level the processor has).
struct OurSettings {
    uint32_t threads = 0;
    vistello::SimdLevel simd = vistello::SimdLevel::best;
};
void setOurSettings(const OurSettings& settings);
[[nodiscard]] const OurSettings& ourSettings();
[[nodiscard]] bool simdLevelFromName(const std::string& name, vistello::SimdLevel& level);
[[nodiscard]] const char* simdLevelName(vistello::SimdLevel level);

enum class Decoder { ours, turbo, ffmpeg };

[[nodiscard]] const char* decoderName(Decoder decoder);
[[nodiscard]] bool decoderFromName(const std::string& name, Decoder& decoder);
// The decoders this build has, ours first.
[[nodiscard]] std::vector<Decoder> availableDecoders();

// A JPEG file held with zero padding behind its bytes (FFmpeg's decoder reads a little past
// the end of its input); `size` excludes the padding.
class PaddedJpeg {
public:
    explicit PaddedJpeg(std::vector<uint8_t> bytes);
    [[nodiscard]] const uint8_t* data() const { return bytes.data(); }
    [[nodiscard]] size_t size() const { return length; }

private:
    std::vector<uint8_t> bytes;
    size_t length = 0;
};

// One decode; false when the decoder reported a failure.
[[nodiscard]] bool decode(Decoder decoder, const PaddedJpeg& jpeg);

}  // namespace bench
