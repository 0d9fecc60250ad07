// What the authoring window shows of a picture: the fit of the preview into its box, the
// verdict in make's words, and the study of a real and of a cut-short picture.
#include "authoring/picture_study.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "posix/posix_files.h"

namespace vistello::tools {
namespace {

namespace fs = std::filesystem;

TEST(PictureStudy, ThePreviewKeepsTheProportionsInsideItsBox) {
    EXPECT_EQ(previewSize({480, 360}, {370, 245}), (PictureSize{327, 245}));
    EXPECT_EQ(previewSize({6000, 4000}, {370, 245}), (PictureSize{368, 245}));
    EXPECT_EQ(previewSize({4000, 6000}, {370, 245}), (PictureSize{163, 245}));
    EXPECT_EQ(previewSize({100, 50}, {370, 245}), (PictureSize{100, 50})) << "never enlarged";
    EXPECT_EQ(previewSize({65535, 1}, {370, 245}), (PictureSize{370, 1})) << "a thin picture keeps a row";
    EXPECT_EQ(previewSize({0, 10}, {370, 245}), (PictureSize{0, 0}));
    EXPECT_EQ(previewSize({10, 10}, {0, 245}), (PictureSize{0, 0}));
}

TEST(PictureStudy, TheVerdictIsTheOneMakeGives) {
    PictureReport shown;
    shown.shownWhole = true;
    shown.warnings = {"its Exif orientation is 6"};
    EXPECT_EQ(verdictLines("/p/a.jpg", shown),
              (std::vector<std::string>{"プログラムはこの画像をそのまま表示します。 The program shows this picture whole.",
                                        "warning: its Exif orientation is 6"}));
    PictureReport refused;
    refused.refusal = "the file is cut short";
    refused.shows = "the top rows";
    EXPECT_EQ(verdictLines("/p/a.jpg", refused)[0],
              "/p/a.jpg: the program would not show this picture whole: the file is cut short; it would show the top rows");
    PictureReport sized;
    sized.kind = "JPEG";
    sized.form = "baseline, 4:2:0";
    sized.width = 480;
    sized.height = 360;
    EXPECT_EQ(sizeAndKind(sized), "480 x 360, JPEG (baseline, 4:2:0)");
    EXPECT_EQ(sizeAndKind(PictureReport{"unknown"}), "unknown");
}

TEST(PictureStudy, AReadablePictureIsCheckedAndPreviewed) {
    const fs::path folder = fs::temp_directory_path() / ("picture-study-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const fs::path sample = fs::path(VISTELLO_SOURCE_DIR) / "samples" / "sample.jpg";
    posix::PosixFileSystem files;
    const PictureStudy study = studyPicture(files, sample.string(), {}, {200, 200});
    EXPECT_TRUE(study.read);
    EXPECT_TRUE(study.report.shownWhole);
    EXPECT_EQ(study.preview.size(), (PictureSize{200, 150}));
    EXPECT_EQ(study.preview.pixels.size(), size_t(200) * 150 * 3);

    std::ifstream in(sample, std::ios::binary);
    std::vector<char> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    {
        std::ofstream cut(folder / "cut.jpg", std::ios::binary);
        cut.write(bytes.data(), std::streamsize(bytes.size() / 3));
    }
    const PictureStudy cut = studyPicture(files, (folder / "cut.jpg").string(), {}, {200, 200});
    EXPECT_TRUE(cut.read);
    EXPECT_FALSE(cut.report.shownWhole);
    EXPECT_NE(cut.report.refusal.find("cut short"), std::string::npos) << cut.report.refusal;

    FitChoice fit;
    fit.box = {240, 240};
    fit.upright = true;
    const PictureStudy fitted = studyPicture(files, sample.string(), {}, {200, 200}, fit);
    EXPECT_EQ(fitted.fitted, "fitted 480 x 360 to 240 x 180");
    EXPECT_EQ(fitted.original.width, 480);
    EXPECT_EQ(fitted.report.width, 240) << "the check judges the picture make packs";
    EXPECT_TRUE(fitted.report.shownWhole);
    EXPECT_EQ(fitted.preview.size(), (PictureSize{200, 150}));
    EXPECT_EQ(pictureLine(fitted), "480 x 360, JPEG (baseline, 4:2:0); fitted 480 x 360 to 240 x 180");
    fit.box = {1000, 1000};
    EXPECT_EQ(studyPicture(files, sample.string(), {}, {200, 200}, fit).fitted, "") << "inside the box and upright: as it is";

    const PictureStudy missing = studyPicture(files, (folder / "none.jpg").string(), {}, {200, 200});
    EXPECT_FALSE(missing.read);
    EXPECT_FALSE(missing.problem.empty());
    EXPECT_EQ(missing.preview.width, 0);
    fs::remove_all(folder);
}

}  // namespace
}  // namespace vistello::tools
