#include "text/display_text.h"

#include <cstdint>
#include <cstdio>

#include "text/cp932.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

constexpr char32_t controlPictures = 0x2400;
constexpr char32_t deletePicture = 0x2421;
constexpr char32_t replacement = 0xFFFD;

// Characters that have no glyph of their own: C0 and C1 controls, DEL, and the private-use
// characters Windows gives to the undefined single bytes A0, FD, FE and FF.
bool needsStandIn(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || (c >= 0xF8F0 && c <= 0xF8F3); }

void appendByteStandIn(std::string& out, uint8_t byte) {
    char hex[4];
    std::snprintf(hex, sizeof hex, "%02X", unsigned(byte));
    out += "\u27E8";
    out += hex;
    out += "\u27E9";
}

void appendShown(std::string& out, char32_t c, std::string_view source, size_t position, size_t length) {
    if (!needsStandIn(c)) {
        appendUtf8(out, c);
    } else if (c < 0x20) {
        appendUtf8(out, controlPictures + c);
    } else if (c == 0x7F) {
        appendUtf8(out, deletePicture);
    } else {
        for (size_t i = 0; i < length; ++i) appendByteStandIn(out, static_cast<uint8_t>(source[position + i]));
    }
}

void appendJson(std::string& out, char32_t c) {
    switch (c) {
    case '"': out += "\\\""; return;
    case '\\': out += "\\\\"; return;
    case '\n': out += "\\n"; return;
    case '\r': out += "\\r"; return;
    case '\t': out += "\\t"; return;
    default: break;
    }
    if (c < 0x20 || c == 0x7F) {
        char escape[8];
        std::snprintf(escape, sizeof escape, "\\u%04X", unsigned(c));
        out += escape;
        return;
    }
    appendUtf8(out, c);
}

using Decoder = bool (*)(std::string_view, size_t, char32_t&, size_t&);

template <typename Emit>
void walk(std::string_view text, Decoder decode, Emit emit) {
    for (size_t position = 0; position < text.size();) {
        char32_t c = 0;
        size_t length = 0;
        const bool known = decode(text, position, c, length);
        emit(known, c, position, length);
        position += length;
    }
}

}  // namespace

std::string displayStoredText(std::string_view cp932, bool keepLineBreaks) {
    std::string out;
    for (size_t position = 0; position < cp932.size();) {
        if (keepLineBreaks && cp932.substr(position, 2) == "\r\n") {
            out.push_back('\n');
            position += 2;
            continue;
        }
        char32_t c = 0;
        size_t length = 0;
        if (decodeCp932At(cp932, position, c, length)) appendShown(out, c, cp932, position, length);
        else appendByteStandIn(out, static_cast<uint8_t>(cp932[position]));
        position += length;
    }
    return out;
}

std::string displayUtf8(std::string_view text) {
    std::string out;
    walk(text, decodeUtf8At, [&](bool known, char32_t c, size_t position, size_t length) {
        if (known) appendShown(out, c, text, position, length);
        else appendByteStandIn(out, static_cast<uint8_t>(text[position]));
    });
    return out;
}

std::string jsonStoredText(std::string_view cp932) {
    std::string out;
    walk(cp932, decodeCp932At, [&](bool known, char32_t c, size_t, size_t) { appendJson(out, known ? c : replacement); });
    return out;
}

std::string jsonUtf8(std::string_view text) {
    std::string out;
    walk(text, decodeUtf8At, [&](bool known, char32_t c, size_t, size_t) { appendJson(out, known ? c : replacement); });
    return out;
}

}  // namespace vistello::tools
