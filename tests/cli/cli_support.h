#pragma once
// vistello-pack run as its users run it: as a process in a folder of its own, judged by exit
// status, output, the files it leaves and the resources it took. The same tests run the Linux
// tool and, with VISTELLO_CLI_TOOL=windows, vistello-pack.exe under Wine (with LC_ALL=ja_JP.UTF-8,
// so its ANSI code page is 932, in the prefix WINEPREFIX names). The stub is the Windows
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

enum class Tool { native, windows };

// The tool the tests run by default (VISTELLO_CLI_TOOL).
Tool toolUnderTest();

// The exit status of vistello-pack.exe ended by Ctrl+C (STATUS_CONTROL_C_EXIT) as a Linux
// process status: its low byte.
inline constexpr int controlCExitStatus = 0x3A;

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
    bool windows() const { return tool_ == Tool::windows; }
    // A folder and a name as the tool joins them itself (with a backslash on Windows).
    std::string joined(const std::string& folder, const std::string& name) const {
        return folder + (windows() ? "\\" : "/") + name;
    }
    ToolRun run(std::vector<std::string> args, RunLimits limits = {}) const { return runTool(tool_, std::move(args), limits); }
    ToolRun runTool(Tool tool, std::vector<std::string> args, RunLimits limits = {}) const;
    // Starts the tool and returns at once; finish waits for it.
    pid_t start(std::vector<std::string> args, Tool tool) const;
    pid_t start(std::vector<std::string> args) const { return start(std::move(args), tool_); }
    // Starts args[0] with the rest as its arguments; a program ending in ".exe" under Wine.
    pid_t startProgram(std::vector<std::string> args) const;
    ToolRun runProgram(std::vector<std::string> args) const;
    ToolRun finish(pid_t pid) const;
    // Runs a shell command in the test's folder; a missing reference program fails the test.
    void shell(const std::string& command) const;
    // The package behind the stub in a program the tool wrote.
    std::vector<uint8_t> packageOf(const std::string& program) const;
    // A program file as an earlier tool or another writer makes it: the stub with package behind.
    void writeProgram(const std::string& name, const std::vector<uint8_t>& package) const;
    // Every name in the test's folder (recursively), sorted; for "nothing else was written".
    std::vector<std::string> listing() const;

    Tool tool_ = toolUnderTest();
    fs::path dir_;
    std::vector<uint8_t> picture_;  // pic.jpg: the shipped sample, which the program shows whole
};

// A copy of a JPEG with an APP1 Exif segment after SOI that gives IFD0's orientation
// (big-endian TIFF).
void insertExifOrientation(const fs::path& from, const fs::path& to, uint8_t orientation);

// Fails the test unless every named program is on PATH.
void requirePrograms(std::initializer_list<const char*> programs);

}  // namespace vistello::test
