// SPDX-License-Identifier: MIT
#include "curves/lettura_numeri.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <string>

namespace ftes {

namespace {

// Up to 15 digits with at most 15 after the point: the digits as an integer and the power of ten
// are both exact doubles, and one division rounds correctly, so the result is strtod's.
std::optional<double> numero_breve(std::string_view corpo) {
    static constexpr double potenze[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                         1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::int64_t intero = 0;
    int cifre = 0, decimali = -1;
    for (const char c : corpo) {
        if (c == '.') {
            decimali = 0;
            continue;
        }
        if (++cifre > 15) return std::nullopt;
        intero = intero * 10 + (c - '0');
        if (decimali >= 0) ++decimali;
    }
    return static_cast<double>(intero) / potenze[decimali < 0 ? 0 : decimali];
}

}  // namespace

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
    const std::string_view corpo = std::string_view(numero).substr(inizio);
    // Digits and one point only, in the C locale the program runs in: strtod reads them exactly
    // (correctly rounded), and a number past the largest double reads as infinity. The numbers
    // of the station's files (" 4.5", "45") take a shorter way to the same double.
    const auto breve = numero_breve(corpo);
    const double valore = breve ? *breve : std::strtod(corpo.data(), nullptr);
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
