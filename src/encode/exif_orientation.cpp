// The markers are walked as ITU-T T.81 B.1 lays them out, up to the first scan; the Exif segment
// is an APP1 whose data starts with "Exif\0\0" and holds a TIFF header (byte order "II" or
// "MM", 42, the offset of IFD0) and IFD0's 12-byte entries (tag, type, count, value). Every read
// is checked against the data's end first.
#include "encode/exif_orientation.h"

#include <cstring>

#include "jpeg/jpeg_tables.h"

namespace vistello {
namespace {

constexpr int32_t upright = 1;
constexpr int32_t maxOrientation = 8;
constexpr uint8_t markerPrefix = markerFill;
constexpr char exifIdentifier[] = "Exif\0";  // with the array's own zero: "Exif" and two zeros
constexpr size_t exifIdentifierSize = 6;
constexpr size_t tiffHeaderSize = 8;
constexpr size_t ifdEntrySize = 12;
constexpr uint16_t tiffMagic = 42;
constexpr uint16_t orientationTag = 0x0112;
constexpr uint16_t typeShort = 3;
constexpr uint16_t typeLong = 4;

// A TIFF structure inside the Exif segment, in its own byte order.
class Tiff {
public:
    explicit Tiff(std::span<const uint8_t> data) : data_(data) {}

    bool readHeader(uint32_t& firstIfd) {
        if (data_.size() < tiffHeaderSize) return false;
        if (data_[0] == 'I' && data_[1] == 'I') littleEndian_ = true;
        else if (data_[0] == 'M' && data_[1] == 'M') littleEndian_ = false;
        else return false;
        uint16_t magic = 0;
        return u16(2, magic) && magic == tiffMagic && u32(4, firstIfd);
    }

    int32_t orientationIn(uint32_t ifd) {
        uint16_t count = 0;
        if (!u16(ifd, count)) return upright;
        for (uint32_t i = 0; i < count; ++i) {
            const uint64_t entry = uint64_t(ifd) + 2 + uint64_t(i) * ifdEntrySize;
            uint16_t tag = 0;
            if (!u16(entry, tag)) return upright;
            if (tag == orientationTag) return orientationEntry(entry);
        }
        return upright;
    }

private:
    int32_t orientationEntry(uint64_t entry) {
        uint16_t type = 0;
        uint32_t count = 0;
        if (!u16(entry + 2, type) || !u32(entry + 4, count) || count != 1) return upright;
        uint32_t value = 0;
        if (type == typeShort) {
            uint16_t shortValue = 0;
            if (!u16(entry + 8, shortValue)) return upright;
            value = shortValue;
        } else if (type != typeLong || !u32(entry + 8, value)) {
            return upright;
        }
        return value >= 1 && value <= uint32_t(maxOrientation) ? int32_t(value) : upright;
    }

    bool u16(uint64_t at, uint16_t& value) const {
        if (at > data_.size() || data_.size() - at < 2) return false;
        const uint8_t a = data_[size_t(at)], b = data_[size_t(at) + 1];
        value = littleEndian_ ? uint16_t(a | b << 8) : uint16_t(a << 8 | b);
        return true;
    }
    bool u32(uint64_t at, uint32_t& value) const {
        uint16_t first = 0, second = 0;
        if (!u16(at, first) || !u16(at + 2, second)) return false;
        value = littleEndian_ ? uint32_t(second) << 16 | first : uint32_t(first) << 16 | second;
        return true;
    }

    std::span<const uint8_t> data_;
    bool littleEndian_ = true;
};

int32_t orientationOfExif(std::span<const uint8_t> segment) {
    if (segment.size() < exifIdentifierSize || std::memcmp(segment.data(), exifIdentifier, exifIdentifierSize) != 0)
        return 0;  // not Exif: look on
    Tiff tiff(segment.subspan(exifIdentifierSize));
    uint32_t firstIfd = 0;
    if (!tiff.readHeader(firstIfd)) return upright;
    return tiff.orientationIn(firstIfd);
}

bool standsAlone(uint8_t marker) { return marker == markerTem || isRestartMarker(marker); }

}  // namespace

int32_t readExifOrientation(std::span<const uint8_t> jpeg) {
    if (jpeg.size() < 2 || jpeg[0] != markerPrefix || jpeg[1] != markerSoi) return upright;
    size_t position = 2;
    while (position < jpeg.size()) {
        if (jpeg[position] != markerPrefix) return upright;  // the segments before the first scan are contiguous
        while (position < jpeg.size() && jpeg[position] == markerPrefix) ++position;  // fill bytes
        if (position >= jpeg.size()) return upright;
        const uint8_t marker = jpeg[position++];
        if (marker == markerEoi || marker == markerSos) return upright;
        if (standsAlone(marker)) continue;
        if (jpeg.size() - position < 2) return upright;
        const size_t length = size_t(jpeg[position] << 8 | jpeg[position + 1]);
        if (length < 2 || length > jpeg.size() - position) return upright;
        if (marker == markerApp1) {
            const int32_t orientation = orientationOfExif(jpeg.subspan(position + 2, length - 2));
            if (orientation != 0) return orientation;
        }
        position += length;
    }
    return upright;
}

}  // namespace vistello
