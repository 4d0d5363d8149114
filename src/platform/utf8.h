// SPDX-License-Identifier: MIT
// UTF-8, the text of names and paths inside the program on every platform.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ftes::platform {

struct Utf8Char {
    char32_t code;
    std::size_t length;  // bytes, 1 to 4
};

// The character at the start of the text; nothing when the text is empty or starts with a byte
// sequence that is not UTF-8 (a stray or missing continuation byte, an overlong form, a
// surrogate, a code point past U+10FFFF).
std::optional<Utf8Char> decode_utf8(std::string_view text);

// Whether the whole text is UTF-8.
bool is_utf8(std::string_view text);

// Text saved as UTF-16 (as Windows Notepad's "Unicode" does) in UTF-8: bytes that begin with a
// UTF-16 byte-order mark, little- or big-endian, are decoded (the mark becomes U+FEFF, and
// anything that is no UTF-16 becomes U+FFFD); any other bytes give nothing.
std::optional<std::string> utf16_to_utf8(std::string_view bytes);

}  // namespace ftes::platform
