#include "app/package_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/package_bytes.h"

namespace vistello {
namespace {

using test::jpegLikeBytes;
using test::PackageBytes;

// Everything a package can hold: link items, a picture and two enclosed files.
struct FullPackage {
    std::vector<uint8_t> bytes;
    size_t pictureStart = 0;  // where the items before the picture end
    size_t pictureEnd = 0;
};

FullPackage fullPackage() {
    PackageBytes p;
    p.text("Title").text("Work").text("Line one\r\nLine two");
    p.int32(7).int32(2).int32(5).int32(-1).int32(1);  // auto exit, z-order, position, caption, auto comment
    p.int32(1).int32(2).text("*\\readme.txt").text("/x");  // link flag, timing, target, parameters
    p.int32(1).int32(20);  // enclosed-file flag, picture length
    FullPackage full;
    full.pictureStart = p.size();
    p.raw(jpegLikeBytes(20));
    full.pictureEnd = p.size();
    p.int32(2).text("a.txt").int32(3).raw({'a', 'b', 'c'}).text("sub\\empty").int32(0);
    full.bytes = p.bytes();
    return full;
}

// The loader's whole reading: the items before the picture, then the picture.
bool loadLikeTheProgram(std::span<const uint8_t> bytes, PackageFields& fields, ByteBuffer& picture) {
    MemoryByteSource source(bytes);
    return readPackageItems(source, LinkItemRule::readWhenFlagIsOne, fields) &&
           readPictureBytes(source, fields.pictureLength, picture);
}

// The unpacker's whole reading: walk to the enclosed files, then every entry with its contents.
bool unpackLikeTheProgram(std::span<const uint8_t> bytes, std::vector<std::string>& names) {
    MemoryByteSource source(bytes);
    int32_t count = 0;
    if (!walkToEnclosedFiles(source, count)) return false;
    for (int32_t i = 0; i < count; ++i) {
        EnclosedEntryHeader header;
        ByteBuffer contents;
        if (!readEnclosedEntryHeader(source, header)) return false;
        if (!readEnclosedContents(source, header.size, contents)) return false;
        names.push_back(header.name);
    }
    return true;
}

TEST(PackageReader, ReadsEveryItemOfAFullPackage) {
    const auto full = fullPackage();
    PackageFields fields;
    ByteBuffer picture;
    ASSERT_TRUE(loadLikeTheProgram(full.bytes, fields, picture));
    EXPECT_EQ(fields.windowTitle, "Title");
    EXPECT_EQ(fields.workTitle, "Work");
    EXPECT_EQ(fields.commentText, "Line one\r\nLine two");
    EXPECT_EQ(fields.autoExitSeconds, 7);
    EXPECT_EQ(fields.zOrderMode, 2);
    EXPECT_EQ(fields.startPosition, 5);
    EXPECT_EQ(fields.captionMode, -1);
    EXPECT_EQ(fields.autoCommentFlag, 1);
    EXPECT_EQ(fields.linkFlag, 1);
    EXPECT_EQ(fields.linkTiming, 2);
    EXPECT_EQ(fields.linkTarget, "*\\readme.txt");
    EXPECT_EQ(fields.linkParameters, "/x");
    EXPECT_EQ(fields.enclosedFileFlag, 1);
    EXPECT_EQ(fields.pictureLength, 20);
    const auto expected = jpegLikeBytes(20);
    EXPECT_TRUE(std::equal(picture.bytes().begin(), picture.bytes().end(), expected.begin(), expected.end()));

    std::vector<std::string> names;
    ASSERT_TRUE(unpackLikeTheProgram(full.bytes, names));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "sub\\empty"}));
}

TEST(PackageReader, TruncationAtEveryByteFailsCleanly) {
    const auto full = fullPackage();
    for (size_t length = 0; length <= full.bytes.size(); ++length) {
        SCOPED_TRACE("first " + std::to_string(length) + " bytes");
        const std::span<const uint8_t> prefix(full.bytes.data(), length);
        PackageFields fields;
        ByteBuffer picture;
        EXPECT_EQ(loadLikeTheProgram(prefix, fields, picture), length >= full.pictureEnd);
        std::vector<std::string> names;
        EXPECT_EQ(unpackLikeTheProgram(prefix, names), length == full.bytes.size());
    }
}

TEST(PackageReader, FieldsReadBeforeAFailureKeepTheirValues) {
    const auto full = fullPackage();
    // Cuts just after an item; the item after the cut keeps the window's construction value.
    const struct {
        const char* name;
        size_t length;
        bool workTitleRead, zOrderRead, linkTimingRead, pictureLengthRead;
    } cases[] = {
        {"inside the work title", 8, false, false, false, false},
        {"after the z-order mode", 6 + 5 + 19 + 8, true, true, false, false},
        {"inside the link target", 6 + 5 + 19 + 24 + 4 + 3, true, true, true, false},
        {"inside the picture", full.pictureStart + 1, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageFields fields;
        ByteBuffer picture;
        ASSERT_FALSE(loadLikeTheProgram(std::span(full.bytes.data(), c.length), fields, picture));
        EXPECT_EQ(fields.windowTitle, "Title");
        EXPECT_EQ(fields.workTitle, c.workTitleRead ? "Work" : "Wo") << "a cut text keeps what came";
        EXPECT_EQ(fields.zOrderMode, c.zOrderRead ? 2 : 1);
        EXPECT_EQ(fields.startPosition, c.linkTimingRead ? 5 : 3);
        EXPECT_EQ(fields.linkTiming, c.linkTimingRead ? 2 : 0);
        EXPECT_EQ(fields.pictureLength, c.pictureLengthRead ? 20 : 0);
    }
}

// A link flag other than 1 or -1 is never written, but a damaged package can hold one: the loader
// then takes the link items as absent, the walkers as present.
TEST(PackageReader, LoaderAndWalkersTakeOtherLinkFlagsDifferently) {
    const struct {
        const char* name;
        int32_t linkFlag;
        bool linkItemsStored;
        bool loaderFindsPicture, walkersFindPicture;
    } cases[] = {
        {"1 with items", 1, true, true, true},
        {"-1 without items", -1, false, true, true},
        {"2 with items", 2, true, false, true},
        {"0 with items", 0, true, false, true},
        {"0 without items", 0, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageBytes p;
        p.text("T").text("W").text("C").int32(0).int32(1).int32(3).int32(0).int32(0).int32(c.linkFlag);
        if (c.linkItemsStored) p.int32(1).text("http://x").text("");
        p.int32(-1).int32(4).raw({0xFF, 0xD8, 0xFF, 0xD9});

        MemoryByteSource loaderSource(p.bytes());
        PackageFields loaded;
        const bool loaderRead = readPackageItems(loaderSource, LinkItemRule::readWhenFlagIsOne, loaded);
        EXPECT_EQ(loaderRead && loaded.pictureLength == 4 && loaded.enclosedFileFlag == -1, c.loaderFindsPicture);
        if (c.linkFlag != 1) {
            EXPECT_EQ(loaded.linkTiming, 0);
            EXPECT_EQ(loaded.linkTarget, "");
        }

        MemoryByteSource walkerSource(p.bytes());
        int32_t pictureLength = 0;
        const bool walkerRead = walkToPicture(walkerSource, pictureLength);
        EXPECT_EQ(walkerRead && pictureLength == 4 && walkerSource.remaining() == 4, c.walkersFindPicture);
    }
}

TEST(PackageReader, RefusesNegativeLengthsAndLengthsBeyondTheData) {
    const auto header = [](int32_t pictureLength) {
        PackageBytes p;
        p.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1);
        return p.int32(pictureLength);
    };
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        bool loaderSucceeds;
    } cases[] = {
        {"picture length -1", header(-1).raw(jpegLikeBytes(8)).int32(0).bytes(), false},
        {"picture length beyond the data", header(0x7FFFFFFF).raw(jpegLikeBytes(8)).int32(0).bytes(), false},
        {"enclosed-file count -1", header(2).raw({0xFF, 0xD8}).int32(-1).bytes(), true},
        {"enclosed-file size -1", header(2).raw({0xFF, 0xD8}).int32(1).text("a").int32(-1).bytes(), true},
        {"enclosed-file size beyond the data",
         header(2).raw({0xFF, 0xD8}).int32(1).text("a").int32(9).raw({1}).bytes(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageFields fields;
        ByteBuffer picture;
        EXPECT_EQ(loadLikeTheProgram(c.bytes, fields, picture), c.loaderSucceeds);
        std::vector<std::string> names;
        EXPECT_FALSE(unpackLikeTheProgram(c.bytes, names));
        EXPECT_TRUE(names.empty());
    }
}

TEST(PackageReader, ANegativePictureLengthNeverMovesTheWalkBackwards) {
    PackageBytes p;
    p.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1).int32(-8);
    p.raw(jpegLikeBytes(8)).int32(0);
    MemoryByteSource source(p.bytes());
    int32_t pictureLength = 0;
    ASSERT_TRUE(walkToPicture(source, pictureLength));
    const size_t before = source.position();
    EXPECT_FALSE(skipPictureBytes(source, pictureLength));
    EXPECT_EQ(source.position(), before);
}

TEST(PackageReader, ATextWithoutItsZeroByteFails) {
    const std::vector<uint8_t> bytes{'a', 'b', 'c'};
    MemoryByteSource source(bytes);
    PackageFields fields;
    EXPECT_FALSE(readPackageItems(source, LinkItemRule::readWhenFlagIsOne, fields));
    EXPECT_EQ(fields.windowTitle, "abc");
    EXPECT_EQ(source.remaining(), 0u);
}

TEST(PackageReader, ResolvesAStarLinkTargetToTheProgramFolder) {
    const struct {
        const char* target;
        const char* resolved;
    } cases[] = {
        {"*\\readme.txt", "C:\\Pictures\\readme.txt"},
        {"*", "C:\\Pictures"},
        {"http://example.com/*", "http://example.com/*"},
        {"", ""},
        {"**", "C:\\Pictures*"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(resolveLinkTarget(c.target, "C:\\Pictures"), c.resolved);
    }
}

TEST(MemoryByteSource, ReadsWhatIsLeftAndRefusesToSkipPastTheEnd) {
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5};
    MemoryByteSource source(bytes);
    uint8_t out[8] = {};
    EXPECT_EQ(source.read(out, 2), 2u);
    EXPECT_TRUE(source.skip(2));
    EXPECT_EQ(source.read(out, 8), 1u);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(source.read(out, 1), 0u);
    EXPECT_TRUE(source.skip(0));

    MemoryByteSource other(bytes);
    EXPECT_FALSE(other.skip(6));
    EXPECT_EQ(other.remaining(), 0u);
}

}  // namespace
}  // namespace vistello
