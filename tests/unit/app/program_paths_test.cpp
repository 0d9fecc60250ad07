#include "app/program_paths.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

TEST(ProgramPaths, NamesBesideTheProgramCutAtTheLastDotAndBackslash) {
    EXPECT_EQ(besideProgram("D:\\Pictures\\sunset.exe", "BMP"), "D:\\Pictures\\sunset.BMP");
    EXPECT_EQ(besideProgram("D:\\x.y\\sunset.v2.exe", "JPG"), "D:\\x.y\\sunset.v2.JPG");
    EXPECT_EQ(settingsFileFor("D:\\Pictures\\sunset.exe"), "D:\\Pictures\\sunset.ini");
    EXPECT_EQ(settingsFileFor("D:\\x.y\\sunset"), "D:\\x.y\\sunset.ini") << "a dot in a folder name is not the extension";
    EXPECT_EQ(folderWithSlash("D:\\Pictures\\sunset.exe"), "D:\\Pictures\\");
    EXPECT_EQ(folderWithoutSlash("D:\\Pictures\\sunset.exe"), "D:\\Pictures");
    EXPECT_EQ(folderWithoutSlash("sunset.exe"), "");
}

TEST(ProgramPaths, TitleOfAPictureFileIsItsNameBeforeTheLastDot) {
    EXPECT_EQ(titleFromPicturePath("C:\\temp\\cat.bmp"), "cat");
    EXPECT_EQ(titleFromPicturePath("C:\\temp\\my holiday.pic.jpg"), "my holiday.pic");
    EXPECT_EQ(titleFromPicturePath("C:\\temp\\noextension"), "") << "cut before a dot that is not there";
    EXPECT_EQ(titleFromPicturePath("cat.jpg"), "cat");
}

TEST(ProgramPaths, ABackslashInsideADoubleByteCharacterIsNoSeparator) {
    // ソ is 83 5C and 表 is 95 5C in code page 932.
    const std::string program = "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.exe";
    EXPECT_EQ(folderWithSlash(program), "C:\\\x83\x5C\x83\x74\x83\x67\\");
    EXPECT_EQ(settingsFileFor(program), "C:\\\x83\x5C\x83\x74\x83\x67\\\x95\x5C.ini");
    EXPECT_EQ(titleFromPicturePath("C:\\pics\\\x83\x5C.jpg"), "\x83\x5C");
}

TEST(ProgramPaths, OnlyOnePairOfSurroundingQuotesIsRemoved) {
    EXPECT_EQ(withoutSurroundingQuotes("\"C:\\a b.jpg\""), "C:\\a b.jpg");
    EXPECT_EQ(withoutSurroundingQuotes("C:\\ab.jpg"), "C:\\ab.jpg");
    EXPECT_EQ(withoutSurroundingQuotes("\"\"x\"\""), "\"x\"");
    EXPECT_EQ(withoutSurroundingQuotes("\"C:\\a b.jpg"), "\"C:\\a b.jpg") << "an unbalanced quote stays";
    EXPECT_EQ(withoutSurroundingQuotes("\""), "\"");
    EXPECT_EQ(withoutSurroundingQuotes(""), "");
}

}  // namespace
}  // namespace vistello
