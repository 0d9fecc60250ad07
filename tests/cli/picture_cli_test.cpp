// The picture check: make refuses what the program would not show whole, naming the one real
// reason and what the program shows instead; it packs what the program shows otherwise than a
// viewer with a warning; info gives the same verdict. Pictures are made with the reference
// programs from the shipped sample, or patched from their output where none writes the case.
#include "cli_support.h"
#include "raster/sample_bmps.h"

namespace vistello::test {
namespace {


// Writes a copy of from with bytes patched: (offset from the start, or from the frame header
// when searched) -> value.
void patchFile(const fs::path& from, const fs::path& to, const std::vector<std::pair<size_t, uint8_t>>& patches) {
    auto bytes = readBytes(from);
    for (const auto& [at, value] : patches) bytes.at(at) = value;
    writeBytes(to, bytes);
}

size_t frameHeaderAt(const std::vector<uint8_t>& jpeg, uint8_t sof) {
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) {
        if (jpeg[i] == 0xFF && jpeg[i + 1] == sof) return i;
    }
    ADD_FAILURE() << "no frame header";
    return 0;
}

// The 124-byte-header BMP ImageMagick writes, turned into one with the 64-byte (OS/2 2.x)
// header, into a top-down one, and into a 16-bit 5-6-5 file with the 40-byte header.
class Picture : public PackCli {
protected:
    void makeBmpVariants() const;
};

void Picture::makeBmpVariants() const {
    const fs::path& dir = dir_;
    shell("djpeg -bmp pic.jpg > v3.bmp");  // the 40-byte header
    auto v3 = readBytes(dir / "v3.bmp");
    auto os2 = std::vector<uint8_t>(v3.begin(), v3.begin() + 54);
    os2.insert(os2.end(), 24, 0);
    os2.insert(os2.end(), v3.begin() + 54, v3.end());
    os2[14] = 64;
    os2[10] = uint8_t(54 + 24 + (v3[10] - 54));
    writeBytes(dir / "os2.bmp", os2);
    auto topDown = v3;
    for (int i = 0; i < 4; ++i) topDown[22 + size_t(i)] = uint8_t(uint32_t(-int32_t(360)) >> (8 * i));
    writeBytes(dir / "topdown.bmp", topDown);
    const std::vector<uint8_t> rgb565 = rgb565Bmp();
    writeBytes(dir / "565.bmp", rgb565);
}

TEST_F(Picture, EveryRefusalNamesItsOneReasonAndWhatTheProgramShows) {
    requirePrograms({"cjpeg", "djpeg", "jpegtran", "convert"});
    shell("djpeg pic.jpg > pic.ppm");
    shell("jpegtran -arithmetic pic.jpg > arith.jpg");
    shell("cjpeg -quality 10 pic.ppm > sof1.jpg 2>/dev/null");
    shell("convert pic.jpg -colorspace CMYK cmyk.jpg");
    shell("cjpeg -sample 4x1 pic.ppm > s411.jpg");
    shell("cjpeg -sample 4x2 pic.ppm > s42.jpg");
    shell("cjpeg -sample 2x2,2x2 pic.ppm > chroma22.jpg");
    shell("cjpeg -progressive -restart 1 pic.ppm > progrst.jpg");
    shell("cjpeg -progressive pic.ppm > prog.jpg");
    shell("convert pic.jpg BMP:v5.bmp");
    shell("convert pic.jpg -colors 16 -compress RLE BMP3:rle.bmp");
    makeBmpVariants();
    const auto rle = readBytes(path("rle.bmp"));
    writeBytes(path("rlecut.bmp"), {rle.begin(), rle.begin() + std::ptrdiff_t(rle.size() * 2 / 3)});
    const auto prog = readBytes(path("prog.jpg"));
    patchFile(path("prog.jpg"), path("p12.jpg"), {{frameHeaderAt(prog, 0xC2) + 4, 12}});
    writeBytes(path("cut.jpg"), {picture_.begin(), picture_.begin() + std::ptrdiff_t(picture_.size() / 2)});
    writeBytes(path("progcut.jpg"), {prog.begin(), prog.begin() + std::ptrdiff_t(prog.size() / 3)});
    writeBytes(path("noframe.jpg"), {0xFF, 0xD8, 0xFF, 0xD9});
    writeText(path("notes.txt"), "hello");

    const struct {
        const char* picture;
        const char* reason;
        const char* shows;
    } cases[] = {
        {"arith.jpg", "arithmetic coding", "the message \"Can not draw:M_DAC\", then a picture that is all black"},
        {"sof1.jpg", "an extended sequential frame (SOF1",
         "the message \"この画像ファイルには対応していません。\", then a picture that is all black"},
        {"cmyk.jpg", "a YCCK picture (4 components)", "この画像ファイルには対応していません。"},
        {"s411.jpg", "its sampling (4:1:1, luma 4 x 1)", "a picture that is all black"},
        {"s42.jpg", "its sampling (4:1:0, luma 4 x 2)", "a picture that is all black"},
        {"chroma22.jpg", "its chroma sampled 2 x 2 blocks", "a picture that is all black"},
        {"progrst.jpg", "a restart marker inside progressive scan 1", "of it mid-grey, where no data arrived"},
        {"p12.jpg", "a sample precision of 12 bits", "mostly white"},
        {"cut.jpg", "the file is cut short: it ends inside the data of scan 1", "% of it black, in rows "},
        {"progcut.jpg", "the file is cut short", "as far as its scans arrived"},
        {"noframe.jpg", "it has no frame header", "nothing: the program ends before its window opens"},
        {"notes.txt", "not a JPEG or BMP file: it starts neither with FF D8 nor with \"BM\"", "nothing"},
        {"v5.bmp", "a BMP with a 124-byte header", "nothing: the program ends before its window opens"},
        {"os2.bmp", "a BMP with a 64-byte header (OS/2 2.x)", "nothing"},
        {"topdown.bmp", "a top-down BMP", "nothing"},
        {"rlecut.bmp", "its run-length data leaves pixels unwritten", "of it in palette colour 0 (#"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        const ToolRun refused = run({"make", "--stub", "stub.exe", c.picture, "-o", "o.exe"});
        EXPECT_EQ(refused.status, 1);
        EXPECT_NE(refused.err.find(std::string("would not show this picture whole: ") + c.reason), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find(c.shows), std::string::npos) << refused.err;
        EXPECT_FALSE(fs::exists(path("o.exe")));
        const ToolRun forced = run({"make", "--stub", "stub.exe", c.picture, "-o", "o.exe", "--force"});
        EXPECT_EQ(forced.status, 0) << forced.err;
        EXPECT_NE(forced.err.find("is packed anyway (--force)"), std::string::npos) << forced.err;
        EXPECT_NE(forced.err.find("the program will show "), std::string::npos) << forced.err;
        EXPECT_NE(forced.err.find(c.shows), std::string::npos) << forced.err;
        const ToolRun info = run({"info", "o.exe"});
        EXPECT_NE(info.out.find(std::string("because:          ") + c.reason), std::string::npos) << info.out;
        fs::remove(path("o.exe"));
    }
}

// A JPEG that lacks only its end marker decodes to the same bytes as the complete file: the
// program shows it whole, so it is packed without a word.
TEST_F(Picture, AJpegWithoutItsEndMarkerIsPacked) {
    requirePrograms({"djpeg", "cjpeg"});
    shell("djpeg pic.jpg | cjpeg -progressive > prog.jpg");
    for (const char* name : {"pic.jpg", "prog.jpg"}) {
        SCOPED_TRACE(name);
        auto bytes = readBytes(path(name));
        ASSERT_EQ(bytes[bytes.size() - 1], 0xD9);
        bytes.resize(bytes.size() - 2);
        writeBytes(path("noeoi.jpg"), bytes);
        const ToolRun made = run({"make", "--stub", "stub.exe", "noeoi.jpg", "-o", "o.exe"});
        EXPECT_EQ(made.status, 0) << made.err;
        EXPECT_EQ(made.err, "");
        EXPECT_NE(run({"info", "o.exe"}).out.find("program shows:    the picture whole"), std::string::npos);
    }
}

TEST_F(Picture, EveryWarningSaysWhatTheProgramShowsAndWhatToDo) {
    requirePrograms({"cjpeg", "djpeg", "convert"});
    shell("djpeg pic.jpg | cjpeg -rgb > rgb.jpg");
    shell("convert pic.jpg -resize 2000x1200! big.jpg");
    insertExifOrientation(path("pic.jpg"), path("turned.jpg"), 6);
    makeBmpVariants();
    const struct {
        const char* picture;
        std::vector<std::string> options;
        const char* warning;
    } cases[] = {
        {"rgb.jpg", {}, "it is coded in RGB, which the program reads as YCbCr, so its colours come out wrong"},
        {"turned.jpg", {}, "its Exif orientation is 6: viewers show it turned 90 degrees clockwise, the program shows the "
                           "pixels as stored (unturned); pack it with --upright (or --fit, which turns it too) to turn "
                           "the pixels themselves"},
        {"565.bmp", {}, "its pixels are 5-6-5 bit fields, which the program reads as 5-5-5"},
        {"big.jpg", {}, "the window (2006 x 1225 with its frame and title bar) does not fit a 1920 x 1080 screen above its "
                        "taskbar: it opens centred with its title bar above the top of the screen"},
        {"big.jpg", {}, "; a picture of at most 1914 x 995 pixels fits (--fit screen scales it down to at most 1600 x 900)"},
        {"big.jpg", {"--position", "top-left", "--no-caption"}, "it opens at the top-left with 166 pixel rows under the taskbar"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.picture);
        std::vector<std::string> args = {"make", "--stub", "stub.exe", c.picture, "-o", "o.exe"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun made = run(args);
        EXPECT_EQ(made.status, 0) << made.err;
        EXPECT_NE(made.err.find(std::string("warning: ") + c.picture + ": "), std::string::npos) << made.err;
        EXPECT_NE(made.err.find(c.warning), std::string::npos) << made.err;
        EXPECT_NE(run({"info", "o.exe"}).out.find(c.warning), std::string::npos);
        args.push_back("--quiet");
        const ToolRun quiet = run(args);
        EXPECT_EQ(quiet.status, 0);
        EXPECT_EQ(quiet.err, "");
    }
}

TEST_F(Picture, InfoAndDecodeTellTheFormAndSize) {
    requirePrograms({"djpeg", "cjpeg"});
    shell("djpeg pic.jpg | cjpeg -progressive -sample 2x1 > p422.jpg");
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "p422.jpg", "-o", "o.exe"}).status, 0);
    const ToolRun info = run({"info", "o.exe"});
    EXPECT_NE(info.out.find("picture form:     progressive, 4:2:2"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("picture size:     480 x 360"), std::string::npos) << info.out;
    const ToolRun decoded = run({"decode", "p422.jpg", "o.bmp"});
    EXPECT_EQ(decoded.status, 0) << decoded.err;
    EXPECT_EQ(decoded.out, "wrote o.bmp (480 x 360, 24 bits per pixel)\n");
    const ToolRun eight = run({"decode", "p422.jpg", "o8.bmp", "--display-depth=8"});
    EXPECT_EQ(eight.out, "wrote o8.bmp (480 x 360, 8 bits per pixel)\n");
    writeBytes(path("cut.jpg"), {picture_.begin(), picture_.begin() + 3000});
    const ToolRun cut = run({"decode", "cut.jpg", "cut.bmp"});
    EXPECT_EQ(cut.status, 0) << "the program shows it in part, and so does decode";
    EXPECT_NE(cut.err.find("note: cut.jpg: the file is cut short"), std::string::npos) << cut.err;
}

}  // namespace
}  // namespace vistello::test
