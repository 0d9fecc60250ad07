// File restore (the package's picture bytes or the command-line file beside the program), the
// BMP written from the decoded image, and the wallpaper commands with their registry values.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>

#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "resources/resource.h"
#include "screen_capture.h"

namespace vistello::test {
namespace {

const std::wstring restoreFailed = L"画像ファイルの作成に失敗しました。";

std::vector<uint8_t> junk() { return std::vector<uint8_t>(3000, 0xEE); }
std::vector<uint8_t> samplePictureBmp() { return readWholeFile(sourceFile("samples/sample.bmp")); }
std::vector<uint8_t> oddJpeg() { return readWholeFile(sourceFile("tests/win/data/odd_17x9.jpg")); }

PackageContent packageWith(const std::string& title, std::vector<uint8_t> picture) {
    PackageContent content = samplePackage();
    content.windowTitle = title;
    content.picture = std::move(picture);
    return content;
}

// Gives the command and returns the text of the message box it brings up (closing it), or
// nothing when none comes.
std::optional<std::wstring> commandMessage(const RunningProgram& run, HWND window, WORD command,
                                           std::chrono::milliseconds deadline = 10s) {
    PostMessageA(window, WM_COMMAND, command, 0);
    const HWND box = waitForMessageBox(run.processId(), deadline);
    if (!box) return std::nullopt;
    const std::wstring text = messageBoxText(box);
    pressButton(box, IDOK);
    waitUntil([&] { return !IsWindow(box); });
    return text;
}

std::wstring createdIn(const ScratchFolder& folder) {
    return wideFromAnsi(folder.path() + "\\") + L"\nに画像ファイルを作成しました。";
}

// The desktop values the wallpaper commands write: saved, set to values no command writes (so
// that any change shows), and put back as they were when the test ends.
class DesktopValuesGuard {
public:
    DesktopValuesGuard() {
        for (size_t i = 0; i < names.size(); ++i) saved[i] = desktopValue(names[i]);
        setSentinels();
    }
    ~DesktopValuesGuard() {
        for (size_t i = 0; i < names.size(); ++i) setDesktopValue(names[i], saved[i]);
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, saved.back().data(), SPIF_UPDATEINIFILE);
    }
    static void setSentinels() {
        setDesktopValue("TileWallpaper", "7");
        setDesktopValue("WallpaperOriginX", "5");
        setDesktopValue("WallpaperOriginY", "6");
        setDesktopValue("WallpaperStyle", "2");
        setDesktopValue("Wallpaper", "sentinel");
    }
    static bool sentinelsUntouched() {
        return desktopValue("TileWallpaper") == "7" && desktopValue("WallpaperOriginX") == "5" &&
               desktopValue("WallpaperOriginY") == "6" && desktopValue("WallpaperStyle") == "2" &&
               desktopValue("Wallpaper") == "sentinel";
    }

private:
    static constexpr std::array<const char*, 5> names{"TileWallpaper", "WallpaperOriginX", "WallpaperOriginY",
                                                      "WallpaperStyle", "Wallpaper"};
    std::array<std::string, 5> saved;
};

uint32_t u32At(const std::vector<uint8_t>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}
uint16_t u16At(const std::vector<uint8_t>& bytes, size_t at) { return uint16_t(bytes[at] | bytes[at + 1] << 8); }

TEST(Restore, WritesThePackagesPictureBytesBesideTheProgramReplacingAnEarlierFile) {
    ScratchFolder folder;
    writeWholeFile(folder.file("sunset.JPG"), junk());
    const struct {
        const char* program;
        const char* restored;
        std::vector<uint8_t> picture;
    } cases[] = {
        {"sunset.exe", "sunset.JPG", samplePicture()},
        {"meadow.exe", "meadow.BMP", samplePictureBmp()},
    };
    RunningProgram jpeg(makePictureProgram(folder.path(), cases[0].program, packageWith("sunset", cases[0].picture)));
    RunningProgram bmp(makePictureProgram(folder.path(), cases[1].program, packageWith("meadow", cases[1].picture)));
    const RunningProgram* runs[] = {&jpeg, &bmp};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].program);
        const HWND window = runs[i]->waitForWindow(15s);
        ASSERT_NE(window, nullptr);
        for (int time = 1; time <= 2; ++time) {
            SCOPED_TRACE(time);
            EXPECT_EQ(commandMessage(*runs[i], window, IDM_RESTORE_FILE), createdIn(folder));
            EXPECT_EQ(readWholeFile(folder.file(cases[i].restored)), cases[i].picture);
            writeWholeFile(folder.file(cases[i].restored), junk());  // the second run must replace it
        }
    }
}

TEST(Restore, CopiesACommandLinePictureByItsExtensionAndRefusesOtherExtensions) {
    ScratchFolder folder;
    for (const char* stub : {"viewer.exe", "other.exe"})
        writeWholeFile(folder.file(stub), readWholeFile(builtProgramPath()));
    writeWholeFile(folder.file("cat.bmp"), samplePictureBmp());
    writeWholeFile(folder.file("cat.png"), samplePicture());  // a JPEG stream, shown by its content
    RunningProgram bmp(folder.file("viewer.exe"), quoted(folder.file("cat.bmp")));
    RunningProgram png(folder.file("other.exe"), quoted(folder.file("cat.png")));

    const HWND bmpWindow = bmp.waitForWindow(15s);
    ASSERT_NE(bmpWindow, nullptr);
    EXPECT_EQ(commandMessage(bmp, bmpWindow, IDM_RESTORE_FILE), createdIn(folder));
    EXPECT_EQ(readWholeFile(folder.file("viewer.BMP")), samplePictureBmp());

    const HWND pngWindow = png.waitForWindow(15s);
    ASSERT_NE(pngWindow, nullptr);
    EXPECT_EQ(commandMessage(png, pngWindow, IDM_RESTORE_FILE), restoreFailed);
    EXPECT_FALSE(fileExists(folder.file("other.PNG")));
    EXPECT_FALSE(fileExists(folder.file("other.JPG")));
}

TEST(Wallpaper, JpegPictureIsWrittenAsBmpAndSetTiledThenCentred) {
    DesktopValuesGuard desktop;
    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "odd.exe", packageWith("odd", oddJpeg())));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    const std::string bmpPath = folder.file("odd.BMP");

    PostMessageA(window, WM_COMMAND, IDM_WALLPAPER_TILE, 0);
    ASSERT_TRUE(waitUntil([&] { return desktopValue("Wallpaper") == bmpPath; })) << desktopValue("Wallpaper");
    EXPECT_EQ(desktopValue("TileWallpaper"), "1");
    EXPECT_EQ(desktopValue("WallpaperOriginX"), "0");
    EXPECT_EQ(desktopValue("WallpaperOriginY"), "0");
    EXPECT_EQ(desktopValue("WallpaperStyle"), "0");

    // A 17 x 9 picture decodes into a 32 x 16 section; the file has the real size.
    const auto file = readWholeFile(bmpPath);
    ASSERT_EQ(file.size(), 522u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    EXPECT_EQ(u32At(file, 2), 522u);   // bfSize
    EXPECT_EQ(u32At(file, 6), 0u);     // both reserved words
    EXPECT_EQ(u32At(file, 10), 54u);   // bfOffBits: no colour table at 24 bits
    EXPECT_EQ(u32At(file, 14), 40u);   // biSize
    EXPECT_EQ(u32At(file, 18), 17u);   // biWidth
    EXPECT_EQ(u32At(file, 22), 9u);    // biHeight, bottom-up
    EXPECT_EQ(u16At(file, 26), 1u);    // biPlanes
    EXPECT_EQ(u16At(file, 28), 24u);   // biBitCount
    EXPECT_EQ(u32At(file, 30), 0u);    // BI_RGB
    EXPECT_EQ(u32At(file, 34), 468u);  // biSizeImage: stride 52 x 9 rows
    const Pixels decoded = decodeWithCore(oddJpeg());
    ASSERT_EQ(decoded.width, 17);
    ASSERT_EQ(decoded.height, 9);
    constexpr size_t stride = 52;
    for (int y = 0; y < 9; ++y) {
        SCOPED_TRACE(y);
        const uint8_t* fileRow = file.data() + 54 + size_t(8 - y) * stride;  // bottom row first
        EXPECT_TRUE(std::equal(fileRow, fileRow + 17 * 3, decoded.at(0, y)));
    }

    DeleteFileA(bmpPath.c_str());
    PostMessageA(window, WM_COMMAND, IDM_WALLPAPER_CENTRE, 0);
    EXPECT_TRUE(waitUntil([&] { return desktopValue("TileWallpaper") == "0"; }));
    EXPECT_EQ(desktopValue("Wallpaper"), bmpPath);
    EXPECT_EQ(readWholeFile(bmpPath), file) << "written again";
}

TEST(Wallpaper, BmpPictureBytesBecomeTheWallpaperFile) {
    DesktopValuesGuard desktop;
    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "meadow.exe", packageWith("meadow", samplePictureBmp())));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);

    PostMessageA(window, WM_COMMAND, IDM_WALLPAPER_CENTRE, 0);
    ASSERT_TRUE(waitUntil([&] { return desktopValue("Wallpaper") == folder.file("meadow.BMP"); }));
    EXPECT_EQ(desktopValue("TileWallpaper"), "0");
    EXPECT_EQ(desktopValue("WallpaperStyle"), "0");
    EXPECT_EQ(readWholeFile(folder.file("meadow.BMP")), samplePictureBmp());
}

TEST(Wallpaper, TargetsThatCannotBeCreatedOrWrittenFailWithoutTouchingTheDesktop) {
    DesktopValuesGuard desktop;
    ScratchFolder folder;
    // Folders stand where the files should go: they cannot be created.
    Subfolder blockedJpg(folder.file("blocked.JPG"));
    Subfolder blockedBmp(folder.file("blocked.BMP"));
    RunningProgram blocked(makePictureProgram(folder.path(), "blocked.exe", packageWith("blocked", oddJpeg())));
    // Links to a file that opens for writing but refuses the bytes, as a full disk would: the
    // writing process's OOM-score setting, which takes nothing but a number (so nothing changes).
    // Wine deletes the target of a link rather than the link, so here the deletion of the
    // incomplete file cannot be seen; the failure and its consequences can.
    UnixLink fullJpg(folder.file("full.JPG"), "/proc/self/oom_score_adj");
    UnixLink fullBmp(folder.file("full.BMP"), "/proc/self/oom_score_adj");
    RunningProgram full(makePictureProgram(folder.path(), "full.exe", packageWith("full", oddJpeg())));

    const HWND blockedWindow = blocked.waitForWindow(15s);
    ASSERT_NE(blockedWindow, nullptr);
    EXPECT_EQ(commandMessage(blocked, blockedWindow, IDM_RESTORE_FILE), restoreFailed);
    EXPECT_EQ(commandMessage(blocked, blockedWindow, IDM_WALLPAPER_CENTRE),
              wideFromAnsi(folder.file("blocked.BMP")) + L"を\n出力ﾌｧｲﾙとして開くことが出来ません。");
    EXPECT_TRUE(DesktopValuesGuard::sentinelsUntouched());

    if (!fullJpg.made() || !fullBmp.made()) GTEST_SKIP() << "no file that refuses writes (needs Wine on Linux)";
    const HWND fullWindow = full.waitForWindow(15s);
    ASSERT_NE(fullWindow, nullptr);
    EXPECT_EQ(commandMessage(full, fullWindow, IDM_RESTORE_FILE), restoreFailed) << "a refused write is a failure";
    EXPECT_EQ(commandMessage(full, fullWindow, IDM_WALLPAPER_TILE, 2s), std::nullopt)
        << "only a target that cannot be created is reported";
    EXPECT_TRUE(DesktopValuesGuard::sentinelsUntouched()) << "no wallpaper from a file that was not written";
}

}  // namespace
}  // namespace vistello::test
