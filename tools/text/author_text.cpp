#include "text/author_text.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "text/cp932.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

// Characters that people type (and that other systems' converters produce) for which code page
// 932 has a byte form only under a different code point: Windows reads 81 60 as U+FF5E, not as
// U+301C. Storing the byte form that Windows shows as the same glyph keeps the text as typed.
struct Mapping {
    char32_t typed;
    char32_t stored;
};
constexpr Mapping mappings[] = {
    {0x301C, 0xFF5E},  // wave dash → fullwidth tilde (81 60)
    {0x2016, 0x2225},  // double vertical line → parallel to (81 61)
    {0x2212, 0xFF0D},  // minus sign → fullwidth hyphen-minus (81 7C)
    {0x2014, 0x2015},  // em dash → horizontal bar (81 5C)
    {0x00A2, 0xFFE0},  // cent sign → fullwidth cent sign (81 91)
    {0x00A3, 0xFFE1},  // pound sign → fullwidth pound sign (81 92)
    {0x00AC, 0xFFE2},  // not sign → fullwidth not sign (81 CA)
    {0x00A5, 0x005C},  // yen sign → 5C, which a Japanese Windows shows as the yen sign
};

constexpr char32_t byteOrderMark = 0xFEFF;
constexpr char32_t lineFeed = 0x0A;
constexpr char32_t carriageReturn = 0x0D;
constexpr char32_t tab = 0x09;
constexpr char32_t deleteCharacter = 0x7F;

bool isControl(char32_t c) { return c < 0x20 || c == deleteCharacter || (c >= 0x80 && c <= 0x9F); }

std::string controlName(char32_t c) {
    switch (c) {
    case 0: return "the zero byte";
    case tab: return "a tab";
    case lineFeed:
    case carriageReturn: return "a line break";
    default: return "the control character " + codePointName(c);
    }
}

// Walks the text one character at a time, keeping the line and column people count by.
class TextWalk {
public:
    TextWalk(std::string_view text, const TextOrigin& origin, TextShape shape) : text_(text), origin_(origin), shape_(shape) {}

    bool run(StoredText& stored, std::string& problem) {
        if (!origin_.file.empty() && startsWithByteOrderMark()) position_ = 3;
        while (position_ < text_.size()) {
            char32_t c = 0;
            size_t length = 0;
            if (!decodeUtf8At(text_, position_, c, length)) {
                char byte[8];
                std::snprintf(byte, sizeof byte, "0x%02X", unsigned(static_cast<uint8_t>(text_[position_])));
                problem = prefix() + "the byte " + byte + " is not UTF-8 (texts are read as UTF-8)";
                return false;
            }
            if (!take(c, length, stored, problem)) return false;
        }
        return true;
    }

private:
    bool startsWithByteOrderMark() const {
        char32_t c = 0;
        size_t length = 0;
        return !text_.empty() && decodeUtf8At(text_, 0, c, length) && c == byteOrderMark;
    }

    bool take(char32_t c, size_t length, StoredText& stored, std::string& problem) {
        if (shape_ == TextShape::lines && (c == lineFeed || c == carriageReturn)) {
            // CR LF, a lone LF and a lone CR are all one line break, stored as CR LF.
            const bool pair = c == carriageReturn && position_ + 1 < text_.size() && text_[position_ + 1] == '\n';
            stored.cp932 += "\r\n";
            position_ += pair ? 2 : 1;
            ++line_;
            column_ = 1;
            return true;
        }
        if (isControl(c) && !(shape_ == TextShape::lines && c == tab)) {
            problem = prefix() + controlName(c) + (shape_ == TextShape::oneLine
                                                       ? ": titles and link fields take one line without control characters"
                                                       : ": the comment takes line breaks and tabs, no other control characters");
            return false;
        }
        char32_t storedAs = c;
        for (const auto& mapping : mappings) {
            if (mapping.typed == c) storedAs = mapping.stored;
        }
        const Cp932Bytes bytes = encodeCp932(storedAs);
        if (bytes.size == 0) {
            std::string shown;
            appendUtf8(shown, c);
            problem = prefix() + "'" + shown + "' (" + codePointName(c) + ") cannot be stored in code page 932, the code "
                      "page the picture program shows its texts in";
            return false;
        }
        if (storedAs != c) note(stored, {c, storedAs});
        stored.cp932.append(reinterpret_cast<const char*>(bytes.bytes), bytes.size);
        position_ += length;
        ++column_;
        return true;
    }

    static void note(StoredText& stored, MappedCharacter mapping) {
        const bool known = std::any_of(stored.mapped.begin(), stored.mapped.end(),
                                       [&](const MappedCharacter& m) { return m.typed == mapping.typed; });
        if (!known) stored.mapped.push_back(mapping);
    }

    std::string prefix() const {
        std::string where = origin_.option;
        if (!origin_.file.empty()) where += " " + origin_.file;
        where += ": ";
        if (shape_ == TextShape::lines || !origin_.file.empty()) where += "line " + std::to_string(line_) + ", ";
        return where + "column " + std::to_string(column_) + ": ";
    }

    std::string_view text_;
    const TextOrigin& origin_;
    TextShape shape_;
    size_t position_ = 0;
    size_t line_ = 1;
    size_t column_ = 1;
};

}  // namespace

bool storeAuthorText(std::string_view utf8, TextShape shape, const TextOrigin& origin, StoredText& stored,
                     std::string& problem) {
    stored = {};
    return TextWalk(utf8, origin, shape).run(stored, problem);
}

std::string describeMapping(const MappedCharacter& mapping) {
    std::string typed;
    appendUtf8(typed, mapping.typed);
    if (mapping.stored == 0x5C) {
        return typed + " (" + codePointName(mapping.typed) +
               ") is stored as the byte 5C, which a Japanese Windows shows as " + typed;
    }
    std::string stored;
    appendUtf8(stored, mapping.stored);
    return typed + " (" + codePointName(mapping.typed) + ") is stored as " + stored + " (" +
           codePointName(mapping.stored) + "), the form code page 932 holds; a Japanese Windows shows it alike";
}

}  // namespace vistello::tools
