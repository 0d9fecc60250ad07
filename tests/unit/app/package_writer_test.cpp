#include "app/package_writer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "app/package_bytes.h"
#include "app/package_reader.h"

namespace vistello {
namespace {

using test::jpegLikeBytes;
using test::PackageBytes;

int32_t int32At(const std::vector<uint8_t>& bytes, size_t offset) {
    return int32_t(uint32_t(bytes.at(offset)) | uint32_t(bytes.at(offset + 1)) << 8 |
                   uint32_t(bytes.at(offset + 2)) << 16 | uint32_t(bytes.at(offset + 3)) << 24);
}

std::vector<uint8_t> written(const PackageContent& content) {
    std::vector<uint8_t> out;
    const char* problem = nullptr;
    EXPECT_TRUE(writePackage(content, out, problem)) << (problem ? problem : "");
    return out;
}

// The package delivered with the program: 2230 bytes, three texts of 23, 23 and 47 bytes with
// their zeros, a link opened at close to a 28-character web address, a JPEG of 2071 bytes.
TEST(PackageWriter, LaysOutTheDeliveredExampleAtItsOffsets) {
    PackageContent content;
    content.windowTitle = std::string(22, 'T');
    content.workTitle = std::string(22, 'W');
    content.commentText = std::string(20, 'a') + "\r\n" + std::string(24, 'b');
    content.autoExitSeconds = 5;
    content.zOrderMode = 1;
    content.startPosition = 3;
    content.captionMode = -1;
    content.autoCommentFlag = 1;
    content.link = PackageLink{2, "http://www.example.com/pics/", ""};
    content.picture = jpegLikeBytes(2071);

    const auto bytes = written(content);
    ASSERT_EQ(bytes.size(), 2230u);
    EXPECT_EQ(bytes[22], 0);
    EXPECT_EQ(bytes[45], 0);
    EXPECT_EQ(bytes[92], 0);
    const struct {
        size_t offset;
        int32_t value;
    } int32Items[] = {{93, 5}, {97, 1}, {101, 3}, {105, -1}, {109, 1}, {113, 1}, {117, 2}, {151, -1}, {155, 2071}};
    for (const auto& item : int32Items) {
        SCOPED_TRACE("offset " + std::to_string(item.offset));
        EXPECT_EQ(int32At(bytes, item.offset), item.value);
    }
    EXPECT_EQ(bytes[121], 'h');
    EXPECT_EQ(bytes[149], 0) << "link target ends at 150";
    EXPECT_EQ(bytes[150], 0) << "empty link parameters";
    EXPECT_EQ(bytes[159], 0xFF);
    EXPECT_EQ(bytes[160], 0xD8);

    MemoryByteSource source(bytes);
    PackageFields fields;
    ByteBuffer picture;
    ASSERT_TRUE(readPackageItems(source, LinkItemRule::readWhenFlagIsOne, fields));
    EXPECT_EQ(source.position(), 159u);
    ASSERT_TRUE(readPictureBytes(source, fields.pictureLength, picture));
    EXPECT_EQ(source.remaining(), 0u);
}

PackageContent everyItemSet() {
    PackageContent content;
    content.windowTitle = "\x83\x5C\x83\x74\x83\x67";  // code page 932 text whose trail byte is a backslash
    content.workTitle = "Work";
    content.commentText = "first line\r\nsecond line\r\n";
    content.autoExitSeconds = 30;
    content.zOrderMode = 3;
    content.startPosition = 5;
    content.captionMode = -1;
    content.autoCommentFlag = 1;
    content.link = PackageLink{2, "*\\readme.txt", "-x \"quoted\""};
    content.picture = {'B', 'M', 1, 2, 3};
    content.enclosedFiles = std::vector<EnclosedFile>{{"readme.txt", {'h', 'i'}}, {"sub\\empty.bin", {}}};
    return content;
}

struct ReadBack {
    PackageFields fields;
    std::vector<uint8_t> picture;
    std::optional<std::vector<EnclosedFile>> enclosedFiles;
};

// Reads a package back the way the program does: fields and picture like the loader, the
// enclosed files like the unpacker, whose walk must reach them by its own rule.
ReadBack readBack(const std::vector<uint8_t>& bytes) {
    ReadBack back;
    MemoryByteSource source(bytes);
    ByteBuffer picture;
    EXPECT_TRUE(readPackageItems(source, LinkItemRule::readWhenFlagIsOne, back.fields));
    EXPECT_TRUE(readPictureBytes(source, back.fields.pictureLength, picture));
    back.picture.assign(picture.bytes().begin(), picture.bytes().end());
    if (back.fields.enclosedFileFlag != 1) {
        EXPECT_EQ(source.remaining(), 0u) << "nothing follows the picture";
        return back;
    }
    MemoryByteSource walk(bytes);
    int32_t count = 0;
    EXPECT_TRUE(walkToEnclosedFiles(walk, count));
    back.enclosedFiles.emplace();
    for (int32_t i = 0; i < count; ++i) {
        EnclosedEntryHeader header;
        ByteBuffer contents;
        EXPECT_TRUE(readEnclosedEntryHeader(walk, header));
        EXPECT_TRUE(readEnclosedContents(walk, header.size, contents));
        back.enclosedFiles->push_back({header.name, {contents.bytes().begin(), contents.bytes().end()}});
    }
    EXPECT_EQ(walk.remaining(), 0u) << "nothing follows the last entry";
    return back;
}

TEST(PackageWriter, RoundTripsEveryItem) {
    std::vector<std::pair<const char*, PackageContent>> cases;
    cases.emplace_back("every item set", everyItemSet());
    {
        PackageContent empty;  // empty texts, no link, no files, a picture of its two magic bytes
        empty.picture = {0xFF, 0xD8};
        cases.emplace_back("empty texts", empty);
    }
    {
        auto content = everyItemSet();
        content.link = PackageLink{1, "", ""};
        content.enclosedFiles = std::vector<EnclosedFile>{};
        cases.emplace_back("empty link texts and zero enclosed files", content);
    }
    {
        auto content = everyItemSet();
        content.autoExitSeconds = INT32_MIN;
        content.zOrderMode = INT32_MAX;
        content.startPosition = -7;
        content.captionMode = 0;
        content.autoCommentFlag = -1;
        content.link->timing = INT32_MIN;
        cases.emplace_back("extreme int32 values", content);
    }
    {
        auto content = everyItemSet();
        content.commentText = "\r\n\r\n\xFF\x01";
        content.picture = jpegLikeBytes(70000);
        cases.emplace_back("comment of line breaks only, long picture", content);
    }
    for (const auto& [name, content] : cases) {
        SCOPED_TRACE(name);
        const auto back = readBack(written(content));
        EXPECT_EQ(back.fields.windowTitle, content.windowTitle);
        EXPECT_EQ(back.fields.workTitle, content.workTitle);
        EXPECT_EQ(back.fields.commentText, content.commentText);
        EXPECT_EQ(back.fields.autoExitSeconds, content.autoExitSeconds);
        EXPECT_EQ(back.fields.zOrderMode, content.zOrderMode);
        EXPECT_EQ(back.fields.startPosition, content.startPosition);
        EXPECT_EQ(back.fields.captionMode, content.captionMode);
        EXPECT_EQ(back.fields.autoCommentFlag, content.autoCommentFlag);
        EXPECT_EQ(back.fields.linkFlag, content.link ? 1 : -1);
        EXPECT_EQ(back.fields.linkTiming, content.link ? content.link->timing : 0);
        EXPECT_EQ(back.fields.linkTarget, content.link ? content.link->target : "");
        EXPECT_EQ(back.fields.linkParameters, content.link ? content.link->parameters : "");
        EXPECT_EQ(back.fields.enclosedFileFlag, content.enclosedFiles ? 1 : -1);
        EXPECT_EQ(back.picture, content.picture);
        ASSERT_EQ(back.enclosedFiles.has_value(), content.enclosedFiles.has_value());
        if (!content.enclosedFiles) continue;
        ASSERT_EQ(back.enclosedFiles->size(), content.enclosedFiles->size());
        for (size_t i = 0; i < content.enclosedFiles->size(); ++i) {
            EXPECT_EQ((*back.enclosedFiles)[i].name, (*content.enclosedFiles)[i].name);
            EXPECT_EQ((*back.enclosedFiles)[i].contents, (*content.enclosedFiles)[i].contents);
        }
    }
}

TEST(PackageWriter, WritesExactlyTheItemsOfTheLayout) {
    PackageContent content;
    content.windowTitle = "A";
    content.commentText = "x\r\ny";
    content.picture = {0xFF, 0xD8};
    const auto base = PackageBytes().text("A").text("").text("x\r\ny").int32(0).int32(1).int32(3).int32(0).int32(0);

    SCOPED_TRACE("no link: the enclosed-file flag follows the link flag directly");
    EXPECT_EQ(written(content), PackageBytes(base).int32(-1).int32(-1).int32(2).raw({0xFF, 0xD8}).bytes());

    content.link = PackageLink{1, "", ""};
    content.enclosedFiles = std::vector<EnclosedFile>{{"f", {9}}};
    EXPECT_EQ(written(content),
              PackageBytes(base).int32(1).int32(1).text("").text("").int32(1).int32(2).raw({0xFF, 0xD8})
                  .int32(1).text("f").int32(1).raw({9}).bytes());
}

TEST(PackageWriter, RefusesWhatThePackageCannotCarry) {
    const struct {
        const char* name;
        void (*spoil)(PackageContent&);
    } cases[] = {
        {"zero byte in the window title", [](PackageContent& c) { c.windowTitle.push_back('\0'); }},
        {"zero byte in the work title", [](PackageContent& c) { c.workTitle = std::string("a\0b", 3); }},
        {"zero byte in the comment", [](PackageContent& c) { c.commentText.push_back('\0'); }},
        {"zero byte in the link target", [](PackageContent& c) { c.link->target.push_back('\0'); }},
        {"zero byte in the link parameters", [](PackageContent& c) { c.link->parameters.push_back('\0'); }},
        {"zero byte in a file name", [](PackageContent& c) { (*c.enclosedFiles)[0].name.push_back('\0'); }},
        {"file name leaving the folder", [](PackageContent& c) { (*c.enclosedFiles)[1].name = "..\\x"; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto content = everyItemSet();
        c.spoil(content);
        std::vector<uint8_t> out{0xAA};
        const char* problem = nullptr;
        EXPECT_FALSE(writePackage(content, out, problem));
        EXPECT_NE(problem, nullptr);
        EXPECT_EQ(out, std::vector<uint8_t>{0xAA}) << "nothing written on failure";
    }
}

}  // namespace
}  // namespace vistello

namespace vistello {
namespace {

// A writer that streams the enclosed files writes the head, then each entry's head and
// contents: the same bytes as the whole package.
TEST(PackageWriter, HeadAndEntryHeadsMakeTheSamePackage) {
    PackageContent content;
    content.windowTitle = "t";
    content.link = PackageLink{1, "*\\x", "-p"};
    content.picture = test::jpegLikeBytes(10);
    content.enclosedFiles = std::vector<EnclosedFile>{{"a.txt", {'a', 'b'}}, {"d\\b.bin", {}}};
    std::vector<uint8_t> whole;
    const char* problem = nullptr;
    ASSERT_TRUE(writePackage(content, whole, problem));

    std::vector<uint8_t> streamed;
    ASSERT_TRUE(writePackageHead(content, streamed, problem));
    for (const auto& file : *content.enclosedFiles) {
        ASSERT_TRUE(writeEnclosedEntryHead(file.name, file.contents.size(), streamed, problem));
        streamed.insert(streamed.end(), file.contents.begin(), file.contents.end());
    }
    EXPECT_EQ(streamed, whole);

    std::vector<uint8_t> refused = {7};
    EXPECT_FALSE(writeEnclosedEntryHead("..\\x", 1, refused, problem));
    EXPECT_FALSE(writeEnclosedEntryHead("x", uint64_t(1) << 31, refused, problem));
    EXPECT_EQ(refused, std::vector<uint8_t>{7}) << "a refused entry leaves the bytes as they were";
}

}  // namespace
}  // namespace vistello
