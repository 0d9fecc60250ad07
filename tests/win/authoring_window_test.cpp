// The authoring window (vistello-pack.exe without arguments) worked from outside, as a user
// would work it: a picture chosen in the Open dialog or dropped on the window, every field set,
// enclosed files added with Add... and dropped on their list, Make... into a path typed in the
// Save As dialog; the program written is compared byte for byte with what `vistello-pack make`
// writes for the same settings, and Open... of it fills the controls back. Drops come from a
// message hook in drop_probe.dll, which the system loads into the tool: on the window's own
// thread it posts WM_DROPFILES with a block in the tool's memory, as Explorer does.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "app/package_writer.h"
#include "drop_order.h"
#include "encode/bgr_image.h"
#include "encode/jpeg_encoder.h"
#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "screen_capture.h"
#include "tool_process.h"
#include "../../tools/win32/authoring/authoring_resources.h"

namespace vistello::test {
namespace {

constexpr int fileNameCombo = 0x47C;  // cmb13, the file name in the Open and Save As dialogs
constexpr int fileNameEdit = 0x480;   // edt1, where a dialog has no combo box

std::wstring controlText(HWND window, int id) {
    const HWND control = GetDlgItem(window, id);
    const LRESULT length = SendMessageW(control, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(size_t(length) + 1, L'\0');
    text.resize(size_t(SendMessageW(control, WM_GETTEXT, WPARAM(text.size()), reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

void setControlText(HWND window, int id, const std::wstring& text) {
    SendMessageW(GetDlgItem(window, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

bool has(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The centre of a control in its dialog's client area.
POINT centreOf(HWND window, int id) {
    RECT rect{};
    GetWindowRect(GetDlgItem(window, id), &rect);
    POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    ScreenToClient(window, &centre);
    return centre;
}

std::wstring dllPath(const char* unixPath) {
    std::wstring path = wide(unixPath);
    if (!path.empty() && path.front() == L'/') path = L"Z:" + path;
    for (wchar_t& c : path)
        if (c == L'/') c = L'\\';
    return path;
}

// Drops paths on the window at a point of its client area, through drop_probe.dll: its hook,
// set on the window's thread, drops them there as the window takes its next message.
bool dropFiles(const ToolProcess& tool, HWND window, POINT at, const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const auto& path : paths) list += path + L'\0';
    list += L'\0';
    const DropOrder order{uint64_t(reinterpret_cast<uintptr_t>(window)), at.x, at.y, uint32_t(list.size()), 0};
    const size_t bytes = sizeof order + list.size() * sizeof(wchar_t);
    const HANDLE mapping =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, DWORD(bytes), dropOrderName(tool.id()).c_str());
    if (!mapping) return false;
    auto* view = static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
    if (!view) {
        CloseHandle(mapping);
        return false;
    }
    std::memcpy(view, &order, sizeof order);
    std::memcpy(view + sizeof order, list.data(), list.size() * sizeof(wchar_t));
    const auto* placed = reinterpret_cast<const DropOrder*>(view);

    bool dropped = false;
    const HMODULE probe = LoadLibraryW(dllPath(VISTELLO_DROP_PROBE_PATH).c_str());
    const auto hook = probe ? reinterpret_cast<HOOKPROC>(reinterpret_cast<void*>(GetProcAddress(probe, "dropOnNextMessage"))) : nullptr;
    if (const HHOOK set = hook ? SetWindowsHookExW(WH_GETMESSAGE, hook, probe, GetWindowThreadProcessId(window, nullptr)) : nullptr) {
        dropped = waitUntil(
            [&] {
                PostMessageW(window, WM_NULL, 0, 0);  // a message for the hook to see
                return placed->done != 0;
            },
            10s);
        UnhookWindowsHookEx(set);
    }
    if (probe) FreeLibrary(probe);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return dropped;
}


// A key pressed and released while the control has the focus, as the keyboard would send it.
void pressKey(HWND control, UINT key) {
    const LPARAM scan = LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16;
    PostMessageW(control, WM_KEYDOWN, key, scan | 1);
    PostMessageW(control, WM_KEYUP, key, scan | LPARAM(0xC0000001));
}

// Another dialog of the tool than its window (a file dialog), or null.
HWND otherDialog(DWORD toolId, HWND window) {
    return findWindowOf(toolId, [&](HWND w) { return w != window && classNameOf(w) == "#32770"; });
}

// Saves the whole window as a PPM file (for the README's picture of the window).
void saveWindowPicture(HWND window, const char* path) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    Sleep(500);  // the X server draws what Wine sent
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const size_t stride = (size_t(width) * 3 + 3) & ~size_t(3);
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint8_t* bgr = static_cast<const uint8_t*>(bits) + size_t(y) * stride + size_t(x) * 3;
            ppm += {char(bgr[2]), char(bgr[1]), char(bgr[0])};
        }
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::string file = path;
    if (!file.empty() && file.front() == '/') file = "Z:" + file;
    writeWide(wide(file), std::vector<uint8_t>(ppm.begin(), ppm.end()));
}

// The tool's authoring window, open for the test's life.
class AuthoringSession {
public:
    AuthoringSession() : tool_(builtToolPath(), {}) {
        window_ = findDialog(tool_.id(), nullptr, 20s);
        if (window_) waitUntil([&] { return IsWindowVisible(window_) != FALSE; }, 5s);
    }
    ~AuthoringSession() {
        if (window_ && IsWindow(window_)) pressButton(window_, IDCANCEL);
        (void)tool_.ended(10s);
    }
    AuthoringSession(const AuthoringSession&) = delete;
    AuthoringSession& operator=(const AuthoringSession&) = delete;

    HWND window() const { return window_; }
    const ToolProcess& tool() const { return tool_; }
    std::wstring text(int id) const { return controlText(window_, id); }
    void set(int id, const std::wstring& text) const { setControlText(window_, id, text); }
    void choose(int combo, int index) const { SendDlgItemMessageW(window_, combo, CB_SETCURSEL, WPARAM(index), 0); }
    // A choice as the user makes it: the list tells its window.
    void pick(int combo, int index) const {
        choose(combo, index);
        SendMessageW(window_, WM_COMMAND, MAKEWPARAM(combo, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(window_, combo)));
    }
    bool enabled(int id) const { return IsWindowEnabled(GetDlgItem(window_, id)) != FALSE; }
    bool statusSays(const std::wstring& part, std::chrono::milliseconds deadline = 30s) const {
        return waitUntil([&] { return has(text(IDC_STATUS), part); }, deadline);
    }

    // Where the tool stands, for a failure's message: ended with its exit code, or what its
    // status and check lines say.
    std::string state() const {
        if (tool_.ended(0ms)) return "the tool has ended, exit code " + std::to_string(tool_.exitCode());
        if (!IsWindow(window_)) return "the tool runs without its window";
        return "the tool runs; status \"" + utf8(text(IDC_STATUS)) + "\", check \"" + utf8(text(IDC_CHECK_RESULT)) + "\"";
    }
    // Presses button, which opens a file dialog, and answers it with path.
    testing::AssertionResult answerFileDialog(int button, const std::wstring& path) const {
        pressButton(window_, button);
        HWND dialog = nullptr;
        waitUntil(
            [&] {
                dialog = findWindowOf(tool_.id(), [&](HWND w) { return w != window_ && classNameOf(w) == "#32770"; });
                return dialog != nullptr;
            },
            20s);
        if (!dialog) return testing::AssertionFailure() << "no file dialog opened within 20 s; " << state();
        const int field = GetDlgItem(dialog, fileNameCombo) ? fileNameCombo : fileNameEdit;
        setControlText(dialog, field, path);
        pressButton(dialog, IDOK);
        if (waitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 20s)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "the file dialog stayed open 20 s after OK; " << state();
    }
    // The picture's size and kind once its check came back.
    testing::AssertionResult pictureStudied(std::chrono::milliseconds deadline = 60s) const {
        if (waitUntil([&] { return !text(IDC_PICTURE_INFO).empty(); }, deadline)) return testing::AssertionSuccess();
        return testing::AssertionFailure() << "no picture line within " << deadline.count() << " ms; " << state();
    }
    std::vector<std::wstring> enclosedList() const {
        std::vector<std::wstring> items;
        const HWND list = GetDlgItem(window_, IDC_ENCLOSED_LIST);
        const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring item(size_t(SendMessageW(list, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
            item.resize(size_t(SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(item.data()))));
            items.push_back(item);
        }
        return items;
    }

private:
    ToolProcess tool_;
    HWND window_ = nullptr;
};

class AuthoringWindow : public ::testing::Test {
protected:
    void SetUp() override {
        picture_ = folder_.file(L"夕焼け.jpg");
        writeWide(picture_, samplePicture());
        writeWide(folder_.file(L"説明.txt"), {'r', 'e', 'a', 'd', '\r', '\n'});
        writeWide(folder_.file(L"data.bin"), {0, 1, 2, 3, 0xFF});
    }
    // vistello-pack make with the arguments; its exit status.
    DWORD runMake(const std::vector<std::wstring>& arguments) {
        std::vector<std::wstring> all = {L"make"};
        all.insert(all.end(), arguments.begin(), arguments.end());
        ToolProcess make(builtToolPath(), all, 0, folder_.file(L"make.log"));
        EXPECT_TRUE(make.ended(60s));
        return make.exitCode();
    }
    WideScratch folder_;
    std::wstring picture_;
};

// Every field set, a picture from the Open dialog, one enclosed file from Add... and one dropped
// on the list: the same bytes as make with the same settings. Then Open... of that program
// fills every control back, and Make... of it again writes the same bytes once more.
TEST_F(AuthoringWindow, MakesWhatMakeMakesAndOpensItBack) {
    const std::wstring made = folder_.file(L"窓で作成.exe");
    {
        AuthoringSession session;
        ASSERT_NE(session.window(), nullptr);
        EXPECT_FALSE(session.enabled(IDOK)) << "nothing to make without a picture";
        EXPECT_EQ(session.text(IDC_AUTO_EXIT), L"0");
        EXPECT_EQ(session.text(IDC_Z_ORDER), L"標準");
        EXPECT_EQ(session.text(IDC_START_POSITION), L"中央");
        EXPECT_EQ(session.text(IDC_CAPTION_MODE), L"あり");
        EXPECT_EQ(session.text(IDC_AUTO_COMMENT), L"表示しない");
        EXPECT_EQ(session.text(IDC_LINK_TIMING), L"起動時");

        ASSERT_TRUE(session.answerFileDialog(IDC_BROWSE, picture_));
        ASSERT_TRUE(session.pictureStudied());
        EXPECT_EQ(session.text(IDC_PICTURE_PATH), picture_);
        EXPECT_EQ(session.text(IDC_WINDOW_TITLE), L"夕焼け") << "the picture's name is the default title";
        EXPECT_TRUE(has(session.text(IDC_PICTURE_INFO), L"480 x 360, JPEG")) << session.text(IDC_PICTURE_INFO);
        EXPECT_TRUE(has(session.text(IDC_CHECK_RESULT), L"The program shows this picture whole.")) << session.text(IDC_CHECK_RESULT);

        session.set(IDC_WINDOW_TITLE, L"夕焼けの海");
        session.set(IDC_WORK_TITLE, L"作品〜その一");
        session.set(IDC_COMMENT, L"一行目\r\n二行目");
        session.set(IDC_AUTO_EXIT, L"30");
        session.choose(IDC_Z_ORDER, 1);
        session.choose(IDC_START_POSITION, 4);
        session.choose(IDC_CAPTION_MODE, 1);
        session.choose(IDC_AUTO_COMMENT, 1);
        session.set(IDC_LINK_TARGET, L"*\\説明.txt");
        session.set(IDC_LINK_PARAMETERS, L"/a");
        session.choose(IDC_LINK_TIMING, 1);
        ASSERT_TRUE(session.answerFileDialog(IDC_ENCLOSED_ADD, folder_.file(L"説明.txt")));
        ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_ENCLOSED_LIST),
                              {folder_.file(L"data.bin")}));
        ASSERT_TRUE(waitUntil([&] { return session.enclosedList().size() == 2; }));
        EXPECT_EQ(session.enclosedList(), (std::vector<std::wstring>{folder_.file(L"説明.txt"), folder_.file(L"data.bin")}));
        EXPECT_EQ(session.text(IDC_PICTURE_PATH), picture_) << "a file dropped on the list is no picture";

        ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
        ASSERT_TRUE(session.answerFileDialog(IDOK, made));
        ASSERT_TRUE(session.statusSays(L"作成しました。")) << session.text(IDC_STATUS);
        EXPECT_TRUE(has(session.text(IDC_STATUS), L"2 enclosed files")) << session.text(IDC_STATUS);
    }
    const std::wstring byMake = folder_.file(L"make.exe");
    ASSERT_EQ(runMake({picture_, L"-o", byMake, L"--title", L"夕焼けの海", L"--work-title", L"作品〜その一", L"--comment",
                       L"一行目\n二行目", L"--auto-exit", L"30", L"--z-order", L"top", L"--position", L"bottom-right",
                       L"--no-caption", L"--auto-comment", L"--link", L"*\\説明.txt", L"--link-params", L"/a",
                       L"--link-when", L"close", L"--enclose", folder_.file(L"説明.txt"), L"--enclose",
                       folder_.file(L"data.bin")}),
              0u);
    const auto program = readWide(made);
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program, readWide(byMake)) << "the window writes what make writes";

    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(session.answerFileDialog(IDC_OPEN_PROGRAM, made));
    ASSERT_TRUE(session.statusSays(L"開きました")) << session.text(IDC_STATUS);
    ASSERT_TRUE(session.pictureStudied());
    EXPECT_EQ(session.text(IDC_WINDOW_TITLE), L"夕焼けの海");
    EXPECT_EQ(session.text(IDC_WORK_TITLE), L"作品～その一") << "stored as the code page's own wave dash";
    EXPECT_EQ(session.text(IDC_COMMENT), L"一行目\r\n二行目");
    EXPECT_EQ(session.text(IDC_AUTO_EXIT), L"30");
    EXPECT_EQ(session.text(IDC_Z_ORDER), L"常に手前");
    EXPECT_EQ(session.text(IDC_START_POSITION), L"右下");
    EXPECT_EQ(session.text(IDC_CAPTION_MODE), L"なし");
    EXPECT_EQ(session.text(IDC_AUTO_COMMENT), L"表示する");
    EXPECT_EQ(session.text(IDC_LINK_TARGET), L"*\\説明.txt");
    EXPECT_EQ(session.text(IDC_LINK_PARAMETERS), L"/a");
    EXPECT_EQ(session.text(IDC_LINK_TIMING), L"終了時");
    const auto enclosed = session.enclosedList();
    ASSERT_EQ(enclosed.size(), 2u);
    EXPECT_TRUE(enclosed[0].ends_with(L"\\説明.txt")) << enclosed[0];
    EXPECT_TRUE(enclosed[1].ends_with(L"\\data.bin")) << enclosed[1];
    EXPECT_TRUE(has(session.text(IDC_PICTURE_INFO), L"480 x 360, JPEG"));
    if (const char* picture = getenv("VISTELLO_AUTHORING_SCREENSHOT")) saveWindowPicture(session.window(), picture);

    const std::wstring again = folder_.file(L"もう一度.exe");
    ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
    ASSERT_TRUE(session.answerFileDialog(IDOK, again));
    ASSERT_TRUE(session.statusSays(L"作成しました。")) << session.text(IDC_STATUS);
    EXPECT_EQ(readWide(again), program) << "opened and made again unchanged";
}

// A picture dropped anywhere on the window is chosen; a text with a character code page 932
// cannot hold is named next to its field and Make is disabled until it is gone.
TEST_F(AuthoringWindow, ADroppedPictureAndAnUnstorableTitle) {
    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {picture_}));
    ASSERT_TRUE(session.pictureStudied());
    EXPECT_EQ(session.text(IDC_PICTURE_PATH), picture_);
    EXPECT_EQ(session.text(IDC_WINDOW_TITLE), L"夕焼け");
    ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
    EXPECT_TRUE(session.enabled(IDC_TRY));

    session.set(IDC_WINDOW_TITLE, L"コーヒー☕");
    EXPECT_EQ(session.text(IDC_WINDOW_TITLE_PROBLEM).rfind(L"--title: column 5: '☕' (U+2615) cannot be stored in code page 932", 0), 0u)
        << session.text(IDC_WINDOW_TITLE_PROBLEM);
    EXPECT_FALSE(session.enabled(IDOK));
    EXPECT_FALSE(session.enabled(IDC_TRY));
    session.set(IDC_LINK_PARAMETERS, L"한");
    EXPECT_TRUE(has(session.text(IDC_LINK_PARAMETERS_PROBLEM), L"'한' (U+D55C)"));
    session.set(IDC_WINDOW_TITLE, L"コーヒー");
    session.set(IDC_LINK_PARAMETERS, L"");
    EXPECT_EQ(session.text(IDC_WINDOW_TITLE_PROBLEM), L"");
    EXPECT_TRUE(session.enabled(IDOK));
    session.set(IDC_AUTO_EXIT, L"-1");
    EXPECT_TRUE(has(session.text(IDC_AUTO_EXIT_PROBLEM), L"is not a number of seconds from 0 to 2147483647"));
    EXPECT_FALSE(session.enabled(IDOK));

    // Two files dropped outside the list are not taken for a picture.
    session.set(IDC_AUTO_EXIT, L"0");
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW),
                          {folder_.file(L"説明.txt"), folder_.file(L"data.bin")}));
    ASSERT_TRUE(session.statusSays(L"2 個のファイルがドロップされました"));
    EXPECT_EQ(session.text(IDC_PICTURE_PATH), picture_);
}


// The folders Try makes for the tool with this process id.
std::vector<std::wstring> trialFolders(DWORD toolId) {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    std::vector<std::wstring> folders;
    for (const auto& name : namesIn(std::wstring(temp).substr(0, wcslen(temp) - 1)))
        if (name.starts_with(L"vistello-pack-" + std::to_wstring(toolId) + L"-try-")) folders.push_back(std::wstring(temp) + name);
    return folders;
}

// A stored z-order and caption mode that no list offers are shown as "other (N)" and written
// back as they were: the package of the program made again is the one read.
TEST_F(AuthoringWindow, StoredCodesNoListOffersAreShownAndKept) {
    PackageContent content = samplePackage();
    content.windowTitle = "odd";
    content.zOrderMode = 7;
    content.captionMode = 5;
    const std::string odd = makePictureProgram(cp932(folder_.path()), "odd.exe", content);
    std::vector<uint8_t> package;
    const char* problem = nullptr;
    ASSERT_TRUE(writePackage(content, package, problem));

    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(session.answerFileDialog(IDC_OPEN_PROGRAM, wideFromAnsi(odd)));
    ASSERT_TRUE(session.statusSays(L"開きました")) << session.text(IDC_STATUS);
    EXPECT_EQ(session.text(IDC_Z_ORDER), L"other (7)");
    EXPECT_EQ(session.text(IDC_CAPTION_MODE), L"other (5)");
    EXPECT_EQ(session.text(IDC_WINDOW_TITLE), L"odd");
    ASSERT_TRUE(session.pictureStudied());
    ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
    const std::wstring again = folder_.file(L"again.exe");
    ASSERT_TRUE(session.answerFileDialog(IDOK, again));
    ASSERT_TRUE(session.statusSays(L"作成しました。")) << session.text(IDC_STATUS);
    const auto written = readWide(again);
    ASSERT_GT(written.size(), package.size());
    EXPECT_TRUE(std::equal(package.begin(), package.end(), written.end() - std::ptrdiff_t(package.size())))
        << "the package is written back unchanged";
}

// Try runs the program alone in a fresh folder and removes the folder when it has ended; a
// folder a tool that no longer runs left behind goes when the window opens.
TEST_F(AuthoringWindow, TryRunsTheProgramInAFolderOfItsOwnAndRemovesIt) {
    DWORD endedTool = 0;
    {
        ToolProcess version(builtToolPath(), {L"--version"}, 0, folder_.file(L"version.log"));
        ASSERT_TRUE(version.ended());
        endedTool = version.id();
    }
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring leftOver = std::wstring(temp) + L"vistello-pack-" + std::to_wstring(endedTool) + L"-try-1-1";
    ASSERT_TRUE(CreateDirectoryW(leftOver.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    writeWide(leftOver + L"\\wallpaper.bmp", {'B', 'M'});

    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    EXPECT_TRUE(waitUntil([&] { return !existsWide(leftOver); })) << "left over by a tool that ended";
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {picture_}));
    ASSERT_TRUE(session.pictureStudied());
    session.set(IDC_WINDOW_TITLE, L"試用の窓");
    ASSERT_TRUE(waitUntil([&] { return session.enabled(IDC_TRY); }));
    pressButton(session.window(), IDC_TRY);
    ASSERT_TRUE(session.statusSays(L"試用中"));
    HWND shown = nullptr;
    DWORD program = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            for (DWORD child : childProcesses(session.tool().id())) {
                shown = findWindowOf(child, [](HWND w) { return windowText(w) == L"試用の窓"; });
                program = child;
                if (shown) return true;
            }
            return false;
        },
        20s));
    const auto folders = trialFolders(session.tool().id());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(namesIn(folders[0]), std::vector<std::wstring>{L"夕焼け.exe"}) << "the program alone in its folder";
    PostMessageW(shown, WM_SYSCOMMAND, SC_CLOSE, 0);
    ASSERT_TRUE(session.statusSays(L"試用を終えました。試用のフォルダーは削除しました。")) << session.text(IDC_STATUS);
    EXPECT_FALSE(existsWide(folders[0]));
    EXPECT_TRUE(trialFolders(session.tool().id()).empty());
    (void)program;
}

// A 6000 x 4000 photograph is read, checked and decoded for the preview on a worker thread:
// while that runs the window answers messages at once.
TEST_F(AuthoringWindow, ALargePictureLeavesTheWindowAnswering) {
    BgrImage big(6000, 4000);
    for (int32_t y = 0; y < big.height; ++y) {
        uint8_t* row = big.row(y);
        for (int32_t x = 0; x < big.width; ++x) {
            row[3 * x] = uint8_t(x / 24);
            row[3 * x + 1] = uint8_t(y / 16);
            row[3 * x + 2] = uint8_t((x ^ y) & 0xFF);
        }
    }
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(encodeJpeg(big.view(), 90, jpeg));
    big = BgrImage();
    writeWide(folder_.file(L"大きい.jpg"), jpeg);

    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {folder_.file(L"大きい.jpg")}));
    int answeredWhileChecking = 0;
    int unanswered = 0;
    ASSERT_TRUE(waitUntil(
        [&] {
            const bool checking = has(session.text(IDC_CHECK_RESULT), L"Checking the picture");
            DWORD_PTR ignored = 0;
            const bool answered = SendMessageTimeoutW(session.window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 250, &ignored) != 0;
            if (checking && answered) ++answeredWhileChecking;
            if (!answered) ++unanswered;
            return !session.text(IDC_PICTURE_INFO).empty();
        },
        120s));
    EXPECT_GT(answeredWhileChecking, 0) << "the window answered while the picture was decoded";
    EXPECT_EQ(unanswered, 0);
    EXPECT_TRUE(has(session.text(IDC_PICTURE_INFO), L"6000 x 4000, JPEG")) << session.text(IDC_PICTURE_INFO);
    EXPECT_TRUE(has(session.text(IDC_CHECK_RESULT), L"warning: ")) << "too large for the screen: " << session.text(IDC_CHECK_RESULT);
}

// The preview shows the picture: many colours inside the box, the box's own colour around it.
TEST_F(AuthoringWindow, ThePreviewShowsThePicture) {
    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {picture_}));
    ASSERT_TRUE(session.pictureStudied());
    Pixels shown;
    auto colours = [](const Pixels& pixels) {
        std::set<uint32_t> seen;
        for (int y = 0; y < pixels.height; ++y)
            for (int x = 0; x < pixels.width; ++x) {
                const uint8_t* p = pixels.at(x, y);
                seen.insert(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
            }
        return seen.size();
    };
    ASSERT_TRUE(waitUntil([&] {
        shown = captureClient(GetDlgItem(session.window(), IDC_PREVIEW));
        return colours(shown) > 500;
    })) << colours(shown) << " colours";
    // The sample is 4:3, the box wider: the picture is centred, the box's colour on either side.
    auto pixel = [&](int x, int y) { return std::vector<uint8_t>(shown.at(x, y), shown.at(x, y) + 3); };
    const int right = shown.width - 4;
    EXPECT_EQ(pixel(3, shown.height / 2), pixel(3, 3));
    EXPECT_EQ(pixel(right, shown.height - 4), pixel(3, 3));
    EXPECT_NE(pixel(shown.width / 2, shown.height / 2), pixel(3, 3));
}

// The keyboard: Enter in the comment is a line break, Enter elsewhere is Make... (its Save As
// dialog), Escape closes the window.
TEST_F(AuthoringWindow, EnterMakesButBreaksTheCommentsLinesAndEscapeCloses) {
    AuthoringSession session;
    ASSERT_NE(session.window(), nullptr);
    ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {picture_}));
    ASSERT_TRUE(session.pictureStudied());
    ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
    const HWND comment = GetDlgItem(session.window(), IDC_COMMENT);
    session.set(IDC_COMMENT, L"一行目");
    SendMessageW(session.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(comment), TRUE);  // selects the whole text
    SendMessageW(comment, EM_SETSEL, 3, 3);
    pressKey(comment, VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return session.text(IDC_COMMENT) == L"一行目\r\n"; })) << "Enter breaks the comment's line";
    EXPECT_EQ(otherDialog(session.tool().id(), session.window()), nullptr) << "and makes nothing";

    const HWND title = GetDlgItem(session.window(), IDC_WINDOW_TITLE);
    SendMessageW(session.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(title), TRUE);
    pressKey(title, VK_RETURN);
    HWND save = nullptr;
    ASSERT_TRUE(waitUntil([&] { return (save = otherDialog(session.tool().id(), session.window())) != nullptr; }, 20s))
        << "Enter in a title is Make...";
    pressButton(save, IDCANCEL);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(save); }));

    SendMessageW(session.window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(title), TRUE);
    pressKey(title, VK_ESCAPE);
    EXPECT_TRUE(session.tool().ended(15s)) << "Escape closes the window and the tool ends";
}

// The fit: a photograph fitted into 1024 x 768 is previewed and judged as make will pack it,
// and Make... writes what make --fit 1024x768 writes; a custom box make would refuse is named.
TEST_F(AuthoringWindow, AFittedPictureIsWhatMakeFitMakes) {
    BgrImage photo(2400, 1800);
    for (int32_t y = 0; y < photo.height; ++y)
        for (int32_t x = 0; x < photo.width; ++x) {
            uint8_t* p = photo.row(y) + 3 * x;
            p[0] = uint8_t(x / 10);
            p[1] = uint8_t(y / 8);
            p[2] = uint8_t((x + y) / 17);
        }
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(encodeJpeg(photo.view(), 92, jpeg));
    const std::wstring picture = folder_.file(L"写真.jpg");
    writeWide(picture, jpeg);
    const std::wstring made = folder_.file(L"写真.exe");
    {
        AuthoringSession session;
        ASSERT_NE(session.window(), nullptr);
        EXPECT_EQ(session.text(IDC_FIT), L"元のサイズのまま");
        ASSERT_TRUE(dropFiles(session.tool(), session.window(), centreOf(session.window(), IDC_PREVIEW), {picture}));
        ASSERT_TRUE(session.pictureStudied());
        EXPECT_EQ(session.text(IDC_PICTURE_INFO), L"2400 x 1800, JPEG (baseline, 4:2:0)");
        EXPECT_TRUE(has(session.text(IDC_CHECK_RESULT), L"warning: ")) << "too large for the screen as it is";

        session.pick(IDC_FIT, 3);
        ASSERT_TRUE(waitUntil([&] { return has(session.text(IDC_PICTURE_INFO), L"fitted 2400 x 1800 to 1024 x 768"); }, 60s))
            << session.text(IDC_PICTURE_INFO);
        ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }));
        EXPECT_FALSE(has(session.text(IDC_CHECK_RESULT), L"warning: ")) << session.text(IDC_CHECK_RESULT);

        session.pick(IDC_FIT, 4);
        session.set(IDC_FIT_CUSTOM, L"800x");
        EXPECT_TRUE(has(session.text(IDC_FIT_PROBLEM), L"--fit: '800x' is neither WxH")) << session.text(IDC_FIT_PROBLEM);
        EXPECT_FALSE(session.enabled(IDOK));
        session.pick(IDC_FIT, 3);
        ASSERT_TRUE(waitUntil([&] { return session.enabled(IDOK); }, 60s));
        // The custom box's typing delay ran out after the fit was chosen again: there is nothing
        // left for it to study, and Make... stays offered.
        EXPECT_FALSE(waitUntil([&] { return !session.enabled(IDOK) || has(session.text(IDC_CHECK_RESULT), L"Checking the picture"); },
                               1500ms))
            << "the picture was studied again";
        ASSERT_TRUE(session.answerFileDialog(IDOK, made));
        ASSERT_TRUE(session.statusSays(L"作成しました。")) << session.text(IDC_STATUS);
        EXPECT_TRUE(has(session.text(IDC_STATUS), L"fitted 2400 x 1800 to 1024 x 768")) << session.text(IDC_STATUS);
    }
    const std::wstring byMake = folder_.file(L"make.exe");
    ASSERT_EQ(runMake({picture, L"-o", byMake, L"--title", L"写真", L"--fit", L"1024x768"}), 0u);
    const auto program = readWide(made);
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program, readWide(byMake)) << "the window writes what make --fit writes";
}

}  // namespace
}  // namespace vistello::test
