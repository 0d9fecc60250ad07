#include "text/author_text.h"

#include <gtest/gtest.h>

namespace vistello::tools {
namespace {

StoredText stored(const std::string& utf8, TextShape shape = TextShape::oneLine, const std::string& file = {}) {
    StoredText text;
    std::string problem;
    EXPECT_TRUE(storeAuthorText(utf8, shape, {"--title", file}, text, problem)) << problem;
    return text;
}

std::string refusal(const std::string& utf8, TextShape shape, const std::string& file = {}) {
    StoredText text;
    std::string problem;
    EXPECT_FALSE(storeAuthorText(utf8, shape, {"--comment", file}, text, problem));
    return problem;
}

// The characters other systems type for glyphs that code page 932 holds under another code
// point are stored as what a Japanese Windows shows for them; each is reported once.
TEST(AuthorText, MapsTheCharactersCodePage932HoldsElsewhere) {
    const struct {
        const char* typed;
        const char* bytes;
        char32_t shownAs;
    } cases[] = {
        {"〜", "\x81\x60", 0xFF5E}, {"‖", "\x81\x61", 0x2225}, {"−", "\x81\x7C", 0xFF0D}, {"—", "\x81\x5C", 0x2015},
        {"¢", "\x81\x91", 0xFFE0},  {"£", "\x81\x92", 0xFFE1}, {"¬", "\x81\xCA", 0xFFE2}, {"¥", "\x5C", 0x5C},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        const StoredText text = stored(std::string(c.typed) + "a" + c.typed);
        EXPECT_EQ(text.cp932, std::string(c.bytes) + "a" + c.bytes);
        ASSERT_EQ(text.mapped.size(), 1u);
        EXPECT_EQ(text.mapped[0].stored, c.shownAs);
    }
    EXPECT_EQ(stored("〜ですね").mapped.size(), 1u);
    EXPECT_EQ(stored("abc").mapped.size(), 0u);
}

TEST(AuthorText, NamesWhatCannotBeStoredAndWhere) {
    const struct {
        const char* name;
        std::string text;
        TextShape shape;
        std::string file;
        const char* problem;
    } cases[] = {
        {"euro sign", "ab€", TextShape::oneLine, "", "--comment: column 3: '€' (U+20AC) cannot be stored in code page 932"},
        {"in a file", "一行目\r\n二行目の😀", TextShape::lines, "c.txt",
         "--comment c.txt: line 2, column 5: '😀' (U+1F600) cannot be stored"},
        {"hangul on line 3", "a\nb\nc한", TextShape::lines, "", "line 3, column 2: '한' (U+D55C)"},
        {"not UTF-8", "ab\xFF", TextShape::oneLine, "", "column 3: the byte 0xFF is not UTF-8"},
        {"overlong slash", "\xC0\xAF", TextShape::oneLine, "", "the byte 0xC0 is not UTF-8"},
        {"surrogate", "\xED\xA0\x80", TextShape::oneLine, "", "the byte 0xED is not UTF-8"},
        {"cut sequence", "\xE3\x81", TextShape::oneLine, "", "the byte 0xE3 is not UTF-8"},
        {"line break in a title", "a\nb", TextShape::oneLine, "", "column 2: a line break: titles and link fields take one line"},
        {"tab in a title", "a\tb", TextShape::oneLine, "", "a tab: titles"},
        {"escape in a comment", "a\x1B[31m", TextShape::lines, "", "the control character U+001B: the comment takes"},
        {"zero byte in a file", std::string("a\0b", 3), TextShape::lines, "f", "line 1, column 2: the zero byte"},
        {"C1 control", "a\xC2\x85", TextShape::lines, "", "U+0085"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_NE(refusal(c.text, c.shape, c.file).find(c.problem), std::string::npos) << refusal(c.text, c.shape, c.file);
    }
}

TEST(AuthorText, CommentsKeepLineBreaksAsCrLfAndTabs) {
    EXPECT_EQ(stored("a\nb\r\nc\rd\te", TextShape::lines).cp932, "a\r\nb\r\nc\r\nd\te");
    EXPECT_EQ(stored("\xEF\xBB\xBFok", TextShape::lines, "f.txt").cp932, "ok") << "a file's byte order mark is dropped";
    EXPECT_NE(refusal("\xEF\xBB\xBFok", TextShape::lines).find("U+FEFF"), std::string::npos)
        << "only a file's mark is dropped: in an argument it is a character like any other";
}

}  // namespace
}  // namespace vistello::tools
