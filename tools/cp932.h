#pragma once
// Package texts are code page 932 bytes; people type and read UTF-8. These two conversions are
// the only place the tool changes the encoding of a text.
#include <string>
#include <string_view>

namespace vistello::tools {

// False when utf8 is not valid UTF-8 or holds a character code page 932 has no exact byte form
// for (a character that would only come back as a different one counts as unrepresentable).
[[nodiscard]] bool utf8ToCp932(std::string_view utf8, std::string& cp932);

// False when cp932 holds a byte sequence that is not code page 932.
[[nodiscard]] bool cp932ToUtf8(std::string_view cp932, std::string& utf8);

// For showing a stored text whatever it holds: the UTF-8 form, or, when the bytes are not code
// page 932, the text with every byte of 0x80 and above written as \xHH.
std::string cp932ForDisplay(std::string_view cp932);

}  // namespace vistello::tools
