#include "text/cp932.h"

#include <algorithm>
#include <iterator>

#include "text/cp932_table.inc"
#include "text/utf8.h"

namespace vistello::tools {
namespace {

namespace table = cp932_table;

constexpr uint8_t leadFirstBlockEnd = 0x9F;
constexpr uint8_t leadSecondBlockStart = 0xE0;
constexpr uint8_t leadSecondBlockEnd = 0xFC;
constexpr uint8_t leadFirst = 0x81;

int leadIndex(uint8_t lead) {
    if (lead >= leadFirst && lead <= leadFirstBlockEnd) return lead - leadFirst;
    return lead - leadSecondBlockStart + (leadFirstBlockEnd - leadFirst + 1);
}

}  // namespace

bool isCp932LeadByte(uint8_t byte) {
    return (byte >= leadFirst && byte <= leadFirstBlockEnd) || (byte >= leadSecondBlockStart && byte <= leadSecondBlockEnd);
}

Cp932Bytes encodeCp932(char32_t character) {
    Cp932Bytes result;
    if (character > 0xFFFF) return result;
    const auto found = std::lower_bound(std::begin(table::fromCharacter), std::end(table::fromCharacter), character,
                                        [](const table::Encoding& entry, char32_t wanted) { return entry.character < wanted; });
    if (found == std::end(table::fromCharacter) || found->character != character) return result;
    if (found->code < 0x100) {
        result.bytes[0] = uint8_t(found->code);
        result.size = 1;
    } else {
        result.bytes[0] = uint8_t(found->code >> 8);
        result.bytes[1] = uint8_t(found->code);
        result.size = 2;
    }
    return result;
}

bool decodeCp932At(std::string_view bytes, size_t position, char32_t& character, size_t& length) {
    length = 1;
    const auto first = static_cast<uint8_t>(bytes[position]);
    if (!isCp932LeadByte(first)) {
        character = table::singleByte[first];
        return character != table::none;
    }
    if (bytes.size() - position < 2) return false;
    const auto trail = static_cast<uint8_t>(bytes[position + 1]);
    if (trail < table::trailFirst || trail > table::trailLast) return false;
    character = table::doubleByte[leadIndex(first) * table::trailCount + (trail - table::trailFirst)];
    if (character == table::none) return false;
    length = 2;
    return true;
}

bool cp932ToUtf8(std::string_view cp932, std::string& utf8) {
    utf8.clear();
    for (size_t position = 0; position < cp932.size();) {
        char32_t character = 0;
        size_t length = 0;
        if (!decodeCp932At(cp932, position, character, length)) return false;
        appendUtf8(utf8, character);
        position += length;
    }
    return true;
}

}  // namespace vistello::tools
