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

}  // namespace
}  // namespace ftes::platform
