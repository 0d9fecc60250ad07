#pragma once
// Code page 932 as Windows converts it, from one generated table (cp932_table.inc), so that the
// tool on every platform stores the same bytes for the same text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vistello::tools {

// One character's byte form: one or two bytes, or none (size 0) when the code page has no
// form that reads back as this very character.
struct Cp932Bytes {
    uint8_t bytes[2] = {0, 0};
    uint8_t size = 0;
};
[[nodiscard]] Cp932Bytes encodeCp932(char32_t character);

// A byte that starts a two-byte character (its trail byte may be 0x5C or any other value from
// 0x40 to 0xFC).
[[nodiscard]] bool isCp932LeadByte(uint8_t byte);

// The character that starts at bytes[position] and its length (1 or 2); false, with length 1,
// where the code page defines no character.
[[nodiscard]] bool decodeCp932At(std::string_view bytes, size_t position, char32_t& character, size_t& length);

// The whole text in UTF-8; false at the first byte sequence the code page does not define.
[[nodiscard]] bool cp932ToUtf8(std::string_view cp932, std::string& utf8);

}  // namespace vistello::tools
