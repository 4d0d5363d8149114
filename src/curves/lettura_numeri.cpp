// SPDX-License-Identifier: MIT
#include "curves/lettura_numeri.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace ftes {

double leggi_numero(std::string_view testo) {
    // Gather sign, digits and one decimal point, skipping blanks, then convert once.
    std::string numero;
    bool punto = false, cifre = false;
    for (const char c : testo) {
        if (c == ' ') continue;
        if (numero.empty() && (c == '+' || c == '-')) {
            numero.push_back(c);
            continue;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            numero.push_back(c);
            cifre = true;
        } else if (c == '.' && !punto) {
            numero.push_back('.');
            punto = true;
        } else {
            break;
        }
    }
    if (!cifre) return 0.0;
    const bool negativo = numero[0] == '-';
    const std::size_t inizio = (numero[0] == '-' || numero[0] == '+') ? 1 : 0;
    // Digits and one point only, in the C locale the program runs in: strtod reads them exactly
    // (correctly rounded), and a number past the largest double reads as infinity.
    errno = 0;
    const double valore = std::strtod(numero.c_str() + inizio, nullptr);
    return negativo ? -valore : valore;
}

std::optional<std::int16_t> intero16(double valore) {
    // Far outside the range, or not a number: no integer of 16 bits. Inside, the conversions
    // below are exact.
    if (!(std::fabs(valore) < 65536)) return std::nullopt;
    long long sotto = static_cast<long long>(valore);  // towards zero
    if (static_cast<double>(sotto) > valore) --sotto;  // down: the floor
    const double resto = valore - static_cast<double>(sotto);
    // The nearest integer, a value exactly halfway going to the even one.
    const long long vicino = resto > 0.5 || (resto == 0.5 && sotto % 2 != 0) ? sotto + 1 : sotto;
    if (vicino < std::numeric_limits<std::int16_t>::min() ||
        vicino > std::numeric_limits<std::int16_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int16_t>(vicino);
}

std::string_view senza_spazi(std::string_view testo) {
    const auto primo = testo.find_first_not_of(' ');
    if (primo == std::string_view::npos) return {};
    return testo.substr(primo, testo.find_last_not_of(' ') - primo + 1);
}

}  // namespace ftes
