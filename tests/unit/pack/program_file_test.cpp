#include "program/program_file.h"

#include <gtest/gtest.h>

#include <iterator>

#include "app/package_offset.h"
#include "pe_builder.h"
#include "platform/memory_input.h"
#include "program/file_byte_source.h"
#include "program/pe_image.h"

namespace vistello::tools {
namespace {

using test::buildPe;
using test::PeSection;

// A data section holding the tagged constant stamped with value.
std::vector<uint8_t> dataWithConstant(uint64_t value) {
    std::vector<uint8_t> data(64, 0xAA);
    std::copy(std::begin(packageOffsetTag), std::end(packageOffsetTag), data.begin() + 8);
    storePackageOffset(value, std::span<uint8_t, packageOffsetSize>(data.data() + 8 + sizeof packageOffsetTag, packageOffsetSize));
    return data;
}

std::vector<uint8_t> tagOnly() {
    return {reinterpret_cast<const uint8_t*>(packageOffsetTag),
            reinterpret_cast<const uint8_t*>(packageOffsetTag) + sizeof packageOffsetTag};
}

// A program of three sections with the constant in the second, stamped with its own length.
struct Program {
    std::vector<uint8_t> bytes;
    uint64_t imageEnd = 0;
};
Program stampedProgram(const std::vector<uint8_t>& behindImage, const std::vector<uint8_t>& package = {}) {
    const std::vector<PeSection> sections = {{".text", std::vector<uint8_t>(700, 0xC3)}, {".rdata", dataWithConstant(0)},
                                             {".bss", {}}};
    Program program;
    program.imageEnd = buildPe(sections).size();
    auto withTail = buildPe(sections, behindImage);
    const uint64_t stubLength = withTail.size();
    auto stamped = sections;
    stamped[1].data = dataWithConstant(stubLength);
    program.bytes = buildPe(stamped, behindImage);
    program.bytes.insert(program.bytes.end(), package.begin(), package.end());
    return program;
}

bool read(const std::vector<uint8_t>& bytes, ProgramFile& program, std::string& problem) {
    MemoryInputFile file(bytes);
    return readProgramFile(file, program, problem);
}

TEST(ProgramFile, FindsTheConstantInTheImageAndThePackageBehindTheSymbolTable) {
    const std::vector<uint8_t> symbols(300, 0x11);  // a COFF symbol table after the sections
    const Program program = stampedProgram(symbols, {1, 2, 3});
    ProgramFile found;
    std::string problem;
    ASSERT_TRUE(read(program.bytes, found, problem)) << problem;
    EXPECT_EQ(found.imageEnd, program.imageEnd);
    EXPECT_EQ(found.storedOffset, program.imageEnd + symbols.size());
    uint64_t offset = 0;
    ASSERT_TRUE(locatePackage(found, offset, problem)) << problem;
    EXPECT_EQ(offset, program.bytes.size() - 3);
    EXPECT_FALSE(checkStub(found, problem)) << "a stub that carries a package is no bare stub";
    EXPECT_NE(problem.find("already carries"), std::string::npos) << problem;
}

// Tags in what follows the image (a title, an enclosed copy of a stub) are not the program's.
TEST(ProgramFile, TagsOutsideTheImageDoNotCount) {
    auto package = tagOnly();
    const auto enclosedStub = stampedProgram({}).bytes;
    package.insert(package.end(), enclosedStub.begin(), enclosedStub.end());
    const Program program = stampedProgram({}, package);
    ProgramFile found;
    std::string problem;
    ASSERT_TRUE(read(program.bytes, found, problem)) << problem;
    uint64_t offset = 0;
    ASSERT_TRUE(locatePackage(found, offset, problem)) << problem;
    EXPECT_EQ(offset, program.imageEnd);
}

TEST(ProgramFile, ABareStubIsAStubWithoutPackage) {
    const Program stub = stampedProgram({});
    ProgramFile found;
    std::string problem;
    ASSERT_TRUE(read(stub.bytes, found, problem)) << problem;
    EXPECT_TRUE(checkStub(found, problem)) << problem;
    uint64_t offset = 0;
    EXPECT_FALSE(locatePackage(found, offset, problem));
    EXPECT_NE(problem.find("no picture package"), std::string::npos) << problem;
}

TEST(ProgramFile, RefusesStampsThatTheReadersCannotUse) {
    const struct {
        const char* name;
        uint64_t stamp;
        const char* problem;
    } cases[] = {
        {"inside the image", 100, "inside the program's own image"},
        {"beyond the end of the file", 1 << 20, "beyond the end of the file"},
        {"beyond the signed low word", uint64_t(1) << 32, "beyond the end of the file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto bytes = buildPe({{".rdata", dataWithConstant(c.stamp)}}, std::vector<uint8_t>(50, 0));
        ProgramFile found;
        std::string problem;
        ASSERT_TRUE(read(bytes, found, problem)) << problem;
        uint64_t offset = 0;
        EXPECT_FALSE(locatePackage(found, offset, problem));
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

TEST(ProgramFile, RefusesFilesThatAreNoStampedProgram) {
    auto noTag = buildPe({{".text", std::vector<uint8_t>(100, 0xC3)}});
    auto twice = dataWithConstant(0);
    const auto again = dataWithConstant(0);
    twice.insert(twice.end(), again.begin(), again.end());
    auto twoTags = buildPe({{".rdata", twice}});
    auto notMz = stampedProgram({}).bytes;
    notMz[0] = 'X';
    auto lostPe = stampedProgram({}).bytes;
    test::putU32(lostPe, 0x3C, 0x7FFFFFF0);
    auto sectionOutside = stampedProgram({}).bytes;
    sectionOutside.resize(sectionOutside.size() - 100);
    const struct {
        const char* name;
        std::vector<uint8_t> bytes;
        const char* problem;
    } cases[] = {
        {"no tag in the image", noTag, "no package-offset constant"},
        {"the tag twice in the image", twoTags, "2 times"},
        {"not MZ", notMz, "\"MZ\""},
        {"PE header outside the file", lostPe, "outside the file"},
        {"a section beyond the end", sectionOutside, "beyond the end of the file"},
        {"empty", {}, "\"MZ\""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgramFile found;
        std::string problem;
        EXPECT_FALSE(read(c.bytes, found, problem));
        EXPECT_NE(problem.find(c.problem), std::string::npos) << problem;
    }
}

// Cut at every length, the headers never read past the data and never pass as a program.
TEST(ProgramFile, EveryPrefixOfTheHeadersFailsCleanly) {
    const Program program = stampedProgram({});
    for (size_t length = 0; length < program.imageEnd; length += 7) {
        SCOPED_TRACE(length);
        const std::vector<uint8_t> cut(program.bytes.begin(), program.bytes.begin() + std::ptrdiff_t(length));
        ProgramFile found;
        std::string problem;
        EXPECT_FALSE(read(cut, found, problem));
        EXPECT_FALSE(problem.empty());
    }
}

// A tag that straddles the boundary between two search chunks is found once.
TEST(ProgramFile, FindsATagAcrossSearchChunks) {
    for (const size_t at : {size_t(256 << 10) - 8, size_t(256 << 10) - 15, size_t(256 << 10)}) {
        SCOPED_TRACE(at);
        std::vector<uint8_t> data(at + 64, 0x90);
        const auto constant = dataWithConstant(12345);
        std::copy(constant.begin() + 8, constant.begin() + 8 + 25, data.begin() + std::ptrdiff_t(at));
        ProgramFile found;
        std::string problem;
        ASSERT_TRUE(read(buildPe({{".data", data}}), found, problem)) << problem;
        EXPECT_EQ(found.storedOffset, 12345u);
    }
}

}  // namespace
}  // namespace vistello::tools
