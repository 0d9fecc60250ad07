// The authoring window's model: each field checked with make's message, "other (N)" for stored
// codes no list offers, and a form made into a program, opened again and made again giving the
// same bytes.
#include "authoring/authoring_form.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/package_offset.h"
#include "app/package_writer.h"
#include "authoring/open_program.h"
#include "authoring/setting_choices.h"
#include "pe_builder.h"
#include "platform/collected_console.h"
#include "posix/posix_files.h"

namespace vistello::tools {
namespace {

TEST(AuthoringForm, TextsAreCheckedWithMakesMessages) {
    EXPECT_EQ(textProblem(FormText::windowTitle, "夕焼け〜"), "");
    EXPECT_EQ(textProblem(FormText::windowTitle, "コーヒー☕"),
              "--title: column 5: '☕' (U+2615) cannot be stored in code page 932, the code page the picture program "
              "shows its texts in");
    EXPECT_EQ(textProblem(FormText::comment, "一行目\r\n二行目"), "");
    EXPECT_NE(textProblem(FormText::comment, "一行目\r\n二行目é").find("--comment: line 2, column 4: 'é' (U+00E9)"),
              std::string::npos);
    EXPECT_NE(textProblem(FormText::workTitle, "a\r\nb").find("--work-title: column 2: "), std::string::npos)
        << "titles take one line";
    EXPECT_NE(textProblem(FormText::linkParameters, "한").find("--link-params: column 1: '한' (U+D55C)"), std::string::npos);
}

TEST(AuthoringForm, SecondsAndEnclosedNamesAreCheckedAsMakeChecksThem) {
    EXPECT_EQ(secondsProblem("0"), "");
    EXPECT_EQ(secondsProblem("2147483647"), "");
    for (const char* bad : {"", "-1", "2147483648", "1.5", "10s"}) {
        EXPECT_EQ(secondsProblem(bad), std::string("--auto-exit: '") + bad + "' is not a number of seconds from 0 to 2147483647");
    }
    EXPECT_EQ(secondsOf("90"), 90);
    posix::PosixFileSystem files;
    EXPECT_EQ(enclosedProblem(files, {"/a/説明.txt", "/b/表.txt"}), "");
    EXPECT_NE(enclosedProblem(files, {"/a/Read.txt", "/b/READ.TXT"}).find("differs from another enclosed file's only in letter case"),
              std::string::npos);
    EXPECT_NE(enclosedProblem(files, {"/a/CON"}).find("the name 'CON' "), std::string::npos);
    EXPECT_NE(enclosedProblem(files, {"/a/x☕.txt"}).find("--enclose: column 2: '☕' (U+2615)"), std::string::npos);
}

TEST(AuthoringForm, ProblemsOfTheWholeFormComeOnePerField) {
    posix::PosixFileSystem files;
    AuthoringForm form;
    EXPECT_EQ(formProblems(files, form), std::vector<std::string>{"no picture given"});
    form.picturePath = "/p/a.jpg";
    EXPECT_TRUE(formProblems(files, form).empty());
    form.windowTitle = "☕";
    form.linkParameters = "/x";
    const auto problems = formProblems(files, form);
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].rfind("--title: column 1: ", 0), 0u);
    EXPECT_EQ(problems[1], "--link-params and --link-when need --link");
}

TEST(AuthoringForm, TheDefaultTitleAndProgramComeFromThePicturesName) {
    std::vector<std::string> notes;
    EXPECT_EQ(titleForPicture("夕焼け.jpg", notes), "夕焼け");
    EXPECT_EQ(titleForPicture("café.jpeg", notes), "caf?");
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("'é' (U+00E9)"), std::string::npos);
    EXPECT_EQ(titleForPicture(".hidden", notes), ".hidden");
    posix::PosixFileSystem files;
    EXPECT_EQ(defaultProgramPath(files, "/写真/夕焼け.jpg"), "/写真/夕焼け.exe");
}

TEST(AuthoringForm, TheFitIsMakesFit) {
    AuthoringForm form;
    EXPECT_EQ(fitChoiceOf(form).box, (PictureSize{0, 0}));
    EXPECT_FALSE(fitChoiceOf(form).upright) << "the original size is packed as it is";
    form.fitKind = FitKind::screen;
    EXPECT_EQ(fitChoiceOf(form).box, screenFitBox);
    EXPECT_TRUE(fitChoiceOf(form).upright);
    form.fitKind = FitKind::box1024x768;
    EXPECT_EQ(recipeFromForm(form, "/p/a.exe").fit.box, (PictureSize{1024, 768}));
    form.fitKind = FitKind::custom;
    form.customFit = "800x600";
    EXPECT_EQ(fitProblem(form), "");
    EXPECT_EQ(fitChoiceOf(form).box, (PictureSize{800, 600}));
    form.customFit = "800x";
    EXPECT_EQ(fitProblem(form), "--fit: '800x' is neither WxH (two whole numbers of pixels from 1 to 65535, such as 1280x960) nor screen");
    form.picturePath = "/p/a.jpg";
    posix::PosixFileSystem files;
    EXPECT_EQ(formProblems(files, form), std::vector<std::string>{fitProblem(form)});
    form.fitKind = FitKind::original;
    EXPECT_EQ(fitProblem(form), "") << "the custom text counts only when chosen";
}

TEST(SettingChoices, AStoredCodeNoListOffersIsOtherAndKept) {
    const auto normal = choicesFor(FormSetting::zOrder, 1);
    ASSERT_EQ(normal.size(), 3u);
    EXPECT_EQ(choiceIndex(normal, 1), 0u);
    const auto seven = choicesFor(FormSetting::zOrder, 7);
    ASSERT_EQ(seven.size(), 4u);
    EXPECT_EQ(seven[3].label, "other (7)");
    EXPECT_EQ(seven[choiceIndex(seven, 7)].stored, 7);
    const auto caption = choicesFor(FormSetting::captionMode, 5);
    EXPECT_EQ(caption.back().label, "other (5)");
    EXPECT_EQ(choicesFor(FormSetting::captionMode, captionModeNoTitleBar).size(), 2u);
    EXPECT_EQ(choicesFor(FormSetting::linkTiming, 0).back().label, "other (0)");
}

TEST(AuthoringForm, TheRecipeCarriesEveryField) {
    AuthoringForm form;
    form.picturePath = "/p/a.jpg";
    form.windowTitle = "窓";
    form.comment = "a\r\nb";
    form.autoExitSeconds = "30";
    form.zOrderMode = 7;
    form.captionMode = captionModeNoTitleBar;
    form.linkParameters = "ignored without a target";
    form.enclosedPaths = {"/p/x.txt"};
    MakeRecipe recipe = recipeFromForm(form, "/p/a.exe");
    EXPECT_EQ(recipe.content.windowTitle, "窓");
    EXPECT_EQ(recipe.content.autoExitSeconds, 30);
    EXPECT_EQ(recipe.content.zOrderMode, 7);
    EXPECT_EQ(recipe.content.captionMode, captionModeNoTitleBar);
    EXPECT_FALSE(recipe.content.link.has_value());
    EXPECT_EQ(recipe.outputPath, "/p/a.exe");
    EXPECT_EQ(recipe.enclosedPaths, form.enclosedPaths);
    form.linkTarget = "*\\readme.txt";
    form.linkTiming = 2;
    recipe = recipeFromForm(form, "/p/a.exe");
    ASSERT_TRUE(recipe.content.link.has_value());
    EXPECT_EQ(recipe.content.link->timing, 2);
    EXPECT_EQ(recipe.content.link->parameters, "ignored without a target");
}

// ---- a program made, opened and made again -------------------------------------------------

namespace fs = std::filesystem;

std::vector<uint8_t> readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeAll(const fs::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

class FormRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("authoring-form-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "opened");
        std::vector<uint8_t> data(40, 0);
        std::copy(std::begin(packageOffsetTag), std::end(packageOffsetTag), data.begin());
        stub_ = test::buildPe({{".rdata", data}});
        storePackageOffset(stub_.size(), std::span<uint8_t, packageOffsetSize>(stub_.data() + 0x200 + sizeof packageOffsetTag,
                                                                               packageOffsetSize));
        writeAll(root_ / "stub.exe", stub_);
        fs::copy_file(fs::path(VISTELLO_SOURCE_DIR) / "samples" / "sample.jpg", root_ / "夕焼け.jpg");
        writeAll(root_ / "説明.txt", {'r', 'e', 'a', 'd'});
        writeAll(root_ / "data.bin", {0, 1, 2, 3});
    }
    void TearDown() override { fs::remove_all(root_); }

    bool make(const AuthoringForm& form, const fs::path& output, MakeOutcome& outcome) {
        MakeRecipe recipe = recipeFromForm(form, output.string());
        recipe.stubPath = (root_ / "stub.exe").string();
        return makeProgram(tool_, recipe, outcome);
    }

    fs::path root_;
    std::vector<uint8_t> stub_;
    posix::PosixFileSystem files_;
    CollectedConsole console_;
    ToolContext tool_{files_, console_};
};

TEST_F(FormRoundTrip, AnOpenedProgramFillsTheFormAndIsMadeAgainUnchanged) {
    AuthoringForm form;
    form.picturePath = (root_ / "夕焼け.jpg").string();
    form.windowTitle = "夕焼け〜";  // stored as the code page's own wave dash
    form.workTitle = "作品";
    form.comment = "一行目\r\n二行目\\";
    form.autoExitSeconds = "45";
    form.zOrderMode = storedCode(ZOrderMode::alwaysOnTop);
    form.startPosition = storedCode(StartPosition::bottomRight);
    form.captionMode = captionModeNoTitleBar;
    form.autoCommentFlag = autoCommentOn;
    form.linkTarget = "*\\説明.txt";
    form.linkParameters = "/a";
    form.linkTiming = storedCode(LinkTiming::whenClosed);
    form.enclosedPaths = {(root_ / "説明.txt").string(), (root_ / "data.bin").string()};
    ASSERT_TRUE(formProblems(files_, form).empty());
    MakeOutcome outcome;
    ASSERT_TRUE(make(form, root_ / "first.exe", outcome)) << outcome.problem;
    EXPECT_EQ(outcome.enclosedFiles, 2u);

    AuthoringForm opened;
    std::vector<std::string> notes;
    std::string problem;
    ASSERT_TRUE(formFromProgram(tool_, (root_ / "first.exe").string(), (root_ / "opened").string(), opened, notes, problem))
        << problem;
    EXPECT_TRUE(notes.empty());
    EXPECT_EQ(opened.windowTitle, "夕焼け～");
    EXPECT_EQ(opened.workTitle, "作品");
    EXPECT_EQ(opened.comment, form.comment);
    EXPECT_EQ(opened.autoExitSeconds, "45");
    EXPECT_EQ(opened.zOrderMode, form.zOrderMode);
    EXPECT_EQ(opened.startPosition, form.startPosition);
    EXPECT_EQ(opened.captionMode, form.captionMode);
    EXPECT_EQ(opened.autoCommentFlag, form.autoCommentFlag);
    EXPECT_EQ(opened.linkTarget, form.linkTarget);
    EXPECT_EQ(opened.linkParameters, "/a");
    EXPECT_EQ(opened.linkTiming, form.linkTiming);
    EXPECT_EQ(readAll(opened.picturePath), readAll(form.picturePath));
    ASSERT_EQ(opened.enclosedPaths.size(), 2u);
    EXPECT_EQ(files_.fileName(opened.enclosedPaths[0]), "説明.txt");
    EXPECT_EQ(readAll(opened.enclosedPaths[1]), readAll(form.enclosedPaths[1]));

    ASSERT_TRUE(make(opened, root_ / "second.exe", outcome)) << outcome.problem;
    EXPECT_EQ(readAll(root_ / "second.exe"), readAll(root_ / "first.exe"));
}

TEST_F(FormRoundTrip, StoredCodesNoControlOffersAreWrittenBackAsTheyWere) {
    AuthoringForm form;
    form.picturePath = (root_ / "夕焼け.jpg").string();
    form.zOrderMode = 7;
    form.captionMode = 5;
    form.startPosition = 0;
    MakeOutcome outcome;
    ASSERT_TRUE(make(form, root_ / "odd.exe", outcome)) << outcome.problem;
    AuthoringForm opened;
    std::vector<std::string> notes;
    std::string problem;
    ASSERT_TRUE(formFromProgram(tool_, (root_ / "odd.exe").string(), (root_ / "opened").string(), opened, notes, problem))
        << problem;
    EXPECT_EQ(opened.zOrderMode, 7);
    EXPECT_EQ(opened.captionMode, 5);
    EXPECT_EQ(opened.startPosition, 0);
    EXPECT_TRUE(opened.enclosedPaths.empty());
    EXPECT_EQ(choicesFor(FormSetting::zOrder, opened.zOrderMode).back().label, "other (7)");
    ASSERT_TRUE(make(opened, root_ / "again.exe", outcome)) << outcome.problem;
    EXPECT_EQ(readAll(root_ / "again.exe"), readAll(root_ / "odd.exe"));
}

// What make cannot store again is said: a name in a folder, a link without a target.
TEST_F(FormRoundTrip, WhatMakingAgainWouldNotKeepIsNoted) {
    PackageContent content;
    content.picture = readAll(root_ / "夕焼け.jpg");
    content.link = PackageLink{storedCode(LinkTiming::atStart), "", ""};
    content.enclosedFiles = std::vector<EnclosedFile>{{"docs\\b.bin", {1, 2}}};
    std::vector<uint8_t> program = stub_;
    const char* failure = nullptr;
    ASSERT_TRUE(writePackage(content, program, failure)) << failure;
    writeAll(root_ / "foldered.exe", program);
    AuthoringForm opened;
    std::vector<std::string> notes;
    std::string problem;
    ASSERT_TRUE(formFromProgram(tool_, (root_ / "foldered.exe").string(), (root_ / "opened").string(), opened, notes, problem))
        << problem;
    ASSERT_EQ(notes.size(), 2u);
    EXPECT_EQ(notes[0], "the enclosed file 'docs\\b.bin' is stored in a folder; made again it is stored under its own name only");
    EXPECT_EQ(notes[1], "the program carries a link without a target; made again it carries no link");
    EXPECT_TRUE(opened.linkTarget.empty());
}

TEST_F(FormRoundTrip, AFileWithoutAPackageIsRefused) {
    AuthoringForm opened;
    opened.windowTitle = "kept";
    std::vector<std::string> notes;
    std::string problem;
    EXPECT_FALSE(formFromProgram(tool_, (root_ / "stub.exe").string(), (root_ / "opened").string(), opened, notes, problem));
    EXPECT_FALSE(problem.empty());
    EXPECT_EQ(opened.windowTitle, "kept") << "the form is left as it was";
    EXPECT_FALSE(formFromProgram(tool_, (root_ / "説明.txt").string(), (root_ / "opened").string(), opened, notes, problem));
}

}  // namespace
}  // namespace vistello::tools
