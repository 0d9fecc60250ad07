// Texts and names as Japanese authors type them: stored as a Japanese Windows shows them,
// refused with the character and where it stands, and never shown raw when they hold control
// characters.
#include "app/package_bytes.h"
#include "cli_support.h"

namespace vistello::test {
namespace {

using Text = PackCli;

// The stored window title: the first text of the package.
std::string storedTitle(const std::vector<uint8_t>& package) {
    const auto end = std::find(package.begin(), package.end(), 0);
    return {package.begin(), end};
}

TEST_F(Text, MappedCharactersAreStoredAsWindowsShowsThemAndNoted) {
    const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--title", "〜‖−—¢£¬¥ and 〜"});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(storedTitle(packageOf("o.exe")), "\x81\x60\x81\x61\x81\x7C\x81\x5C\x81\x91\x81\x92\x81\xCA\x5C and \x81\x60");
    for (const char* note : {"〜 (U+301C) is stored as ～ (U+FF5E)", "‖ (U+2016) is stored as ∥ (U+2225)",
                             "− (U+2212) is stored as － (U+FF0D)", "— (U+2014) is stored as ― (U+2015)",
                             "¢ (U+00A2) is stored as ￠ (U+FFE0)", "£ (U+00A3) is stored as ￡ (U+FFE1)",
                             "¬ (U+00AC) is stored as ￢ (U+FFE2)", "¥ (U+00A5) is stored as the byte 5C, which a Japanese Windows shows as ¥"}) {
        const std::string line = std::string("vistello-pack make: note: --title: ") + note;
        EXPECT_NE(made.err.find(line), std::string::npos) << note << "\n" << made.err;
    }
    EXPECT_EQ(made.err.find("note", made.err.find("¥ (U+00A5)") + 1), std::string::npos) << "each mapping noted once";
    const ToolRun info = run({"info", "o.exe"});
    EXPECT_NE(info.out.find("window title:     ～∥－―￠￡￢\\ and ～"), std::string::npos) << info.out;
}

TEST_F(Text, AnUnstorableCharacterIsNamedWithItsOptionAndPlace) {
    writeText(path("comment.txt"), "\xEF\xBB\xBF一行目\n二行目\n三行目€です\n");
    writeText(path("€.txt"), "x");
    const struct {
        const char* name;
        std::vector<std::string> options;
        const char* error;
    } cases[] = {
        {"title", {"--title", "価格は€100"}, "--title: column 4: '€' (U+20AC) cannot be stored in code page 932"},
        {"work title", {"--work-title", "한글"}, "--work-title: column 1: '한' (U+D55C) cannot be stored"},
        {"comment", {"--comment", "ok\nnot 😀"}, "--comment: line 2, column 5: '😀' (U+1F600) cannot be stored"},
        {"comment file", {"--comment-file", "comment.txt"}, "--comment-file comment.txt: line 3, column 4: '€' (U+20AC)"},
        {"link", {"--link", "https://example.com/café"}, "--link: column 24: 'é' (U+00E9)"},
        {"link parameters", {"--link", "x", "--link-params", "ß"}, "--link-params: column 1: 'ß' (U+00DF)"},
        {"enclosed name", {"--enclose", "€.txt"}, "--enclose: column 1: '€' (U+20AC)"},
        {"not UTF-8", {"--title", "caf\xE9"}, "--title: column 4: the byte 0xE9 is not UTF-8"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Windows hands arguments over as UTF-16, so no argument there is ill-formed UTF-8.
        if (windows() && std::string(c.name) == "not UTF-8") continue;
        std::vector<std::string> args = {"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const ToolRun result = run(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(std::string("vistello-pack make: ") + c.error), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(path("o.exe")));
}

TEST_F(Text, TitlesAndLinksTakeOneLineAndCommentsKeepTheirBreaks) {
    const struct {
        const char* option;
        const char* text;
        const char* error;
    } refused[] = {
        {"--title", "one\ntwo", "--title: column 4: a line break"},
        {"--work-title", "a\tb", "--work-title: column 2: a tab"},
        {"--link", "x\x1B", "--link: column 2: the control character U+001B"},
        {"--comment", "bell\x07", "--comment: line 1, column 5: the control character U+0007"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.option);
        const ToolRun result = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", c.option, c.text});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.error), std::string::npos) << result.err;
    }
    writeText(path("c.txt"), "\xEF\xBB\xBF" "first\nsecond\r\n\tthird\r\n\n");
    ASSERT_EQ(run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--comment-file", "c.txt"}).status, 0);
    PackageBytes head;
    head.text("").text("").text("first\r\nsecond\r\n\tthird");
    const auto package = packageOf("o.exe");
    EXPECT_TRUE(std::equal(head.bytes().begin(), head.bytes().end(), package.begin())) << "no mark, CR LF breaks, no trailing breaks";
}

// A package from elsewhere may hold anything in its texts; info shows control characters as
// their visible pictures and never sends them to the terminal.
TEST_F(Text, InfoNeverPrintsRawControlCharacters) {
    PackageBytes p;
    p.text("title\x1B]0;owned\x07").text("\x85\x40").text("a\r\nb\rc").int32(0).int32(1).int32(3).int32(0).int32(0).int32(-1).int32(-1);
    p.int32(int32_t(picture_.size())).raw(picture_);
    writeProgram("odd.exe", p.bytes());
    const ToolRun info = run({"info", "odd.exe"});
    ASSERT_EQ(info.status, 0) << info.err;
    for (const char c : info.out) {
        EXPECT_TRUE(static_cast<unsigned char>(c) >= 0x20 || c == '\n') << "raw control byte " << int(c);
    }
    EXPECT_NE(info.out.find("window title:     title␛]0;owned␇"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("work title:       ⟨85⟩@"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("comment:          a\n                  b␍c"), std::string::npos) << info.out;
}

TEST_F(Text, EnclosedNamesFollowTheWindowsRules) {
    fs::create_directory(path("n"));
    const struct {
        const char* file;
        const char* rule;
    } refused[] = {
        {"a\\b.txt", "backslash"},   {"yen¥.txt", "backslash"},     {"a:b.txt", "':'"},
        {"a*b", "'*'"},              {"what?", "'?'"},               {"say\"hi\"", "'\"'"},
        {"a<b", "'<'"},              {"a>b", "'>'"},                 {"a|b", "'|'"},
        {"tab\there", "a tab"},      {"trailing.", "ends with a dot or a space"},
        {"trailing ", "ends with a dot or a space"},                {"CON", "reserved device name CON"},
        {"con.txt", "reserved device name CON"},                    {"Aux.log", "AUX"},
        {"nul.tar.gz", "NUL"},       {"PRN", "PRN"},                 {"com1.txt", "COM1"},
        {"LPT9", "LPT9"},
    };
    for (const auto& c : refused) {
        SCOPED_TRACE(c.file);
        // On Windows a backslash in a path separates folders: the name is the part behind it.
        if (windows() && std::string(c.file) == "a\\b.txt") continue;
        writeText(path("n") / c.file, "x");
        const ToolRun result = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--enclose", std::string("n/") + c.file});
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.rule), std::string::npos) << result.err;
        EXPECT_NE(result.err.find("--enclose"), std::string::npos) << result.err;
    }
    EXPECT_FALSE(fs::exists(path("o.exe")));

    // Trail bytes of 5C are no backslash: 表 is 95 5C, ソ is 83 5C.
    writeText(path("表ソ.txt"), "ok");
    writeText(path("COM10"), "ok");
    const ToolRun made = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o.exe", "--enclose", "表ソ.txt", "--enclose", "COM10"});
    ASSERT_EQ(made.status, 0) << made.err;
    const auto package = packageOf("o.exe");
    const std::vector<uint8_t> stored = {0x95, 0x5C, 0x83, 0x5C, '.', 't', 'x', 't', 0};
    EXPECT_NE(std::search(package.begin(), package.end(), stored.begin(), stored.end()), package.end());
    fs::create_directory(path("back"));
    ASSERT_EQ(run({"extract", "o.exe", "--files", "back"}).status, 0);
    EXPECT_EQ(readText(path("back/表ソ.txt")), "ok");

    fs::create_directory(path("m"));
    writeText(path("m/ＲＥＡＤ.txt"), "a");
    writeText(path("ｒｅａｄ.TXT"), "b");
    const ToolRun cases = run({"make", "--stub", "stub.exe", "pic.jpg", "-o", "o2.exe", "--enclose", "m/ＲＥＡＤ.txt",
                               "--enclose", "ｒｅａｄ.TXT"});
    EXPECT_EQ(cases.status, 1);
    EXPECT_NE(cases.err.find("only in letter case"), std::string::npos) << cases.err;
}

}  // namespace
}  // namespace vistello::test
