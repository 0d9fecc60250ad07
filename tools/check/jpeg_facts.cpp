#include "check/jpeg_facts.h"

#include <cstring>

#include "jpeg/jpeg_tables.h"

namespace vistello::tools {
namespace {

constexpr uint8_t markerPrefix = markerFill;
constexpr uint8_t markerApp14 = 0xEE;
constexpr size_t frameHeaderFixed = 6;   // P, Y, X, Nf
constexpr size_t frameComponentSize = 3;
constexpr char adobeIdentifier[] = "Adobe";
constexpr size_t adobeTransformAt = 11;  // after "Adobe", version, flags0, flags1

bool isRestart(uint8_t marker) { return isRestartMarker(marker); }
// Frame headers as the program's parser takes them.
bool isFrame(uint8_t marker) { return isStartOfFrame(marker); }

class FactsReader {
public:
    explicit FactsReader(std::span<const uint8_t> data) : data_(data) {}

    JpegFacts read() {
        JpegFacts facts;
        if (data_.size() < 2 || data_[0] != markerPrefix || data_[1] != markerSoi) return facts;
        facts.startsWithSoi = true;
        position_ = 2;
        facts.cutShort = true;  // until the end marker is met
        uint8_t marker = 0;
        while (nextMarker(marker)) {
            if (marker == markerEoi) {
                facts.hasEndOfImage = true;
                facts.cutShort = false;
                return facts;
            }
            if (marker == markerTem || isRestart(marker) || marker == markerSoi) continue;
            std::span<const uint8_t> segment;
            if (!takeSegment(segment)) return facts;
            noteSegment(marker, segment, facts);
            if (marker == markerSos && !walkScan(facts)) return facts;
        }
        return facts;
    }

private:
    // Moves past the next marker and its fill bytes; false at the end of the data.
    bool nextMarker(uint8_t& marker) {
        while (position_ < data_.size() && data_[position_] != markerPrefix) ++position_;
        while (position_ < data_.size() && data_[position_] == markerPrefix) ++position_;
        if (position_ >= data_.size()) return false;
        marker = data_[position_++];
        return true;
    }

    bool takeSegment(std::span<const uint8_t>& segment) {
        if (data_.size() - position_ < 2) return false;
        const size_t length = size_t(data_[position_] << 8 | data_[position_ + 1]);
        if (length < 2 || length > data_.size() - position_) return false;
        segment = data_.subspan(position_ + 2, length - 2);
        position_ += length;
        return true;
    }

    static void noteSegment(uint8_t marker, std::span<const uint8_t> segment, JpegFacts& facts) {
        if (isFrame(marker) && !facts.hasFrame) noteFrame(marker, segment, facts);
        if (marker == markerDac) facts.hasArithmeticTables = true;
        if (marker == markerDri && segment.size() >= 2 && facts.scans.empty())
            facts.restartInterval = uint16_t(segment[0] << 8 | segment[1]);
        if (marker == markerApp14 && segment.size() > adobeTransformAt &&
            std::memcmp(segment.data(), adobeIdentifier, 5) == 0) {
            facts.hasAdobeSegment = true;
            facts.adobeTransform = segment[adobeTransformAt];
        }
        if (marker == markerSos && facts.scans.size() < maxScanFacts) noteScan(segment, facts);
    }

    // Not the decoder's readFrameHeader: that one refuses a header (a length that is not that
    // of its components, no components, a precision outside 2..16) before its component list
    // and reads the list to the end of the data, where the check must name what a refused
    // header says and reads no further than the segment's own length.
    static void noteFrame(uint8_t marker, std::span<const uint8_t> segment, JpegFacts& facts) {
        if (segment.size() < frameHeaderFixed) return;
        facts.hasFrame = true;
        facts.frameMarker = marker;
        facts.frameLength = uint16_t(segment.size() + 2);
        facts.precision = segment[0];
        facts.height = uint16_t(segment[1] << 8 | segment[2]);
        facts.width = uint16_t(segment[3] << 8 | segment[4]);
        facts.componentCount = segment[5];
        for (size_t i = 0; i < facts.componentCount; ++i) {
            const size_t at = frameHeaderFixed + i * frameComponentSize;
            if (at > segment.size() || segment.size() - at < frameComponentSize) break;
            facts.components.push_back(
                {segment[at], uint8_t(segment[at + 1] >> 4), uint8_t(segment[at + 1] & 0x0F), segment[at + 2]});
        }
    }

    static void noteScan(std::span<const uint8_t> segment, JpegFacts& facts) {
        JpegScanFacts scan;
        if (segment.empty()) return;
        scan.componentCount = segment[0];
        const size_t tail = 1 + size_t(scan.componentCount) * 2;
        if (segment.size() >= tail + 3) {
            scan.spectralStart = segment[tail];
            scan.spectralEnd = segment[tail + 1];
            scan.approxHigh = uint8_t(segment[tail + 2] >> 4);
            scan.approxLow = uint8_t(segment[tail + 2] & 0x0F);
        }
        facts.scans.push_back(scan);
    }

    // The entropy-coded data runs to the first marker that is neither a stuffed zero nor a
    // restart marker (T.81 B.1.1.2, F.1.2.3). False when the data ends inside it.
    bool walkScan(JpegFacts& facts) {
        JpegScanFacts* scan = facts.scans.empty() ? nullptr : &facts.scans.back();
        while (position_ < data_.size()) {
            if (data_[position_] != markerPrefix) {
                ++position_;
                continue;
            }
            size_t next = position_ + 1;
            while (next < data_.size() && data_[next] == markerPrefix) ++next;
            if (next >= data_.size()) break;
            const uint8_t code = data_[next];
            if (code == 0x00 || isRestart(code)) {
                if (isRestart(code) && scan) ++scan->restartMarkers;
                position_ = next + 1;
                continue;
            }
            position_ = next - 1;  // on the marker's last prefix byte; nextMarker steps over it
            return true;
        }
        position_ = data_.size();
        if (scan) scan->cutShort = true;
        return false;
    }

    std::span<const uint8_t> data_;
    size_t position_ = 0;
};

}  // namespace

JpegFacts readJpegFacts(std::span<const uint8_t> jpeg) { return FactsReader(jpeg).read(); }

}  // namespace vistello::tools
