#include "text/windows_names.h"

#include <array>
#include <cstdint>

#include "text/cp932.h"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

constexpr size_t maxNameCharacters = 255;  // a name component on NTFS and FAT alike
constexpr std::string_view forbiddenCharacters = "\\/:*?\"<>|";
constexpr std::array<std::string_view, 4> plainDevices = {"CON", "PRN", "AUX", "NUL"};
constexpr std::array<std::string_view, 2> numberedDevices = {"COM", "LPT"};

char upperAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The device a name opens instead of a file, whatever its extension: "con.txt" is CON.
std::string reservedDevice(std::string_view name) {
    std::string base(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = upperAscii(c);
    for (const auto device : plainDevices) {
        if (base == device) return base;
    }
    for (const auto device : numberedDevices) {
        if (base.size() == 4 && base.compare(0, 3, device) == 0 && base[3] >= '1' && base[3] <= '9') return base;
    }
    return {};
}

std::string singleByteProblem(uint8_t byte) {
    if (byte < 0x20 || byte == 0x7F) return "holds a control character";
    if (byte == '\\') {
        return "holds a backslash (the byte 5C, also what a typed yen sign is stored as), which Windows reads as a "
               "folder separator";
    }
    if (forbiddenCharacters.find(char(byte)) != std::string_view::npos)
        return std::string("holds '") + char(byte) + "', which Windows does not allow in file names";
    return {};
}

char32_t foldCase(char32_t c) {
    if (c >= 'a' && c <= 'z') return c - 'a' + 'A';
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 0xFF41 + 0xFF21;  // full-width Latin
    if (c >= 0x03B1 && c <= 0x03C9 && c != 0x03C2) return c - 0x03B1 + 0x0391;  // Greek
    if (c >= 0x0430 && c <= 0x044F) return c - 0x0430 + 0x0410;  // Cyrillic
    if (c == 0x0451) return 0x0401;
    if (c >= 0x2170 && c <= 0x2179) return c - 0x2170 + 0x2160;  // Roman numerals
    return c;
}

}  // namespace

std::string windowsNameProblem(std::string_view cp932) {
    if (cp932.empty()) return "is empty";
    size_t characters = 0;
    char32_t last = 0;
    for (size_t position = 0; position < cp932.size();) {
        char32_t c = 0;
        size_t length = 0;
        if (!decodeCp932At(cp932, position, c, length)) return "holds bytes that are not code page 932 text";
        if (length == 1) {
            const std::string problem = singleByteProblem(static_cast<uint8_t>(cp932[position]));
            if (!problem.empty()) return problem;
        }
        last = c;
        ++characters;
        position += length;
    }
    if (last == '.' || last == ' ') return "ends with a dot or a space, which Windows drops from names";
    if (const std::string device = reservedDevice(cp932); !device.empty())
        return "is the reserved device name " + device + " (with any extension Windows opens the device, not a file)";
    if (characters > maxNameCharacters) return "is longer than the 255 characters Windows allows in a name";
    return {};
}

std::string windowsComparisonKey(std::string_view cp932) {
    std::string key;
    for (size_t position = 0; position < cp932.size();) {
        char32_t c = 0;
        size_t length = 0;
        if (decodeCp932At(cp932, position, c, length)) {
            appendUtf8(key, foldCase(c));
        } else {
            key.push_back(cp932[position]);
        }
        position += length;
    }
    return key;
}

}  // namespace vistello::tools
