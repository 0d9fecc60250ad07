#include "bench_decoders.h"

#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include <cstdlib>
#include <cstring>

#if VISTELLO_BENCH_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}
#endif

#include "jpeg/jpeg_decoder.h"
#include "jpeg/jpeg_probe.h"

namespace bench {
namespace {

OurSettings settingsOfTheRun;

class SilentSeam : public vistello::MessageSeam {
public:
    void showMessage(const std::string&) override {}
    void setMainWindowTitle(const std::string&) override {}
};

// A zero-filled buffer, freed on every path out.
class ZeroedBuffer {
public:
    explicit ZeroedBuffer(size_t size) : bytes(static_cast<uint8_t*>(std::calloc(size, 1))) {}
    ZeroedBuffer(const ZeroedBuffer&) = delete;
    ZeroedBuffer& operator=(const ZeroedBuffer&) = delete;
    ~ZeroedBuffer() { std::free(bytes); }
    [[nodiscard]] uint8_t* get() const { return bytes; }

private:
    uint8_t* bytes;
};

bool decodeOurs(const PaddedJpeg& jpeg) {
    SilentSeam seam;
    vistello::FrameProbeResult probe;
    if (!vistello::probeJpeg(jpeg.data(), jpeg.size(), seam, probe)) return false;
    const int32_t stride = probe.paddedWidth * 3;
    const ZeroedBuffer dib(size_t(stride) * size_t(probe.paddedHeight));
    if (dib.get() == nullptr) return false;
    vistello::JpegDecoder decoder(seam);
    decoder.threads = settingsOfTheRun.threads;
    decoder.simd = settingsOfTheRun.simd;
    const vistello::JpegOutput output{dib.get() + size_t(probe.paddedHeight - 1) * size_t(stride), stride, probe.paddedWidth,
                                      probe.paddedHeight};
    return decoder.decodeJpeg(jpeg.data(), jpeg.size(), output) == 1;
}

// libjpeg-turbo's default error handler ends the program: the bench's files are all valid.
bool decodeTurbo(const PaddedJpeg& jpeg) {
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = JCS_EXT_BGR;
    jpeg_start_decompress(&info);
    const size_t stride = size_t(info.output_width) * 3;
    const ZeroedBuffer pixels(stride * info.output_height);
    if (pixels.get() == nullptr) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels.get() + stride * info.output_scanline;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

#if VISTELLO_BENCH_FFMPEG
// The owners of FFmpeg's objects for one decode.
struct FfmpegDecode {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    SwsContext* scaler = nullptr;
    FfmpegDecode() = default;
    FfmpegDecode(const FfmpegDecode&) = delete;
    FfmpegDecode& operator=(const FfmpegDecode&) = delete;
    ~FfmpegDecode() {
        sws_freeContext(scaler);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }
};

bool decodeFfmpeg(const PaddedJpeg& jpeg) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_MJPEG);
    if (codec == nullptr) return false;
    FfmpegDecode work;
    work.context = avcodec_alloc_context3(codec);
    work.packet = av_packet_alloc();
    work.frame = av_frame_alloc();
    if (work.context == nullptr || work.packet == nullptr || work.frame == nullptr) return false;
    if (avcodec_open2(work.context, codec, nullptr) < 0) return false;
    work.packet->data = const_cast<uint8_t*>(jpeg.data());
    work.packet->size = int(jpeg.size());
    if (avcodec_send_packet(work.context, work.packet) < 0) return false;
    if (avcodec_receive_frame(work.context, work.frame) < 0) return false;
    const int width = work.frame->width;
    const int height = work.frame->height;
    work.scaler = sws_getContext(width, height, AVPixelFormat(work.frame->format), width, height, AV_PIX_FMT_BGR24, SWS_BILINEAR, nullptr,
                                 nullptr, nullptr);
    if (work.scaler == nullptr) return false;
    const int stride = width * 3;
    const ZeroedBuffer pixels(size_t(stride) * size_t(height));
    if (pixels.get() == nullptr) return false;
    uint8_t* planes[4] = {pixels.get(), nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(work.scaler, work.frame->data, work.frame->linesize, 0, height, planes, strides) == height;
}
#endif

}  // namespace

void setOurSettings(const OurSettings& settings) { settingsOfTheRun = settings; }

const OurSettings& ourSettings() { return settingsOfTheRun; }

namespace {
constexpr struct {
    vistello::SimdLevel level;
    const char* name;
} simdLevels[] = {
    {vistello::SimdLevel::scalar, "scalar"}, {vistello::SimdLevel::sse2, "sse2"}, {vistello::SimdLevel::sse41, "sse41"},
    {vistello::SimdLevel::avx2, "avx2"},     {vistello::SimdLevel::best, "best"},
};
}  // namespace

bool simdLevelFromName(const std::string& name, vistello::SimdLevel& level) {
    for (const auto& each : simdLevels) {
        if (name == each.name) {
            level = each.level;
            return true;
        }
    }
    return false;
}

const char* simdLevelName(vistello::SimdLevel level) {
    for (const auto& each : simdLevels) {
        if (level == each.level) return each.name;
    }
    return "?";
}

const char* decoderName(Decoder decoder) {
    switch (decoder) {
        case Decoder::ours: return "ours";
        case Decoder::turbo: return "turbo";
        case Decoder::ffmpeg: return "ffmpeg";
    }
    return "?";
}

bool decoderFromName(const std::string& name, Decoder& decoder) {
    for (const Decoder each : availableDecoders()) {
        if (name == decoderName(each)) {
            decoder = each;
            return true;
        }
    }
    return false;
}

std::vector<Decoder> availableDecoders() {
#if VISTELLO_BENCH_FFMPEG
    av_log_set_level(AV_LOG_ERROR);  // no notes about the full-range pixel formats of JPEG
    return {Decoder::ours, Decoder::turbo, Decoder::ffmpeg};
#else
    return {Decoder::ours, Decoder::turbo};
#endif
}

PaddedJpeg::PaddedJpeg(std::vector<uint8_t> file) : bytes(std::move(file)), length(bytes.size()) {
    bytes.resize(length + 64, 0);  // at least AV_INPUT_BUFFER_PADDING_SIZE
}

bool decode(Decoder decoder, const PaddedJpeg& jpeg) {
    switch (decoder) {
        case Decoder::ours: return decodeOurs(jpeg);
        case Decoder::turbo: return decodeTurbo(jpeg);
        case Decoder::ffmpeg:
#if VISTELLO_BENCH_FFMPEG
            return decodeFfmpeg(jpeg);
#else
            return false;
#endif
    }
    return false;
}

}  // namespace bench
