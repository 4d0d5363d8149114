// SPDX-License-Identifier: MIT
#include "curves/lettura_numeri.h"

#include <cctype>
#include <charconv>
#include <cmath>
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
    double valore = 0.0;
    const auto ec =
        std::from_chars(numero.data() + inizio, numero.data() + numero.size(), valore).ec;
    if (ec == std::errc::result_out_of_range) {
        valore = std::numeric_limits<double>::infinity();
    } else if (ec != std::errc{}) {
        valore = 0.0;
    }
    return negativo ? -valore : valore;
}

std::optional<std::int16_t> intero16(double valore) {
    if (!std::isfinite(valore)) return std::nullopt;
    // nearbyint in the default rounding mode rounds halfway values to even.
    const double vicino = std::nearbyint(valore);
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
