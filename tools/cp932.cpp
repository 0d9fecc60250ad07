#include "cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>

namespace vistello::tools {
namespace {

// Converts the whole input with iconv; false on any byte sequence the target cannot take.
bool convert(const char* to, const char* from, std::string_view input, std::string& output) {
    output.clear();
    iconv_t converter = iconv_open(to, from);
    if (converter == iconv_t(-1)) return false;
    char* in = const_cast<char*>(input.data());  // iconv's interface is not const-correct; it only reads
    size_t inLeft = input.size();
    char buffer[256];
    bool ok = true;
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        const size_t result = iconv(converter, &in, &inLeft, &out, &outLeft);
        output.append(buffer, size_t(out - buffer));
        if (result == size_t(-1) && errno != E2BIG) {
            ok = false;
            break;
        }
    }
    iconv_close(converter);
    return ok;
}

}  // namespace

bool utf8ToCp932(std::string_view utf8, std::string& cp932) {
    if (!convert("CP932", "UTF-8", utf8, cp932)) return false;
    // Some characters map to bytes that read back as another character (the yen sign becomes
    // 0x5C, a backslash). Storing them would change the text the picture's reader sees.
    std::string back;
    return convert("UTF-8", "CP932", cp932, back) && back == utf8;
}

bool cp932ToUtf8(std::string_view cp932, std::string& utf8) { return convert("UTF-8", "CP932", cp932, utf8); }

std::string cp932ForDisplay(std::string_view cp932) {
    std::string utf8;
    if (cp932ToUtf8(cp932, utf8)) return utf8;
    std::string escaped;
    for (const char c : cp932) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            escaped.push_back(c);
        } else {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02X", byte);
            escaped.append(hex);
        }
    }
    return escaped;
}

}  // namespace vistello::tools
