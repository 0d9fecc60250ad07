// The program shows its picture: size, caption, placement, zoom, painting, settings, pictures
// named on the command line, and the ways a bad package ends the program.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "inject_probe.h"
#include "resources/resource.h"
#include "picture_programs.h"
#include "program_runner.h"
#include "screen_capture.h"

namespace vistello::test {
namespace {

constexpr int sampleWidth = 480;
constexpr int sampleHeight = 360;

POINT centreOf(const RECT& r) { return {r.left + (r.right - r.left) / 2, r.top + (r.bottom - r.top) / 2}; }

void command(HWND window, WORD id) { SendMessageA(window, WM_COMMAND, id, 0); }

RECT taskbarRectangle(UINT& edge) {
    APPBARDATA data{};
    data.cbSize = sizeof data;
    data.hWnd = FindWindowA("Shell_TrayWnd", nullptr);
    edge = ABE_LEFT;
    if (data.hWnd && SHAppBarMessage(ABM_GETTASKBARPOS, &data)) {
        edge = data.uEdge;
        return data.rc;
    }
    return RECT{};
}

TEST(PictureWindow, ClientAreaIsThePictureAndTheCaptionIsTheTitle) {
    ScratchFolder folder;
    PackageContent content = samplePackage();
    content.windowTitle = "\x83\x54\x83\x93\x83\x76\x83\x8b";  // サンプル in code page 932
    RunningProgram run(makePictureProgram(folder.path(), "shown.exe", content));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    const SIZE client = clientSize(window);
    EXPECT_EQ(client.cx, sampleWidth);
    EXPECT_EQ(client.cy, sampleHeight);
    EXPECT_EQ(windowText(window), L"サンプル");
    EXPECT_NE(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, 0);

    const Pixels expected = decodeWithCore(samplePicture());
    ASSERT_EQ(expected.width, sampleWidth);
    size_t differing = 0;
    waitUntil([&] { return (differing = differingPixels(captureClient(window), expected)) == 0; }, 5s);
    EXPECT_EQ(differing, 0u) << "the painted client area equals our decode of the picture";
}

TEST(PictureWindow, ACaptionlessPackageHasNoTitleBar) {
    ScratchFolder folder;
    PackageContent content = samplePackage();
    content.captionMode = -1;
    RunningProgram run(makePictureProgram(folder.path(), "bare.exe", content));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    EXPECT_NE(GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION) > 0, true);
    const RECT outer = windowRect(window);
    const SIZE client = clientSize(window);
    EXPECT_EQ(client.cx, sampleWidth);
    EXPECT_EQ(client.cy, sampleHeight);
    EXPECT_LT((outer.bottom - outer.top) - client.cy, GetSystemMetrics(SM_CYCAPTION)) << "no title bar height";
}

// The test screen is 1024 x 768, and Wine's shell reports a taskbar one pixel high along its
// bottom edge (0, 767)-(1024, 768). Each corner puts two edges of the window on the screen's
// edges, the bottom ones on the taskbar's top.
TEST(PictureWindow, StartPositionsAndCornerCommandsSitInTheScreenCorners) {
    UINT edge = 0;
    const RECT taskbar = taskbarRectangle(edge);
    ASSERT_EQ(edge, UINT(ABE_BOTTOM));
    ASSERT_EQ(taskbar.left, 0);
    ASSERT_EQ(taskbar.top, 767);
    ASSERT_EQ(taskbar.right, 1024);
    ASSERT_EQ(taskbar.bottom, 768);
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    ASSERT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    struct Corner {
        int left;    // the window's left edge, or -1 where its right edge is given
        int top;     // likewise top and bottom
        int right;
        int bottom;
    };
    const auto expectCorner = [](const RECT& at, const Corner& corner) {
        if (corner.left >= 0) {
            EXPECT_EQ(at.left, corner.left);
        }
        if (corner.right >= 0) {
            EXPECT_EQ(at.right, corner.right);
        }
        if (corner.top >= 0) {
            EXPECT_EQ(at.top, corner.top);
        }
        if (corner.bottom >= 0) {
            EXPECT_EQ(at.bottom, corner.bottom);
        }
    };
    const Corner topLeft{0, 0, -1, -1}, topRight{-1, 0, 1024, -1}, bottomLeft{0, -1, -1, 767},
        bottomRight{-1, -1, 1024, 767};
    const struct {
        int position;
        Corner corner;
    } starts[] = {{1, topLeft}, {2, topRight}, {4, bottomLeft}, {5, bottomRight}};
    ScratchFolder folder;
    for (const auto& start : starts) {
        SCOPED_TRACE(start.position);
        PackageContent content = samplePackage();
        content.startPosition = start.position;
        RunningProgram run(makePictureProgram(folder.path(), "start" + std::to_string(start.position) + ".exe", content));
        const HWND window = run.waitForWindow(15s);
        ASSERT_NE(window, nullptr);
        expectCorner(windowRect(window), start.corner);
        if (start.position != 5) continue;
        // The corner commands of the context menu, then centring, in the same window.
        const struct {
            WORD id;
            Corner corner;
        } corners[] = {{IDM_TOP_LEFT, topLeft}, {IDM_TOP_RIGHT, topRight}, {IDM_BOTTOM_LEFT, bottomLeft},
                       {IDM_BOTTOM_RIGHT, bottomRight}};
        for (const auto& corner : corners) {
            SCOPED_TRACE(corner.id);
            command(window, corner.id);
            expectCorner(windowRect(window), corner.corner);
        }
        command(window, IDM_CENTRE);
        const SIZE client = clientSize(window);
        EXPECT_EQ(client.cx, sampleWidth) << "centring keeps the client size";
        EXPECT_EQ(client.cy, sampleHeight);
        EXPECT_NEAR(centreOf(windowRect(window)).x, 512, 1);
    }
    PackageContent centred = samplePackage();
    centred.startPosition = 3;
    RunningProgram run(makePictureProgram(folder.path(), "start3.exe", centred));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    EXPECT_NEAR(centreOf(windowRect(window)).x, 512, 1);
}

TEST(PictureWindow, ZoomCommandsResizeAroundTheCentre) {
    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "zoom.exe", samplePackage()));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    const struct {
        WORD id;
        int width;
        int height;
    } steps[] = {
        {IDM_ZOOM_50, 240, 180}, {IDM_ZOOM_200, 960, 720}, {IDM_ZOOM_400, 1920, 1440}, {IDM_ZOOM_100, 480, 360}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.id);
        const POINT before = centreOf(windowRect(window));
        command(window, step.id);
        const SIZE client = clientSize(window);
        EXPECT_EQ(client.cx, step.width);
        EXPECT_EQ(client.cy, step.height);
        const POINT after = centreOf(windowRect(window));
        EXPECT_NEAR(after.x, before.x, 1);
        EXPECT_NEAR(after.y, before.y, 1);
    }
    const Pixels expected = decodeWithCore(samplePicture());
    size_t differing = 0;
    waitUntil([&] { return (differing = differingPixels(captureClient(window), expected)) == 0; }, 5s);
    EXPECT_EQ(differing, 0u) << "back at 100 % the picture is drawn 1:1 again";
}

TEST(PictureWindow, DragsByTheClientAreaAndKeepsOneZOrderCheckMark) {
    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "drag.exe", samplePackage()));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);

    const RECT start = windowRect(window);
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(50, 50));
    EXPECT_EQ(windowRect(window).left, start.left) << "a release with no press since creation is ignored";
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_EQ(windowRect(window).left, start.left) << "released where pressed: no move";
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(30, 5));
    const RECT moved = windowRect(window);
    EXPECT_EQ(moved.left, start.left + 20);
    EXPECT_EQ(moved.top, start.top - 5);

    // Wine keeps a topmost window topmost when it is sent to the bottom (Windows drops the flag),
    // so only the other two modes are checked on the window itself.
    const struct {
        WORD id;
        int topmost;  // 1 yes, 0 no, -1 not checked
    } modes[] = {{IDM_ALWAYS_ON_TOP, 1}, {IDM_ALWAYS_AT_BOTTOM, -1}, {IDM_NORMAL_ZORDER, 0}};
    for (const auto& mode : modes) {
        SCOPED_TRACE(mode.id);
        command(window, mode.id);
        if (mode.topmost >= 0) {
            EXPECT_EQ((GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0, mode.topmost == 1);
        }
        // The context menu opens at the message's point and shows exactly one z-order check mark.
        PostMessageA(window, WM_CONTEXTMENU, WPARAM(window), MAKELPARAM(100, 120));
        HWND menu = nullptr;
        ASSERT_TRUE(waitUntil([&] { return (menu = findWindowOf(run.processId(), [](HWND w) { return classNameOf(w) == "#32768"; })) != nullptr; }));
        EXPECT_EQ(windowRect(menu).left, 100);
        EXPECT_EQ(windowRect(menu).top, 120);
        std::vector<MenuItem> menus;
        waitUntil([&] { return findItem(menus = probeMenus(run.process(), run.processId()), "popup", mode.id); });
        for (WORD id : {WORD(IDM_NORMAL_ZORDER), WORD(IDM_ALWAYS_ON_TOP), WORD(IDM_ALWAYS_AT_BOTTOM)}) {
            const MenuItem* item = findItem(menus, "popup", id);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ((item->state & MF_CHECKED) != 0, id == mode.id) << id;
        }
        PostMessageA(window, WM_CANCELMODE, 0, 0);
        waitUntil([&] { return findWindowOf(run.processId(), [](HWND w) { return classNameOf(w) == "#32768"; }) == nullptr; });
    }
}

// Presses Yes in the save question and waits until the settings file holds the zoom.
void saveSettings(const RunningProgram& run, HWND window, const std::string& settingsFile) {
    PostMessageA(window, WM_COMMAND, IDM_SAVE_SETTINGS, 0);
    const HWND question = findDialog(run.processId(), window);
    ASSERT_NE(question, nullptr);
    wchar_t text[512] = {};
    GetDlgItemTextW(question, 0xFFFF, text, 512);  // the message box's text
    EXPECT_NE(std::wstring(text).find(L"よろしいですか？"), std::wstring::npos);
    PostMessageA(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(waitUntil([&] { return int(GetPrivateProfileIntA("Favorite", "iFavoriteSize", -5, settingsFile.c_str())) != -5; }));
}

TEST(PictureWindow, SavedSettingsRestorePlacementZoomAndZOrder) {
    ScratchFolder folder;
    PackageContent content = samplePackage();
    content.zOrderMode = 2;  // always on top in the package
    content.workTitle = "work";
    content.commentText = "line one\r\nline two";
    const std::string program = makePictureProgram(folder.path(), "settings.exe", content);
    const std::string settingsFile = folder.file("settings.ini");
    RECT saved{};
    {
        RunningProgram run(program);
        const HWND window = run.waitForWindow(15s);
        ASSERT_NE(window, nullptr);
        EXPECT_NE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the package's z-order";
        command(window, IDM_TOP_LEFT);
        command(window, IDM_ZOOM_200);
        command(window, IDM_NORMAL_ZORDER);
        saved = windowRect(window);
        saveSettings(run, window, settingsFile);
    }
    EXPECT_EQ(GetPrivateProfileIntA("Favorite", "iFavoriteSize", 0, settingsFile.c_str()), 200u);
    EXPECT_EQ(GetPrivateProfileIntA("Favorite", "ZOrder", 0, settingsFile.c_str()), 1u);
    char comment[64] = {};
    GetPrivateProfileStringA("this", "Comment", "", comment, sizeof comment, settingsFile.c_str());
    EXPECT_GT(std::string(comment).size(), 0u);

    RunningProgram again(program);
    const HWND window = again.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    const SIZE client = clientSize(window);
    EXPECT_EQ(client.cx, 2 * sampleWidth);
    EXPECT_EQ(client.cy, 2 * sampleHeight);
    const RECT restored = windowRect(window);
    EXPECT_NEAR(centreOf(restored).x, centreOf(saved).x, 1) << "the saved placement, then the zoom around its centre";
    EXPECT_NEAR(centreOf(restored).y, centreOf(saved).y, 1);
    EXPECT_EQ(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOPMOST, 0) << "the saved z-order replaces the package's";

    PostMessageA(window, WM_CONTEXTMENU, WPARAM(window), MAKELPARAM(10, 10));
    std::vector<MenuItem> menus;
    waitUntil([&] { return findItem(menus = probeMenus(again.process(), again.processId()), "popup", IDM_NORMAL_ZORDER); });
    const MenuItem* normal = findItem(menus, "popup", IDM_NORMAL_ZORDER);
    const MenuItem* top = findItem(menus, "popup", IDM_ALWAYS_ON_TOP);
    ASSERT_NE(normal, nullptr);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(normal->state & MF_CHECKED, unsigned(MF_CHECKED));
    EXPECT_EQ(top->state & MF_CHECKED, 0u);
    EXPECT_EQ(findItem(menus, "popup", IDM_CANCEL_AUTO_EXIT), nullptr) << "no automatic exit, no cancel item";
    PostMessageA(window, WM_CANCELMODE, 0, 0);
}

TEST(PictureWindow, ShowsAPictureNamedOnTheCommandLineQuotedOrNot) {
    ScratchFolder folder;
    const std::string stub = folder.file("viewer.exe");
    writeWholeFile(stub, readWholeFile(builtProgramPath()));
    const std::string spaced = folder.file("my holiday.pic.jpg");
    writeWholeFile(spaced, samplePicture());
    const std::string plain = folder.file("plain.jpg");
    writeWholeFile(plain, samplePicture());
    const struct {
        std::string arguments;
        const wchar_t* title;
    } cases[] = {{"\"" + spaced + "\"", L"my holiday.pic"}, {plain, L"plain"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        RunningProgram run(stub, c.arguments);
        const HWND window = run.waitForWindow(15s);
        ASSERT_NE(window, nullptr);
        EXPECT_EQ(windowText(window), c.title);
        EXPECT_EQ(clientSize(window).cx, sampleWidth);
    }
    RunningProgram missing(stub, folder.file("missing.jpg"));
    EXPECT_TRUE(missing.endsWithoutWindow());
}

TEST(PictureWindow, BadPackagesEndTheProgramWithoutAWindowOrATemporaryFile) {
    ScratchFolder folder;
    const auto before = filesMatching(temporaryFolder(), "zub*.tmp");
    PackageContent emptyPicture = samplePackage();
    emptyPicture.picture.clear();
    PackageContent unknownPicture = samplePackage();
    unknownPicture.picture = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    std::vector<uint8_t> damaged = readWholeFile(builtProgramPath());
    for (char c : std::string("title without its zero")) damaged.push_back(uint8_t(c));
    writeWholeFile(folder.file("damaged.exe"), damaged);
    const std::string programs[] = {
        makePictureProgram(folder.path(), "empty.exe", emptyPicture),
        makePictureProgram(folder.path(), "unknown.exe", unknownPicture),
        folder.file("damaged.exe"),
    };
    for (const auto& program : programs) {
        SCOPED_TRACE(program);
        RunningProgram run(program);
        EXPECT_TRUE(run.endsWithoutWindow());
    }
    EXPECT_EQ(filesMatching(temporaryFolder(), "zub*.tmp"), before) << "every way out deletes the temporary copy";
}

}  // namespace
}  // namespace vistello::test
