// SPDX-License-Identifier: MIT
#include "platform/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace ftes::platform {
namespace {

TEST(Utf8, WellFormedSequencesOnly) {
    struct Caso {
        std::string testo;
        bool valido;
    };
    const Caso casi[] = {
        {"", true},
        {"C:\\Stazione\\dati\\", true},
        {"Sal\xC3\xA8", true},        // è
        {"\xE2\x82\xAC", true},       // €
        {"\xF0\x9F\x93\x88", true},   // a four-byte character
        {"\xC2\x85", true},           // U+0085, a C1 control: UTF-8 all the same
        {"Sal\xE8", false},           // è in Windows-1252
        {"\x80", false},              // a continuation byte alone
        {"\xC3", false},              // cut short
        {"\xC0\xAF", false},          // overlong '/'
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xFF", false},
    };
    for (const Caso& c : casi) EXPECT_EQ(is_utf8(c.testo), c.valido) << c.testo;
    EXPECT_EQ(decode_utf8("\xE2\x82\xAC!")->code, U'\u20AC');
    EXPECT_EQ(decode_utf8("\xE2\x82\xAC!")->length, 3u);
}

TEST(Utf16, TextWithAByteOrderMarkIsDecoded) {
    using namespace std::string_literals;
    // "Sal\u00e8 \u20ac" and a character past U+FFFF, little- and big-endian.
    const std::string le = "\xFF\xFES\0a\0l\0\xE8\0 \0\xAC\x20=\xD8\x00\xDE"s;
    const std::string be = "\xFE\xFF\0S\0a\0l\0\xE8\0 \x20\xAC\xD8=\xDE\x00"s;
    const std::string atteso = "\xEF\xBB\xBFSal\xC3\xA8 \xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(utf16_to_utf8(le), atteso);
    EXPECT_EQ(utf16_to_utf8(be), atteso);
    // Half a pair and an odd last byte become U+FFFD; no mark, no UTF-16.
    EXPECT_EQ(utf16_to_utf8("\xFF\xFE\x00\xD8x"s), "\xEF\xBB\xBF\xEF\xBF\xBD\xEF\xBF\xBD");
    EXPECT_EQ(utf16_to_utf8("plain text"), std::nullopt);
    EXPECT_EQ(utf16_to_utf8("\xFF"), std::nullopt);
}

}  // namespace
}  // namespace ftes::platform
