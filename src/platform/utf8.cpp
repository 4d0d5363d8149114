#include "platform/utf8.h"

namespace ftes::platform {

std::optional<Utf8Char> decode_utf8(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char first = byte(0);
    if (first < 0x80) return Utf8Char{first, 1};
    std::size_t length = 0;
    char32_t code = 0;
    char32_t smallest = 0;  // below it the form is overlong
    if ((first & 0xE0) == 0xC0) {
        length = 2, code = first & 0x1F, smallest = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3, code = first & 0x0F, smallest = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4, code = first & 0x07, smallest = 0x10000;
    } else {
        return std::nullopt;  // a continuation byte, or no lead byte of UTF-8 at all
    }
    if (text.size() < length) return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        code = code << 6 | (byte(i) & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return std::nullopt;
    }
    return Utf8Char{code, length};
}

bool is_utf8(std::string_view text) {
    while (!text.empty()) {
        const auto c = decode_utf8(text);
        if (!c) return false;
        text.remove_prefix(c->length);
    }
    return true;
}

}  // namespace ftes::platform
