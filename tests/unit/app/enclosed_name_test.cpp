#include "app/enclosed_name.h"

#include <gtest/gtest.h>

#include <string>

namespace vistello {
namespace {

TEST(EnclosedName, KeepsFilesInsideTheProgramFolder) {
    const struct {
        std::string name;
        bool safe;
    } cases[] = {
        {"readme.txt", true},
        {"sub\\file.txt", true},
        {"sub/file.txt", true},
        {"..foo", true},
        {"a..b\\c", true},
        {"\x83\x5C\x83\x74\x83\x67.txt", true},  // a trail byte equal to a backslash
        {"", false},
        {"..", false},
        {"..\\evil.exe", false},
        {"sub\\..\\..\\evil.exe", false},
        {"sub/../evil.exe", false},
        {"sub\\.. \\evil.exe", false},
        {". .\\evil.exe", false},
        {"sub\\.", false},
        {"\\Windows\\evil.exe", false},
        {"/etc/passwd", false},
        {"C:\\evil.exe", false},
        {"C:evil.exe", false},
        {"file.txt:stream", false},
        {"\x83\x5C..\\evil.exe", false},  // refused: the trail byte reads as a separator
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isSafeEnclosedName(c.name), c.safe);
    }
}

}  // namespace
}  // namespace vistello
