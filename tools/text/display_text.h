#pragma once
// Texts shown to people and scripts. Stored texts come from whoever made the package, so they
// are never printed raw: a control character becomes its visible picture (U+2400 block, which
// code page 932 cannot hold, so it cannot be mistaken for stored text) and a byte that is no
// character becomes ⟨HH⟩.
#include <string>
#include <string_view>

namespace vistello::tools {

// A stored (code page 932) text; with keepLineBreaks a CR LF pair is shown as a line break.
std::string displayStoredText(std::string_view cp932, bool keepLineBreaks);

// A UTF-8 text such as a path, with the same stand-ins for control characters and bytes that
// are not UTF-8.
std::string displayUtf8(std::string_view text);

// The contents of a JSON string (without the quotes): stored text decoded, control characters
// as \u escapes, bytes that are no character as U+FFFD.
std::string jsonStoredText(std::string_view cp932);
std::string jsonUtf8(std::string_view text);

}  // namespace vistello::tools
