#pragma once
// vistello-pack run as its users run it: as a process in a folder of its own, judged by exit
// status, output, the files it leaves and the resources it took. The stub is the Windows
// build's real vistello.exe; pictures are made at test time with the reference programs
// (cjpeg, djpeg, jpegtran, ImageMagick), and a test that needs a missing one fails.
#include <gtest/gtest.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace vistello::test {

namespace fs = std::filesystem;

struct ToolRun {
    int status = -1;      // exit status; -1 when the tool ended by a signal
    int signal = 0;       // the signal that ended it
    std::string out;
    std::string err;
    long maxResidentKb = 0;
    double seconds = 0;
};

struct RunLimits {
    uint64_t fileSizeBytes = 0;  // RLIMIT_FSIZE for the tool; 0: none
};

std::vector<uint8_t> readBytes(const fs::path& path);
std::string readText(const fs::path& path);
void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes);
void writeText(const fs::path& path, const std::string& text);

// The real stub, read once; the test fails when the Windows build has not made it.
const std::vector<uint8_t>& realStub();

class PackCli : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    fs::path path(const std::string& name) const { return dir_ / name; }
    ToolRun run(std::vector<std::string> args, RunLimits limits = {}) const;
    // Starts the tool and returns at once; finish waits for it.
    pid_t start(std::vector<std::string> args) const;
    ToolRun finish(pid_t pid) const;
    // Runs a shell command in the test's folder; a missing reference program fails the test.
    void shell(const std::string& command) const;
    // The package behind the stub in a program the tool wrote.
    std::vector<uint8_t> packageOf(const std::string& program) const;
    // A program file as an earlier tool or another writer makes it: the stub with package behind.
    void writeProgram(const std::string& name, const std::vector<uint8_t>& package) const;
    // Every name in the test's folder (recursively), sorted; for "nothing else was written".
    std::vector<std::string> listing() const;

    fs::path dir_;
    std::vector<uint8_t> picture_;  // pic.jpg: the shipped sample, which the program shows whole
};

// Fails the test unless every named program is on PATH.
void requirePrograms(std::initializer_list<const char*> programs);

}  // namespace vistello::test
