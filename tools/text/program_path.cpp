#include "text/program_path.h"

#include "text/cp932.h"
#include "text/display_text.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

constexpr size_t longestProgramPath = 259;

}  // namespace

std::string programPathProblem(std::string_view fullPath) {
    size_t bytes = 0;
    for (size_t at = 0; at < fullPath.size();) {
        char32_t character = 0;
        size_t length = 0;
        if (!decodeUtf8At(fullPath, at, character, length)) {
            return "its full path holds bytes that are no characters, so the picture program will not start from there";
        }
        const Cp932Bytes stored = encodeCp932(character);
        if (stored.size == 0) {
            std::string shown;
            appendUtf8(shown, character);
            return "its full path holds '" + displayUtf8(shown) + "' (" + codePointName(character) +
                   "), which code page 932 cannot hold, so the picture program will not start from there; move it "
                   "to a folder whose path has none of those characters";
        }
        bytes += stored.size;
        at += length;
    }
    if (bytes <= longestProgramPath) return {};
    return "its full path takes " + std::to_string(bytes) + " bytes in code page 932, more than the " +
           std::to_string(longestProgramPath) + " the picture program can read, so it will not start from there; move it "
           "to a folder with a shorter path";
}

}  // namespace vistello::tools
