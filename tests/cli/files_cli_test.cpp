// What the tool does to files: it never loses one, never writes through a link or over one of
// its inputs, extracts all or nothing, and stays bounded on inputs of any size or kind.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/package_bytes.h"
#include "cli_support.h"

namespace vistello::test {
namespace {

using Files = PackCli;
// What only a Linux tool meets: Wine neither makes junctions nor shows a symbolic link as one.
using LinuxFiles = PackCli;

constexpr long boundedResidentKb = 64 * 1024;

// The temporary files the tool writes beside a target: ".NAME.XXXXXXXX.tmp".
bool hasTemporary(const std::vector<std::string>& names) {
    for (const auto& name : names) {
        const std::string base = fs::path(name).filename().string();
        if (base.size() > 4 && base[0] == '.' && base.compare(base.size() - 4, 4, ".tmp") == 0) return true;
    }
    return false;
}

PackageBytes packageWithFiles(const std::vector<uint8_t>& picture, const std::vector<std::pair<std::string, std::string>>& files) {
    PackageBytes p;
    p.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1);
    p.int32(int32_t(picture.size())).raw(picture).int32(int32_t(files.size()));
    for (const auto& [name, contents] : files) p.text(name).int32(int32_t(contents.size())).raw({contents.begin(), contents.end()});
    return p;
}

// A write that fails part way (here: a file-size limit, as a full disk would) leaves the file
// it was to replace as it was, and no temporary file.
TEST_F(Files, AFailedWriteKeepsTheOldFile) {
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "prev.exe", "--title", "old", "--enclose", "stub.exe"}).status, 0);
    fs::create_directory(path("out"));
    const auto before = readBytes(path("prev.exe"));
    const auto names = listing();
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"make", "--stub", "stub.exe", "pic.jpg", "-o", "prev.exe", "--title", "new"},
             {"extract", "prev.exe", "--picture", "pic2.jpg", "--files", "out"},
             {"decode", "pic.jpg", "prev.exe"}}) {
        SCOPED_TRACE(args[0]);
        const ToolRun result = run(args, {200 << 10});
        EXPECT_EQ(result.status, 1) << result.err;
        EXPECT_EQ(result.signal, 0) << "the file-size signal does not end the tool";
        EXPECT_NE(result.err.find(windows() ? "cannot write" : "File too large"), std::string::npos) << result.err;
        EXPECT_EQ(readBytes(path("prev.exe")), before);
        EXPECT_EQ(listing(), names) << "nothing left behind";
    }
}

TEST_F(Files, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "p.exe"}).status, 0);
    // A program whose enclosed file carries the program's own name, extracted beside itself.
    writeProgram("q.exe", packageWithFiles(picture_, {{"q.exe", "x"}}).bytes());
    fs::create_directory(path("sub"));
    fs::create_hard_link(path("pic.jpg"), path("sub/hard.jpg"));
    fs::create_symlink("../pic.jpg", path("sub/link.jpg"));
    writeText(path("c.txt"), "comment");
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* input;
    } cases[] = {
        {"make over its picture", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "pic.jpg"}, "pic.jpg"},
        {"another spelling", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "./sub/../pic.jpg"}, "pic.jpg"},
        {"a hard link", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "sub/hard.jpg"}, "pic.jpg"},
        {"a symbolic link", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "sub/link.jpg"}, "pic.jpg"},
        {"make over its stub", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "stub.exe"}, "stub.exe"},
        {"make over an enclosed file", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "c.txt", "--enclose", "c.txt"}, "c.txt"},
        {"make over its comment file", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "c.txt", "--comment-file", "c.txt"}, "c.txt"},
        {"decode over its picture", {"decode", "pic.jpg", "pic.jpg"}, "pic.jpg"},
        {"extract over its program", {"extract", "p.exe", "--picture", "p.exe"}, "p.exe"},
        {"extract an enclosed file over its program", {"extract", "q.exe", "--files", "."}, "q.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = readBytes(path(c.input));
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("is the same file as"), std::string::npos) << result.err;
        EXPECT_EQ(readBytes(path(c.input)), before);
    }
}

TEST_F(LinuxFiles, SymbolicLinksBelowTheFolderAreNeverFollowed) {
    fs::create_directories(path("out"));
    fs::create_directories(path("elsewhere"));
    writeText(path("elsewhere/x.txt"), "keep");
    fs::create_directory_symlink("../elsewhere", path("out/link"));
    fs::create_symlink("../elsewhere/x.txt", path("out/f.txt"));
    const struct {
        const char* name;
        const char* stored;
    } cases[] = {
        {"a folder link on the way", "link\\x.txt"},
        {"a folder link with a new file", "link\\new.txt"},
        {"a file link", "f.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeProgram("p.exe", packageWithFiles(picture_, {{"ok.txt", "fine"}, {c.stored, "evil"}}).bytes());
        const ToolRun result = run({"extract", "p.exe", "--files", "out"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("symbolic link"), std::string::npos) << result.err;
        EXPECT_EQ(readText(path("elsewhere/x.txt")), "keep");
        EXPECT_FALSE(fs::exists(path("elsewhere/new.txt")));
        EXPECT_FALSE(fs::exists(path("out/ok.txt"))) << "nothing of a refused extraction is written";
        EXPECT_TRUE(fs::is_symlink(path("out/f.txt")));
    }
}

// Every output of one run is written to a temporary file first; they replace their targets
// only when all are complete, so a refusal late in the run leaves the folder as it was.
TEST_F(Files, AnExtractionHappensWholeOrNotAtAll) {
    fs::create_directory(path("out"));
    writeText(path("out/locked.txt"), "old");
    fs::permissions(path("out/locked.txt"), fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    writeProgram("p.exe", packageWithFiles(picture_, {{"new\\deep\\a.txt", "a"}, {"b.txt", "b"}, {"locked.txt", "x"}}).bytes());
    writeProgram("q.exe", packageWithFiles(picture_, {{"new\\a.txt", "a"}, {"..\\b.txt", "b"}}).bytes());
    writeProgram("r.exe", packageWithFiles(picture_, {{"A.txt", "a"}, {"dir\\x", "b"}, {"a.TXT", "c"}}).bytes());
    const auto before = listing();
    const ToolRun readOnly = run({"extract", "p.exe", "--picture", "out/p.jpg", "--files", "out"});
    EXPECT_EQ(readOnly.status, 1);
    EXPECT_NE(readOnly.err.find(joined("out", "locked.txt") + " is read-only"), std::string::npos) << readOnly.err;
    EXPECT_EQ(listing(), before) << "no picture, no file, no folder made, no temporary file";
    EXPECT_EQ(readText(path("out/locked.txt")), "old");

    const ToolRun badName = run({"extract", "q.exe", "--picture", "out/q.jpg", "--files", "out"});
    EXPECT_EQ(badName.status, 1);
    EXPECT_EQ(listing(), before);

    const ToolRun twice = run({"extract", "r.exe", "--files", "out"});
    EXPECT_EQ(twice.status, 1);
    EXPECT_NE(twice.err.find("two enclosed files have the name"), std::string::npos) << twice.err;
    EXPECT_EQ(listing(), before);

    fs::remove(path("out/locked.txt"));
    const ToolRun whole = run({"extract", "p.exe", "--picture", "out/p.jpg", "--files", "out"});
    ASSERT_EQ(whole.status, 0) << whole.err;
    EXPECT_EQ(readText(path("out/new/deep/a.txt")), "a");
    EXPECT_EQ(readBytes(path("out/p.jpg")), picture_);
}

TEST_F(Files, ReadOnlyTargetsAndNoClobberAreRespected) {
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "p.exe", "--enclose", "pic.jpg"}).status, 0);
    writeText(path("ro.exe"), "old");
    fs::permissions(path("ro.exe"), fs::perms::owner_read);
    writeText(path("there.bmp"), "old");
    fs::create_directory(path("out"));
    writeText(path("out/pic.jpg"), "old");
    fs::create_directory(path("folder.exe"));
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* target;  // stays as it was
        const char* says;
    } cases[] = {
        {"make over a read-only file", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "ro.exe"}, "ro.exe", "is read-only"},
        {"decode over a read-only file", {"decode", "pic.jpg", "ro.exe"}, "ro.exe", "is read-only"},
        {"extract over a read-only file", {"extract", "p.exe", "--picture", "ro.exe"}, "ro.exe", "is read-only"},
        {"make --no-clobber", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "there.bmp", "--no-clobber"}, "there.bmp", "--no-clobber"},
        {"decode --no-clobber", {"decode", "pic.jpg", "there.bmp", "--no-clobber"}, "there.bmp", "--no-clobber"},
        {"extract --no-clobber", {"extract", "p.exe", "--files", "out", "--no-clobber"}, "out/pic.jpg", "--no-clobber"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.says), std::string::npos) << result.err;
        EXPECT_EQ(readText(path(c.target)), "old");
    }
    const ToolRun folder = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "folder.exe"});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("is not a file"), std::string::npos) << folder.err;
    EXPECT_TRUE(fs::is_directory(path("folder.exe")));
    EXPECT_EQ(run({"decode", "pic.jpg", "there.bmp"}).status, 0) << "without --no-clobber a file is replaced";
    EXPECT_NE(readText(path("there.bmp")), "old");
    EXPECT_FALSE(hasTemporary(listing()));
}

// Inputs the format cannot hold, or whose size is not known, are refused before they are read:
// quickly and in little memory, never by a signal.
TEST_F(Files, UnboundedInputsAreRefusedBeforeTheyAreRead) {
    writeText(path("sparse.bin"), "");
    ASSERT_EQ(truncate(path("sparse.bin").c_str(), off_t(5) << 30), 0);  // 5 GiB of holes
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0600), 0);
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "p.exe"}).status, 0);
    for (const std::string input : {"/dev/zero", "sparse.bin", "fifo"}) {
        const struct {
            const char* name;
            std::vector<std::string> args;
        } cases[] = {
            {"picture", {"make", "--stub", "stub.exe", input, "-o", "o.exe"}},
            {"enclosed file", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--enclose", input}},
            {"stub", {"make", "--stub", input, "pic.jpg", "-o", "o.exe"}},
            {"comment file", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--comment-file", input}},
            {"info", {"info", input}},
            {"extract", {"extract", input, "--picture", "o.jpg"}},
            {"decode", {"decode", input, "o.bmp"}},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(input + " as " + c.name);
            const ToolRun result = run(c.args);
            EXPECT_EQ(result.status, 1) << result.err;
            EXPECT_EQ(result.signal, 0);
            EXPECT_LT(result.maxResidentKb, boundedResidentKb) << result.seconds << " s";
            const bool named = result.err.find("not a regular file") != std::string::npos ||
                               result.err.find("more than") != std::string::npos ||
                               result.err.find("not a Windows program") != std::string::npos;
            EXPECT_TRUE(named) << result.err;
        }
    }
    EXPECT_FALSE(fs::exists(path("o.exe")));
}

// SIGINT and SIGTERM end the tool as they should, and take its temporary files with it: the
// old target stays as it was. Under Wine SIGINT is the console's Ctrl+C, which ends the Windows
// tool with STATUS_CONTROL_C_EXIT (SIGTERM ends a Wine process without a word to it).
TEST_F(Files, InterruptsLeaveNoTemporaryFile) {
    writeText(path("big.bin"), "");
    ASSERT_EQ(truncate(path("big.bin").c_str(), off_t(256) << 20), 0);
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "old.exe", "--enclose", "big.bin"}).status, 0);
    const auto old = readBytes(path("old.exe"));
    fs::create_directory(path("out"));
    const auto before = listing();
    const std::vector<std::vector<std::string>> runs = {
        {"make", "--stub", "stub.exe", "pic.jpg", "-o", "old.exe", "--enclose", "big.bin", "--title", "new"},
        {"extract", "old.exe", "--files", "out"}};
    const std::vector<int> signals = windows() ? std::vector<int>{SIGINT} : std::vector<int>{SIGTERM, SIGINT};
    for (const int signalNumber : signals) {
        for (const auto& args : runs) {
            SCOPED_TRACE(args[0] + " with signal " + std::to_string(signalNumber));
            const pid_t pid = start(args);
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (!hasTemporary(listing()) && std::chrono::steady_clock::now() < deadline)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            EXPECT_TRUE(hasTemporary(listing())) << "the tool made no temporary file";
            kill(pid, signalNumber);
            const ToolRun result = finish(pid);
            if (windows()) EXPECT_EQ(result.status, controlCExitStatus) << "Ctrl+C ends the tool, as it asks";
            else EXPECT_EQ(result.signal, signalNumber) << "the interrupt ends the tool, as it asks";
            EXPECT_EQ(listing(), before) << "no temporary file, nothing extracted";
            EXPECT_EQ(readBytes(path("old.exe")), old);
        }
    }
}

}  // namespace
}  // namespace vistello::test
