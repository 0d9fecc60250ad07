#include "text/utf8.h"

#include <cstdint>
#include <cstdio>

namespace vistello::tools {
namespace {

constexpr char32_t maxCharacter = 0x10FFFF;
constexpr char32_t surrogateFirst = 0xD800;
constexpr char32_t surrogateLast = 0xDFFF;

bool isContinuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

bool decodeUtf8At(std::string_view text, size_t position, char32_t& character, size_t& length) {
    length = 1;
    const auto lead = static_cast<uint8_t>(text[position]);
    size_t count = 0;
    char32_t smallest = 0;
    if (lead < 0x80) {
        character = lead;
        return true;
    }
    if ((lead & 0xE0) == 0xC0) {
        count = 2, smallest = 0x80, character = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        count = 3, smallest = 0x800, character = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        count = 4, smallest = 0x10000, character = lead & 0x07;
    } else {
        return false;
    }
    if (text.size() - position < count) return false;
    for (size_t i = 1; i < count; ++i) {
        const auto byte = static_cast<uint8_t>(text[position + i]);
        if (!isContinuation(byte)) return false;
        character = character << 6 | (byte & 0x3F);
    }
    if (character < smallest || character > maxCharacter) return false;
    if (character >= surrogateFirst && character <= surrogateLast) return false;
    length = count;
    return true;
}

void appendUtf8(std::string& text, char32_t character) {
    if (character < 0x80) {
        text.push_back(char(character));
    } else if (character < 0x800) {
        text.push_back(char(0xC0 | character >> 6));
        text.push_back(char(0x80 | (character & 0x3F)));
    } else if (character < 0x10000) {
        text.push_back(char(0xE0 | character >> 12));
        text.push_back(char(0x80 | (character >> 6 & 0x3F)));
        text.push_back(char(0x80 | (character & 0x3F)));
    } else {
        text.push_back(char(0xF0 | character >> 18));
        text.push_back(char(0x80 | (character >> 12 & 0x3F)));
        text.push_back(char(0x80 | (character >> 6 & 0x3F)));
        text.push_back(char(0x80 | (character & 0x3F)));
    }
}

std::string codePointName(char32_t character) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(character));
    return name;
}

}  // namespace vistello::tools
