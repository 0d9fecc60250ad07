#include "win32/authoring/authoring_window.h"

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "authoring/authoring_form.h"
#include "authoring/open_program.h"
#include "authoring/picture_study.h"
#include "authoring/setting_choices.h"
#include "commands/make_program.h"
#include "framework/dialog.h"
#include "platform/collected_console.h"
#include "text/display_text.h"
#include "win32/authoring/authoring_resources.h"
#include "win32/authoring/file_dialogs.h"
#include "win32/authoring/preview_image.h"
#include "win32/authoring/work_folders.h"
#include "win32/wide_text.h"
#include "win32/win32_files.h"

namespace vistello::tools::win32 {
namespace {

// Results of the worker threads, posted to the window; lParam owns the result.
constexpr UINT studyDone = WM_APP + 1;
constexpr UINT makeDone = WM_APP + 2;
constexpr UINT trialEnded = WM_APP + 3;
constexpr UINT programOpened = WM_APP + 4;
// A custom fit is studied once the author has stopped typing it for a moment.
constexpr UINT_PTR customFitTimer = 1;
constexpr UINT customFitDelay = 500;

struct TextField {
    int edit;
    int problem;
    FormText field;
};
constexpr TextField textFields[] = {
    {IDC_WINDOW_TITLE, IDC_WINDOW_TITLE_PROBLEM, FormText::windowTitle},
    {IDC_WORK_TITLE, IDC_WORK_TITLE_PROBLEM, FormText::workTitle},
    {IDC_COMMENT, IDC_COMMENT_PROBLEM, FormText::comment},
    {IDC_LINK_TARGET, IDC_LINK_TARGET_PROBLEM, FormText::linkTarget},
    {IDC_LINK_PARAMETERS, IDC_LINK_PARAMETERS_PROBLEM, FormText::linkParameters},
};

struct SettingField {
    int combo;
    FormSetting setting;
    int32_t AuthoringForm::*code;
};
constexpr SettingField settingFields[] = {
    {IDC_Z_ORDER, FormSetting::zOrder, &AuthoringForm::zOrderMode},
    {IDC_START_POSITION, FormSetting::startPosition, &AuthoringForm::startPosition},
    {IDC_CAPTION_MODE, FormSetting::captionMode, &AuthoringForm::captionMode},
    {IDC_AUTO_COMMENT, FormSetting::autoComment, &AuthoringForm::autoCommentFlag},
    {IDC_LINK_TIMING, FormSetting::linkTiming, &AuthoringForm::linkTiming},
};

struct StudyResult {
    unsigned generation = 0;
    std::string path;
    PictureStudy study;
};

struct MakeResult {
    bool made = false;
    bool trial = false;
    MakeRecipe recipe;
    MakeOutcome outcome;
    std::string trialFolder;
};

struct TrialEnd {
    std::string folder;
};

struct OpenResult {
    bool read = false;
    std::string program;
    std::string folder;
    AuthoringForm form;
    std::vector<std::string> notes;
    std::string problem;
};

// Posts a worker's result; when the window has gone the result goes with the message.
template <typename Result>
void postResult(HWND window, UINT message, std::unique_ptr<Result> result) {
    if (PostMessageW(window, message, 0, reinterpret_cast<LPARAM>(result.get()))) (void)result.release();
}

class AuthoringWindow final : public CDialog {
public:
    explicit AuthoringWindow(ToolContext& tool) : CDialog(IDD_AUTHORING), tool_(tool) {}
    ~AuthoringWindow() override {
        for (auto& worker : workers_)
            if (worker.joinable()) worker.join();
        (void)removeWorkFolder(openedFolder_);
    }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override { makeTo(false); }
    void OnCancel() override { EndDialog(IDCANCEL); }
    bool ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    // ---- the controls ----
    std::string text(int id) const;
    void setText(int id, const std::string& utf8);
    void fillChoices(const SettingField& field, int32_t current);
    int32_t chosenCode(int combo) const;
    void showForm();
    void readForm();
    void refreshChecks();
    void setStatus(const std::string& utf8) { setText(IDC_STATUS, utf8); }

    // ---- the picture ----
    void choosePicture(const std::string& path, bool titleFromPicture);
    void fillFitChoices();
    void startStudy();
    void onStudied(std::unique_ptr<StudyResult> result);
    void onDrop(HDROP drop);

    // ---- the commands ----
    void browse();
    void addEnclosed(const std::vector<std::string>& paths);
    void removeEnclosed();
    void openProgram();
    void onOpened(std::unique_ptr<OpenResult> result);
    void makeTo(bool trial);
    void onMade(std::unique_ptr<MakeResult> result);
    void startTrial(const MakeResult& result);
    void onTrialEnded(std::unique_ptr<TrialEnd> end);
    // Runs job(tool, result) on a worker thread with a tool context of its own (its own files
    // and a console that keeps what is written) and posts the result with doneMessage; where
    // the job throws, noMemory(result) records it as running out of memory.
    template <typename Result, typename Job, typename NoMemory>
    void startToolJob(UINT doneMessage, std::unique_ptr<Result> result, Job job, NoMemory noMemory) {
        const HWND window = m_hWnd;
        const auto stub = tool_.builtInStub;
        workers_.emplace_back([window, stub, doneMessage, job, noMemory, result = std::move(result)]() mutable {
            Win32FileSystem files;
            CollectedConsole console;
            ToolContext tool{files, console, stub};
            try {
                job(tool, *result);
            } catch (const std::exception&) {
                noMemory(*result);
            }
            postResult(window, doneMessage, std::move(result));
        });
    }

    ToolContext& tool_;
    AuthoringForm form_;
    std::string defaultTitle_;      // the title the picture gave, while the author keeps it
    std::string openedProgram_;     // the program Open... read, proposed by Make...
    std::string openedFolder_;      // where its picture and files were written out
    bool filling_ = false;          // the controls are being set from the form
    unsigned studyGeneration_ = 0;  // the picture study whose result counts
    bool studying_ = false;
    bool busy_ = false;             // a program is being written or read
    std::optional<PictureStudy> study_;  // of form_.picturePath, once it came
    PreviewImage preview_;
    std::vector<std::thread> workers_;
};

// ---- the controls -------------------------------------------------------------------------

std::string AuthoringWindow::text(int id) const {
    const HWND control = GetDlgItem(id);
    std::wstring wide(size_t(GetWindowTextLengthW(control)) + 1, L'\0');
    wide.resize(size_t(GetWindowTextW(control, wide.data(), int(wide.size()))));
    return utf8FromWide(wide);
}

void AuthoringWindow::setText(int id, const std::string& utf8) { SetDlgItemTextW(m_hWnd, id, wideFromUtf8(utf8).c_str()); }

void AuthoringWindow::fillChoices(const SettingField& field, int32_t current) {
    const HWND combo = GetDlgItem(field.combo);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    const auto choices = choicesFor(field.setting, current);
    for (const auto& choice : choices) {
        const LRESULT at = SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(choice.label).c_str()));
        SendMessageW(combo, CB_SETITEMDATA, WPARAM(at), LPARAM(choice.stored));
    }
    SendMessageW(combo, CB_SETCURSEL, choiceIndex(choices, current), 0);
}

int32_t AuthoringWindow::chosenCode(int combo) const {
    const LRESULT at = SendDlgItemMessageW(m_hWnd, combo, CB_GETCURSEL, 0, 0);
    return at == CB_ERR ? 0 : int32_t(SendDlgItemMessageW(m_hWnd, combo, CB_GETITEMDATA, WPARAM(at), 0));
}

void AuthoringWindow::showForm() {
    filling_ = true;
    setText(IDC_PICTURE_PATH, form_.picturePath);
    for (const auto& field : textFields) setText(field.edit, textOf(form_, field.field));
    setText(IDC_AUTO_EXIT, form_.autoExitSeconds);
    for (const auto& field : settingFields) fillChoices(field, form_.*field.code);
    SendDlgItemMessageW(m_hWnd, IDC_FIT, CB_SETCURSEL, WPARAM(form_.fitKind), 0);
    setText(IDC_FIT_CUSTOM, form_.customFit);
    SendDlgItemMessageW(m_hWnd, IDC_ENCLOSED_LIST, LB_RESETCONTENT, 0, 0);
    for (const auto& path : form_.enclosedPaths)
        SendDlgItemMessageW(m_hWnd, IDC_ENCLOSED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(path).c_str()));
    filling_ = false;
    refreshChecks();
}

void AuthoringWindow::readForm() {
    form_.windowTitle = text(IDC_WINDOW_TITLE);
    form_.workTitle = text(IDC_WORK_TITLE);
    form_.comment = text(IDC_COMMENT);
    form_.linkTarget = text(IDC_LINK_TARGET);
    form_.linkParameters = text(IDC_LINK_PARAMETERS);
    form_.autoExitSeconds = text(IDC_AUTO_EXIT);
    for (const auto& field : settingFields) form_.*field.code = chosenCode(field.combo);
    const LRESULT fit = SendDlgItemMessageW(m_hWnd, IDC_FIT, CB_GETCURSEL, 0, 0);
    form_.fitKind = fit == CB_ERR ? FitKind::original : fitOptions[size_t(fit)].kind;
    form_.customFit = text(IDC_FIT_CUSTOM);
}

void AuthoringWindow::fillFitChoices() {
    for (const auto& option : fitOptions)
        SendDlgItemMessageW(m_hWnd, IDC_FIT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(option.label).c_str()));
}

// Each field's problem next to it; Make and Try only when there is none and the check let the
// picture pass.
void AuthoringWindow::refreshChecks() {
    if (filling_) return;
    readForm();
    for (const auto& field : textFields) setText(field.problem, textProblem(field.field, textOf(form_, field.field)));
    std::string seconds = secondsProblem(form_.autoExitSeconds);
    setText(IDC_AUTO_EXIT_PROBLEM, seconds);
    setText(IDC_ENCLOSED_PROBLEM, enclosedProblem(tool_.files, form_.enclosedPaths));
    setText(IDC_FIT_PROBLEM, fitProblem(form_));
    EnableWindow(GetDlgItem(IDC_FIT_CUSTOM), form_.fitKind == FitKind::custom);
    const bool pictureFine = study_ && study_->read && study_->report.shownWhole && study_->fitProblem.empty();
    const bool ready = !studying_ && !busy_ && pictureFine && formProblems(tool_.files, form_).empty();
    EnableWindow(GetDlgItem(IDOK), ready);
    EnableWindow(GetDlgItem(IDC_TRY), ready);
    EnableWindow(GetDlgItem(IDC_OPEN_PROGRAM), !busy_);
    EnableWindow(GetDlgItem(IDC_BROWSE), !busy_);
}

// ---- the picture --------------------------------------------------------------------------

void AuthoringWindow::choosePicture(const std::string& path, bool titleFromPicture) {
    form_.picturePath = path;
    setText(IDC_PICTURE_PATH, path);
    if (titleFromPicture) {
        std::vector<std::string> notes;
        const std::string title = titleForPicture(tool_.files.fileName(path), notes);
        // The picture's name is the title unless the author has typed one of their own.
        if (text(IDC_WINDOW_TITLE).empty() || text(IDC_WINDOW_TITLE) == defaultTitle_) setText(IDC_WINDOW_TITLE, title);
        defaultTitle_ = title;
    }
    startStudy();
}

void AuthoringWindow::startStudy() {
    if (form_.picturePath.empty()) return;
    // This study reads the form as it is now, the custom fit box included: a study the box's
    // typing delay still has pending would only repeat it, and take Make... away meanwhile.
    KillTimer(m_hWnd, customFitTimer);
    readForm();
    study_.reset();
    preview_.clear();
    studying_ = true;
    InvalidateRect(GetDlgItem(IDC_PREVIEW), nullptr, TRUE);
    setText(IDC_PICTURE_INFO, "");
    setText(IDC_CHECK_RESULT, "画像を調べています... Checking the picture...");
    refreshChecks();
    RECT box{};
    GetClientRect(GetDlgItem(IDC_PREVIEW), &box);
    const PictureSize previewBox{box.right - 4, box.bottom - 4};
    const WindowSettings settings{form_.captionMode, form_.startPosition};
    const FitChoice fit = fitProblem(form_).empty() ? fitChoiceOf(form_) : FitChoice();
    auto result = std::make_unique<StudyResult>();
    result->generation = ++studyGeneration_;
    result->path = form_.picturePath;
    const HWND window = m_hWnd;
    workers_.emplace_back([window, settings, previewBox, fit, result = std::move(result)]() mutable {
        Win32FileSystem files;
        try {
            result->study = studyPicture(files, result->path, settings, previewBox, fit);
        } catch (const std::exception&) {
            result->study = PictureStudy();
            result->study.problem = "out of memory";
        }
        postResult(window, studyDone, std::move(result));
    });
}

void AuthoringWindow::onStudied(std::unique_ptr<StudyResult> result) {
    if (result->generation != studyGeneration_) return;  // a later choice counts
    studying_ = false;
    study_ = std::move(result->study);
    std::string lines;
    if (!study_->read) {
        setText(IDC_PICTURE_INFO, "-");
        lines = study_->problem;
    } else {
        setText(IDC_PICTURE_INFO, pictureLine(*study_));
        if (!study_->fitProblem.empty()) lines += displayUtf8(result->path) + ": cannot be fitted: " + study_->fitProblem + "\r\n";
        for (const auto& line : verdictLines(result->path, study_->report)) lines += line + "\r\n";
    }
    setText(IDC_CHECK_RESULT, lines);
    preview_.show(study_->preview);
    study_->preview = BgrImage();  // the preview keeps its own rows
    InvalidateRect(GetDlgItem(IDC_PREVIEW), nullptr, TRUE);
    refreshChecks();
}

// A file dropped on the list is enclosed; one dropped anywhere else is the picture.
void AuthoringWindow::onDrop(HDROP drop) {
    std::vector<std::string> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(size_t(DragQueryFileW(drop, i, nullptr, 0)) + 1, L'\0');
        path.resize(DragQueryFileW(drop, i, path.data(), UINT(path.size())));
        paths.push_back(utf8FromWide(path));
    }
    POINT at{};
    DragQueryPoint(drop, &at);
    DragFinish(drop);
    if (paths.empty() || busy_) return;
    RECT list{};
    GetWindowRect(GetDlgItem(IDC_ENCLOSED_LIST), &list);
    MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&list), 2);
    if (PtInRect(&list, at)) {
        addEnclosed(paths);
    } else if (paths.size() == 1) {
        choosePicture(paths[0], true);
    } else {
        setStatus(std::to_string(paths.size()) + " 個のファイルがドロップされました。画像は 1 つずつ、同梱ファイルは一覧にドロップしてください。");
    }
}

// ---- the commands -------------------------------------------------------------------------

void AuthoringWindow::browse() {
    const auto chosen = askForFiles(m_hWnd, OpenKind::picture);
    if (!chosen.empty()) choosePicture(chosen[0], true);
}

void AuthoringWindow::addEnclosed(const std::vector<std::string>& paths) {
    for (const auto& path : paths) {
        form_.enclosedPaths.push_back(path);
        SendDlgItemMessageW(m_hWnd, IDC_ENCLOSED_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wideFromUtf8(path).c_str()));
    }
    refreshChecks();
}

void AuthoringWindow::removeEnclosed() {
    const HWND list = GetDlgItem(IDC_ENCLOSED_LIST);
    for (LRESULT i = SendMessageW(list, LB_GETCOUNT, 0, 0) - 1; i >= 0; --i) {
        if (SendMessageW(list, LB_GETSEL, WPARAM(i), 0) <= 0) continue;
        SendMessageW(list, LB_DELETESTRING, WPARAM(i), 0);
        form_.enclosedPaths.erase(form_.enclosedPaths.begin() + i);
    }
    refreshChecks();
}

// The program's package is read and its picture and files written out on a worker thread:
// enclosed files may be large.
void AuthoringWindow::openProgram() {
    const auto chosen = askForFiles(m_hWnd, OpenKind::program);
    if (chosen.empty()) return;
    auto result = std::make_unique<OpenResult>();
    result->program = chosen[0];
    result->folder = makeWorkFolder("open");
    if (result->folder.empty()) {
        setStatus("開けませんでした。 No folder could be made under the temporary folder.");
        return;
    }
    busy_ = true;
    refreshChecks();
    setStatus("開いています... " + displayUtf8(chosen[0]));
    startToolJob(
        programOpened, std::move(result),
        [](ToolContext& tool, OpenResult& opened) {
            opened.read = formFromProgram(tool, opened.program, opened.folder, opened.form, opened.notes, opened.problem);
        },
        [](OpenResult& opened) {
            opened.read = false;
            opened.problem = "out of memory";
        });
}

void AuthoringWindow::onOpened(std::unique_ptr<OpenResult> result) {
    busy_ = false;
    if (!result->read) {
        (void)removeWorkFolder(result->folder);
        refreshChecks();
        setStatus("開けませんでした。 " + result->problem);
        return;
    }
    (void)removeWorkFolder(openedFolder_);
    openedFolder_ = result->folder;
    openedProgram_ = result->program;
    form_ = std::move(result->form);
    defaultTitle_.clear();
    showForm();
    std::string notes;
    for (const auto& note : result->notes) notes += "; note: " + note;
    setStatus("開きました: " + displayUtf8(openedProgram_) + notes);
    choosePicture(form_.picturePath, false);
}

void AuthoringWindow::makeTo(bool trial) {
    refreshChecks();
    if (!IsWindowEnabled(GetDlgItem(IDOK))) return;  // Enter while something is missing or wrong
    std::string output;
    std::string trialFolder;
    if (trial) {
        trialFolder = makeWorkFolder("try");
        if (trialFolder.empty()) {
            setStatus("試用のフォルダーを作れませんでした。 No folder could be made under the temporary folder.");
            return;
        }
        const std::string stem = stemOf(tool_.files.fileName(form_.picturePath));
        output = tool_.files.joinPath(trialFolder, (stem.empty() ? "picture" : stem) + ".exe");
    } else {
        output = askWhereToSave(m_hWnd, openedProgram_.empty() ? defaultProgramPath(tool_.files, form_.picturePath) : openedProgram_);
        if (output.empty()) return;
    }
    busy_ = true;
    refreshChecks();
    setStatus(trial ? "試用のプログラムを作っています..." : "作成しています... " + displayUtf8(output));
    auto result = std::make_unique<MakeResult>();
    result->trial = trial;
    result->recipe = recipeFromForm(form_, output);
    result->trialFolder = trialFolder;
    startToolJob(
        makeDone, std::move(result),
        [](ToolContext& tool, MakeResult& made) { made.made = makeProgram(tool, made.recipe, made.outcome); },
        [](MakeResult& made) {
            made.made = false;
            made.outcome.problem = "out of memory";
        });
}

void AuthoringWindow::onMade(std::unique_ptr<MakeResult> result) {
    busy_ = false;
    refreshChecks();
    const MakeOutcome& outcome = result->outcome;
    std::string remarks;
    for (const auto& warning : outcome.warnings) remarks += "warning: " + warning + "\r\n";
    if (!outcome.outputPathProblem.empty()) remarks += "warning: " + outcome.outputPathProblem + "\r\n";
    for (const auto& note : outcome.notes) remarks += "note: " + note + "\r\n";
    if (study_ && study_->read) {
        std::string lines;
        for (const auto& line : verdictLines(result->recipe.picturePath, study_->report)) lines += line + "\r\n";
        setText(IDC_CHECK_RESULT, lines + remarks);
    }
    if (!result->made) {
        (void)removeWorkFolder(result->trialFolder);
        setStatus("作成できませんでした。 " + outcome.problem);
        return;
    }
    if (result->trial) {
        startTrial(*result);
        return;
    }
    const std::string fitted = outcome.refitted ? " (" + describeFit(outcome.fitPlan) + ")" : "";
    setStatus("作成しました。 wrote " + displayUtf8(result->recipe.outputPath) + fitted + ": stub " + std::to_string(outcome.stubBytes) +
              " bytes + package " + std::to_string(outcome.packageBytes) + " bytes (picture " +
              std::to_string(outcome.pictureBytes) + " bytes, " + std::to_string(outcome.enclosedFiles) + " enclosed files)");
}

// The program runs from its own folder; a thread of its own waits for it to end, and the
// window removes the folder then.
void AuthoringWindow::startTrial(const MakeResult& result) {
    const std::wstring program = wideFromUtf8(result.recipe.outputPath);
    const std::wstring folder = wideFromUtf8(result.trialFolder);
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup, &info)) {
        (void)removeWorkFolder(result.trialFolder);
        setStatus("試用のプログラムを起動できませんでした。 " + systemMessage(GetLastError()));
        return;
    }
    CloseHandle(info.hThread);
    setStatus("試用中: " + displayUtf8(result.recipe.outputPath));
    auto end = std::make_unique<TrialEnd>();
    end->folder = result.trialFolder;
    const HWND window = m_hWnd;
    // Not joined: a trial may outlive the window; its folder then goes at the next start.
    std::thread([window, process = info.hProcess, end = std::move(end)]() mutable {
        WaitForSingleObject(process, INFINITE);
        CloseHandle(process);
        postResult(window, trialEnded, std::move(end));
    }).detach();
}

void AuthoringWindow::onTrialEnded(std::unique_ptr<TrialEnd> end) {
    if (removeWorkFolder(end->folder)) setStatus("試用を終えました。試用のフォルダーは削除しました。");
    else setStatus("試用を終えました。使用中のファイルは次の起動時に削除します。");
}

// ---- messages -----------------------------------------------------------------------------

BOOL AuthoringWindow::OnInitDialog() {
    removeLeftOverWorkFolders();
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    SendMessageW(m_hWnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    const HWND spin = GetDlgItem(IDC_AUTO_EXIT_SPIN);
    SendMessageW(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(IDC_AUTO_EXIT)), 0);
    SendMessageW(spin, UDM_SETRANGE32, 0, 0x7FFFFFFF);
    SendDlgItemMessageW(m_hWnd, IDC_ENCLOSED_LIST, LB_SETHORIZONTALEXTENT, 2000, 0);
    DragAcceptFiles(m_hWnd, TRUE);
    fillFitChoices();
    showForm();
    setStatus("画像を選ぶか、このウィンドウにドロップしてください。 Choose a picture or drop one on this window.");
    return TRUE;
}

bool AuthoringWindow::ProcessWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const int code = HIWORD(wParam);
        if (code == EN_CHANGE) {
            refreshChecks();
            if (id == IDC_FIT_CUSTOM && !filling_) SetTimer(m_hWnd, customFitTimer, customFitDelay, nullptr);
            return true;
        }
        if (code == CBN_SELCHANGE) {
            refreshChecks();
            // The window-fit warning depends on the title bar and the start position, and what
            // is packed on the fit.
            if ((id == IDC_CAPTION_MODE || id == IDC_START_POSITION || id == IDC_FIT) && !form_.picturePath.empty())
                startStudy();
            return true;
        }
        if (code != BN_CLICKED) return false;
        switch (id) {
        case IDC_BROWSE: browse(); return true;
        case IDC_ENCLOSED_ADD: addEnclosed(askForFiles(m_hWnd, OpenKind::enclosedFiles)); return true;
        case IDC_ENCLOSED_REMOVE: removeEnclosed(); return true;
        case IDC_OPEN_PROGRAM: openProgram(); return true;
        case IDC_TRY: makeTo(true); return true;
        default: return false;
        }
    }
    case WM_DRAWITEM: {
        if (wParam != IDC_PREVIEW) return false;
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        preview_.paint(item.hDC, item.rcItem);
        result = TRUE;
        return true;
    }
    case WM_TIMER:
        if (wParam != customFitTimer) return false;
        KillTimer(m_hWnd, customFitTimer);
        if (form_.fitKind == FitKind::custom && !form_.picturePath.empty() && fitProblem(form_).empty()) startStudy();
        return true;
    case WM_DROPFILES: onDrop(reinterpret_cast<HDROP>(wParam)); return true;
    case WM_SETCURSOR:
        if (!studying_ && !busy_) return false;
        SetCursor(LoadCursor(nullptr, IDC_APPSTARTING));
        result = TRUE;
        return true;
    case studyDone: onStudied(std::unique_ptr<StudyResult>(reinterpret_cast<StudyResult*>(lParam))); return true;
    case makeDone: onMade(std::unique_ptr<MakeResult>(reinterpret_cast<MakeResult*>(lParam))); return true;
    case trialEnded: onTrialEnded(std::unique_ptr<TrialEnd>(reinterpret_cast<TrialEnd*>(lParam))); return true;
    case programOpened: onOpened(std::unique_ptr<OpenResult>(reinterpret_cast<OpenResult*>(lParam))); return true;
    default: return false;
    }
}

}  // namespace

int runAuthoringWindow(ToolContext& tool) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    AuthoringWindow window(tool);
    return window.DoModalWide() == -1 ? exitBadInput : exitSuccess;
}

}  // namespace vistello::tools::win32
