// make --fit and --upright: big photographs scaled into a box and turned upright, packed as our
// own JPEG; pictures that need neither packed byte for byte; the author's file left as it was.
// The big pictures are made at test time from the small forest photograph.
#include "cli_support.h"

namespace vistello::test {
namespace {

const fs::path forest = fs::path(VISTELLO_SOURCE_DIR) / "tests/data/encode/forest.jpg";  // 1050 x 700

class Fit : public PackCli {
protected:
    // The picture inside a program the tool wrote, extracted by the tool itself.
    std::vector<uint8_t> packedPicture(const std::string& program, const std::string& out) const {
        const ToolRun extracted = run({"extract", program, "--picture", out});
        EXPECT_EQ(extracted.status, 0) << extracted.err;
        return readBytes(path(out));
    }
    std::string info(const std::string& program) const { return run({"info", program}).out; }
    // ImageMagick's PSNR of two pictures of the same size, in dB.
    double psnr(const std::string& a, const std::string& b) const {
        shell("compare -metric PSNR " + a + " " + b + " null: 2> psnr.txt || true");
        return std::stod(readText(path("psnr.txt")));
    }
};

TEST_F(Fit, ABigPhotographFitsTheScreenAndItsFileStaysAsItWas) {
    requirePrograms({"convert"});
    shell("convert '" + forest.string() + "' -resize 6000x4000! -quality 90 big.jpg");
    const std::vector<uint8_t> original = readBytes(path("big.jpg"));

    const ToolRun plain = run({"make", "--stub", "stub.exe", "big.jpg", "-o", "plain.exe"});
    EXPECT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.err.find("(--fit screen scales it down to at most 1600 x 900)"), std::string::npos) << plain.err;

    const ToolRun fitted = run({"make", "--stub", "stub.exe", "big.jpg", "-o", "fit.exe", "--fit", "screen"});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_EQ(fitted.err, "") << "the packed picture fits: no warning";
    EXPECT_NE(fitted.out.find("big.jpg: fitted 6000 x 4000 to 1350 x 900, packed as a new JPEG of quality 90 (" +
                              std::to_string(original.size()) + " bytes became "),
              std::string::npos)
        << fitted.out;
    const std::string shown = info("fit.exe");
    EXPECT_NE(shown.find("picture size:     1350 x 900"), std::string::npos) << shown;
    EXPECT_NE(shown.find("picture form:     baseline, 4:2:0"), std::string::npos) << shown;
    EXPECT_NE(shown.find("program shows:    the picture whole"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("warning"), std::string::npos) << shown;
    EXPECT_EQ(readBytes(path("big.jpg")), original);

    // What is packed is the big picture scaled: close to ImageMagick's own Lanczos resize.
    const std::vector<uint8_t> packed = packedPicture("fit.exe", "packed.jpg");
    EXPECT_LT(packed.size(), original.size() / 4);
    shell("convert big.jpg -filter Lanczos -resize 1350x900! reference.png");
    EXPECT_GT(psnr("packed.jpg", "reference.png"), 30.0);

    // A box of one's own; a box larger than the picture leaves it as it is.
    const ToolRun custom = run({"make", "--stub", "stub.exe", "big.jpg", "-o", "c.exe", "--fit", "1024x1024"});
    ASSERT_EQ(custom.status, 0) << custom.err;
    EXPECT_NE(info("c.exe").find("picture size:     1024 x 683"), std::string::npos);
    const ToolRun roomy = run({"make", "--stub", "stub.exe", "big.jpg", "-o", "r.exe", "--fit", "6000X4000", "--quiet"});
    ASSERT_EQ(roomy.status, 0) << roomy.err;
    EXPECT_NE(roomy.out.find("big.jpg: already inside 6000 x 4000 and upright, packed as it is\n"), std::string::npos)
        << roomy.out;
    EXPECT_EQ(packedPicture("r.exe", "r.jpg"), original);
}

TEST_F(Fit, AnExifOrientationIsAppliedAndTheNewPictureCarriesNone) {
    requirePrograms({"convert", "compare"});
    insertExifOrientation(forest, path("phone.jpg"), 6);
    const std::vector<uint8_t> original = readBytes(path("phone.jpg"));
    ASSERT_EQ(run({"decode", "phone.jpg", "stored.bmp"}).status, 0);
    shell("convert stored.bmp -rotate 90 expected.png");  // what viewers show of orientation 6

    const ToolRun upright = run({"make", "--stub", "stub.exe", "phone.jpg", "-o", "u.exe", "--upright"});
    ASSERT_EQ(upright.status, 0) << upright.err;
    // The check judges the turned picture: standing upright, it is too tall for the screen.
    EXPECT_NE(upright.err.find("phone.jpg: the window (706 x 1075 with its frame and title bar) does not fit"),
              std::string::npos)
        << upright.err;
    EXPECT_EQ(upright.err.find("Exif orientation"), std::string::npos) << upright.err;
    EXPECT_NE(upright.out.find("phone.jpg: turned upright (Exif orientation 6): 700 x 1050, packed as a new JPEG"),
              std::string::npos)
        << upright.out;
    EXPECT_NE(info("u.exe").find("picture size:     700 x 1050"), std::string::npos);
    packedPicture("u.exe", "u.jpg");
    EXPECT_GT(psnr("u.jpg", "expected.png"), 35.0) << "turned the way viewers turn it";

    const ToolRun fitted = run({"make", "--stub", "stub.exe", "phone.jpg", "-o", "f.exe", "--fit", "screen"});
    ASSERT_EQ(fitted.status, 0) << fitted.err;
    EXPECT_EQ(fitted.err, "");
    EXPECT_NE(fitted.out.find("phone.jpg: turned upright (Exif orientation 6) and fitted 700 x 1050 to 600 x 900"),
              std::string::npos)
        << fitted.out;
    const std::string shown = info("f.exe");
    EXPECT_NE(shown.find("picture size:     600 x 900"), std::string::npos) << shown;
    EXPECT_EQ(shown.find("Exif orientation"), std::string::npos) << shown;
    EXPECT_EQ(readBytes(path("phone.jpg")), original);

    // Left as stored, the picture fits already: packed as it is, with the warning naming --upright.
    const ToolRun kept = run({"make", "--stub", "stub.exe", "phone.jpg", "-o", "k.exe", "--fit", "screen", "--keep-orientation"});
    ASSERT_EQ(kept.status, 0) << kept.err;
    EXPECT_NE(kept.out.find("phone.jpg: already inside 1600 x 900, packed as it is\n"), std::string::npos) << kept.out;
    EXPECT_NE(kept.err.find("its Exif orientation is 6: viewers show it turned 90 degrees clockwise"), std::string::npos);
    EXPECT_NE(kept.err.find("pack it with --upright"), std::string::npos) << kept.err;
    EXPECT_EQ(packedPicture("k.exe", "k.jpg"), original);
}

TEST_F(Fit, APictureInsideTheBoxAndUprightIsPackedByteForByte) {
    requirePrograms({"djpeg"});
    shell("djpeg -bmp pic.jpg > pic.bmp");
    insertExifOrientation(path("pic.jpg"), path("upright.jpg"), 1);
    for (const char* picture : {"pic.jpg", "pic.bmp", "upright.jpg"}) {
        for (const std::vector<std::string>& options : std::vector<std::vector<std::string>>{
                 {"--fit", "screen"}, {"--upright"}, {"--fit", "480x360", "--quality", "20"}}) {
            SCOPED_TRACE(std::string(picture) + " " + options[0]);
            std::vector<std::string> args = {"make", "--stub", "stub.exe", picture, "-o", "o.exe"};
            args.insert(args.end(), options.begin(), options.end());
            const ToolRun made = run(args);
            ASSERT_EQ(made.status, 0) << made.err;
            EXPECT_NE(made.out.find(std::string(picture) + ": already "), std::string::npos) << made.out;
            EXPECT_EQ(packedPicture("o.exe", std::string("out-") + picture), readBytes(path(picture)));
        }
    }
    // A BMP larger than the box becomes a JPEG.
    const ToolRun small = run({"make", "--stub", "stub.exe", "pic.bmp", "-o", "b.exe", "--fit", "240x240"});
    ASSERT_EQ(small.status, 0) << small.err;
    EXPECT_NE(small.out.find("pic.bmp: fitted 480 x 360 to 240 x 180"), std::string::npos) << small.out;
    const std::string shown = info("b.exe");
    EXPECT_NE(shown.find("picture:          JPEG"), std::string::npos) << shown;
    EXPECT_NE(shown.find("picture size:     240 x 180"), std::string::npos) << shown;
}

TEST_F(Fit, TheQualityRunsFromOneToAHundred) {
    std::vector<size_t> sizes;
    for (const char* quality : {"1", "90", "100"}) {
        SCOPED_TRACE(quality);
        const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--fit", "320x320", "--quality", quality});
        ASSERT_EQ(made.status, 0) << made.err;
        EXPECT_NE(made.out.find(std::string("packed as a new JPEG of quality ") + quality + " ("), std::string::npos) << made.out;
        sizes.push_back(packedPicture("o.exe", "o.jpg").size());
    }
    EXPECT_LT(sizes[0], sizes[1]);
    EXPECT_LT(sizes[1], sizes[2]);
    // Without --quality: 90.
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "d.exe", "--fit", "320x320"}).status, 0);
    EXPECT_EQ(packedPicture("d.exe", "d.jpg").size(), sizes[1]);
}

TEST_F(Fit, WrongFitOptionsAreUsageErrors) {
    const struct {
        std::vector<std::string> options;
        const char* problem;
    } cases[] = {
        {{"--fit", "screen", "--quality", "0"}, "--quality: '0' is not a whole number from 1 to 100"},
        {{"--fit", "screen", "--quality", "101"}, "--quality: '101' is not a whole number from 1 to 100"},
        {{"--upright", "--quality", "9x"}, "--quality: '9x' is not a whole number from 1 to 100"},
        {{"--quality", "80"}, "--quality needs --fit or --upright"},
        {{"--fit", "0x900"}, "--fit: '0x900' is neither WxH"},
        {{"--fit", "1600x"}, "--fit: '1600x' is neither WxH"},
        {{"--fit", "1600"}, "--fit: '1600' is neither WxH"},
        {{"--fit", "65536x10"}, "--fit: '65536x10' is neither WxH (two whole numbers of pixels from 1 to 65535"},
        {{"--fit", "-5x5"}, "--fit: '-5x5' is neither WxH"},
        {{"--fit", "Screen"}, "--fit: 'Screen' is neither WxH"},
        {{"--fit"}, "--fit needs a value"},
        {{"--fit", "screen", "--fit", "800x600"}, "--fit is given twice ('screen' and '800x600')"},
        {{"--keep-orientation"}, "--keep-orientation needs --fit"},
        {{"--fit", "screen", "--upright", "--keep-orientation"}, "--upright and --keep-orientation exclude each other"},
        {{"--upright=yes"}, "--upright takes no value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        std::vector<std::string> args = {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun refused = run(args);
        EXPECT_EQ(refused.status, 2);
        EXPECT_NE(refused.err.find(c.problem), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(path("o.exe")));
    }
    const ToolRun help = run({"make", "--help"});
    EXPECT_NE(help.out.find("  --fit WxH|screen "), std::string::npos);
    EXPECT_NE(help.out.find("fits a 1920 x 1080 screen above its taskbar\n                            with room to move it"),
              std::string::npos)
        << help.out;
}

}  // namespace
}  // namespace vistello::test
