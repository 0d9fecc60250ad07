#include "window/output_paths.h"

#include <gtest/gtest.h>

namespace vistello {
namespace {

TEST(OutputName, CutsTheProgramsFileNameAfterItsLastDot) {
    EXPECT_EQ(outputNameBesideProgram("D:\\Pictures\\sunset.exe", "BMP"), "D:\\Pictures\\sunset.BMP");
    EXPECT_EQ(outputNameBesideProgram("D:\\x\\sunset.exe", "JPG"), "D:\\x\\sunset.JPG");
    EXPECT_EQ(outputNameBesideProgram("D:\\x\\a.b.exe", "BMP"), "D:\\x\\a.b.BMP");
    EXPECT_EQ(outputNameBesideProgram("D:\\x.y\\sunset.exe", "BMP"), "D:\\x.y\\sunset.BMP");
    EXPECT_EQ(outputNameBesideProgram("sunset.exe", "BMP"), "sunset.BMP");
}

TEST(OutputName, RefusesAFileNameWithoutDot) {
    EXPECT_EQ(outputNameBesideProgram("D:\\x\\sunset", "BMP"), std::nullopt);
    // Cutting at the folder's dot would name D:\x.BMP, outside the program's folder.
    EXPECT_EQ(outputNameBesideProgram("D:\\x.y\\sunset", "BMP"), std::nullopt);
    EXPECT_EQ(outputNameBesideProgram("", "BMP"), std::nullopt);
}

TEST(RestoreExtension, ComesFromTheLastThreeCharactersOfACommandLinePicture) {
    const struct {
        const char* path;
        const char* extension;
    } cases[] = {
        {"c:\\temp\\cat.bmp", "BMP"}, {"c:\\temp\\cat.JPG", "JPG"}, {"c:\\temp\\cat.jPg", "JPG"},
        {"c:\\temp\\cat.png", ""},    {"c:\\temp\\cat.jpeg", ""},   {"xbmp", "BMP"},
        {"jp", ""},                   {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(restoreExtensionForPicturePath(c.path), c.extension);
    }
}

TEST(RestoreExtension, ComesFromTheImageKindForAPackagePicture) {
    EXPECT_EQ(restoreExtensionForKind(ImageKind::bmp), "BMP");
    EXPECT_EQ(restoreExtensionForKind(ImageKind::jpeg), "JPG");
    EXPECT_EQ(restoreExtensionForKind(ImageKind::none), "");
    EXPECT_EQ(restoreExtensionForKind(ImageKind(7)), "");
}

TEST(PathInsideFolder, AdmitsOnlyPathsBelowTheFolder) {
    const char* folder = "C:\\pics\\";
    EXPECT_TRUE(isPathInsideFolder(folder, "C:\\pics\\a.txt"));
    EXPECT_TRUE(isPathInsideFolder(folder, "C:\\pics\\sub\\a.txt"));
    const char* outside[] = {
        "C:\\pics",            // the folder itself, without its backslash
        "C:\\pics\\",          // the folder itself
        "C:\\pictures\\a.txt", // a sibling sharing the prefix
        "C:\\a.txt",
        "\\\\.\\CON",          // a device name resolves outside any folder
        "D:\\pics\\a.txt",
        "c:\\PICS\\a.txt",     // refused rather than guessed at
    };
    for (const char* path : outside) {
        SCOPED_TRACE(path);
        EXPECT_FALSE(isPathInsideFolder(folder, path));
    }
    EXPECT_FALSE(isPathInsideFolder("C:\\pics", "C:\\pics\\a.txt")) << "the folder must end with a backslash";
    EXPECT_FALSE(isPathInsideFolder("", "a.txt"));
}

}  // namespace
}  // namespace vistello
