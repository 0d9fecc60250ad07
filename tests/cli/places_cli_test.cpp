// Where the files are: Japanese names of files and folders, paths longer than 260 characters,
// and the places a picture program cannot start from, which make warns about.
#include "cli_support.h"

namespace vistello::test {
namespace {

using Places = PackCli;

TEST_F(Places, JapaneseFileAndFolderNamesWork) {
    fs::create_directories(path("写真/出力"));
    writeBytes(path("写真/夕焼け.jpg"), picture_);
    writeText(path("写真/説明.txt"), "メモ");
    const ToolRun made = run({"make", "--stub", "stub.exe", "写真/夕焼け.jpg", "-o", "写真/夕焼け.exe", "--title", "夕焼け",
                              "--enclose", "写真/説明.txt"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "") << "no warning for a place the program starts from";
    EXPECT_EQ(made.out.find("wrote 写真/夕焼け.exe: stub "), 0u) << made.out;
    const auto package = packageOf("写真/夕焼け.exe");
    const std::string stored = "\x97\x5B\x8F\xC4\x82\xAF";  // 夕焼け in code page 932
    EXPECT_EQ(std::string(package.begin(), package.begin() + std::ptrdiff_t(stored.size())), stored);

    const ToolRun info = run({"info", "写真/夕焼け.exe"});
    ASSERT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("window title:     夕焼け"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("説明.txt  6 bytes"), std::string::npos) << info.out;

    const ToolRun extracted = run({"extract", "写真/夕焼け.exe", "--picture", "写真/出力/夕焼け.jpg", "--files", "写真/出力"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_NE(extracted.out.find("wrote " + joined("写真/出力", "説明.txt")), std::string::npos) << extracted.out;
    EXPECT_EQ(readBytes(path("写真/出力/夕焼け.jpg")), picture_);
    EXPECT_EQ(readText(path("写真/出力/説明.txt")), "メモ");

    const ToolRun decoded = run({"decode", "写真/夕焼け.jpg", "写真/出力/夕焼け.bmp"});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, "wrote 写真/出力/夕焼け.bmp (480 x 360, 24 bits per pixel)\n");
}

// Five folders of 60 characters: every path below them is longer than 300 characters.
TEST_F(Places, PathsLongerThan260CharactersWork) {
    std::string deep;
    for (const char letter : {'a', 'b', 'c', 'd', 'e'}) deep += std::string(60, letter) + "/";
    fs::create_directories(path(deep + "out"));
    writeBytes(path(deep + "pic.jpg"), picture_);
    writeText(path(deep + "notes.txt"), "deep");
    ASSERT_GT(path(deep + "pic.jpg").string().size(), 300u);

    const ToolRun made = run({"make", "--stub", "stub.exe", deep + "pic.jpg", "-o", deep + "p.exe", "--enclose", deep + "notes.txt"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.err.find("warning: " + deep + "p.exe: its full path takes "), std::string::npos) << made.err;
    EXPECT_NE(made.err.find("bytes in code page 932, more than the 259 the picture program can read, so it will not "
                            "start from there"),
              std::string::npos)
        << made.err;
    EXPECT_EQ(run({"make", "--stub", "stub.exe", deep + "pic.jpg", "-o", deep + "q.exe", "--quiet"}).err, "");

    const ToolRun info = run({"info", deep + "p.exe"});
    EXPECT_EQ(info.status, 0) << info.err;
    EXPECT_NE(info.out.find("notes.txt  4 bytes"), std::string::npos) << info.out;
    const ToolRun extracted = run({"extract", deep + "p.exe", "--picture", deep + "out/back.jpg", "--files", deep + "out"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(readBytes(path(deep + "out/back.jpg")), picture_);
    EXPECT_EQ(readText(path(deep + "out/notes.txt")), "deep");
    EXPECT_EQ(run({"decode", deep + "pic.jpg", deep + "out/pic.bmp"}).status, 0);
    EXPECT_TRUE(fs::exists(path(deep + "out/pic.bmp")));
}

TEST_F(Places, MakeWarnsOfAFolderNameTheProgramCannotStartFrom) {
    for (const auto& [folder, character] : {std::pair<std::string, std::string>{"café", "'é' (U+00E9)"},
                                            {"한국", "'한' (U+D55C)"},
                                            {"¥", "'¥' (U+00A5)"}}) {
        SCOPED_TRACE(folder);
        fs::create_directory(path(folder));
        const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", folder + "/p.exe"});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_NE(made.err.find("vistello-pack make: warning: " + folder + "/p.exe: its full path holds " + character +
                                ", which code page 932 cannot hold, so the picture program will not start from there"),
                  std::string::npos)
            << made.err;
        EXPECT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", folder + "/q.exe", "--quiet"}).err, "");
    }
}

}  // namespace
}  // namespace vistello::test
