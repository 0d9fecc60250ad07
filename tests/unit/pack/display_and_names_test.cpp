#include <gtest/gtest.h>

#include "text/display_text.h"
#include "text/windows_names.h"

namespace vistello::tools {
namespace {

TEST(DisplayText, NeverPassesControlCharactersOrUndefinedBytesRaw) {
    EXPECT_EQ(displayStoredText("a\x1B[2Jb", false), "a\u241B[2Jb");
    EXPECT_EQ(displayStoredText("a\r\nb\rc\n", true), "a\nb\u240Dc\u240A") << "only CR LF pairs are line breaks";
    EXPECT_EQ(displayStoredText("a\r\nb", false), "a\u240D\u240Ab");
    EXPECT_EQ(displayStoredText("\x95\x5C\x85\x40\x7F", false), "表\u27E885\u27E9@\u2421");
    EXPECT_EQ(displayStoredText("*\\x", false), "*\\x") << "a backslash is text, not an escape";
    EXPECT_EQ(displayUtf8("p\xFFq\x07"), "p\u27E8FF\u27E9q\u2407");
}

TEST(DisplayText, JsonEscapesWhatJsonMust) {
    EXPECT_EQ(jsonStoredText("\"\\\r\n\t\x01\x95\x5C"), "\\\"\\\\\\r\\n\\t\\u0001表");
    EXPECT_EQ(jsonStoredText("\x85\x40"), "\uFFFD@");
    EXPECT_EQ(jsonUtf8("a\xFF"), "a\uFFFD");
}

TEST(WindowsNames, TakesNamesWindowsCreates) {
    for (const char* name : {"a.txt", "表.txt", "ソフト.txt", "\x95\x5C\x8E\xA6", "CONSOLE.txt", "COM10", "LPT0", "con_x",
                             ".hidden", "a b.c"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(windowsNameProblem(name), "");
    }
}

TEST(WindowsNames, NamesTheRuleANameBreaks) {
    const struct {
        std::string name;
        const char* rule;
    } cases[] = {
        {"", "is empty"},
        {"a\\b", "backslash"},
        {"a/b", "'/'"},
        {"a:b", "':'"},
        {"a*", "'*'"},
        {"a?", "'?'"},
        {"a\"b", "'\"'"},
        {"a<b", "'<'"},
        {"a>b", "'>'"},
        {"a|b", "'|'"},
        {"a\tb", "control character"},
        {std::string("a\x7F"), "control character"},
        {"a.", "ends with a dot or a space"},
        {"a ", "ends with a dot or a space"},
        {"CON", "reserved device name CON"},
        {"con.txt", "reserved device name CON"},
        {"Nul.tar.gz", "reserved device name NUL"},
        {"aux .log", "reserved device name AUX"},
        {"prn", "PRN"},
        {"COM1", "COM1"},
        {"lpt9.x", "LPT9"},
        {"\x85\x40", "not code page 932"},
        {std::string(256, 'a'), "longer than the 255 characters"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(windowsNameProblem(c.name).find(c.rule), std::string::npos) << windowsNameProblem(c.name);
    }
}

TEST(WindowsNames, ComparesAsWindowsDoesIgnoringLetterCase) {
    const struct {
        const char* a;
        const char* b;
        bool same;
    } cases[] = {
        {"Read.TXT", "read.txt", true},
        {"\x82\x60", "\x82\x81", true},   // full-width Ａ and ａ
        {"\x83\x9F", "\x83\xBF", true},   // Greek Α and α
        {"\x84\x40", "\x84\x70", true},   // Cyrillic А and а
        {"\x87\x54", "\xFA\x40", true},   // Roman numeral one: NEC Ⅰ and IBM small ⅰ
        {"\x82\xA0", "\x83\x41", false},  // hiragana あ and katakana ア
        {"a", "b", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.a) + " / " + c.b);
        EXPECT_EQ(windowsComparisonKey(c.a) == windowsComparisonKey(c.b), c.same);
    }
}

}  // namespace
}  // namespace vistello::tools
