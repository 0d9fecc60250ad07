#pragma once
// UTF-8, strictly: no overlong forms, no surrogates, nothing above U+10FFFF.
#include <cstddef>
#include <string>
#include <string_view>

namespace vistello::tools {

// The character that starts at text[position] and the number of bytes it takes; false (with
// length 1) for a byte that does not start a well-formed sequence there.
[[nodiscard]] bool decodeUtf8At(std::string_view text, size_t position, char32_t& character, size_t& length);

void appendUtf8(std::string& text, char32_t character);

// "U+301C": the notation people look characters up by.
std::string codePointName(char32_t character);

}  // namespace vistello::tools
