#include "cli_support.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace vistello::test {

std::vector<uint8_t> readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string readText(const fs::path& path) {
    const auto bytes = readBytes(path);
    return {bytes.begin(), bytes.end()};
}

void writeBytes(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

void writeText(const fs::path& path, const std::string& text) { writeBytes(path, {text.begin(), text.end()}); }

const std::vector<uint8_t>& realStub() {
    static const std::vector<uint8_t> stub = readBytes(VISTELLO_STUB_PATH);
    return stub;
}

void requirePrograms(std::initializer_list<const char*> programs) {
    for (const char* program : programs) {
        const std::string check = std::string("command -v ") + program + " >/dev/null 2>&1";
        ASSERT_EQ(std::system(check.c_str()), 0) << program << " is missing: run scripts/setup.sh";
    }
}

Tool toolUnderTest() {
    const char* tool = std::getenv("VISTELLO_CLI_TOOL");
    return tool && std::string(tool) == "windows" ? Tool::windows : Tool::native;
}

namespace {

// The Wine prefix the Windows tool runs in, made once per test process.
const std::string& winePrefix() {
    static const std::string prefix = [] {
        const char* given = std::getenv("WINEPREFIX");
        std::string path = given && *given ? given : VISTELLO_DEFAULT_WINEPREFIX;
        const std::string prepare = std::string("'" VISTELLO_SOURCE_DIR "/scripts/wine-prefix.sh' '") + path + "'";
        EXPECT_EQ(std::system(prepare.c_str()), 0) << "the Wine prefix " << path << " cannot be made";
        return path;
    }();
    return prefix;
}

}  // namespace

void PackCli::SetUp() {
    ASSERT_GT(realStub().size(), 100000u) << VISTELLO_STUB_PATH
                                          << " is missing: build the Windows program first (cmake --build --preset windows)";
    char pattern[] = "/tmp/vistello-pack-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    writeBytes(dir_ / "stub.exe", realStub());
    picture_ = readBytes(fs::path(VISTELLO_SAMPLES_DIR) / "sample.jpg");
    ASSERT_GT(picture_.size(), 1000u);
    writeBytes(dir_ / "pic.jpg", picture_);
}

void PackCli::TearDown() {
    std::error_code ignored;
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir_, ignored);
}

pid_t PackCli::start(std::vector<std::string> args, Tool tool) const {
    args.insert(args.begin(), tool == Tool::windows ? VISTELLO_PACK_EXE_PATH : VISTELLO_PACK_PATH);
    return startProgram(std::move(args));
}

pid_t PackCli::startProgram(std::vector<std::string> args) const {
    const bool underWine = args[0].ends_with(".exe");
    if (underWine) {
        (void)winePrefix();
        args.insert(args.begin(), "wine");
    }
    std::vector<char*> argv;
    for (auto& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string out = (dir_ / ".stdout").string(), err = (dir_ / ".stderr").string();
    const pid_t pid = fork();
    if (pid == 0) {
        const int outFd = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int errFd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(outFd, 1);
        dup2(errFd, 2);
        if (chdir(dir_.c_str()) != 0) _exit(127);
        if (underWine) {
            setenv("WINEPREFIX", winePrefix().c_str(), 1);
            setenv("WINEDEBUG", "-all", 1);
            setenv("LC_ALL", "ja_JP.UTF-8", 1);
        }
        execvp(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

ToolRun PackCli::runProgram(std::vector<std::string> args) const { return finish(startProgram(std::move(args))); }

ToolRun PackCli::finish(pid_t pid) const {
    ToolRun result;
    int status = 0;
    rusage usage{};
    const auto began = std::chrono::steady_clock::now();
    if (wait4(pid, &status, 0, &usage) == pid) {
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
        result.maxResidentKb = usage.ru_maxrss;
    }
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    result.out = readText(dir_ / ".stdout");
    result.err = readText(dir_ / ".stderr");
    return result;
}

ToolRun PackCli::runTool(Tool tool, std::vector<std::string> args, RunLimits limits) const {
    // Under a file-size limit the Wine server must already run: started by the limited
    // process, it would inherit the limit for the prefix's own files.
    if (limits.fileSizeBytes != 0 && tool == Tool::windows) (void)finish(start({"--version"}, tool));
    const auto began = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (limits.fileSizeBytes == 0) {
        pid = start(std::move(args), tool);
    } else {
        // The limit applies to the tool only: set in this process around the fork, then restored.
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limited = saved;
        limited.rlim_cur = limits.fileSizeBytes;
        const auto savedSignal = signal(SIGXFSZ, SIG_IGN);  // for this process's own output files
        setrlimit(RLIMIT_FSIZE, &limited);
        pid = start(std::move(args), tool);
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, savedSignal);
    }
    ToolRun result = finish(pid);
    // The tool says why whenever it fails; silence means the run ended before it (Wine).
    if (result.status != 0 && result.out.empty() && result.err.empty())
        result.err = "(no output at all: exit status " + std::to_string(result.status) + ", signal " +
                     std::to_string(result.signal) + ", " + std::to_string(result.seconds) + " s)";
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    return result;
}

void PackCli::shell(const std::string& command) const {
    const std::string line = "cd '" + dir_.string() + "' && ( " + command + " )";
    ASSERT_EQ(std::system(line.c_str()), 0) << command;
}

std::vector<uint8_t> PackCli::packageOf(const std::string& program) const {
    const auto bytes = readBytes(path(program));
    const auto& stub = realStub();
    EXPECT_GT(bytes.size(), stub.size());
    if (bytes.size() <= stub.size()) return {};
    EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bytes.begin())) << "the stub is copied unchanged";
    return {bytes.begin() + std::ptrdiff_t(stub.size()), bytes.end()};
}

void PackCli::writeProgram(const std::string& name, const std::vector<uint8_t>& package) const {
    auto bytes = realStub();
    bytes.insert(bytes.end(), package.begin(), package.end());
    writeBytes(path(name), bytes);
}

std::vector<std::string> PackCli::listing() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
        const std::string name = fs::relative(entry.path(), dir_).string();
        if (name != ".stdout" && name != ".stderr") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void insertExifOrientation(const fs::path& from, const fs::path& to, uint8_t orientation) {
    const std::vector<uint8_t> exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                                       0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0};
    auto bytes = readBytes(from);
    bytes.insert(bytes.begin() + 2, exif.begin(), exif.end());
    writeBytes(to, bytes);
}

}  // namespace vistello::test
