// The comment dialog and the about dialog, and the unpacking of enclosed files: what it writes,
// what it replaces, and the names and damaged entries it refuses.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "picture_programs.h"
#include "program_observer.h"
#include "program_runner.h"
#include "resources/resource.h"

namespace vistello::test {
namespace {

const std::wstring commentCaption = L"画像作者からのコメント";
const std::wstring commentCaptionWithFiles = L"画像作者からのコメント(同梱ファイルがあります)";
const std::wstring unpackFinished = L"同梱ファイルの開封が終了しました。";

std::vector<uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }
std::string textOf(const std::string& path) {
    const auto bytes = readWholeFile(path);
    return {bytes.begin(), bytes.end()};
}

// The names in a folder, sorted.
std::vector<std::string> folderContents(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

// A program whose comment dialog opens by itself, offering the given enclosed files.
PackageContent unpackingPackage(std::vector<EnclosedFile> files) {
    PackageContent content = samplePackage();
    content.windowTitle = "unpack";
    content.autoCommentFlag = 1;
    content.enclosedFiles = std::move(files);
    return content;
}

// The package writer refuses unsafe names, so such a package is written with a placeholder
// of the same length that is then replaced in the bytes.
std::string programWithEnclosedName(const std::string& folder, const std::string& program, PackageContent content,
                                    const std::string& placeholder, const std::string& name) {
    std::vector<uint8_t> bytes = readWholeFile(builtProgramPath());
    const char* problem = nullptr;
    EXPECT_TRUE(writePackage(content, bytes, problem)) << (problem ? problem : "");
    EXPECT_EQ(placeholder.size(), name.size());
    const std::string stored(placeholder.c_str(), placeholder.size() + 1);  // with its zero byte
    const auto at = std::find_end(bytes.begin(), bytes.end(), stored.begin(), stored.end());
    EXPECT_NE(at, bytes.end());
    if (at != bytes.end()) std::copy(name.begin(), name.end(), at);
    const std::string path = folder + "\\" + program;
    writeWholeFile(path, bytes);
    return path;
}

TEST(CommentDialog, OpensByItselfWithTheAuthorsTextsAndUnpacksReplacingExistingFiles) {
    ScratchFolder folder;
    Subfolder docs(folder.file("docs"));
    writeWholeFile(folder.file("readme.txt"), bytesOf("an older and longer readme"));
    const std::string japaneseName = cp932(L"説明.txt");
    PackageContent content = unpackingPackage({
        {"readme.txt", bytesOf("new readme")},
        {"docs\\" + japaneseName, bytesOf("in the subfolder")},
        {"empty.txt", {}},
    });
    content.workTitle = cp932(L"夕焼けの丘");
    content.commentText = cp932(L"作者からの一言です。");
    RunningProgram run(makePictureProgram(folder.path(), "comment.exe", content));

    const HWND dialog = waitForDialog(run.processId(), commentCaptionWithFiles, 15s);
    ASSERT_NE(dialog, nullptr) << "the automatic comment opens the dialog, with the enclosed-file caption";
    EXPECT_EQ(itemText(dialog, IDC_WORK_TITLE), L"夕焼けの丘");
    EXPECT_EQ(itemText(dialog, IDC_COMMENT_TEXT), L"作者からの一言です。");
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(dialog, IDC_UNPACK)));

    pressButton(dialog, IDC_UNPACK);
    const HWND box = waitForMessageBox(run.processId());
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(messageBoxText(box), unpackFinished);
    EXPECT_EQ(textOf(folder.file("readme.txt")), "new readme") << "an existing file is replaced";
    EXPECT_EQ(textOf(docs.file(japaneseName)), "in the subfolder");
    EXPECT_TRUE(fileExists(folder.file("empty.txt")));
    EXPECT_TRUE(readWholeFile(folder.file("empty.txt")).empty());
    pressButton(box, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
    pressButton(dialog, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));

    // The context menu's command opens it again; the timer opened it only once.
    const HWND window = run.waitForWindow();
    PostMessageA(window, WM_COMMAND, IDM_COMMENT, 0);
    const HWND again = waitForDialog(run.processId(), commentCaptionWithFiles);
    ASSERT_NE(again, nullptr);
    pressButton(again, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(again); }));
}

TEST(CommentDialog, ForACommandLinePictureShowsEmptyTextsAndNoUnpackButtonAndTheAboutBoxOpens) {
    ScratchFolder folder;
    const std::string viewer = folder.file("viewer.exe");
    writeWholeFile(viewer, readWholeFile(builtProgramPath()));
    const std::string picture = folder.file("cat.jpg");
    writeWholeFile(picture, samplePicture());
    RunningProgram run(viewer, quoted(picture));
    const HWND window = run.waitForWindow(15s);
    ASSERT_NE(window, nullptr);

    PostMessageA(window, WM_SYSCOMMAND, IDM_SYS_COMMENT, 0);
    const HWND dialog = waitForDialog(run.processId(), commentCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(itemText(dialog, IDC_WORK_TITLE), L"") << "the template's text is replaced";
    EXPECT_EQ(itemText(dialog, IDC_COMMENT_TEXT), L"");
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_UNPACK)));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window);
    pressButton(dialog, IDOK);
    ASSERT_TRUE(waitUntil([&] { return !IsWindow(dialog); }));

    for (const auto& [message, id] : {std::pair{UINT(WM_SYSCOMMAND), WPARAM(IDM_SYS_ABOUT)},
                                      std::pair{UINT(WM_COMMAND), WPARAM(IDM_ABOUT)}}) {
        SCOPED_TRACE(message);
        PostMessageA(window, message, id, 0);
        const HWND about = waitForDialog(run.processId(), L"Vistelloのﾊﾞｰｼﾞｮﾝ情報");
        ASSERT_NE(about, nullptr);
        EXPECT_EQ(GetWindow(about, GW_OWNER), window);
        pressButton(about, IDOK);
        EXPECT_TRUE(waitUntil([&] { return !IsWindow(about); }));
    }
}

TEST(Unpack, RefusesNamesThatLeaveTheProgramsFolderWithoutWritingAnything) {
    ScratchFolder folder;
    ScratchFolder outside;
    const std::string parent = folder.path().substr(0, folder.path().rfind('\\'));
    const std::string escapedName = "escaped-" + std::to_string(GetCurrentProcessId()) + ".txt";
    struct Case {
        const char* what;
        std::string name;
        std::string escapeTarget;  // where a careless unpacker would have written
    };
    const Case cases[] = {
        {"parent", "..\\" + escapedName, parent + "\\" + escapedName},
        {"parent through a subfolder", "docs\\..\\..\\" + escapedName, parent + "\\" + escapedName},
        {"absolute", outside.file("absolute.txt"), outside.file("absolute.txt")},
        {"device path", "\\\\?\\" + outside.file("device.txt"), outside.file("device.txt")},
        {"rooted", "\\" + outside.file("rooted.txt").substr(3), outside.file("rooted.txt")},
        {"drive-relative", "C:" + escapedName, ""},
        {"device name", "NUL", ""},
        {"missing subfolder", "nowhere\\file.txt", folder.file("nowhere")},
    };
    std::vector<std::unique_ptr<RunningProgram>> runs;
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string placeholder(cases[i].name.size(), 'Q');
        const auto content = unpackingPackage({{"before" + std::to_string(i) + ".txt", bytesOf("before")},
                                               {placeholder, bytesOf("escaped")}});
        runs.push_back(std::make_unique<RunningProgram>(programWithEnclosedName(
            folder.path(), "unsafe" + std::to_string(i) + ".exe", content, placeholder, cases[i].name)));
    }
    std::vector<HWND> dialogs;
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        const HWND dialog = waitForDialog(runs[i]->processId(), commentCaptionWithFiles, 30s);
        ASSERT_NE(dialog, nullptr);
        dialogs.push_back(dialog);
        pressButton(dialog, IDC_UNPACK);
        EXPECT_TRUE(waitUntil([&] { return fileExists(folder.file("before" + std::to_string(i) + ".txt")); }))
            << "the entries before the refused one are written";
    }
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_EQ(waitForMessageBox(runs[i]->processId(), i == 0 ? 1500ms : 0ms), nullptr)
            << "no completion message";
        if (!cases[i].escapeTarget.empty()) {
            EXPECT_FALSE(fileExists(cases[i].escapeTarget));
        }
        pressButton(dialogs[i], IDOK);  // so that closing the program reaches its window
    }
    EXPECT_TRUE(folderContents(outside.path()).empty());
    const auto written = folderContents(folder.path());
    for (const auto& name : written) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(name.starts_with("before") || name.starts_with("unsafe")) << "nothing else in the folder";
    }
}

TEST(Unpack, ShortContentsLeaveNoFileAndNoEntriesStillFinish) {
    ScratchFolder folder;
    // The last entry says 100 bytes, but the file ends 60 bytes early.
    std::string cutProgram =
        makePictureProgram(folder.path(), "cut.exe",
                           unpackingPackage({{"good.txt", bytesOf("good")}, {"cut.txt", std::vector<uint8_t>(100, 'c')}}));
    auto bytes = readWholeFile(cutProgram);
    bytes.resize(bytes.size() - 60);
    writeWholeFile(cutProgram, bytes);
    RunningProgram cut(cutProgram);
    RunningProgram none(makePictureProgram(folder.path(), "none.exe", unpackingPackage({})));

    const HWND cutDialog = waitForDialog(cut.processId(), commentCaptionWithFiles, 20s);
    const HWND noneDialog = waitForDialog(none.processId(), commentCaptionWithFiles, 20s);
    ASSERT_NE(cutDialog, nullptr);
    ASSERT_NE(noneDialog, nullptr);
    pressButton(cutDialog, IDC_UNPACK);
    pressButton(noneDialog, IDC_UNPACK);

    const HWND box = waitForMessageBox(none.processId());
    ASSERT_NE(box, nullptr) << "a count of 0 still finishes";
    EXPECT_EQ(messageBoxText(box), unpackFinished);
    pressButton(box, IDOK);

    EXPECT_TRUE(waitUntil([&] { return fileExists(folder.file("good.txt")); }));
    EXPECT_EQ(waitForMessageBox(cut.processId(), 1s), nullptr) << "no completion message";
    EXPECT_EQ(textOf(folder.file("good.txt")), "good");
    EXPECT_FALSE(fileExists(folder.file("cut.txt"))) << "no incomplete file is left behind";
    EXPECT_EQ(folderContents(folder.path()), (std::vector<std::string>{"cut.exe", "good.txt", "none.exe"}));
    pressButton(cutDialog, IDOK);
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(box); }));
    pressButton(noneDialog, IDOK);
}

}  // namespace
}  // namespace vistello::test
