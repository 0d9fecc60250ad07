// The Linux tool and vistello-pack.exe (under Wine) side by side: the same program files byte
// for byte; each finds its own stub without --stub; and the release archive for Windows.
#include <algorithm>

#include "cli_support.h"

namespace vistello::test {
namespace {

class BothTools : public PackCli {
protected:
    // The same command by both tools: the same status, messages and files.
    void expectTheSame(const std::vector<std::string>& args, const std::vector<std::string>& outputs) const;
};

void BothTools::expectTheSame(const std::vector<std::string>& args, const std::vector<std::string>& outputs) const {
    std::vector<std::vector<uint8_t>> nativeFiles;
    const ToolRun fromNative = runTool(Tool::native, args);
    ASSERT_EQ(fromNative.status, 0) << fromNative.err;
    for (const auto& output : outputs) {
        nativeFiles.push_back(readBytes(path(output)));
        fs::remove(path(output));
    }
    const ToolRun fromWindows = runTool(Tool::windows, args);
    ASSERT_EQ(fromWindows.status, 0) << fromWindows.err;
    EXPECT_EQ(fromWindows.out, fromNative.out);
    EXPECT_EQ(fromWindows.err, fromNative.err);
    for (size_t i = 0; i < outputs.size(); ++i) {
        EXPECT_EQ(readBytes(path(outputs[i])), nativeFiles[i]) << outputs[i] << " differs";
        EXPECT_FALSE(nativeFiles[i].empty());
    }
}

TEST_F(BothTools, MakeTheSameProgramFilesByteForByte) {
    fs::create_directory(path("写真"));
    writeText(path("写真/説明書き.txt"), "読んでね\r\n");
    std::vector<uint8_t> data(70000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = uint8_t(i * 7 + i / 256);
    writeBytes(path("写真/データ〜1.bin"), data);
    writeText(path("comment.txt"), "\xEF\xBB\xBF一行目 〜‖−—¢£¬¥\n二行目\tタブ\n");
    writeBytes(path("pic.bmp"), readBytes(fs::path(VISTELLO_SAMPLES_DIR) / "sample.bmp"));
    const std::vector<std::string> everyOption = {
        "--title", "夕焼け〜空", "--work-title", "作品 ‖ 第1集", "--comment-file", "comment.txt", "--auto-exit", "30",
        "--z-order", "top", "--position", "bottom-left", "--no-caption", "--auto-comment", "--link", "*\\読んでね.txt",
        "--link-params", "−x ¥", "--link-when", "close", "--enclose", "写真/説明書き.txt", "--enclose", "写真/データ〜1.bin"};
    for (const char* picture : {"pic.jpg", "pic.bmp"}) {
        SCOPED_TRACE(picture);
        std::vector<std::string> args = {"make", "--stub", "stub.exe", picture, "-o", "写真/出来上がり.exe"};
        args.insert(args.end(), everyOption.begin(), everyOption.end());
        expectTheSame(args, {"写真/出来上がり.exe"});
    }
    expectTheSame({"make", "--stub", "stub.exe", "pic.jpg", "-o", "m.exe", "--comment", "一行目\n二行目", "--position",
                          "centre", "--z-order", "bottom", "--link", "https://example.com/", "--link-when", "start"},
                  {"m.exe"});
    // What the tools read back agrees too: info, its JSON, and the decoded pictures.
    for (const auto& args : std::vector<std::vector<std::string>>{{"info", "m.exe"}, {"info", "--json", "写真/出来上がり.exe"}}) {
        const ToolRun fromNative = runTool(Tool::native, args);
        const ToolRun fromWindows = runTool(Tool::windows, args);
        EXPECT_EQ(fromNative.status, 0);
        EXPECT_EQ(fromWindows.out, fromNative.out);
    }
    expectTheSame({"decode", "pic.jpg", "d24.bmp"}, {"d24.bmp"});
    expectTheSame({"decode", "pic.jpg", "d8.bmp", "--display-depth", "8"}, {"d8.bmp"});
}

// Fitting is integer arithmetic throughout: both tools scale, turn and encode to the same bytes.
TEST_F(BothTools, FitTheSamePicturesByteForByte) {
    requirePrograms({"convert", "djpeg"});
    const fs::path forest = fs::path(VISTELLO_SOURCE_DIR) / "tests/data/encode/forest.jpg";
    shell("convert '" + forest.string() + "' -resize 6000x4000! -quality 90 big.jpg");
    insertExifOrientation(forest, path("phone.jpg"), 8);
    shell("djpeg -bmp pic.jpg > pic.bmp");
    expectTheSame({"make", "--stub", "stub.exe", "big.jpg", "-o", "big.exe", "--fit", "screen"}, {"big.exe"});
    expectTheSame({"make", "--stub", "stub.exe", "phone.jpg", "-o", "phone.exe", "--fit", "640x640", "--quality", "75"},
                  {"phone.exe"});
    expectTheSame({"make", "--stub", "stub.exe", "phone.jpg", "-o", "up.exe", "--upright", "--quality", "100"}, {"up.exe"});
    expectTheSame({"make", "--stub", "stub.exe", "pic.bmp", "-o", "bmp.exe", "--fit", "301x7"}, {"bmp.exe"});
}

// Copied alone into an empty folder, vistello-pack.exe makes picture programs with the stub it
// carries: the build's own vistello.exe.
TEST_F(BothTools, TheWindowsToolAloneUsesTheStubItCarries) {
    fs::create_directory(path("alone"));
    fs::copy_file(VISTELLO_PACK_EXE_PATH, path("alone/vistello-pack.exe"));
    const ToolRun made = runProgram({path("alone/vistello-pack.exe").string(), "make", "pic.jpg", "-o", "alone/p.exe"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find("stub " + std::to_string(realStub().size()) + " bytes"), std::string::npos) << made.out;
    ASSERT_EQ(runTool(Tool::native, {"make", "--stub", "stub.exe", "pic.jpg", "-o", "q.exe"}).status, 0);
    EXPECT_EQ(readBytes(path("alone/p.exe")), readBytes(path("q.exe")));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path("alone"))) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"p.exe", "vistello-pack.exe"}));
}

// The Linux tool looks for vistello.exe beside itself, then in ../share/vistello/, where
// `cmake --install` puts it; with neither it says where it looked.
TEST_F(BothTools, TheLinuxToolFindsItsStubBesideItOrInstalled) {
    shell("cmake --install '" VISTELLO_BUILD_DIR "' --prefix inst > install.log");
    EXPECT_EQ(readBytes(path("inst/share/vistello/vistello.exe")), realStub());
    const ToolRun installed = runProgram({path("inst/bin/vistello-pack").string(), "make", "pic.jpg", "-o", "a.exe"});
    ASSERT_EQ(installed.status, 0) << installed.err;
    EXPECT_EQ(packageOf("a.exe").empty(), false);

    fs::create_directory(path("lone"));
    fs::copy_file(path("inst/bin/vistello-pack"), path("lone/vistello-pack"));
    const ToolRun lone = runProgram({path("lone/vistello-pack").string(), "make", "pic.jpg", "-o", "b.exe"});
    EXPECT_EQ(lone.status, 1);
    EXPECT_NE(lone.err.find("no --stub given, and there is no vistello.exe beside the tool (" + path("lone").string() +
                            "/vistello.exe) nor in the installed place (" + path("lone").string() +
                            "/../share/vistello/vistello.exe): give --stub PATH"),
              std::string::npos)
        << lone.err;
    EXPECT_FALSE(fs::exists(path("b.exe")));
    fs::copy_file(path("stub.exe"), path("lone/vistello.exe"));
    const ToolRun beside = runProgram({path("lone/vistello-pack").string(), "make", "pic.jpg", "-o", "b.exe"});
    EXPECT_EQ(beside.status, 0) << beside.err;
    EXPECT_EQ(readBytes(path("b.exe")), readBytes(path("a.exe")));
}

std::vector<uint8_t> utf16(const std::string& ascii) {
    std::vector<uint8_t> text;
    for (const char c : ascii) text.insert(text.end(), {uint8_t(c), 0});
    text.insert(text.end(), {0, 0});
    return text;
}

// A version resource's string: its key in UTF-16, the padding to a 32-bit boundary, its value.
bool carriesVersion(const std::vector<uint8_t>& program, const std::string& key, const std::string& value) {
    const auto wantedKey = utf16(key), wantedValue = utf16(value);
    auto at = std::search(program.begin(), program.end(), wantedKey.begin(), wantedKey.end());
    if (at == program.end()) return false;
    at += std::ptrdiff_t(wantedKey.size());
    while (program.end() - at >= 2 && at[0] == 0 && at[1] == 0) at += 2;
    return program.end() - at >= std::ptrdiff_t(wantedValue.size()) && std::equal(wantedValue.begin(), wantedValue.end(), at);
}

// A PE file's COFF header names no symbol table.
bool hasNoSymbolTable(const std::vector<uint8_t>& program) {
    if (program.size() < 0x40) return false;
    const uint32_t header = uint32_t(program[0x3C]) | uint32_t(program[0x3D]) << 8 | uint32_t(program[0x3E]) << 16;
    if (program.size() < header + 24) return false;
    for (size_t i = header + 12; i < header + 20; ++i) {  // PointerToSymbolTable, NumberOfSymbols
        if (program[i] != 0) return false;
    }
    return true;
}

TEST_F(BothTools, TheReleaseArchiveHoldsBothProgramsAndTheReadme) {
    const std::string name = "vistello-" VISTELLO_PROJECT_VERSION "-win64";
    const std::string zip = std::string(VISTELLO_WINDOWS_BUILD) + "/" + name + ".zip";
    ASSERT_TRUE(fs::exists(zip)) << zip << " is missing: cmake --build --preset windows --target package";
    shell("cmake -E tar tf '" + zip + "' | sort > list.txt && cmake -E tar xf '" + zip + "'");
    EXPECT_EQ(readText(path("list.txt")), name + "/README.txt\n" + name + "/vistello-pack.exe\n" + name + "/vistello.exe\n");
    const auto tool = readBytes(path(name + "/vistello-pack.exe"));
    const auto stub = readBytes(path(name + "/vistello.exe"));
    EXPECT_EQ(tool, readBytes(VISTELLO_PACK_EXE_PATH));
    EXPECT_EQ(stub, realStub());
    EXPECT_TRUE(hasNoSymbolTable(stub));
    EXPECT_TRUE(hasNoSymbolTable(tool));
    for (const auto* program : {&tool, &stub}) {
        EXPECT_TRUE(carriesVersion(*program, "FileVersion", VISTELLO_PROJECT_VERSION));
        EXPECT_TRUE(carriesVersion(*program, "ProductVersion", VISTELLO_PROJECT_VERSION));
    }
    const std::string readme = readText(path(name + "/README.txt"));
    EXPECT_EQ(readme.rfind("\xEF\xBB\xBFVistello " VISTELLO_PROJECT_VERSION, 0), 0u) << "UTF-8 with its mark, the version first";
    EXPECT_EQ(std::count(readme.begin(), readme.end(), '\n'), std::count(readme.begin(), readme.end(), '\r'));
    for (const char* text : {"vistello-pack.exe のアイコンにドラッグ & ドロップ", "「名前 (2).exe」",
                             "Drag a JPEG or BMP picture onto the icon of vistello-pack.exe", "What the receiver sees",
                             "vistello-pack.exe make --help", "photo.exe --fit screen", "写真.exe --fit screen"}) {
        EXPECT_NE(readme.find(text), std::string::npos) << text;
    }
    EXPECT_EQ(runProgram({path(name + "/vistello-pack.exe").string(), "--version"}).out,
              "vistello-pack " VISTELLO_PROJECT_VERSION "\n");
}

}  // namespace
}  // namespace vistello::test
