// The any-size dialog: spin steps of 20 previewed on the picture window, the bounds 40 and 400,
// OK with a typed percentage, and Cancel returning the window to its opening size.
#include <windows.h>

#include <gtest/gtest.h>

#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "resources/resource.h"

namespace vistello::test {
namespace {

// sample.bmp is 160 x 120, so every percentage of the tests gives whole pixels and 400 % still
// fits the test screen.
constexpr int pictureWidth = 160;
constexpr int pictureHeight = 120;
const std::wstring anySizeCaption = L"任意のサイズに変更します";

class AnySizeDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        PackageContent content = samplePackage();
        content.windowTitle = "anysize";
        content.picture = readWholeFile(sourceFile("samples/sample.bmp"));
        run = std::make_unique<RunningProgram>(makePictureProgram(folder.path(), "anysize.exe", content));
        window = run->waitForWindow(15s);
        ASSERT_NE(window, nullptr);
    }

    HWND open() {
        PostMessageA(window, WM_COMMAND, IDM_ANY_SIZE, 0);
        const HWND dialog = waitForDialog(run->processId(), anySizeCaption);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    // One click on an arrow; true when the edit then shows expected.
    bool spin(HWND dialog, bool up, const std::wstring& expected) {
        clickSpinArrow(GetDlgItem(dialog, IDC_SIZE_SPIN), up);
        return waitUntil([&] { return itemText(dialog, IDC_SIZE_EDIT) == expected; }, 3s);
    }
    // A click that must change nothing: the click the other way that follows then moves one
    // step from the bound, not from beyond it.
    void spinRefused(HWND dialog, bool up, const std::wstring& afterOther) {
        clickSpinArrow(GetDlgItem(dialog, IDC_SIZE_SPIN), up);
        EXPECT_TRUE(spin(dialog, !up, afterOther)) << "the refused step changed the value";
    }
    bool showsPercent(int percent) {
        return waitUntil([&] {
            const SIZE size = clientSize(window);
            return size.cx == pictureWidth * percent / 100 && size.cy == pictureHeight * percent / 100;
        }, 3s);
    }
    void finish(HWND dialog, int button) {
        pressButton(dialog, button);
        ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));
    }
    void applyTyped(const wchar_t* typed) {
        const HWND dialog = open();
        ASSERT_NE(dialog, nullptr);
        SendMessageW(GetDlgItem(dialog, IDC_SIZE_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed));
        finish(dialog, IDOK);
    }

    ScratchFolder folder;
    std::unique_ptr<RunningProgram> run;
    HWND window = nullptr;
};


TEST_F(AnySizeDialogTest, SpinStepsPreviewAndCancelReturnsToTheOpeningSize) {
    const HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
    EXPECT_EQ(itemText(dialog, IDC_SIZE_EDIT), L"100");
    ASSERT_TRUE(spin(dialog, true, L"120"));
    EXPECT_TRUE(showsPercent(120)) << "each step is previewed at once";
    ASSERT_TRUE(spin(dialog, false, L"100"));
    EXPECT_TRUE(showsPercent(100));
    ASSERT_TRUE(spin(dialog, true, L"120"));
    ASSERT_TRUE(spin(dialog, true, L"140"));
    ASSERT_TRUE(spin(dialog, true, L"160"));
    EXPECT_TRUE(showsPercent(160));
    finish(dialog, IDCANCEL);
    EXPECT_TRUE(showsPercent(100)) << "Cancel previews the opening size";

    // Spinning to 160 and then typing 250: OK applies the typed number.
    const HWND typed = open();
    ASSERT_NE(typed, nullptr);
    ASSERT_TRUE(spin(typed, true, L"120"));
    ASSERT_TRUE(spin(typed, true, L"140"));
    ASSERT_TRUE(spin(typed, true, L"160"));
    SendMessageW(GetDlgItem(typed, IDC_SIZE_EDIT), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"250"));
    finish(typed, IDOK);
    EXPECT_TRUE(showsPercent(250));

    // The applied percentage is where the next dialog opens.
    const HWND reopened = open();
    ASSERT_NE(reopened, nullptr);
    EXPECT_EQ(itemText(reopened, IDC_SIZE_EDIT), L"250");
    finish(reopened, IDCANCEL);
    EXPECT_TRUE(showsPercent(250));
}

TEST_F(AnySizeDialogTest, StepsStopAtTheBoundsAndOkClampsTheTypedNumber) {
    applyTyped(L"1000");
    EXPECT_TRUE(showsPercent(400)) << "1000 is clamped to 400";
    applyTyped(L"5");
    EXPECT_TRUE(showsPercent(40)) << "5 is clamped to 40";
    applyTyped(L"390");
    EXPECT_TRUE(showsPercent(390));
    applyTyped(L"");
    EXPECT_TRUE(showsPercent(40)) << "an empty edit reads as 0";

    applyTyped(L"390");
    HWND dialog = open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(spin(dialog, true, L"400"));
    spinRefused(dialog, true, L"380");
    finish(dialog, IDOK);
    EXPECT_TRUE(showsPercent(380));

    PostMessageA(window, WM_COMMAND, IDM_ZOOM_50, 0);
    ASSERT_TRUE(showsPercent(50));
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(itemText(dialog, IDC_SIZE_EDIT), L"50");
    ASSERT_TRUE(spin(dialog, false, L"40"));
    spinRefused(dialog, false, L"60");
    finish(dialog, IDCANCEL);
    EXPECT_TRUE(showsPercent(50));

    applyTyped(L"55");
    dialog = open();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(spin(dialog, false, L"40")) << "35 is raised to 40";
    finish(dialog, IDOK);
    EXPECT_TRUE(showsPercent(40));
}

}  // namespace
}  // namespace vistello::test
