#pragma once
// Picture programs for the tests: copies of the built stub with a package appended.
#include <string>

#include "app/package_writer.h"

namespace vistello::test {

// The sample picture the repository ships (samples/sample.jpg).
std::vector<uint8_t> samplePicture();
// A package with the sample picture and the writer's default settings.
PackageContent samplePackage();
// Writes stub + package to folder\name and returns the program's path.
std::string makePictureProgram(const std::string& folder, const std::string& name, const PackageContent& content);

}  // namespace vistello::test
