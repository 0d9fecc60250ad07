#pragma once
// Texts as authors type them (UTF-8) turned into the code page 932 bytes a package stores, with
// the rules a Japanese Windows needs: the characters code page 932 holds under another code
// point are stored as the character that Windows shows for them, and whatever cannot be stored
// is named, with where it stands.
#include <string>
#include <string_view>
#include <vector>

namespace vistello::tools {

enum class TextShape {
    oneLine,  // window and work titles, link fields: no line breaks, no control characters
    lines,    // the comment: line breaks become CR LF; tabs stay; other control characters do not
};

// Where a text comes from, for the messages: the option, and the file for a text read from one.
struct TextOrigin {
    std::string option;
    std::string file;  // empty for a text given as an argument
};

struct MappedCharacter {
    char32_t typed;
    char32_t stored;  // the character a Japanese Windows shows for the stored bytes
};

struct StoredText {
    std::string cp932;
    std::vector<MappedCharacter> mapped;  // each mapping once, in the order first met
};

// False with the reason in problem. A text from a file loses a leading UTF-8 byte order mark.
[[nodiscard]] bool storeAuthorText(std::string_view utf8, TextShape shape, const TextOrigin& origin, StoredText& stored,
                                   std::string& problem);

// "〜 (U+301C) is stored as ～ (U+FF5E), ..." for make's notes.
std::string describeMapping(const MappedCharacter& mapping);

}  // namespace vistello::tools
