// The handle owners: a failed CreateFile or FindFirstFile owns nothing, whatever value the
// call reported its failure with.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/handles.h"
#include "program_runner.h"

namespace vistello::test {
namespace {

TEST(HandleOwners, AFailedOpenOrSearchOwnsNothing) {
    ScratchFolder folder;
    const std::string missing = folder.file("missing.bin");
    const UniqueFileHandle notOpened(
        CreateFileA(missing.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_FALSE(notOpened) << "INVALID_HANDLE_VALUE is no handle";
    EXPECT_EQ(notOpened.get(), nullptr);
    WIN32_FIND_DATAA found{};
    EXPECT_FALSE(UniqueFind(FindFirstFileA(missing.c_str(), &found)));

    const std::string present = folder.file("present.bin");
    writeWholeFile(present, {1, 2, 3});
    UniqueFileHandle opened(
        CreateFileA(present.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    EXPECT_TRUE(opened);
    EXPECT_TRUE(UniqueFind(FindFirstFileA(present.c_str(), &found)));
    opened.reset(INVALID_HANDLE_VALUE);
    EXPECT_FALSE(opened) << "a reset to the failure value owns nothing either";
}

}  // namespace
}  // namespace vistello::test
