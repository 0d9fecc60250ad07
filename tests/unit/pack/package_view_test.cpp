#include "program/package_view.h"

#include <gtest/gtest.h>

#include <iterator>

#include "app/package_bytes.h"
#include "app/package_offset.h"
#include "pe_builder.h"
#include "platform/memory_input.h"

namespace vistello::tools {
namespace {

using test::PackageBytes;

// A stub stamped with its own length, and a package behind it.
std::vector<uint8_t> programWith(const std::vector<uint8_t>& package) {
    std::vector<uint8_t> data(40, 0);
    std::copy(std::begin(packageOffsetTag), std::end(packageOffsetTag), data.begin());
    auto stub = test::buildPe({{".rdata", data}});
    storePackageOffset(stub.size(), std::span<uint8_t, packageOffsetSize>(stub.data() + 0x200 + sizeof packageOffsetTag,
                                                                         packageOffsetSize));
    stub.insert(stub.end(), package.begin(), package.end());
    return stub;
}

PackageBytes headWithFiles(int32_t count) {
    PackageBytes p;
    p.text("title").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1);
    p.int32(4).raw({0xFF, 0xD8, 0xFF, 0xD9}).int32(count);
    return p;
}

bool view(const std::vector<uint8_t>& bytes, PackageView& result, std::string& problem) {
    MemoryInputFile file(bytes);
    return readPackageView(file, result, problem);
}

TEST(PackageView, ReadsItemsAsPositionsInTheFile) {
    PackageBytes p = headWithFiles(2);
    p.text("a.txt").int32(3).raw({'a', 'b', 'c'}).text("docs\\b.bin").int32(0);
    const auto bytes = programWith(p.bytes());
    PackageView result;
    std::string problem;
    ASSERT_TRUE(view(bytes, result, problem)) << problem;
    EXPECT_EQ(result.fields.windowTitle, "title");
    EXPECT_EQ(result.picture.size, 4u);
    EXPECT_EQ(bytes[size_t(result.picture.at)], 0xFF);
    ASSERT_EQ(result.enclosedFiles.size(), 2u);
    EXPECT_EQ(result.enclosedFiles[0].name, "a.txt");
    EXPECT_EQ(bytes[size_t(result.enclosedFiles[0].contents.at)], 'a');
    EXPECT_EQ(result.enclosedFiles[1].name, "docs\\b.bin");
    EXPECT_EQ(result.trailingBytes, 0u);
}

// Texts have no length field; the tool reads a bounded amount of them and says so.
TEST(PackageView, BoundsWhatItReadsAndSaysWhichBound) {
    PackageBytes longTitle;
    longTitle.text(std::string(size_t(maxSettingsBytes) + 10, 'x'));
    PackageBytes manyFiles = headWithFiles(int32_t(maxEnclosedFiles) + 1);
    PackageBytes longName = headWithFiles(1);
    longName.text(std::string(size_t(maxEnclosedNameBytes) + 1, 'n')).int32(0);
    const struct {
        const char* name;
        std::vector<uint8_t> package;
        const char* problem;
    } cases[] = {
        {"settings beyond 1 MiB", longTitle.bytes(), "1 MiB"},
        {"more enclosed files than the tool reads", manyFiles.bytes(), "at most 10000"},
        {"an enclosed name beyond the bound", longName.bytes(), "longer than the 1024 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        PackageView result;
        std::string problem;
        EXPECT_FALSE(view(programWith(c.package), result, problem));
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

}  // namespace
}  // namespace vistello::tools
