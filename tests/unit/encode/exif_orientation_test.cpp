#include "encode/exif_orientation.h"

#include <gtest/gtest.h>

#include <vector>

namespace vistello {
namespace {

// An APP1 Exif segment with IFD0 holding one entry: the orientation as type (3 SHORT, 4 LONG).
std::vector<uint8_t> exifSegment(bool littleEndian, uint16_t type, uint32_t value, uint16_t tag = 0x0112) {
    std::vector<uint8_t> tiff = littleEndian ? std::vector<uint8_t>{'I', 'I', 42, 0, 8, 0, 0, 0}
                                             : std::vector<uint8_t>{'M', 'M', 0, 42, 0, 0, 0, 8};
    const auto put16 = [&](uint16_t v) {
        if (littleEndian) tiff.insert(tiff.end(), {uint8_t(v), uint8_t(v >> 8)});
        else tiff.insert(tiff.end(), {uint8_t(v >> 8), uint8_t(v)});
    };
    const auto put32 = [&](uint32_t v) {
        if (littleEndian) tiff.insert(tiff.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        else tiff.insert(tiff.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    };
    put16(2);                  // entries
    put16(0x010F);             // Make, ASCII, 4 bytes in place
    put16(2);
    put32(4);
    put32(0x00434241);
    put16(tag);
    put16(type);
    put32(1);
    if (type == 3) {
        put16(uint16_t(value));
        put16(0);
    } else {
        put32(value);
    }
    put32(0);                  // no next IFD
    std::vector<uint8_t> segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    segment.insert(segment.end(), tiff.begin(), tiff.end());
    segment[2] = uint8_t((segment.size() - 2) >> 8);
    segment[3] = uint8_t(segment.size() - 2);
    return segment;
}

std::vector<uint8_t> jpegWith(std::vector<std::vector<uint8_t>> segments) {
    std::vector<uint8_t> jpeg = {0xFF, 0xD8};
    for (const auto& s : segments) jpeg.insert(jpeg.end(), s.begin(), s.end());
    jpeg.insert(jpeg.end(), {0xFF, 0xDA, 0, 2, 0xFF, 0xD9});
    return jpeg;
}

const std::vector<uint8_t> jfif = {0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0, 1, 0, 0};
const std::vector<uint8_t> xmp = {0xFF, 0xE1, 0, 8, 'h', 't', 't', 'p', ':', '/'};

TEST(ExifOrientation, ReadsTheFirstExifSegmentInEitherByteOrder) {
    for (uint32_t value = 1; value <= 8; ++value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(readExifOrientation(jpegWith({jfif, exifSegment(true, 3, value)})), int32_t(value));
        EXPECT_EQ(readExifOrientation(jpegWith({exifSegment(false, 3, value)})), int32_t(value));
    }
    EXPECT_EQ(readExifOrientation(jpegWith({xmp, exifSegment(false, 4, 6)})), 6) << "XMP first, then Exif; LONG type";
    EXPECT_EQ(readExifOrientation(jpegWith({exifSegment(true, 3, 8), exifSegment(true, 3, 6)})), 8) << "the first one counts";
}

TEST(ExifOrientation, IsUprightWhenThereIsNoneOrItCannotBeRead) {
    const auto badMagic = [] {
        auto s = exifSegment(true, 3, 6);
        s[12] = 43;
        return s;
    }();
    const struct {
        const char* name;
        std::vector<uint8_t> jpeg;
    } cases[] = {
        {"no Exif", jpegWith({jfif})},
        {"orientation 0", jpegWith({exifSegment(true, 3, 0)})},
        {"orientation 9", jpegWith({exifSegment(true, 3, 9)})},
        {"another tag", jpegWith({exifSegment(true, 3, 6, 0x0110)})},
        {"wrong type", jpegWith({exifSegment(true, 2, 6)})},
        {"not 42", jpegWith({badMagic})},
        {"not a JPEG", {'B', 'M', 0, 0}},
        {"empty", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(readExifOrientation(c.jpeg), 1);
    }
    // Segments after the first scan are not the file's metadata.
    auto late = jpegWith({});
    const auto exif = exifSegment(true, 3, 6);
    late.insert(late.end() - 2, exif.begin(), exif.end());
    EXPECT_EQ(readExifOrientation(late), 1);
}

TEST(ExifOrientation, EveryCutOfTheSegmentReadsSafely) {
    const auto full = jpegWith({exifSegment(false, 3, 6)});
    for (size_t length = 0; length < full.size(); ++length) {
        const std::vector<uint8_t> cut(full.begin(), full.begin() + std::ptrdiff_t(length));
        const int32_t orientation = readExifOrientation(cut);
        EXPECT_TRUE(orientation == 1 || orientation == 6) << length;
    }
}

}  // namespace
}  // namespace vistello
