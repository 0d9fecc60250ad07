// Pictures cut at every byte: no read past the data, no write outside the DIB, the same
// outcome on both entropy paths, failure reported, and what was decoded kept.
#include <gtest/gtest.h>

#include "jpeg_test_support.h"

namespace vistello::testing {
namespace {

TEST(JpegTruncation, EveryPrefixEndsCleanly) {
    if (!referenceToolsPresent()) GTEST_SKIP() << "cjpeg missing";
    const std::string script = scratchPath("truncation_scans.txt");
    writeFile(script, Bytes{'0', ';', '1', ' ', '2', ';', '\n'});
    const struct { const char* name; Bytes jpeg; bool interleavedBaseline; } cases[] = {
        {"baseline 4:2:0 with restarts", makeJpeg(48, 32, "-quality 75 -restart 2B"), true},
        {"baseline 4:4:4", makeJpeg(24, 16, "-quality 75 -sample 1x1"), true},
        {"progressive 4:2:0", makeJpeg(40, 24, "-quality 75 -progressive"), false},
        {"components in separate scans", jpegtran(makeJpeg(32, 16, "-quality 75"), "-scans " + script), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.jpeg.empty());
        const DecodedPicture full = decodePicture(c.jpeg);
        ASSERT_EQ(full.result, 1);
        for (size_t size = 0; size < c.jpeg.size(); ++size) {
            // An exact-size copy, so that a read past the end is a read past the allocation.
            const Bytes prefix(c.jpeg.begin(), c.jpeg.begin() + long(size));
            const DecodedPicture fast = decodeInto(prefix, full.paddedWidth, full.paddedHeight);
            const DecodedPicture slow = decodeInto(prefix, full.paddedWidth, full.paddedHeight, EntropyPath::reference);
            ASSERT_EQ(fast.result, 0) << "size " << size;
            ASSERT_EQ(slow.result, 0) << "size " << size;
            ASSERT_TRUE(fast.dib == slow.dib) << "size " << size;
            ASSERT_TRUE(fast.guardsIntact) << "size " << size;
            if (!c.interleavedBaseline) continue;
            // Every MCU is either decoded as in the full picture or not drawn at all.
            for (size_t i = 0; i < fast.dib.size(); i += 3) {
                const bool black = fast.dib[i] == 0 && fast.dib[i + 1] == 0 && fast.dib[i + 2] == 0;
                const bool same = std::equal(fast.dib.begin() + long(i), fast.dib.begin() + long(i + 3), full.dib.begin() + long(i));
                ASSERT_TRUE(black || same) << "size " << size << " byte " << i;
            }
        }
    }
}

}  // namespace
}  // namespace vistello::testing
