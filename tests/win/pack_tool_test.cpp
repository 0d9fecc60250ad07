// vistello-pack.exe as Windows users start it: a picture dropped on the tool copied alone into
// a folder, a bad drop, a double-click, a start from Explorer with arguments (a console of its
// own); and run by another Windows program with Unicode arguments, over a hard link made with
// CreateHardLinkW and a read-only file. Everything is observed from outside, as a user would.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "raster/sample_bmps.h"
#include "tool_process.h"

namespace vistello::test {
namespace {

bool contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The picture program a drop made: its caption and client size, as it runs.
void expectProgramShows(const std::wstring& program, const std::wstring& caption, SIZE picture = {480, 360}) {
    RunningProgram run(cp932(program));
    ASSERT_TRUE(run.started());
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowText(window), caption);
    const SIZE size = clientSize(window);
    EXPECT_EQ(size.cx, picture.cx);
    EXPECT_EQ(size.cy, picture.cy);
    run.close();
    EXPECT_TRUE(run.waitForExit(15s));
}

class PackTool : public ::testing::Test {
protected:
    void SetUp() override {
        tool_ = folder_.file(L"vistello-pack.exe");
        ASSERT_TRUE(CopyFileW(builtToolPath().c_str(), tool_.c_str(), TRUE)) << "the built vistello-pack.exe is missing";
        picture_ = samplePicture();
    }
    WideScratch folder_;
    std::wstring tool_;
    std::vector<uint8_t> picture_;
};

TEST_F(PackTool, ADroppedPictureBecomesAProgramBesideItNeverOverAnother) {
    const std::wstring picture = folder_.file(L"夕焼け.jpg");
    writeWide(picture, picture_);
    ToolProcess first(tool_, {picture});
    ASSERT_TRUE(first.started());
    const std::wstring made = first.answerMessageBox();
    EXPECT_TRUE(contains(made, L"ピクチャープログラムを作りました。")) << made;
    EXPECT_TRUE(contains(made, folder_.file(L"夕焼け.exe"))) << made;
    ASSERT_TRUE(first.ended());
    EXPECT_EQ(first.exitCode(), 0u);
    EXPECT_EQ(namesIn(folder_.path()), (std::vector<std::wstring>{L"vistello-pack.exe", L"夕焼け.exe", L"夕焼け.jpg"}));
    expectProgramShows(folder_.file(L"夕焼け.exe"), L"夕焼け");

    const auto firstProgram = readWide(folder_.file(L"夕焼け.exe"));
    ToolProcess second(tool_, {picture});
    const std::wstring again = second.answerMessageBox();
    EXPECT_TRUE(contains(again, folder_.file(L"夕焼け (2).exe"))) << again;
    ASSERT_TRUE(second.ended());
    EXPECT_EQ(second.exitCode(), 0u);
    EXPECT_EQ(readWide(folder_.file(L"夕焼け.exe")), firstProgram) << "the first program is left as it was";
    EXPECT_EQ(readWide(folder_.file(L"夕焼け (2).exe")), firstProgram) << "the same picture, the same settings";
    expectProgramShows(folder_.file(L"夕焼け (2).exe"), L"夕焼け");
}

// A name code page 932 cannot hold: the title shows "?" for it, and the box warns that the
// program will not start from a path that holds it.
TEST_F(PackTool, ADroppedPictureWithANameBeyondCodePage932IsPackedWithWarnings) {
    writeWide(folder_.file(L"café.jpg"), picture_);
    ToolProcess drop(tool_, {folder_.file(L"café.jpg")});
    const std::wstring text = drop.answerMessageBox();
    ASSERT_TRUE(drop.ended());
    EXPECT_EQ(drop.exitCode(), 0u);
    EXPECT_TRUE(contains(text, L"warning: " + folder_.file(L"café.exe") + L": its full path holds 'é' (U+00E9)")) << text;
    EXPECT_TRUE(contains(text, L"note: the window title shows ? for 'é' (U+00E9)")) << text;
    EXPECT_TRUE(existsWide(folder_.file(L"café.exe")));
}

// The picture check's verdict comes in the box: a refusal with what the program would show,
// and a warning with what to do.
TEST_F(PackTool, ADroppedPictureTheCheckRefusesOrWarnsAboutIsReported) {
    writeWide(folder_.file(L"cut.jpg"), {picture_.begin(), picture_.begin() + std::ptrdiff_t(picture_.size() / 2)});
    ToolProcess refused(tool_, {folder_.file(L"cut.jpg")});
    const std::wstring refusal = refused.answerMessageBox();
    ASSERT_TRUE(refused.ended());
    EXPECT_EQ(refused.exitCode(), 1u);
    EXPECT_TRUE(contains(refusal, L"ピクチャープログラムは作られませんでした。")) << refusal;
    EXPECT_TRUE(contains(refusal, L"the program would not show this picture whole: the file is cut short")) << refusal;
    EXPECT_TRUE(contains(refusal, L"; it would show ")) << refusal;
    EXPECT_FALSE(existsWide(folder_.file(L"cut.exe")));

    const std::vector<uint8_t> rgb565 = rgb565Bmp();
    writeWide(folder_.file(L"565.bmp"), rgb565);
    ToolProcess warned(tool_, {folder_.file(L"565.bmp")});
    const std::wstring warning = warned.answerMessageBox();
    ASSERT_TRUE(warned.ended());
    EXPECT_EQ(warned.exitCode(), 0u);
    EXPECT_TRUE(contains(warning, L"warning: " + folder_.file(L"565.bmp") + L": its pixels are 5-6-5 bit fields")) << warning;
    EXPECT_TRUE(existsWide(folder_.file(L"565.exe")));
}

// A 24-bit BMP of width x height with a pattern of fine detail.
std::vector<uint8_t> patternBmp(int32_t width, int32_t height) {
    const uint32_t stride = (uint32_t(width) * 3 + 3) / 4 * 4;
    const uint32_t pixels = stride * uint32_t(height);
    std::vector<uint8_t> bmp(54 + pixels, 0);
    const auto put = [&](size_t at, uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) bmp[at + size_t(i)] = uint8_t(value >> (8 * i));
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put(2, uint32_t(bmp.size()), 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 24, 2);
    put(34, pixels, 4);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* pixel = &bmp[54 + size_t(y) * stride + size_t(x) * 3];
            pixel[0] = uint8_t(x * 255 / width);
            pixel[1] = uint8_t(y * 255 / height);
            pixel[2] = ((x / 8 + y / 8) % 2) ? 230 : 20;
        }
    }
    return bmp;
}

// Dropped, a picture larger than the screen is fitted to it and a turned photograph turned
// upright; the box says so, and the author's file stays as it was.
TEST_F(PackTool, ADroppedBigOrTurnedPictureIsFittedToTheScreen) {
    const std::vector<uint8_t> big = patternBmp(2400, 1600);
    writeWide(folder_.file(L"大きい.bmp"), big);
    ToolProcess fitted(tool_, {folder_.file(L"大きい.bmp")});
    const std::wstring text = fitted.answerMessageBox();
    ASSERT_TRUE(fitted.ended());
    EXPECT_EQ(fitted.exitCode(), 0u);
    EXPECT_TRUE(contains(text, L"ピクチャープログラムを作りました。")) << text;
    EXPECT_TRUE(contains(text, L"画像を画面に収まるように縮小しました (2400 x 1600 → 1350 x 900)。元の画像はそのままです。")) << text;
    EXPECT_TRUE(contains(text, L"For the screen: fitted 2400 x 1600 to 1350 x 900. The original picture stays as it was.")) << text;
    EXPECT_FALSE(contains(text, L"warning")) << text;
    EXPECT_EQ(readWide(folder_.file(L"大きい.bmp")), big);
    expectProgramShows(folder_.file(L"大きい.exe"), L"大きい", {1350, 900});

    // An Exif orientation of 6 (turned 90 degrees) in an APP1 segment after SOI.
    std::vector<uint8_t> turned = picture_;
    const std::vector<uint8_t> exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                                       0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0};
    turned.insert(turned.begin() + 2, exif.begin(), exif.end());
    writeWide(folder_.file(L"turned.jpg"), turned);
    ToolProcess upright(tool_, {folder_.file(L"turned.jpg")});
    const std::wstring turnedText = upright.answerMessageBox();
    ASSERT_TRUE(upright.ended());
    EXPECT_EQ(upright.exitCode(), 0u);
    EXPECT_TRUE(contains(turnedText, L"Exif の向きに合わせて画像を回転しました。元の画像はそのままです。")) << turnedText;
    EXPECT_TRUE(contains(turnedText, L"For the screen: turned upright (Exif orientation 6): 360 x 480.")) << turnedText;
    EXPECT_FALSE(contains(turnedText, L"Exif orientation is")) << "no warning: the packed picture is upright";
    EXPECT_EQ(readWide(folder_.file(L"turned.jpg")), turned);
    expectProgramShows(folder_.file(L"turned.exe"), L"turned", {360, 480});

    // A picture that fits and is upright is packed as it is, without a word about fitting.
    writeWide(folder_.file(L"small.jpg"), picture_);
    ToolProcess plain(tool_, {folder_.file(L"small.jpg")});
    const std::wstring plainText = plain.answerMessageBox();
    ASSERT_TRUE(plain.ended());
    EXPECT_FALSE(contains(plainText, L"For the screen")) << plainText;
}

TEST_F(PackTool, ABadDropIsAnsweredWithHowToUseTheTool) {
    CreateDirectoryW(folder_.file(L"写真").c_str(), nullptr);
    writeWide(folder_.file(L"メモ.txt"), {'h', 'i'});
    writeWide(folder_.file(L"a.jpg"), picture_);
    writeWide(folder_.file(L"b.jpg"), picture_);
    const auto before = namesIn(folder_.path());
    const struct {
        std::vector<std::wstring> dropped;
        const wchar_t* says;
    } drops[] = {
        {{folder_.file(L"写真")}, L"is a folder, not a file"},
        {{folder_.file(L"メモ.txt")}, L"is not a JPEG or BMP picture"},
        {{folder_.file(L"a.jpg"), folder_.file(L"b.jpg")}, L"2 files were dropped: drop one picture at a time"},
    };
    for (const auto& drop : drops) {
        SCOPED_TRACE(drop.says);
        ToolProcess tool(tool_, drop.dropped);
        const std::wstring text = tool.answerMessageBox();
        EXPECT_TRUE(contains(text, drop.says)) << text;
        EXPECT_TRUE(contains(text, L"vistello-pack.exe のアイコンにドロップしてください")) << text;
        EXPECT_TRUE(contains(text, L"Drop one JPEG or BMP picture on the icon of vistello-pack.exe")) << text;
        ASSERT_TRUE(tool.ended());
        EXPECT_EQ(tool.exitCode(), 1u);
        EXPECT_EQ(namesIn(folder_.path()), before) << "nothing is made";
    }
}

// A double-click opens the authoring window (tests/win/authoring_window_test.cpp works it);
// Escape closes it and the tool ends.
TEST_F(PackTool, ADoubleClickOpensTheAuthoringWindow) {
    ToolProcess tool(tool_, {});
    const HWND window = findDialog(tool.id(), nullptr, 20s);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(windowText(window), L"vistello-pack - ピクチャープログラムの作成");
    pressButton(window, IDCANCEL);
    ASSERT_TRUE(tool.ended());
    EXPECT_EQ(tool.exitCode(), 0u);
}

// Started with a console of its own (as Explorer starts a console program from a shortcut),
// the tool lets that console go and shows what it would have printed in a message box.
TEST_F(PackTool, WithAConsoleOfItsOwnItAnswersInAMessageBox) {
    ToolProcess tool(tool_, {L"--version"}, CREATE_NEW_CONSOLE);
    const std::wstring text = tool.answerMessageBox();
    EXPECT_EQ(text, wide("vistello-pack " VISTELLO_PROJECT_VERSION "\n"));
    ASSERT_TRUE(tool.ended());
    EXPECT_EQ(tool.exitCode(), 0u);
}

// Started from a console its user shares, the tool writes there in Unicode whatever the
// console's code page (here 437, which has no Japanese), and keeps the console. The test
// process takes a console for it, which changes how Wine starts its later children: this suite
// runs in a process of its own (tests/win/CMakeLists.txt).
using ToolOnAConsole = PackTool;

TEST_F(ToolOnAConsole, ItWritesUnicodeWhateverTheCodePage) {
    writeWide(folder_.file(L"夕焼け.jpg"), picture_);
    FreeConsole();  // whatever console the test runs with
    ASSERT_TRUE(AllocConsole()) << GetLastError();
    SetConsoleOutputCP(437);
    ToolProcess tool(tool_, {L"make", folder_.file(L"夕焼け.jpg"), L"-o", folder_.file(L"夕焼け.exe")});
    ASSERT_TRUE(tool.ended());
    EXPECT_EQ(tool.exitCode(), 0u);
    const HANDLE screen = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    GetConsoleScreenBufferInfo(screen, &info);
    std::wstring shown(size_t(info.dwSize.X) * 4, L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(screen, shown.data(), DWORD(shown.size()), COORD{0, 0}, &read);
    CloseHandle(screen);
    FreeConsole();
    EXPECT_TRUE(contains(shown, L"wrote ")) << std::string(shown.begin(), shown.end());
    EXPECT_TRUE(contains(shown, L"夕焼け.exe: stub ")) << "the Japanese name as it is";
    EXPECT_FALSE(findDialog(tool.id(), nullptr, 0ms)) << "no message box: the output went to the console";
}

// Run by another Windows program with its output in a file: Unicode arguments whatever the
// code page, UTF-8 output, the same file behind a hard link, a read-only target.
TEST_F(PackTool, RunByAWindowsProgramItTakesUnicodeAndKnowsTheSameFile) {
    CreateDirectoryW(folder_.file(L"写真").c_str(), nullptr);
    const std::wstring picture = folder_.file(L"写真\\夕焼け.jpg");
    writeWide(picture, picture_);
    const std::wstring log = folder_.file(L"log.txt");
    auto run = [&](const std::vector<std::wstring>& arguments) {
        ToolProcess tool(tool_, arguments, 0, log);
        EXPECT_TRUE(tool.ended());
        return std::pair<DWORD, std::string>(tool.exitCode(), [&] {
            const auto bytes = readWide(log);
            return std::string(bytes.begin(), bytes.end());
        }());
    };
    const auto made = run({L"make", picture, L"-o", folder_.file(L"写真\\夕焼け.exe"), L"--title", L"夕焼け"});
    EXPECT_EQ(made.first, 0u) << made.second;
    EXPECT_NE(made.second.find("\\写真\\夕焼け.exe: stub "), std::string::npos) << made.second;
    const auto unstorable = run({L"make", picture, L"-o", folder_.file(L"x.exe"), L"--title", L"コーヒー☕"});
    EXPECT_EQ(unstorable.first, 1u);
    EXPECT_NE(unstorable.second.find("--title: column 5: '☕' (U+2615) cannot be stored in code page 932"), std::string::npos)
        << unstorable.second;

    ASSERT_TRUE(CreateHardLinkW(folder_.file(L"link.jpg").c_str(), picture.c_str(), nullptr));
    const auto linked = run({L"make", picture, L"-o", folder_.file(L"link.jpg")});
    EXPECT_EQ(linked.first, 1u);
    EXPECT_NE(linked.second.find("link.jpg is the same file as the picture"), std::string::npos) << linked.second;
    EXPECT_EQ(readWide(picture), picture_);

    writeWide(folder_.file(L"ro.exe"), {'o', 'l', 'd'});
    ASSERT_TRUE(SetFileAttributesW(folder_.file(L"ro.exe").c_str(), FILE_ATTRIBUTE_READONLY));
    const auto readOnly = run({L"make", picture, L"-o", folder_.file(L"ro.exe")});
    EXPECT_EQ(readOnly.first, 1u);
    EXPECT_NE(readOnly.second.find("ro.exe is read-only, so it is not replaced"), std::string::npos) << readOnly.second;
    EXPECT_EQ(readWide(folder_.file(L"ro.exe")), (std::vector<uint8_t>{'o', 'l', 'd'}));
}

}  // namespace
}  // namespace vistello::test
