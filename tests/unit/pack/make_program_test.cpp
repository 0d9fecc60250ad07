// makeProgram's fitting, as every way of making a program uses it: what it packs for each
// FitChoice, what the outcome tells (refitted, the plan, the check of the packed picture and
// the warnings carried over from the original), and that the author's file is only read.
#include "commands/make_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "app/package_offset.h"
#include "pe_builder.h"
#include "platform/collected_console.h"
#include "raster/sample_bmps.h"
#include "posix/posix_files.h"
#include "program/package_view.h"

namespace vistello::tools {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

// A bare stub: a small PE file stamped with its own length.
Bytes stampedStub() {
    const auto data = [](uint64_t value) {
        Bytes bytes(64, 0xAA);
        std::copy(std::begin(packageOffsetTag), std::end(packageOffsetTag), bytes.begin() + 8);
        storePackageOffset(value, std::span<uint8_t, packageOffsetSize>(bytes.data() + 8 + sizeof packageOffsetTag,
                                                                        packageOffsetSize));
        return bytes;
    };
    std::vector<test::PeSection> sections = {{".text", Bytes(700, 0xC3)}, {".rdata", data(0)}};
    const uint64_t length = test::buildPe(sections).size();
    sections[1].data = data(length);
    return test::buildPe(sections);
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const fs::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

Bytes withOrientation(Bytes jpeg, uint8_t orientation) {
    const Bytes exif = {0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8,
                        0, 1, 0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0};
    jpeg.insert(jpeg.begin() + 2, exif.begin(), exif.end());
    return jpeg;
}

bool anyContains(const std::vector<std::string>& texts, const std::string& part) {
    return std::any_of(texts.begin(), texts.end(), [&](const std::string& t) { return t.find(part) != std::string::npos; });
}

class MakeProgramFit : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/vistello-make-program-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        forest_ = readFile(fs::path(VISTELLO_TEST_DATA_DIR) / "encode/forest.jpg");  // 1050 x 700
        ASSERT_GT(forest_.size(), 10000u);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // makeProgram of the picture (written as name) with fit; the packed picture in packed.
    bool make(const std::string& name, const Bytes& picture, const FitChoice& fit, MakeOutcome& outcome,
              Bytes& packed, bool force = false) {
        const fs::path at = dir_ / name;
        writeFile(at, picture);
        MakeRecipe recipe;
        recipe.picturePath = at.string();
        recipe.outputPath = (dir_ / "out.exe").string();
        recipe.fit = fit;
        recipe.force = force;
        fs::remove(recipe.outputPath);
        ToolContext tool{files_, console_, stub_};
        const bool made = makeProgram(tool, recipe, outcome);
        EXPECT_EQ(readFile(at), picture) << "the author's file is only read";
        if (!made) return false;
        std::string problem;
        auto file = files_.openInput(recipe.outputPath, problem);
        PackageView view;
        EXPECT_TRUE(file && readPackageView(*file, view, problem)) << problem;
        packed.resize(view.picture.size);
        EXPECT_TRUE(file->readAt(view.picture.at, packed, problem)) << problem;
        EXPECT_EQ(outcome.pictureBytes, packed.size());
        return true;
    }

    fs::path dir_;
    Bytes forest_;
    Bytes stub_ = stampedStub();
    posix::PosixFileSystem files_;
    CollectedConsole console_;
};

TEST_F(MakeProgramFit, ABoxScalesThePictureDownAndTheCheckJudgesTheNewOne) {
    MakeOutcome outcome;
    Bytes packed;
    ASSERT_TRUE(make("forest.jpg", forest_, {{600, 600}, true, 80}, outcome, packed)) << outcome.problem;
    EXPECT_TRUE(outcome.refitted);
    EXPECT_EQ(outcome.fitPlan.stored, (PictureSize{1050, 700}));
    EXPECT_EQ(outcome.fitPlan.output, (PictureSize{600, 400}));
    EXPECT_FALSE(outcome.fitPlan.turns());
    EXPECT_EQ(outcome.originalPictureBytes, forest_.size());
    EXPECT_EQ(outcome.picture.kind, "JPEG");
    EXPECT_EQ(outcome.picture.form, "baseline, 4:2:0");
    EXPECT_EQ(outcome.picture.width, 600);
    EXPECT_EQ(outcome.picture.height, 400);
    EXPECT_TRUE(outcome.picture.shownWhole);
    EXPECT_TRUE(outcome.warnings.empty());
    EXPECT_EQ(describeFit(outcome.fitPlan), "fitted 1050 x 700 to 600 x 400");
    // The packed picture is what fitPicture makes of the same request.
    const FitResult direct = fitPicture(forest_, {{600, 600}, 80, 1});
    EXPECT_EQ(packed, direct.jpeg);
}

TEST_F(MakeProgramFit, APictureThatNeedsNothingIsPackedAsItIs) {
    for (const FitChoice& fit : {FitChoice{{0, 0}, false, 90}, FitChoice{{1050, 700}, true, 90}, FitChoice{{0, 0}, true, 5},
                                 FitChoice{{4000, 700}, false, 90}}) {
        SCOPED_TRACE(std::to_string(fit.box.width) + " x " + std::to_string(fit.box.height));
        MakeOutcome outcome;
        Bytes packed;
        ASSERT_TRUE(make("forest.jpg", forest_, fit, outcome, packed)) << outcome.problem;
        EXPECT_FALSE(outcome.refitted);
        EXPECT_EQ(packed, forest_);
    }
}

TEST_F(MakeProgramFit, UprightAppliesTheOrientationAndOnlyWhenAsked) {
    const Bytes phone = withOrientation(forest_, 6);
    MakeOutcome turned;
    Bytes packed;
    ASSERT_TRUE(make("phone.jpg", phone, {{0, 0}, true, 90}, turned, packed)) << turned.problem;
    EXPECT_TRUE(turned.refitted);
    EXPECT_TRUE(turned.fitPlan.turns());
    EXPECT_FALSE(turned.fitPlan.scales());
    EXPECT_EQ(turned.picture.width, 700);
    EXPECT_EQ(turned.picture.height, 1050);
    EXPECT_FALSE(anyContains(turned.warnings, "Exif orientation")) << "the new JPEG carries none";
    EXPECT_TRUE(anyContains(turned.warnings, "the window (706 x 1075")) << "the check measures the upright picture";
    EXPECT_EQ(describeFit(turned.fitPlan), "turned upright (Exif orientation 6): 700 x 1050");

    MakeOutcome both;
    ASSERT_TRUE(make("phone.jpg", phone, {{1600, 900}, true, 90}, both, packed)) << both.problem;
    EXPECT_EQ(both.fitPlan.output, (PictureSize{600, 900}));
    EXPECT_TRUE(both.warnings.empty());
    EXPECT_EQ(describeFit(both.fitPlan), "turned upright (Exif orientation 6) and fitted 700 x 1050 to 600 x 900");

    // Kept as stored: it fits the box as it is, so it is packed as it is, and warned about.
    MakeOutcome kept;
    ASSERT_TRUE(make("phone.jpg", phone, {{1600, 900}, false, 90}, kept, packed)) << kept.problem;
    EXPECT_FALSE(kept.refitted);
    EXPECT_EQ(packed, phone);
    EXPECT_TRUE(anyContains(kept.warnings, "its Exif orientation is 6")) << "warned";
    EXPECT_TRUE(anyContains(kept.warnings, "pack it with --upright"));
}

// What the program gets wrong about the original stays wrong in the pixels fitted from it, so
// those warnings are carried over; so is a forced picture's refusal.
TEST_F(MakeProgramFit, WarningsAboutTheOriginalsPixelsAreCarriedOver) {
    const Bytes rgb565 = test::rgb565Bmp();
    MakeOutcome outcome;
    Bytes packed;
    ASSERT_TRUE(make("565.bmp", rgb565, {{1, 1}, true, 90}, outcome, packed)) << outcome.problem;
    EXPECT_TRUE(outcome.refitted);
    EXPECT_EQ(outcome.picture.kind, "JPEG");
    EXPECT_TRUE(anyContains(outcome.warnings, "its pixels are 5-6-5 bit fields")) << outcome.warnings.size();

    const Bytes cut(forest_.begin(), forest_.begin() + std::ptrdiff_t(forest_.size() / 2));
    MakeOutcome refused;
    EXPECT_FALSE(make("cut.jpg", cut, {{300, 300}, true, 90}, refused, packed));
    EXPECT_NE(refused.problem.find("would not show this picture whole: the file is cut short"), std::string::npos)
        << refused.problem;
    EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    MakeOutcome forced;
    ASSERT_TRUE(make("cut.jpg", cut, {{300, 300}, true, 90}, forced, packed, true)) << forced.problem;
    EXPECT_TRUE(forced.refitted);
    EXPECT_EQ(forced.picture.width, 300);
    EXPECT_TRUE(anyContains(forced.warnings, "the program would not show it whole (the file is cut short"));
    EXPECT_TRUE(anyContains(forced.warnings, "the picture fitted from it holds what the program shows of it: "));
}

TEST_F(MakeProgramFit, AChoiceThatCannotBeCarriedOutIsRefused) {
    const struct {
        FitChoice fit;
        const char* problem;
    } cases[] = {
        {{{800, 600}, true, 0}, "cannot be fitted: the JPEG quality must be 1 to 100"},
        {{{0, 0}, true, 101}, "cannot be fitted: the JPEG quality must be 1 to 100"},
        {{{-1, 600}, false, 90}, "cannot be fitted: the box must be at least 1 x 1"},
        {{{800, 0}, false, 90}, "cannot be fitted: the box must be at least 1 x 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        MakeOutcome outcome;
        Bytes packed;
        EXPECT_FALSE(make("forest.jpg", forest_, c.fit, outcome, packed));
        EXPECT_NE(outcome.problem.find(c.problem), std::string::npos) << outcome.problem;
        EXPECT_FALSE(fs::exists(dir_ / "out.exe"));
    }
}

// The fitted picture is a new file's worth of bytes made in memory, but it reaches the disk the
// way every output does: never over the picture it came from, and through a temporary file that
// is gone afterwards, whether the write was refused or done.
TEST_F(MakeProgramFit, AFittedPictureIsWrittenSafely) {
    const fs::path picture = dir_ / "forest.jpg";
    writeFile(picture, forest_);
    MakeRecipe recipe;
    recipe.picturePath = picture.string();
    recipe.outputPath = picture.string();
    recipe.fit = {{600, 600}, true, 80};
    ToolContext tool{files_, console_, stub_};
    MakeOutcome refused;
    EXPECT_FALSE(makeProgram(tool, recipe, refused));
    EXPECT_FALSE(refused.problem.empty());
    EXPECT_EQ(readFile(picture), forest_) << "the picture is not replaced by its own program";

    recipe.outputPath = (dir_ / "out.exe").string();
    writeFile(recipe.outputPath, {'o', 'l', 'd'});
    MakeOutcome made;
    ASSERT_TRUE(makeProgram(tool, recipe, made)) << made.problem;
    EXPECT_TRUE(made.refitted);
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"forest.jpg", "out.exe"})) << "no temporary file is left";
    EXPECT_GT(fs::file_size(recipe.outputPath), forest_.size() / 10);
}

}  // namespace
}  // namespace vistello::tools
