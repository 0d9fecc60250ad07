// vistello-pack run as its users run it: as a process, on files, judged by exit status, output
// and the bytes it writes.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/byte_source.h"
#include "app/package_bytes.h"
#include "app/package_offset.h"
#include "app/package_reader.h"

extern char** environ;

namespace vistello {
namespace {

namespace fs = std::filesystem;
using test::PackageBytes;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

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

// A program stub as the build makes one: arbitrary code bytes around the tagged package-offset
// constant, stamped with the stub's own length.
std::vector<uint8_t> fakeStub(size_t length = 300) {
    std::vector<uint8_t> stub(length, 0xCC);
    stub[0] = 'M';
    stub[1] = 'Z';
    const size_t tagAt = 100;
    std::copy(std::begin(packageOffsetTag), std::end(packageOffsetTag), stub.begin() + tagAt);
    storePackageOffset(length, std::span<uint8_t, packageOffsetSize>(stub.data() + tagAt + sizeof packageOffsetTag, packageOffsetSize));
    return stub;
}

class PackCli : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vistello-pack-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        writeBytes(dir_ / "stub.exe", fakeStub());
        // A picture the program displays whole, so make's picture check lets it through.
        picture_ = readBytes(fs::path(VISTELLO_SAMPLES_DIR) / "sample.jpg");
        ASSERT_GT(picture_.size(), 1000u);
        writeBytes(dir_ / "pic.jpg", picture_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    fs::path path(const std::string& name) const { return dir_ / name; }

    // Runs the tool in the test's folder with the given arguments.
    ToolRun run(std::vector<std::string> args) const {
        args.insert(args.begin(), VISTELLO_PACK_PATH);
        std::vector<char*> argv;
        for (auto& arg : args) argv.push_back(arg.data());
        argv.push_back(nullptr);
        const auto outPath = dir_ / "stdout.txt", errPath = dir_ / "stderr.txt";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addchdir_np(&actions, dir_.c_str());
        ToolRun result;
        pid_t pid = 0;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        result.out = readText(outPath);
        result.err = readText(errPath);
        return result;
    }

    // The package behind the stub in a program the tool wrote.
    std::vector<uint8_t> packageOf(const std::string& program) const {
        const auto bytes = readBytes(path(program));
        const auto stub = fakeStub();
        EXPECT_GT(bytes.size(), stub.size());
        EXPECT_TRUE(std::equal(stub.begin(), stub.end(), bytes.begin())) << "the stub is copied unchanged";
        return {bytes.begin() + std::ptrdiff_t(stub.size()), bytes.end()};
    }

    fs::path dir_;
    std::vector<uint8_t> picture_;
};

TEST_F(PackCli, MakeStoresEverySettingAndInfoShowsIt) {
    writeBytes(path("a.txt"), {'a', 'b', 'c'});
    fs::create_directory(path("sub"));
    writeBytes(path("sub/b.bin"), {});
    const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "out.exe", "--title", "タイトル",
                          "--work-title", "作品", "--comment", "一行目\n二行目", "--auto-exit", "5", "--z-order",
                          "bottom", "--position", "top-right", "--no-caption", "--auto-comment", "--link",
                          "*\\readme.txt", "--link-params", "-x", "--link-when", "close", "--enclose", "a.txt",
                          "--enclose", "sub/b.bin"});
    ASSERT_EQ(made.status, 0) << made.err;

    // タイトル and 作品 in code page 932, and the comment with a CR LF break.
    PackageBytes expected;
    expected.text("\x83\x5E\x83\x43\x83\x67\x83\x8B").text("\x8D\xEC\x95\x69");
    expected.text("\x88\xEA\x8D\x73\x96\xDA\r\n\x93\xF1\x8D\x73\x96\xDA");
    expected.int32(5).int32(3).int32(2).int32(-1).int32(1);
    expected.int32(1).int32(2).text("*\\readme.txt").text("-x");
    expected.int32(1).int32(int32_t(picture_.size())).raw(picture_);
    expected.int32(2).text("a.txt").int32(3).raw({'a', 'b', 'c'}).text("b.bin").int32(0);
    EXPECT_EQ(packageOf("out.exe"), expected.bytes());

    const ToolRun info = run({"info", "out.exe"});
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char* line : {"window title:     タイトル", "work title:       作品",
                             "comment:          一行目\n                  二行目", "auto exit:        5 seconds",
                             "z-order:          3", "start position:   2", "caption mode:     -1",
                             "auto comment:     1", "link timing:      2", "link target:      *\\readme.txt",
                             "link parameters:  -x", "enclosed files:   2",
                             "a.txt  3 bytes", "b.bin  0 bytes", "package offset:   300"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << "missing: " << line << "\n" << info.out;
    }
    const std::string pictureLine = "picture:          JPEG, " + std::to_string(picture_.size()) + " bytes";
    EXPECT_NE(info.out.find(pictureLine), std::string::npos) << info.out;
}

TEST_F(PackCli, MakeWithoutOptionsWritesTheDefaults) {
    const ToolRun made = run({"make", "pic.jpg", "--stub", "stub.exe", "-o", "out.exe"});
    ASSERT_EQ(made.status, 0) << made.err;
    PackageBytes expected;
    expected.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0);
    expected.int32(-1).int32(-1).int32(int32_t(picture_.size())).raw(picture_);  // no link items, no enclosed files
    EXPECT_EQ(packageOf("out.exe"), expected.bytes());

    const ToolRun info = run({"info", "out.exe"});
    EXPECT_EQ(info.status, 0);
    EXPECT_NE(info.out.find("enclosed files:   none"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("auto exit:        never (0)"), std::string::npos) << info.out;
}

TEST_F(PackCli, ExtractGivesBackThePictureAndFilesByteForByte) {
    std::vector<uint8_t> big(70000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 13);
    writeBytes(path("big.bin"), big);
    const auto bmp = readBytes(fs::path(VISTELLO_SAMPLES_DIR) / "sample.bmp");
    writeBytes(path("pic.bmp"), bmp);
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.bmp", "-o", "out.exe", "--enclose", "big.bin"}).status, 0);
    fs::create_directory(path("files"));
    const ToolRun extracted = run({"extract", "out.exe", "--picture", "back.bmp", "--files", "files"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(readBytes(path("back.bmp")), bmp);
    EXPECT_EQ(readBytes(path("files/big.bin")), big);
}

TEST_F(PackCli, ExtractMakesSubfoldersButRefusesNamesLeavingTheFolder) {
    const auto programWith = [&](const std::string& name) {
        auto bytes = fakeStub();
        PackageBytes p;
        p.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1);
        p.int32(int32_t(picture_.size())).raw(picture_).int32(1).text(name).int32(2).raw({'h', 'i'});
        bytes.insert(bytes.end(), p.bytes().begin(), p.bytes().end());
        return bytes;
    };
    fs::create_directory(path("files"));
    writeBytes(path("sub.exe"), programWith("docs\\read.txt"));
    ASSERT_EQ(run({"extract", "sub.exe", "--files", "files"}).status, 0);
    EXPECT_EQ(readBytes(path("files/docs/read.txt")), (std::vector<uint8_t>{'h', 'i'}));

    writeBytes(path("evil.exe"), programWith("..\\evil.txt"));
    const ToolRun refused = run({"extract", "evil.exe", "--files", "files"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("leave"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(path("evil.txt")));
}

TEST_F(PackCli, RefusesBadInputWithStatusOneAndNamesTheCause) {
    writeBytes(path("notes.txt"), {'h', 'e', 'l', 'l', 'o'});
    writeBytes(path("unstamped.exe"), std::vector<uint8_t>(fakeStub().size() + 1, 0xCC));
    auto wrongStamp = fakeStub();
    wrongStamp.push_back(0);
    writeBytes(path("wrongstamp.exe"), wrongStamp);
    writeBytes(path("dup.txt"), {'x'});
    fs::create_directory(path("d"));
    writeBytes(path("d/dup.txt"), {'y'});
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* cause;
    } cases[] = {
        {"picture neither JPEG nor BMP", {"make", "--stub", "stub.exe", "notes.txt", "-o", "o.exe"}, "FF D8"},
        {"title outside code page 932", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--title", "€"}, "--title"},
        {"yen sign only maps one way", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--comment", "¥"}, "--comment"},
        {"link outside code page 932", {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--link", "😀"}, "--link"},
        {"stub without the constant", {"make", "--stub", "unstamped.exe", "pic.jpg", "-o", "o.exe"}, "not a program stub"},
        {"stub not matching its stamp", {"make", "--stub", "wrongstamp.exe", "pic.jpg", "-o", "o.exe"}, "already carries"},
        {"missing stub", {"make", "--stub", "none.exe", "pic.jpg", "-o", "o.exe"}, "none.exe"},
        {"missing picture", {"make", "--stub", "stub.exe", "none.jpg", "-o", "o.exe"}, "none.jpg"},
        {"two enclosed files of one name",
         {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--enclose", "dup.txt", "--enclose", "d/dup.txt"}, "dup.txt"},
        {"info on a bare stub", {"info", "stub.exe"}, "no picture package"},
        {"info on a picture", {"info", "pic.jpg"}, "not a picture program"},
        {"extract from a bare stub", {"extract", "stub.exe", "--picture", "p.jpg"}, "no picture package"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.cause), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(path("o.exe"))) << "nothing written on a refusal";
}

// Pictures the program would not display whole, made from the sample with the reference tools.
TEST_F(PackCli, MakeRefusesPicturesTheProgramWouldNotShowWholeUnlessForced) {
    const std::string sample = (fs::path(VISTELLO_SAMPLES_DIR) / "sample.jpg").string();
    ASSERT_EQ(std::system(("jpegtran -arithmetic " + sample + " > " + path("arith.jpg").string()).c_str()), 0);
    // Quality 5 needs 16-bit quantisation tables: libjpeg then writes an extended (SOF1) frame.
    ASSERT_EQ(std::system(("djpeg " + sample + " | cjpeg -quality 5 2>/dev/null > " + path("sof1.jpg").string()).c_str()), 0);
    std::vector<uint8_t> cut(picture_.begin(), picture_.begin() + std::ptrdiff_t(picture_.size() / 2));
    writeBytes(path("cut.jpg"), cut);
    writeBytes(path("noframe.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    const struct {
        const char* picture;
        const char* cause;
    } cases[] = {
        {"arith.jpg", "Can not draw:M_DAC"},  // arithmetic coding announces its tables first
        {"sof1.jpg", "この画像ファイルには対応していません。"},
        {"cut.jpg", "stops before the end"},
        {"noframe.jpg", "no frame header"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const ToolRun refused = run({"make", "--stub", "stub.exe", c.picture, "-o", "o.exe"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(c.cause), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(path("o.exe")));
        const ToolRun forced = run({"make", "--stub", "stub.exe", c.picture, "-o", "o.exe", "--force"});
        EXPECT_EQ(forced.status, 0) << forced.err;
        fs::remove(path("o.exe"));
    }
}

TEST_F(PackCli, ForcePacksAPictureTheCheckRefuses) {
    writeBytes(path("notes.txt"), {'h', 'i'});
    const ToolRun forced = run({"make", "--stub", "stub.exe", "notes.txt", "-o", "o.exe", "--force"});
    ASSERT_EQ(forced.status, 0) << forced.err;
    const ToolRun info = run({"info", "o.exe"});
    EXPECT_NE(info.out.find("picture:          unknown, 2 bytes"), std::string::npos) << info.out;
}

// A file-size limit, inherited by the tool, makes its write fail part way like a full disk.
TEST_F(PackCli, AFailedWriteIsReportedAndLeavesNoHalfWrittenProgram) {
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 200;  // below the stub's 300 bytes, above the tool's error message
    const auto savedSignal = signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const ToolRun result = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe"});
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot write"), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(path("o.exe")));
}

TEST_F(PackCli, InfoReportsEveryTruncatedPackageAsDamaged) {
    // A few bytes of picture (packed with --force) keep the cut-at-every-byte loop short.
    writeBytes(path("tiny.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    writeBytes(path("f.txt"), {'a', 'b'});
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "tiny.jpg", "-o", "full.exe", "--force", "--title", "t", "--link",
                   "x", "--enclose", "f.txt"})
                  .status,
              0);
    const auto full = readBytes(path("full.exe"));
    for (size_t length = fakeStub().size() + 1; length < full.size(); ++length) {
        SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
        writeBytes(path("cut.exe"), {full.begin(), full.begin() + std::ptrdiff_t(length)});
        const ToolRun result = run({"info", "cut.exe"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("damaged package"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(PackCli, UsageErrorsGiveStatusTwoAndHelpGivesZero) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {"no command", {}, 2},
        {"unknown command", {"pack"}, 2},
        {"unknown option", {"make", "pic.jpg", "-o", "o.exe", "--colour", "red"}, 2},
        {"no output", {"make", "pic.jpg"}, 2},
        {"option without its value", {"make", "pic.jpg", "-o"}, 2},
        {"two pictures", {"make", "pic.jpg", "pic.jpg", "-o", "o.exe"}, 2},
        {"link parameters without a link", {"make", "pic.jpg", "-o", "o.exe", "--link-params", "x"}, 2},
        {"unknown z-order", {"make", "pic.jpg", "-o", "o.exe", "--z-order", "middle"}, 2},
        {"unknown position", {"make", "pic.jpg", "-o", "o.exe", "--position", "left"}, 2},
        {"negative auto exit", {"make", "pic.jpg", "-o", "o.exe", "--auto-exit", "-1"}, 2},
        {"auto exit beyond int32", {"make", "pic.jpg", "-o", "o.exe", "--auto-exit", "2147483648"}, 2},
        {"comment twice", {"make", "pic.jpg", "-o", "o.exe", "--comment", "a", "--comment-file", "b"}, 2},
        {"info without program", {"info"}, 2},
        {"extract without a target", {"extract", "x.exe"}, 2},
        {"tool help", {"--help"}, 0},
        {"make help", {"make", "--help"}, 0},
        {"info help", {"info", "--help"}, 0},
        {"extract help", {"extract", "-h"}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        if (c.status == 0) EXPECT_EQ(result.out.rfind("Usage: vistello-pack", 0), 0u) << result.out;
        else EXPECT_NE(result.err.find("vistello-pack"), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(path("o.exe")));
}

TEST_F(PackCli, PacksTheShippedSamples) {
    for (const char* sample : {"sample.jpg", "sample.bmp"}) {
        SCOPED_TRACE(sample);
        const std::string source = std::string(VISTELLO_SAMPLES_DIR) + "/" + sample;
        const ToolRun made = run({"make", "--stub", "stub.exe", source, "-o", "s.exe", "--title", "Sample"});
        ASSERT_EQ(made.status, 0) << made.err;
        const auto bytes = packageOf("s.exe");
        MemoryByteSource package(bytes);
        int32_t pictureLength = 0;
        ASSERT_TRUE(walkToPicture(package, pictureLength));
        EXPECT_EQ(uint64_t(pictureLength), fs::file_size(source));
    }
}

}  // namespace
}  // namespace vistello
