// The automatic exit (countdown caption, the end of the window, the cancel command) and the
// links handed to the shell at set-up or when the window goes.
#include <windows.h>

#include <gtest/gtest.h>

#include "inject_probe.h"
#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "resources/resource.h"

namespace vistello::test {
namespace {

// A folder with the link-target helper beside the programs, so links can name it "*\...".
struct LinkFolder {
    ScratchFolder folder;
    LinkFolder() { writeWholeFile(folder.file("link_marker.exe"), readWholeFile(linkMarkerPath())); }
    PackageLink linkWritingMarker(int32_t timing, const std::string& marker, const std::string& word) const {
        return PackageLink{timing, "*\\link_marker.exe", quoted(folder.file(marker)) + " " + word};
    }
    std::string markerText(const std::string& marker) const {
        const auto bytes = readWholeFile(folder.file(marker));
        return std::string(bytes.begin(), bytes.end());
    }
};

bool popupMenuShown(DWORD processId) {
    return findWindowOf(processId, [](HWND w) { return classNameOf(w) == "#32768"; }) != nullptr;
}

// Opens the context menu, reads it through the probe and closes it again.
std::vector<MenuItem> contextMenu(const RunningProgram& run, HWND window) {
    PostMessageA(window, WM_CONTEXTMENU, WPARAM(window), MAKELPARAM(10, 10));
    std::vector<MenuItem> menus;
    EXPECT_TRUE(waitUntil([&] { return popupMenuShown(run.processId()); }));
    menus = probeMenus(run.process(), run.processId());
    PostMessageA(window, WM_CANCELMODE, 0, 0);
    EXPECT_TRUE(waitUntil([&] { return !popupMenuShown(run.processId()); }));
    return menus;
}

TEST(AutoExit, CaptionCountsDownAndTheWindowEndsThenTheCloseTimeLinkOpens) {
    LinkFolder links;
    PackageContent content = samplePackage();
    content.windowTitle = "countdown";
    content.autoExitSeconds = 3;
    content.link = links.linkWritingMarker(2, "closed.txt", "closed");
    RunningProgram run(makePictureProgram(links.folder.path(), "countdown.exe", content));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);
    const auto shown = std::chrono::steady_clock::now();

    EXPECT_EQ(windowText(window), L"countdown  3秒");
    EXPECT_TRUE(waitUntil([&] { return windowText(window) == L"countdown  2秒"; }, 3s));
    EXPECT_TRUE(waitUntil([&] { return windowText(window) == L"countdown  1秒"; }, 3s));
    EXPECT_FALSE(fileExists(links.folder.file("closed.txt"))) << "the close-time link waits for the window to go";

    ASSERT_TRUE(run.waitForExit(5s));
    const auto lasted = std::chrono::steady_clock::now() - shown;
    EXPECT_GE(lasted, 2s);
    EXPECT_LE(lasted, 5s);
    EXPECT_TRUE(waitUntil([&] { return links.markerText("closed.txt") == "closed"; }, 10s))
        << "the link target was started with its parameters once the window went";
}

TEST(AutoExit, EndsTheProgramEvenWhileTheCommentDialogIsOpen) {
    ScratchFolder folder;
    PackageContent content = samplePackage();
    content.autoExitSeconds = 2;
    content.autoCommentFlag = 1;
    RunningProgram run(makePictureProgram(folder.path(), "ends.exe", content));
    ASSERT_NE(run.waitForWindow(15s), nullptr);
    ASSERT_NE(waitForDialog(run.processId(), L"画像作者からのコメント"), nullptr) << "the comment dialog opened by itself";
    EXPECT_TRUE(run.waitForExit(6s)) << "the countdown ends the dialog it owns with the window";
}

TEST(AutoExit, ThousandSecondsAreGroupedAndCancellingRemovesTheSuffixAndTheMenuItem) {
    ScratchFolder folder;
    PackageContent content = samplePackage();
    content.windowTitle = "cancel";
    content.autoExitSeconds = 1000;
    RunningProgram run(makePictureProgram(folder.path(), "cancel.exe", content));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);

    EXPECT_EQ(windowText(window), L"cancel  1,000秒");
    EXPECT_TRUE(waitUntil([&] { return windowText(window) == L"cancel  999秒"; }, 3s));
    EXPECT_NE(findItem(contextMenu(run, window), "popup", IDM_CANCEL_AUTO_EXIT), nullptr);

    PostMessageA(window, WM_COMMAND, IDM_CANCEL_AUTO_EXIT, 0);
    EXPECT_TRUE(waitUntil([&] { return windowText(window) == L"cancel"; }, 3s));
    const auto menus = contextMenu(run, window);
    EXPECT_NE(findItem(menus, "popup", IDM_QUIT), nullptr);
    EXPECT_EQ(findItem(menus, "popup", IDM_CANCEL_AUTO_EXIT), nullptr) << "the command can be given only once";
    EXPECT_FALSE(waitUntil([&] { return windowText(window) != L"cancel"; }, 2500ms)) << "the countdown has stopped";
    EXPECT_FALSE(run.waitForExit(0ms));
}

TEST(Link, SetUpTimeLinkOpensWhileTheWindowIsUpAndAnEmptyTargetOpensNothing) {
    LinkFolder links;
    PackageContent opening = samplePackage();
    opening.windowTitle = "opening";
    opening.link = links.linkWritingMarker(1, "opened.txt", "opened");
    PackageContent empty = samplePackage();
    empty.windowTitle = "empty";
    empty.link = PackageLink{1, "", quoted(links.folder.file("never.txt"))};
    PackageContent emptyAtClose = empty;
    emptyAtClose.link->timing = 2;
    // Started together: each start costs seconds.
    RunningProgram openingRun(makePictureProgram(links.folder.path(), "opening.exe", opening));
    RunningProgram emptyRun(makePictureProgram(links.folder.path(), "empty.exe", empty));
    RunningProgram emptyAtCloseRun(makePictureProgram(links.folder.path(), "emptyclose.exe", emptyAtClose));

    ASSERT_NE(openingRun.waitForWindow(15s), nullptr);
    EXPECT_TRUE(waitUntil([&] { return links.markerText("opened.txt") == "opened"; }, 10s));
    EXPECT_FALSE(openingRun.waitForExit(0ms)) << "opened at set-up, not at the end";

    ASSERT_NE(emptyRun.waitForWindow(15s), nullptr);
    ASSERT_NE(emptyAtCloseRun.waitForWindow(15s), nullptr);
    emptyAtCloseRun.close();
    ASSERT_TRUE(emptyAtCloseRun.waitForExit(10s));
    // The shell would start something for an empty name (the current folder, at least); the
    // program must not ask it to.
    EXPECT_FALSE(waitUntil([&] { return !childProcesses(emptyRun.processId()).empty(); }, 1s));
    EXPECT_TRUE(childProcesses(emptyAtCloseRun.processId()).empty());
    EXPECT_FALSE(fileExists(links.folder.file("never.txt")));
}

}  // namespace
}  // namespace vistello::test
