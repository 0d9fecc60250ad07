#include "text/cp932.h"

#include <gtest/gtest.h>

#include <string>

#include "text/utf8.h"

namespace vistello::tools {
namespace {

std::string bytesOf(char32_t c) {
    const Cp932Bytes b = encodeCp932(c);
    return std::string(reinterpret_cast<const char*>(b.bytes), b.size);
}

// Code points and the bytes Windows stores for them (its code page 932 table).
TEST(Cp932, EncodesAsWindowsDoes) {
    const struct {
        char32_t character;
        const char* bytes;
    } cases[] = {
        {U'A', "A"},
        {U'\\', "\x5C"},
        {U'~', "\x7E"},
        {U'ｱ', "\xB1"},                // half-width katakana: one byte
        {U'表', "\x95\x5C"},           // trail byte 5C
        {U'ソ', "\x83\x5C"},
        {U'～', "\x81\x60"},           // U+FF5E, the form of the wave dash
        {U'∥', "\x81\x61"},
        {U'－', "\x81\x7C"},
        {U'―', "\x81\x5C"},
        {U'￢', "\x81\xCA"},           // also at EE F9 and FA 54; Windows writes 81 CA
        {U'①', "\x87\x40"},           // NEC row 13
        {U'∵', "\x81\xE6"},           // also NEC 87 9A; Windows writes 81 E6
        {U'纊', "\xFA\x5C"},           // IBM extension; Windows writes it, not the NEC-selected ED 40
        {U'\u0080', "\x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(codePointName(c.character));
        EXPECT_EQ(bytesOf(c.character), std::string(c.bytes));
    }
}

TEST(Cp932, HasNoFormForCharactersThatComeBackAsOthers) {
    for (const char32_t c : {U'\u301C', U'\u2016', U'\u2212', U'\u2014', U'\u00A2', U'\u00A3', U'\u00AC', U'\u00A5',
                             U'€', U'é', U'한', char32_t(0x1F600), char32_t(0x10000)}) {
        SCOPED_TRACE(codePointName(c));
        EXPECT_EQ(encodeCp932(c).size, 0);
    }
}

// Every character the table encodes decodes back to itself: the two directions agree.
TEST(Cp932, EncodingAndDecodingAgreeForEveryCharacter) {
    size_t encodable = 0;
    for (char32_t c = 0; c <= 0xFFFF; ++c) {
        const std::string bytes = bytesOf(c);
        if (bytes.empty()) continue;
        ++encodable;
        char32_t back = 0;
        size_t length = 0;
        ASSERT_TRUE(decodeCp932At(bytes, 0, back, length)) << codePointName(c);
        EXPECT_EQ(back, c);
        EXPECT_EQ(length, bytes.size());
    }
    EXPECT_EQ(encodable, 9402u) << "the characters of Windows' code page 932";
}

TEST(Cp932, RefusesUndefinedSequences) {
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"lead byte at the end", "\x81"},
        {"trail byte below 40", std::string("\x81\x3F")},
        {"trail byte 7F", "\x81\x7F"},
        {"unassigned row 85", "\x85\x40"},
        {"unassigned cell", "\x81\xAD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string utf8;
        EXPECT_FALSE(cp932ToUtf8(c.bytes, utf8));
    }
    std::string utf8;
    ASSERT_TRUE(cp932ToUtf8("\x95\x5C\x8E\xA6\xA0", utf8));
    EXPECT_EQ(utf8, "表示\uF8F0") << "A0 is Windows' private-use U+F8F0";
}

}  // namespace
}  // namespace vistello::tools
