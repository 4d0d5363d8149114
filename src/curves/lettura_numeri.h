// SPDX-License-Identifier: MIT
// Reading a number out of a text from a forecast or sounding file.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ftes {

// Blanks anywhere are ignored; an optional sign, digits, and an optional decimal point with
// digits are taken; reading stops at the first character that cannot continue the number. A
// text that does not begin with a number, the empty text included, reads as 0. Exponents and
// radix prefixes are not numbers here: "1e5" reads as 1.
double leggi_numero(std::string_view testo);

// The nearest 16-bit integer, a value exactly halfway going to the even one; nothing when the
// value does not fit.
std::optional<std::int16_t> intero16(double valore);

// The text without blanks at either end.
std::string_view senza_spazi(std::string_view testo);

}  // namespace ftes
