// make, info and extract: what they store, show and give back, and the command-line conventions.
#include <algorithm>

#include "app/byte_source.h"
#include "app/package_bytes.h"
#include "app/package_reader.h"
#include "cli_support.h"

namespace vistello::test {
namespace {

using Pack = PackCli;

TEST_F(Pack, MakeStoresEverySettingAndInfoShowsIt) {
    writeText(path("a.txt"), "abc");
    fs::create_directory(path("sub"));
    writeText(path("sub/b.bin"), "");
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
                             "z-order:          3 (always at the bottom)", "start position:   2 (top-right)",
                             "caption mode:     -1 (no title bar)", "auto comment:     1", "link timing:      2",
                             "link target:      *\\readme.txt", "link parameters:  -x", "enclosed files:   2",
                             "a.txt  3 bytes", "b.bin  0 bytes", "picture size:     480 x 360",
                             "program shows:    the picture whole"}) {
        EXPECT_NE(info.out.find(line), std::string::npos) << "missing: " << line << "\n" << info.out;
    }
    const std::string pictureLine = "picture:          JPEG, " + std::to_string(picture_.size()) + " bytes";
    EXPECT_NE(info.out.find(pictureLine), std::string::npos) << info.out;
    const std::string offsetLine = "package offset:   " + std::to_string(realStub().size());
    EXPECT_NE(info.out.find(offsetLine), std::string::npos) << info.out;

    const ToolRun json = run({"info", "--json", "out.exe"});
    ASSERT_EQ(json.status, 0) << json.err;
    for (const char* field : {"\"windowTitle\":\"タイトル\"", "\"comment\":\"一行目\\r\\n二行目\"", "\"autoExitSeconds\":5",
                              "\"zOrderMode\":3", "\"startPosition\":2", "\"captionMode\":-1", "\"linkTiming\":2",
                              "\"linkTarget\":\"*\\\\readme.txt\"", "\"width\":480", "\"shownWhole\":true",
                              "{\"name\":\"a.txt\",", "\"size\":3}"}) {
        EXPECT_NE(json.out.find(field), std::string::npos) << "missing: " << field << "\n" << json.out;
    }
}

TEST_F(Pack, MakeWithoutOptionsWritesTheDefaults) {
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

TEST_F(Pack, ExtractGivesBackThePictureAndFilesByteForByte) {
    std::vector<uint8_t> big(3 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = uint8_t(i * 13 + i / 4096);
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

PackageBytes headWithOneFile(const std::vector<uint8_t>& picture, const std::string& name) {
    PackageBytes p;
    p.text("").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(1);
    p.int32(int32_t(picture.size())).raw(picture).int32(1).text(name).int32(2).raw({'h', 'i'});
    return p;
}

TEST_F(Pack, ExtractMakesSubfoldersButRefusesNamesLeavingTheFolder) {
    fs::create_directory(path("files"));
    writeProgram("sub.exe", headWithOneFile(picture_, "docs\\read.txt").bytes());
    ASSERT_EQ(run({"extract", "sub.exe", "--files", "files"}).status, 0);
    EXPECT_EQ(readText(path("files/docs/read.txt")), "hi");

    for (const char* name : {"..\\evil.txt", "\\evil.txt", "c:evil.txt", "docs\\..\\..\\evil.txt", ". .\\evil.txt"}) {
        SCOPED_TRACE(name);
        writeProgram("evil.exe", headWithOneFile(picture_, name).bytes());
        const ToolRun refused = run({"extract", "evil.exe", "--files", "files"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find("would leave the folder"), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(path("evil.txt")));
    }
}

// The tag may stand in a title or an enclosed file (another picture program, the stub itself):
// only the one inside the program's own image counts, as it does for the program.
TEST_F(Pack, ProgramsCarryingTheTagOrOtherProgramsAreReadBack) {
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "inner.exe", "--title", "inner"}).status, 0);
    const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "outer.exe", "--title", "VISTELLO:PKGOFS",
                              "--comment", "VISTELLO:PKGOFS", "--enclose", "stub.exe", "--enclose", "inner.exe"});
    ASSERT_EQ(made.status, 0) << made.err;
    const ToolRun info = run({"info", "outer.exe"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("window title:     VISTELLO:PKGOFS"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("stub.exe  " + std::to_string(realStub().size()) + " bytes"), std::string::npos) << info.out;
    fs::create_directory(path("back"));
    const ToolRun extracted = run({"extract", "outer.exe", "--files", "back"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(readBytes(path("back/stub.exe")), realStub());
    EXPECT_EQ(readBytes(path("back/inner.exe")), readBytes(path("inner.exe")));
    EXPECT_NE(run({"info", "back/inner.exe"}).out.find("window title:     inner"), std::string::npos);
    // And the enclosed stub, as a stub, makes programs of its own.
    EXPECT_EQ(run({"make", "--stub", "back/stub.exe", "pic.jpg", "-o", "again.exe"}).status, 0);
}

TEST_F(Pack, RefusesBadInputWithStatusOneAndNamesTheCause) {
    writeText(path("notes.txt"), "hello");
    auto unstamped = realStub();
    const std::string tag = "VISTELLO:PKGOFS";
    const auto at = std::search(unstamped.begin(), unstamped.end(), tag.begin(), tag.end());
    ASSERT_NE(at, unstamped.end());
    *at = 'X';
    writeBytes(path("untagged.exe"), unstamped);
    // A stub whose constant holds another length than its own (the stub has no symbol table
    // to cut, so the constant is changed instead).
    auto restamped = realStub();
    const auto constant = std::search(restamped.begin(), restamped.end(), tag.begin(), tag.end()) + ptrdiff_t(tag.size() + 1);
    constant[4] = uint8_t(constant[4] + 10);  // the low word's first byte
    writeBytes(path("short.exe"), restamped);
    writeText(path("dup.txt"), "x");
    fs::create_directory(path("d"));
    writeText(path("d/DUP.txt"), "y");
    const struct {
        const char* name;
        std::vector<std::string> args;
        const char* cause;
    } cases[] = {
        {"picture neither JPEG nor BMP", {"make", "--stub", "stub.exe", "notes.txt", "-o", "o.exe"}, "FF D8"},
        {"stub without the constant", {"make", "--stub", "untagged.exe", "pic.jpg", "-o", "o.exe"}, "no package-offset constant"},
        {"stub that is no program", {"make", "--stub", "notes.txt", "pic.jpg", "-o", "o.exe"}, "not a Windows program"},
        {"stub stamped with another length", {"make", "--stub", "short.exe", "pic.jpg", "-o", "o.exe"}, "not stamped with its own length"},
        {"missing stub", {"make", "--stub", "none.exe", "pic.jpg", "-o", "o.exe"}, "none.exe: cannot open"},
        {"missing picture", {"make", "--stub", "stub.exe", "none.jpg", "-o", "o.exe"}, "none.jpg: cannot open"},
        {"a folder as picture", {"make", "--stub", "stub.exe", "d", "-o", "o.exe"}, "is a folder"},
        {"enclosed names alike but for case",
         {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--enclose", "dup.txt", "--enclose", "d/DUP.txt"},
         "only in letter case"},
        {"info on a bare stub", {"info", "stub.exe"}, "carries no picture package"},
        {"info on a picture", {"info", "pic.jpg"}, "not a Windows program"},
        {"extract from a bare stub", {"extract", "stub.exe", "--picture", "p.jpg"}, "carries no picture package"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.cause), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(path("o.exe"))) << "nothing written on a refusal";
    EXPECT_FALSE(fs::exists(path("p.jpg")));
}

TEST_F(Pack, InfoReportsEveryTruncatedPackageAsDamaged) {
    // A few bytes of picture (packed with --force) keep the cut-at-every-byte loop short.
    writeBytes(path("tiny.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    writeText(path("f.txt"), "ab");
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "tiny.jpg", "-o", "full.exe", "--force", "--title", "t", "--link",
                   "x", "--enclose", "f.txt"})
                  .status,
              0);
    const auto full = readBytes(path("full.exe"));
    for (size_t length = realStub().size() + 1; length < full.size(); ++length) {
        SCOPED_TRACE("cut to " + std::to_string(length) + " bytes");
        writeBytes(path("cut.exe"), {full.begin(), full.begin() + std::ptrdiff_t(length)});
        const ToolRun result = run({"info", "cut.exe"});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("damaged package"), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

TEST_F(Pack, CommandLineConventions) {
    const struct {
        const char* name;
        std::vector<std::string> args;
        int status;
        const char* says;
    } cases[] = {
        {"unknown command", {"pack"}, 2, "unknown command 'pack'"},
        {"unknown option", {"make", "pic.jpg", "-o", "o.exe", "--colour", "red"}, 2, "unknown option '--colour'"},
        {"no output", {"make", "pic.jpg"}, 2, "no output given"},
        {"option without its value", {"make", "pic.jpg", "-o"}, 2, "--output needs a value"},
        {"two pictures", {"make", "pic.jpg", "pic.jpg", "-o", "o.exe"}, 2, "more than one picture"},
        {"a single-value option twice", {"make", "pic.jpg", "-o", "o.exe", "--title", "a", "--title=b"}, 2,
         "--title is given twice ('a' and 'b')"},
        {"link parameters without a link", {"make", "pic.jpg", "-o", "o.exe", "--link-params", "x"}, 2, "need --link"},
        {"unknown z-order", {"make", "pic.jpg", "-o", "o.exe", "--z-order", "middle"}, 2, "(normal, top or bottom)"},
        {"unknown position", {"make", "pic.jpg", "-o", "o.exe", "--position=left"}, 2,
         "(top-left, top-right, centre, center, bottom-left or bottom-right)"},
        {"unknown link time", {"make", "pic.jpg", "-o", "o.exe", "--link", "x", "--link-when", "never"}, 2, "(start or close)"},
        {"negative auto exit", {"make", "pic.jpg", "-o", "o.exe", "--auto-exit", "-1"}, 2, "from 0 to 2147483647"},
        {"auto exit beyond int32", {"make", "pic.jpg", "-o", "o.exe", "--auto-exit", "2147483648"}, 2, "from 0 to"},
        {"comment twice", {"make", "pic.jpg", "-o", "o.exe", "--comment", "a", "--comment-file", "b"}, 2, "exclude each other"},
        {"a flag with a value", {"make", "pic.jpg", "-o", "o.exe", "--force=yes"}, 2, "--force takes no value"},
        {"a display depth that means nothing", {"decode", "pic.jpg", "o.bmp", "--display-depth", "16"}, 2, "(8 or 24)"},
        {"info without program", {"info"}, 2, "no program given"},
        {"extract without a target", {"extract", "x.exe"}, 2, "give --picture or --files"},
        {"tool help", {"--help"}, 0, "Usage: vistello-pack COMMAND"},
        {"help alone", {"help"}, 0, "Usage: vistello-pack COMMAND"},
        {"make help", {"make", "--help"}, 0, "Usage: vistello-pack make"},
        {"help make", {"help", "make"}, 0, "Usage: vistello-pack make"},
        {"help decode", {"help", "decode"}, 0, "Usage: vistello-pack decode"},
        {"info help", {"info", "-h"}, 0, "Usage: vistello-pack info"},
        {"help for nothing", {"help", "pack"}, 2, "unknown command 'pack'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ToolRun result = run(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_NE((c.status == 0 ? result.out : result.err).find(c.says), std::string::npos) << result.out << result.err;
    }
    if (!windows()) {  // without arguments vistello-pack.exe answers in a message box (tests/win)
        const ToolRun bare = run({});
        EXPECT_EQ(bare.status, 2);
        EXPECT_NE(bare.err.find("Usage: vistello-pack COMMAND"), std::string::npos) << bare.err;
    }
    EXPECT_FALSE(fs::exists(path("o.exe")));
    EXPECT_EQ(run({"help", "make"}).out, run({"make", "--help"}).out);
}

TEST_F(Pack, OptionValuesAfterEqualsAndPathsAfterDoubleDash) {
    fs::copy_file(path("pic.jpg"), path("-pic.jpg"));
    const ToolRun made = run({"make", "--stub=stub.exe", "--output=o.exe", "--title=a=b", "--", "-pic.jpg"});
    ASSERT_EQ(made.status, 0) << made.err;
    PackageBytes expected;
    expected.text("a=b").text("").text("").int32(0).int32(1).int32(3).int32(0).int32(0);
    expected.int32(-1).int32(-1).int32(int32_t(picture_.size())).raw(picture_);
    EXPECT_EQ(packageOf("o.exe"), expected.bytes());
    const ToolRun version = run({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vistello-pack " VISTELLO_PROJECT_VERSION "\n");
}

TEST_F(Pack, PacksTheShippedSamples) {
    for (const char* sample : {"sample.jpg", "sample.bmp"}) {
        SCOPED_TRACE(sample);
        const std::string source = std::string(VISTELLO_SAMPLES_DIR) + "/" + sample;
        const ToolRun made = run({"make", "--stub", "stub.exe", source, "-o", "s.exe", "--title", "Sample"});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.err, "") << "the samples are shown whole, without warnings";
        const auto bytes = packageOf("s.exe");
        MemoryByteSource package(bytes);
        int32_t pictureLength = 0;
        ASSERT_TRUE(walkToPicture(package, pictureLength));
        EXPECT_EQ(uint64_t(pictureLength), fs::file_size(source));
    }
}

}  // namespace
}  // namespace vistello::test
