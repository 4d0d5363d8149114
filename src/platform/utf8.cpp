// SPDX-License-Identifier: MIT
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

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

std::optional<std::string> utf16_to_utf8(std::string_view bytes) {
    if (bytes.size() < 2) return std::nullopt;
    const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
    const bool little = b0 == 0xFF && b1 == 0xFE;
    if (!little && !(b0 == 0xFE && b1 == 0xFF)) return std::nullopt;
    const auto unit = [&](std::size_t i) -> char32_t {
        const auto lo = static_cast<unsigned char>(bytes[i + (little ? 0 : 1)]);
        const auto hi = static_cast<unsigned char>(bytes[i + (little ? 1 : 0)]);
        return static_cast<char32_t>(hi << 8 | lo);
    };
    constexpr char32_t replacement = 0xFFFD;
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    for (; i + 1 < bytes.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < bytes.size() && unit(i + 2) >= 0xDC00 &&
            unit(i + 2) <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
            i += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = replacement;  // half of a pair
        }
        append_utf8(out, c);
    }
    if (i < bytes.size()) append_utf8(out, replacement);  // an odd byte at the end
    return out;
}

}  // namespace ftes::platform
