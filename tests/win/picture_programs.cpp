#include "picture_programs.h"

#include <gtest/gtest.h>

#include "program_runner.h"

namespace vistello::test {

std::vector<uint8_t> samplePicture() {
    std::string path = std::string("Z:") + VISTELLO_SOURCE_DIR + "/samples/sample.jpg";
    for (char& c : path)
        if (c == '/') c = '\\';
    return readWholeFile(path);
}

PackageContent samplePackage() {
    PackageContent content;
    content.windowTitle = "sample";
    content.picture = samplePicture();
    return content;
}

std::string makePictureProgram(const std::string& folder, const std::string& name, const PackageContent& content) {
    std::vector<uint8_t> program = readWholeFile(builtProgramPath());
    const char* problem = nullptr;
    EXPECT_TRUE(writePackage(content, program, problem)) << (problem ? problem : "");
    const std::string path = folder + "\\" + name;
    writeWholeFile(path, program);
    return path;
}

}  // namespace vistello::test
