// Start-up of the real program file under Wine: the stamped package offset, the single-instance
// guard, the program without a package, and the picture window's template and system menu.
#include <gtest/gtest.h>

#include "app/package_offset.h"
#include "inject_probe.h"
#include "picture_programs.h"
#include "program_runner.h"

namespace vistello::test {
namespace {

TEST(ProgramFile, CarriesItsOwnLengthAsPackageOffset) {
    const auto program = readWholeFile(builtProgramPath());
    ASSERT_FALSE(program.empty());
    const auto at = findPackageOffset(program);
    ASSERT_TRUE(at.has_value()) << "the package-offset tag occurs exactly once";
    const std::span<const uint8_t, packageOffsetSize> bytes(program.data() + *at, packageOffsetSize);
    EXPECT_EQ(packageOffsetValue(bytes), program.size());
    EXPECT_EQ(bytes[8], 0);
}

TEST(Startup, ProgramWithoutPackageEndsWithoutAWindow) {
    ScratchFolder folder;
    const std::string stub = folder.file("stub.exe");
    writeWholeFile(stub, readWholeFile(builtProgramPath()));
    RunningProgram run(stub);
    ASSERT_TRUE(run.started());
    EXPECT_TRUE(run.waitForExit(15s));
    EXPECT_EQ(run.visibleWindow(), nullptr);
}

TEST(Startup, SecondStartOfTheSameFileEndsSilentlyWhileDifferentCopiesBothRun) {
    ScratchFolder folder;
    const std::string first = makePictureProgram(folder.path(), "first.exe", samplePackage());
    const std::string second = makePictureProgram(folder.path(), "second.exe", samplePackage());

    RunningProgram firstRun(first);
    ASSERT_NE(firstRun.waitForWindow(15s), nullptr);

    RunningProgram again(first);
    EXPECT_TRUE(again.waitForExit(15s)) << "a second start of the same program file ends at once";
    EXPECT_EQ(again.visibleWindow(), nullptr);

    RunningProgram otherCopy(second);
    EXPECT_NE(otherCopy.waitForWindow(15s), nullptr) << "another program file has its own mutex";
    EXPECT_FALSE(firstRun.waitForExit(0ms));
}

TEST(PictureWindow, HasTheTemplateStylesAndTheChangedSystemMenu) {
    ScratchFolder folder;
    RunningProgram run(makePictureProgram(folder.path(), "styles.exe", samplePackage()));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);

    const auto style = DWORD(GetWindowLongPtrA(window, GWL_STYLE));
    for (DWORD bit : {DWORD(WS_POPUP), DWORD(WS_VISIBLE), DWORD(WS_CAPTION), DWORD(WS_SYSMENU), DWORD(WS_MINIMIZEBOX)})
        EXPECT_EQ(style & bit, bit) << std::hex << bit;
    EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME | WS_CHILD), 0u);
    const auto extended = DWORD(GetWindowLongPtrA(window, GWL_EXSTYLE));
    EXPECT_EQ(extended & WS_EX_APPWINDOW, DWORD(WS_EX_APPWINDOW));
    EXPECT_EQ(extended & WS_EX_DLGMODALFRAME, DWORD(WS_EX_DLGMODALFRAME)) << "DS_MODALFRAME";
    char className[64] = {};
    GetClassNameA(window, className, sizeof className);
    EXPECT_STREQ(className, "#32770") << "a dialog";

    std::vector<MenuItem> menus;
    ASSERT_TRUE(waitUntil([&] { return findItem(menus = probeMenus(run.process(), run.processId()), "system", 0x10); }))
        << "the probe saw the system menu";
    EXPECT_EQ(findItem(menus, "system", SC_MAXIMIZE), nullptr);
    EXPECT_EQ(findItem(menus, "system", SC_SIZE), nullptr);
    EXPECT_NE(findItem(menus, "system", SC_MOVE), nullptr);
    EXPECT_NE(findItem(menus, "system", SC_CLOSE), nullptr);
    std::vector<const MenuItem*> system;
    for (const auto& item : menus)
        if (item.where == "system") system.push_back(&item);
    ASSERT_GE(system.size(), 4u);
    const auto last = system.end() - 4;
    EXPECT_EQ(last[0]->id, 0x20);
    EXPECT_EQ(last[0]->text, "中央配置(&R)");
    EXPECT_EQ(last[1]->state & MF_SEPARATOR, unsigned(MF_SEPARATOR));
    EXPECT_EQ(last[2]->id, 0x30);
    EXPECT_EQ(last[2]->text, "ちょっと一言(&T)...");
    EXPECT_EQ(last[3]->id, 0x10);
    EXPECT_EQ(last[3]->text, "ﾊﾞｰｼﾞｮﾝ情報(&A)...");
}

}  // namespace
}  // namespace vistello::test
